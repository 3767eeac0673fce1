// The chart model and the diagram window's work on the grids: lists, drawing, left-axis menu.
#include "Diagramma.h"
#include "Errore.h"
#include "Grafico.h"
#include "Griglia.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marvento {
namespace {

Griglia TabellaDi(const std::vector<std::string>& intestazioni,
                  const std::vector<std::vector<std::string>>& righe)
{
    Griglia g;
    PreparaGriglia(g, static_cast<int>(righe.size()), static_cast<int>(intestazioni.size()), false);
    for (int c = 0; c < static_cast<int>(intestazioni.size()); ++c)
        g.impostaIntestazione(c, intestazioni[static_cast<std::size_t>(c)]);
    for (int r = 0; r < static_cast<int>(righe.size()); ++r)
        for (int c = 0; c < static_cast<int>(righe[static_cast<std::size_t>(r)].size()); ++c)
            g.impostaCella(c, r, righe[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    return g;
}

std::string MessaggioDi(const std::function<void()>& azione)
{
    try {
        azione();
    } catch (const Errore& e) {
        return e.what();
    }
    return "(nessun errore)";
}

std::vector<double> Xs(const ModelloGrafico& m)
{
    std::vector<double> v;
    for (const PuntoGrafico& p : m.serie.punti())
        v.push_back(p.x);
    return v;
}

std::vector<double> Ys(const ModelloGrafico& m)
{
    std::vector<double> v;
    for (const PuntoGrafico& p : m.serie.punti())
        v.push_back(p.y);
    return v;
}

struct Flag
{
    bool automatico, minimo, massimo;
};

void AttesiFlag(const AsseGrafico& a, Flag f)
{
    EXPECT_EQ(a.automatico(), f.automatico);
    EXPECT_EQ(a.automaticoMinimo(), f.minimo);
    EXPECT_EQ(a.automaticoMassimo(), f.massimo);
}

// Two travel-time sections with the parameters "TdP [s]" and "Veicoli", three intervals.
Griglia TabellaArchi()
{
    return TabellaDi({"Intervallo [s]", "Sezione", "TdP [s]", "Veicoli", "Sezione", "TdP [s]", "Veicoli"},
                     {{"300", "1", "70,5", "10", "2", "80,25", "12"},
                      {"600", "1", "71", "11", "2", "-3", "13"},
                      {"900", "1", "72", "12", "2", "82", "14"}});
}

// Two measurements as the section-speed import leaves them (interval columns of measurement 1 only).
Griglia TabellaMisure()
{
    return TabellaDi(
        {"Misura", "da [s]", "a [s]", "Veicoli", "Vel [km/h]", "", "Misura", "Veicoli", "Vel [km/h]", ""},
        {{"1", "0", "900", "5", "50,5", "", "2", "7", "40"},
         {"1", "900", "1800", "6", "51", "", "2", "8", "41,5"}});
}

TEST(AsseGrafico, AutomaticFlagsFollowTheirRules)
{
    using Passo = std::function<void(AsseGrafico&)>;
    struct Caso
    {
        const char* nome;
        std::vector<Passo> passi;
        Flag atteso;
    };
    const Passo autoFalse = [](AsseGrafico& a) { a.impostaAutomatico(false); };
    const Passo autoTrue = [](AsseGrafico& a) { a.impostaAutomatico(true); };
    const Passo minFalse = [](AsseGrafico& a) { a.impostaAutomaticoMinimo(false); };
    const Passo minTrue = [](AsseGrafico& a) { a.impostaAutomaticoMinimo(true); };
    const Passo maxFalse = [](AsseGrafico& a) { a.impostaAutomaticoMassimo(false); };
    const Passo maxTrue = [](AsseGrafico& a) { a.impostaAutomaticoMassimo(true); };
    const std::vector<Caso> casi = {
        {"new axis", {}, {true, true, true}},
        {"automatic off sets all three", {autoFalse}, {false, false, false}},
        {"minimum off clears automatic", {minFalse}, {false, false, true}},
        {"maximum off clears automatic", {maxFalse}, {false, true, false}},
        {"minimum back on with maximum on", {minFalse, minTrue}, {true, true, true}},
        {"minimum on while maximum off", {autoFalse, minTrue}, {false, true, false}},
        {"both ends on again", {autoFalse, minTrue, maxTrue}, {true, true, true}},
        {"automatic on after ends off", {minFalse, maxFalse, autoTrue}, {true, true, true}},
        {"left axis of a drawing", {autoTrue, maxTrue, minFalse}, {false, false, true}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        AsseGrafico asse;
        for (const Passo& passo : caso.passi)
            passo(asse);
        AttesiFlag(asse, caso.atteso);
    }
}

TEST(AsseGrafico, MinimumAboveMaximumFailsAndKeepsTheMinimum)
{
    AsseGrafico asse;
    asse.CalcolaEstremi({-10, -2});
    asse.impostaAutomaticoMinimo(false);
    EXPECT_EQ(MessaggioDi([&] { asse.impostaMinimo(0); }), "Axis Minimum Value must be <= Maximum");
    EXPECT_EQ(asse.minimo(), -10);
    asse.impostaMinimo(-2); // equal to the maximum is allowed
    EXPECT_EQ(asse.minimo(), -2);
}

TEST(AsseGrafico, OnlyAutomaticEndsTakeTheData)
{
    AsseGrafico asse;
    asse.CalcolaEstremi({4, -1, 9});
    EXPECT_EQ(asse.minimo(), -1);
    EXPECT_EQ(asse.massimo(), 9);

    asse.impostaAutomaticoMinimo(false);
    asse.impostaMinimo(0);
    asse.CalcolaEstremi({5, 20});
    EXPECT_EQ(asse.minimo(), 0);
    EXPECT_EQ(asse.massimo(), 20);

    asse.CalcolaEstremi({}); // no data: the stored ends stay
    EXPECT_EQ(asse.minimo(), 0);
    EXPECT_EQ(asse.massimo(), 20);
}

TEST(AsseGrafico, VisibleRangeIsNeverEmptyOrReversed)
{
    AsseGrafico asse;
    asse.CalcolaEstremi({5});
    EXPECT_EQ(EstremiVisibili(asse), std::make_pair(4.0, 6.0));
    asse.CalcolaEstremi({-10, -2});
    asse.impostaAutomaticoMinimo(false);
    asse.impostaMinimo(-3);
    asse.CalcolaEstremi({-9, -5}); // the fixed minimum now stands above the data's maximum
    EXPECT_EQ(EstremiVisibili(asse), std::make_pair(-5.0, -3.0));
}

TEST(SerieGrafico, PointsKeptInAscendingXWithEqualXInArrivalOrder)
{
    SerieGrafico serie;
    const std::vector<PuntoGrafico> aggiunti = {{3, 1}, {1, 2}, {3, 3}, {2, 4}, {1, 5}, {0, 6}, {3, 7}};
    for (const PuntoGrafico& p : aggiunti)
        serie.aggiungi(p.x, p.y);
    std::vector<double> xs, ys;
    for (const PuntoGrafico& p : serie.punti()) {
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    EXPECT_EQ(xs, (std::vector<double>{0, 1, 1, 2, 3, 3, 3}));
    EXPECT_EQ(ys, (std::vector<double>{6, 2, 5, 4, 1, 3, 7}));
}

TEST(ModelloGrafico, TitleSplitAtLineBreaksAndReadBackWithCrLf)
{
    struct Caso
    {
        std::string testo;
        std::vector<std::string> righe;
        std::string letto;
    };
    const std::vector<Caso> casi = {
        {"Trend", {"Trend"}, "Trend\r\n"},
        {"a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
        {"a\nb\rc", {"a", "b", "c"}, "a\r\nb\r\nc\r\n"},
        {"a\r\n", {"a"}, "a\r\n"},
        {"a\n\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
        {"", {}, ""},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.testo);
        ModelloGrafico m;
        m.impostaTitolo(caso.testo);
        EXPECT_EQ(m.righeTitolo(), caso.righe);
        EXPECT_EQ(m.testoTitolo(), caso.letto);
    }
}

TEST(ModelloGrafico, StartsAsTheWindowShowsIt)
{
    const ModelloGrafico m;
    EXPECT_EQ(m.righeTitolo(), std::vector<std::string>{"Trend"});
    EXPECT_FALSE(m.legendaVisibile);
    EXPECT_EQ(m.asseInferiore.titolo(), "Tempo [s]");
    EXPECT_EQ(m.asseSinistro.titolo(), "Value");
    EXPECT_TRUE(m.serie.punti().empty());
}

TEST(RiempiListe, ListsFromTheGrids)
{
    struct Caso
    {
        const char* nome;
        std::vector<std::string> intestazioni;
        std::vector<std::string> parametri;
    };
    const std::vector<Caso> casi = {
        {"travel-time table",
         {"Intervallo [s]", "Sezione", "TdP [s]", "Veicoli", "Sezione", "TdP [s]", "Veicoli"},
         {"Veicoli", "TdP [s]"}},
        {"measurement table",
         {"Misura", "da [s]", "a [s]", "Veicoli", "Vel [km/h]", "", "Misura", "Veicoli", "Vel [km/h]", ""},
         {"", "Vel [km/h]", "Veicoli"}},
        {"no marker: every header", {"A", "B", "C"}, {"C", "B", "A"}},
        {"last column a marker", {"X", "Sezione"}, {}},
        {"exact comparison", {"Misura", "misura", "Sezione ", "Y"}, {"Y", "Sezione ", "misura"}},
        {"no columns", {}, {}},
    };
    Griglia riepilogo = TabellaDi({"Sezione", "Altro"}, {{"1"}, {"2"}, {""}, {"2"}});
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const ListeDiagramma liste = RiempiListe(TabellaDi(caso.intestazioni, {}), riepilogo);
        EXPECT_EQ(liste.parametri, caso.parametri);
        EXPECT_EQ(liste.sezioni, (std::vector<std::string>{"1", "2", "", "2"}));
    }
}

TEST(RiempiListe, BeforeAnyImportHundredEmptyItems)
{
    const Griglia tabella;
    const Griglia riepilogo;
    const ListeDiagramma liste = RiempiListe(tabella, riepilogo);
    EXPECT_EQ(liste.sezioni, std::vector<std::string>(100, ""));
    EXPECT_TRUE(liste.parametri.empty());
}

TEST(Disegna, FindsTheParameterColumnOfTheSelectedBlock)
{
    struct Caso
    {
        const char* nome;
        std::function<Griglia()> tabella;
        std::string sezione, parametro;
        std::vector<double> xs, ys;
        std::string titolo;
    };
    const std::vector<Caso> casi = {
        {"section 2 travel time",
         TabellaArchi,
         "2",
         "TdP [s]",
         {300, 600, 900},
         {80.25, -3, 82},
         "TdP [s] - Sezione 2"},
        {"section 1 vehicles",
         TabellaArchi,
         "1",
         "Veicoli",
         {300, 600, 900},
         {10, 11, 12},
         "Veicoli - Sezione 1"},
        {"measurement 1 speed",
         TabellaMisure,
         "1",
         "Vel [km/h]",
         {900, 1800},
         {50.5, 51},
         "Vel [km/h] - Misura 1"},
        {"measurement 2 speed",
         TabellaMisure,
         "2",
         "Vel [km/h]",
         {900, 1800},
         {40, 41.5},
         "Vel [km/h] - Misura 2"},
        {"a later matching block wins",
         [] {
             return TabellaDi({"Intervallo [s]", "Sezione", "P", "Sezione", "P"},
                              {{"1", "7", "10", "7", "20"}});
         },
         "7",
         "P",
         {1},
         {20},
         "P - Sezione 7"},
        {"parameter found past the matching block",
         [] {
             return TabellaDi({"Intervallo [s]", "Sezione", "Q", "Sezione", "P"},
                              {{"1", "1", "10", "2", "20"}});
         },
         "1",
         "P",
         {1},
         {20},
         "P - Sezione 1"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        ModelloGrafico m;
        EXPECT_EQ(Disegna(m, caso.tabella(), caso.sezione, caso.parametro, ','), EsitoDisegno::Disegnato);
        EXPECT_EQ(Xs(m), caso.xs);
        EXPECT_EQ(Ys(m), caso.ys);
        EXPECT_EQ(m.righeTitolo(), std::vector<std::string>{caso.titolo});
        EXPECT_EQ(m.serie.titolo(), caso.titolo + "\r\n");
        EXPECT_EQ(m.asseSinistro.titolo(), caso.parametro);
        EXPECT_EQ(m.asseInferiore.titolo(), "Tempo [s]");
        EXPECT_TRUE(m.legendaVisibile);
        AttesiFlag(m.asseInferiore, {true, true, true});
        AttesiFlag(m.asseSinistro, {true, true, true});
    }
}

TEST(Disegna, SelectionNotInTheTableStopsBeforeTheChartChanges)
{
    struct Caso
    {
        std::function<Griglia()> tabella;
        std::string sezione, parametro, messaggio;
    };
    const std::vector<Caso> casi = {
        {TabellaArchi, "3", "TdP [s]",
         "Il parametro \"TdP [s]\" della sezione \"3\" non si trova nella tabella"},
        {TabellaArchi, "1", "Vel [km/h]",
         "Il parametro \"Vel [km/h]\" della sezione \"1\" non si trova nella tabella"},
        {TabellaMisure, "3", "Veicoli",
         "Il parametro \"Veicoli\" della misura \"3\" non si trova nella tabella"},
        {TabellaMisure, "2", "da [s]",
         "Il parametro \"da [s]\" della misura \"2\" non si trova nella tabella"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.messaggio);
        ModelloGrafico m;
        ASSERT_EQ(Disegna(m, TabellaArchi(), std::string("1"), std::string("TdP [s]"), ','),
                  EsitoDisegno::Disegnato);
        m.CalcolaEstremi();
        AsseSinistroInZero(m);
        EXPECT_EQ(MessaggioDi([&] { Disegna(m, caso.tabella(), caso.sezione, caso.parametro, ','); }),
                  caso.messaggio);
        EXPECT_EQ(Ys(m), (std::vector<double>{70.5, 71, 72}));
        EXPECT_EQ(m.testoTitolo(), "TdP [s] - Sezione 1\r\n");
        AttesiFlag(m.asseSinistro, {false, false, true});
        EXPECT_EQ(m.asseSinistro.minimo(), 0);
    }
}

TEST(Disegna, TableWithoutColumnsFailsAndLeavesTheChart)
{
    const Griglia vuota;
    for (const std::optional<std::string>& parametro :
         {std::optional<std::string>("P"), std::optional<std::string>()}) {
        ModelloGrafico m;
        EXPECT_EQ(MessaggioDi([&] { Disegna(m, vuota, std::string(""), parametro, ','); }),
                  "Column index, 0, out of bounds");
        EXPECT_EQ(m.testoTitolo(), "Trend\r\n");
        EXPECT_FALSE(m.legendaVisibile);
    }
}

TEST(Disegna, NothingSelectedDrawsNothing)
{
    ModelloGrafico m;
    EXPECT_EQ(Disegna(m, TabellaArchi(), std::string("1"), std::nullopt, ','),
              EsitoDisegno::NienteSelezionato);
    EXPECT_EQ(Disegna(m, TabellaArchi(), std::nullopt, std::string("TdP [s]"), ','),
              EsitoDisegno::NienteSelezionato);
    EXPECT_EQ(m.testoTitolo(), "Trend\r\n");
    EXPECT_FALSE(m.legendaVisibile);
    EXPECT_TRUE(m.serie.punti().empty());
}

TEST(Disegna, BadCellStopsWithTheEarlierRowsDrawnAndTheLowerEndFixed)
{
    Griglia tabella = TabellaArchi();
    tabella.impostaCella(0, 2, "x9");
    tabella.impostaCella(2, 2, "bad");
    ModelloGrafico m;
    Disegna(m, TabellaArchi(), std::string("1"), std::string("TdP [s]"), ',');
    m.CalcolaEstremi();
    EXPECT_EQ(MessaggioDi([&] { Disegna(m, tabella, std::string("1"), std::string("TdP [s]"), ','); }),
              "'x9' is not a valid floating point value"); // the X cell of a row comes first
    EXPECT_EQ(Xs(m), (std::vector<double>{300, 600}));
    EXPECT_TRUE(m.legendaVisibile);
    EXPECT_EQ(m.testoTitolo(), "TdP [s] - Sezione 1\r\n");
    AttesiFlag(m.asseSinistro, {false, false, true});
    AttesiFlag(m.asseInferiore, {true, true, true});
    m.CalcolaEstremi();
    EXPECT_EQ(m.asseSinistro.minimo(), 70.5); // where the previous drawing left it
    EXPECT_EQ(m.asseSinistro.massimo(), 71);
}

TEST(Disegna, RowsDrawnInAscendingXAndTwiceGivesTheSameChart)
{
    Griglia tabella = TabellaDi({"Intervallo [s]", "Sezione", "P"},
                                {{"900", "1", "1"}, {"300", "1", "2"}, {"900", "1", "3"}, {"600", "1", "4"}});
    ModelloGrafico m;
    for (int volta = 0; volta < 2; ++volta) {
        Disegna(m, tabella, std::string("1"), std::string("P"), ',');
        EXPECT_EQ(Xs(m), (std::vector<double>{300, 600, 900, 900}));
        EXPECT_EQ(Ys(m), (std::vector<double>{2, 4, 1, 3}));
    }
}

TEST(Disegna, TableWithoutRowsEmptiesTheSeries)
{
    ModelloGrafico m;
    Disegna(m, TabellaArchi(), std::string("1"), std::string("TdP [s]"), ',');
    const Griglia senzaRighe = TabellaDi({"Intervallo [s]", "Sezione", "P"}, {});
    // Row 0 of a table without rows reads as empty: only an empty selected text matches it.
    EXPECT_EQ(Disegna(m, senzaRighe, std::string(""), std::string("P"), ','), EsitoDisegno::Disegnato);
    EXPECT_TRUE(m.serie.punti().empty());
    EXPECT_EQ(m.testoTitolo(), "P - Sezione \r\n");
    AttesiFlag(m.asseSinistro, {true, true, true});
}

TEST(MenuGrafico, LeftAxisFromZeroAndBackToAuto)
{
    ModelloGrafico m;
    const Griglia tabella = TabellaArchi();
    Disegna(m, tabella, std::string("1"), std::string("TdP [s]"), ',');
    m.CalcolaEstremi();
    EXPECT_EQ(m.asseSinistro.minimo(), 70.5);

    AsseSinistroInZero(m);
    m.CalcolaEstremi();
    AttesiFlag(m.asseSinistro, {false, false, true});
    EXPECT_EQ(m.asseSinistro.minimo(), 0);
    EXPECT_EQ(m.asseSinistro.massimo(), 72);

    AsseSinistroInAuto(m);
    m.CalcolaEstremi();
    AttesiFlag(m.asseSinistro, {true, true, true});
    EXPECT_EQ(m.asseSinistro.minimo(), 70.5);

    AsseSinistroInZero(m);
    Disegna(m, tabella, std::string("1"), std::string("TdP [s]"), ',');
    AttesiFlag(m.asseSinistro, {true, true, true});
}

TEST(MenuGrafico, LeftAxisFromZeroFailsWhenEveryValueIsNegative)
{
    const Griglia tabella =
        TabellaDi({"Intervallo [s]", "Sezione", "P"}, {{"1", "1", "-10"}, {"2", "1", "-2"}});
    ModelloGrafico m;
    Disegna(m, tabella, std::string("1"), std::string("P"), ',');
    m.CalcolaEstremi();
    EXPECT_EQ(MessaggioDi([&] { AsseSinistroInZero(m); }), "Axis Minimum Value must be <= Maximum");
    AttesiFlag(m.asseSinistro, {false, false, true});
    m.CalcolaEstremi();
    EXPECT_EQ(m.asseSinistro.minimo(), -10);
}

TEST(TestoLegenda, AtMostThreeDecimalsWithTheSeparator)
{
    struct Caso
    {
        double valore;
        char separatore;
        const char* testo;
    };
    const std::vector<Caso> casi = {
        {45, ',', "45"},     {75.3, ',', "75,3"}, {75.3, '.', "75.3"},       {1.23456, ',', "1,235"},
        {-0.0001, ',', "0"}, {-2.5, ',', "-2,5"}, {1234567, ',', "1234567"}, {0.1 + 0.2, ',', "0,3"},
    };
    for (const Caso& caso : casi)
        EXPECT_EQ(TestoLegenda(caso.valore, caso.separatore), caso.testo) << caso.valore;
}

} // namespace
} // namespace marvento
