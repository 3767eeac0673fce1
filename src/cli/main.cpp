// marvento-cli: batch work on the same core as the window. The first argument names the command;
// everything after it belongs to the command's own parser.
#include "Comandi.h"
#include "Comune.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#ifndef MARVENTO_VERSIONE
#define MARVENTO_VERSIONE "0.0.0"
#endif

namespace {

using namespace marvento::cli;

struct Comando
{
    const char* nome;
    const char* descrizione;
    int (*esegui)(const QStringList& argomenti);
    // Whether the command, with these arguments, draws with the window's widgets and so needs a
    // GUI application; none for a command that never draws.
    bool (*grafico)(int argc, char** argv);
};

bool Sempre(int, char**)
{
    return true;
}

// validate draws only for --png.
bool ConPng(int argc, char** argv)
{
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--png") == 0 || std::strncmp(argv[i], "--png=", 6) == 0)
            return true;
    return false;
}

const Comando kComandi[] = {
    {"mes", "importa un file di velocita' sezioni (.mes, o una lista .att)", ComandoMes, nullptr},
    {"rsz", "importa un file di tempi archi (.rsz, o una lista .att) e ne corregge i tempi", ComandoRsz,
     nullptr},
    {"runs", "statistiche su piu' run dello stesso scenario (.mes, .rsz o una lista .att)", ComandoRuns,
     nullptr},
    {"chart", "disegna un parametro di una misura o sezione e lo salva come immagine", ComandoChart, Sempre},
    {"validate", "confronta la simulazione con i rilievi (GEH dei conteggi, tempi e velocita')",
     ComandoValida, ConPng},
};

// From the raw arguments: the application object depends on it and must exist before Qt reads them.
const Comando* TrovaComando(int argc, char** argv)
{
    if (argc < 2)
        return nullptr;
    for (const Comando& comando : kComandi)
        if (std::strcmp(argv[1], comando.nome) == 0)
            return &comando;
    return nullptr;
}

std::string Uso()
{
    std::string testo = "Uso: marvento-cli COMANDO FILE [opzioni]\n\nComandi:\n";
    for (const Comando& comando : kComandi)
        testo += "  " + std::string(comando.nome) + "  " + comando.descrizione + '\n';
    testo += "\nmarvento-cli COMANDO --help mostra le opzioni di un comando.\n";
    return testo;
}

// The offscreen platform's notices ("does not support propagateSizeHints()", XDG_RUNTIME_DIR) are
// no concern of the user's: standard error carries only what the program itself has to say.
void SoloErroriGravi(QtMsgType tipo, const QMessageLogContext&, const QString& testo)
{
    if (tipo == QtCriticalMsg || tipo == QtFatalMsg)
        std::fprintf(stderr, "%s\n", testo.toLocal8Bit().constData());
}

// A command that draws gets a GUI application, offscreen unless QT_QPA_PLATFORM names another
// platform; every other command a core application, so that it runs without a display and without
// starting the graphics. argc must outlive the object.
std::unique_ptr<QCoreApplication> CreaApplicazione(int& argc, char** argv, const Comando* comando)
{
    if (comando != nullptr && comando->grafico != nullptr && comando->grafico(argc, argv)) {
        qInstallMessageHandler(SoloErroriGravi);
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

// Qt's own words in the commands' help and in its parser's messages ("Usage:", "Options:", "Unknown
// option") in Italian, as the rest of the program speaks; without the catalogue they stay in
// English. Where Qt is installed the catalogue is qtbase_it.qm among Qt's translations; windeployqt
// merges it into qt_it.qm in a folder beside the program.
void CaricaTraduzione(QTranslator& traduzione)
{
    const QString cartelle[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    for (const QString& cartella : cartelle) {
        for (const char* nome : {"qtbase_it", "qt_it"}) {
            if (traduzione.load(QString::fromLatin1(nome), cartella)) {
                QCoreApplication::installTranslator(&traduzione);
                return;
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const Comando* comando = TrovaComando(argc, argv);
    const auto applicazione = CreaApplicazione(argc, argv, comando);
    QCoreApplication::setApplicationName(QStringLiteral("marvento-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARVENTO_VERSIONE));
    QTranslator traduzione;
    CaricaTraduzione(traduzione);
    // Qt takes the C library's locale from the environment; numbers are the core's business and
    // must not follow it.
    std::setlocale(LC_NUMERIC, "C");

    QStringList argomenti = QCoreApplication::arguments();
    if (comando != nullptr) {
        // The command's parser sees the program alone; the usage line adds the command (Comune.cpp).
        argomenti.removeAt(1);
        return comando->esegui(argomenti);
    }
    if (argomenti.size() < 2) {
        std::cerr << Uso();
        return kUscitaUso;
    }
    const QString primo = argomenti.at(1);
    if (primo == QLatin1String("--help") || primo == QLatin1String("-h")) {
        std::cout << Uso();
        return kUscitaRiuscita;
    }
    if (primo == QLatin1String("--version") || primo == QLatin1String("-v")) {
        std::cout << "marvento-cli " << MARVENTO_VERSIONE << '\n';
        return kUscitaRiuscita;
    }
    std::cerr << "Comando sconosciuto: " << primo.toStdString() << "\n\n" << Uso();
    return kUscitaUso;
}
