#pragma once
// The lines of a text file held in memory, indexed from 0. Text is UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

class ListaRighe
{
  public:
    ListaRighe() = default;
    // Takes the whole decoded text and the [inizio, fine) byte ranges of its lines.
    ListaRighe(std::string testo, std::vector<std::size_t> inizi, std::vector<std::size_t> fini);

    int conteggio() const { return static_cast<int>(inizi_.size()); }
    // Fails with "List index out of bounds (%d)" outside 0..conteggio()-1.
    // The view stays valid until the list is changed or destroyed.
    std::string_view riga(int indice) const;
    // Appends a line (copies it). Invalidates views returned earlier.
    void aggiungi(std::string_view riga);

  private:
    void verifica() const;

    std::string testo_;
    std::vector<std::size_t> inizi_;
    std::vector<std::size_t> fini_;
};

} // namespace marvento
