#include "Griglia.h"

#include "Errore.h"

#include <algorithm>
#include <limits>

namespace marvento {

namespace {

[[noreturn]] void ErroreColonna(int colonna)
{
    throw Errore(Messaggio("Column index, %d, out of bounds", colonna));
}

} // namespace

Griglia::Colonna& Griglia::colonnaDi(int colonna)
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return colonne_[static_cast<std::size_t>(colonna)];
}

const Griglia::Colonna& Griglia::colonnaDi(int colonna) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return colonne_[static_cast<std::size_t>(colonna)];
}

void Griglia::impostaNumeroRighe(int righe)
{
    if (righe < 0 || righe == righe_)
        return;
    // Raising only moves the limit: the columns hold nothing at or beyond the old count.
    for (Colonna& colonna : colonne_) {
        if (colonna.fini.size() > static_cast<std::size_t>(righe)) {
            colonna.fini.resize(static_cast<std::size_t>(righe));
            colonna.testi.resize(righe == 0 ? 0 : colonna.fini.back());
        }
    }
    righe_ = righe;
}

void Griglia::rimuoviColonna(int colonna)
{
    colonnaDi(colonna);
    colonne_.erase(colonne_.begin() + colonna);
}

void Griglia::rimuoviColonne(const std::vector<int>& colonne)
{
    // One erase per column would move the columns behind it each time: an import that drops two
    // columns of every measurement would then cost the square of the table's width.
    std::vector<bool> rimossa(colonne_.size(), false);
    for (const int colonna : colonne) {
        colonnaDi(colonna);
        rimossa[static_cast<std::size_t>(colonna)] = true;
    }
    std::size_t tenute = 0;
    for (std::size_t c = 0; c < colonne_.size(); ++c) {
        if (rimossa[c])
            continue;
        if (tenute != c) // a column moved onto itself would lose its texts
            colonne_[tenute] = std::move(colonne_[c]);
        ++tenute;
    }
    colonne_.resize(tenute);
}

void Griglia::aggiungiColonna()
{
    colonne_.emplace_back();
}

void Griglia::spostaColonna(int da, int a)
{
    colonnaDi(da);
    colonnaDi(a);
    auto inizio = colonne_.begin();
    if (da < a)
        std::rotate(inizio + da, inizio + da + 1, inizio + a + 1);
    else if (a < da)
        std::rotate(inizio + a, inizio + da, inizio + da + 1);
}

void Griglia::impostaCella(int colonna, int riga, std::string_view testo)
{
    Colonna& c = colonnaDi(colonna);
    if (riga < 0 || riga >= righe_)
        throw Errore(Messaggio("Row index, %d, out of bounds", riga));
    const std::size_t r = static_cast<std::size_t>(riga);
    constexpr std::size_t kMassimo = std::numeric_limits<std::uint32_t>::max();
    if (r == c.fini.size()) { // the next row, as an import writes them
        if (c.testi.size() + testo.size() > kMassimo)
            throw Errore("Too much text in one grid column");
        c.testi.append(testo);
        c.fini.push_back(static_cast<std::uint32_t>(c.testi.size()));
        return;
    }
    const std::size_t inizio = r == 0 ? 0 : (r <= c.fini.size() ? c.fini[r - 1] : c.testi.size());
    const std::size_t vecchio = r < c.fini.size() ? c.fini[r] - inizio : 0;
    if (c.testi.size() - vecchio + testo.size() > kMassimo)
        throw Errore("Too much text in one grid column");
    if (r >= c.fini.size()) {
        // The next row, or rows left empty before it.
        c.fini.resize(r, static_cast<std::uint32_t>(c.testi.size()));
        c.testi.append(testo);
        c.fini.push_back(static_cast<std::uint32_t>(c.testi.size()));
        return;
    }
    // A row rewritten in place: the rows after it move by the difference.
    c.testi.replace(inizio, vecchio, testo);
    const std::uint32_t nuovaFine = static_cast<std::uint32_t>(inizio + testo.size());
    const std::uint32_t vecchiaFine = c.fini[r];
    for (std::size_t i = r; i < c.fini.size(); ++i)
        c.fini[i] = c.fini[i] - vecchiaFine + nuovaFine;
}

void Griglia::riservaRighe(int righe)
{
    const std::size_t n = static_cast<std::size_t>(std::max(righe, 0));
    for (Colonna& colonna : colonne_) {
        colonna.fini.reserve(n);
        if (!colonna.fini.empty()) // a quarter more than the texts so far, per row: they may grow longer
            colonna.testi.reserve(std::min<std::size_t>(5 * n * colonna.testi.size() / colonna.fini.size() / 4 + 16,
                                                        std::numeric_limits<std::uint32_t>::max()));
    }
}

void Griglia::accodaRighe(Griglia&& altra)
{
    const std::size_t colonne = std::min(colonne_.size(), altra.colonne_.size());
    for (std::size_t c = 0; c < colonne; ++c)
        if (colonne_[c].testi.size() + altra.colonne_[c].testi.size() > std::numeric_limits<std::uint32_t>::max())
            throw Errore("Too much text in one grid column");
    for (std::size_t c = 0; c < colonne; ++c) {
        Colonna& sotto = altra.colonne_[c];
        Colonna& colonna = colonne_[c];
        // Rows of this grid beyond its last written one are empty.
        colonna.fini.resize(static_cast<std::size_t>(righe_), static_cast<std::uint32_t>(colonna.testi.size()));
        const std::uint32_t base = static_cast<std::uint32_t>(colonna.testi.size());
        colonna.testi.append(sotto.testi);
        for (const std::uint32_t fine : sotto.fini)
            colonna.fini.push_back(base + fine);
        sotto = Colonna();
    }
    righe_ += altra.righe_;
    altra.colonne_.clear();
}

void PreparaGriglia(Griglia& griglia, int righe, int colonne, bool solaLettura)
{
    while (griglia.numeroColonne() > 0)
        griglia.rimuoviColonna(griglia.numeroColonne() - 1);
    griglia.impostaNumeroRighe(righe);
    for (int colonna = 0; colonna < colonne; ++colonna) {
        griglia.aggiungiColonna();
        griglia.impostaSolaLettura(colonna, solaLettura);
    }
}

} // namespace marvento
