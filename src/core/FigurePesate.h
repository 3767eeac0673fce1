#pragma once
// The running figures of one measurement or section of a summary: its total of vehicles and the
// sum of a value (speed, travel time) weighted by the vehicles, added up row after row.

#include "Errore.h"
#include "Numeri.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace marvento {

struct FigurePesate
{
    std::int64_t totale = 0;
    double somma = 0.0;
};

// Adds one row: the vehicles, then (conValore) the value times the vehicles. Fails as the plain
// readings do, in this order: the vehicles as a whole number, "Integer overflow" when the total
// leaves 32 bits, the value, then the vehicles as a decimal.
inline void AggiungiRigaPesata(FigurePesate& figure, std::string_view veicoli, bool conValore,
                               std::string_view valore, char separatore)
{
    std::int32_t intero = 0;
    const bool semplice = InteroSemplice(veicoli, intero);
    if (!semplice)
        intero = LeggiIntero(veicoli);
    figure.totale += intero;
    if (figure.totale > std::numeric_limits<std::int32_t>::max() ||
        figure.totale < std::numeric_limits<std::int32_t>::min())
        throw Errore("Integer overflow");
    if (conValore) {
        double v = 0;
        if (!DecimaleBreve(valore, separatore, v))
            v = LeggiDecimale(valore, separatore);
        const double peso = semplice ? static_cast<double>(intero) : LeggiDecimaleDiIntero(veicoli, intero, separatore);
        figure.somma += v * peso;
    }
}

} // namespace marvento
