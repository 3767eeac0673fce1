// marvento-cli chart end to end: the image it writes, its size, and its failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string kFixture = MARVENTO_FIXTURES_DIR "/grafico/";

std::string Leggi(const fs::path& percorso)
{
    std::ifstream file(percorso, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string UltimaRiga(std::string testo)
{
    while (!testo.empty() && (testo.back() == '\n' || testo.back() == '\r'))
        testo.pop_back();
    const auto a = testo.find_last_of('\n');
    return a == std::string::npos ? testo : testo.substr(a + 1);
}

struct Png
{
    bool valido = false;
    std::uint32_t larghezza = 0, altezza = 0;
};

// Width and height from the PNG header (signature, then the IHDR chunk).
Png LeggiPng(const fs::path& percorso)
{
    const std::string byte = Leggi(percorso);
    Png png;
    if (byte.size() < 24 || byte.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || byte.compare(12, 4, "IHDR") != 0)
        return png;
    auto intero = [&](std::size_t da) {
        std::uint32_t v = 0;
        for (std::size_t i = da; i < da + 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(byte[i]);
        return v;
    };
    png.valido = true;
    png.larghezza = intero(16);
    png.altezza = intero(20);
    return png;
}

class Chart : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        cartella_ =
            fs::temp_directory_path() / (std::string("marvento_chart_") +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(cartella_);
        fs::create_directories(cartella_);
    }
    void TearDown() override { fs::remove_all(cartella_); }

    fs::path Percorso(const std::string& nome) const { return cartella_ / nome; }

    int Esegui(const std::string& argomenti)
    {
        const std::string comando = "\"" MARVENTO_CLI "\" chart " + argomenti + " >\"" +
                                    Percorso("out.txt").string() + "\" 2>\"" + Percorso("err.txt").string() +
                                    "\"";
        const int stato = std::system(comando.c_str());
#ifndef _WIN32
        return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
#else
        return stato;
#endif
    }

    std::string Errore() const
    {
        return UltimaRiga(Leggi(Percorso("err.txt")));
    }

    fs::path cartella_;
};

TEST_F(Chart, WritesThePngAtTheChartsSize)
{
    struct Caso
    {
        std::string file, opzioni;
        std::uint32_t larghezza, altezza;
    };
    fs::copy_file(kFixture + "misure.mes", Percorso("MISURE.MES"));
    const Caso casi[] = {
        {kFixture + "archi.rsz", "--item 2 --parameter \"TdP [s]\"", 674, 439},
        {Percorso("MISURE.MES").string(),
         "--item 1 --parameter \"Vel [km/h]\" --left-axis-zero --size 800x500", 800, 500},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.file);
        const fs::path png = Percorso("grafico.png");
        fs::remove(png);
        ASSERT_EQ(Esegui("\"" + caso.file + "\" " + caso.opzioni + " --png \"" + png.string() +
                         "\" --decimal-separator ,"),
                  0)
            << Leggi(Percorso("err.txt"));
        const Png letto = LeggiPng(png);
        EXPECT_TRUE(letto.valido);
        EXPECT_EQ(letto.larghezza, caso.larghezza);
        EXPECT_EQ(letto.altezza, caso.altezza);
    }
}

TEST_F(Chart, Failures)
{
    struct Caso
    {
        std::string argomenti;
        int uscita;
        std::string ultimaRiga; // empty: only the status is checked
    };
    const std::string archi = "\"" + kFixture + "archi.rsz\" --decimal-separator , ";
    const std::string png = " --png \"" + Percorso("g.png").string() + "\"";
    const Caso casi[] = {
        {archi + "--item 3 --parameter \"TdP [s]\"" + png, 1,
         "La misura o sezione \"3\" non e' nell'elenco della finestra."},
        {archi + "--item 1 --parameter Vel" + png, 1,
         "Il parametro \"Vel\" non e' nell'elenco della finestra."},
        {archi + "--item 1 --parameter Veicoli --png \"" + Percorso("g.xyz").string() + "\"", 1,
         "Saving bitmap failed."},
        {archi + "--item 1 --parameter Veicoli", 2, ""},
        {archi + "--item 1 --parameter Veicoli --size 12" + png, 2, ""},
        {"\"" + kFixture + "archi.txt\" --item 1 --parameter Veicoli" + png, 2, ""},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.argomenti);
        EXPECT_EQ(Esegui(caso.argomenti), caso.uscita);
        if (!caso.ultimaRiga.empty()) {
            EXPECT_EQ(Errore(), caso.ultimaRiga);
        }
        EXPECT_FALSE(fs::exists(Percorso("g.png")));
        EXPECT_FALSE(fs::exists(Percorso("g.xyz")));
    }
}

} // namespace
