#include "Squadra.h"

#include <algorithm>
#include <utility>

namespace marvento {

Squadra::Squadra(int fili) : fili_(std::max(fili, 1)), errori_(static_cast<std::size_t>(fili_))
{
    operai_.reserve(static_cast<std::size_t>(fili_ - 1));
    try {
        for (int i = 1; i < fili_; ++i)
            operai_.emplace_back([this, i] { attendi(i); });
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
    avvio_.notify_all();
    for (std::thread& operaio : operai_)
        operaio.join();
}

void Squadra::attendi(int indice)
{
    unsigned long long visto = 0;
    for (;;) {
        const std::function<void(int, int)>* lavoro = nullptr;
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
    }
    avvio_.notify_all();
    std::exception_ptr mio;
    try {
        lavoro(0, fili_);
    } catch (...) {
        mio = std::current_exception();
    }
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
    static Squadra* const squadra =
        new Squadra(static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)));
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
