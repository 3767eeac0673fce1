// A file cut short anywhere (a copy that stopped, a mail attachment truncated) is either imported
// or refused with a message: never a crash, another kind of failure or a long wait.
#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

using namespace marvento;

namespace {

namespace fs = std::filesystem;

using Importatore = std::function<void(const ListaRighe&, Griglia&, Griglia&, char)>;

std::string Leggi(const fs::path& percorso)
{
    std::ifstream file(percorso, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The same text with the UTF-16 little-endian mark (the files are ASCII).
std::string ComeUtf16(std::string_view testo)
{
    std::string byte = "\xFF\xFE";
    for (const char c : testo) {
        byte += c;
        byte += '\0';
    }
    return byte;
}

// Imports the first `lunghezza` bytes with either separator into grids that hold an earlier table.
// Returns the failure that is not an Errore, or the empty text.
std::string ImportaPrefisso(std::string_view byte, const Importatore& importa, int& riuscite)
{
    try {
        const ListaRighe righe = DecodificaRighe(byte);
        for (const char separatore : {',', '.'}) {
            Griglia tabella;
            Griglia riepilogo;
            PreparaGriglia(tabella, 3, 2, false);
            tabella.impostaCella(1, 2, "prima");
            try {
                importa(righe, tabella, riepilogo, separatore);
                ++riuscite;
            } catch (const Errore&) {
            }
            // Whatever the grids hold afterwards can be exported.
            if (tabella.numeroColonne() > 0)
                TestoTabulato(tabella);
            if (riepilogo.numeroColonne() > 0)
                TestoTabulato(riepilogo);
        }
        return {};
    } catch (const Errore&) {
        return {};
    } catch (const std::exception& altro) {
        return std::string("std::exception: ") + altro.what();
    } catch (...) {
        return "eccezione sconosciuta";
    }
}

struct Caso
{
    const char* file;
    Importatore importa;
    std::size_t passo; // 1: every byte
};

void ProvaOgniPrefisso(const fs::path& percorso, const Importatore& importa, std::size_t passo)
{
    const std::string intero = Leggi(percorso);
    ASSERT_FALSE(intero.empty()) << percorso;
    for (const std::string& byte : {intero, ComeUtf16(intero)}) {
        int riuscite = 0;
        // Every byte for the small files; for larger ones every passo-th byte and both sides of
        // every line end, where most of the format's decisions are taken.
        for (std::size_t n = 0; n <= byte.size(); ++n) {
            const bool vicinoFineRiga = (n > 0 && (byte[n - 1] == '\n' || byte[n - 1] == '\r')) ||
                                        (n < byte.size() && (byte[n] == '\n' || byte[n] == '\r'));
            if (n % passo != 0 && !vicinoFineRiga && n != byte.size())
                continue;
            const std::string esito = ImportaPrefisso(std::string_view(byte).substr(0, n), importa, riuscite);
            ASSERT_EQ(esito, "") << percorso << " cut at byte " << n;
        }
        // The whole file, at least, imports with one of the separators.
        EXPECT_GT(riuscite, 0) << percorso;
    }
}

const Importatore kVelocita = [](const ListaRighe& r, Griglia& t, Griglia& s, char sep) {
    ImportaVelocita(r, t, s, sep);
};
const Importatore kArchi = [](const ListaRighe& r, Griglia& t, Griglia& s, char sep) {
    ImportaArchi(r, t, s, sep);
    for (int riga = 0; riga < s.numeroRighe(); ++riga)
        s.impostaCella(4, riga, "100");
    CorreggiTempi(s, sep, [](const std::string&) {});
};

} // namespace

TEST(OgniPrefisso, ExamplesImportOrFailWithAMessage)
{
    const fs::path esempi = MARVENTO_EXAMPLES_DIR;
    for (const char* nome : {"esempio.mes", "esempio-en.mes"})
        if (fs::exists(esempi / nome))
            ProvaOgniPrefisso(esempi / nome, kVelocita, 1);
    for (const char* nome : {"esempio.rsz", "esempio-en.rsz"})
        if (fs::exists(esempi / nome))
            ProvaOgniPrefisso(esempi / nome, kArchi, 1);
}

TEST(OgniPrefisso, RealFilesImportOrFailWithAMessage)
{
    const fs::path campioni = MARVENTO_SAMPLES_DIR;
    if (!fs::is_directory(campioni))
        GTEST_SKIP() << "no sample files in " << campioni;
    for (const auto& voce : fs::directory_iterator(campioni)) {
        const std::string estensione = voce.path().extension().string();
        if (estensione == ".mes")
            ProvaOgniPrefisso(voce.path(), kVelocita, 61);
        else if (estensione == ".rsz")
            ProvaOgniPrefisso(voce.path(), kArchi, 61);
    }
}
