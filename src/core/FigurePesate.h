#pragma once
// The running figures of one measurement or section of a summary: its total of vehicles and the
// sum of a value (speed, travel time) weighted by the vehicles, added up row after row.

#include "Errore.h"
#include "Numeri.h"

#include <algorithm>
#include <cstddef>
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

// AggiungiRigaPesata on rows 0..quante-1 in turn (valori is read only conValore), with the same
// result and the same failure, for texts that can each be read eight bytes from their start. The
// plain numbers of a slice of rows are read first, every row on its own, and then added in order;
// a row that is not plain goes through AggiungiRigaPesata in its turn.
inline void AggiungiRighePesate(FigurePesate& figure, const std::string_view* veicoli, bool conValore,
                                const std::string_view* valori, std::size_t quante, char separatore)
{
    constexpr std::size_t kFetta = 64;
    std::int32_t interi[kFetta];
    double letti[kFetta];
    // The sums are kept in registers: through memory each row would wait for the one before.
    std::int64_t totale = figure.totale;
    double somma = figure.somma;
    for (std::size_t primo = 0; primo < quante;) {
        const std::size_t fetta = std::min(kFetta, quante - primo);
        std::size_t semplici = 0;
        for (; semplici < fetta; ++semplici) {
            if (!InteroInParola(veicoli[primo + semplici], interi[semplici]))
                break;
            if (conValore && !DecimaleInParola(valori[primo + semplici], separatore, letti[semplici]))
                break;
        }
        for (std::size_t i = 0; i < semplici; ++i) {
            totale += interi[i]; // counts read this way are never negative
            if (totale > std::numeric_limits<std::int32_t>::max()) {
                figure.totale = totale;
                figure.somma = somma;
                throw Errore("Integer overflow");
            }
            if (conValore)
                somma += letti[i] * static_cast<double>(interi[i]);
        }
        primo += semplici;
        if (semplici < fetta) {
            figure.totale = totale;
            figure.somma = somma;
            AggiungiRigaPesata(figure, veicoli[primo], conValore, conValore ? valori[primo] : std::string_view(),
                               separatore);
            totale = figure.totale;
            somma = figure.somma;
            ++primo;
        }
    }
    figure.totale = totale;
    figure.somma = somma;
}

} // namespace marvento
