#pragma once
// The running figures of one measurement or section of a summary: its total of vehicles and the
// sum of a value (speed, travel time) weighted by the vehicles, added up row after row.

#include "Errore.h"
#include "Numeri.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace marvento {

struct FigurePesate
{
    std::int64_t totale = 0;
    double somma = 0.0;

    // Adds one row: the vehicles, then (conValore) the value times the vehicles. Fails, in this
    // order, on the vehicles as a whole number, with "Integer overflow" when the total leaves 32
    // bits, on the value, then on the vehicles as a decimal.
    void aggiungi(std::string_view veicoli, bool conValore, std::string_view valore, char separatore)
    {
        totale += LeggiIntero(veicoli);
        if (totale > std::numeric_limits<std::int32_t>::max() ||
            totale < std::numeric_limits<std::int32_t>::min())
            throw Errore("Integer overflow");
        if (conValore) {
            const double v = LeggiDecimale(valore, separatore);
            somma += v * LeggiDecimale(veicoli, separatore);
        }
    }

    // Adds the rows of another measurement: a run's figures to those of the runs before it.
    void unisci(const FigurePesate& altre)
    {
        totale += altre.totale;
        somma += altre.somma;
    }

    // The vehicle-weighted mean as the summary shows it: "0" without vehicles. The quotient stays
    // in extended precision up to the formatting: rounding it to a double first can move the
    // third decimal.
    std::string media(char separatore) const
    {
        if (totale == 0)
            return "0";
        return FormattaDecimale(static_cast<long double>(somma) / static_cast<long double>(totale),
                                separatore);
    }

    // The harmonic mean when somma holds the sum of the vehicles over the speed: the vehicles over
    // that sum, "0" without vehicles (and 0 when a speed of 0 made the sum infinite).
    std::string mediaArmonica(char separatore) const
    {
        if (totale == 0)
            return "0";
        return FormattaDecimale(static_cast<long double>(totale) / static_cast<long double>(somma),
                                separatore);
    }
};

} // namespace marvento
