#include "Importazione.h"

#include "Numeri.h"

#include <string>

namespace marvento {

void CorreggiTempi(Griglia& riepilogo, char separatore,
                   const std::function<void(const std::string&)>& messaggio)
{
    for (int riga = 0; riga < riepilogo.numeroRighe(); ++riga) {
        if (riepilogo.cella(4, riga).empty()) {
            messaggio("Manca la lunghezza della sezione " + FormattaIntero(riga + 1));
            continue;
        }
        // All three cells are read before the simulated length is judged, so a bad cell stops
        // the correction even where the length would give "0".
        const double lunghezza = LeggiDecimale(riepilogo.cella(1, riga), separatore);
        const double tempo = LeggiDecimale(riepilogo.cella(2, riga), separatore);
        const double reale = LeggiDecimale(riepilogo.cella(4, riga), separatore);
        if (lunghezza <= 0) {
            riepilogo.impostaCella(5, riga, "0");
        } else {
            const long double corretto = static_cast<long double>(reale) *
                                         static_cast<long double>(tempo) /
                                         static_cast<long double>(lunghezza);
            riepilogo.impostaCella(5, riga, FormattaDecimale(corretto, separatore));
        }
    }
}

} // namespace marvento
