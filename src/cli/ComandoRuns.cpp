// marvento-cli runs: the same scenario run with several random seeds, one file per run, summed up
// per measurement or section as mean, spread, confidence interval and runs needed.
#include "Comandi.h"

#include "Comune.h"
#include "Errore.h"
#include "Griglia.h"
#include "ImportaLista.h"
#include "StatisticheRun.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

namespace marvento::cli {

namespace {

void AggiungiOpzioni(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Confronta i run di uno stesso scenario (un file per seme, tutti .mes o tutti .rsz, o una lista "
        ".att con tutti i run): per ogni "
        "misura o sezione media, deviazione standard, minimo, massimo, semiampiezza dell'intervallo "
        "di confidenza e run necessari; senza --summary stampa la tabella.");
    AggiungiAiutoEVersione(parser);
    parser.addOption(
        {"summary",
         "Salva le statistiche in OUT (testo tabulato; cartella di lavoro di Excel se OUT finisce in .xlsx).",
         "OUT"});
    AggiungiOpzioniRun(parser);
    AggiungiSeparatore(parser);
    parser.addPositionalArgument(
        "FILE", "I file dei run, almeno due, tutti dello stesso tipo, o una lista .att di almeno due run.",
        "FILE...");
}

// At least two files, all of one kind, told by their names; or one result list, whose kind its table
// tells when it is read.
std::optional<int> LeggiFile(const QCommandLineParser& parser, QStringList& file, TipoFile& tipo)
{
    file = parser.positionalArguments();
    if (file.size() == 1 && ELista(PercorsoLocale(file.front())))
        return std::nullopt;
    if (std::any_of(file.begin(), file.end(), [](const QString& uno) { return ELista(PercorsoLocale(uno)); }))
        return ErroreUso(parser,
                         QStringLiteral("Una lista .att contiene gia' tutti i run: si indica da sola."));
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
std::vector<RiepilogoRun> ImportaTutti(const QStringList& file, TipoFile& tipo, char separatore)
{
    if (file.size() == 1) {
        try {
            return ImportaRunDellaLista(PercorsoLocale(PercorsoAssoluto(file.front())),
                                        file.front().toStdString(), separatore, tipo);
        } catch (const std::exception&) {
            StampaMessaggio("Importazione non riuscita: " + file.front().toStdString());
            throw;
        }
    }
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
        const std::vector<RiepilogoRun> run = ImportaTutti(file, tipo, separatore);
        if (run.size() < 2)
            throw Errore("La lista ha un solo run: le statistiche tra i run ne vogliono almeno due.");
        const Griglia statistiche =
            CalcolaStatisticheRun(run, tipo, opzioniRun.confidenza, opzioniRun.tolleranza, separatore);
        if (uscita.isEmpty())
            StampaTabella(statistiche);
        else
            ScriviGriglia(statistiche, PercorsoLocale(uscita), "Statistiche", separatore);
    });
}

} // namespace marvento::cli
