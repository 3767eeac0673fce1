#pragma once
// The fields of one line as cut by DividiCampi, indexed from 0. The list keeps its own copy of the
// line, so a field stays readable whatever becomes of the line it came from.

#include "Errore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvento {

class ListaCampi
{
  public:
    int conteggio() const { return static_cast<int>(usati_); }
    // Fails with "List index out of bounds (%d)" outside 0..conteggio()-1.
    // The view stays valid until the list is refilled or destroyed.
    std::string_view campo(int indice) const
    {
        if (indice < 0 || indice >= conteggio())
            ErroreIndiceLista(indice);
        const auto [inizio, fine] = campi_[static_cast<std::size_t>(indice)];
        if (inizio < riga_.size() || fine == inizio)
            return std::string_view(riga_.data() + inizio, fine - inizio);
        return std::string_view(propri_.data() + inizio - riga_.size(), fine - inizio);
    }

    // Forgets the fields and takes the line that the next ones are cut from: a copy, or the string
    // itself (which then gets this list's previous buffer, to be refilled without allocating).
    void inizia(std::string_view riga);
    void inizia(std::string&& riga);
    const std::string& riga() const { return riga_; }
    // A field that is the line's characters [inizio, fine).
    void aggiungiTratto(std::size_t inizio, std::size_t fine)
    {
        // The list only grows, so that a line of thousands of fields costs no allocation the next time.
        if (usati_ == campi_.size())
            campi_.resize(2 * usati_ + 16);
        campi_[usati_++] = {static_cast<std::uint32_t>(inizio), static_cast<std::uint32_t>(fine)};
    }
    // A field of its own text.
    void aggiungi(std::string_view campo);

  private:
    std::string riga_;
    std::string propri_; // the texts of the fields that are not part of the line, back to back
    // Where each field lies: in the line, or from riga_.size() on in propri_. A line of 4 GB or more
    // is refused by inizia.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> campi_;
    std::size_t usati_ = 0; // the fields of the line; campi_ may hold more places
};

// A chunk of a file's lines cut into their fields, as the readers fill the detail table: the
// scratch line, the lines' fields, and the cells of one column of the chunk for the grid.
struct LineeTagliate
{
    std::string riga;
    std::vector<ListaCampi> linee;
    std::vector<std::string_view> colonna;
};

} // namespace marvento
