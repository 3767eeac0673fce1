#pragma once
// Field data: the counts, speeds and travel times measured on the street, as a small text file
// that a spreadsheet saves. One row per measurement or section and, optionally, per interval.

#include "ListaRighe.h"

#include <optional>
#include <string>
#include <vector>

namespace marvento {

// One row of the field file.
struct RigaRilievo
{
    int riga = 0;       // its line in the file, from 1, for the messages
    long long numero{}; // the measurement's or section's own number
    // The interval in seconds: none of the two for the whole simulated period; only the end when
    // the file gives the end alone.
    std::optional<double> da;
    std::optional<double> a;
    // The observed values; none where the cell is empty.
    std::optional<double> veicoli; // vehicles counted in the interval
    std::optional<double> velocita;
    std::optional<double> tempo;
};

struct Rilievi
{
    std::vector<RigaRilievo> righe; // in the order of the file, rows without any value left out
};

// Reads the field file: the first line that holds text is the header, whose names (Italian or
// English, letter case ignored, a unit in brackets allowed, in any order) tell the columns:
// - the number: "Misura", "Sezione", "Measurement", "Section" (also "Numero", "Number");
// - optionally the interval: "da" and "a" ("from", "to"), or "Intervallo" ("Interval", "Time")
//   holding "start-end" or the end alone; "a" alone is the end too;
// - the observed values, at least one: "Veicoli"/"Count", "Vel"/"Speed", "TdP"/"Travel time".
// Other columns are ignored. The header's separator, ";" else a tab else ",", cuts every line;
// numbers take "," or "." as their decimal point. Bytes are UTF-8 (with or without its mark) or
// Windows-1252. Fails with an Italian message naming the line: no header, a header without a
// number column or without any observed value, a name given twice, a cell that does not read as
// a number, a number that cannot be (a negative count, a speed or time not above 0), an interval
// that ends before it starts or gives its start alone. A file that cannot be read or decoded
// fails with "Il file dei rilievi "..." non si puo' leggere: " and the reason.
Rilievi LeggiRilievi(const std::string& percorso);

// The same on lines already read.
Rilievi LeggiRilievi(const ListaRighe& righe);

// "0-300", or "300" for an interval given by its end, as the messages name it.
std::string TestoIntervallo(const RigaRilievo& riga);

} // namespace marvento
