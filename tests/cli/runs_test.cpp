// marvento-cli runs end to end, on small run files written here.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Esito
{
    int codice = -1;
    std::string out;
    std::string err;
};

std::string Leggi(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream testo;
    testo << in.rdbuf();
    return testo.str();
}

void Scrivi(const fs::path& file, const std::string& testo)
{
    std::ofstream out(file, std::ios::binary);
    out << testo;
    ASSERT_TRUE(out.good()) << file;
}

// The cells of a tab-delimited export, line by line.
std::vector<std::vector<std::string>> Celle(const std::string& testo)
{
    std::vector<std::vector<std::string>> righe;
    std::size_t inizio = 0;
    while (inizio < testo.size()) {
        const std::size_t fine = testo.find("\r\n", inizio);
        const std::string riga = testo.substr(inizio, fine - inizio);
        std::vector<std::string> celle;
        std::size_t a = 0;
        for (std::size_t b; (b = riga.find('\t', a)) != std::string::npos; a = b + 1)
            celle.push_back(riga.substr(a, b - a));
        celle.push_back(riga.substr(a));
        righe.push_back(celle);
        if (fine == std::string::npos)
            break;
        inizio = fine + 2;
    }
    return righe;
}

std::string UltimaRiga(const std::string& testo)
{
    std::string t = testo;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
        t.pop_back();
    const auto a = t.find_last_of('\n');
    return a == std::string::npos ? t : t.substr(a + 1);
}

// Whitespace-separated words of each line, so that alignment does not matter.
std::vector<std::vector<std::string>> Parole(const std::string& testo)
{
    std::vector<std::vector<std::string>> righe;
    std::istringstream in(testo);
    std::string riga;
    while (std::getline(in, riga)) {
        std::istringstream parole(riga);
        std::vector<std::string> una;
        for (std::string p; parole >> p;)
            una.push_back(p);
        righe.push_back(una);
    }
    return righe;
}

class Runs : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        cartella_ =
            fs::temp_directory_path() / ("marvento-runs-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(cartella_);
        fs::create_directories(cartella_);
    }
    void TearDown() override { fs::remove_all(cartella_); }

    Esito Esegui(const std::vector<std::string>& argomenti, const std::string& sottocomando = "runs")
    {
        std::string comando = std::string("'") + MARVENTO_CLI + "' " + sottocomando;
        for (const std::string& a : argomenti)
            comando += " '" + a + "'";
        const fs::path out = cartella_ / "stdout.txt";
        const fs::path err = cartella_ / "stderr.txt";
        comando += " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int stato = std::system(comando.c_str());
        Esito esito;
        esito.codice = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
        esito.out = Leggi(out);
        esito.err = Leggi(err);
        return esito;
    }

    std::string File(const std::string& nome, const std::string& testo)
    {
        const fs::path percorso = cartella_ / nome;
        Scrivi(percorso, testo);
        return percorso.string();
    }

    // A section-speed file laid out as the simulator writes it, in Italian or English; per
    // measurement (label, then per interval vehicles and speed), two intervals of 300 s.
    struct Misura
    {
        std::string etichetta;
        int veicoli[2];
        const char* vel[2];
    };
    std::string Mes(const std::string& nome, const std::vector<Misura>& misure, bool inglese = false)
    {
        std::string t = inglese
                            ? "Data Collection (Compiled Data)\r\n\r\nFile:     c:\\scenario\\prova.inp\r\n"
                              "Comment:  \r\nDate:     12 March 2024 10:00:00\r\n\r\n"
                            : "Rilievo dati (Dati compilati)\r\n\r\nFile:     c:\\scenario\\prova.inp\r\n"
                              "Commento: \r\nData:     12 marzo 2024 10:00:00\r\n\r\n";
        for (std::size_t m = 0; m < misure.size(); ++m)
            t += (inglese ? "Measurement     " : "Misura     ") + std::to_string(m + 1) +
                 (inglese ? ": Data Collection Point(s) " : ": Sezione(i) di rilievo ") +
                 misure[m].etichetta + "\r\n";
        t += inglese
                 ? "\r\nMeasur.: Data Collection Number\r\nfrom: Start time of the Aggregation interval\r\n"
                   "to: End time of the Aggregation interval\r\nNumber Veh: Number of Vehicles\r\n"
                   "Speed: Speed [km/h]\r\n\r\n"
                   "Measur.;from;to;Number Veh;Speed\r\n       ;    ;  ;;Mean\r\n"
                   "       ;    ;  ;all veh. types;all veh. types\r\n"
                 : "\r\nMisura: Numero della misura\r\nda: Inizio dell'intervallo\r\na: Fine "
                   "dell'intervallo\r\n"
                   "Veicoli: Numero di veicoli\r\nVel: Velocita' [km/h]\r\n\r\n"
                   "Misura;da;a;Veicoli;Vel;\r\n      ;  ;  ;;Media;\r\n      ;  ;  ;tutti;tutti;\r\n";
        for (int i = 0; i < 2; ++i)
            for (std::size_t m = 0; m < misure.size(); ++m)
                t += std::to_string(m + 1) + ";" + std::to_string(300 * i) + ";" +
                     std::to_string(300 * i + 300) + ";" + std::to_string(misure[m].veicoli[i]) + ";" +
                     misure[m].vel[i] + (inglese ? "\r\n" : ";\r\n");
        return File(nome, t);
    }

    // A travel-time file, in Italian or English: per section (length, then per interval time and
    // vehicles), two intervals.
    struct Tratta
    {
        const char* lunghezza;
        const char* tdp[2];
        int veicoli[2];
    };
    std::string Rsz(const std::string& nome, const std::vector<Tratta>& tratte, bool inglese = false)
    {
        std::string t =
            inglese ? "\r\nTable of Travel Times\r\n\r\nFile:     c:\\scenario\\prova.inp\r\n"
                      "Comment:  \r\nDate:     12 March 2024 10:00:00\r\n\r\n"
                    : "\r\nTabella dei tempi di percorrenza\r\n\r\nFile:     c:\\scenario\\prova.inp\r\n"
                      "Commento: \r\nData:     12 marzo 2024 10:00:00\r\n\r\n";
        std::string intestazione = inglese ? "  Time;" : "Intervallo;";
        std::string classi = inglese ? "  VehC;" : "  ClasseV;";
        for (std::size_t k = 0; k < tratte.size(); ++k) {
            t += (inglese ? "No.    " : "Num.    ") + std::to_string(k + 1) + " (Tratta " +
                 std::to_string(k + 1) +
                 (inglese ? "): from link 1 at   10.0 m to link 2 at   20.0 m, Distance  "
                          : "): da arco 1 a   10.0 m a arco 2 a   20.0 m, Distanza  ") +
                 tratte[k].lunghezza + " m\r\n";
            intestazione += inglese ? "  Trav;#Veh;" : "  TdP;Veic.;";
            classi += inglese ? "  All;;" : "  Tutti;;";
        }
        t += "\r\n" + intestazione + "\r\n" + classi +
             (inglese ? "\r\n  No.:;\r\n Name;\r\n" : "\r\n  Num.:;\r\n Nome;\r\n");
        for (int i = 0; i < 2; ++i) {
            t += "  " + std::to_string(600 * i + 600) + ";";
            for (const Tratta& tratta : tratte)
                t += " " + std::string(tratta.tdp[i]) + "; " + std::to_string(tratta.veicoli[i]) + ";";
            t += "\r\n";
        }
        return File(nome, t);
    }

    fs::path cartella_;
};

const char* const kIntestazioneMes =
    "Misura\tEtichetta\tRun validi\tVeicoli medi\tMedia\tDev. std\tMinimo\tMassimo\tSemiampiezza IC\t"
    "Run necessari\r\n";

// Three runs of two measurements. Measurement 1: 51, 48, 54 km/h (mean 51, s = 3,
// t(0.975, 2) * 3 / sqrt(3) = 7.4524). Measurement 2 saw no vehicle in run 2: 30 and 33 remain
// (mean 31.5, s = 2.1213, t(0.975, 1) * s / sqrt(2) = 19.0593).
TEST_F(Runs, SpeedRunsExportAndTable)
{
    const std::vector<std::string> file = {
        Mes("run1.mes", {{"1", {10, 10}, {"50.0", "52.0"}}, {"2", {5, 5}, {"30.0", "30.0"}}}),
        Mes("run2.mes", {{"1", {12, 8}, {"48.0", "48.0"}}, {"2", {0, 0}, {"0.0", "0.0"}}}),
        Mes("run3.MES", {{"1", {15, 15}, {"54.0", "54.0"}}, {"2", {4, 6}, {"33.0", "33.0"}}}),
    };
    const std::string uscita = (cartella_ / "statistiche.txt").string();
    std::vector<std::string> argomenti = file;
    argomenti.insert(argomenti.end(), {"--decimal-separator", ",", "--summary", uscita});
    const Esito esito = Esegui(argomenti);
    ASSERT_EQ(esito.codice, 0) << esito.err;
    EXPECT_EQ(Leggi(uscita), std::string(kIntestazioneMes) +
                                 "1\t 1\t3\t23,333\t51,000\t3,000\t48,000\t54,000\t7,452\t8\r\n"
                                 "2\t 2\t2\t6,667\t31,500\t2,121\t30,000\t33,000\t19,059\t10\r\n");

    argomenti = file;
    argomenti.insert(argomenti.end(), {"--decimal-separator", "."});
    const Esito tabella = Esegui(argomenti);
    ASSERT_EQ(tabella.codice, 0) << tabella.err;
    const auto righe = Parole(tabella.out);
    ASSERT_EQ(righe.size(), 3u) << tabella.out;
    EXPECT_EQ(righe[1], (std::vector<std::string>{"1", "1", "3", "23.333", "51.000", "3.000", "48.000",
                                                  "54.000", "7.452", "8"}));
}

// Two sections; section 2 saw no vehicle in run 2. At 90 %: section 1 has 75.3, 80.1, 77.9
// (s = 2.4028, t(0.95, 2) * s / sqrt(3) = 4.0507); section 2 has 120 and 118.
TEST_F(Runs, TravelTimeRunsWithChosenConfidenceAndTolerance)
{
    const std::vector<std::string> file = {
        Rsz("a.rsz", {{"512.3", {"75.3", "75.3"}, {20, 25}}, {"250.0", {"120.0", "120.0"}, {10, 20}}}),
        Rsz("b.RSZ", {{"512.3", {"80.1", "80.1"}, {25, 25}}, {"250.0", {"0.0", "0.0"}, {0, 0}}}),
        Rsz("c.rsz", {{"512.3", {"77.9", "77.9"}, {24, 24}}, {"250.0", {"118.0", "118.0"}, {20, 20}}}),
    };
    const std::string uscita = (cartella_ / "statistiche.txt").string();
    std::vector<std::string> argomenti = {"--confidence",        "0.90", "--tolerance", "0,02",
                                          "--decimal-separator", ".",    "--summary",   uscita};
    argomenti.insert(argomenti.end(), file.begin(), file.end());
    const Esito esito = Esegui(argomenti);
    ASSERT_EQ(esito.codice, 0) << esito.err;
    EXPECT_EQ(Leggi(uscita),
              "Sezione\tLunghezza [m]\tRun validi\tVeicoli medi\tMedia\tDev. std\tMinimo\tMassimo\t"
              "Semiampiezza IC\tRun necessari\r\n"
              "1\t512.3\t3\t47.667\t77.767\t2.403\t75.300\t80.100\t4.051\t9\r\n"
              "2\t250.0\t2\t23.333\t119.000\t1.414\t118.000\t120.000\t6.314\t4\r\n");
}

TEST_F(Runs, UsageErrors)
{
    const std::string mes1 = Mes("a.mes", {{"1", {1, 1}, {"50.0", "50.0"}}});
    const std::string mes2 = Mes("b.mes", {{"1", {1, 1}, {"50.0", "50.0"}}});
    const std::string rsz = Rsz("c.rsz", {{"100.0", {"10.0", "10.0"}, {1, 1}}});
    const std::string txt = File("d.txt", "x\r\n");
    const std::vector<std::vector<std::string>> casi = {
        {},
        {mes1},
        {mes1, rsz},
        {mes1, txt},
        {mes1, mes2, "--confidence", "1"},
        {mes1, mes2, "--confidence", "abc"},
        {mes1, mes2, "--tolerance", "0"},
        {mes1, mes2, "--decimal-separator", ";"},
        {mes1, mes2, "--detail", "x.txt"},
        {mes1, mes2, "--summary", mes2},
    };
    for (const auto& argomenti : casi) {
        const Esito esito = Esegui(argomenti);
        EXPECT_EQ(esito.codice, 2) << ::testing::PrintToString(argomenti);
        EXPECT_TRUE(esito.out.empty()) << esito.out;
    }
    EXPECT_EQ(Leggi(mes2).rfind("Rilievo dati", 0), 0u);
}

TEST_F(Runs, FailuresNameTheFileAndWriteNothing)
{
    const std::string a = Mes("a.mes", {{"1", {1, 1}, {"50.0", "50.0"}}, {"2", {1, 1}, {"50.0", "50.0"}}});
    const std::string b = Mes("b.mes", {{"1", {1, 1}, {"52.0", "52.0"}}, {"2", {1, 1}, {"50.0", "50.0"}}});
    const std::string c = Mes("c.mes", {{"1", {1, 1}, {"50.0", "50.0"}}, {"5", {1, 1}, {"50.0", "50.0"}}});
    const std::string uscita = (cartella_ / "statistiche.txt").string();

    Esito esito = Esegui({a, b, c, "--summary", uscita});
    EXPECT_EQ(esito.codice, 1);
    EXPECT_EQ(UltimaRiga(esito.err), "La misura 2 del file \"" + c +
                                         "\" ha un'etichetta diversa da quella del "
                                         "file \"" +
                                         a + "\" (\" 5\" invece di \" 2\").");
    EXPECT_FALSE(fs::exists(uscita));

    const std::string d = Mes("d.mes", {{"1", {1, 1}, {"50.0", "50.0"}}});
    esito = Esegui({a, d, "--summary", uscita});
    EXPECT_EQ(esito.codice, 1);
    EXPECT_EQ(UltimaRiga(esito.err), "Il file \"" + d + "\" non ha lo stesso numero di misure del file \"" +
                                         a + "\" (1 invece di 2).");

    const std::string manca = (cartella_ / "manca.mes").string();
    esito = Esegui({a, manca, "--summary", uscita});
    EXPECT_EQ(esito.codice, 1);
    EXPECT_EQ(UltimaRiga(esito.err).rfind("Cannot open file \"" + manca + "\".", 0), 0u) << esito.err;
    EXPECT_NE(esito.err.find("manca.mes"), std::string::npos);
    EXPECT_FALSE(fs::exists(uscita));
}

// The same runs written by an English and an Italian simulator give the same statistics.
TEST_F(Runs, EnglishAndItalianRunsMix)
{
    const std::vector<Misura> m1 = {{"1", {10, 10}, {"50.0", "52.0"}}, {"2", {5, 5}, {"30.0", "30.0"}}};
    const std::vector<Misura> m2 = {{"1", {12, 8}, {"48.0", "48.0"}}, {"2", {0, 0}, {"0.0", "0.0"}}};
    const std::vector<Tratta> r1 = {{"512.3", {"75.3", "76.3"}, {20, 25}}};
    const std::vector<Tratta> r2 = {{"512.3", {"80.1", "80.1"}, {25, 25}}};
    const std::string uscitaItaliana = (cartella_ / "it.txt").string();
    const std::string uscitaMista = (cartella_ / "mista.txt").string();
    for (const char* separatore : {",", "."}) {
        Esito it = Esegui({Mes("it1.mes", m1), Mes("it2.mes", m2), "--decimal-separator", separatore,
                           "--summary", uscitaItaliana});
        Esito mista = Esegui({Mes("en1.mes", m1, true), Mes("it2b.mes", m2), "--decimal-separator",
                              separatore, "--summary", uscitaMista});
        ASSERT_EQ(it.codice, 0) << it.err;
        ASSERT_EQ(mista.codice, 0) << mista.err;
        EXPECT_EQ(Leggi(uscitaMista), Leggi(uscitaItaliana));

        it = Esegui({Rsz("it1.rsz", r1), Rsz("it2.rsz", r2), "--decimal-separator", separatore, "--summary",
                     uscitaItaliana});
        mista = Esegui({Rsz("it1b.rsz", r1), Rsz("en2.rsz", r2, true), "--decimal-separator", separatore,
                        "--summary", uscitaMista});
        ASSERT_EQ(it.codice, 0) << it.err;
        ASSERT_EQ(mista.codice, 0) << mista.err;
        EXPECT_EQ(Leggi(uscitaMista), Leggi(uscitaItaliana));
    }
}

// A real file given twice: no spread, and each mean is the figure that the file's own import gives.
TEST_F(Runs, RealFileTwiceGivesItsOwnFigures)
{
    const fs::path campioni = MARVENTO_SAMPLES_DIR;
    if (!fs::is_directory(campioni))
        GTEST_SKIP() << "no sample folder " << campioni;
    struct Caso
    {
        const char* file;
        const char* sottocomando;
        std::size_t veicoli;
    };
    for (const Caso& caso :
         {Caso{"en_RunsStudio_test.mes", "mes", 1}, Caso{"en_OxfordStE_AM_RegentSt_1_1.rsz", "rsz", 3}}) {
        const std::string file = (campioni / caso.file).string();
        const std::string statistiche = (cartella_ / "statistiche.txt").string();
        const std::string riepilogo = (cartella_ / "riepilogo.txt").string();
        const Esito runs = Esegui({file, file, "--decimal-separator", ",", "--summary", statistiche});
        const Esito uno =
            Esegui({file, "--decimal-separator", ",", "--summary", riepilogo}, caso.sottocomando);
        ASSERT_EQ(runs.codice, 0) << runs.err;
        ASSERT_EQ(uno.codice, 0) << uno.err;
        const auto attese = Celle(Leggi(riepilogo));
        const auto righe = Celle(Leggi(statistiche));
        ASSERT_EQ(righe.size(), attese.size()) << caso.file;
        ASSERT_GT(righe.size(), 1u);
        for (std::size_t r = 1; r < righe.size(); ++r) {
            const auto& riga = righe[r];
            const auto& attesa = attese[r];
            ASSERT_EQ(riga.size(), 10u);
            const bool veicoli = attesa[caso.veicoli] != "0";
            EXPECT_EQ(riga[0], attesa[0]);
            EXPECT_EQ(riga[2], veicoli ? "2" : "0") << caso.file << " row " << r;
            EXPECT_EQ(riga[3], attesa[caso.veicoli] + ",000");
            EXPECT_EQ(riga[4], veicoli ? attesa[2] : "") << caso.file << " row " << r;
            EXPECT_EQ(riga[5], veicoli ? "0,000" : "");
            EXPECT_EQ(riga[9], veicoli ? "2" : "");
        }
    }
}

// validate on the runs of a scenario: the comparison uses the mean over runs.
class Validate : public Runs
{
  protected:
    // Two runs of two sections (intervals ending at 600 and 1200); section 2 saw no vehicle in run b.
    std::vector<std::string> DueRun()
    {
        return {
            Rsz("a.rsz", {{"512.3", {"75.3", "75.3"}, {20, 25}}, {"250.0", {"120.0", "120.0"}, {10, 20}}}),
            Rsz("b.rsz", {{"512.3", {"80.1", "80.1"}, {25, 25}}, {"250.0", {"0.0", "0.0"}, {0, 0}}})};
    }
    // Section 1: 22 and 30 counted against the means 22.5 and 25 (hourly 132/135, 180/150), 70 s in
    // the second interval against (75.3 + 80.1) / 2; section 2 over the whole period, 20 against
    // (10 + 0) / 2 + (20 + 0) / 2.
    std::string Rilievi()
    {
        return File("rilievi.csv",
                    "Sezione;Intervallo;Veicoli;TdP\r\n1;0-600;22;\r\n1;1200;30;70\r\n2;;20;\r\n");
    }

    static std::vector<std::string> Coda(const std::vector<std::string>& riga)
    {
        return {riga.end() - 9, riga.end()};
    }
};

TEST_F(Validate, SummaryChartAndCriteria)
{
    std::vector<std::string> argomenti = DueRun();
    const std::string riepilogo = (cartella_ / "riepilogo.txt").string();
    const std::string png = (cartella_ / "confronto.png").string();
    argomenti.insert(argomenti.end(), {"--observed", Rilievi(), "--summary", riepilogo, "--png", png,
                                       "--size", "500x400", "--decimal-separator", ","});
    const Esito esito = Esegui(argomenti, "validate");
    ASSERT_EQ(esito.codice, 0) << esito.err;
    const auto righe = Celle(Leggi(riepilogo));
    ASSERT_EQ(righe.size(), 3u);
    EXPECT_EQ(Coda(righe[0]), (std::vector<std::string>{"Veicoli rilevati", "Veicoli simulati", "GEH",
                                                        "GEH<5 [%]", "TdP rilevato [s]", "TdP simulato [s]",
                                                        "Diff. TdP [s]", "Diff. TdP [%]", "Esito"}));
    EXPECT_EQ(Coda(righe[1]), (std::vector<std::string>{"52,000", "47,500", "1,105", "100,000", "70,000",
                                                        "77,700", "7,700", "11,000", "OK"}));
    EXPECT_EQ(Coda(righe[2]),
              (std::vector<std::string>{"20,000", "15,000", "2,070", "100,000", "", "", "", "", "OK"}));
    EXPECT_EQ(esito.out,
              "Casi (misura o sezione, intervallo) con GEH < 5: 3 su 3 (100,000 %): raggiunge la quota "
              "richiesta (85 %).\nRighe con esito OK: 2 su 2 (100,000 %): raggiunge la quota richiesta "
              "(85 %).\n");
    // A PNG of the size asked for: width and height stand in its header.
    const std::string immagine = Leggi(png);
    ASSERT_GT(immagine.size(), 24u);
    EXPECT_EQ(immagine.substr(1, 3), "PNG");
    const auto numero = [&](std::size_t da) {
        return (static_cast<unsigned char>(immagine[da + 2]) << 8) |
               static_cast<unsigned char>(immagine[da + 3]);
    };
    EXPECT_EQ(numero(16), 500);
    EXPECT_EQ(numero(20), 400);

    // A GEH threshold of 2 fails section 2 and the second interval of section 1; the table is printed.
    argomenti = DueRun();
    argomenti.insert(argomenti.end(),
                     {"--observed", Rilievi(), "--geh-threshold", "2", "--decimal-separator", "."});
    const Esito stretto = Esegui(argomenti, "validate");
    ASSERT_EQ(stretto.codice, 0) << stretto.err;
    const auto tabella = Parole(stretto.out);
    ASSERT_GE(tabella.size(), 3u);
    EXPECT_EQ(tabella[0].back(), "Esito");
    EXPECT_EQ(tabella[1].back(), "OK");
    EXPECT_EQ(tabella[2].back(), "NO");
    EXPECT_NE(stretto.out.find(
                  "\nCasi (misura o sezione, intervallo) con GEH < 2: 1 su 3 (33.333 %): non raggiunge"),
              std::string::npos)
        << stretto.out;
    EXPECT_NE(stretto.out.find("Righe con esito OK: 1 su 2 (50.000 %)"), std::string::npos);
}

TEST_F(Validate, FailuresWriteNothing)
{
    const std::vector<std::string> run = DueRun();
    const std::string rilievi = Rilievi();
    const std::string riepilogo = (cartella_ / "riepilogo.txt").string();
    const std::string png = (cartella_ / "confronto.png").string();
    const struct
    {
        std::string rilievi;
        std::vector<std::string> altri;
        int uscita;
        std::string messaggio; // the one line on stderr, for a failure of the work
    } casi[] = {
        {File("numero.csv", "Sezione;Veicoli\r\n1;10\r\n2;dieci\r\n"),
         {},
         1,
         "Riga 3 del file dei rilievi: \"dieci\" nella colonna \"Veicoli\" non e' un numero."},
        {File("intervallo.csv", "Sezione;da;a;Veicoli\r\n1;0;900;10\r\n"),
         {},
         1,
         "Riga 2 del file dei rilievi: l'intervallo 0-900 non e' un intervallo della simulazione."},
        {File("velocita.csv", "Sezione;Vel\r\n1;50\r\n"),
         {},
         1,
         "Riga 2 del file dei rilievi: una velocita' non si confronta con i tempi di percorrenza di un file "
         ".rsz."},
        {File("intestazione.csv", "Numero;Nome\r\n1;x\r\n"),
         {},
         1,
         "Riga 1 del file dei rilievi: l'intestazione non ha nessuna colonna di valori rilevati "
         "(Veicoli/Count, "
         "Vel/Speed o TdP/Travel time)"},
        {(cartella_ / "manca.csv").string(), {}, 1, ""},
        {rilievi, {"--geh-threshold", "0"}, 2, ""},
        {rilievi, {"--geh-share", "120"}, 2, ""},
        {rilievi, {"--time-tolerance", "-1"}, 2, ""},
        {rilievi, {"--summary", rilievi}, 2, ""},
        {"", {}, 2, ""}, // no --observed
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.rilievi + " " + std::to_string(caso.uscita));
        std::vector<std::string> argomenti = run;
        if (!caso.rilievi.empty())
            argomenti.insert(argomenti.end(), {"--observed", caso.rilievi});
        argomenti.insert(argomenti.end(), caso.altri.begin(), caso.altri.end());
        if (caso.altri.empty())
            argomenti.insert(argomenti.end(), {"--summary", riepilogo, "--png", png});
        const Esito esito = Esegui(argomenti, "validate");
        EXPECT_EQ(esito.codice, caso.uscita) << esito.err;
        EXPECT_FALSE(fs::exists(riepilogo));
        EXPECT_FALSE(fs::exists(png));
        if (caso.uscita == 1) {
            EXPECT_EQ(esito.out, "");
            EXPECT_EQ(std::count(esito.err.begin(), esito.err.end(), '\n'), 1) << esito.err;
            if (!caso.messaggio.empty()) {
                EXPECT_EQ(esito.err, caso.messaggio + "\n");
            }
        }
    }
}

// A result list holds its runs itself; an interval without vehicles has an empty travel time.
TEST_F(Validate, ResultList)
{
    const std::string riepilogo = (cartella_ / "riepilogo.txt").string();
    // Section 1 from 0 to 600 s: (30 + 50) / 2 vehicles, (53.14 + 43.16) / 2 s. Section 2 from
    // 1800 to 2400 s: no vehicle in either run, so 18 counted an hour give a GEH of 6 and the
    // time has nothing to compare with.
    const Esito esito =
        Esegui({std::string(MARVENTO_EXAMPLES_DIR) + "/esempio-tempi.att", "--observed",
                File("tempi.csv", "Sezione;Intervallo;Veicoli;TdP\n1;0-600;40;48.15\n2;1800-2400;3;90\n"),
                "--summary", riepilogo, "--decimal-separator", ","},
               "validate");
    ASSERT_EQ(esito.codice, 0) << esito.err;
    const auto righe = Celle(Leggi(riepilogo));
    ASSERT_GE(righe.size(), 3u);
    EXPECT_EQ(Coda(righe[1]), (std::vector<std::string>{"40,000", "40,000", "0,000", "100,000", "48,150",
                                                        "48,150", "0,000", "0,000", "OK"}));
    EXPECT_EQ(Coda(righe[2]),
              (std::vector<std::string>{"3,000", "0,000", "6,000", "0,000", "90,000", "", "", "", "NO"}));
}

} // namespace
