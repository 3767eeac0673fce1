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

// LeggiDecimale without the failure: false for a text that it refuses, and valore then undefined.
bool ProvaDecimale(std::string_view testo, char separatore, double& valore);

// The pattern "0.000": 18 significant digits, then half away from zero at three decimals; "-" only
// when the rounded value is not zero; every integer digit, however large. An infinite value is
// written "INF" or "-INF", not a number "NAN". Never fails.
std::string FormattaDecimale(long double valore, char separatore);

std::string FormattaIntero(std::int32_t valore);

} // namespace marvento
