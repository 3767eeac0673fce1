// marvento-cli chart: imports a file as the main window's buttons do, fills and selects the two
// lists of the diagram window, draws, and writes the image through the window's own code.
#include "Comandi.h"

#include "Comune.h"
#include "Errore.h"
#include "Griglia.h"
#include "Importazione.h"
#include "Piattaforma.h"
#include "TDiagrammi.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSize>

#include <optional>
#include <string>
#include <vector>

namespace marvento::cli {

namespace {

constexpr int kAltezzaStriscia = 41; // the window's strip above the chart

struct OpzioniChart
{
    std::vector<std::string> file;
    QString png;
    QString voce;
    QString parametro;
    bool asseInZero = false;
    QSize dimensione{674, 439};
    char separatore = '.';
    TipoFile tipo = TipoFile::Velocita;
};

std::optional<int> Analizza(QCommandLineParser& parser, const QStringList& argomenti, OpzioniChart& opzioni)
{
    if (const auto uscita =
            AnalizzaComuni(parser, argomenti, {"item", "parameter", "png", "size", "decimal-separator"}))
        return uscita;
    for (const char* nome : {"item", "parameter", "png"})
        if (!parser.isSet(nome))
            return ErroreUso(parser, QStringLiteral("Manca l'opzione --%1.").arg(nome));

    // The kind of the first file; the import refuses runs of another kind, naming both files. A
    // result list's kind is its table's, read with the import.
    if (const auto uscita = LeggiTipoDalNome(parser, opzioni.tipo))
        return uscita;
    for (const QString& file : parser.positionalArguments())
        opzioni.file.push_back(PercorsoLocale(PercorsoAssoluto(file)));
    opzioni.png = PercorsoAssoluto(parser.value("png"));
    opzioni.voce = parser.value("item");
    opzioni.parametro = parser.value("parameter");
    opzioni.asseInZero = parser.isSet("left-axis-zero");

    if (const auto uscita = LeggiDimensione(parser, opzioni.dimensione))
        return uscita;
    return LeggiSeparatore(parser, opzioni.separatore);
}

// Selects the item with exactly this text, as the user would pick it from the list.
void Scegli(QComboBox* lista, const QString& testo, const char* cosa)
{
    const int indice = lista->findText(testo, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (indice < 0)
        throw Errore(std::string(cosa) + " \"" + testo.toStdString() +
                     "\" non e' nell'elenco della finestra");
    lista->setCurrentIndex(indice);
}

} // namespace

int ComandoChart(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Importa un file .mes, .rsz o .att (o i run di uno scenario, una linea per run e la loro media), "
        "disegna il parametro scelto della misura o sezione scelta come \"Disegna\" nella finestra "
        "Diagrammi, e salva il grafico come \"Salva\".");
    AggiungiAiutoEVersione(parser);
    parser.addPositionalArgument(
        "FILE", "Il file da importare (.mes, .rsz o una lista .att), o i run di uno scenario.", "FILE...");
    parser.addOption({"item", "La misura o sezione, come nell'elenco \"Misura/Sezione\".", "TEXT"});
    parser.addOption({"parameter", "Il parametro, come nell'elenco \"Parametro\".", "TEXT"});
    parser.addOption({"png", "Il file dell'immagine; il formato segue l'estensione (.png).", "OUT"});
    parser.addOption({"left-axis-zero", "Dopo il disegno, \"Left axis from 0\"."});
    AggiungiDimensione(parser, "674x439");
    AggiungiSeparatore(parser);
    OpzioniChart opzioni;
    if (const auto uscita = Analizza(parser, argomenti, opzioni))
        return *uscita;
    return EseguiRiportando([&] {
        opzioni.tipo = TipoDaImportare(opzioni.file, opzioni.tipo);
        Griglie griglie = ImportaFile(opzioni.file, opzioni.tipo, opzioni.separatore);
        Griglia& tabella = griglie.tabella;
        Griglia& riepilogo = griglie.riepilogo;

        PiattaformaRigaDiComando piattaforma;
        TDiagrammi finestra(tabella, riepilogo, opzioni.separatore, piattaforma);
        finestra.resize(opzioni.dimensione.width(), opzioni.dimensione.height() + kAltezzaStriscia);
        finestra.impostaCelleVuoteSenzaVeicoli(griglie.celleVuoteSenzaVeicoli);
        finestra.RiempiListe();
        // Laid out at its size as when shown, without a window on any screen.
        finestra.setAttribute(Qt::WA_DontShowOnScreen);
        finestra.show();
        Scegli(finestra.Sezione_LST(), opzioni.voce, "La misura o sezione");
        Scegli(finestra.Parametro_LST(), opzioni.parametro, "Il parametro");
        finestra.disegna();
        if (opzioni.asseInZero)
            finestra.asseSinistroInZero();
        // Lets the chart lay itself out at its size, as it would on screen before the user saves.
        QCoreApplication::processEvents();
        finestra.salvaImmagine(PercorsoLocale(opzioni.png));
    });
}

} // namespace marvento::cli
