// marvento-cli mes: a section-speed file through the same import as "Apri File Velocita'".
#include "Comandi.h"

#include "Comune.h"
#include "Importazione.h"

namespace marvento::cli {

int ComandoMes(const QStringList& argomenti)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Importa un file di velocita' sezioni (.mes) come \"Apri File Velocita'\" e ne salva la tabella "
        "e il riepilogo come \"Salva Tabella\" e \"Salva Riepilogo\"; senza --detail, --summary ne' "
        "--workbook "
        "stampa il riepilogo.");
    AggiungiOpzioniImportazione(parser);
    OpzioniImportazione opzioni;
    if (const auto uscita = AnalizzaImportazione(parser, argomenti, opzioni))
        return *uscita;
    return EseguiRiportando([&] {
        const Griglie griglie = ImportaFile(opzioni.file, TipoFile::Velocita, opzioni.separatore);
        ScriviUscite(opzioni, griglie.tabella, griglie.riepilogo);
    });
}

} // namespace marvento::cli
