#pragma once
// The file named on the command line, opened in the main window at start-up.

#include <QStringList>

namespace marvento {

class TMenuGEN;

// argomenti are the program's arguments after its own name. One argument is a file, opened in
// finestra as a dropped one would be (TMenuGEN::ApriFile) as soon as the event loop runs, so
// that its boxes come up over the shown window; a relative name is taken from the current
// folder. No argument opens nothing; several are refused in the plain message box.
// finestra must outlive the event loop's first turn.
void ApriFileDiAvvio(TMenuGEN& finestra, const QStringList& argomenti);

} // namespace marvento
