#include "ListaCampi.h"

namespace marvento {

void ListaCampi::inizia(std::string_view riga)
{
    // Keeps the capacity: one list is refilled for every line of a file.
    testo_.assign(riga.data(), riga.size());
    campi_.clear();
}

void ListaCampi::aggiungi(std::string_view campo)
{
    const std::size_t inizio = testo_.size();
    testo_.append(campo.data(), campo.size());
    campi_.emplace_back(inizio, testo_.size());
}

} // namespace marvento
