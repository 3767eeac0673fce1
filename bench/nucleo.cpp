// The core on large generated files: the import alone (file to both grids) and the export alone
// (both grids to their tab-delimited files). Sizes in megabytes as genera.py names them; a missing file
// skips its case. MARVENTO_BENCH_DATA in the environment overrides the folder.
#include "Esportazione.h"
#include "Griglia.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "ListaRighe.h"
#include "Testo.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using namespace marvento;

std::string File(const std::string& tipo, std::int64_t megabyte)
{
    const char* cartella = std::getenv("MARVENTO_BENCH_DATA");
    return std::string(cartella ? cartella : MARVENTO_BENCH_DATA) + "/" + tipo + "-" +
           std::to_string(megabyte) + "." + tipo;
}

using Importatore = void (*)(const ListaRighe&, Griglia&, Griglia&, char);

// Hands the memory freed so far back to the system.
void RestituisciMemoria()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void Importa(benchmark::State& stato, const std::string& tipo, Importatore importa)
{
    const std::string percorso = File(tipo, stato.range(0));
    if (!std::filesystem::exists(percorso)) {
        stato.SkipWithError(("manca " + percorso + ": bench/run.sh lo genera").c_str());
        return;
    }
    // Each import as a fresh process makes it: into memory the system has just handed over, and
    // without the freeing afterwards (marvento-cli ends without freeing; the window frees a grid
    // when the next import replaces it). Freeing the grids, and handing their memory back, are left
    // out of the clock: otherwise a size whose freed memory the allocator happened to keep would
    // import into pages already there, and the sizes would not compare.
    for (auto _ : stato) {
        auto tabella = std::make_unique<Griglia>();
        auto riepilogo = std::make_unique<Griglia>();
        auto righe = std::make_unique<ListaRighe>(CaricaRighe(percorso));
        importa(*righe, *tabella, *riepilogo, ',');
        benchmark::DoNotOptimize(tabella->numeroRighe());
        stato.PauseTiming();
        tabella.reset();
        riepilogo.reset();
        righe.reset();
        RestituisciMemoria();
        stato.ResumeTiming();
    }
    stato.SetBytesProcessed(static_cast<std::int64_t>(stato.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(percorso)));
}

void Esporta(benchmark::State& stato, const std::string& tipo, Importatore importa)
{
    const std::string percorso = File(tipo, stato.range(0));
    if (!std::filesystem::exists(percorso)) {
        stato.SkipWithError(("manca " + percorso + ": bench/run.sh lo genera").c_str());
        return;
    }
    Griglia tabella;
    Griglia riepilogo;
    importa(CaricaRighe(percorso), tabella, riepilogo, ',');
    // Both files written as the command-line tool writes them, next to the data.
    const std::string dettaglio = percorso + ".dettaglio.txt";
    const std::string sommario = percorso + ".riepilogo.txt";
    // Each time into new files: the previous ones are removed with the clock stopped. Replacing
    // them would time the file system too, which frees the old blocks (and, mounted with discard,
    // waits for the device), the more so the sooner the file is replaced after it was written.
    for (auto _ : stato) {
        stato.PauseTiming();
        std::filesystem::remove(dettaglio);
        std::filesystem::remove(sommario);
        stato.ResumeTiming();
        ScriviTabulato(tabella, dettaglio);
        ScriviTabulato(riepilogo, sommario);
    }
    stato.SetBytesProcessed(static_cast<std::int64_t>(stato.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(dettaglio) +
                                                      std::filesystem::file_size(sommario)));
    std::filesystem::remove(dettaglio);
    std::filesystem::remove(sommario);
}

void ImportaMes(benchmark::State& stato)
{
    Importa(stato, "mes", ImportaVelocita);
}
void ImportaRsz(benchmark::State& stato)
{
    Importa(stato, "rsz", ImportaArchi);
}
void EsportaMes(benchmark::State& stato)
{
    Esporta(stato, "mes", ImportaVelocita);
}
void EsportaRsz(benchmark::State& stato)
{
    Esporta(stato, "rsz", ImportaArchi);
}

} // namespace

BENCHMARK(ImportaMes)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ImportaRsz)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EsportaMes)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EsportaRsz)->Arg(10)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
