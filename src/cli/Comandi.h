#pragma once
// The commands of marvento-cli. Each takes its arguments (the first names the program, for the
// parser) and returns the exit status.

#include <QStringList>

namespace marvento::cli {

// mes FILE [--detail OUT] [--summary OUT] [--decimal-separator SEP]
int ComandoMes(const QStringList& argomenti);

// rsz FILE [--real-lengths LIST] [--detail OUT] [--summary OUT] [--decimal-separator SEP]
int ComandoRsz(const QStringList& argomenti);

// runs FILE... [--summary OUT] [--confidence 0.95] [--tolerance 0.05] [--decimal-separator SEP]
int ComandoRuns(const QStringList& argomenti);

// chart FILE --item TEXT --parameter TEXT --png OUT [--left-axis-zero] [--size WxH]
//       [--decimal-separator SEP]
// Draws with the window's widgets: the application object must be a QApplication.
int ComandoChart(const QStringList& argomenti);

// validate FILE... --observed FIELD [--summary OUT] [--png OUT] [--geh-threshold 5] [--geh-share 85]
//          [--time-tolerance 15] [--time-tolerance-seconds 60] [--confidence] [--tolerance]
//          [--decimal-separator SEP]
// With --png it draws with the window's widgets, and needs a QApplication.
int ComandoValida(const QStringList& argomenti);

} // namespace marvento::cli
