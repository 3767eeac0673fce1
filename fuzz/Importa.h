#pragma once
// One import of arbitrary file contents into fresh grids, with either decimal separator. The
// import completes or refuses with a message; whatever the grids then hold is exported, as the
// user could do next.

#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "ListaRighe.h"
#include "Testo.h"
#include "Verifica.h"

#include <cstddef>
#include <cstdint>

namespace marvento::fuzz {

inline void Esporta(const Griglia& griglia)
{
    if (griglia.numeroColonne() == 0)
        return;
    const std::string byte = TestoTabulato(griglia);
    VERIFICA(byte.size() >= 2 && byte.compare(byte.size() - 2, 2, "\r\n") == 0);
}

template <typename Importa, typename Dopo>
void ImportaTutto(const std::uint8_t* dati, std::size_t dimensione, Importa importa, Dopo dopo)
{
    ListaRighe righe;
    if (!Tenta([&] { righe = DecodificaRighe(ComeTesto(dati, dimensione)); }))
        return;
    for (const char separatore : {',', '.'}) {
        Griglia tabella;
        Griglia riepilogo;
        const bool riuscita = Tenta([&] { importa(righe, tabella, riepilogo, separatore); });
        Tenta([&] {
            Esporta(tabella);
            Esporta(riepilogo);
        });
        if (riuscita)
            dopo(tabella, riepilogo, separatore);
    }
}

} // namespace marvento::fuzz
