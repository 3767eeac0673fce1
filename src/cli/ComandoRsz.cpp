// marvento-cli rsz: a link travel-time file through the same import as "Apri File Archi", then,
// with --real-lengths, the correction of "Correggi Tempi" on the lengths the user would type.
#include "Comandi.h"

#include "Comune.h"
#include "Errore.h"
#include "Griglia.h"
#include "Importazione.h"
#include "ListaCampi.h"
#include "Testo.h"

#include <string>

namespace marvento::cli {

namespace {

constexpr int kColonnaLunghezzaReale = 4;

// The texts go into the summary's real-length column row by row, as typed; a row without one
// keeps what the import left there.
void ScriviLunghezzeReali(Griglia& riepilogo, const std::string& elenco)
{
    ListaCampi lunghezze;
    DividiCampi(elenco, ';', lunghezze);
    if (lunghezze.conteggio() > riepilogo.numeroRighe())
        throw Errore("Lunghezze reali indicate: " + std::to_string(lunghezze.conteggio()) +
                     ", ma il file ha " + std::to_string(riepilogo.numeroRighe()) + " sezioni");
    for (int riga = 0; riga < lunghezze.conteggio(); ++riga)
        riepilogo.impostaCella(kColonnaLunghezzaReale, riga, lunghezze.campo(riga));
}

} // namespace

int ComandoRsz(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Importa un file di tempi archi (.rsz) come \"Apri File Archi\", con --real-lengths corregge i "
        "tempi come \"Correggi Tempi\", e ne salva la tabella e il riepilogo come \"Salva Tabella\" e "
        "\"Salva Riepilogo\"; senza --detail ne' --summary stampa il riepilogo.");
    AggiungiOpzioniImportazione(parser);
    parser.addOption({"real-lengths",
                      "Le lunghezze reali degli archi, una per riga del riepilogo separate da \";\" "
                      "(\"600;;95,5\": la riga 2 resta vuota).",
                      "LIST"});
    OpzioniImportazione opzioni;
    if (const auto uscita = AnalizzaArgomenti(parser, argomenti, opzioni))
        return *uscita;
    if (parser.values("real-lengths").size() > 1)
        return ErroreUso(parser, QStringLiteral("L'opzione --real-lengths e' data piu' volte."));

    return EseguiRiportando([&] {
        // The file's text stays until the end: the peak is reached at the end of the import anyway,
        // with the text and both grids in memory, and nothing is freed (see TerminaProcesso).
        Griglia tabella;
        Griglia riepilogo;
        const ListaRighe righe = CaricaRighe(PercorsoLocale(opzioni.file));
        ImportaArchi(righe, tabella, riepilogo, opzioni.separatore);
        if (parser.isSet("real-lengths")) {
            ScriviLunghezzeReali(riepilogo, parser.value("real-lengths").toStdString());
            CorreggiTempi(riepilogo, opzioni.separatore, StampaMessaggio);
        }
        ScriviUscite(opzioni, tabella, riepilogo);
        TerminaProcesso(kUscitaRiuscita);
    });
}

} // namespace marvento::cli
