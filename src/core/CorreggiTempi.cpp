#include "Importazione.h"

#include "Numeri.h"

#include <string>
#include <vector>

namespace marvento {

void CorreggiTempi(Griglia& riepilogo, char separatore,
                   const std::function<void(const std::string&)>& messaggio)
{
    using namespace riepilogo_archi;
    // The column as it was, put back if a cell stops the correction half-way.
    std::vector<std::string> prima;
    for (int riga = 0; riga < riepilogo.numeroRighe(); ++riga)
        prima.emplace_back(riepilogo.cella(kTempoCorretto, riga));
    try {
        for (int riga = 0; riga < riepilogo.numeroRighe(); ++riga) {
            if (riepilogo.cella(kLunghezzaReale, riga).empty()) {
                messaggio("Manca la lunghezza della sezione " + FormattaIntero(riga + 1));
                continue;
            }
            // All three cells are read before the simulated length is judged, so a bad cell stops
            // the correction even where the length would give "0".
            const double lunghezza = LeggiDecimale(riepilogo.cella(kLunghezza, riga), separatore);
            const double tempo = LeggiDecimale(riepilogo.cella(kTempoMedio, riga), separatore);
            const double reale = LeggiDecimale(riepilogo.cella(kLunghezzaReale, riga), separatore);
            if (lunghezza <= 0) {
                riepilogo.impostaCella(kTempoCorretto, riga, "0");
            } else {
                // The product stays in extended precision up to the formatting.
                const long double corretto = static_cast<long double>(reale) *
                                             static_cast<long double>(tempo) /
                                             static_cast<long double>(lunghezza);
                riepilogo.impostaCella(kTempoCorretto, riga, FormattaDecimale(corretto, separatore));
            }
        }
    } catch (...) {
        if (kTempoCorretto < riepilogo.numeroColonne())
            for (int riga = 0; riga < static_cast<int>(prima.size()); ++riga)
                riepilogo.impostaCella(kTempoCorretto, riga, prima[static_cast<std::size_t>(riga)]);
        throw;
    }
}

} // namespace marvento
