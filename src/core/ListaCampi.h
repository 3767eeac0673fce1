#pragma once
// The fields of one line as cut by DividiCampi, indexed from 0.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

class ListaCampi
{
public:
    int conteggio() const { return static_cast<int>(fini_.size()); }
    // Fails with "List index out of bounds (%d)" outside 0..conteggio()-1.
    // The view stays valid until the list is refilled or destroyed.
    std::string_view campo(int indice) const;

    void svuota();
    void aggiungi(std::string_view campo);

private:
    std::string testo_;
    std::vector<std::size_t> fini_;
};

} // namespace marvento
