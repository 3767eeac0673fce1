#include "Parallelo.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace marvento {

int ProcessoriDisponibili()
{
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

void InParallelo(int parti, const std::function<void(int parte)>& fai)
{
    std::vector<std::exception_ptr> errori(static_cast<std::size_t>(std::max(parti, 0)));
    auto esegui = [&](int parte) {
        try {
            fai(parte);
        } catch (...) {
            errori[static_cast<std::size_t>(parte)] = std::current_exception();
        }
    };
    // A part whose thread the system cannot start runs here after part 0: a failure to start one
    // must neither end the program nor lose the part.
    std::vector<std::thread> fili;
    int avviate = 1;
    try {
        for (; avviate < parti; ++avviate)
            fili.emplace_back(esegui, avviate);
    } catch (const std::system_error&) {
    }
    if (parti > 0)
        esegui(0);
    for (int parte = avviate; parte < parti; ++parte)
        esegui(parte);
    for (std::thread& filo : fili)
        filo.join();
    for (const std::exception_ptr& errore : errori)
        if (errore)
            std::rethrow_exception(errore);
}

void PerIntervalli(long long n, long long celle,
                   const std::function<void(long long primo, long long fine)>& fai)
{
    const int parti = celle < kCelleInParallelo
                          ? 1
                          : static_cast<int>(std::clamp<long long>(n, 1, ProcessoriDisponibili()));
    InParallelo(parti, [&](int parte) { fai(n * parte / parti, n * (parte + 1) / parti); });
}

} // namespace marvento
