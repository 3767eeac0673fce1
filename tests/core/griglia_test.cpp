#include "Errore.h"
#include "Griglia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace marvento;

namespace {

// A grid whose cell (c, r) holds "c:r" and whose headers are "H<c>".
Griglia GrigliaNumerata(int colonne, int righe)
{
    Griglia griglia;
    griglia.impostaNumeroRighe(righe);
    for (int c = 0; c < colonne; ++c) {
        griglia.aggiungiColonna();
        griglia.impostaIntestazione(c, "H" + std::to_string(c));
        for (int r = 0; r < righe; ++r)
            griglia.impostaCella(c, r, std::to_string(c) + ":" + std::to_string(r));
    }
    return griglia;
}

std::string Etichetta(int c, int r)
{
    return std::to_string(c) + ":" + std::to_string(r);
}

std::string MessaggioDi(const std::function<void()>& azione)
{
    try {
        azione();
    } catch (const Errore& errore) {
        return errore.what();
    }
    return "(no failure)";
}

} // namespace

TEST(Griglia, NewGridHasNoColumnsAndHundredEmptyRows)
{
    Griglia griglia;
    EXPECT_EQ(griglia.numeroColonne(), 0);
    EXPECT_EQ(griglia.numeroRighe(), 100);
    for (auto [c, r] : std::vector<std::pair<int, int>>{{0, 0}, {-1, 0}, {0, -1}, {3, 99}, {0, 100}})
        EXPECT_EQ(griglia.cella(c, r), "") << c << "," << r;
}

TEST(Griglia, ReadsOutsideTheGridGiveTheEmptyText)
{
    Griglia griglia = GrigliaNumerata(3, 4);
    for (auto [c, r] : std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {3, 0}, {0, 4}, {3, 4}, {-5, -5}})
        EXPECT_EQ(griglia.cella(c, r), "") << c << "," << r;
    EXPECT_EQ(griglia.cella(2, 3), "2:3");
}

TEST(Griglia, WritesOutsideFailColumnFirstAndStoreNothing)
{
    struct Caso
    {
        int colonna, riga;
        const char* messaggio;
    };
    const Caso casi[] = {
        {3, 0, "Column index, 3, out of bounds"},    {3, 9, "Column index, 3, out of bounds"},
        {-1, -1, "Column index, -1, out of bounds"}, {0, 4, "Row index, 4, out of bounds"},
        {2, -1, "Row index, -1, out of bounds"},
    };
    for (const Caso& caso : casi) {
        Griglia griglia = GrigliaNumerata(3, 4);
        EXPECT_EQ(MessaggioDi([&] { griglia.impostaCella(caso.colonna, caso.riga, "x"); }), caso.messaggio);
        EXPECT_EQ(griglia.numeroColonne(), 3);
        EXPECT_EQ(griglia.numeroRighe(), 4);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 4; ++r)
                EXPECT_EQ(griglia.cella(c, r), Etichetta(c, r));
    }
}

TEST(Griglia, ColumnAccessOutOfRangeFails)
{
    Griglia griglia = GrigliaNumerata(2, 1);
    const std::vector<std::function<void(int)>> accessi = {
        [&](int c) { griglia.intestazione(c); },     [&](int c) { griglia.impostaIntestazione(c, "x"); },
        [&](int c) { griglia.larghezza(c); },        [&](int c) { griglia.impostaLarghezza(c, 5); },
        [&](int c) { griglia.solaLettura(c); },      [&](int c) { griglia.impostaSolaLettura(c, true); },
        [&](int c) { griglia.rimuoviColonna(c); },   [&](int c) { griglia.spostaColonna(c, 0); },
        [&](int c) { griglia.spostaColonna(0, c); },
    };
    for (std::size_t i = 0; i < accessi.size(); ++i) {
        EXPECT_EQ(MessaggioDi([&] { accessi[i](2); }), "Column index, 2, out of bounds") << i;
        EXPECT_EQ(MessaggioDi([&] { accessi[i](-1); }), "Column index, -1, out of bounds") << i;
    }
    EXPECT_EQ(griglia.numeroColonne(), 2);
    EXPECT_EQ(griglia.cella(1, 0), "1:0");
    EXPECT_EQ(griglia.intestazione(1), "H1");
}

TEST(Griglia, NewColumnDefaultsAndProgramWritesIgnoreReadOnly)
{
    Griglia griglia = GrigliaNumerata(1, 2);
    griglia.impostaSolaLettura(0, true);
    griglia.impostaCella(0, 1, "scritto");
    EXPECT_EQ(griglia.cella(0, 1), "scritto");

    griglia.aggiungiColonna();
    EXPECT_EQ(griglia.intestazione(1), "");
    EXPECT_EQ(griglia.larghezza(1), 100);
    EXPECT_FALSE(griglia.solaLettura(1));
    EXPECT_EQ(griglia.cella(1, 0), "");
    EXPECT_EQ(griglia.cella(0, 0), "0:0");
}

TEST(Griglia, RowCountRules)
{
    struct Caso
    {
        const char* nome;
        std::vector<int> conteggi; // applied in order to a 2 x 5 numbered grid
        int righeAttese;
        std::vector<int> righeConTesto; // rows that still hold their texts; the others read empty
    };
    const Caso casi[] = {
        {"negative changes nothing", {-1}, 5, {0, 1, 2, 3, 4}},
        {"same count keeps every text", {5}, 5, {0, 1, 2, 3, 4}},
        {"lowering then raising does not restore", {3, 5}, 5, {0, 1, 2}},
        {"raising appends empty rows", {8}, 8, {0, 1, 2, 3, 4}},
        {"zero keeps no texts", {0, 5}, 5, {}},
        {"negative after lowering keeps the lower count", {2, -7}, 2, {0, 1}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        Griglia griglia = GrigliaNumerata(2, 5);
        for (int conteggio : caso.conteggi)
            griglia.impostaNumeroRighe(conteggio);
        EXPECT_EQ(griglia.numeroRighe(), caso.righeAttese);
        for (int r = 0; r < 8; ++r) {
            bool conTesto = std::find(caso.righeConTesto.begin(), caso.righeConTesto.end(), r) !=
                            caso.righeConTesto.end();
            for (int c = 0; c < 2; ++c)
                EXPECT_EQ(griglia.cella(c, r), conTesto ? Etichetta(c, r) : "") << c << "," << r;
        }
    }
}

TEST(Griglia, RowsRaisedAgainCanBeWrittenAfterTheDroppedOnes)
{
    Griglia griglia = GrigliaNumerata(1, 5);
    griglia.impostaNumeroRighe(2);
    griglia.impostaNumeroRighe(6);
    griglia.impostaCella(0, 4, "nuovo");
    EXPECT_EQ(griglia.cella(0, 2), "");
    EXPECT_EQ(griglia.cella(0, 3), "");
    EXPECT_EQ(griglia.cella(0, 4), "nuovo");
    EXPECT_EQ(griglia.cella(0, 1), "0:1");
}

TEST(Griglia, RemovingAColumnMovesTheTextsLeft)
{
    Griglia griglia = GrigliaNumerata(4, 3);
    griglia.impostaLarghezza(2, 60);
    griglia.rimuoviColonna(1);
    ASSERT_EQ(griglia.numeroColonne(), 3);
    EXPECT_EQ(griglia.numeroRighe(), 3);
    const int origine[] = {0, 2, 3};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(griglia.intestazione(c), "H" + std::to_string(origine[c]));
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(griglia.cella(c, r), Etichetta(origine[c], r));
    }
    EXPECT_EQ(griglia.larghezza(1), 60);
    EXPECT_EQ(griglia.cella(3, 0), "");
}

TEST(Griglia, MovingAColumnCarriesItsTextsAndShiftsTheOthers)
{
    struct Caso
    {
        int da, a;
        std::vector<int> ordine; // former index of the column now at each position
    };
    const Caso casi[] = {
        {2, 0, {2, 0, 1, 3}}, {0, 3, {1, 2, 3, 0}}, {1, 2, {0, 2, 1, 3}},
        {3, 1, {0, 3, 1, 2}}, {2, 2, {0, 1, 2, 3}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(std::to_string(caso.da) + " -> " + std::to_string(caso.a));
        Griglia griglia = GrigliaNumerata(4, 2);
        griglia.impostaLarghezza(caso.da, 33);
        griglia.spostaColonna(caso.da, caso.a);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(griglia.intestazione(c), "H" + std::to_string(caso.ordine[c]));
            for (int r = 0; r < 2; ++r)
                EXPECT_EQ(griglia.cella(c, r), Etichetta(caso.ordine[c], r));
        }
        EXPECT_EQ(griglia.larghezza(caso.a), 33);
    }
}

TEST(PreparaGriglia, RebuildsColumnsRowsAndEmptiesEveryCell)
{
    struct Caso
    {
        int colonnePrima, righePrima, righe, colonne;
        bool solaLettura;
        int righeAttese, colonneAttese;
    };
    const Caso casi[] = {
        {5, 40, 0, 3, false, 0, 3},  {5, 2, 2, 5, false, 2, 5},  {3, 7, -1, 2, false, 7, 2},
        {2, 4, 10, 0, false, 10, 0}, {2, 4, 6, -3, false, 6, 0}, {0, 100, 5, 6, true, 5, 6},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(testing::Message() << caso.colonnePrima << "x" << caso.righePrima << " -> " << caso.righe
                                        << " rows, " << caso.colonne << " columns");
        Griglia griglia = GrigliaNumerata(caso.colonnePrima, caso.righePrima);
        if (caso.colonnePrima > 0)
            griglia.impostaLarghezza(0, 60);
        PreparaGriglia(griglia, caso.righe, caso.colonne, caso.solaLettura);
        EXPECT_EQ(griglia.numeroRighe(), caso.righeAttese);
        ASSERT_EQ(griglia.numeroColonne(), caso.colonneAttese);
        for (int c = 0; c < caso.colonneAttese; ++c) {
            EXPECT_EQ(griglia.intestazione(c), "");
            EXPECT_EQ(griglia.larghezza(c), 100);
            EXPECT_EQ(griglia.solaLettura(c), caso.solaLettura);
            for (int r = 0; r < std::max(caso.righePrima, caso.righeAttese); ++r)
                EXPECT_EQ(griglia.cella(c, r), "") << c << "," << r;
        }
    }
}

// Random writes in any order and row-count changes on one column, read back after each few steps
// and compared with a plain map of rows to texts.
TEST(Griglia, AnyOrderOfWritesReadsBackLikeAPlainTable)
{
    std::mt19937 caso(12345);
    Griglia griglia;
    PreparaGriglia(griglia, 420, 1, false);
    std::map<int, std::string> atteso;
    auto verifica = [&](int passo) {
        for (int r = -1; r < 420; ++r) {
            auto trovato = atteso.find(r);
            ASSERT_EQ(griglia.cella(0, r), trovato == atteso.end() ? "" : trovato->second)
                << "row " << r << " after step " << passo;
        }
    };
    for (int passo = 0; passo < 20000; ++passo) {
        const int scelta = static_cast<int>(caso() % 1000);
        const int ultima = atteso.empty() ? -1 : atteso.rbegin()->first;
        if (scelta < 3) {
            // Mostly a few rows off the end, now and then far back; then the rows come back empty.
            const int righe = scelta == 0 ? static_cast<int>(caso() % 400)
                                          : std::max(0, ultima + 1 - static_cast<int>(caso() % 20));
            griglia.impostaNumeroRighe(righe);
            griglia.impostaNumeroRighe(420);
            atteso.erase(atteso.lower_bound(righe), atteso.end());
        } else {
            // Mostly the next row (as an import does), the last one again, or anywhere (as the user does).
            const int riga = scelta < 450   ? std::min(ultima + 1 + static_cast<int>(caso() % 2), 419)
                             : scelta < 600 ? std::max(0, ultima)
                                            : static_cast<int>(caso() % 400);
            const unsigned genere = caso() % 20;
            const std::size_t lunghezza = genere < 5 ? 0 : genere == 19 ? 250 + caso() % 10 : caso() % 12;
            const std::string testo(lunghezza, static_cast<char>('a' + passo % 26));
            griglia.impostaCella(0, riga, testo);
            if (testo.empty())
                atteso.erase(riga);
            else
                atteso[riga] = testo;
        }
        if (passo % 500 == 0)
            verifica(passo);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    verifica(-1);
}

TEST(Griglia, LargeTableFilledRowByRowReadsBackAfterColumnRemovalsAndMoves)
{
    const int colonne = 300, righe = 2100;
    Griglia griglia;
    PreparaGriglia(griglia, 0, colonne, false);
    for (int r = 0; r < righe; ++r) {
        griglia.impostaNumeroRighe(r + 1);
        for (int c = 0; c < colonne; ++c)
            griglia.impostaCella(c, r, std::to_string(c * 7 + r));
    }
    for (int c = 0; c < colonne; c += 37)
        for (int r = 0; r < righe; r += 211)
            ASSERT_EQ(griglia.cella(c, r), std::to_string(c * 7 + r));
    for (int i = 0; i < 200; ++i)
        griglia.rimuoviColonna(0);
    griglia.spostaColonna(0, colonne - 201);
    EXPECT_EQ(griglia.cella(colonne - 201, righe - 1), std::to_string(200 * 7 + righe - 1));
    EXPECT_EQ(griglia.cella(0, 0), std::to_string(201 * 7));
}

// Grids made, cut and rebuilt must never see one column's texts in another, or lose any.
TEST(Griglia, ColumnsRemovedAndAddedAcrossGridsKeepTheirOwnTexts)
{
    Griglia a = GrigliaNumerata(1300, 3);
    Griglia b = GrigliaNumerata(700, 2);
    std::vector<int> tolte;
    for (int c = 1299; c >= 0; c -= 3)
        tolte.push_back(c);
    a.rimuoviColonne(tolte);
    for (int i = 0; i < 500; ++i) { // into the places just given back
        b.aggiungiColonna();
        b.impostaCella(700 + i, 1, "nuova " + std::to_string(i));
    }
    PreparaGriglia(b, 1, 5, false); // gives back 1,200 columns, takes 5
    b.impostaCella(4, 0, "dopo");

    ASSERT_EQ(a.numeroColonne(), 1300 - static_cast<int>(tolte.size()));
    int c = 0;
    for (int vera = 0; vera < 1300; ++vera) {
        if (std::find(tolte.begin(), tolte.end(), vera) != tolte.end())
            continue;
        ASSERT_EQ(a.intestazione(c), "H" + std::to_string(vera));
        ASSERT_EQ(a.cella(c, 2), Etichetta(vera, 2));
        ++c;
    }
    EXPECT_EQ(b.numeroColonne(), 5);
    EXPECT_EQ(b.cella(4, 0), "dopo");
    EXPECT_EQ(b.cella(0, 0), "");
}

// Runs of one text written at once read back like cells written one by one, whatever follows:
// more of the same, another text, a rewrite, a cut and a longer run.
TEST(Griglia, RunsOfOneTextReadBackLikeCellsWrittenOneByOne)
{
    const std::vector<std::string_view> sette(3, "7");
    const std::vector<std::string_view> misti = {"7", "8", "7"};
    const std::vector<std::function<void(Griglia&)>> seguiti = {
        [&](Griglia& g) { g.impostaCelle(0, 3, sette); },
        [&](Griglia& g) { g.impostaCelle(0, 3, misti); },
        [&](Griglia& g) { g.impostaCella(0, 1, "otto"); },
        [&](Griglia& g) { g.impostaCella(0, 5, "dopo"); },
        [&](Griglia& g) {
            g.impostaNumeroRighe(2);
            g.impostaNumeroRighe(10);
            g.impostaCelle(0, 2, sette);
        },
        [&](Griglia& g) {
            g.impostaNumeroRighe(0);
            g.impostaNumeroRighe(10);
            g.impostaCelle(0, 0, misti);
        },
    };
    for (std::size_t i = 0; i < seguiti.size(); ++i) {
        SCOPED_TRACE(i);
        Griglia veloce;
        Griglia lenta;
        for (Griglia* g : {&veloce, &lenta})
            PreparaGriglia(*g, 10, 1, false);
        veloce.impostaCelle(0, 0, sette);
        for (int r = 0; r < 3; ++r)
            lenta.impostaCella(0, r, "7");
        seguiti[i](veloce);
        seguiti[i](lenta);
        std::vector<std::string_view> testi;
        veloce.testiColonna(0, 0, 10, testi);
        for (int r = 0; r < 10; ++r) {
            EXPECT_EQ(veloce.cella(0, r), lenta.cella(0, r)) << r;
            EXPECT_EQ(testi[static_cast<std::size_t>(r)], lenta.cella(0, r)) << r;
        }
    }
}

// Appended rows read as the cells written one by one would, for every way a column can be held:
// texts of their own, long texts, one text repeated (the same or another below), rows never written.
TEST(Griglia, AccodaRigheComeScriverleUnaAUna)
{
    const std::string lungo(300, 'x');
    using Colonna = std::vector<std::string>; // "" = not written
    const std::vector<std::pair<Colonna, Colonna>> casi = {
        {{"a", "bb", lungo}, {"c", lungo, "d"}},
        {{"7", "7", "7"}, {"7", "7"}}, // one text, then the same
        {{"7", "7", "7"}, {"8", "8"}}, // one text, then another
        {{"7", "7"}, {"x", "7"}},      // one text, then texts of their own
        {{}, {"5", "5"}},              // nothing written, then one text
        {{"a", "", ""}, {"5", "5"}},   // rows left unwritten at the end
        {{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q"}, {"r", "s"}},
    };
    for (const auto& [sopra, sotto] : casi) {
        const auto riempi = [](const Colonna& testi, int righe) {
            Griglia g;
            PreparaGriglia(g, righe, 1, false);
            std::vector<std::string_view> scritti;
            for (const std::string& t : testi)
                if (!t.empty())
                    scritti.push_back(t);
                else
                    break;
            if (!scritti.empty())
                g.impostaCelle(0, 0, scritti);
            return g;
        };
        Griglia g = riempi(sopra, static_cast<int>(sopra.size()));
        g.accodaRighe(riempi(sotto, static_cast<int>(sotto.size())));
        Colonna attesa = sopra;
        attesa.insert(attesa.end(), sotto.begin(), sotto.end());
        ASSERT_EQ(g.numeroRighe(), static_cast<int>(attesa.size()));
        for (int r = 0; r < g.numeroRighe(); ++r)
            EXPECT_EQ(g.cella(0, r), attesa[static_cast<std::size_t>(r)]) << "row " << r;
        g.impostaCella(0, 0, "nuovo"); // still a column that takes writes
        EXPECT_EQ(g.cella(0, 0), "nuovo");
        EXPECT_EQ(g.cella(0, g.numeroRighe() - 1), attesa.back());
    }
    Griglia due = GrigliaNumerata(2, 1);
    EXPECT_EQ(MessaggioDi([&] { due.accodaRighe(GrigliaNumerata(3, 1)); }), "Column index, 2, out of bounds");
    EXPECT_EQ(due.numeroRighe(), 1);
}
