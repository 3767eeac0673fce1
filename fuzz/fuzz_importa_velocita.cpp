// Any file as a section-speed file.
#include "Importa.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"

#include <vector>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    fuzz::ImportaTutto(
        dati, dimensione,
        [](const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore) {
            // With the rows' numbers and names, as every import takes them: one per summary row.
            std::vector<RigaRiepilogo> righeRiepilogo;
            ImportaVelocita(righe, tabella, riepilogo, separatore, ParoleVelocitaDelFile(righe),
                            &righeRiepilogo);
            VERIFICA(static_cast<int>(righeRiepilogo.size()) == riepilogo.numeroRighe());
        },
        [](Griglia&, Griglia& riepilogo, char) { VERIFICA(riepilogo.numeroColonne() == 5); });
    return 0;
}
