// Faults found by fuzzing and by hostile files, each kept with the input that showed it.
#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace marvento;

namespace {

namespace fs = std::filesystem;

// Headers, then one line per row; cells joined by "|".
std::string Contenuto(const Griglia& g)
{
    std::string testo;
    for (int c = 0; c < g.numeroColonne(); ++c)
        testo += (c ? "|" : "") + g.intestazione(c);
    for (int r = 0; r < g.numeroRighe(); ++r) {
        testo += "\n";
        for (int c = 0; c < g.numeroColonne(); ++c)
            testo += (c ? "|" : "") + std::string(g.cella(c, r));
    }
    return testo;
}

void Riempi(Griglia& g, int colonne)
{
    PreparaGriglia(g, 2, colonne, false);
    for (int c = 0; c < colonne; ++c) {
        g.impostaIntestazione(c, "h" + std::to_string(c));
        g.impostaCella(c, 1, "c" + std::to_string(c));
    }
}

} // namespace

// Removing many columns at once is the same as removing them one by one from the highest index
// down, failures included (then nothing is removed).
TEST(Regressioni, RimuoviColonneComeUnaAllaVolta)
{
    const std::vector<std::vector<int>> casi = {
        {}, {0}, {6}, {6, 5, 3, 2}, {5, 4, 1, 0}, {6, 5, 4, 3, 2, 1, 0}, {7, 6}, {-1}, {3, 9, 2},
    };
    for (const auto& indici : casi) {
        Griglia attesa;
        Riempi(attesa, 7);
        std::string erroreAtteso;
        try {
            for (const int c : indici)
                if (c < 0 || c >= attesa.numeroColonne())
                    throw Errore("Column index, " + std::to_string(c) + ", out of bounds");
            std::vector<int> ordinati = indici;
            std::sort(ordinati.rbegin(), ordinati.rend());
            for (const int c : ordinati)
                attesa.rimuoviColonna(c);
        } catch (const Errore& e) {
            erroreAtteso = e.what();
        }

        Griglia g;
        Riempi(g, 7);
        std::string errore;
        try {
            g.rimuoviColonne(indici);
        } catch (const Errore& e) {
            errore = e.what();
        }
        EXPECT_EQ(errore, erroreAtteso);
        EXPECT_EQ(Contenuto(g), Contenuto(attesa)) << indici.size() << " columns";
    }
}

// A small file naming a quarter of a million measurements over a four-field header asks for a
// million columns, within the bound; dropping the interval columns of every measurement one erase
// at a time took minutes. The import must stay linear in the table's width.
TEST(Regressioni, MoltissimeMisureSenzaDatiSiImportanoInFrettaSenzaQuadratico)
{
    const int misure = 100'000;
    std::string file;
    for (int i = 0; i < misure; ++i)
        file += "Misura 1: Sezione(i) di rilievo 1\n";
    file += "Misura;da;a;Vel\n";
    const ListaRighe righe = DecodificaRighe(file);

    Griglia tabella;
    Griglia riepilogo;
    // Quadratic work here took minutes: a slow run of this test is the sign.
    ImportaVelocita(righe, tabella, riepilogo, ',');

    // q + (p - 1) (q - 2) columns: the first block keeps its interval columns.
    EXPECT_EQ(tabella.numeroColonne(), 4 + (misure - 1) * 2);
    EXPECT_EQ(tabella.intestazione(4), "Misura");
    EXPECT_EQ(tabella.intestazione(5), "Vel [km/h]");
    EXPECT_EQ(riepilogo.numeroRighe(), misure);
    EXPECT_EQ(riepilogo.cella(4, misure - 1), " 1");
}

// A link travel-time header of a million ";" asked for a million columns of a single section,
// each a few hundred bytes before it holds a cell: ten such megabytes took gigabytes. The width is
// bounded like the section-speed table's, and the refusal leaves both grids untouched.
TEST(Regressioni, IntestazioneArchiDiUnMilioneDiCampiRifiutataPrimaDiAllocare)
{
    std::string file = "\n\n\n\n\n\n\nNum. 1, Distanza 5 m\n\nIntervallo;";
    file.append(static_cast<std::size_t>(kMassimoColonneTabellaArchi), ';');
    file += "\n";
    const ListaRighe righe = DecodificaRighe(file);

    Griglia tabella;
    Griglia riepilogo;
    Riempi(tabella, 1);
    Riempi(riepilogo, 1);
    try {
        ImportaArchi(righe, tabella, riepilogo, ',');
        FAIL() << "no failure";
    } catch (const Errore& e) {
        EXPECT_EQ(std::string(e.what()), "Il file descrive una tabella troppo grande: 1000002 colonne per 0 "
                                         "intervalli (al massimo 1000000 colonne e 100000000 celle)");
    }
    EXPECT_EQ(Contenuto(tabella), "h0\n\nc0");
    EXPECT_EQ(Contenuto(riepilogo), "h0\n\nc0");
}

#ifndef _WIN32
// Under a file size limit (ulimit -f) the system ends a program that writes beyond it with
// SIGXFSZ unless the program ignores it: the export then left its temporary file behind. The child
// keeps the signal's default action, as marvento-cli and the window have it.
TEST(Regressioni, LimiteDiDimensioneFileNonLasciaIlTemporaneoNeDanneggiaIlFile)
{
    const fs::path cartella = fs::temp_directory_path() / ("marvento-limite-" + std::to_string(getpid()));
    fs::remove_all(cartella);
    fs::create_directories(cartella);
    const fs::path destinazione = cartella / "tabella.txt";
    const std::string vecchio(3000, 'v'); // larger than the limit: only new bytes count
    {
        std::ofstream(destinazione, std::ios::binary) << vecchio;
    }

    int tubo[2];
    ASSERT_EQ(pipe(tubo), 0);
    const pid_t figlio = fork();
    ASSERT_GE(figlio, 0);
    if (figlio == 0) {
        close(tubo[0]);
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limite{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limite);
        std::string esito = "(no failure)";
        try {
            ScriviFileIntero(destinazione.string(), std::string(100000, 'n'));
        } catch (const Errore& errore) {
            esito = errore.what();
        }
        // The signal's action is back as it was for the rest of the program.
        struct sigaction azione
        {
        };
        sigaction(SIGXFSZ, nullptr, &azione);
        if (azione.sa_handler != SIG_DFL)
            esito += " (SIGXFSZ left changed)";
        const ssize_t scritti = write(tubo[1], esito.data(), esito.size());
        _exit(scritti == static_cast<ssize_t>(esito.size()) ? 0 : 1);
    }
    close(tubo[1]);
    std::string esito;
    char blocco[256];
    for (ssize_t letti; (letti = read(tubo[0], blocco, sizeof blocco)) > 0;)
        esito.append(blocco, static_cast<std::size_t>(letti));
    close(tubo[0]);
    int stato = 0;
    ASSERT_EQ(waitpid(figlio, &stato, 0), figlio);
    EXPECT_FALSE(WIFSIGNALED(stato)) << "child ended by signal " << WTERMSIG(stato);
    EXPECT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) == 0);
    EXPECT_EQ(esito, "Stream write error");

    std::ifstream file(destinazione, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), vecchio);
    std::vector<std::string> nomi;
    for (const auto& voce : fs::directory_iterator(cartella))
        nomi.push_back(voce.path().filename().string());
    EXPECT_EQ(nomi, std::vector<std::string>{"tabella.txt"});
    fs::remove_all(cartella);
}
#endif

// A header of two fields shared among ten thousand sections gives blocks of the section number
// alone; each of a thousand one-character data lines then asked for ten thousand cells. The file
// of 80 KB took half a gigabyte and half a minute at ten thousand lines; such a table has its own,
// lower bound, and the refusal leaves both grids untouched.
TEST(Regressioni, SezioniSenzaColonneDiValoriHannoUnLimiteProprio)
{
    auto file = [](int sezioni, int righe) {
        std::string testo = "\n\n\n\n\n\n\n";
        for (int i = 0; i < sezioni; ++i)
            testo += "Num.,5\n";
        testo += "\nIntervallo;x\n\n\n\n";
        for (int i = 0; i < righe; ++i)
            testo += "1\n";
        return testo;
    };
    Griglia tabella;
    Griglia riepilogo;
    Riempi(tabella, 1);
    Riempi(riepilogo, 1);
    try {
        ImportaArchi(DecodificaRighe(file(10'000, 1'000)), tabella, riepilogo, ',');
        FAIL() << "no failure";
    } catch (const Errore& e) {
        EXPECT_EQ(std::string(e.what()), "Il file descrive una tabella troppo grande: 10001 colonne per 1000 "
                                         "intervalli (al massimo 1000000 colonne e 10000000 celle)");
    }
    EXPECT_EQ(Contenuto(tabella), "h0\n\nc0");
    EXPECT_EQ(Contenuto(riepilogo), "h0\n\nc0");

    // A small one of the same shape still imports: section numbers and empty figures.
    ImportaArchi(DecodificaRighe(file(3, 2)), tabella, riepilogo, ',');
    EXPECT_EQ(Contenuto(tabella), "Intervallo [s]|Sezione|Sezione|Sezione\n1|1|2|3\n1|1|2|3");
    EXPECT_EQ(riepilogo.numeroRighe(), 3);
}

// An import that runs out of memory (a hostile file under a memory limit) reaches the error box
// as std::bad_alloc, whose own text is the library's type name.
TEST(Regressioni, MemoriaEsauritaHaUnMessaggioChiaro)
{
    EXPECT_EQ(TestoBoxErrore(std::bad_alloc()), "Out of memory.");
    try {
        try {
            throw std::bad_alloc();
        } catch (...) {
            std::throw_with_nested(Errore("Importazione"));
        }
    } catch (const Errore& e) {
        EXPECT_EQ(TestoBoxErrore(e), "Out of memory.");
    }
}
