#pragma once
// Fork-join over the processors for the work of large files: an import or an export splits its
// rows into parts, one thread takes each part, and the caller goes on once all of them are done.

#include <functional>

namespace marvento {

// The threads worth starting: one per processor the program may use, at most 8.
int ProcessoriDisponibili();

// Calls fai(0) .. fai(parti - 1) at once, part 0 on the calling thread, and returns once all have
// returned. When parts fail, the failure of the lowest part is thrown (the parts follow the order
// of the file, so that is the failure that the work done in order would meet first).
void InParallelo(int parti, const std::function<void(int parte)>& fai);

// The size of a job, in cells, below which it runs on the calling thread alone: starting a thread
// would cost more than it saves.
inline constexpr long long kCelleInParallelo = 100'000;

// Splits the items 0..n-1 into one range per processor and calls fai(primo, fine) for each range at
// once. The failure of the earliest range is thrown: the one that doing the items in order meets.
// celle tells the size of the whole job: below kCelleInParallelo it runs as one range.
void PerIntervalli(long long n, long long celle,
                   const std::function<void(long long primo, long long fine)>& fai);

// Works through passate chunks of a file in order: taglia(k, b) cuts the lines of chunk k into
// buffer b (0 or 1), scrivi(k, b) writes them into the table. With a second processor, chunk k is
// written while chunk k + 1 is cut. Failures come in the order of the work done one step at a time:
// a failure of writing chunk k before one of cutting chunk k + 1. celle tells the size of the whole
// job, as for PerIntervalli.
template <typename Taglia, typename Scrivi>
void APassate(long long passate, long long celle, Taglia&& taglia, Scrivi&& scrivi)
{
    if (passate <= 0)
        return;
    const bool insieme = ProcessoriDisponibili() > 1 && celle >= kCelleInParallelo;
    taglia(0, 0);
    for (long long k = 0; k < passate; ++k) {
        const int buffer = static_cast<int>(k % 2);
        const bool prossima = k + 1 < passate;
        if (insieme && prossima) {
            InParallelo(2, [&](int parte) {
                if (parte == 0)
                    scrivi(k, buffer);
                else
                    taglia(k + 1, 1 - buffer);
            });
            continue;
        }
        scrivi(k, buffer);
        if (prossima)
            taglia(k + 1, 1 - buffer);
    }
}

} // namespace marvento
