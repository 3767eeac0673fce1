#include "Codifica.h"

#include "Utf8.h"

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
    if (SoloAscii(byte.data(), byte.size()))
        return std::string(byte);
    std::string testo;
    testo.reserve(byte.size() + byte.size() / 2);
    for (const char c : byte) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80u)
            testo.push_back(c);
        else if (b < 0xA0u)
            AggiungiCarattereUtf8(testo, kDa80a9F[b - 0x80u]);
        else
            AggiungiCarattereUtf8(testo, b);
    }
    return testo;
}

std::string AWindows1252(std::string_view testo)
{
    if (SoloAscii(testo.data(), testo.size()))
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
