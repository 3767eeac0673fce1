#pragma once
// The link travel-time importer with its words: the keywords of the .rsz file and the headers that
// the import writes, gathered in one table so that another language is read by the same algorithm.

#include "Griglia.h"
#include "ListaRighe.h"
#include "RigaRiepilogo.h"

#include <string_view>
#include <vector>

namespace marvento {

struct ParoleArchi
{
    // A section line begins with this prefix (exact, at the first character).
    std::string_view rigaSezione = "Num.";
    // The section's length follows the last occurrence of this word (letter case ignored).
    std::string_view parolaLunghezza = "Distanza";
    // Every one of these characters is removed from the length (its unit: "m", or "m" and "ft").
    std::string_view caratteriUnita = "m";
    // The column header line begins with this prefix; with rigaIntestazioneDopoSpazi the prefix
    // may stand after leading blanks.
    std::string_view rigaIntestazione = "Intervallo;";
    bool rigaIntestazioneDopoSpazi = false;
    // Column names of the file (after its spaces and "#" are removed) and how the table shows them.
    std::string_view nomeTempo = "TdP";
    std::string_view nomeVeicoli = "Veic.";
    // The line after the header that names each column's section (after leading blanks).
    std::string_view rigaNomi = "Nome;";
    std::string_view colonnaTempo = "TdP [s]";
    std::string_view colonnaVeicoli = "Veicoli";
    // The detail table's own headers.
    std::string_view colonnaIntervallo = "Intervallo [s]";
    std::string_view colonnaSezione = "Sezione";
    // The six summary headers, column 0 to 5.
    std::string_view riepilogo[6] = {"Sezione", "Lunghezza [m]",   "TempoMedio [s]",
                                     "Veicoli", "Lung.Arco Reale", "Tempo Corretto"};
};

// The words of the Italian file.
const ParoleArchi& ParoleArchiItaliano();

// The words of the English file: its keywords, its column names translated to the program's own.
const ParoleArchi& ParoleArchiInglese();

// The words of the file's language, told by its content: English when some line begins with the
// English header prefix (after leading blanks) and none with the Italian one; anything else is Italian.
const ParoleArchi& ParoleArchiDelFile(const ListaRighe& righe);

// Refuses a detail table of more cells than this (a 100 MB file of 1000 sections gives about 27 million).
inline constexpr long long kMassimoCelleTabellaArchi = 100'000'000;
// Refuses a detail table of more columns than this: 1000 sections of 27 values are 28,000, and each
// column costs a few hundred bytes before it holds a cell, so a header line of ten million ";"
// would otherwise ask for gigabytes.
inline constexpr long long kMassimoColonneTabellaArchi = 1'000'000;
// A header too short to give every section a value column leaves blocks of the section number
// alone, and every data line, however short, then fills one cell per section: nothing in the file
// stands for those cells, so such a table is bounded far lower (90 KB of file asked for 100 million).
inline constexpr long long kMassimoCelleSoloSezioni = 10'000'000;

// ImportaArchi (Importazione.h), which picks the table with ParoleArchiDelFile, with the words
// of the given table. Fails with the messages of the text, number and grid rules, "Division by
// zero" for a header line without section lines, "Integer overflow" for a vehicle total beyond
// 32 bits, and an Italian message (both grids untouched) when the file has no header line or its
// detail table would be too large. Given righeRiepilogo, it receives one entry per summary row:
// the number of the section line, the section's name (from the names line, else the section
// line's shortened one) and the figures.
void ImportaArchi(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                  const ParoleArchi& parole, std::vector<RigaRiepilogo>* righeRiepilogo = nullptr);

// The reader with the words of the file's own language, into the grids given (fresh ones).
void ImportaArchi(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore);

} // namespace marvento
