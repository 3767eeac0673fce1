// Any text as a whole number: refused with the message that names it, or read to a value whose
// written form reads back to the same value.
#include "Errore.h"
#include "Numeri.h"
#include "Verifica.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    const std::string_view testo = fuzz::ComeTesto(dati, dimensione);
    try {
        const std::int32_t valore = LeggiIntero(testo);
        const std::string scritto = FormattaIntero(valore);
        VERIFICA(LeggiIntero(scritto) == valore);
        // A decimal reading of an accepted whole number gives the same value (the importers read
        // a vehicle count both ways). Hexadecimal forms are whole numbers only.
        if (testo.find_first_of("$xX") == std::string_view::npos)
            VERIFICA(LeggiDecimale(testo, ',') == static_cast<double>(valore));
    } catch (const Errore& errore) {
        VERIFICA(
            fuzz::UgualeAlMessaggio(errore, "'" + std::string(testo) + "' is not a valid integer value"));
    }
    return 0;
}
