// marvento-cli validate: the simulation (one file or the runs of a scenario) against the field
// data, as "Confronta con i rilievi..." in the summary's menu: the summary with the comparison's
// columns, the summing-up, and the chart of simulated against observed counts.
#include "Comandi.h"

#include "Comune.h"
#include "ConfrontoRilievi.h"
#include "Errore.h"
#include "Esportazione.h"
#include "Rilievi.h"
#include "TConfronto.h"
#include "TDiagrammi.h"

#include <QChartView>
#include <QCoreApplication>
#include <QFileInfo>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace marvento::cli {

namespace {

struct OpzioniValida
{
    std::vector<std::string> file;
    std::string rilievi;
    std::string riepilogo; // empty: printed
    std::string png;       // empty: no chart
    QSize dimensione{640, 480};
    TipoFile tipo = TipoFile::Velocita;
    CriteriConfronto criteri;
    OpzioniRun run;
    char separatore = '.';
};

void AggiungiOpzioni(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Confronta la simulazione (un file .mes o .rsz, i run di uno scenario o una lista .att: allora la "
        "media sui run) "
        "con i rilievi come \"Confronta con i rilievi...\" nel menu del riepilogo: il riepilogo con le "
        "colonne del confronto (GEH dei conteggi, velocita' o tempi entro la tolleranza, esito), poi il "
        "riassunto; senza --summary stampa il riepilogo.");
    AggiungiAiutoEVersione(parser);
    parser.addOption({"observed",
                      "Il file dei rilievi: testo separato da punto e virgola, tabulazione o virgola.",
                      "FIELD"});
    parser.addOption(
        {"summary",
         "Salva il riepilogo in OUT (testo tabulato; cartella di lavoro di Excel se OUT finisce in .xlsx).",
         "OUT"});
    parser.addOption({"png", "Salva il grafico dei veicoli simulati e rilevati in OUT (.png).", "OUT"});
    AggiungiDimensione(parser, "640x480");
    parser.addOption({"geh-threshold", "Soglia del GEH (predefinita 5).", "GEH", "5"});
    parser.addOption(
        {"geh-share", "Quota dei casi sotto la soglia richiesta, in % (predefinita 85).", "PERCENTO", "85"});
    parser.addOption({"time-tolerance",
                      "Tolleranza di velocita' e tempi, in % del valore rilevato (predefinita 15).",
                      "PERCENTO", "15"});
    parser.addOption({"time-tolerance-seconds",
                      "Tolleranza dei tempi di percorrenza in secondi, quando e' maggiore (predefinita 60).",
                      "SECONDI", "60"});
    AggiungiOpzioniRun(parser);
    AggiungiSeparatore(parser);
    parser.addPositionalArgument(
        "FILE", "Il file della simulazione (.mes, .rsz o .att), o i run di uno scenario.", "FILE...");
}

// The criteria: each a number in its range.
std::optional<int> LeggiCriteri(const QCommandLineParser& parser, CriteriConfronto& criteri)
{
    const struct
    {
        const char* nome;
        double* valore;
        double minimo;
        double massimo;
        bool minimoEscluso;
        const char* problema;
    } voci[] = {
        {"geh-threshold", &criteri.sogliaGeh, 0, 1e6, true, "La soglia del GEH deve essere maggiore di 0."},
        {"geh-share", &criteri.quotaMinima, 0, 100, false, "La quota di --geh-share va da 0 a 100."},
        {"time-tolerance", &criteri.tolleranzaPercento, 0, 1e6, false,
         "La tolleranza in % non puo' essere negativa."},
        {"time-tolerance-seconds", &criteri.tolleranzaSecondi, 0, 1e9, false,
         "La tolleranza in secondi non puo' essere negativa."},
    };
    for (const auto& voce : voci) {
        const std::optional<double> valore = NumeroOpzione(parser.value(voce.nome));
        if (!valore || *valore > voce.massimo || *valore < voce.minimo ||
            (voce.minimoEscluso && *valore <= voce.minimo))
            return ErroreUso(parser, QString::fromUtf8(voce.problema));
        *voce.valore = *valore;
    }
    return std::nullopt;
}

// No output may replace a file it is computed from, nor the other output.
std::optional<int> ControllaUscite(const QCommandLineParser& parser, const OpzioniValida& opzioni)
{
    std::vector<std::string> ingressi = opzioni.file;
    ingressi.push_back(opzioni.rilievi);
    const auto stesso = [](const std::string& a, const std::string& b) {
        const QString ca = QFileInfo(QString::fromStdString(a)).canonicalFilePath();
        return a == b || (!ca.isEmpty() && ca == QFileInfo(QString::fromStdString(b)).canonicalFilePath());
    };
    for (const std::string* uscita : {&opzioni.riepilogo, &opzioni.png})
        for (const std::string& ingresso : ingressi)
            if (!uscita->empty() && stesso(*uscita, ingresso))
                return ErroreUso(parser,
                                 QStringLiteral("--summary e --png non possono indicare un file letto."));
    if (!opzioni.png.empty() && opzioni.png == opzioni.riepilogo)
        return ErroreUso(parser, QStringLiteral("--summary e --png indicano lo stesso file."));
    return std::nullopt;
}

std::optional<int> Analizza(QCommandLineParser& parser, const QStringList& argomenti, OpzioniValida& opzioni)
{
    if (const auto uscita = AnalizzaComuni(parser, argomenti,
                                           {"observed", "summary", "png", "size", "geh-threshold",
                                            "geh-share", "time-tolerance", "time-tolerance-seconds",
                                            "confidence", "tolerance", "decimal-separator"}))
        return uscita;
    if (!parser.isSet("observed"))
        return ErroreUso(parser, QStringLiteral("Manca l'opzione --observed."));
    // A result list's kind is its table's, read with the import.
    if (const auto uscita = LeggiTipoDalNome(parser, opzioni.tipo))
        return uscita;
    const auto assoluto = [](const QString& percorso) { return PercorsoLocale(PercorsoAssoluto(percorso)); };
    for (const QString& file : parser.positionalArguments())
        opzioni.file.push_back(assoluto(file));
    opzioni.rilievi = assoluto(parser.value("observed"));
    if (parser.isSet("summary"))
        opzioni.riepilogo = assoluto(parser.value("summary"));
    if (parser.isSet("png"))
        opzioni.png = assoluto(parser.value("png"));
    if (const auto uscita = ControllaUscite(parser, opzioni))
        return uscita;
    if (const auto uscita = LeggiDimensione(parser, opzioni.dimensione))
        return uscita;
    if (const auto uscita = LeggiCriteri(parser, opzioni.criteri))
        return uscita;
    if (const auto uscita = LeggiOpzioniRun(parser, opzioni.run))
        return uscita;
    return LeggiSeparatore(parser, opzioni.separatore);
}

// The chart's image through the window's own drawing, encoded before any file is written.
std::string ImmagineGrafico(const GraficoConfronto& modello, const OpzioniValida& opzioni)
{
    PiattaformaRigaDiComando piattaforma;
    TConfronto finestra(opzioni.separatore, piattaforma);
    finestra.resize(opzioni.dimensione);
    // Laid out at its size as when shown, without a window on any screen.
    finestra.setAttribute(Qt::WA_DontShowOnScreen);
    finestra.show();
    finestra.mostraGrafico(modello);
    QCoreApplication::processEvents();
    // The chart itself takes the size asked for; the strip of the button comes on top.
    const QSize strisce = finestra.size() - finestra.Grafico()->size();
    finestra.resize(opzioni.dimensione + strisce);
    QCoreApplication::processEvents();
    return finestra.immagine(opzioni.png);
}

} // namespace

int ComandoValida(const QStringList& argomenti)
{
    QCommandLineParser parser;
    AggiungiOpzioni(parser);
    OpzioniValida opzioni;
    if (const auto uscita = Analizza(parser, argomenti, opzioni))
        return *uscita;
    return EseguiRiportando([&] {
        opzioni.tipo = TipoDaImportare(opzioni.file, opzioni.tipo);
        const Griglie griglie = ImportaFile(opzioni.file, opzioni.tipo, opzioni.separatore, opzioni.run);
        const Rilievi rilievi = LeggiRilievi(opzioni.rilievi);
        const EsitoConfronto esito = ConfrontaRilievi(griglie.tabella, griglie.riepilogo, griglie.righe,
                                                      griglie.riepilogo.numeroColonne(), opzioni.tipo,
                                                      rilievi, opzioni.criteri, opzioni.separatore);
        std::string immagine;
        if (!opzioni.png.empty())
            immagine =
                ImmagineGrafico(ModelloGraficoConfronto(esito, opzioni.criteri, opzioni.separatore), opzioni);
        if (opzioni.riepilogo.empty())
            StampaTabella(esito.riepilogo);
        else
            ScriviGriglia(esito.riepilogo, opzioni.riepilogo, "Riepilogo", opzioni.separatore);
        if (!opzioni.png.empty())
            ScriviFileIntero(opzioni.png, immagine);
        const std::string riassunto = TestoEsitoConfronto(esito, opzioni.criteri, opzioni.separatore);
        if (!(std::cout << (opzioni.riepilogo.empty() ? "\n" : "") << riassunto << '\n' << std::flush))
            throw Errore("Stream write error");
    });
}

} // namespace marvento::cli
