#include "Squadra.h"

#include <algorithm>
#include <chrono>
#include <utility>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

namespace marvento {

namespace {

#ifdef __linux__
// A new thread is queued where the system chooses, and that is often the processor of the thread
// that created it, which is busy: there it waits until its creator sleeps, and its part of the
// first job runs after the creator's instead of beside it (up to 4 ms late here, a tenth of a
// 10 MB import). Allowing it every processor but this one moves it to another at once; its own
// set is then given back, and it stays where it is while that processor is free.
class AltroProcessore
{
  public:
    AltroProcessore()
    {
        const int qui = sched_getcpu();
        if (sched_getaffinity(0, sizeof tutti_, &tutti_) != 0 || qui < 0 || qui >= CPU_SETSIZE)
            return;
        altri_ = tutti_;
        CPU_CLR(qui, &altri_);
        valido_ = CPU_COUNT(&altri_) > 0;
    }

    void sposta(std::thread& filo) const
    {
        if (valido_ && pthread_setaffinity_np(filo.native_handle(), sizeof altri_, &altri_) == 0)
            pthread_setaffinity_np(filo.native_handle(), sizeof tutti_, &tutti_);
    }

  private:
    cpu_set_t tutti_{};
    cpu_set_t altri_{};
    bool valido_ = false;
};
#else
struct AltroProcessore
{
    void sposta(std::thread&) const {}
};
#endif

// The processors the program may run on: on Linux those of its affinity (taskset, a container's
// cpuset), which may be fewer than the machine has.
int ProcessoriDisponibili()
{
#ifdef __linux__
    cpu_set_t insieme;
    if (sched_getaffinity(0, sizeof insieme, &insieme) == 0 && CPU_COUNT(&insieme) > 0)
        return CPU_COUNT(&insieme);
#endif
    return static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
}

// Waits, for at most 2 ms, until pronto() holds, giving the processor to any other thread that
// wants it at every turn rather than sleeping. An import or an export is a chain of jobs with short
// stretches of one thread between them; a thread that slept in between must be woken, which takes
// time and often puts it on the processor of the thread that woke it, busy with its own part (a
// 10 MB import took a tenth longer, and varied twice as much). A thread that yields keeps its
// processor when nothing else wants it, and holds up nothing when something does: on a busy
// machine, a waiting thread that only spun took the time of the very thread it waited for.
template <typename Pronto> void AttendiUnMomento(Pronto pronto)
{
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    for (unsigned giri = 1; !pronto(); ++giri) {
        std::this_thread::yield();
        if (giri % 16 == 0 && std::chrono::steady_clock::now() >= limite)
            return;
    }
}

} // namespace

Squadra::Squadra(int fili) : fili_(std::max(fili, 1)), errori_(static_cast<std::size_t>(fili_))
{
    attesaAttiva_ = fili_ <= ProcessoriDisponibili();
    operai_.reserve(static_cast<std::size_t>(fili_ - 1));
    const AltroProcessore altroProcessore;
    try {
        for (int i = 1; i < fili_; ++i) {
            operai_.emplace_back([this, i] { attendi(i); });
            altroProcessore.sposta(operai_.back());
        }
    } catch (...) {
        // A system that refuses threads still gets its work done, on fewer of them.
        fili_ = static_cast<int>(operai_.size()) + 1;
    }
}

Squadra::~Squadra()
{
    {
        std::lock_guard<std::mutex> blocco(mutex_);
        chiusura_ = true;
    }
    segnaleAvvio_.fetch_add(1, std::memory_order_release);
    avvio_.notify_all();
    for (std::thread& operaio : operai_)
        operaio.join();
}

void Squadra::attendi(int indice)
{
    unsigned long long visto = 0;
    for (;;) {
        const std::function<void(int, int)>* lavoro = nullptr;
        if (attesaAttiva_)
            AttendiUnMomento([&] { return segnaleAvvio_.load(std::memory_order_acquire) != visto; });
        {
            std::unique_lock<std::mutex> blocco(mutex_);
            avvio_.wait(blocco, [&] { return chiusura_ || turno_ != visto; });
            if (chiusura_)
                return;
            visto = turno_;
            lavoro = lavoro_;
        }
        std::exception_ptr errore;
        try {
            (*lavoro)(indice, fili_);
        } catch (...) {
            errore = std::current_exception();
        }
        std::lock_guard<std::mutex> blocco(mutex_);
        errori_[static_cast<std::size_t>(indice)] = std::move(errore); // released by the caller only
        partiInCorso_.fetch_sub(1, std::memory_order_release);
        if (--mancanti_ == 0)
            fine_.notify_one();
    }
}

void Squadra::esegui(const std::function<void(int, int)>& lavoro)
{
    if (eseguiInsieme(lavoro))
        return;
    // The parts one after the other, failing like the team would: every part runs, and the lowest
    // part's error is thrown.
    std::exception_ptr primo;
    for (int i = 0; i < fili_; ++i) {
        try {
            lavoro(i, fili_);
        } catch (...) {
            if (!primo)
                primo = std::current_exception();
        }
    }
    if (primo)
        std::rethrow_exception(primo);
}

bool Squadra::eseguiInsieme(const std::function<void(int, int)>& lavoro)
{
    bool libera = false;
    if (fili_ == 1 || !occupata_.compare_exchange_strong(libera, true))
        return false;
    struct Libera
    {
        std::atomic<bool>& occupata;
        ~Libera() { occupata = false; }
    } liberaAllaFine{occupata_};
    {
        std::lock_guard<std::mutex> blocco(mutex_);
        lavoro_ = &lavoro;
        mancanti_ = fili_ - 1;
        std::fill(errori_.begin(), errori_.end(), nullptr);
        ++turno_;
        partiInCorso_.store(mancanti_, std::memory_order_relaxed);
        segnaleAvvio_.store(turno_, std::memory_order_release);
    }
    avvio_.notify_all();
    std::exception_ptr mio;
    try {
        lavoro(0, fili_);
    } catch (...) {
        mio = std::current_exception();
    }
    if (attesaAttiva_)
        AttendiUnMomento([&] { return partiInCorso_.load(std::memory_order_acquire) == 0; });
    std::unique_lock<std::mutex> blocco(mutex_);
    fine_.wait(blocco, [&] { return mancanti_ == 0; });
    lavoro_ = nullptr;
    if (mio)
        std::rethrow_exception(mio);
    for (const std::exception_ptr& errore : errori_)
        if (errore)
            std::rethrow_exception(errore);
    return true;
}

Squadra& SquadraComune()
{
    // Never destroyed: its threads wait until the process ends, which is safe on every system,
    // while joining them from a static destructor is not.
    static Squadra* const squadra = new Squadra(std::clamp(ProcessoriDisponibili(), 1, 8));
    return *squadra;
}

Intervallo Parte(long long n, int parte, int parti)
{
    const long long base = n / parti;
    const long long resto = n % parti;
    const long long inizio = base * parte + std::min<long long>(parte, resto);
    return {inizio, inizio + base + (parte < resto ? 1 : 0)};
}

} // namespace marvento
