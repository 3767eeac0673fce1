// Any bytes as a file: decoded into lines or refused with a message; the lines hold no line
// break and no NUL, and are valid UTF-8 whatever the file's encoding was.
#include "Errore.h"
#include "ListaRighe.h"
#include "Testo.h"
#include "Utf8.h"
#include "Verifica.h"

#include <cstddef>
#include <cstdint>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    fuzz::Tenta([&] {
        const ListaRighe righe = DecodificaRighe(fuzz::ComeTesto(dati, dimensione));
        VERIFICA(righe.conteggio() >= 0);
        std::size_t totale = 0;
        for (int i = 0; i < righe.conteggio(); ++i) {
            const std::string_view riga = righe.riga(i);
            totale += riga.size();
            VERIFICA(riga.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
            const auto* p = reinterpret_cast<const unsigned char*>(riga.data());
            for (std::size_t k = 0; k < riga.size();) {
                char32_t carattere = 0;
                const std::size_t lunghezza = LeggiCarattereUtf8(p + k, riga.size() - k, carattere);
                VERIFICA(lunghezza > 0);
                k += lunghezza;
            }
        }
        // Decoding grows a byte by at most three (Windows-1252 and UTF-16 to UTF-8).
        VERIFICA(totale <= 3 * dimensione);
    });
    return 0;
}
