#pragma once
// The files named on the command line, opened in the main window at start-up.

#include <QStringList>

namespace marvento {

class TMenuGEN;

// argomenti are the program's arguments after its own name: a file, or the runs of one scenario,
// opened in finestra as dropped ones would be (TMenuGEN::ApriFile) as soon as the event loop runs,
// so that its boxes come up over the shown window; a relative name is taken from the current
// folder. No argument opens nothing.
// finestra must outlive the event loop's first turn.
void ApriFileDiAvvio(TMenuGEN& finestra, const QStringList& argomenti);

} // namespace marvento
