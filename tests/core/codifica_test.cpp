// Windows-1252 both ways.
#include "Codifica.h"

#include <gtest/gtest.h>

#include <string>

namespace marvento {
namespace {

TEST(Windows1252, OgniByteTornaSeStesso)
{
    std::string tutti;
    for (int b = 0; b < 256; ++b)
        tutti += static_cast<char>(b);
    const std::string testo = DaWindows1252(tutti);
    EXPECT_EQ(AWindows1252(testo), tutti);
    // Spot checks of the table: the euro sign, a letter of the 0x80 block, Latin-1 as is.
    EXPECT_EQ(DaWindows1252("\x80\x8A\x9F\xE9\xFF"), "\xE2\x82\xAC\xC5\xA0\xC5\xB8\xC3\xA9\xC3\xBF");
    EXPECT_EQ(DaWindows1252("\x81\x8D"), "\xC2\x81\xC2\x8D");
}

TEST(Windows1252, CaratteriSenzaPostoDiventanoPuntoInterrogativo)
{
    const struct
    {
        const char* testo;
        const char* atteso;
    } casi[] = {
        {"Velocit\xC3\xA0 \xE2\x82\xAC", "Velocit\xE0 \x80"},
        {"\xC4\x80", "?"}, // U+0100, a letter the code page lacks
        {"\xC2\x80", "?"}, // U+0080: the byte 0x80 is the euro sign
        {"a\xF0\x9F\x98\x80"
         "b",
         "a?b"}, // one '?' for one character of four bytes
        {"\xE4\xB8\xAD\xE6\x96\x87", "??"},
        {"x\xC3(", "x?("}, // invalid bytes each stand for one character
        {"\xFF\xFE", "??"},
        {"", ""},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(AWindows1252(caso.testo), caso.atteso) << caso.testo;
}

} // namespace
} // namespace marvento
