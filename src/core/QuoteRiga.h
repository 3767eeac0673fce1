#pragma once
// Shares of a travel-time data line: each of the import's threads cleans and cuts the fields of its
// own sections out of every line, without the rest of the line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

// The place just after the n-th ";" (n >= 1) of testo, or npos when it holds fewer.
std::size_t DopoPuntiEVirgola(std::string_view testo, std::size_t n);

// Appends to pulite a share of a data line, cleaned as the plain reading cleans it (blanks dropped,
// "." as separatore, a final ";" dropped), and to fini the ends in pulite of its fields: `campi`
// fields (campi >= 1) from field `primo` on, as the fields of the cleaned line cut at ";". Unless
// ultima, the share ends at the ";" that closes its last field; the last share runs to the end of
// the line, which may hold more fields (ignored). False when the line has too few fields or the
// share holds a quote (the line then comes under the plain rules); pulite and fini then hold
// scraps. The shares of one line, taken in turn, cover it whole, so together they say what a cut
// of the whole line says. separatore must be neither ";" nor a quote.
bool TagliaQuota(std::string_view riga, char separatore, std::size_t primo, std::size_t campi, bool ultima,
                 std::string& pulite, std::vector<std::size_t>& fini);

// The same, a byte at a time: what machines without the vector instructions run, and what the
// vector path is held to in the tests.
bool TagliaQuotaPerByte(std::string_view riga, char separatore, std::size_t primo, std::size_t campi,
                        bool ultima, std::string& pulite, std::vector<std::size_t>& fini);

} // namespace marvento
