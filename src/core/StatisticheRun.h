#pragma once
// Statistics across simulation runs: the summaries of several runs of one scenario (one file per
// random seed) give, per measurement or section, the mean over runs of its figure with spread,
// confidence interval and an estimate of the runs needed for a given precision.

#include "Griglia.h"
#include "Importazione.h"

#include <string>
#include <vector>

namespace marvento {

// One run: the name shown in messages (the path as the user gave it) and its imported summary.
struct RiepilogoRun
{
    std::string nomeFile;
    Griglia riepilogo;
};

// Reads the file and imports it exactly as the window's button does, on fresh grids.
// Fails with the messages of CaricaRighe and of the importer.
RiepilogoRun ImportaRun(const std::string& percorso, TipoFile tipo, char separatore);

// The runs of a result list (.att), each summed up as a file of one run would be; tipo receives
// the list's table. The runs are named "NOME (run N)". Fails as CaricaRighe and ListaRisultati.
std::vector<RiepilogoRun> ImportaRunDellaLista(const std::string& percorso, const std::string& nome,
                                               char separatore, TipoFile& tipo);

// Two-sided Student's t quantile: the t with gradi degrees of freedom (>= 1) that leaves
// (1 - confidenza) / 2 in the upper tail; confidenza strictly between 0 and 1.
double QuantileStudent(double confidenza, int gradi);

// Half-width of the confidence interval of a mean of n >= 2 values with sample deviation devStd.
double Semiampiezza(int n, double devStd, double confidenza);

// Runs needed for the half-width to be at most tolleranza * |media|, from the usual iteration
// n <- ceil((t(n-1) * devStd / (tolleranza * |media|))^2) started at the runs done (n >= 2).
// Never below 2 (an interval needs two runs). Returns 0 when no count up to a million would
// do: a zero mean with a non-zero deviation.
int RunNecessari(int n, double media, double devStd, double confidenza, double tolleranza);

// One row per measurement or section, columns: number, label (.mes) or length (.rsz),
// "Run validi", "Veicoli medi", "Media", "Dev. std", "Minimo", "Massimo", "Semiampiezza IC",
// "Run necessari". A run whose measurement or section counted no vehicle (or whose figure is
// empty) has no figure and is left out of that row; the vehicle mean is taken over every run
// that has a vehicle total, zero included. Figures that need more runs than the row has are
// empty. Cells of the summaries are read with separatore and results written with it.
// Fails with an Italian message naming the first file whose summary differs from the first
// one in row count, labels or lengths; with no run at all; with confidenza outside (0, 1)
// or tolleranza not above 0; with the number rules' messages for a cell that does not parse.
Griglia CalcolaStatisticheRun(const std::vector<RiepilogoRun>& run, TipoFile tipo, double confidenza,
                              double tolleranza, char separatore);

} // namespace marvento
