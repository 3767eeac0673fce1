// Placeholder until the travel-time correction lands.
#include "Importazione.h"
#include "Errore.h"

namespace marvento {
void CorreggiTempi(Griglia&, char, const std::function<void(const std::string&)>&)
{
    throw Errore("Correzione non ancora disponibile");
}
} // namespace marvento
