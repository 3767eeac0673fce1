// marvento-cli runs: the same scenario run with several random seeds, one file per run, summed up
// per measurement or section as mean, spread, confidence interval and runs needed.
#include "Comandi.h"

#include "Comune.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "SeparatoreSistema.h"
#include "StatisticheRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <exception>
#include <iostream>
#include <optional>
#include <vector>

namespace marvento::cli {

namespace {

std::optional<TipoFile> GenereDaEstensione(const QString& file)
{
    const QString estensione = QFileInfo(file).suffix().toLower();
    if (estensione == QLatin1String("mes"))
        return TipoFile::Velocita;
    if (estensione == QLatin1String("rsz"))
        return TipoFile::Archi;
    return std::nullopt;
}

// A figure typed on the command line: "," or "." as its decimal point, whatever the locale.
std::optional<double> NumeroOpzione(QString testo)
{
    testo.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double valore = QLocale::c().toDouble(testo.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return valore;
}

} // namespace

int ComandoRuns(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Confronta i run di uno stesso scenario (un file per seme, tutti .mes o tutti .rsz): per ogni "
        "misura o sezione media, deviazione standard, minimo, massimo, semiampiezza dell'intervallo "
        "di confidenza e run necessari; senza --summary stampa la tabella.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"summary", "Salva le statistiche in OUT (testo tabulato).", "OUT"});
    parser.addOption(
        {"confidence", "Livello di confidenza, tra 0 e 1 (predefinito 0.95).", "LIVELLO", "0.95"});
    parser.addOption({"tolerance", "Semiampiezza ammessa come frazione della media (predefinita 0.05).",
                      "FRAZIONE", "0.05"});
    parser.addOption({"decimal-separator",
                      "Separatore decimale, \",\" o \".\" (senza: quello delle impostazioni locali).",
                      "SEP"});
    parser.addPositionalArgument("FILE", "I file dei run, almeno due, tutti dello stesso tipo.", "FILE...");

    if (!parser.parse(argomenti))
        return ErroreUso(parser, parser.errorText());
    if (parser.isSet("help")) {
        // The parser knows only the program; the usage line also names the subcommand.
        QString aiuto = parser.helpText();
        const int opzioni = aiuto.indexOf(QLatin1String(" [options]"));
        if (opzioni >= 0)
            aiuto.insert(opzioni, QLatin1String(" runs"));
        std::cout << aiuto.toStdString();
        return kUscitaRiuscita;
    }
    if (parser.isSet("version")) {
        std::cout << QCoreApplication::applicationName().toStdString() << ' '
                  << QCoreApplication::applicationVersion().toStdString() << '\n';
        return kUscitaRiuscita;
    }
    for (const char* nome : {"summary", "confidence", "tolerance", "decimal-separator"})
        if (parser.values(nome).size() > 1)
            return ErroreUso(parser, QStringLiteral("L'opzione --%1 e' data piu' volte.").arg(nome));

    const QStringList file = parser.positionalArguments();
    if (file.size() < 2)
        return ErroreUso(parser, QStringLiteral("Servono almeno due file di run."));
    const std::optional<TipoFile> tipo = GenereDaEstensione(file.front());
    for (const QString& uno : file) {
        const std::optional<TipoFile> questo = GenereDaEstensione(uno);
        if (!questo)
            return ErroreUso(parser, QStringLiteral("Il file \"%1\" non e' un .mes ne' un .rsz.").arg(uno));
        if (questo != tipo)
            return ErroreUso(parser, QStringLiteral("I file devono essere tutti .mes o tutti .rsz."));
    }

    const std::optional<double> confidenza = NumeroOpzione(parser.value("confidence"));
    if (!confidenza || !(*confidenza > 0.0 && *confidenza < 1.0))
        return ErroreUso(parser, QStringLiteral("Il livello di confidenza deve essere compreso tra 0 e 1."));
    const std::optional<double> tolleranza = NumeroOpzione(parser.value("tolerance"));
    if (!tolleranza || !(*tolleranza > 0.0) || !std::isfinite(*tolleranza))
        return ErroreUso(parser, QStringLiteral("La tolleranza deve essere maggiore di 0."));

    char separatore = SeparatoreDecimaleDiSistema();
    if (parser.isSet("decimal-separator")) {
        const QString testo = parser.value("decimal-separator");
        if (testo != QLatin1String(",") && testo != QLatin1String("."))
            return ErroreUso(parser, QStringLiteral("Il separatore decimale deve essere \",\" o \".\"."));
        separatore = testo.front().toLatin1();
    }
    QString uscita;
    if (parser.isSet("summary"))
        uscita = QDir::toNativeSeparators(QFileInfo(parser.value("summary")).absoluteFilePath());
    // The output must never replace one of the runs it was computed from.
    const QString destinazione = QFileInfo(uscita).canonicalFilePath();
    if (!destinazione.isEmpty())
        for (const QString& uno : file)
            if (QFileInfo(uno).canonicalFilePath() == destinazione)
                return ErroreUso(parser, QStringLiteral("--summary indica uno dei file dei run."));

    return EseguiRiportando([&] {
        std::vector<RiepilogoRun> run;
        run.reserve(static_cast<std::size_t>(file.size()));
        for (const QString& uno : file) {
            // Read from the full path as the window's dialog gives it; messages name the file as
            // the user wrote it.
            const QString percorso = QDir::toNativeSeparators(QFileInfo(uno).absoluteFilePath());
            try {
                run.push_back(ImportaRun(PercorsoLocale(percorso), *tipo, separatore));
            } catch (const std::exception&) {
                StampaMessaggio("Importazione non riuscita: " + uno.toStdString());
                throw;
            }
            run.back().nomeFile = uno.toStdString();
        }
        const Griglia statistiche = CalcolaStatisticheRun(run, *tipo, *confidenza, *tolleranza, separatore);
        if (uscita.isEmpty())
            std::cout << TabellaAllineata(statistiche) << std::flush;
        else
            ScriviFileIntero(PercorsoLocale(uscita), TestoTabulato(statistiche));
    });
}

} // namespace marvento::cli
