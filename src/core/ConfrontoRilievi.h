#pragma once
// The simulation against the field data: the GEH of the counts, interval by interval and over
// the whole period, and the speeds or travel times within a tolerance, per measurement or section.

#include "Grafico.h"
#include "Griglia.h"
#include "Importazione.h"
#include "RigaRiepilogo.h"
#include "Rilievi.h"

#include <optional>
#include <string>
#include <vector>

namespace marvento {

// What the comparison judges by.
struct CriteriConfronto
{
    double sogliaGeh = 5.0;           // a case passes with a GEH below this
    double quotaMinima = 85.0;        // the share of cases (percent) that the guidelines ask for
    double tolleranzaPercento = 15.0; // a speed or time within this share of the observed one...
    double tolleranzaSecondi = 60.0;  // ...or a travel time within these seconds, when larger
};

// GEH = sqrt(2 (M - C)^2 / (M + C)) of two hourly flows, simulated and counted; 0 when both are 0.
double Geh(double simulato, double rilevato);

// One count compared: a measurement in an interval, or over the whole period when the field
// file gives no interval for it.
struct CasoConteggio
{
    int rigaRiepilogo = 0;
    int rigaRilievi = 0;      // the line of the field file
    double rilevatiOrari = 0; // hourly flows
    double simulatiOrari = 0;
    double geh = 0;
};

struct EsitoConfronto
{
    // The summary given with the comparison's columns after its own.
    Griglia riepilogo;
    std::vector<CasoConteggio> casi;
    int casiSottoSoglia = 0;
    int righeConfrontate = 0; // summary rows with field data
    int righeOk = 0;
    // The lines of the field file whose number is no measurement or section of the simulation.
    std::vector<RigaRilievo> senzaCorrispondenza;
};

// The comparison's columns that ConfrontaRilievi adds after the summary's own, for a kind of file;
// unita (" [km/h]") is the value's, that of the kind when empty.
std::vector<std::string> ColonneConfronto(TipoFile tipo, const CriteriConfronto& criteri, char separatore,
                                          std::string unita = {});

// Compares the grids of an import (detail table, summary and its rows; one file, or several runs behind a
// "Run" column: then the mean over runs) with the field data. The summary's first colonneProprie columns are
// kept (a later comparison replaces an earlier one's), then come, per measurement or section with field data:
// vehicles observed and simulated and their GEH over the whole period (hourly flows), the share
// of its intervals with a GEH below the threshold, the speed or travel time observed and
// simulated, their difference in units and in percent, and the verdict "OK" or "NO". A field row
// matches the measurement or section of the same own number (righe) and, when it gives one, the
// simulated interval that starts and ends as it does, or ends as it does when it gives the end
// alone. Fails with an Italian message naming the line for an interval that matches no simulated
// one, two rows of one measurement and interval, or a speed compared with travel times (or a time
// with speeds); with the number rules' messages for a detail cell that does not read.
EsitoConfronto ConfrontaRilievi(const Griglia& tabella, const Griglia& riepilogo,
                                const std::vector<RigaRiepilogo>& righe, int colonneProprie, TipoFile tipo,
                                const Rilievi& rilievi, const CriteriConfronto& criteri, char separatore);

// The plain message box's summing-up: the share of the cases with GEH below the threshold and
// of the rows with "OK", whether each reaches the share asked for, and the rows of the field
// file that match nothing.
std::string TestoEsitoConfronto(const EsitoConfronto& esito, const CriteriConfronto& criteri,
                                char separatore);

// The chart of simulated against observed hourly flows: a point per case, the diagonal and the
// two curves where the GEH equals the threshold, up to a round end that holds every point.
struct GraficoConfronto
{
    std::vector<PuntoGrafico> punti;
    std::vector<PuntoGrafico> sopra; // the simulated flow with GEH = threshold above the diagonal
    std::vector<PuntoGrafico> sotto; // and below it
    double massimo = 100;            // both axes run from 0 to it...
    double passo = 20;               // ...in steps of this
    std::string titolo;
    std::string nomeBanda; // the curves' entry in the legend
};

GraficoConfronto ModelloGraficoConfronto(const EsitoConfronto& esito, const CriteriConfronto& criteri,
                                         char separatore);

} // namespace marvento
