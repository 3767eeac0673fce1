#pragma once
// The fields of one line as cut by DividiCampi, indexed from 0. The list keeps its own copy of the
// line, so a field stays readable whatever becomes of the line it came from.

#include "Errore.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvento {

class ListaCampi
{
  public:
    int conteggio() const { return static_cast<int>(campi_.size()); }
    // Fails with "List index out of bounds (%d)" outside 0..conteggio()-1.
    // The view stays valid until the list is refilled or destroyed.
    std::string_view campo(int indice) const
    {
        if (indice < 0 || indice >= conteggio())
            ErroreIndiceLista(indice);
        const auto& [inizio, fine] = campi_[static_cast<std::size_t>(indice)];
        return std::string_view(testo_).substr(inizio, fine - inizio);
    }

    // Forgets the fields and takes a copy of the line that the next ones are cut from.
    void inizia(std::string_view riga);
    // A field that is the line's characters [inizio, fine).
    void aggiungiTratto(std::size_t inizio, std::size_t fine) { campi_.emplace_back(inizio, fine); }
    // A field of its own text.
    void aggiungi(std::string_view campo);

  private:
    std::string testo_; // the line, then the texts of the fields that are not part of it
    std::vector<std::pair<std::size_t, std::size_t>> campi_;
};

} // namespace marvento
