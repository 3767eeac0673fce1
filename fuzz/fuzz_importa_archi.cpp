// Any file as a link travel-time file; a completed import is then corrected with real lengths
// typed into every row.
#include "Importa.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"

#include <string>

#include <vector>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    fuzz::ImportaTutto(
        dati, dimensione,
        [](const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore) {
            // With the rows' numbers and names, as every import takes them: one per summary row.
            std::vector<RigaRiepilogo> righeRiepilogo;
            ImportaArchi(righe, tabella, riepilogo, separatore, ParoleArchiDelFile(righe), &righeRiepilogo);
            VERIFICA(static_cast<int>(righeRiepilogo.size()) == riepilogo.numeroRighe());
        },
        [](Griglia&, Griglia& riepilogo, char separatore) {
            VERIFICA(riepilogo.numeroColonne() == 6);
            for (int r = 0; r < riepilogo.numeroRighe(); ++r)
                riepilogo.impostaCella(4, r, "100");
            fuzz::Tenta([&] { CorreggiTempi(riepilogo, separatore, [](const std::string&) {}); });
        });
    return 0;
}
