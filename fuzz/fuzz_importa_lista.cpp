// Any file as a result list, read as the table it names (the other kind is refused by the reader);
// a completed import of travel times is then corrected with real lengths typed into every row.
#include "Importa.h"
#include "ImportaLista.h"
#include "Importazione.h"

#include <string>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    for (const TipoFile tipo : {TipoFile::Velocita, TipoFile::Archi})
        fuzz::ImportaTutto(
            dati, dimensione,
            [tipo](const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore) {
                Griglie griglie = ImportaLista(righe, tipo, separatore);
                // One row of numbers and figures per summary row, and a whole number of rows per run.
                VERIFICA(static_cast<int>(griglie.righe.size()) == griglie.riepilogo.numeroRighe());
                VERIFICA(griglie.celleVuoteSenzaVeicoli);
                tabella = std::move(griglie.tabella);
                riepilogo = std::move(griglie.riepilogo);
            },
            [tipo](Griglia&, Griglia& riepilogo, char separatore) {
                if (tipo != TipoFile::Archi)
                    return;
                VERIFICA(riepilogo.numeroColonne() >= riepilogo_archi::kColonne);
                for (int r = 0; r < riepilogo.numeroRighe(); ++r)
                    riepilogo.impostaCella(riepilogo_archi::kLunghezzaReale, r, "100");
                fuzz::Tenta([&] { CorreggiTempi(riepilogo, separatore, [](const std::string&) {}); });
            });
    return 0;
}
