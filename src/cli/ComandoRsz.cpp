// marvento-cli rsz: a link travel-time file through the same import as "Apri File Archi", then,
// with --real-lengths, the correction of "Correggi Tempi" on the lengths the user would type.
#include "Comandi.h"

#include "Comune.h"

#include <optional>
#include <string>

namespace marvento::cli {

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

    std::optional<std::string> lunghezzeReali;
    if (parser.isSet("real-lengths"))
        lunghezzeReali = parser.value("real-lengths").toStdString();
    return EseguiRsz(opzioni, lunghezzeReali);
}

} // namespace marvento::cli
