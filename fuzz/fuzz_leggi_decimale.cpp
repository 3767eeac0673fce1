// Decimal numbers both ways. Any text is read with either separator, or refused with the message
// that names it; whatever FormattaDecimale writes for a finite value, LeggiDecimale reads back to a
// value that is written the same. The values come from the text read and from the input's bytes
// taken as a double.
#include "Errore.h"
#include "Numeri.h"
#include "Verifica.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace marvento;

namespace {

void AndataERitorno(long double valore, char separatore)
{
    if (!std::isfinite(valore))
        return;
    const std::string scritto = FormattaDecimale(valore, separatore);
    double riletto = 0;
    try {
        riletto = LeggiDecimale(scritto, separatore);
    } catch (const Errore&) {
        std::fprintf(stderr, "non riletto: %s\n", scritto.c_str());
        std::abort();
    }
    const std::string riscritto = FormattaDecimale(riletto, separatore);
    if (riscritto != scritto) {
        std::fprintf(stderr, "%s riletto come %s\n", scritto.c_str(), riscritto.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    const std::string_view testo = fuzz::ComeTesto(dati, dimensione);
    for (const char separatore : {',', '.'}) {
        try {
            const double valore = LeggiDecimale(testo, separatore);
            VERIFICA(std::isfinite(valore));
            AndataERitorno(valore, separatore);
        } catch (const Errore& errore) {
            VERIFICA(fuzz::UgualeAlMessaggio(errore, "'" + std::string(testo) +
                                                         "' is not a valid floating point value"));
        }
    }

    // The bytes as a double and as an extended value of the size that a double holds exactly
    // enough (the program's quotients are formed in extended precision).
    if (dimensione >= sizeof(double)) {
        double valore = 0;
        std::memcpy(&valore, dati, sizeof valore);
        for (const char separatore : {',', '.'}) {
            AndataERitorno(valore, separatore);
            const long double esteso = static_cast<long double>(valore) / 3.0L;
            if (std::fabs(esteso) < 1e11L)
                AndataERitorno(esteso, separatore);
        }
    }
    return 0;
}
