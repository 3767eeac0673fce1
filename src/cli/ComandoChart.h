#pragma once
// marvento-cli chart: a file drawn as the diagram window draws it, saved as "Salva" saves it.

#include <QCoreApplication>
#include <QStringList>

#include <memory>

namespace marvento::cli {

// chart FILE --item TEXT --parameter TEXT --png OUT [--left-axis-zero] [--size WxH]
//       [--decimal-separator SEP]
int ComandoChart(const QStringList& argomenti);

// The application object for the run: the chart subcommand draws with the window's widgets and
// needs a GUI application (offscreen unless QT_QPA_PLATFORM names another platform); the other
// subcommands make do with a core application. argc must outlive the object.
std::unique_ptr<QCoreApplication> CreaApplicazione(int& argc, char** argv);

} // namespace marvento::cli
