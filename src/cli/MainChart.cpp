// marvento-cli-chart: the chart subcommand of marvento-cli, which starts it with its own arguments
// ("marvento-cli chart FILE ..."), in a program of its own because it needs the graphics libraries.
#include "ComandoChart.h"
#include "Comune.h"

#include <QCoreApplication>
#include <QStringList>

#include <clocale>
#include <iostream>
#include <string>

#ifndef MARVENTO_VERSIONE
#define MARVENTO_VERSIONE "0.0.0"
#endif

int main(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "chart") {
        std::cerr << "Uso: marvento-cli chart FILE [opzioni] (questo programma e' avviato da marvento-cli)\n";
        return marvento::cli::kUscitaUso;
    }
    const auto app = marvento::cli::CreaApplicazione(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("marvento-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARVENTO_VERSIONE));
    std::setlocale(LC_NUMERIC, "C"); // as in marvento-cli
    QStringList argomenti = QCoreApplication::arguments();
    argomenti.removeAt(1);
    argomenti[0] = QStringLiteral("marvento-cli chart");
    return marvento::cli::ComandoChart(argomenti);
}
