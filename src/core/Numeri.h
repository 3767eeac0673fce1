#pragma once
// Whole and decimal numbers as the program reads and writes them. The decimal separator is the
// run's one setting, taken once at start-up and passed in; no thousands separator anywhere.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace marvento {

// Fails with "'%s' is not a valid integer value".
std::int32_t LeggiIntero(std::string_view testo);

// Fails with "'%s' is not a valid floating point value".
double LeggiDecimale(std::string_view testo, char separatore);

// LeggiDecimale(testo, separatore) of a text that LeggiIntero has just read as `intero`: a text of
// plain decimal digits (after blanks and a sign) gives that value without a second reading; any
// other text is read again and fails as LeggiDecimale does.
double LeggiDecimaleDiIntero(std::string_view testo, std::int32_t intero, char separatore);

// The powers of ten that a double holds exactly, by which the plain readings divide their digits.
inline constexpr double kPotenzeDieci[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case of the counts in a table, read without a call: a text of one to nine decimal
// digits and nothing else gives its value, the one LeggiIntero and LeggiDecimaleDiIntero give it.
// False for any other text, which then takes those readings (also for their errors).
inline bool InteroSemplice(std::string_view testo, std::int32_t& valore)
{
    if (testo.empty() || testo.size() > 9)
        return false;
    std::int32_t v = 0;
    for (const char c : testo) {
        const unsigned cifra = static_cast<unsigned char>(c) - unsigned{'0'};
        if (cifra > 9)
            return false;
        v = v * 10 + static_cast<std::int32_t>(cifra);
    }
    valore = v;
    return true;
}

// The common case of the times and speeds in a table, read without a call: one to fifteen decimal
// digits with at most one separator among or around them, and nothing else, gives the value
// LeggiDecimale gives it (the digits as a whole number, divided once by the power of ten).
// False for any other text, which then takes LeggiDecimale (also for its errors).
inline bool DecimaleBreve(std::string_view testo, char separatore, double& valore)
{
    if (testo.empty() || testo.size() > 16)
        return false;
    std::uint64_t cifre = 0;
    std::size_t decimali = 0;
    bool dopo = false; // past the separator
    for (const char c : testo) {
        const unsigned cifra = static_cast<unsigned char>(c) - unsigned{'0'};
        if (cifra <= 9) {
            cifre = cifre * 10 + cifra;
            decimali += dopo ? 1 : 0;
        } else if (c == separatore && !dopo) {
            dopo = true;
        } else {
            return false;
        }
    }
    if (testo.size() == (dopo ? std::size_t{1} : std::size_t{0}) || testo.size() - (dopo ? 1 : 0) > 15)
        return false;
    valore = static_cast<double>(cifre) / kPotenzeDieci[decimali];
    return true;
}

// The first byte of a text is the low byte of a word: the readings below take eight bytes at once.
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define MARVENTO_PAROLE_IN_ORDINE 1
#endif

#ifdef MARVENTO_PAROLE_IN_ORDINE
namespace dettaglio {

inline constexpr std::uint64_t kBassi = 0x0F0F0F0F0F0F0F0Fu;

// The first n bytes (1..8) of a little-endian word: when all are decimal digits, their value.
inline bool CifreParola(std::uint64_t parola, std::size_t n, std::uint64_t& valore)
{
    // The n bytes moved to the top, zeros below: leading zeros of the number.
    const unsigned spostamento = static_cast<unsigned>(8 * (8 - n));
    const std::uint64_t presi = ~std::uint64_t{0} << spostamento;
    parola <<= spostamento;
    const std::uint64_t alti = (parola & ~kBassi) ^ 0x3030303030303030u; // 0 for "0".."9" and ":".."?"
    const std::uint64_t oltreNove = ((parola & kBassi) + 0x0606060606060606u) & ~kBassi;
    if (((alti | oltreNove) & presi) != 0)
        return false;
    std::uint64_t v = parola & kBassi;
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
    v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
    valore = v;
    return true;
}

inline std::uint64_t Parola(const char* testo)
{
    std::uint64_t parola = 0;
    std::memcpy(&parola, testo, sizeof parola);
    return parola;
}

} // namespace dettaglio
#endif

// InteroSemplice for a text that can be read eight bytes from its start (it lies in a buffer with
// room beyond its end): the same answer, eight bytes at a time rather than a branch per character.
inline bool InteroInParola(std::string_view testo, std::int32_t& valore)
{
#ifndef MARVENTO_PAROLE_IN_ORDINE
    return InteroSemplice(testo, valore);
#else
    if (testo.empty() || testo.size() > 8)
        return InteroSemplice(testo, valore);
    std::uint64_t cifre = 0;
    if (!dettaglio::CifreParola(dettaglio::Parola(testo.data()), testo.size(), cifre))
        return false;
    valore = static_cast<std::int32_t>(cifre);
    return true;
#endif
}

// DecimaleBreve for a text that can be read eight bytes from its start, likewise: the separator,
// when there is one, is taken out of the word and the digits read at once.
inline bool DecimaleInParola(std::string_view testo, char separatore, double& valore)
{
#ifndef MARVENTO_PAROLE_IN_ORDINE
    return DecimaleBreve(testo, separatore, valore);
#else
    const std::size_t n = testo.size();
    const unsigned separatoreCifra = static_cast<unsigned char>(separatore) - unsigned{'0'};
    if (n == 0 || n > 8 || separatoreCifra <= 9)
        return DecimaleBreve(testo, separatore, valore);
    constexpr std::uint64_t kUno = 0x0101010101010101u;
    constexpr std::uint64_t kSette = 0x7F7F7F7F7F7F7F7Fu;
    std::uint64_t parola = dettaglio::Parola(testo.data());
    // The high bit of each of the n bytes that is the separator.
    const std::uint64_t x = parola ^ (kUno * static_cast<unsigned char>(separatore));
    std::uint64_t separatori = ~(((x & kSette) + kSette) | x | kSette);
    if (n < 8)
        separatori &= (std::uint64_t{1} << (8 * n)) - 1;
    std::size_t cifre = n;
    std::size_t decimali = 0;
    if (separatori != 0) {
        if ((separatori & (separatori - 1)) != 0)
            return false; // a second separator
        const unsigned posizione = static_cast<unsigned>(__builtin_ctzll(separatori)) / 8;
        const std::uint64_t prima = (std::uint64_t{1} << (8 * posizione)) - 1;
        parola = (parola & prima) | ((parola >> 8) & ~prima);
        cifre = n - 1;
        decimali = n - 1 - posizione;
        if (cifre == 0)
            return false;
    }
    std::uint64_t valoreCifre = 0;
    if (!dettaglio::CifreParola(parola, cifre, valoreCifre))
        return false;
    valore = static_cast<double>(valoreCifre) / kPotenzeDieci[decimali];
    return true;
#endif
}

// The pattern "0.000": 18 significant digits, then half away from zero at three decimals; "-" only
// when the rounded value is not zero; every integer digit, however large. An infinite value is
// written "INF" or "-INF", not a number "NAN". Never fails.
std::string FormattaDecimale(long double valore, char separatore);

std::string FormattaIntero(std::int32_t valore);

} // namespace marvento
