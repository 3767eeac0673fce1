// Any bytes as a field file: read into rows or refused with a message; every row read has a
// number and at least one observed value, counts not below zero, speeds and times above zero,
// and an interval that ends after it starts.
#include "Rilievi.h"
#include "Testo.h"
#include "Verifica.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    fuzz::Tenta([&] {
        const Rilievi rilievi = LeggiRilievi(DecodificaRighe(fuzz::ComeTesto(dati, dimensione)));
        for (const RigaRilievo& riga : rilievi.righe) {
            VERIFICA(riga.riga >= 2 && riga.numero >= 0);
            VERIFICA(riga.veicoli || riga.velocita || riga.tempo);
            VERIFICA(!riga.veicoli || (std::isfinite(*riga.veicoli) && *riga.veicoli >= 0));
            VERIFICA(!riga.velocita || *riga.velocita > 0);
            VERIFICA(!riga.tempo || *riga.tempo > 0);
            VERIFICA(!riga.da || (riga.a && *riga.da < *riga.a && *riga.da >= 0));
        }
    });
    return 0;
}
