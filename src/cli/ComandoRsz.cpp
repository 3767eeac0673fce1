// marvento-cli rsz: a link travel-time file through the same import as "Apri File Archi", then,
// with --real-lengths, the correction of "Correggi Tempi" on the lengths the user would type.
#include "Comandi.h"

#include "Comune.h"
#include "Errore.h"
#include "Griglia.h"
#include "Importazione.h"
#include "ListaCampi.h"
#include "Testo.h"

#include <optional>
#include <string>

namespace marvento::cli {

namespace {

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
        riepilogo.impostaCella(riepilogo_archi::kLunghezzaReale, riga, lunghezze.campo(riga));
}

} // namespace

int ComandoRsz(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Importa un file di tempi archi (.rsz), o una lista di risultati (.att) con la tabella Vehicle "
        "Travel Time Results, come \"Apri File Archi\", con --real-lengths corregge i "
        "tempi come \"Correggi Tempi\", e ne salva la tabella e il riepilogo come \"Salva Tabella\" e "
        "\"Salva Riepilogo\"; senza --detail, --summary ne' --workbook stampa il riepilogo. Piu' file "
        "sono i run di uno scenario, come i run di una lista: una tabella di tutti i run e un riepilogo "
        "con le figure di tutti i run insieme e le statistiche tra i run.");
    AggiungiOpzioniImportazione(parser);
    parser.addOption({"real-lengths",
                      "Le lunghezze reali degli archi, una per riga del riepilogo separate da \";\" "
                      "(\"600;;95,5\": la riga 2 resta vuota).",
                      "LIST"});
    OpzioniImportazione opzioni;
    if (const auto uscita = AnalizzaImportazione(parser, argomenti, opzioni))
        return *uscita;
    if (const auto uscita = ControllaUniche(parser, {"real-lengths"}))
        return *uscita;

    std::optional<std::string> lunghezzeReali;
    if (parser.isSet("real-lengths"))
        lunghezzeReali = parser.value("real-lengths").toStdString();
    return EseguiRiportando([&] {
        Griglie griglie = ImportaFile(opzioni.file, TipoFile::Archi, opzioni.separatore, opzioni.run);
        if (lunghezzeReali) {
            ScriviLunghezzeReali(griglie.riepilogo, *lunghezzeReali);
            CorreggiTempi(griglie.riepilogo, opzioni.separatore, StampaMessaggio);
        }
        ScriviUscite(opzioni, griglie.tabella, griglie.riepilogo);
    });
}

} // namespace marvento::cli
