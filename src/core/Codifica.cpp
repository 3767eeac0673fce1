#include "Codifica.h"

#include "Utf8.h"

#include <array>
#include <cstring>

namespace marvento {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes that the code page leaves undefined keep their
// own code point, as the system's conversion does.
constexpr char16_t kDa80a9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

// The byte for a code point, or '?' when the code page cannot hold it.
char ByteWindows1252(char32_t carattere)
{
    if (carattere < 0x80u || (carattere >= 0xA0u && carattere <= 0xFFu))
        return static_cast<char>(carattere);
    for (unsigned i = 0; i < 32; ++i)
        if (kDa80a9F[i] == carattere)
            return static_cast<char>(0x80u + i);
    return '?';
}

} // namespace

std::string DaWindows1252(std::string_view byte)
{
    // The UTF-8 form of each byte from 0x80 up, worked out once.
    struct FormaUtf8
    {
        char byte[3];
        std::size_t lunghezza;
    };
    static const auto forme = [] {
        std::array<FormaUtf8, 128> tabella{};
        for (unsigned b = 0x80; b < 0x100; ++b) {
            std::string forma;
            AggiungiCarattereUtf8(forma, b < 0xA0u ? char32_t(kDa80a9F[b - 0x80u]) : char32_t(b));
            auto& voce = tabella[b - 0x80u];
            forma.copy(voce.byte, forma.size());
            voce.lunghezza = forma.size();
        }
        return tabella;
    }();

    const std::size_t n = byte.size();
    const char* sorgente = byte.data();
    const std::size_t primoAlto = PrimoNonAscii(sorgente, n);
    if (primoAlto == n)
        return std::string(byte);

    // Two passes, to size the text exactly: the files converted here run to hundreds of megabytes.
    std::size_t lunghezza = n;
    for (std::size_t i = primoAlto; i < n; ++i) {
        const auto b = static_cast<unsigned char>(sorgente[i]);
        if (b >= 0x80u)
            lunghezza += forme[b - 0x80u].lunghezza - 1;
    }
    std::string testo(lunghezza, '\0');
    char* uscita = testo.data();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t alto = i + PrimoNonAscii(sorgente + i, n - i);
        std::memcpy(uscita, sorgente + i, alto - i);
        uscita += alto - i;
        if (alto == n)
            break;
        const auto& forma = forme[static_cast<unsigned char>(sorgente[alto]) - 0x80u];
        std::memcpy(uscita, forma.byte, forma.lunghezza);
        uscita += forma.lunghezza;
        i = alto + 1;
    }
    return testo;
}

std::string AWindows1252(std::string_view testo)
{
    if (PrimoNonAscii(testo.data(), testo.size()) == testo.size())
        return std::string(testo);
    std::string byte;
    byte.reserve(testo.size());
    const auto* p = reinterpret_cast<const unsigned char*>(testo.data());
    std::size_t i = 0;
    while (i < testo.size()) {
        char32_t carattere = 0;
        const std::size_t lunghezza = LeggiCarattereUtf8(p + i, testo.size() - i, carattere);
        if (lunghezza == 0) {
            // A byte that begins no valid character stands for one unknown character.
            byte.push_back('?');
            ++i;
            continue;
        }
        byte.push_back(ByteWindows1252(carattere));
        i += lunghezza;
    }
    return byte;
}

} // namespace marvento
