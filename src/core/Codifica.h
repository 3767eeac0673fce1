#pragma once
// Windows-1252, the code page that stands in for the system's ANSI code page.

#include <string>
#include <string_view>

namespace marvento {

// Windows-1252 bytes to UTF-8; bytes that the code page leaves undefined map to the same code point.
std::string DaWindows1252(std::string_view byte);

// UTF-8 text to Windows-1252 bytes; a character the code page cannot hold becomes '?'.
std::string AWindows1252(std::string_view testo);

} // namespace marvento
