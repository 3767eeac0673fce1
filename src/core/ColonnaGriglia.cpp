#include "ColonnaGriglia.h"

#include "Errore.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <new>

namespace marvento {

namespace {

[[noreturn]] void ErroreSpazio()
{
    throw Errore("Too much text in one grid column");
}

// Room for `aggiunta` more elements, growing by half rather than doubling: a table of thousands of
// columns filled row by row would otherwise carry up to twice its size in spare capacity.
template <typename Vettore> void Riserva(Vettore& vettore, std::size_t aggiunta)
{
    const std::size_t necessario = vettore.size() + aggiunta;
    if (necessario > vettore.capacity())
        vettore.reserve(std::max(necessario, vettore.capacity() + vettore.capacity() / 2 + 16));
}

// Where the columns live. The C library's aligned allocation took 0.2 microseconds a column and cut
// the heap into pieces; here a column takes a place from a block of kPostiBlocco, and a column
// given back leaves its place for the next one. The blocks stay until the program ends: a table of
// thousands of columns is soon made again, by the next import.
class DepositoColonne
{
  public:
    void* prendi()
    {
        const std::lock_guard<std::mutex> blocco(mutex_);
        if (!liberi_)
            aggiungiBlocco();
        Posto* posto = liberi_;
        liberi_ = posto->prossimo;
        return posto;
    }

    void rendi(void* colonna) noexcept
    {
        const std::lock_guard<std::mutex> blocco(mutex_);
        libera(colonna);
    }

  private:
    static constexpr std::size_t kPostiBlocco = 512;
    struct Posto
    {
        Posto* prossimo;
    };

    void libera(void* colonna) noexcept { liberi_ = new (colonna) Posto{liberi_}; }

    void aggiungiBlocco()
    {
        auto* byte = static_cast<unsigned char*>(
            ::operator new(kPostiBlocco * sizeof(ColonnaGriglia), std::align_val_t(alignof(ColonnaGriglia))));
        for (std::size_t i = kPostiBlocco; i-- > 0;) // the first place first: columns in order in memory
            libera(byte + i * sizeof(ColonnaGriglia));
    }

    std::mutex mutex_;
    Posto* liberi_ = nullptr;
};

DepositoColonne& Deposito()
{
    static DepositoColonne* const deposito = new DepositoColonne; // never destroyed, like its blocks
    return *deposito;
}

} // namespace

void* ColonnaGriglia::operator new(std::size_t dimensione)
{
    return operator new(dimensione, std::align_val_t(alignof(ColonnaGriglia)));
}

void* ColonnaGriglia::operator new(std::size_t, std::align_val_t)
{
    return Deposito().prendi(); // the class is final: every request is for one column
}

void ColonnaGriglia::operator delete(void* colonna) noexcept
{
    if (colonna)
        Deposito().rendi(colonna);
}

void ColonnaGriglia::operator delete(void* colonna, std::align_val_t) noexcept
{
    ColonnaGriglia::operator delete(colonna);
}

CaratteriColonna::~CaratteriColonna()
{
    std::free(dati_);
}

void CaratteriColonna::reserve(std::size_t n)
{
    if (n <= capacita_)
        return;
    // realloc may grow the block where it lies, and large blocks without copying.
    void* nuovi = std::realloc(dati_, n + kMargine);
    if (!nuovi)
        throw std::bad_alloc();
    dati_ = static_cast<char*>(nuovi);
    capacita_ = n;
}

void CaratteriColonna::shrink_to_fit()
{
    if (capacita_ == usati_)
        return;
    if (usati_ == 0) {
        std::free(dati_);
        dati_ = nullptr;
        capacita_ = 0;
        return;
    }
    if (void* nuovi = std::realloc(dati_, usati_ + kMargine)) { // keeping the larger block is no failure
        dati_ = static_cast<char*>(nuovi);
        capacita_ = usati_;
    }
}

void CaratteriColonna::swap(CaratteriColonna& altro) noexcept
{
    std::swap(dati_, altro.dati_);
    std::swap(usati_, altro.usati_);
    std::swap(capacita_, altro.capacita_);
}

ColonnaGriglia::ColonnaGriglia(std::size_t limiteByte)
    : limiteByte_(std::min<std::size_t>(limiteByte, UINT32_MAX))
{
}

ColonnaGriglia::~ColonnaGriglia() = default;

std::size_t ColonnaGriglia::inizio(int riga) const
{
    if (riga >= righeContigue())
        return testo_.size();
    const std::size_t primo = static_cast<std::size_t>(riga / righeBlocco) * righeBlocco;
    std::size_t posizione = basi_[primo / righeBlocco];
    for (std::size_t i = primo; i < static_cast<std::size_t>(riga); ++i)
        posizione += lunghezze_[i] == lunga ? 0 : lunghezze_[i];
    return posizione;
}

std::string_view ColonnaGriglia::contigua(int riga) const
{
    const std::uint8_t lunghezza = lunghezze_[static_cast<std::size_t>(riga)];
    if (lunghezza == lunga)
        return extra_->lunghe.find(riga)->second;
    return std::string_view(testo_.data() + inizio(riga), lunghezza);
}

std::string_view ColonnaGriglia::testo(int riga) const
{
    if (riga < 0)
        return {};
    if (righeUguali_ > 0)
        return riga < righeUguali_ ? std::string_view(uguale_) : std::string_view();
    if (extra_ && !extra_->modifiche.empty()) {
        auto trovata = extra_->modifiche.find(riga);
        if (trovata != extra_->modifiche.end())
            return trovata->second;
    }
    if (riga >= righeContigue())
        return {};
    return contigua(riga);
}

void ColonnaGriglia::testi(int primaRiga, int quante, std::vector<std::string_view>& testi) const
{
    quante = std::max(quante, 0);
    testi.assign(static_cast<std::size_t>(quante), std::string_view());
    if (righeUguali_ > 0) {
        for (int riga = primaRiga; riga < std::min(primaRiga + quante, righeUguali_); ++riga)
            testi[static_cast<std::size_t>(riga - primaRiga)] = uguale_;
        return;
    }
    const int fine = std::min(primaRiga + quante, righeContigue());
    if (primaRiga < fine) {
        std::size_t posizione = inizio(primaRiga);
        for (int riga = primaRiga; riga < fine; ++riga) {
            const std::uint8_t lunghezza = lunghezze_[static_cast<std::size_t>(riga)];
            std::string_view& testo = testi[static_cast<std::size_t>(riga - primaRiga)];
            if (lunghezza == lunga) {
                testo = extra_->lunghe.find(riga)->second;
            } else {
                testo = std::string_view(testo_.data() + posizione, lunghezza);
                posizione += lunghezza;
            }
        }
    }
    if (extra_)
        for (const auto& [riga, testo] : extra_->modifiche)
            if (riga >= primaRiga && riga - primaRiga < quante)
                testi[static_cast<std::size_t>(riga - primaRiga)] = testo;
}

void ColonnaGriglia::aggiungiLunghezze(int primaRiga, int quante, std::size_t* somme) const
{
    quante = std::max(quante, 0);
    if (righeUguali_ > 0) {
        for (int riga = primaRiga; riga < std::min(primaRiga + quante, righeUguali_); ++riga)
            somme[riga - primaRiga] += uguale_.size();
        return;
    }
    const int fine = std::min(primaRiga + quante, righeContigue());
    const std::uint8_t* lunghezze = lunghezze_.data();
    if (!extra_) {
        // Every length byte is the text's length: sixteen rows at a time, which the compiler turns
        // into vector additions (the export adds up every cell of the grid this way).
        const std::uint8_t* da = lunghezze + primaRiga;
        std::size_t* a = somme;
        const std::size_t n = static_cast<std::size_t>(std::max(fine - primaRiga, 0));
        std::size_t i = 0;
        for (; i + 16 <= n; i += 16) {
            std::uint8_t blocco[16]; // a copy, which the sums cannot overwrite
            std::memcpy(blocco, da + i, sizeof blocco);
            for (std::size_t k = 0; k < 16; ++k)
                a[i + k] += blocco[k];
        }
        for (; i < n; ++i)
            a[i] += da[i];
        return;
    }
    for (int riga = primaRiga; riga < fine; ++riga) {
        const std::uint8_t lunghezza = lunghezze[riga];
        somme[riga - primaRiga] +=
            lunghezza == lunga ? extra_->lunghe.find(riga)->second.size() : std::size_t{lunghezza};
    }
    if (extra_)
        for (const auto& [riga, testo] : extra_->modifiche)
            if (riga >= primaRiga && riga - primaRiga < quante) {
                // The rewritten text stands in for the one counted above.
                somme[riga - primaRiga] -= contigua(riga).size();
                somme[riga - primaRiga] += testo.size();
            }
}

std::size_t ColonnaGriglia::byteVivi() const
{
    return testo_.size() + (extra_ ? extra_->byteModifiche - extra_->byteSostituiti : 0);
}

void ColonnaGriglia::accoda(std::string_view testo)
{
    // Room first, so that nothing is half-appended when memory runs out.
    const int riga = righeContigue();
    const bool nuovoBlocco = riga % righeBlocco == 0;
    const bool corto = testo.size() < lunga;
    if (nuovoBlocco)
        Riserva(basi_, 1);
    Riserva(lunghezze_, 1);
    if (corto) {
        Riserva(testo_, testo.size());
    } else {
        if (!extra_)
            extra_ = std::make_unique<Extra>();
        extra_->lunghe.emplace(riga, std::string(testo));
    }
    if (nuovoBlocco)
        basi_.push_back(static_cast<std::uint32_t>(testo_.size()));
    if (corto)
        testo_.aggiungi(testo.data(), testo.size());
    lunghezze_.push_back(corto ? static_cast<std::uint8_t>(testo.size()) : lunga);
}

void ColonnaGriglia::togliUltima()
{
    const int riga = righeContigue() - 1;
    const std::uint8_t lunghezza = lunghezze_.back();
    if (lunghezza == lunga) {
        extra_->lunghe.erase(riga);
        liberaExtraVuoto();
    } else {
        testo_.resize(testo_.size() - lunghezza);
    }
    lunghezze_.pop_back();
    if (riga % righeBlocco == 0)
        basi_.pop_back();
}

void ColonnaGriglia::dimenticaModifica(int riga)
{
    if (!extra_)
        return;
    auto voce = extra_->modifiche.find(riga);
    if (voce == extra_->modifiche.end())
        return;
    const std::uint8_t sostituita = lunghezze_[static_cast<std::size_t>(riga)];
    extra_->byteModifiche -= voce->second.size() < lunga ? voce->second.size() : 0;
    extra_->byteSostituiti -= sostituita == lunga ? 0 : sostituita;
    extra_->modifiche.erase(voce);
    liberaExtraVuoto();
}

void ColonnaGriglia::liberaExtraVuoto()
{
    if (extra_ && extra_->lunghe.empty() && extra_->modifiche.empty())
        extra_.reset();
}

void ColonnaGriglia::impostaGenerale(int riga, std::string_view testo)
{
    if (righeUguali_ > 0) {
        if (testo == (riga < righeUguali_ ? std::string_view(uguale_) : std::string_view()))
            return; // the row holds that text already
        if (riga == righeUguali_ && testo == uguale_) {
            if (!entro(static_cast<std::size_t>(riga) + 1, testo.size()))
                ErroreSpazio();
            ++righeUguali_;
            return;
        }
        const std::string copia(testo); // it may be a view of the one text, which goes now
        scriviUguali();
        impostaGenerale(riga, copia);
        return;
    }
    const int contigue = righeContigue();
    const std::size_t nelBuffer = testo.size() < lunga ? testo.size() : 0;
    if (riga >= contigue) {
        // The common case, an import appending the next row: only the column's end is touched.
        if (testo.empty())
            return; // already empty
        if (byteVivi() + nelBuffer > limiteByte_)
            ErroreSpazio();
        if (testo_.size() + nelBuffer > limiteByte_)
            ricostruisci(); // only overridden texts still in the buffer are in the way
        // Rows skipped over are empty.
        while (righeContigue() < riga)
            accoda({});
        accoda(testo);
        return;
    }

    // The texts that a fold would put in the buffer must fit its 32-bit offsets, whatever follows.
    const std::string_view vecchio = this->testo(riga);
    const std::size_t vecchioNelBuffer = vecchio.size() < lunga ? vecchio.size() : 0;
    if (byteVivi() - vecchioNelBuffer + nelBuffer > limiteByte_)
        ErroreSpazio();

    if (riga == contigue - 1) {
        // The last row is rewritten in place.
        dimenticaModifica(riga);
        togliUltima();
        if (testo_.size() + nelBuffer > limiteByte_)
            ricostruisci();
        accoda(testo);
        return;
    }

    if (!extra_)
        extra_ = std::make_unique<Extra>();
    auto voce = extra_->modifiche.find(riga);
    if (voce == extra_->modifiche.end()) {
        voce = extra_->modifiche.emplace(riga, std::string(testo)).first;
        const std::uint8_t sostituita = lunghezze_[static_cast<std::size_t>(riga)];
        extra_->byteSostituiti += sostituita == lunga ? 0 : sostituita;
    } else {
        extra_->byteModifiche -= vecchioNelBuffer;
        voce->second.assign(testo);
    }
    extra_->byteModifiche += nelBuffer;

    // Fold back once the side table is worth a pass over the column: by count, so that lookups stay
    // cheap, and by bytes, so that overridden texts do not pile up in the buffer.
    if (extra_->modifiche.size() > 64 + lunghezze_.size() / 8 ||
        extra_->byteModifiche > 4096 + testo_.size() + lunghezze_.size())
        ricostruisci();
}

void ColonnaGriglia::imposta(int riga, const std::string_view* testi, std::size_t quante, bool conMargine)
{
    if (righeUguali_ > 0) {
        // Row by row: as long as they hold the same text they stay one text.
        for (std::size_t i = 0; i < quante; ++i)
            imposta(riga + static_cast<int>(i), testi[i]);
        return;
    }
    std::size_t byte = 0;
    bool corti = riga == righeContigue() && (!extra_ || extra_->modifiche.empty());
    for (std::size_t i = 0; corti && i < quante; ++i) {
        corti = testi[i].size() < lunga;
        byte += testi[i].size();
    }
    if (corti && testo_.size() + byte <= limiteByte_) {
        bool spazio = true;
        try {
            // All the room first; should it fail, the rows go one by one and fail where they would.
            Riserva(basi_, quante / righeBlocco + 1);
            Riserva(lunghezze_, quante);
            Riserva(testo_, byte);
        } catch (const std::bad_alloc&) {
            spazio = false;
        }
        if (spazio) {
            // Written through local pointers and counted in at the end: the column's own counters,
            // updated through memory at every text, would make each text wait for the one before.
            std::uint8_t* lunghezza = lunghezze_.data() + lunghezze_.size();
            lunghezze_.resize(lunghezze_.size() + quante);
            const char* const buffer = testo_.data();
            char* const primo = testo_.fine();
            char* scrittura = primo;
            for (std::size_t i = 0; i < quante; ++i, ++riga) {
                if (riga % righeBlocco == 0)
                    basi_.push_back(static_cast<std::uint32_t>(scrittura - buffer));
                const std::size_t n = testi[i].size();
                if (conMargine && n != 0 && n <= kMargine)
                    std::memcpy(scrittura, testi[i].data(), kMargine);
                else
                    CopiaBreve(scrittura, testi[i].data(), n);
                scrittura += n;
                lunghezza[i] = static_cast<std::uint8_t>(n);
            }
            testo_.allunga(static_cast<std::size_t>(scrittura - primo));
            return;
        }
    }
    for (std::size_t i = 0; i < quante; ++i)
        imposta(riga + static_cast<int>(i), testi[i]);
}

void ColonnaGriglia::impostaUguali(int riga, std::string_view testo, std::size_t quante)
{
    if (quante == 0)
        return;
    const bool primeRighe = righeUguali_ == 0 && riga == 0 && lunghezze_.empty() && !extra_;
    const bool seguito = righeUguali_ > 0 && riga == righeUguali_ && testo == uguale_;
    if ((primeRighe || seguito) && !testo.empty() && testo.size() < lunga &&
        entro(static_cast<std::size_t>(riga) + quante, testo.size())) {
        if (primeRighe)
            uguale_.assign(testo);
        righeUguali_ = riga + static_cast<int>(quante);
        return;
    }
    // Otherwise as a run of texts, in slices.
    std::string_view fetta[64];
    std::fill(std::begin(fetta), std::end(fetta), testo);
    for (std::size_t fatte = 0; fatte < quante;) {
        const std::size_t n = std::min(quante - fatte, std::size(fetta));
        imposta(riga + static_cast<int>(fatte), fetta, n);
        fatte += n;
    }
}

void ColonnaGriglia::scriviUguali()
{
    const std::size_t righe = static_cast<std::size_t>(righeUguali_);
    const std::size_t n = uguale_.size();
    // All the room first, in new buffers: the column stays as it was should memory run out.
    CaratteriColonna testo;
    testo.reserve(righe * n);
    std::vector<std::uint8_t> lunghezze(righe, static_cast<std::uint8_t>(n));
    std::vector<std::uint32_t> basi;
    basi.reserve((righe + righeBlocco - 1) / righeBlocco);
    for (std::size_t riga = 0; riga < righe; ++riga) {
        if (riga % righeBlocco == 0)
            basi.push_back(static_cast<std::uint32_t>(testo.size()));
        testo.aggiungi(uguale_.data(), n);
    }
    testo_.swap(testo);
    lunghezze_.swap(lunghezze);
    basi_.swap(basi);
    righeUguali_ = 0;
    std::string().swap(uguale_);
}

void ColonnaGriglia::riserva(int righe)
{
    if (righeUguali_ > 0)
        return; // rows of one text need no room
    const int contigue = righeContigue();
    if (righe <= contigue)
        return;
    lunghezze_.reserve(static_cast<std::size_t>(righe));
    basi_.reserve(static_cast<std::size_t>((righe + righeBlocco - 1) / righeBlocco));
    if (contigue > 0) {
        // The mean length so far, with a little margin for the rows that run longer.
        const double perRiga = static_cast<double>(testo_.size()) / contigue;
        const double stima = static_cast<double>(testo_.size()) + perRiga * 1.02 * (righe - contigue) + 64;
        testo_.reserve(static_cast<std::size_t>(std::min(stima, static_cast<double>(limiteByte_))));
    }
}

void ColonnaGriglia::tronca(int righe)
{
    if (righeUguali_ > 0) {
        righeUguali_ = std::max(0, std::min(righeUguali_, righe));
        if (righeUguali_ == 0)
            std::string().swap(uguale_);
        return;
    }
    if (righe <= 0) {
        CaratteriColonna().swap(testo_);
        std::vector<std::uint8_t>().swap(lunghezze_);
        std::vector<std::uint32_t>().swap(basi_);
        extra_.reset();
        return;
    }
    if (righe >= righeContigue())
        return; // nothing is held there, side table included
    if (extra_) {
        for (auto voce = extra_->modifiche.begin(); voce != extra_->modifiche.end();) {
            if (voce->first >= righe) {
                const std::uint8_t sostituita = lunghezze_[static_cast<std::size_t>(voce->first)];
                extra_->byteModifiche -= voce->second.size() < lunga ? voce->second.size() : 0;
                extra_->byteSostituiti -= sostituita == lunga ? 0 : sostituita;
                voce = extra_->modifiche.erase(voce);
            } else {
                ++voce;
            }
        }
        for (auto voce = extra_->lunghe.begin(); voce != extra_->lunghe.end();)
            voce = voce->first >= righe ? extra_->lunghe.erase(voce) : std::next(voce);
        liberaExtraVuoto();
    }
    testo_.resize(inizio(righe));
    lunghezze_.resize(static_cast<std::size_t>(righe));
    basi_.resize(static_cast<std::size_t>((righe + righeBlocco - 1) / righeBlocco));
}

void ColonnaGriglia::ricostruisci()
{
    if (!extra_ || extra_->modifiche.empty())
        return;
    const int contigue = righeContigue();
    CaratteriColonna testo;
    testo.reserve(byteVivi());
    std::vector<std::uint8_t> lunghezze;
    lunghezze.reserve(lunghezze_.size());
    std::vector<std::uint32_t> basi;
    basi.reserve(basi_.size());
    std::unordered_map<int, std::string> lunghe;
    for (int riga = 0; riga < contigue; ++riga) {
        const std::string_view vivo = this->testo(riga);
        if (riga % righeBlocco == 0)
            basi.push_back(static_cast<std::uint32_t>(testo.size()));
        if (vivo.size() < lunga) {
            testo.aggiungi(vivo.data(), vivo.size());
            lunghezze.push_back(static_cast<std::uint8_t>(vivo.size()));
        } else {
            lunghe.emplace(riga, std::string(vivo));
            lunghezze.push_back(lunga);
        }
    }
    testo_.swap(testo);
    lunghezze_.swap(lunghezze);
    basi_.swap(basi);
    extra_->lunghe.swap(lunghe);
    extra_->modifiche.clear();
    extra_->byteModifiche = 0;
    extra_->byteSostituiti = 0;
    liberaExtraVuoto();
}

void ColonnaGriglia::compatta()
{
    if (righeUguali_ > 0)
        return; // already as small as it gets
    ricostruisci();
    // Rows left empty at the end need no length.
    while (!lunghezze_.empty() && lunghezze_.back() == 0)
        togliUltima();
    testo_.shrink_to_fit();
    lunghezze_.shrink_to_fit();
    basi_.shrink_to_fit();
}

} // namespace marvento
