#pragma once
// Text rules: reading a file into lines, cutting fields, begins-with, replacements.
// All texts are UTF-8; every character that these rules look for is ASCII.

#include "ListaCampi.h"
#include "ListaRighe.h"

#include <string>
#include <string_view>

namespace marvento {

// Reads a whole file (percorso in UTF-8) into lines. Encoding by byte-order mark (UTF-8, UTF-16 LE/BE),
// otherwise Windows-1252. Fails with "Cannot open file "%s". %s" (full path, system's reason) or with "No
// mapping for the Unicode character exists in the target multi-byte code page".
ListaRighe CaricaRighe(const std::string& percorso);

// The same rules on bytes already in memory.
ListaRighe DecodificaRighe(std::string_view byte);

// True when the first characters of riga are exactly prefisso (case counts, no blank skipped).
bool IniziaCon(std::string_view riga, std::string_view prefisso);

// The text without the blanks and tabs at either end.
std::string_view SenzaMargini(std::string_view testo);

// Refills campi with the fields of riga cut at delimitatore, with the double-quote rules.
void DividiCampi(std::string_view riga, char delimitatore, ListaCampi& campi);
// The same on a line that the list takes over rather than copies; riga gets a buffer to refill.
void DividiCampiPresi(std::string&& riga, char delimitatore, ListaCampi& campi);
ListaCampi DividiCampi(std::string_view riga, char delimitatore);

// Replaces every occurrence of a one-character text; any other length of carattere copies the text.
std::string SostituisciCarattere(std::string_view testo, std::string_view carattere,
                                 std::string_view sostituto);

// Replaces every non-overlapping occurrence of frase, letter case ignored.
std::string SostituisciTesto(std::string_view testo, std::string_view frase, std::string_view sostituto);

} // namespace marvento
