#include "ColonnaGriglia.h"

#include "Errore.h"

#include <algorithm>

namespace marvento {

namespace {

[[noreturn]] void ErroreSpazio()
{
    throw Errore("Too much text in one grid column");
}

} // namespace

ColonnaGriglia::ColonnaGriglia(std::size_t limiteByte)
    : limiteByte_(std::min<std::size_t>(limiteByte, UINT32_MAX))
{
}

std::string_view ColonnaGriglia::testo(int riga) const
{
    if (riga < 0)
        return {};
    if (!modifiche_.empty()) {
        auto trovata = modifiche_.find(riga);
        if (trovata != modifiche_.end())
            return trovata->second;
    }
    if (riga >= righeContigue())
        return {};
    std::size_t da = inizio(riga);
    return std::string_view(testo_).substr(da, fini_[static_cast<std::size_t>(riga)] - da);
}

std::size_t ColonnaGriglia::lunghezzaViva(int riga) const
{
    return testo(riga).size();
}

void ColonnaGriglia::dimenticaModifica(int riga)
{
    auto voce = modifiche_.find(riga);
    if (voce == modifiche_.end())
        return;
    byteModifiche_ -= voce->second.size();
    byteSostituiti_ -= fini_[static_cast<std::size_t>(riga)] - inizio(riga);
    modifiche_.erase(voce);
}

void ColonnaGriglia::imposta(int riga, std::string_view testo)
{
    const int contigue = righeContigue();
    // The texts that a fold would keep must fit the 32-bit offsets, whatever happens next.
    const std::size_t viviDopo = byteVivi() - lunghezzaViva(riga) + testo.size();
    if (viviDopo > limiteByte_)
        ErroreSpazio();

    if (riga >= contigue - 1) {
        if (riga >= contigue && testo.empty())
            return; // already empty
        const std::size_t base = riga == contigue - 1 ? inizio(riga) : testo_.size();
        if (base + testo.size() > limiteByte_) {
            // Only overridden texts still held in the buffer are in the way: fold them out.
            ricostruisci();
            imposta(riga, testo);
            return;
        }
        if (riga == contigue - 1) {
            // Rewriting the last row in place: drop its old text from the end of the buffer.
            dimenticaModifica(riga);
            testo_.resize(inizio(riga));
            fini_.pop_back();
        }
        // Rows skipped over are empty: they end where the buffer ends.
        const auto fine = static_cast<std::uint32_t>(testo_.size());
        fini_.resize(static_cast<std::size_t>(riga), fine);
        testo_.append(testo);
        fini_.push_back(static_cast<std::uint32_t>(testo_.size()));
        return;
    }

    auto vecchia = modifiche_.find(riga);
    if (vecchia == modifiche_.end()) {
        byteSostituiti_ += fini_[static_cast<std::size_t>(riga)] - inizio(riga);
        modifiche_.emplace(riga, std::string(testo));
    } else {
        byteModifiche_ -= vecchia->second.size();
        vecchia->second.assign(testo);
    }
    byteModifiche_ += testo.size();

    // Fold back once the side table is worth a pass over the column: by count, so that lookups stay
    // cheap, and by bytes, so that overridden texts do not pile up in the buffer.
    const std::size_t costoPassata = testo_.size() + 4 * fini_.size();
    if (modifiche_.size() > 64 + fini_.size() / 8 || byteModifiche_ > 4096 + costoPassata)
        ricostruisci();
}

void ColonnaGriglia::tronca(int righe)
{
    if (righe <= 0) {
        std::string().swap(testo_);
        std::vector<std::uint32_t>().swap(fini_);
        modifiche_.clear();
        byteModifiche_ = 0;
        byteSostituiti_ = 0;
        return;
    }
    if (righe >= righeContigue())
        return; // nothing is held there, side table included
    testo_.resize(inizio(righe));
    fini_.resize(static_cast<std::size_t>(righe));
    // The offsets are gone for dropped rows, so their overrides are taken out directly.
    for (auto voce = modifiche_.begin(); voce != modifiche_.end();) {
        if (voce->first >= righe) {
            byteModifiche_ -= voce->second.size();
            voce = modifiche_.erase(voce);
        } else {
            ++voce;
        }
    }
    byteSostituiti_ = 0;
    for (const auto& voce : modifiche_)
        byteSostituiti_ += fini_[static_cast<std::size_t>(voce.first)] - inizio(voce.first);
}

void ColonnaGriglia::ricostruisci()
{
    std::size_t totale = 0;
    const int contigue = righeContigue();
    for (int riga = 0; riga < contigue; ++riga)
        totale += testo(riga).size();

    std::string nuovo;
    nuovo.reserve(totale);
    std::vector<std::uint32_t> nuoveFini;
    nuoveFini.reserve(fini_.size());
    for (int riga = 0; riga < contigue; ++riga) {
        nuovo.append(testo(riga));
        nuoveFini.push_back(static_cast<std::uint32_t>(nuovo.size()));
    }
    testo_.swap(nuovo);
    fini_.swap(nuoveFini);
    modifiche_.clear();
    byteModifiche_ = 0;
    byteSostituiti_ = 0;
}

void ColonnaGriglia::compatta()
{
    if (!modifiche_.empty())
        ricostruisci();
    // Rows left empty at the end need no offsets.
    std::size_t righe = fini_.size();
    while (righe > 0 && inizio(static_cast<int>(righe) - 1) == fini_[righe - 1])
        --righe;
    fini_.resize(righe);
    testo_.shrink_to_fit();
    fini_.shrink_to_fit();
}

} // namespace marvento
