#pragma once
// The one way from a file to the grids: the window's buttons, a drop, the start-up file and every
// command of marvento-cli read a file with ImportaFile, whatever its kind. Each kind has its reader
// (ImportaVelocita.h, ImportaArchi.h) behind it.

#include "Griglia.h"
#include "ListaRighe.h"
#include "RigaRiepilogo.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marvento {

// The kinds of file the program reads: section speeds (.mes) and link travel times (.rsz); a result
// list (.att, ImportaLista.h) holds either, told by its table.
enum class TipoFile { Velocita, Archi };

// The kind told by the file's name: ".mes" or ".rsz", letter case ignored; none for any other name.
std::optional<TipoFile> TipoDalNome(const std::string& percorso);

// The kind of a file named outside the dialogs (a drop, the start-up file, the tool): by its name,
// or for a result list by its table (TipoDellaLista). None for a name of no kind of ours; fails as
// TipoDellaLista on a list.
std::optional<TipoFile> TipoDelFile(const std::string& percorso);

// What an import gives: the detail table and its summary, and per summary row what identifies it
// in the network with the figures behind its mean.
struct Griglie
{
    Griglia tabella;
    Griglia riepilogo;
    std::vector<RigaRiepilogo> righe;
    // A result list's tables leave the cells of an interval without vehicles empty: the chart
    // draws no point there. In the other tables an empty cell is not a number, as any text.
    bool celleVuoteSenzaVeicoli = false;
};

// Reads the file (CaricaRighe) and fills new grids with the reader of its kind. Nothing else is
// touched: a caller puts the grids in place only once this has returned, so a failure leaves the
// user's grids as they were. Fails with the messages of the text rules and of the reader. A result
// list (.att) goes to ImportaLista, with the default OpzioniRun.
Griglie ImportaFile(const std::string& percorso, TipoFile tipo, char separatore);

// The same on lines already read.
Griglie ImportaRighe(const ListaRighe& righe, TipoFile tipo, char separatore);

// How the statistics over runs judge their spread.
struct OpzioniRun
{
    double confidenza = 0.95; // of the confidence interval, strictly between 0 and 1
    double tolleranza = 0.05; // the half-width allowed, as a share of the mean
};

// The header of the detail table's first column when it holds several runs.
inline constexpr const char* kColonnaRun = "Run";

// Several runs of one scenario (one file per random seed, all of one kind, or one result list) read into one
// pair of grids; one file gives exactly what ImportaFile gives. With several:
// - the detail table is a "Run" column, holding the run's label (EtichetteRun), followed by the
//   columns of one run; the rows of every run follow each other in the order of the files;
// - the summary keeps its columns in their places, with the figures pooled over all runs: the
//   vehicle-weighted mean over every interval of every run, and the vehicles as the mean per run.
//   After them come the statistics over runs (CalcolaStatisticheRun, StatisticheRun.h) and the
//   measurement's or section's own number and name.
// Fails, naming the files, on files of different kinds by their names, a file that does not
// import, and files whose tables differ in their measurements or sections or in their columns;
// nothing is returned then. A result list (.att) holds every run itself: one goes to ImportaLista,
// a list beside other files is refused.
Griglie ImportaFile(const std::vector<std::string>& percorsi, TipoFile tipo, char separatore,
                    const OpzioniRun& opzioni = {});

// A result list's table of kind tipo read into one pair of grids: a list of one run gives the
// tables of one .mes or .rsz file, a list of several runs those of several files of one scenario
// (each run laid out by ListaRisultati, then pooled as above; the "Run" column holds the list's run
// numbers). Fails with ListaRisultati's messages; the messages of a run name it as "run N".
Griglie ImportaLista(const ListaRighe& righe, TipoFile tipo, char separatore, const OpzioniRun& opzioni = {});

// The runs' labels: the number that ends every file's name ("rete_03.mes" gives "03") when each
// name has one and no two are the same; otherwise the position, "1", "2", ...
std::vector<std::string> EtichetteRun(const std::vector<std::string>& percorsi);

// Where the summaries keep their figures: read by the correction, the statistics over runs, the
// chart's lists and the tool.
namespace riepilogo_velocita {
inline constexpr int kMisura = 0;
inline constexpr int kVeicoli = 1;
inline constexpr int kVelocita = 2;
inline constexpr int kIntervallo = 3;
inline constexpr int kSezione = 4;
inline constexpr int kColonne = 5;
// After them, only from a result list with a harmonic mean speed.
inline constexpr int kVelocitaArmonica = 5;
} // namespace riepilogo_velocita

namespace riepilogo_archi {
inline constexpr int kSezione = 0;
inline constexpr int kLunghezza = 1;
inline constexpr int kTempoMedio = 2;
inline constexpr int kVeicoli = 3;
inline constexpr int kLunghezzaReale = 4;
inline constexpr int kTempoCorretto = 5;
inline constexpr int kColonne = 6;
} // namespace riepilogo_archi

// Scales each mean travel time of the summary to the real length the user typed, into the
// corrected-time column. messaggio shows "Manca la lunghezza della sezione N" and returns when
// dismissed; the rows corrected so far are in the grid meanwhile. A cell that does not read stops
// the correction with its message, and the corrected-time column is then as it was before the call.
void CorreggiTempi(Griglia& riepilogo, char separatore,
                   const std::function<void(const std::string&)>& messaggio);

} // namespace marvento
