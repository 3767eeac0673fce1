#include "ListaCampi.h"

#include "Errore.h"

#include <functional>

namespace marvento {

std::string_view ListaCampi::campo(int indice) const
{
    if (indice < 0 || indice >= conteggio())
        ErroreIndiceLista(indice);
    const auto i = static_cast<std::size_t>(indice);
    const std::size_t inizio = i == 0 ? 0 : fini_[i - 1];
    return std::string_view(testo_.data() + inizio, fini_[i] - inizio);
}

void ListaCampi::svuota()
{
    // Keeps the capacity: one list is refilled for every line of a file.
    testo_.clear();
    fini_.clear();
}

void ListaCampi::aggiungi(std::string_view campo)
{
    const bool interno = !campo.empty() && std::greater_equal<const char*>()(campo.data(), testo_.data()) &&
                         std::less<const char*>()(campo.data(), testo_.data() + testo_.size());
    if (interno)
        testo_.append(std::string(campo));
    else
        testo_.append(campo.data(), campo.size());
    fini_.push_back(testo_.size());
}

} // namespace marvento
