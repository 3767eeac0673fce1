#include "Esecuzione.h"

#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "Importazione.h"
#include "ListaCampi.h"
#include "Testo.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace marvento::cli {

namespace {

constexpr int kColonnaLunghezzaReale = 4;

// The texts go into the summary's real-length column row by row, as typed; a row without one
// keeps what the import left there.
void ScriviLunghezzeReali(Griglia& riepilogo, const std::string& elenco)
{
    ListaCampi lunghezze;
    DividiCampi(elenco, ';', lunghezze);
    if (lunghezze.conteggio() > riepilogo.numeroRighe())
        throw Errore("Lunghezze reali indicate: " + std::to_string(lunghezze.conteggio()) +
                     ", ma il file ha " + std::to_string(riepilogo.numeroRighe()) + " sezioni");
    for (int riga = 0; riga < lunghezze.conteggio(); ++riga)
        riepilogo.impostaCella(kColonnaLunghezzaReale, riga, lunghezze.campo(riga));
}

} // namespace

void PreparaMemoria()
{
#ifdef __GLIBC__
    // A batch run allocates its grids in a few bursts and frees nothing before it ends: the heap
    // grows 16 MB at a time rather than page by page (a system call each time), and blocks up to
    // 64 MB come from it rather than each from a mapping of its own. Some 5 % less time on the
    // 10 MB files here; the peak memory is the same.
    mallopt(M_TOP_PAD, 16 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
#endif
}

int EseguiMes(const OpzioniImportazione& opzioni)
{
    return EseguiRiportando([&] {
        // The file's text stays until the end: the peak is reached at the end of the import anyway,
        // with the text and both grids in memory, and nothing is freed (see TerminaProcesso).
        const Griglie griglie = ImportaFile(opzioni.file, TipoFile::Velocita, opzioni.separatore);
        ScriviUscite(opzioni, griglie.tabella, griglie.riepilogo);
        TerminaProcesso(kUscitaRiuscita);
    });
}

int EseguiRsz(const OpzioniImportazione& opzioni, const std::optional<std::string>& lunghezzeReali)
{
    return EseguiRiportando([&] {
        // As for the .mes: nothing is freed.
        Griglie griglie = ImportaFile(opzioni.file, TipoFile::Archi, opzioni.separatore);
        if (lunghezzeReali) {
            ScriviLunghezzeReali(griglie.riepilogo, *lunghezzeReali);
            CorreggiTempi(griglie.riepilogo, opzioni.separatore, StampaMessaggio);
        }
        ScriviUscite(opzioni, griglie.tabella, griglie.riepilogo);
        TerminaProcesso(kUscitaRiuscita);
    });
}

void ScriviUscite(const OpzioniImportazione& opzioni, const Griglia& tabella, const Griglia& riepilogo)
{
    if (opzioni.dettaglio.empty() && opzioni.riepilogo.empty()) {
        std::cout << TabellaAllineata(riepilogo) << std::flush;
        return;
    }
    // Both grids checked first: a grid that cannot be exported (it has no columns) must not leave
    // the other file written. Each file is then written a block of rows at a time, without its whole
    // text in memory.
    if (!opzioni.dettaglio.empty())
        tabella.intestazione(0);
    if (!opzioni.riepilogo.empty())
        riepilogo.intestazione(0);
    if (!opzioni.dettaglio.empty())
        ScriviTabulato(tabella, opzioni.dettaglio);
    if (!opzioni.riepilogo.empty())
        ScriviTabulato(riepilogo, opzioni.riepilogo);
}

namespace {

// Characters, not bytes, so that a label with accents keeps its column straight.
std::size_t Larghezza(std::string_view testo)
{
    return static_cast<std::size_t>(std::count_if(
        testo.begin(), testo.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

bool Numerico(std::string_view testo)
{
    return !testo.empty() && testo.find_first_not_of("0123456789+-.,") == std::string_view::npos;
}

} // namespace

std::string TabellaAllineata(const Griglia& griglia)
{
    const int colonne = griglia.numeroColonne();
    const int righe = griglia.numeroRighe();
    std::vector<std::size_t> larghezze(static_cast<std::size_t>(colonne), 0);
    std::vector<bool> aDestra(static_cast<std::size_t>(colonne), true);
    for (int c = 0; c < colonne; ++c) {
        const auto i = static_cast<std::size_t>(c);
        larghezze[i] = Larghezza(griglia.intestazione(c));
        bool qualcosa = false;
        for (int r = 0; r < righe; ++r) {
            const std::string_view cella = griglia.cella(c, r);
            larghezze[i] = std::max(larghezze[i], Larghezza(cella));
            if (!cella.empty()) {
                qualcosa = true;
                if (!Numerico(cella))
                    aDestra[i] = false;
            }
        }
        if (!qualcosa)
            aDestra[i] = false;
    }

    std::string testo;
    const auto riga = [&](const std::function<std::string_view(int)>& cella) {
        std::string linea;
        for (int c = 0; c < colonne; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const std::string_view t = cella(c);
            const std::string spazi(larghezze[i] - Larghezza(t), ' ');
            if (c > 0)
                linea += "  ";
            linea += aDestra[i] ? spazi + std::string(t) : std::string(t) + spazi;
        }
        linea.erase(linea.find_last_not_of(' ') + 1);
        testo += linea;
        testo += '\n';
    };
    riga([&](int c) { return std::string_view(griglia.intestazione(c)); });
    for (int r = 0; r < righe; ++r)
        riga([&](int c) { return griglia.cella(c, r); });
    return testo;
}

void StampaMessaggio(const std::string& messaggio)
{
    std::cerr << messaggio << '\n' << std::flush;
}

int EseguiRiportando(const std::function<void()>& lavoro)
{
    try {
        lavoro();
        return kUscitaRiuscita;
    } catch (const std::exception& errore) {
        std::cout << std::flush;
        StampaMessaggio(TestoBoxErrore(errore));
        return kUscitaErrore;
    }
}

void TerminaProcesso(int stato)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(stato);
}

} // namespace marvento::cli
