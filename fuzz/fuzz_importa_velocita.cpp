// Any file as a section-speed file.
#include "Importa.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    fuzz::ImportaTutto(
        dati, dimensione,
        [](const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore) {
            ImportaVelocita(righe, tabella, riepilogo, separatore);
        },
        [](Griglia&, Griglia& riepilogo, char) { VERIFICA(riepilogo.numeroColonne() == 5); });
    return 0;
}
