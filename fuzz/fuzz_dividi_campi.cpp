// Any line cut at a delimiter. Without quotes the fields put back together with the delimiter
// give the line again; with quotes the fields are no longer than the line. Both overloads agree.
#include "Errore.h"
#include "ListaCampi.h"
#include "Testo.h"
#include "Verifica.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    if (dimensione == 0)
        return 0;
    // The first byte picks the delimiter: the program's three, or the byte itself.
    const char delimitatori[] = {';', ',', ':'};
    const char delimitatore = dati[0] < 192 ? delimitatori[dati[0] % 3] : static_cast<char>(dati[0]);
    const std::string_view riga = fuzz::ComeTesto(dati + 1, dimensione - 1);

    ListaCampi campi;
    campi.aggiungi("resto di una riga precedente");
    DividiCampi(riga, delimitatore, campi);
    const ListaCampi nuovi = DividiCampi(riga, delimitatore);
    VERIFICA(campi.conteggio() == nuovi.conteggio());

    std::string unite;
    std::size_t byte = 0;
    for (int i = 0; i < campi.conteggio(); ++i) {
        VERIFICA(campi.campo(i) == nuovi.campo(i));
        byte += campi.campo(i).size();
        if (i > 0)
            unite += delimitatore;
        unite += campi.campo(i);
    }
    VERIFICA(byte <= riga.size());
    if (riga.empty())
        VERIFICA(campi.conteggio() == 0);
    if (riga.find('"') == std::string_view::npos && delimitatore != '"')
        VERIFICA(unite == riga);

    // Outside the list: the list's message, never a read beyond it.
    VERIFICA(!fuzz::Tenta([&] { campi.campo(campi.conteggio()); }));
    VERIFICA(!fuzz::Tenta([&] { campi.campo(-1); }));
    return 0;
}
