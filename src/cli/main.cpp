// marvento-cli with every command read by QCommandLineParser: on Windows marvento-cli itself; on
// other systems marvento-cli-qt, which marvento-cli starts for what it does not read itself
// (AvvioDiretto.h), with the same arguments. The first argument names the subcommand; everything
// after it belongs to the subcommand's own parser.
#include "AvvioChart.h"
#include "Comandi.h"
#include "Comune.h"

#include <QCoreApplication>
#include <QStringList>

#include <clocale>
#include <cstring>
#include <iostream>
#include <string_view>

#ifndef MARVENTO_VERSIONE
#define MARVENTO_VERSIONE "0.0.0"
#endif

namespace {

struct Sottocomando
{
    const char* nome;
    const char* descrizione;
    int (*esegui)(const QStringList& argomenti); // null: run before any application object
};

const Sottocomando kSottocomandi[] = {
    {"mes", "importa un file di velocita' sezioni (.mes)", marvento::cli::ComandoMes},
    {"rsz", "importa un file di tempi archi (.rsz) e ne corregge i tempi", marvento::cli::ComandoRsz},
    {"runs", "statistiche su piu' run dello stesso scenario (.mes o .rsz)", marvento::cli::ComandoRuns},
    {"chart", "disegna un parametro di una misura o sezione e lo salva come immagine", nullptr},
};

std::string Uso()
{
    std::string testo = "Uso: marvento-cli COMANDO FILE [opzioni]\n\nComandi:\n";
    for (const Sottocomando& comando : kSottocomandi)
        testo += "  " + std::string(comando.nome) + "  " + comando.descrizione + '\n';
    testo += "\nmarvento-cli COMANDO --help mostra le opzioni di un comando.\n";
    return testo;
}

} // namespace

int main(int argc, char** argv)
{
    marvento::cli::PreparaMemoria();
    if (argc > 1 && std::strcmp(argv[1], "chart") == 0)
        return marvento::cli::AvviaChart(argc, argv);
    QCoreApplication applicazione(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("marvento-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARVENTO_VERSIONE));
    // Qt takes the C library's locale from the environment; numbers are the core's business and
    // must not follow it.
    std::setlocale(LC_NUMERIC, "C");

    QStringList argomenti = QCoreApplication::arguments();
    if (argomenti.size() < 2) {
        std::cerr << Uso();
        return marvento::cli::kUscitaUso;
    }
    const QString primo = argomenti.at(1);
    if (primo == QLatin1String("--help") || primo == QLatin1String("-h")) {
        std::cout << Uso();
        return marvento::cli::kUscitaRiuscita;
    }
    if (primo == QLatin1String("--version") || primo == QLatin1String("-v")) {
        std::cout << "marvento-cli " << MARVENTO_VERSIONE << '\n';
        return marvento::cli::kUscitaRiuscita;
    }
    for (const Sottocomando& comando : kSottocomandi) {
        if (primo == QLatin1String(comando.nome) && comando.esegui) {
            // The subcommand's parser sees "marvento-cli mes" as the program, so its usage line
            // names the subcommand.
            argomenti.removeAt(1);
            argomenti[0] = QStringLiteral("marvento-cli ") + primo;
            return comando.esegui(argomenti);
        }
    }
    std::cerr << "Comando sconosciuto: " << primo.toStdString() << "\n\n" << Uso();
    return marvento::cli::kUscitaUso;
}
