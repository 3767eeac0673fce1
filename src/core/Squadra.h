#pragma once
// A small team of threads for the work of large files: an import or an export splits its rows or
// columns into as many parts as there are threads, and each thread does one part.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace marvento {

class Squadra
{
  public:
    // fili threads in all (at least 1): the caller's, and fili - 1 that wait for work.
    explicit Squadra(int fili);
    ~Squadra();
    Squadra(const Squadra&) = delete;
    Squadra& operator=(const Squadra&) = delete;

    int fili() const { return fili_; }

    // Calls lavoro(i, fili()) for every i in [0, fili()), all at once, part 0 on the calling thread,
    // and returns once every part is done. When parts fail, the failure of the lowest i is thrown
    // again (after every part ended). While the team is busy (a call from one of its parts, or from
    // another thread), the parts run one after the other on the calling thread instead.
    void esegui(const std::function<void(int parte, int parti)>& lavoro);
    // The same when the parts can run at once, true then; false, running nothing, when the team
    // is busy or has one thread. For work whose parts wait for one another, which one thread
    // running them in turn would never finish.
    bool eseguiInsieme(const std::function<void(int parte, int parti)>& lavoro);

  private:
    void attendi(int indice);

    int fili_;
    std::vector<std::thread> operai_;
    std::atomic<bool> occupata_{false}; // a call is in progress
    std::mutex mutex_;
    std::condition_variable avvio_;
    std::condition_variable fine_;
    const std::function<void(int, int)>* lavoro_ = nullptr;
    unsigned long long turno_ = 0; // one more for every call
    int mancanti_ = 0;             // parts of the current call still running on the other threads
    std::vector<std::exception_ptr> errori_;
    bool chiusura_ = false;
    // What a thread watches, without the lock, while it waits a moment before it sleeps: turno_
    // (or the closing), and mancanti_. The lock still decides; these only end the wait early.
    bool attesaAttiva_ = false; // a processor for every thread, so a waiting thread can keep its own
    std::atomic<unsigned long long> segnaleAvvio_{0};
    std::atomic<int> partiInCorso_{0};
};

// The team shared by the program's large jobs: one thread per processor the program may run on,
// at most 8. Created on first use.
Squadra& SquadraComune();

// The range [inizio, fine) of part `parte` of `parti` when n items are split as evenly as can be.
struct Intervallo
{
    long long inizio;
    long long fine;
};
Intervallo Parte(long long n, int parte, int parti);

// The same as calling, for i = 0, 1, ... n-1 in turn, calcola(i, parte) then applica(i), and
// stopping at the first failure, when calcola of different items may run at once: the items are
// split in ranges among the team (parte tells which thread runs calcola, for its own scratch),
// then applica takes them in order on the calling thread, up to the first item whose calcola
// failed, whose failure is then thrown.
template <typename Calcola, typename Applica>
void CalcolaPoiApplica(Squadra& squadra, long long n, Calcola calcola, Applica applica)
{
    std::vector<std::exception_ptr> errori(static_cast<std::size_t>(squadra.fili()));
    std::vector<long long> fallito(errori.size(), n);
    squadra.esegui([&](int parte, int parti) {
        const Intervallo mio = Parte(n, parte, parti);
        for (long long i = mio.inizio; i < mio.fine; ++i) {
            try {
                calcola(i, parte);
            } catch (...) {
                errori[static_cast<std::size_t>(parte)] = std::current_exception();
                fallito[static_cast<std::size_t>(parte)] = i;
                return;
            }
        }
    });
    std::size_t primo = 0;
    for (std::size_t parte = 1; parte < fallito.size(); ++parte)
        if (fallito[parte] < fallito[primo])
            primo = parte;
    for (long long i = 0; i < fallito[primo]; ++i)
        applica(i);
    if (errori[primo])
        std::rethrow_exception(errori[primo]);
}

} // namespace marvento
