// marvento-cli mes: a section-speed file through the same import as "Apri File Velocita'".
#include "Comandi.h"

#include "Comune.h"
#include "Importazione.h"

namespace marvento::cli {

int ComandoMes(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Importa un file di velocita' sezioni (.mes), o una lista di risultati (.att) con la tabella Data "
        "Collection Results, come \"Apri File Velocita'\" e ne salva la tabella "
        "e il riepilogo come \"Salva Tabella\" e \"Salva Riepilogo\"; senza --detail, --summary ne' "
        "--workbook stampa il riepilogo. Piu' file sono i run di uno scenario, come i run di una lista: "
        "una tabella di tutti i run e un riepilogo con le figure di tutti i run insieme e le statistiche tra "
        "i run.");
    AggiungiOpzioniImportazione(parser);
    OpzioniImportazione opzioni;
    if (const auto uscita = AnalizzaImportazione(parser, argomenti, opzioni))
        return *uscita;
    return EseguiRiportando([&] {
        const Griglie griglie =
            ImportaFile(opzioni.file, TipoFile::Velocita, opzioni.separatore, opzioni.run);
        ScriviUscite(opzioni, griglie.tabella, griglie.riepilogo);
    });
}

} // namespace marvento::cli
