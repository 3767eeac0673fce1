// Reading files into lines, cutting fields, begins-with and the replacements.
#include "Errore.h"
#include "ListaCampi.h"
#include "ListaRighe.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace marvento {
namespace {

namespace fs = std::filesystem;
using Righe = std::vector<std::string>;

Righe Tutte(const ListaRighe& lista)
{
    Righe righe;
    for (int i = 0; i < lista.conteggio(); ++i)
        righe.emplace_back(lista.riga(i));
    return righe;
}

std::vector<std::string> Tutti(const ListaCampi& campi)
{
    std::vector<std::string> tutti;
    for (int i = 0; i < campi.conteggio(); ++i)
        tutti.emplace_back(campi.campo(i));
    return tutti;
}

template <typename F> std::string MessaggioDi(F&& operazione)
{
    try {
        operazione();
    } catch (const Errore& errore) {
        return errore.what();
    }
    return "(nessun errore)";
}

// A folder of its own for each test, removed at the end.
class CartellaTemporanea
{
  public:
    CartellaTemporanea()
    {
        std::random_device caso;
        percorso_ = fs::temp_directory_path() / ("marvento_testo_" + std::to_string(caso()));
        fs::create_directories(percorso_);
    }
    ~CartellaTemporanea()
    {
        std::error_code ignorato;
        fs::remove_all(percorso_, ignorato);
    }
    std::string scrivi(const std::string& nome, const std::string& byte) const
    {
        const auto file = percorso_ / nome;
        std::ofstream uscita(file, std::ios::binary);
        uscita.write(byte.data(), static_cast<std::streamsize>(byte.size()));
        uscita.close();
        EXPECT_TRUE(uscita) << file;
        return file.string();
    }
    const fs::path& percorso() const { return percorso_; }

  private:
    fs::path percorso_;
};

// ---------------------------------------------------------------- CaricaRighe

struct CasoFile
{
    const char* nome;
    std::string byte;
    Righe attese;
};

void PrintTo(const CasoFile& caso, std::ostream* os)
{
    *os << caso.nome;
}

class CaricaRigheTest : public ::testing::TestWithParam<CasoFile>
{
};

TEST_P(CaricaRigheTest, LeggeLeRigheDalFile)
{
    const CartellaTemporanea cartella;
    const auto percorso = cartella.scrivi("file.txt", GetParam().byte);
    EXPECT_EQ(Tutte(CaricaRighe(percorso)), GetParam().attese);
    EXPECT_EQ(Tutte(DecodificaRighe(GetParam().byte)), GetParam().attese);
}

using namespace std::string_literals;

const Righe kAbc = {"a", "b", "c"};
const std::string kBomUtf8 = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(FineRiga, CaricaRigheTest,
                         ::testing::Values(CasoFile{"lf", "a\nb\nc\n", kAbc},
                                           CasoFile{"crlf", "a\r\nb\r\nc\r\n", kAbc},
                                           CasoFile{"cr", "a\rb\rc\r", kAbc},
                                           CasoFile{"ultima_senza_fine", "a\r\nb\r\nc", kAbc},
                                           CasoFile{"due_crlf_finali", "a\r\n\r\n", {"a", ""}},
                                           CasoFile{"lf_cr", "a\n\rb", {"a", "", "b"}},
                                           CasoFile{"cr_cr_lf", "a\r\r\nb", {"a", "", "b"}},
                                           CasoFile{"solo_righe_vuote", "\n\n", {"", ""}},
                                           CasoFile{"spazi_e_tab", " a\t \n\tb ", {" a\t ", "\tb "}},
                                           CasoFile{"nul_chiude", "ab\ncd\0ef\ngh"s, {"ab", "cd"}},
                                           CasoFile{"nul_dopo_fine_riga", "ab\r\n\0x\r\n"s, {"ab"}},
                                           CasoFile{"nul_in_testa", "\0ab"s, {}}, CasoFile{"vuoto", "", {}}));

INSTANTIATE_TEST_SUITE_P(
    Codifiche, CaricaRigheTest,
    ::testing::Values(
        CasoFile{"utf8_solo_marca", kBomUtf8, {}},
        CasoFile{"utf8", kBomUtf8 + "citt\xC3\xA0;\xE2\x82\xAC\r\nb", {"citt\xC3\xA0;\xE2\x82\xAC", "b"}},
        CasoFile{"utf8_marca_non_ripetuta",
                 kBomUtf8 + kBomUtf8 + "a",
                 {"\xEF\xBB\xBF"
                  "a"}},
        CasoFile{"senza_marca_non_e_utf8", "citt\xC3\xA0", {"citt\xC3\x83\xC2\xA0"}},
        CasoFile{"cp1252", "caf\xE9 \x80\x9F\r\nb", {"caf\xC3\xA9 \xE2\x82\xAC\xC5\xB8", "b"}},
        CasoFile{"cp1252_non_definiti", "\x81\x8D\x8F\x90\x9D", {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"}},
        CasoFile{"utf16le",
                 "\xFF\xFE"
                 "c\0a\0f\0\xE9\0 \0\xAC\x20\r\0\n\0b\0"s,
                 {"caf\xC3\xA9 \xE2\x82\xAC", "b"}},
        CasoFile{
            "utf16be", "\xFE\xFF\0c\0a\0f\0\xE9\0 \x20\xAC\0\r\0\n\0b"s, {"caf\xC3\xA9 \xE2\x82\xAC", "b"}},
        CasoFile{"utf16_byte_dispari_ignorato",
                 "\xFF\xFE"
                 "a\0\n\0b\0X"s,
                 {"a", "b"}},
        CasoFile{"utf16_solo_marca", "\xFF\xFE", {}},
        CasoFile{"utf16_nul_chiude",
                 "\xFF\xFE"
                 "a\0\0\0b\0"s,
                 {"a"}},
        // A pair becomes one character; a surrogate alone becomes U+FFFD.
        CasoFile{"utf16_surrogati",
                 "\xFF\xFE\x3D\xD8\x00\xDE\x00\xDC"
                 "a\0\x3D\xD8"s,
                 {"\xF0\x9F\x98\x80\xEF\xBF\xBD"
                  "a\xEF\xBF\xBD"}}));

TEST(CaricaRighe, Utf16LittleEndianComeCodicePagina)
{
    const std::string ansi = "Misura;da;a;\r\n1;0;900;\xE8\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : ansi) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Tutte(DecodificaRighe(utf16)), Tutte(DecodificaRighe(ansi)));
}

TEST(CaricaRighe, ByteNonValidiFallisconoTutto)
{
    const std::string messaggio =
        "No mapping for the Unicode character exists in the target multi-byte code page";
    const std::vector<std::string> casi = {
        kBomUtf8 + "a\r\n\xC3(",       // lead byte without continuation
        kBomUtf8 + "\xC0\xAF",         // overlong
        kBomUtf8 + "\xED\xA0\x80",     // surrogate
        kBomUtf8 + "\xF4\x90\x80\x80", // beyond U+10FFFF
        kBomUtf8 + "ok\xE2\x82",       // cut short at the end
        kBomUtf8 + "a\0\xFF"s,         // after U+0000 still counts
        "\xFF\xFE"
        "A", // mark and one byte
        "\xFE\xFF"
        "A",
    };
    const CartellaTemporanea cartella;
    for (const auto& byte : casi) {
        EXPECT_EQ(MessaggioDi([&] { DecodificaRighe(byte); }), messaggio) << ::testing::PrintToString(byte);
        const auto percorso = cartella.scrivi("errato.txt", byte);
        EXPECT_EQ(MessaggioDi([&] { CaricaRighe(percorso); }), messaggio) << ::testing::PrintToString(byte);
    }
}

TEST(CaricaRighe, FileMancanteOCartellaNominaIlPercorsoCompleto)
{
    const CartellaTemporanea cartella;
    const auto cwd = fs::current_path();
    fs::current_path(cartella.percorso());
    const std::string mancante = MessaggioDi([] { CaricaRighe("sotto/../manca.mes"); });
    const std::string sottocartella = (fs::create_directory("dir"), MessaggioDi([] { CaricaRighe("dir"); }));
    fs::current_path(cwd);

    const auto completo = [&](const char* nome) {
        return (fs::canonical(cartella.percorso()) / nome).string();
    };
    EXPECT_EQ(mancante, "Cannot open file \"" + completo("manca.mes") + "\". " +
                            std::generic_category().message(ENOENT));
    EXPECT_EQ(sottocartella,
              "Cannot open file \"" + completo("dir") + "\". " + std::generic_category().message(EISDIR));
}

#ifdef MARVENTO_SAMPLES_DIR
TEST(CaricaRighe, FileRealiDelSimulatore)
{
    const fs::path cartella = MARVENTO_SAMPLES_DIR;
    const fs::path file = cartella / "en_RunsStudio_test.mes";
    if (!fs::exists(file))
        GTEST_SKIP() << "campioni assenti: " << cartella;
    const auto righe = CaricaRighe(file.string());
    ASSERT_GT(righe.conteggio(), 10);
    int misure = 0;
    for (int i = 0; i < righe.conteggio(); ++i) {
        const auto riga = righe.riga(i);
        EXPECT_EQ(riga.find_first_of("\r\n"), std::string_view::npos);
        misure += IniziaCon(riga, "Measurement ") || IniziaCon(riga, "Misura ");
    }
    EXPECT_GT(misure, 0);
}
#endif

// The plain cut of a text into lines: CR, LF or CR LF end a line, U+0000 ends the text.
std::vector<std::string_view> TaglioSemplice(std::string_view testo)
{
    testo = testo.substr(0, testo.find('\0'));
    std::vector<std::string_view> righe;
    std::size_t p = 0;
    while (p < testo.size()) {
        const std::size_t fine = std::min(testo.find('\r', p), testo.find('\n', p));
        const std::size_t q = std::min(fine, testo.size());
        righe.push_back(testo.substr(p, q - p));
        p = q;
        if (p < testo.size() && testo[p] == '\r')
            ++p;
        if (p < testo.size() && testo[p] == '\n')
            ++p;
    }
    return righe;
}

// A large file is read and cut in parts at once. Short lines with every kind of line end, shifted
// by a few bytes from file to file, put every line end across the cuts between the parts: the
// lines must be those of a cut from the start. So with a U+0000 and a byte-order mark.
TEST(CaricaRighe, FileGrandeComeUnTaglioSemplice)
{
    CartellaTemporanea cartella;
    std::mt19937 caso(11);
    const char* const fini[] = {"\n", "\r\n", "\r", "\n\r", "\r\r\n", "\n\n"};
    std::string corpo;
    while (corpo.size() < (5u << 20)) {
        corpo.append(caso() % 6, static_cast<char>('a' + caso() % 26));
        corpo += fini[caso() % 6];
    }
    for (int spostamento = 0; spostamento < 8; ++spostamento) {
        for (const std::string& testa : {std::string(), std::string("\xEF\xBB\xBF")}) {
            SCOPED_TRACE(std::to_string(spostamento) + (testa.empty() ? "" : " con BOM"));
            std::string byte = testa + std::string(static_cast<std::size_t>(spostamento), 'x') + corpo;
            if (spostamento == 7)
                byte[byte.size() * 3 / 4] = '\0';
            const ListaRighe lette = CaricaRighe(cartella.scrivi("grande.txt", byte));
            const auto attese = TaglioSemplice(std::string_view(byte).substr(testa.size()));
            ASSERT_EQ(lette.conteggio(), static_cast<int>(attese.size()));
            for (int i = 0; i < lette.conteggio(); ++i)
                ASSERT_EQ(lette.riga(i), attese[static_cast<std::size_t>(i)]) << "riga " << i;
        }
    }
    // One byte of another code page near the end: the whole text is decoded.
    std::string byte = corpo + "citt\xE0\r\n";
    const ListaRighe lette = CaricaRighe(cartella.scrivi("grande.txt", byte));
    EXPECT_EQ(lette.riga(lette.conteggio() - 1), "citt\xC3\xA0");
}

#ifndef _WIN32
// A pipe has no size to read by: it is read to its end.
TEST(CaricaRighe, DaUnaPipe)
{
    CartellaTemporanea cartella;
    const std::string percorso = (cartella.percorso() / "pipe").string();
    ASSERT_EQ(::mkfifo(percorso.c_str(), 0600), 0);
    std::string byte;
    for (int i = 0; i < 20000; ++i)
        byte += "riga " + std::to_string(i) + "\r\n";
    std::thread scrittore([&] { std::ofstream(percorso, std::ios::binary) << byte; });
    const ListaRighe lette = CaricaRighe(percorso);
    scrittore.join();
    ASSERT_EQ(lette.conteggio(), 20000);
    EXPECT_EQ(lette.riga(19999), "riga 19999");
}
#endif

TEST(ListaRighe, IndiciFuoriDallaListaEAggiunta)
{
    auto lista = DecodificaRighe("uno\r\ndue");
    EXPECT_EQ(MessaggioDi([&] { lista.riga(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(MessaggioDi([&] { lista.riga(2); }), "List index out of bounds (2)");
    for (int i = 0; i < 100; ++i) // the buffer grows while its own lines are appended again
        lista.aggiungi(lista.riga(i % 2));
    ASSERT_EQ(lista.conteggio(), 102);
    EXPECT_EQ(lista.riga(101), "due");
    EXPECT_EQ(lista.riga(100), "uno");
}

// ---------------------------------------------------------------- IniziaCon

TEST(IniziaCon, PrefissoEsatto)
{
    struct Caso
    {
        const char* riga;
        const char* prefisso;
        bool atteso;
    };
    const Caso casi[] = {{"Misura 1", "Misura ", true},
                         {"Misura;da", "Misura;", true},
                         {"misura 1", "Misura ", false},
                         {" Misura 1", "Misura ", false},
                         {"Misura", "Misura ", false},
                         {"Num.", "Num.", true},
                         {"", "Num.", false},
                         {"x", "", true}};
    for (const auto& caso : casi)
        EXPECT_EQ(IniziaCon(caso.riga, caso.prefisso), caso.atteso) << caso.riga << " / " << caso.prefisso;
}

// ---------------------------------------------------------------- DividiCampi

struct CasoCampi
{
    std::string riga;
    char delimitatore;
    std::vector<std::string> attesi;
};

void PrintTo(const CasoCampi& caso, std::ostream* os)
{
    *os << '[' << caso.riga << "] at '" << caso.delimitatore << '\'';
}

class DividiCampiTest : public ::testing::TestWithParam<CasoCampi>
{
};

TEST_P(DividiCampiTest, Campi)
{
    EXPECT_EQ(Tutti(DividiCampi(GetParam().riga, GetParam().delimitatore)), GetParam().attesi);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, DividiCampiTest,
    ::testing::Values(CasoCampi{"", ';', {}}, CasoCampi{" ", ';', {" "}},
                      CasoCampi{"Misura;da;a;", ';', {"Misura", "da", "a", ""}},
                      CasoCampi{"a;b", ':', {"a;b"}}, CasoCampi{"a;;b", ';', {"a", "", "b"}},
                      CasoCampi{";a", ';', {"", "a"}}, CasoCampi{";", ';', {"", ""}},
                      CasoCampi{" a ; b ", ';', {" a ", " b "}},
                      CasoCampi{"\"a;b\"c;d", ';', {"a;b", "c", "d"}},
                      CasoCampi{"\"x\"\"y\";z", ';', {"x\"y", "z"}}, CasoCampi{"\"\"\"\"", ';', {"\""}},
                      CasoCampi{"\"\";", ';', {"", ""}},
                      CasoCampi{"\"aperto;resto\"\"x", ';', {"aperto;resto\"x"}},
                      CasoCampi{"a\"b;c\"", ';', {"a\"b", "c\""}}, CasoCampi{"1;\"q\"", ';', {"1", "q"}},
                      CasoCampi{"\"", ',', {""}}));

TEST(DividiCampi, RiempireSvuotaPrima)
{
    ListaCampi campi;
    DividiCampi("a;b;c", ';', campi);
    DividiCampi("x", ';', campi);
    EXPECT_EQ(Tutti(campi), std::vector<std::string>{"x"});
    EXPECT_EQ(MessaggioDi([&] { campi.campo(1); }), "List index out of bounds (1)");
    DividiCampi("", ';', campi);
    EXPECT_EQ(campi.conteggio(), 0);
    EXPECT_EQ(MessaggioDi([&] { campi.campo(0); }), "List index out of bounds (0)");
}

// ---------------------------------------------------------------- Sostituzioni

TEST(SostituisciCarattere, Casi)
{
    struct Caso
    {
        const char* testo;
        const char* carattere;
        const char* sostituto;
        const char* atteso;
    };
    const Caso casi[] = {
        {"12.5;3.75", ".", ",", "12,5;3,75"},
        {" 1 2 ", " ", "", "12"},
        {"Mm m", "m", "", "M "},
        {"a#b", "#", "##", "a##b"},
        {"abab", "ab", "", "abab"}, // two characters equal no single one
        {"abc", "", "x", "abc"},
        {"", ".", ",", ""},
        {"citt\xC3\xA0 \xC3\xA0", "\xC3\xA0", "a", "citta a"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "x", "\xF0\x9F\x98\x80"}, // two UTF-16 units
    };
    for (const auto& caso : casi)
        EXPECT_EQ(SostituisciCarattere(caso.testo, caso.carattere, caso.sostituto), caso.atteso)
            << caso.testo << " / " << caso.carattere;
}

TEST(SostituisciTesto, MaiuscoleIgnorateOccorrenzeTutte)
{
    struct Caso
    {
        const char* testo;
        const char* frase;
        const char* sostituto;
        const char* atteso;
    };
    const Caso casi[] = {
        {"12 SEZIONE(I) DI RILIEVO: Aa Sezione(i) di rilievo", " Sezione(i) di rilievo", "", "12: Aa"},
        {"Lunghezza Distanza  12,5", " Distanza  ", "", "Lunghezza12,5"},
        {"XaBcY", "abc", "-", "X-Y"},
        {"aaaa a", "aa", "", " a"},
        {"aaa", "aa", "b", "ba"}, // no overlap
        {"", "x", "y", ""},
        {"abc", "", "y", "abc"},
        {"ab", "abc", "", "ab"},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(SostituisciTesto(caso.testo, caso.frase, caso.sostituto), caso.atteso)
            << caso.testo << " / " << caso.frase;
}

} // namespace
} // namespace marvento
