#include "Utf8.h"

#include <algorithm>

namespace marvento {

namespace {

bool Continuazione(unsigned char b)
{
    return (b & 0xC0u) == 0x80u;
}

} // namespace

std::size_t LeggiCarattereUtf8(const unsigned char* p, std::size_t resto, char32_t& carattere)
{
    if (resto == 0)
        return 0;
    const unsigned char b0 = p[0];
    if (b0 < 0x80u) {
        carattere = b0;
        return 1;
    }
    if (b0 >= 0xC2u && b0 <= 0xDFu) {
        if (resto < 2 || !Continuazione(p[1]))
            return 0;
        carattere = (char32_t(b0 & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0u && b0 <= 0xEFu) {
        if (resto < 3)
            return 0;
        // The second byte's range excludes overlong forms (E0) and the surrogates (ED).
        const unsigned char minimo = b0 == 0xE0u ? 0xA0u : 0x80u;
        const unsigned char massimo = b0 == 0xEDu ? 0x9Fu : 0xBFu;
        if (p[1] < minimo || p[1] > massimo || !Continuazione(p[2]))
            return 0;
        carattere = (char32_t(b0 & 0x0Fu) << 12) | (char32_t(p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        return 3;
    }
    if (b0 >= 0xF0u && b0 <= 0xF4u) {
        if (resto < 4)
            return 0;
        // F0 would be overlong below 90; F4 would pass U+10FFFF above 8F.
        const unsigned char minimo = b0 == 0xF0u ? 0x90u : 0x80u;
        const unsigned char massimo = b0 == 0xF4u ? 0x8Fu : 0xBFu;
        if (p[1] < minimo || p[1] > massimo || !Continuazione(p[2]) || !Continuazione(p[3]))
            return 0;
        carattere = (char32_t(b0 & 0x07u) << 18) | (char32_t(p[1] & 0x3Fu) << 12) |
                    (char32_t(p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        return 4;
    }
    return 0;
}

void AggiungiCarattereUtf8(std::string& testo, char32_t carattere)
{
    if (carattere < 0x80u) {
        testo.push_back(static_cast<char>(carattere));
    } else if (carattere < 0x800u) {
        const char byte[2] = {static_cast<char>(0xC0u | (carattere >> 6)),
                              static_cast<char>(0x80u | (carattere & 0x3Fu))};
        testo.append(byte, 2);
    } else if (carattere < 0x10000u) {
        const char byte[3] = {static_cast<char>(0xE0u | (carattere >> 12)),
                              static_cast<char>(0x80u | ((carattere >> 6) & 0x3Fu)),
                              static_cast<char>(0x80u | (carattere & 0x3Fu))};
        testo.append(byte, 3);
    } else {
        const char byte[4] = {static_cast<char>(0xF0u | (carattere >> 18)),
                              static_cast<char>(0x80u | ((carattere >> 12) & 0x3Fu)),
                              static_cast<char>(0x80u | ((carattere >> 6) & 0x3Fu)),
                              static_cast<char>(0x80u | (carattere & 0x3Fu))};
        testo.append(byte, 4);
    }
}

std::size_t PrimoNonAscii(const char* testo, std::size_t lunghezza)
{
    const char* fine = testo + lunghezza;
    return static_cast<std::size_t>(
        std::find_if(testo, fine, [](char c) { return static_cast<unsigned char>(c) >= 0x80u; }) - testo);
}

} // namespace marvento
