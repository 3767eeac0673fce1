#include "Griglia.h"

#include "ColonnaGriglia.h"
#include "Errore.h"

#include <algorithm>

namespace marvento {

namespace {

[[noreturn]] void ErroreColonna(int colonna)
{
    throw Errore(Messaggio("Column index, %d, out of bounds", colonna));
}

} // namespace

Griglia::Griglia() = default;
Griglia::~Griglia() = default;
Griglia::Griglia(Griglia&&) noexcept = default;
Griglia& Griglia::operator=(Griglia&&) noexcept = default;

void Griglia::impostaNumeroRighe(int righe)
{
    if (righe < 0 || righe == righe_)
        return;
    // Raising only moves the limit: the columns hold nothing at or beyond the old count.
    if (righe < righe_)
        for (auto& colonna : colonne_)
            colonna->tronca(righe);
    righe_ = righe;
}

const std::string& Griglia::intestazione(int colonna) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return colonne_[static_cast<std::size_t>(colonna)]->intestazione();
}

void Griglia::impostaIntestazione(int colonna, std::string testo)
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    colonne_[static_cast<std::size_t>(colonna)]->impostaIntestazione(std::move(testo));
}

int Griglia::larghezza(int colonna) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return colonne_[static_cast<std::size_t>(colonna)]->larghezza();
}

void Griglia::impostaLarghezza(int colonna, int larghezza)
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    colonne_[static_cast<std::size_t>(colonna)]->impostaLarghezza(larghezza);
}

bool Griglia::solaLettura(int colonna) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return colonne_[static_cast<std::size_t>(colonna)]->solaLettura();
}

void Griglia::impostaSolaLettura(int colonna, bool valore)
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    colonne_[static_cast<std::size_t>(colonna)]->impostaSolaLettura(valore);
}

void Griglia::rimuoviColonna(int colonna)
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    colonne_.erase(colonne_.begin() + colonna);
}

void Griglia::rimuoviColonne(const std::vector<int>& colonne)
{
    // One erase per column would move the columns behind it each time: an import that drops two
    // columns of every measurement would then cost the square of the table's width.
    std::vector<bool> rimossa(colonne_.size(), false);
    for (const int colonna : colonne) {
        if (colonna < 0 || colonna >= numeroColonne())
            ErroreColonna(colonna);
        rimossa[static_cast<std::size_t>(colonna)] = true;
    }
    std::size_t tenute = 0;
    for (std::size_t c = 0; c < colonne_.size(); ++c)
        if (!rimossa[c])
            colonne_[tenute++] = std::move(colonne_[c]);
    colonne_.resize(tenute);
}

void Griglia::riservaColonne(int colonne)
{
    colonne_.reserve(static_cast<std::size_t>(std::max(colonne, 0)));
}

void Griglia::aggiungiColonna()
{
    colonne_.push_back(std::make_unique<ColonnaGriglia>());
}

void Griglia::spostaColonna(int da, int a)
{
    if (da < 0 || da >= numeroColonne())
        ErroreColonna(da);
    if (a < 0 || a >= numeroColonne())
        ErroreColonna(a);
    auto inizio = colonne_.begin();
    if (da < a)
        std::rotate(inizio + da, inizio + da + 1, inizio + a + 1);
    else if (a < da)
        std::rotate(inizio + a, inizio + da, inizio + da + 1);
}

std::string_view Griglia::cella(int colonna, int riga) const
{
    if (colonna < 0 || colonna >= numeroColonne() || riga < 0 || riga >= righe_)
        return {};
    return colonne_[static_cast<std::size_t>(colonna)]->testo(riga);
}

void Griglia::erroreColonna(int colonna)
{
    ErroreColonna(colonna);
}

void Griglia::erroreRiga(int riga)
{
    throw Errore(Messaggio("Row index, %d, out of bounds", riga));
}

bool Griglia::colonnaNelBuffer(int colonna) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return colonne_[static_cast<std::size_t>(colonna)]->tuttoNelBuffer();
}

bool Griglia::serieDentro(int colonna, int primaRiga, std::size_t quante) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    return primaRiga >= 0 && quante <= static_cast<std::size_t>(righe_ - primaRiga);
}

void Griglia::impostaCelle(int colonna, int primaRiga, const std::string_view* testi, std::size_t quante,
                           bool conMargine)
{
    if (quante == 0)
        return;
    if (!serieDentro(colonna, primaRiga, quante)) {
        // Some row lies outside: cell by cell, so that the failure comes at the same cell.
        for (std::size_t i = 0; i < quante; ++i)
            impostaCella(colonna, primaRiga + static_cast<int>(i), testi[i]);
        return;
    }
    colonne_[static_cast<std::size_t>(colonna)]->imposta(primaRiga, testi, quante, conMargine);
}

void Griglia::impostaCelleUguali(int colonna, int primaRiga, std::string_view testo, std::size_t quante)
{
    if (quante == 0)
        return;
    if (!serieDentro(colonna, primaRiga, quante)) {
        for (std::size_t i = 0; i < quante; ++i)
            impostaCella(colonna, primaRiga + static_cast<int>(i), testo);
        return;
    }
    colonne_[static_cast<std::size_t>(colonna)]->impostaUguali(primaRiga, testo, quante);
}

void Griglia::testiColonna(int colonna, std::vector<std::string_view>& testi) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    colonne_[static_cast<std::size_t>(colonna)]->testi(righe_, testi);
}

void Griglia::aggiungiLunghezzeColonna(int colonna, int primaRiga, int quante,
                                       std::vector<std::size_t>& lunghezze) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    if (primaRiga < 0 || quante < 0 || quante > righe_ - primaRiga || lunghezze.size() < static_cast<std::size_t>(quante))
        throw Errore("Griglia: righe fuori dalla griglia");
    colonne_[static_cast<std::size_t>(colonna)]->aggiungiLunghezze(primaRiga, quante, lunghezze.data());
}

void Griglia::riservaRighe(int righe)
{
    riservaRighe(righe, 0, numeroColonne());
}

void Griglia::riservaRighe(int righe, int primaColonna, int fineColonna)
{
    for (int c = std::max(primaColonna, 0); c < std::min(fineColonna, numeroColonne()); ++c)
        colonne_[static_cast<std::size_t>(c)]->riserva(righe);
}

void Griglia::testiColonna(int colonna, int primaRiga, int quante, std::vector<std::string_view>& testi) const
{
    if (colonna < 0 || colonna >= numeroColonne())
        ErroreColonna(colonna);
    if (primaRiga < 0 || quante < 0 || quante > righe_ - primaRiga)
        throw Errore("Griglia: righe fuori dalla griglia");
    colonne_[static_cast<std::size_t>(colonna)]->testi(primaRiga, quante, testi);
}

void Griglia::compatta()
{
    for (auto& colonna : colonne_)
        colonna->compatta();
}

void PreparaGriglia(Griglia& griglia, int righe, int colonne, bool solaLettura)
{
    for (int colonna = griglia.numeroColonne() - 1; colonna >= 0; --colonna)
        griglia.rimuoviColonna(colonna);
    griglia.impostaNumeroRighe(righe);
    griglia.riservaColonne(colonne);
    for (int colonna = 0; colonna < colonne; ++colonna)
        griglia.aggiungiColonna();
    for (int colonna = 0; colonna < colonne; ++colonna)
        griglia.impostaSolaLettura(colonna, solaLettura);
}

} // namespace marvento
