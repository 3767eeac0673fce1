#include "ListaRighe.h"

#include "Errore.h"

#include <functional>
#include <utility>

namespace marvento {

ListaRighe::ListaRighe(std::string testo, std::vector<std::size_t> inizi, std::vector<std::size_t> fini)
    : testo_(std::move(testo)), inizi_(std::move(inizi)), fini_(std::move(fini))
{
    if (inizi_.size() != fini_.size())
        throw Errore("ListaRighe: inizi e fini di numero diverso");
    for (std::size_t i = 0; i < inizi_.size(); ++i)
        if (inizi_[i] > fini_[i] || fini_[i] > testo_.size())
            throw Errore("ListaRighe: riga fuori dal testo");
}

std::string_view ListaRighe::riga(int indice) const
{
    if (indice < 0 || indice >= conteggio())
        ErroreIndiceLista(indice);
    const auto i = static_cast<std::size_t>(indice);
    return std::string_view(testo_.data() + inizi_[i], fini_[i] - inizi_[i]);
}

void ListaRighe::aggiungi(std::string_view riga)
{
    // A line of this very list may be appended again: copy it out before the buffer can move.
    const bool interna = !riga.empty() && std::greater_equal<const char*>()(riga.data(), testo_.data()) &&
                         std::less<const char*>()(riga.data(), testo_.data() + testo_.size());
    const std::size_t inizio = testo_.size();
    if (interna)
        testo_.append(std::string(riga));
    else
        testo_.append(riga.data(), riga.size());
    inizi_.push_back(inizio);
    fini_.push_back(testo_.size());
}

} // namespace marvento
