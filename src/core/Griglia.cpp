#include "Griglia.h"

#include "Errore.h"

#include <algorithm>
#include <iterator>
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
    for (Colonna& colonna : colonne_)
        colonna.tronca(righe);
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

void Griglia::riservaColonne(int colonne)
{
    colonne_.reserve(static_cast<std::size_t>(std::max(colonne, 0)));
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
    c.materializza();
    const std::size_t vecchio = riga < c.righe() ? c.lunghezza(riga) : 0;
    if (c.testi.size() - vecchio + testo.size() > std::numeric_limits<std::uint32_t>::max())
        throw Errore("Too much text in one grid column");
    if (riga < c.righe()) {
        c.sostituisci(riga, testo);
        return;
    }
    while (c.righe() < riga) // rows left empty before it
        c.accoda({});
    c.accoda(testo);
}

void Griglia::impostaCelle(int colonna, int primaRiga, const std::vector<std::string_view>& testi)
{
    Colonna& c = colonnaDi(colonna);
    const bool tuttiUguali =
        !testi.empty() && !testi[0].empty() &&
        std::all_of(testi.begin(), testi.end(), [&](std::string_view t) { return t == testi[0]; });
    const bool comeFinora = c.righeUguali > 0 ? primaRiga == c.righeUguali && c.uguale == testi[0]
                                              : primaRiga == 0 && c.righe() == 0;
    if (tuttiUguali && comeFinora && testi.size() <= static_cast<std::size_t>(righe_ - primaRiga)) {
        c.uguale = std::string(testi[0]);
        c.righeUguali += static_cast<int>(testi.size());
        return;
    }
    c.materializza();
    std::size_t totale = 0;
    for (const std::string_view testo : testi)
        totale += testo.size();
    const bool inCoda = primaRiga == c.righe() &&
                        testi.size() <= static_cast<std::size_t>(righe_ - primaRiga) &&
                        c.testi.size() + totale <= std::numeric_limits<std::uint32_t>::max();
    if (!inCoda) {
        for (std::size_t i = 0; i < testi.size(); ++i)
            impostaCella(colonna, primaRiga + static_cast<int>(i), testi[i]);
        return;
    }
    std::size_t posto = c.testi.size();
    c.testi.resize(posto + totale);
    for (const std::string_view testo : testi) {
        c.contaRiga(posto, testo.size());
        testo.copy(c.testi.data() + posto, testo.size());
        posto += testo.size();
    }
}

void Griglia::testiColonna(int colonna, int prima, int fine, std::vector<std::string_view>& testi) const
{
    testi.assign(static_cast<std::size_t>(std::max(fine - prima, 0)), std::string_view());
    if (colonna < 0 || colonna >= numeroColonne())
        return;
    const Colonna& c = colonne_[static_cast<std::size_t>(colonna)];
    if (c.righeUguali > 0) {
        for (int r = std::max(prima, 0); r < std::min(fine, c.righeUguali); ++r)
            testi[static_cast<std::size_t>(r - prima)] = c.uguale;
        return;
    }
    const int scritte = std::min(fine, c.righe());
    if (prima < 0 || prima >= scritte)
        return;
    std::size_t posto = c.inizio(prima);
    for (int r = prima; r < scritte; ++r) {
        const std::size_t n = c.lunghezza(r);
        testi[static_cast<std::size_t>(r - prima)] = std::string_view(c.testi.data() + posto, n);
        posto += n;
    }
}

void Griglia::Colonna::accoda(std::string_view testo)
{
    contaRiga(testi.size(), testo.size());
    testi.append(testo);
}

void Griglia::Colonna::contaRiga(std::size_t posto, std::size_t n)
{
    if (righe() % kRigheBlocco == 0)
        inizi.push_back(static_cast<std::uint32_t>(posto));
    if (n >= kLunga)
        lunghe[righe()] = static_cast<std::uint32_t>(n);
    lunghezze.push_back(static_cast<std::uint8_t>(std::min<std::size_t>(n, kLunga)));
}

void Griglia::Colonna::materializza()
{
    if (righeUguali == 0)
        return;
    if (static_cast<std::size_t>(righeUguali) * uguale.size() > std::numeric_limits<std::uint32_t>::max())
        throw Errore("Too much text in one grid column");
    const int righeTesto = righeUguali;
    const std::string testo = std::move(uguale);
    righeUguali = 0;
    uguale.clear();
    for (int r = 0; r < righeTesto; ++r)
        accoda(testo);
}

void Griglia::Colonna::sostituisci(int riga, std::string_view testo)
{
    const std::size_t posto = inizio(riga);
    const std::size_t vecchio = lunghezza(riga);
    testi.replace(posto, vecchio, testo);
    lunghe.erase(riga);
    if (testo.size() >= kLunga)
        lunghe[riga] = static_cast<std::uint32_t>(testo.size());
    lunghezze[static_cast<std::size_t>(riga)] =
        static_cast<std::uint8_t>(std::min<std::size_t>(testo.size(), kLunga));
    // The blocks after the row move by the difference.
    for (std::size_t b = static_cast<std::size_t>(riga / kRigheBlocco) + 1; b < inizi.size(); ++b)
        inizi[b] = static_cast<std::uint32_t>(inizi[b] - vecchio + testo.size());
}

void Griglia::Colonna::tronca(int righeTenute)
{
    if (righeUguali > 0) {
        righeUguali = std::min(righeUguali, righeTenute);
        if (righeUguali == 0)
            uguale.clear();
        return;
    }
    if (righe() <= righeTenute)
        return;
    testi.resize(inizio(righeTenute));
    lunghezze.resize(static_cast<std::size_t>(righeTenute));
    inizi.resize(static_cast<std::size_t>((righeTenute + kRigheBlocco - 1) / kRigheBlocco));
    for (auto lunga = lunghe.begin(); lunga != lunghe.end();)
        lunga = lunga->first >= righeTenute ? lunghe.erase(lunga) : std::next(lunga);
}

void Griglia::accodaRighe(const Griglia& altra)
{
    if (altra.numeroColonne() != numeroColonne())
        ErroreColonna(altra.numeroColonne() - 1);
    if (static_cast<long long>(righe_) + altra.righe_ > std::numeric_limits<int>::max())
        throw Errore("Too much text in one grid column");
    for (std::size_t c = 0; c < colonne_.size(); ++c)
        colonne_[c].accodaColonna(righe_, altra.colonne_[c]);
    righe_ += altra.righe_;
}

void Griglia::Colonna::accodaColonna(int prima, const Colonna& altra)
{
    // A column of one text followed by the same text, or an empty one by a column of one text,
    // stays one text.
    const bool vuota = prima == 0 && righeUguali == 0 && righe() == 0;
    const bool stessoTesto = righeUguali > 0 && righeUguali == prima && uguale == altra.uguale;
    if (altra.righeUguali > 0 && (vuota || stessoTesto)) {
        uguale = altra.uguale;
        righeUguali = prima + altra.righeUguali;
        return;
    }
    materializza();
    std::size_t totale = altra.testi.size();
    if (altra.righeUguali > 0)
        totale = static_cast<std::size_t>(altra.righeUguali) * altra.uguale.size();
    if (testi.size() + totale > std::numeric_limits<std::uint32_t>::max())
        throw Errore("Too much text in one grid column");
    while (righe() < prima)
        accoda({});
    if (altra.righeUguali > 0) {
        for (int r = 0; r < altra.righeUguali; ++r)
            accoda(altra.uguale);
        return;
    }
    // The texts in one copy; only the lengths go row by row, for the starts of the blocks.
    std::size_t posto = testi.size();
    testi.append(altra.testi);
    for (int r = 0; r < altra.righe(); ++r) {
        const std::size_t n = altra.lunghezza(r);
        contaRiga(posto, n);
        posto += n;
    }
}

void Griglia::riservaRighe(int righe)
{
    const std::size_t n = static_cast<std::size_t>(std::max(righe, 0));
    for (Colonna& colonna : colonne_) {
        if (colonna.righeUguali > 0)
            continue;
        colonna.lunghezze.reserve(n);
        colonna.inizi.reserve(n / Colonna::kRigheBlocco + 1);
        if (colonna.righe() > 0) // a quarter more than the texts so far, per row: they may grow longer
            colonna.testi.reserve(std::min<std::size_t>(
                5 * n * colonna.testi.size() / static_cast<std::size_t>(colonna.righe()) / 4 + 16,
                std::numeric_limits<std::uint32_t>::max()));
    }
}

void PreparaGriglia(Griglia& griglia, int righe, int colonne, bool solaLettura)
{
    while (griglia.numeroColonne() > 0)
        griglia.rimuoviColonna(griglia.numeroColonne() - 1);
    griglia.impostaNumeroRighe(righe);
    griglia.riservaColonne(colonne);
    for (int colonna = 0; colonna < colonne; ++colonna) {
        griglia.aggiungiColonna();
        griglia.impostaSolaLettura(colonna, solaLettura);
    }
}

} // namespace marvento
