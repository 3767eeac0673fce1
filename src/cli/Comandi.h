#pragma once
// The subcommands of marvento-cli. Each takes its arguments (the first names the program and the
// subcommand, for the usage text) and returns the exit status.

#include <QStringList>

namespace marvento::cli {

// mes FILE [--detail OUT] [--summary OUT] [--decimal-separator SEP]
int ComandoMes(const QStringList& argomenti);

// rsz FILE [--real-lengths LIST] [--detail OUT] [--summary OUT] [--decimal-separator SEP]
int ComandoRsz(const QStringList& argomenti);

// runs FILE... [--summary OUT] [--confidence 0.95] [--tolerance 0.05] [--decimal-separator SEP]
int ComandoRuns(const QStringList& argomenti);

} // namespace marvento::cli
