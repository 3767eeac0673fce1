#pragma once
// The section-speed importer with its words: the keywords of the .mes file and the headers that
// the import writes, gathered in one table so that another language is read by the same algorithm.

#include "Griglia.h"
#include "ListaRighe.h"

#include <string_view>

namespace marvento {

struct ParoleVelocita
{
    // A measurement line begins with this prefix (exact, at the first character).
    std::string_view rigaMisura = "Misura ";
    // The column header line begins with this prefix; the last such line counts.
    std::string_view rigaIntestazione = "Misura;";
    // Removed from a measurement's label wherever it stands, letter case ignored.
    std::string_view fraseSezione = " Sezione(i) di rilievo";
    // Column names of the header line (exact) and how the detail table shows them.
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

// A detail table beyond either bound is refused before any grid is touched: no real network has a
// million columns (500 measurements of 20 values are 10,000), nor two billion cells.
inline constexpr long long kMassimoColonneTabellaVelocita = 1'000'000;
inline constexpr long long kMassimoCelleTabellaVelocita = 2'000'000'000;

// ImportaVelocita (Importazione.h) with the words of the given table. Numbers copied from the file
// take separatore as their decimal separator. Fails with the messages of the text, number and grid
// rules, "Integer overflow" for a vehicle total beyond 32 bits, and an Italian message (both grids
// untouched) when the file has no header line, has data but no measurement line, or its detail
// table would be too large. Other failures leave the grids as far as the import got.
void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                     const ParoleVelocita& parole);

} // namespace marvento
