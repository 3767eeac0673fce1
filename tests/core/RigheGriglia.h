#pragma once
// A grid's cells as rows of texts, so that the core's tests compare whole rows and headers.

#include "Griglia.h"

#include <string>
#include <vector>

namespace marvento::prova {

using Riga = std::vector<std::string>;

inline Riga RigaDi(const Griglia& g, int r)
{
    Riga riga;
    for (int c = 0; c < g.numeroColonne(); ++c)
        riga.emplace_back(g.cella(c, r));
    return riga;
}

inline Riga Intestazioni(const Griglia& g)
{
    Riga riga;
    for (int c = 0; c < g.numeroColonne(); ++c)
        riga.push_back(g.intestazione(c));
    return riga;
}

} // namespace marvento::prova
