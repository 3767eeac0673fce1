#pragma once
// Whole and decimal numbers as the program reads and writes them. The decimal separator is the
// run's one setting, taken once at start-up and passed in; no thousands separator anywhere.

#include <cstdint>
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

// The pattern "0.000": 18 significant digits, then half away from zero at three decimals; "-" only
// when the rounded value is not zero; every integer digit, however large. An infinite value is
// written "INF" or "-INF", not a number "NAN". Never fails.
std::string FormattaDecimale(long double valore, char separatore);

std::string FormattaIntero(std::int32_t valore);

} // namespace marvento
