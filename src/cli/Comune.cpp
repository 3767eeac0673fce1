#include "Comune.h"

#include "SeparatoreSistema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <iostream>

namespace marvento::cli {

void AggiungiOpzioniImportazione(QCommandLineParser& parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"detail", "Salva la tabella di dettaglio in OUT (testo tabulato).", "OUT"});
    parser.addOption({"summary", "Salva il riepilogo in OUT (testo tabulato).", "OUT"});
    parser.addOption({"decimal-separator",
                      "Separatore decimale, \",\" o \".\" (senza: quello delle impostazioni locali).",
                      "SEP"});
    parser.addPositionalArgument("FILE", "Il file da importare.");
}

namespace {

// The parser names only the program; the usage line also needs the subcommand, which the
// dispatch guarantees to be the first argument.
std::string TestoAiuto(const QCommandLineParser& parser)
{
    QString testo = parser.helpText();
    const QStringList argomenti = QCoreApplication::arguments();
    const int opzioni = testo.indexOf(QLatin1String(" [options]"));
    if (opzioni >= 0 && argomenti.size() > 1)
        testo.insert(opzioni, QLatin1Char(' ') + argomenti.at(1));
    return testo.toStdString();
}

} // namespace

int ErroreUso(const QCommandLineParser& parser, const QString& problema)
{
    std::cerr << problema.toStdString() << '\n' << TestoAiuto(parser);
    return kUscitaUso;
}

std::optional<int> AnalizzaComuni(QCommandLineParser& parser, const QStringList& argomenti,
                                  std::initializer_list<const char*> opzioniUniche)
{
    if (!parser.parse(argomenti))
        return ErroreUso(parser, parser.errorText());
    if (parser.isSet("help")) {
        std::cout << TestoAiuto(parser);
        return kUscitaRiuscita;
    }
    if (parser.isSet("version")) {
        std::cout << QCoreApplication::applicationName().toStdString() << ' '
                  << QCoreApplication::applicationVersion().toStdString() << '\n';
        return kUscitaRiuscita;
    }
    const QStringList posizionali = parser.positionalArguments();
    if (posizionali.size() != 1)
        return ErroreUso(parser, posizionali.isEmpty() ? QStringLiteral("Manca il file da importare.")
                                                       : QStringLiteral("Un solo file alla volta."));
    // Each option once: a second value would silently win over the first.
    for (const char* nome : opzioniUniche)
        if (parser.values(nome).size() > 1)
            return ErroreUso(parser, QStringLiteral("L'opzione --%1 e' data piu' volte.").arg(nome));
    return std::nullopt;
}

std::optional<int> AnalizzaArgomenti(QCommandLineParser& parser, const QStringList& argomenti,
                                     OpzioniImportazione& opzioni)
{
    if (const auto uscita = AnalizzaComuni(parser, argomenti, {"detail", "summary", "decimal-separator"}))
        return uscita;
    const QStringList posizionali = parser.positionalArguments();
    auto assoluto = [](const QString& percorso) {
        return PercorsoLocale(QDir::toNativeSeparators(QFileInfo(percorso).absoluteFilePath()));
    };
    opzioni.file = assoluto(posizionali.front());
    if (parser.isSet("detail"))
        opzioni.dettaglio = assoluto(parser.value("detail"));
    if (parser.isSet("summary"))
        opzioni.riepilogo = assoluto(parser.value("summary"));
    if (parser.isSet("detail") && parser.isSet("summary") && opzioni.dettaglio == opzioni.riepilogo)
        return ErroreUso(parser, QStringLiteral("--detail e --summary indicano lo stesso file."));
    if (parser.isSet("decimal-separator")) {
        const QString separatore = parser.value("decimal-separator");
        if (separatore != QLatin1String(",") && separatore != QLatin1String("."))
            return ErroreUso(parser, QStringLiteral("Il separatore decimale deve essere \",\" o \".\"."));
        opzioni.separatore = separatore.front().toLatin1();
    } else {
        opzioni.separatore = SeparatoreDecimaleDiSistema();
    }
    return std::nullopt;
}

std::string PercorsoLocale(const QString& percorso)
{
    return percorso.toStdString();
}

} // namespace marvento::cli
