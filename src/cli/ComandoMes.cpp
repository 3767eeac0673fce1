// marvento-cli mes: a section-speed file through the same import as "Apri File Velocita'".
#include "Comandi.h"

#include "Comune.h"
#include "Griglia.h"
#include "Importazione.h"
#include "Testo.h"

namespace marvento::cli {

int ComandoMes(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Importa un file di velocita' sezioni (.mes) come \"Apri File Velocita'\" e ne salva la tabella "
        "e il riepilogo come \"Salva Tabella\" e \"Salva Riepilogo\"; senza --detail ne' --summary "
        "stampa il riepilogo.");
    AggiungiOpzioniImportazione(parser);
    OpzioniImportazione opzioni;
    if (const auto uscita = AnalizzaArgomenti(parser, argomenti, opzioni))
        return *uscita;

    return EseguiRiportando([&] {
        // The file's text stays until the end: the peak is reached at the end of the import anyway,
        // with the text and both grids in memory, and nothing is freed (see TerminaProcesso).
        Griglia tabella;
        Griglia riepilogo;
        const ListaRighe righe = CaricaRighe(PercorsoLocale(opzioni.file));
        ImportaVelocita(righe, tabella, riepilogo, opzioni.separatore);
        ScriviUscite(opzioni, tabella, riepilogo);
        TerminaProcesso(kUscitaRiuscita);
    });
}

} // namespace marvento::cli
