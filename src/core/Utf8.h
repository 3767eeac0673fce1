#pragma once
// UTF-8 reading and writing of single characters, shared by the decoders of the core.

#include <cstddef>
#include <string>

namespace marvento {

// Reads one character at p, of which resto bytes are available. Returns the number of bytes it
// takes (1 to 4) and stores the code point in carattere; returns 0 when the bytes at p are not a
// well-formed UTF-8 sequence (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t LeggiCarattereUtf8(const unsigned char* p, std::size_t resto, char32_t& carattere);

// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate) to testo.
void AggiungiCarattereUtf8(std::string& testo, char32_t carattere);

// The position of the first byte of testo from 0x80 up, or lunghezza when there is none.
std::size_t PrimoNonAscii(const char* testo, std::size_t lunghezza);

} // namespace marvento
