#pragma once
// Copying a few bytes without a call: most cells of a large table hold a handful of characters,
// and a call to memcpy for each costs more than the copy itself.

#include <cstddef>
#include <cstring>

namespace marvento {

// Copies n bytes from sorgente to destinazione (not overlapping); reads and writes only those bytes.
inline void CopiaBreve(char* destinazione, const char* sorgente, std::size_t n)
{
    // Two fixed-size copies that overlap in the middle cover every length of a class; fixed sizes
    // compile to plain loads and stores.
    if (n >= 8 && n <= 16) {
        std::memcpy(destinazione, sorgente, 8);
        std::memcpy(destinazione + n - 8, sorgente + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(destinazione, sorgente, 4);
        std::memcpy(destinazione + n - 4, sorgente + n - 4, 4);
    } else if (n >= 2 && n < 4) {
        std::memcpy(destinazione, sorgente, 2);
        std::memcpy(destinazione + n - 2, sorgente + n - 2, 2);
    } else if (n == 1) {
        *destinazione = *sorgente;
    } else if (n > 16) {
        std::memcpy(destinazione, sorgente, n);
    }
}

} // namespace marvento
