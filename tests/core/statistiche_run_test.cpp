#include "StatisticheRun.h"

#include "Errore.h"

#include "RigheGriglia.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace marvento;

namespace {

using prova::Intestazioni;
using prova::Riga;
using prova::RigaDi;

// A summary laid out as the importers leave it, cells given row by row.
RiepilogoRun Riepilogo(const std::string& nome, const std::vector<std::string>& intestazioni,
                       const std::vector<Riga>& righe)
{
    RiepilogoRun run{nome, Griglia()};
    PreparaGriglia(run.riepilogo, static_cast<int>(righe.size()), static_cast<int>(intestazioni.size()),
                   false);
    for (int c = 0; c < static_cast<int>(intestazioni.size()); ++c)
        run.riepilogo.impostaIntestazione(c, intestazioni[static_cast<std::size_t>(c)]);
    for (std::size_t r = 0; r < righe.size(); ++r)
        for (std::size_t c = 0; c < righe[r].size(); ++c)
            run.riepilogo.impostaCella(static_cast<int>(c), static_cast<int>(r), righe[r][c]);
    return run;
}

RiepilogoRun Mes(const std::string& nome, const std::vector<Riga>& righe)
{
    return Riepilogo(nome, {"Misura", "Veicoli", "Vel [km/h]", "Inervallo sim. [s]", "Sezione"}, righe);
}

RiepilogoRun Rsz(const std::string& nome, const std::vector<Riga>& righe)
{
    return Riepilogo(
        nome, {"Sezione", "Lunghezza [m]", "TempoMedio [s]", "Veicoli", "Lung.Arco Reale", "Tempo Corretto"},
        righe);
}

std::string MessaggioDi(const std::vector<RiepilogoRun>& run, TipoFile tipo)
{
    try {
        CalcolaStatisticheRun(run, tipo, 0.95, 0.05, ',');
    } catch (const Errore& e) {
        return e.what();
    }
    return "(nessun errore)";
}

} // namespace

// Reference values from an independent computation of the t distribution (regularised incomplete
// beta function at 30 digits).
TEST(QuantileStudent, MatchesReferenceValues)
{
    struct Caso
    {
        double confidenza;
        int gradi;
        double atteso;
    };
    const Caso casi[] = {
        {0.95, 1, 12.7062047362},  {0.95, 2, 4.30265272975},  {0.95, 4, 2.7764451052},
        {0.95, 9, 2.2621571628},   {0.95, 40, 2.02107539031}, {0.90, 3, 2.3533634348},
        {0.90, 77, 1.66488453726},
    };
    for (const Caso& caso : casi)
        EXPECT_NEAR(QuantileStudent(caso.confidenza, caso.gradi), caso.atteso, 1e-9)
            << caso.confidenza << " " << caso.gradi;
}

TEST(RunNecessari, IteratesToTheSmallestSufficientCount)
{
    const double s = 1.5811388300841898; // sample deviation of 50, 52, 48, 51, 49
    struct Caso
    {
        int n;
        double media;
        double devStd;
        double tolleranza;
        int atteso;
    };
    const Caso casi[] = {
        {5, 50.0, s, 0.05, 5},  // the plain iteration swings 4, 5, 4: 5 is the answer
        {5, 50.0, s, 0.01, 41}, // 5 -> 78 -> 40 -> 41 -> 41
        {3, 42.0, 2.0, 0.05, 6}, {40, 50.0, s, 0.05, 5}, // more runs than needed: the estimate goes down
        {5, 50.0, 0.0, 0.05, 2},                         // no spread: the two runs an interval needs
        {5, 0.0, 0.0, 0.05, 2},  {5, 0.0, 1.0, 0.05, 0}, // zero mean with spread: no count is enough
        {1, 50.0, s, 0.05, 5},                           // a single run starts the iteration at two
    };
    for (const Caso& caso : casi)
        EXPECT_EQ(RunNecessari(caso.n, caso.media, caso.devStd, 0.95, caso.tolleranza), caso.atteso)
            << caso.n << " " << caso.media << " " << caso.devStd << " " << caso.tolleranza;
}

TEST(CalcolaStatisticheRun, SpeedsWorkedExampleWithRunsWithoutVehicles)
{
    // Measurement 1: five speeds, mean 50, s = sqrt(2.5). Measurement 2: runs 2 and 4 saw no
    // vehicle and are left out: 40, 44, 42 give mean 42, s = 2, half-width t(2) * 2 / sqrt(3).
    // Measurement 3 has one figure, measurement 4 none.
    const std::array<Riga, 5> uno = {
        Riga{"100", "50,000"}, {"110", "52,000"}, {"90", "48,000"}, {"105", "51,000"}, {"95", "49,000"}};
    const std::array<Riga, 5> due = {
        Riga{"10", "40,000"}, {"0", "0"}, {"12", "44,000"}, {"0", "0"}, {"8", "42,000"}};
    const std::array<Riga, 5> tre = {Riga{"0", "0"}, {"0", "0"}, {"7", "33,333"}, {"0", "0"}, {"0", "0"}};
    std::vector<RiepilogoRun> run;
    for (std::size_t i = 0; i < 5; ++i)
        run.push_back(
            Mes("run" + std::to_string(i + 1) + ".mes", {{"1", uno[i][0], uno[i][1], "3600,000", " 1"},
                                                         {"2", due[i][0], due[i][1], "3600,000", " 2"},
                                                         {"3", tre[i][0], tre[i][1], "3600,000", " 7"},
                                                         {"4", "0", "0", "3600,000", " 9"}}));

    const Griglia g = CalcolaStatisticheRun(run, TipoFile::Velocita, 0.95, 0.05, ',');
    EXPECT_EQ(Intestazioni(g), (Riga{"Misura", "Etichetta", "Run validi", "Veicoli medi", "Media", "Dev. std",
                                     "Minimo", "Massimo", "Semiampiezza IC", "Run necessari"}));
    ASSERT_EQ(g.numeroRighe(), 4);
    EXPECT_EQ(RigaDi(g, 0),
              (Riga{"1", " 1", "5", "100,000", "50,000", "1,581", "48,000", "52,000", "1,963", "5"}));
    EXPECT_EQ(RigaDi(g, 1),
              (Riga{"2", " 2", "3", "6,000", "42,000", "2,000", "40,000", "44,000", "4,968", "6"}));
    EXPECT_EQ(RigaDi(g, 2), (Riga{"3", " 7", "1", "1,400", "33,333", "", "33,333", "33,333", "", ""}));
    EXPECT_EQ(RigaDi(g, 3), (Riga{"4", " 9", "0", "0,000", "", "", "", "", "", ""}));
}

TEST(CalcolaStatisticheRun, TravelTimesWithPointSeparator)
{
    // 75.3, 80.1, 77.9, 76.4: mean 77.425, s = 2.07746, 90 %: t(3) * s / 2 = 2.44451.
    const char* tempi[] = {"75.300", "80.100", "77.900", "76.400"};
    const char* veicoli[] = {"45", "50", "48", "47"};
    std::vector<RiepilogoRun> run;
    for (int i = 0; i < 4; ++i)
        run.push_back(Rsz("r" + std::to_string(i) + ".rsz",
                          {{"1", i == 2 ? "512.30" : "512.3", tempi[i], veicoli[i], "", ""}}));

    const Griglia g = CalcolaStatisticheRun(run, TipoFile::Archi, 0.90, 0.02, '.');
    EXPECT_EQ(g.intestazione(0), "Sezione");
    EXPECT_EQ(g.intestazione(1), "Lunghezza [m]");
    EXPECT_EQ(RigaDi(g, 0),
              (Riga{"1", "512.3", "4", "47.500", "77.425", "2.077", "75.300", "80.100", "2.445", "7"}));
}

TEST(CalcolaStatisticheRun, SummaryWithoutVehicleColumnHasNoFigures)
{
    // A file without a vehicle column leaves the vehicles and the figure empty.
    std::vector<RiepilogoRun> run;
    run.push_back(Mes("a.mes", {{"1", "", "", "600,000", " 1"}}));
    run.push_back(Mes("b.mes", {{"1", "", "", "600,000", " 1"}}));
    const Griglia g = CalcolaStatisticheRun(run, TipoFile::Velocita, 0.95, 0.05, ',');
    EXPECT_EQ(RigaDi(g, 0), (Riga{"1", " 1", "0", "", "", "", "", "", "", ""}));
}

TEST(CalcolaStatisticheRun, MismatchNamesTheFirstFileThatDiffers)
{
    const auto mes = [](const std::string& nome, const std::vector<std::string>& etichette) {
        std::vector<Riga> righe;
        for (std::size_t i = 0; i < etichette.size(); ++i)
            righe.push_back({std::to_string(i + 1), "10", "50,000", "600,000", etichette[i]});
        return Mes(nome, righe);
    };
    std::vector<RiepilogoRun> righe;
    righe.push_back(mes("a.mes", {" 1", " 2"}));
    righe.push_back(mes("b.mes", {" 1", " 2"}));
    righe.push_back(mes("c.mes", {" 1"}));
    righe.push_back(mes("d.mes", {" 1"}));
    EXPECT_EQ(MessaggioDi(righe, TipoFile::Velocita),
              "Il file \"c.mes\" non ha lo stesso numero di misure del file \"a.mes\" (1 invece di 2).");

    std::vector<RiepilogoRun> etichette;
    etichette.push_back(mes("a.mes", {" 1", " 2"}));
    etichette.push_back(mes("b.mes", {" 1", " 5"}));
    EXPECT_EQ(MessaggioDi(etichette, TipoFile::Velocita),
              "La misura 2 del file \"b.mes\" ha un'etichetta diversa da quella del file \"a.mes\" "
              "(\" 5\" invece di \" 2\").");

    std::vector<RiepilogoRun> lunghezze;
    lunghezze.push_back(Rsz("a.rsz", {{"1", "512,3", "75,000", "4", "", ""}}));
    lunghezze.push_back(Rsz("b.rsz", {{"1", "512,30", "75,000", "4", "", ""}}));
    lunghezze.push_back(Rsz("c.rsz", {{"1", "520", "75,000", "4", "", ""}}));
    EXPECT_EQ(MessaggioDi(lunghezze, TipoFile::Archi),
              "La sezione 1 del file \"c.rsz\" ha una lunghezza diversa da quella del file \"a.rsz\" "
              "(\"520\" invece di \"512,3\").");
}

TEST(CalcolaStatisticheRun, RejectsBadSettingsAndCells)
{
    std::vector<RiepilogoRun> run;
    run.push_back(Mes("a.mes", {{"1", "10", "50,000", "600,000", " 1"}}));
    run.push_back(Mes("b.mes", {{"1", "10", "50.000", "600,000", " 1"}}));
    EXPECT_EQ(MessaggioDi({}, TipoFile::Velocita), "Nessun file di run da confrontare.");
    EXPECT_THROW(CalcolaStatisticheRun(run, TipoFile::Velocita, 1.0, 0.05, ','), Errore);
    EXPECT_THROW(CalcolaStatisticheRun(run, TipoFile::Velocita, 0.95, 0.0, ','), Errore);
    EXPECT_EQ(MessaggioDi(run, TipoFile::Velocita), "'50.000' is not a valid floating point value");
}
