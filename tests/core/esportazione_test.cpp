#include "CartellaExcel.h"
#include "Codifica.h"
#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace marvento;
namespace fs = std::filesystem;

namespace {

struct Tabella
{
    std::vector<std::string> intestazioni;
    std::vector<std::vector<std::string>> righe;
};

Griglia Costruisci(const Tabella& tabella)
{
    Griglia griglia;
    PreparaGriglia(griglia, static_cast<int>(tabella.righe.size()),
                   static_cast<int>(tabella.intestazioni.size()), false);
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        griglia.impostaIntestazione(c, tabella.intestazioni[static_cast<std::size_t>(c)]);
    for (std::size_t r = 0; r < tabella.righe.size(); ++r)
        for (std::size_t c = 0; c < tabella.righe[r].size(); ++c)
            griglia.impostaCella(static_cast<int>(c), static_cast<int>(r), tabella.righe[r][c]);
    return griglia;
}

std::string Leggi(const fs::path& percorso)
{
    std::ifstream file(percorso, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + percorso.string());
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void Scrivi(const fs::path& percorso, const std::string& byte)
{
    std::ofstream file(percorso, std::ios::binary | std::ios::trunc);
    file << byte;
    if (!file.flush())
        throw std::runtime_error("cannot write " + percorso.string());
}

std::vector<std::string> Contenuto(const fs::path& cartella)
{
    std::vector<std::string> nomi;
    for (const auto& voce : fs::directory_iterator(cartella))
        nomi.push_back(voce.path().filename().string());
    std::sort(nomi.begin(), nomi.end());
    return nomi;
}

// A fresh folder per test, removed afterwards (ctest runs the tests in parallel).
class CartellaTemporanea : public testing::Test
{
  protected:
    void SetUp() override
    {
        std::random_device casuale;
        for (int tentativo = 0; cartella_.empty() && tentativo < 100; ++tentativo) {
            fs::path candidata =
                fs::temp_directory_path() / ("marvento-esportazione-" + std::to_string(casuale()));
            if (fs::create_directory(candidata))
                cartella_ = candidata;
        }
        ASSERT_FALSE(cartella_.empty());
    }
    void TearDown() override { fs::remove_all(cartella_); }

    fs::path cartella_;
};

using ScriviFile = CartellaTemporanea;

} // namespace

TEST(TestoTabulato, WholeFileBytes)
{
    struct Caso
    {
        const char* nome;
        Tabella tabella;
        std::string atteso;
    };
    const Caso casi[] = {
        {"two columns, one row", {{"a", "b"}, {{"1", "2"}}}, "a\tb\r\n1\t2\r\n"},
        {"empty headers and cells", {{"", "", ""}, {{"", "x", ""}, {}}}, "\t\t\r\n\tx\t\r\n\t\t\r\n"},
        {"one column has no TAB", {{"Tempo"}, {{"1"}, {""}, {"3"}}}, "Tempo\r\n1\r\n\r\n3\r\n"},
        {"no rows gives the header line alone", {{"a", "b"}, {}}, "a\tb\r\n"},
        {"six columns, the last two empty",
         {{"Num.", "Lunghezza", "Tempo", "Veicoli", "", ""},
          {{"1", "120,500", "14,250", "37", "", ""}, {"2", "80,000", "9,000", "0", "", ""}}},
         "Num.\tLunghezza\tTempo\tVeicoli\t\t\r\n1\t120,500\t14,250\t37\t\t\r\n2\t80,000\t9,000\t0\t\t\r\n"},
        {"texts are written as held, TAB and line breaks included",
         {{" a ", "\"q\""}, {{"x\ty", "1\r\n2"}}},
         " a \t\"q\"\r\nx\ty\t1\r\n2\r\n"},
        {"Windows-1252, unrepresentable letters become '?'",
         {{"Velocita\xE2\x80\x99", "\xC3\xA8"}, {{"\xCE\xB1=1", "20\xE2\x82\xAC"}}},
         "Velocita\x92\t\xE8\r\n?=1\t20\x80\r\n"},
    };
    for (const Caso& caso : casi)
        EXPECT_EQ(TestoTabulato(Costruisci(caso.tabella)), caso.atteso) << caso.nome;
}

// A grid shaped as a user leaves it (rows appended, cells retyped out of order, long and non-ASCII
// texts, a column dragged) exports exactly as a plain row-by-row reading of its cells would.
TEST(TestoTabulato, MatchesARowByRowReadingOfAnEditedGrid)
{
    std::mt19937 caso(7);
    const std::string campioni[] = {"",         "12,500",    "Sezione 4",
                                    "\xC3\xA8", "\xCE\xA9x", std::string(300, 'L')};
    Griglia griglia;
    PreparaGriglia(griglia, 0, 23, false);
    for (int r = 0; r < 150; ++r) {
        griglia.impostaNumeroRighe(r + 1);
        for (int c = 0; c < 23; ++c)
            griglia.impostaCella(c, r, campioni[caso() % 6] + std::to_string(r));
    }
    for (int volta = 0; volta < 400; ++volta)
        griglia.impostaCella(static_cast<int>(caso() % 23), static_cast<int>(caso() % 150),
                             campioni[caso() % 6]);
    griglia.impostaIntestazione(4, "Velocit\xC3\xA0");
    griglia.spostaColonna(4, 17);

    std::string atteso;
    for (int r = -1; r < griglia.numeroRighe(); ++r) {
        for (int c = 0; c < griglia.numeroColonne(); ++c) {
            atteso += c == 0 ? "" : "\t";
            atteso += AWindows1252(r < 0 ? std::string_view(griglia.intestazione(c)) : griglia.cella(c, r));
        }
        atteso += "\r\n";
    }
    EXPECT_EQ(TestoTabulato(griglia), atteso);
}

TEST(TestoTabulato, FollowsTheColumnOrderAfterAMove)
{
    Griglia griglia = Costruisci({{"a", "b", "c"}, {{"1", "2", "3"}}});
    griglia.spostaColonna(2, 0);
    EXPECT_EQ(TestoTabulato(griglia), "c\ta\tb\r\n3\t1\t2\r\n");
}

TEST(TestoTabulato, GridWithoutColumnsFails)
{
    Griglia griglia;
    try {
        TestoTabulato(griglia);
        FAIL() << "no failure";
    } catch (const Errore& errore) {
        EXPECT_STREQ(errore.what(), "Column index, 0, out of bounds");
    }
}

TEST_F(ScriviFile, ReplacesALongerFileWholeAndKeepsItsMode)
{
    const fs::path destinazione = cartella_ / "tabella.txt";
    Scrivi(destinazione, std::string(5000, 'v'));
    fs::permissions(destinazione, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ScriviFileIntero(destinazione.string(), "a\tb\r\n");

    EXPECT_EQ(Leggi(destinazione), "a\tb\r\n");
#ifndef _WIN32
    EXPECT_EQ(fs::status(destinazione).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tabella.txt"});

    ScriviFileIntero(destinazione.string(), "");
    EXPECT_EQ(Leggi(destinazione), "");
}

#ifndef _WIN32
TEST_F(ScriviFile, WritesThroughALinkToItsFile)
{
    const fs::path vero = cartella_ / "vero.txt";
    Scrivi(vero, "vecchio contenuto");
    fs::create_symlink("vero.txt", cartella_ / "collegamento.txt");

    ScriviFileIntero((cartella_ / "collegamento.txt").string(), "nuovo");

    EXPECT_TRUE(fs::is_symlink(cartella_ / "collegamento.txt"));
    EXPECT_EQ(Leggi(vero), "nuovo");
    EXPECT_EQ(Contenuto(cartella_), (std::vector<std::string>{"collegamento.txt", "vero.txt"}));
}

// A pipe or a device (marvento-cli --detail /dev/stdout) is written straight, never replaced.
TEST_F(ScriviFile, WritesIntoAPipeWithoutReplacingIt)
{
    const fs::path tubo = cartella_ / "tubo";
    ASSERT_EQ(mkfifo(tubo.c_str(), 0600), 0);
    const int lettura = open(tubo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(lettura, 0);

    ScriviFileIntero(tubo.string(), "a\tb\r\n");

    char ricevuto[16] = {};
    const auto letti = read(lettura, ricevuto, sizeof ricevuto);
    close(lettura);
    EXPECT_TRUE(fs::is_fifo(tubo));
    EXPECT_EQ(std::string(ricevuto, letti > 0 ? static_cast<std::size_t>(letti) : 0), "a\tb\r\n");
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tubo"});
}
#endif

TEST_F(ScriviFile, TargetThatCannotBeCreatedFailsWithTheFullPathAndTheSystemReason)
{
    fs::create_directory(cartella_ / "cartella.txt");
    struct Caso
    {
        std::string percorso;
        std::string messaggio;
    };
    const fs::path relativo = fs::path("marvento-manca-cartella-0f3a") / "esporta.txt";
    std::vector<Caso> casi = {
        {(cartella_ / "manca" / "esporta.txt").string(), "Cannot create file \"" +
                                                             (cartella_ / "manca" / "esporta.txt").string() +
                                                             "\". No such file or directory"},
        {relativo.string(), "Cannot create file \"" + (fs::current_path() / relativo).string() +
                                "\". No such file or directory"},
    };
#ifndef _WIN32
    casi.push_back({(cartella_ / "cartella.txt").string(),
                    "Cannot create file \"" + (cartella_ / "cartella.txt").string() + "\". Is a directory"});
#endif
    for (const Caso& caso : casi) {
        try {
            ScriviFileIntero(caso.percorso, "abc");
            ADD_FAILURE() << "no failure for " << caso.percorso;
        } catch (const Errore& errore) {
            EXPECT_EQ(errore.what(), caso.messaggio);
        }
    }
    EXPECT_FALSE(fs::exists(relativo.parent_path()));
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"cartella.txt"});
    EXPECT_TRUE(fs::is_empty(cartella_ / "cartella.txt"));
}

#ifndef _WIN32
namespace {

// Runs lavoro in a child process whose files may not grow beyond limite bytes (SIGXFSZ ignored, so
// a write beyond fails as on a full disk); returns the message of the Errore that it threw.
std::string FallimentoConLimite(rlim_t limite, const std::function<void()>& lavoro)
{
    int tubo[2];
    if (pipe(tubo) != 0)
        throw std::runtime_error("pipe");
    pid_t figlio = fork();
    if (figlio < 0)
        throw std::runtime_error("fork");
    if (figlio == 0) {
        close(tubo[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limiti{limite, limite};
        setrlimit(RLIMIT_FSIZE, &limiti);
        std::string esito = "(no failure)";
        try {
            lavoro();
        } catch (const Errore& errore) {
            esito = errore.what();
        }
        ssize_t scritti = write(tubo[1], esito.data(), esito.size());
        _exit(scritti == static_cast<ssize_t>(esito.size()) ? 0 : 1);
    }
    close(tubo[1]);
    std::string esito;
    char blocco[256];
    for (ssize_t letti; (letti = read(tubo[0], blocco, sizeof blocco)) > 0;)
        esito.append(blocco, static_cast<std::size_t>(letti));
    close(tubo[0]);
    int stato = 0;
    if (waitpid(figlio, &stato, 0) != figlio || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0)
        throw std::runtime_error("the child process did not end well");
    return esito;
}

} // namespace

// A write that fails part-way (here: the file size limit, as a full disk would) must leave the old
// file as it was and no temporary file behind. The limit is set in a child process only.
TEST_F(ScriviFile, WriteFailingPartWayKeepsTheOldFileAndLeavesNoTemporary)
{
    const fs::path destinazione = cartella_ / "riepilogo.txt";
    const std::string vecchio = "Num.\tTempo\r\n1\t12,500\r\n";
    Scrivi(destinazione, vecchio);

    EXPECT_EQ(
        FallimentoConLimite(1024, [&] { ScriviFileIntero(destinazione.string(), std::string(200000, 'n')); }),
        "Stream write error");
    EXPECT_EQ(Leggi(destinazione), vecchio);
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"riepilogo.txt"});
}
#endif

// A grid of several blocks of rows, written to a file, gives the bytes of the whole text at once.
TEST(ScriviTabulato, IBlocchiDiRigheDannoIlTestoIntero)
{
    Griglia griglia;
    PreparaGriglia(griglia, 2500, 40, false);
    for (int c = 0; c < griglia.numeroColonne(); ++c) {
        griglia.impostaIntestazione(c, c % 7 == 0 ? "" : "c" + std::to_string(c));
        for (int r = 0; r < griglia.numeroRighe(); ++r)
            if ((r + c) % 5 != 0)
                griglia.impostaCella(c, r, std::to_string(r * c));
    }
    griglia.impostaCella(3, 10, std::string(400, 'l'));
    griglia.impostaCella(5, 2000, "citt\xc3\xa0 \xce\xb1"); // a letter of the code page and one outside it
    griglia.impostaCella(39, 2499, "ultima");

    const auto percorso = fs::temp_directory_path() / "marvento-blocchi-test.txt";
    for (const int righe : {2500, 1024, 0}) {
        griglia.impostaNumeroRighe(righe);
        ScriviTabulato(griglia, percorso.u8string());
        std::ifstream file(percorso, std::ios::binary);
        const std::string letto{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(letto, TestoTabulato(griglia)) << righe << " rows";
    }
    fs::remove(percorso);
}

TEST(NumeroDellaCella, NumbersByTheRulesAndTheFilesCommaTextsOtherwise)
{
    struct Caso
    {
        const char* testo;
        char separatore;
        bool numero;
        double valore;
        int decimali;
        bool esponente;
    };
    const Caso casi[] = {
        {"12", ',', true, 12, 0, false},
        {"-0,125", ',', true, -0.125, 3, false},
        {"3,000", ',', true, 3, 3, false},
        {" 45,3 ", ',', true, 45.3, 1, false},
        {"+5,", ',', true, 5, 0, false},
        {",5", ',', true, 0.5, 1, false},
        {"1,5E-3", ',', true, 0.0015, 1, true},
        {"1e3", '.', true, 1000, 0, true},
        {"12.50", '.', true, 12.5, 2, false},
        {"87,3", '.', true, 87.3, 1, false}, // as the importers copy the files' decimals
        {"1e-400", '.', true, 0, 0, true},
        {"87.3", ',', false, 0, 0, false}, // no other decimal mark where the separator is ","
        {"1.234,5", '.', false, 0, 0, false},
        {"1e400", '.', false, 0, 0, false},
        {",", ',', false, 0, 0, false}, // no digit: LeggiDecimale reads 0, the cell stays a text
        {"-,e5", ',', false, 0, 0, false},
        {"", ',', false, 0, 0, false},
        {"-", ',', false, 0, 0, false},
        {"$1F", ',', false, 0, 0, false},
        {"12 5", ',', false, 0, 0, false},
        {"INF", '.', false, 0, 0, false},
        {"Misura", '.', false, 0, 0, false},
    };
    for (const Caso& caso : casi) {
        const std::optional<NumeroCella> numero = NumeroDellaCella(caso.testo, caso.separatore);
        ASSERT_EQ(numero.has_value(), caso.numero) << caso.testo;
        if (!numero)
            continue;
        EXPECT_EQ(numero->valore, caso.valore) << caso.testo;
        EXPECT_EQ(numero->decimali, caso.decimali) << caso.testo;
        EXPECT_EQ(numero->esponente, caso.esponente) << caso.testo;
    }
}

TEST(FormatoCartellaExcel, TheTypedExtensionDecidesElseTheTypeSelected)
{
    const struct
    {
        const char* nome;
        bool cartellaScelta;
        bool cartella;
    } casi[] = {
        {"/t/a.xlsx", false, true}, {"/t/a.XLSX", false, true}, {"/t/a.txt", true, false},
        {"/t/a.TXT", true, false},  {"/t/a.dat", true, true},   {"/t/a.dat", false, false},
        {"/t/xlsx", false, false},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(FormatoCartellaExcel(caso.nome, caso.cartellaScelta), caso.cartella) << caso.nome;
}

namespace {

Griglia GrigliaVuota(int righe, int colonne)
{
    Griglia griglia;
    PreparaGriglia(griglia, righe, colonne, false);
    return griglia;
}

void ScriviUnFoglio(const Griglia& griglia, const fs::path& percorso)
{
    ScriviCartellaExcel({{"Tabella", griglia}}, percorso.string(), ',');
}

bool Zip(const std::string& byte)
{
    return byte.rfind("PK\x03\x04", 0) == 0;
}

} // namespace

TEST_F(ScriviFile, CartellaExcelOltreIlFoglioRifiutataSenzaToccareIlFile)
{
    const fs::path destinazione = cartella_ / "tabella.xlsx";
    Scrivi(destinazione, "vecchio");
    const struct
    {
        Griglia griglia;
        std::string messaggio;
    } casi[] = {
        {Griglia(), "Column index, 0, out of bounds"},
        {GrigliaVuota(1, kColonneFoglio + 1),
         "La griglia ha 16385 colonne e un foglio di Excel ne contiene al massimo 16384: salvala come testo "
         "delimitato da tabulatura"},
        {GrigliaVuota(kRigheFoglio, 1),
         "La griglia ha 1048576 righe e un foglio di Excel ne contiene al massimo "
         "1048575 oltre all'intestazione: salvala come testo delimitato da "
         "tabulatura"},
    };
    for (const auto& caso : casi) {
        try {
            ScriviUnFoglio(caso.griglia, destinazione);
            ADD_FAILURE() << "no failure for " << caso.messaggio;
        } catch (const Errore& errore) {
            EXPECT_EQ(errore.what(), caso.messaggio);
        }
    }
    EXPECT_EQ(Leggi(destinazione), "vecchio");
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tabella.xlsx"});
}

TEST_F(ScriviFile, CartellaExcelAiLimitiDelFoglio)
{
    const struct
    {
        int righe;
        int colonne;
    } casi[] = {{1, kColonneFoglio}, {kRigheFoglio - 1, 1}};
    for (const auto& caso : casi) {
        Griglia griglia = GrigliaVuota(caso.righe, caso.colonne);
        griglia.impostaCella(caso.colonne - 1, caso.righe - 1, "1,5");
        ScriviUnFoglio(griglia, cartella_ / "limite.xlsx");
        EXPECT_TRUE(Zip(Leggi(cartella_ / "limite.xlsx"))) << caso.righe << " x " << caso.colonne;
    }
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"limite.xlsx"});
}

// A cell holds 32,767 characters, counted as characters: "è" takes two bytes.
TEST_F(ScriviFile, CartellaExcelConUnTestoTroppoLungoLasciaLaVecchia)
{
    const fs::path destinazione = cartella_ / "tabella.xlsx";
    Griglia griglia = GrigliaVuota(3, 2);
    std::string lungo;
    for (int i = 0; i < 32'767; ++i)
        lungo += "\xC3\xA8";
    griglia.impostaCella(0, 0, lungo);
    ScriviUnFoglio(griglia, destinazione);
    const std::string vecchio = Leggi(destinazione);
    ASSERT_TRUE(Zip(vecchio));

    griglia.impostaCella(1, 2, std::string(32'768, 'x'));
    try {
        ScriviUnFoglio(griglia, destinazione);
        FAIL() << "no failure";
    } catch (const Errore& errore) {
        EXPECT_STREQ(errore.what(), "La cella della riga 3, colonna 2 ha piu' di 32767 caratteri, quanti ne "
                                    "contiene una cella di Excel");
    }
    EXPECT_TRUE(Leggi(destinazione) == vecchio);
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tabella.xlsx"});
}

#ifndef _WIN32
// A full disk part-way through a workbook (the library's own temporary file or the workbook): the
// old workbook stays as it was, and nothing is left behind.
TEST_F(ScriviFile, CartellaExcelFallitaAMetaLasciaLaVecchia)
{
    const fs::path destinazione = cartella_ / "tabella.xlsx";
    Griglia griglia = GrigliaVuota(20'000, 20);
    for (int c = 0; c < 20; ++c) {
        griglia.impostaIntestazione(c, "Colonna " + std::to_string(c));
        for (int r = 0; r < griglia.numeroRighe(); ++r)
            griglia.impostaCella(c, r, std::to_string(r * 20 + c) + ",5");
    }
    ScriviUnFoglio(GrigliaVuota(1, 1), destinazione);
    const std::string vecchio = Leggi(destinazione);
    ASSERT_TRUE(Zip(vecchio));

    EXPECT_EQ(FallimentoConLimite(200'000, [&] { ScriviUnFoglio(griglia, destinazione); }),
              "Stream write error");
    EXPECT_TRUE(Leggi(destinazione) == vecchio);
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tabella.xlsx"});

    ScriviUnFoglio(griglia, destinazione); // without the limit: replaced
    EXPECT_GT(Leggi(destinazione).size(), 200'000u);
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tabella.xlsx"});
}

TEST_F(ScriviFile, CartellaExcelInUnTuboSenzaSostituirlo)
{
    const fs::path tubo = cartella_ / "tubo";
    ASSERT_EQ(mkfifo(tubo.c_str(), 0600), 0);
    const int lettura = open(tubo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(lettura, 0);

    ScriviUnFoglio(GrigliaVuota(1, 1), tubo); // a small workbook: the pipe's buffer holds it

    char ricevuto[4] = {};
    const auto letti = read(lettura, ricevuto, sizeof ricevuto);
    close(lettura);
    EXPECT_TRUE(fs::is_fifo(tubo));
    EXPECT_TRUE(letti == 4 && Zip(std::string(ricevuto, 4)));
    EXPECT_EQ(Contenuto(cartella_), std::vector<std::string>{"tubo"});
}
#endif
