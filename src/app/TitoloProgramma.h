#pragma once
// The program's title, the caption of the plain message box.

#include <QString>

namespace marvento {

// The executable's file name without its folder ('/' or '\'), cut at its first '.', with the
// first character unchanged and the rest in lower case: "C:\Prog\MARVENTO.EXE" gives "Marvento".
QString TitoloProgramma(const QString& percorsoEseguibile);

} // namespace marvento
