// marvento-cli runs: the same scenario run with several random seeds, one file per run, summed up
// per measurement or section as mean, spread, confidence interval and runs needed.
#include "Comandi.h"

#include "Comune.h"
#include "Griglia.h"
#include "StatisticheRun.h"

#include <QFileInfo>

#include <exception>
#include <optional>
#include <vector>

namespace marvento::cli {

namespace {

void AggiungiOpzioni(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Confronta i run di uno stesso scenario (un file per seme, tutti .mes o tutti .rsz): per ogni "
        "misura o sezione media, deviazione standard, minimo, massimo, semiampiezza dell'intervallo "
        "di confidenza e run necessari; senza --summary stampa la tabella.");
    AggiungiAiutoEVersione(parser);
    parser.addOption(
        {"summary",
         "Salva le statistiche in OUT (testo tabulato; cartella di lavoro di Excel se OUT finisce in .xlsx).",
         "OUT"});
    AggiungiOpzioniRun(parser);
    AggiungiSeparatore(parser);
    parser.addPositionalArgument("FILE", "I file dei run, almeno due, tutti dello stesso tipo.", "FILE...");
}

// At least two files, all of one kind, told by their names.
std::optional<int> LeggiFile(const QCommandLineParser& parser, QStringList& file, TipoFile& tipo)
{
    file = parser.positionalArguments();
    if (file.size() < 2)
        return ErroreUso(parser, QStringLiteral("Servono almeno due file di run."));
    const std::optional<TipoFile> primo = TipoDalNome(PercorsoLocale(file.front()));
    for (const QString& uno : file) {
        const std::optional<TipoFile> questo = TipoDalNome(PercorsoLocale(uno));
        if (!questo)
            return ErroreUso(parser, QStringLiteral("Il file \"%1\" non e' un .mes ne' un .rsz.").arg(uno));
        if (questo != primo)
            return ErroreUso(parser, QStringLiteral("I file devono essere tutti .mes o tutti .rsz."));
    }
    tipo = *primo;
    return std::nullopt;
}

// Reads and imports each run as the window would, from the full path; messages name the file as the
// user wrote it.
std::vector<RiepilogoRun> ImportaTutti(const QStringList& file, TipoFile tipo, char separatore)
{
    std::vector<RiepilogoRun> run;
    run.reserve(static_cast<std::size_t>(file.size()));
    for (const QString& uno : file) {
        try {
            run.push_back(ImportaRun(PercorsoLocale(PercorsoAssoluto(uno)), tipo, separatore));
        } catch (const std::exception&) {
            StampaMessaggio("Importazione non riuscita: " + uno.toStdString());
            throw;
        }
        run.back().nomeFile = uno.toStdString();
    }
    return run;
}

} // namespace

int ComandoRuns(const QStringList& argomenti)
{
    QCommandLineParser parser;
    AggiungiOpzioni(parser);
    if (const auto uscita = AnalizzaAiutoEVersione(parser, argomenti))
        return *uscita;
    if (const auto uscita =
            ControllaUniche(parser, {"summary", "confidence", "tolerance", "decimal-separator"}))
        return *uscita;
    QStringList file;
    TipoFile tipo = TipoFile::Velocita;
    if (const auto uscita = LeggiFile(parser, file, tipo))
        return *uscita;

    OpzioniRun opzioniRun;
    if (const auto uscita = LeggiOpzioniRun(parser, opzioniRun))
        return *uscita;
    char separatore = '.';
    if (const auto uscita = LeggiSeparatore(parser, separatore))
        return *uscita;

    const QString uscita = parser.isSet("summary") ? PercorsoAssoluto(parser.value("summary")) : QString();
    // The output must never replace one of the runs it was computed from.
    const QString destinazione = QFileInfo(uscita).canonicalFilePath();
    if (!destinazione.isEmpty())
        for (const QString& uno : file)
            if (QFileInfo(uno).canonicalFilePath() == destinazione)
                return ErroreUso(parser, QStringLiteral("--summary indica uno dei file dei run."));

    return EseguiRiportando([&] {
        const Griglia statistiche =
            CalcolaStatisticheRun(ImportaTutti(file, tipo, separatore), tipo, opzioniRun.confidenza,
                                  opzioniRun.tolleranza, separatore);
        if (uscita.isEmpty())
            StampaTabella(statistiche);
        else
            ScriviGriglia(statistiche, PercorsoLocale(uscita), "Statistiche", separatore);
    });
}

} // namespace marvento::cli
