#include "ListaCampi.h"

#include <limits>

namespace marvento {

namespace {

void VerificaLunghezza(std::size_t lunghezza)
{
    if (lunghezza >= std::numeric_limits<std::uint32_t>::max() / 2)
        throw Errore("Line too long");
}

} // namespace

void ListaCampi::inizia(std::string_view riga)
{
    VerificaLunghezza(riga.size());
    // Keeps the capacity: one list is refilled for every line of a file.
    riga_.assign(riga.data(), riga.size());
    propri_.clear();
    usati_ = 0;
}

void ListaCampi::inizia(std::string&& riga)
{
    VerificaLunghezza(riga.size());
    riga_.swap(riga);
    propri_.clear();
    usati_ = 0;
}

void ListaCampi::aggiungi(std::string_view campo)
{
    const std::size_t inizio = riga_.size() + propri_.size();
    propri_.append(campo.data(), campo.size());
    aggiungiTratto(inizio, inizio + campo.size());
}

} // namespace marvento
