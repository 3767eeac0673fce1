#pragma once
// The result lists (.att) of the simulator's later versions: one ";"-separated table per file, all
// simulation runs of a scenario in it, one row per run, time interval and measurement. Two of its
// tables carry our figures: the data collection results (section speeds, as a .mes) and the
// vehicle travel time results (as a .rsz). The reader lays each run out as the readers of those
// files do, so that everything after the import works on a list as on them.

#include "Importazione.h"
#include "ListaRighe.h"

#include <memory>
#include <string>
#include <vector>

namespace marvento {

// True for a name that ends with ".att", letter case ignored.
bool ELista(const std::string& percorso);

// The kind of the list's table, told by its header line (the line that begins with "$" and names
// the table before ":"). Fails with an Italian message on a list without header line and on a
// table that is not one of ours, naming it.
TipoFile TipoDellaLista(const ListaRighe& righe);

// The same for the list in a file: its beginning is read, the whole file only when the header
// line is not in it. Fails as CaricaRighe and as above.
TipoFile TipoDellaLista(const std::string& percorso);

// A list refused as too large: no network has a million columns, and 200 million cells are some
// gigabytes of grid.
inline constexpr long long kMassimoColonneLista = 1'000'000;
inline constexpr long long kMassimoCelleLista = 200'000'000;

// A list scanned for its layout: its runs, intervals and measurements, each run laid out as the
// one-run tables on request. The lines must outlive it.
class ListaRisultati
{
  public:
    // Finds the header line and the columns by name and indexes every data row. Fails with an
    // Italian message naming the line: no header line, a table that is not of kind tipo (saying
    // which button opens it) or not ours, a required column missing, a row with fewer or more
    // cells than the header, a run, interval or measurement that does not read, a row given twice
    // or missing, no data row, a table too large. separatore is the run's decimal separator.
    ListaRisultati(const ListaRighe& righe, TipoFile tipo, char separatore);
    ~ListaRisultati();
    ListaRisultati(const ListaRisultati&) = delete;
    ListaRisultati& operator=(const ListaRisultati&) = delete;

    TipoFile tipo() const;
    int numeroRun() const;
    // The run's number as the file writes it ("1", "2", ...), runs in ascending order.
    const std::string& etichettaRun(int run) const;

    // The grids of one run, as the .mes or .rsz reader gives them for one file. Safe to call from
    // several threads at once. Fails with an Italian message naming the line on a number of ours
    // that does not read (vehicles, speed, travel time, length) and on a mean that is empty while
    // vehicles were counted.
    Griglie run(int run) const;

    // What the scan found, laid out in ImportaLista.cpp.
    struct Dati;

  private:
    std::unique_ptr<const Dati> dati_;
};

} // namespace marvento
