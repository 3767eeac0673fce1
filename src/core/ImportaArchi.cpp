// Placeholder until the travel-time importer lands.
#include "Importazione.h"
#include "Errore.h"

namespace marvento {
void ImportaArchi(const ListaRighe&, Griglia&, Griglia&, char)
{
    throw Errore("Importazione non ancora disponibile");
}
} // namespace marvento
