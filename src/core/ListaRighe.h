#pragma once
// The lines of a text file held in memory, indexed from 0. Text is UTF-8.

#include <cstddef>
#include <memory>
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
    // The same with the text held elsewhere (a file's bytes as they were read): `dimensione` bytes
    // at testo, kept alive by the list.
    ListaRighe(std::shared_ptr<const char> testo, std::size_t dimensione, std::vector<std::size_t> inizi,
               std::vector<std::size_t> fini);

    int conteggio() const { return static_cast<int>(inizi_.size()); }
    // Fails with "List index out of bounds (%d)" outside 0..conteggio()-1.
    // The view stays valid until the list is changed or destroyed.
    std::string_view riga(int indice) const;
    // Appends a line (copies it). Invalidates views returned earlier.
    void aggiungi(std::string_view riga);

  private:
    void verifica() const;
    const char* dati() const { return esterno_ ? esterno_.get() : testo_.data(); }

    std::string testo_;
    std::shared_ptr<const char> esterno_; // when set, the text instead of testo_
    std::size_t dimensioneEsterno_ = 0;
    std::vector<std::size_t> inizi_;
    std::vector<std::size_t> fini_;
};

} // namespace marvento
