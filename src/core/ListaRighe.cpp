#include "ListaRighe.h"

#include "Errore.h"

#include <utility>

namespace marvento {

ListaRighe::ListaRighe(std::string testo, std::vector<std::size_t> inizi, std::vector<std::size_t> fini)
    : testo_(std::move(testo)), inizi_(std::move(inizi)), fini_(std::move(fini))
{
    verifica();
}

ListaRighe::ListaRighe(std::shared_ptr<const char> testo, std::size_t dimensione,
                       std::vector<std::size_t> inizi, std::vector<std::size_t> fini)
    : esterno_(std::move(testo)), dimensioneEsterno_(dimensione), inizi_(std::move(inizi)),
      fini_(std::move(fini))
{
    verifica();
}

void ListaRighe::verifica() const
{
    const std::size_t dimensione = esterno_ ? dimensioneEsterno_ : testo_.size();
    if (inizi_.size() != fini_.size())
        throw Errore("ListaRighe: inizi e fini di numero diverso");
    for (std::size_t i = 0; i < inizi_.size(); ++i)
        if (inizi_[i] > fini_[i] || fini_[i] > dimensione)
            throw Errore("ListaRighe: riga fuori dal testo");
}

std::string_view ListaRighe::riga(int indice) const
{
    if (indice < 0 || indice >= conteggio())
        ErroreIndiceLista(indice);
    const auto i = static_cast<std::size_t>(indice);
    return std::string_view(dati() + inizi_[i], fini_[i] - inizi_[i]);
}

void ListaRighe::aggiungi(std::string_view riga)
{
    // A line of this very list may be appended again: copied out before the buffer can move.
    const std::string copia(riga);
    if (esterno_) {
        // Appending needs a text that grows: the bytes become a string, once.
        testo_.assign(esterno_.get(), dimensioneEsterno_);
        esterno_.reset();
        dimensioneEsterno_ = 0;
    }
    inizi_.push_back(testo_.size());
    testo_ += copia;
    fini_.push_back(testo_.size());
}

} // namespace marvento
