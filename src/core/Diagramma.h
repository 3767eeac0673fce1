#pragma once
// The work of the diagram window on the main window's grids: its two lists, the drawing of the
// trend and the left-axis menu, as functions over core grids and the chart model.

#include "Grafico.h"
#include "Griglia.h"

#include <optional>
#include <string>
#include <vector>

namespace marvento {

// The two lists of the diagram window, worked out from the main window's grids.
struct ListeDiagramma
{
    std::vector<std::string> sezioni;   // summary column 0 of every row, as it stands
    std::vector<std::string> parametri; // detail headers from the last column back to "Misura"/"Sezione"
};

ListeDiagramma RiempiListe(const Griglia& tabella, const Griglia& riepilogo);

enum class EsitoDisegno {
    Disegnato,
    NienteSelezionato, // a list without a selected item: the chart is not touched
};

// Shown in the plain message box when a list has nothing selected.
extern const char* const MessaggioNienteDaDisegnare;

// Draws the selected parameter of the selected measurement or section into the model, reading the
// detail table. A table of several runs (a first column "Run") gives a line per run and their mean
// as the model's own line. An empty optional means that list has nothing selected. Fails, leaving the model
// as far as it got:
// - "Column index, 0, out of bounds" for a table without columns (model unchanged);
// - a message naming the measurement or section and the parameter when the table has no such
//   column (model unchanged);
// - "'%s' is not a valid floating point value" for a cell of the time or parameter column, with
//   the series holding the rows before it and the left axis's lower end still fixed.
// With vuoteSenzaPunto (a result list's tables, Griglie::celleVuoteSenzaVeicoli) a row whose
// parameter cell is empty, an interval without vehicles, gives no point.
EsitoDisegno Disegna(ModelloGrafico& modello, const Griglia& tabella,
                     const std::optional<std::string>& sezione, const std::optional<std::string>& parametro,
                     char separatore, bool vuoteSenzaPunto = false);

// "Left axis from 0": fails as AsseGrafico::impostaMinimo when the left axis's maximum is below 0,
// with the automatic minimum already off.
void AsseSinistroInZero(ModelloGrafico& modello);
// "Left axis from AUTO".
void AsseSinistroInAuto(ModelloGrafico& modello);

} // namespace marvento
