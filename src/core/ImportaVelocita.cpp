// Placeholder until the section-speed importer lands.
#include "Importazione.h"
#include "Errore.h"

namespace marvento {
void ImportaVelocita(const ListaRighe&, Griglia&, Griglia&, char)
{
    throw Errore("Importazione non ancora disponibile");
}
} // namespace marvento
