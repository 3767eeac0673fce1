#pragma once
// The section-speed importer with its words: the keywords of the .mes file and the headers that
// the import writes, gathered in one table so that another language is read by the same algorithm.

#include "Griglia.h"
#include "ListaRighe.h"
#include "RigaRiepilogo.h"

#include <string_view>
#include <vector>

namespace marvento {

struct ParoleVelocita
{
    // A measurement line begins with this prefix (exact, at the first character).
    std::string_view rigaMisura = "Misura ";
    // The column header line begins with this prefix; the last such line counts.
    std::string_view rigaIntestazione = "Misura;";
    // Removed from a measurement's label wherever it stands, letter case ignored.
    std::string_view fraseSezione = " Sezione(i) di rilievo";
    // Column names of the header line and how the detail table shows them. Names are compared
    // exactly; with nomiSenzaMargini the blanks that pad a name of the file are ignored in the
    // comparison (a name that matches none keeps the file's text, blanks included).
    bool nomiSenzaMargini = false;
    std::string_view nomeMisura = "Misura";
    std::string_view nomeDa = "da";
    std::string_view nomeA = "a";
    std::string_view nomeVeicoli = "Veicoli";
    std::string_view nomeVelocita = "Vel";
    std::string_view colonnaMisura = "Misura";
    std::string_view colonnaDa = "da [s]";
    std::string_view colonnaA = "a [s]";
    std::string_view colonnaVeicoli = "Veicoli";
    std::string_view colonnaVelocita = "Vel [km/h]";
    // The five summary headers, column 0 to 4.
    std::string_view riepilogo[5] = {"Misura", "Veicoli", "Vel [km/h]", "Inervallo sim. [s]", "Sezione"};
};

// The words of the Italian file.
const ParoleVelocita& ParoleVelocitaItaliano();

// The words of the English file: its keywords, its column names translated to the program's own.
const ParoleVelocita& ParoleVelocitaInglese();

// The words of the file's language, told by its content: English when some line begins with the
// English header prefix and none with the Italian one; anything else is Italian.
const ParoleVelocita& ParoleVelocitaDelFile(const ListaRighe& righe);

// A detail table beyond either bound is refused before any grid is touched: no real network has a
// million columns (500 measurements of 20 values are 10,000), nor two billion cells.
inline constexpr long long kMassimoColonneTabellaVelocita = 1'000'000;
inline constexpr long long kMassimoCelleTabellaVelocita = 2'000'000'000;

// ImportaVelocita (Importazione.h), which picks the table with ParoleVelocitaDelFile, with the
// words of the given table. Numbers copied from the file take separatore as their decimal
// separator. Fails with the messages of the text, number and grid rules, "Integer overflow" for
// a vehicle total beyond 32 bits, and an Italian message (both grids untouched) when the file
// has no header line, has data but no measurement line, or its detail table would be too large.
// Other failures leave the grids as far as the import got. Given righeRiepilogo, it receives one
// entry per summary row: the number and the label of the measurement line, and the figures.
void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                     const ParoleVelocita& parole, std::vector<RigaRiepilogo>* righeRiepilogo = nullptr);

// The reader with the words of the file's own language, into the grids given (fresh ones).
void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore);

} // namespace marvento
