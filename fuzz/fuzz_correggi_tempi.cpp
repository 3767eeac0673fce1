// The correction on a summary of arbitrary cells: the input's lines are the rows, TAB separates
// the cells. A row without a real length is reported, any other row gets its column 5 or stops
// the correction with a message.
#include "Errore.h"
#include "Griglia.h"
#include "Importazione.h"
#include "Verifica.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace marvento;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione)
{
    if (dimensione == 0)
        return 0;
    // The first byte: the number of columns (the summary of either import has five or six, a
    // user's edits cannot change that, but a grid of fewer must still fail cleanly) and the separator.
    const int colonne = dati[0] % 8;
    const char separatore = (dati[0] & 8) ? '.' : ',';
    const std::string_view testo = fuzz::ComeTesto(dati + 1, dimensione - 1);

    Griglia riepilogo;
    int righe = 0;
    for (std::size_t p = 0; p <= testo.size(); ++righe) {
        const std::size_t fine = std::min(testo.find('\n', p), testo.size());
        p = fine + 1;
    }
    PreparaGriglia(riepilogo, righe, colonne, false);
    int riga = 0;
    int colonna = 0;
    std::string cella;
    for (std::size_t i = 0; i <= testo.size(); ++i) {
        if (i == testo.size() || testo[i] == '\n' || testo[i] == '\t') {
            if (colonna < colonne)
                riepilogo.impostaCella(colonna, riga, cella);
            cella.clear();
            if (i < testo.size() && testo[i] == '\t') {
                ++colonna;
            } else {
                colonna = 0;
                ++riga;
            }
        } else {
            cella += testo[i];
        }
    }

    int messaggi = 0;
    int vuote = 0;
    for (int r = 0; r < righe; ++r)
        vuote += riepilogo.cella(4, r).empty() ? 1 : 0;
    const bool riuscita =
        fuzz::Tenta([&] { CorreggiTempi(riepilogo, separatore, [&](const std::string&) { ++messaggi; }); });
    if (riuscita) {
        VERIFICA(messaggi == vuote);
        for (int r = 0; r < righe; ++r)
            if (!riepilogo.cella(4, r).empty())
                VERIFICA(!riepilogo.cella(5, r).empty());
    }
    return 0;
}
