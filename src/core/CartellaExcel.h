#pragma once
// Grids saved as an Excel workbook (.xlsx) through libxlsxwriter: one sheet per grid, the header row
// bold and frozen, the cells that read as numbers stored as numbers, every other cell as its text.

#include "Griglia.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

// The size of a worksheet, the header row included.
inline constexpr int kRigheFoglio = 1'048'576;
inline constexpr int kColonneFoglio = 16'384;

// A cell's text as the workbook stores it when it is a number.
struct NumeroCella
{
    double valore = 0.0;
    int decimali = 0;       // the digits after the decimal separator: the decimals shown
    bool esponente = false; // written with E: shown in scientific notation
};

// The text as a number: what LeggiDecimale reads with the run's separator or, since the importers
// copy the files' decimals with ",", with ",". A text without a digit before its exponent (a lone
// separator, which LeggiDecimale reads as 0) is no number here: it stays a text.
std::optional<NumeroCella> NumeroDellaCella(std::string_view testo, char separatore);

// A name that ends in ".xlsx", in any letter case.
bool NomeCartellaExcel(const std::string& percorso);

// Whether a save dialog's answer asks for a workbook: the extension typed, ".xlsx" or ".txt" in any
// letter case, decides; any other name goes by the type selected in the dialog.
bool FormatoCartellaExcel(const std::string& percorso, bool tipoCartellaScelto);

struct FoglioExcel
{
    std::string nome; // at most 31 characters, no [ ] : * ? / or backslash
    const Griglia& griglia;
};

// A grid that a sheet can hold: it has columns (else "Column index, 0, out of bounds"), at most
// kColonneFoglio of them and at most kRigheFoglio - 1 rows (else a message that says so).
void ControllaFoglioExcel(const Griglia& griglia);

// Writes the grids as the sheets of one workbook, numbers read with separatore. Every grid is
// checked with ControllaFoglioExcel before any file is touched; the workbook is then made in a
// temporary file beside percorso, which replaces it only when complete (ScriviFileTramite), so a
// failure leaves an existing file as it was. Fails with Errore: the checks' messages, a cell text
// beyond a cell's 32,767 characters, "Cannot create file "%s". ..." when the file cannot be made.
void ScriviCartellaExcel(const std::vector<FoglioExcel>& fogli, const std::string& percorso, char separatore);

} // namespace marvento
