// The shortcuts taken for large files must give what the plain rules give: the importers' runs
// written block by block (and their fall-back to row by row on quotes and failures), the quick
// reading of plain decimals, and the sizing of grid columns ahead of a fill.
#include "ColonnaGriglia.h"
#include "Errore.h"
#include "Esportazione.h"
#include "FigurePesate.h"
#include "Griglia.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "Numeri.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace marvento;

namespace {

using Campi = std::vector<std::string>;

std::string MessaggioDi(const std::function<void()>& azione)
{
    try {
        azione();
    } catch (const Errore& e) {
        return e.what();
    }
    return "(nessun errore)";
}

std::string Unisci(const Campi& campi, char delimitatore)
{
    std::string riga;
    for (std::size_t i = 0; i < campi.size(); ++i)
        riga += (i ? std::string(1, delimitatore) : "") + campi[i];
    return riga;
}

std::string ConVirgola(std::string testo)
{
    for (char& c : testo)
        if (c == '.')
            c = ',';
    return testo;
}

// The cells of every row, "|" between cells, one line per row (headers left out).
std::string Righe(const Griglia& g)
{
    std::string testo;
    for (int r = 0; r < g.numeroRighe(); ++r) {
        std::vector<std::string> celle;
        for (int c = 0; c < g.numeroColonne(); ++c)
            celle.emplace_back(g.cella(c, r));
        testo += Unisci(celle, '|') + "\n";
    }
    return testo;
}

// The rows a plain reading gives: one per entry, its cells as listed.
std::string Attese(const std::vector<Campi>& righe)
{
    std::string testo;
    for (const Campi& riga : righe)
        testo += Unisci(riga, '|') + "\n";
    return testo;
}

struct Esito
{
    Griglia tabella;
    Griglia riepilogo;
    std::string errore;
};

template <typename Importatore> void Importa(const std::string& testo, Importatore importa, Esito& esito)
{
    try {
        importa(DecodificaRighe(testo), esito.tabella, esito.riepilogo, ',');
    } catch (const Errore& e) {
        esito.errore = e.what();
    }
}

// A .mes of three measurements and 700 groups, six header fields: several runs of groups, the
// measurements shared out among the threads.
constexpr int kMisure = 3;
constexpr int kGruppi = 700;

Campi CampiMes(int g, int d)
{
    return {std::to_string(d + 1), std::to_string(g * 60), std::to_string(g * 60 + 60),
            std::to_string((g * 7 + d) % 40), std::to_string(30 + (g + d) % 50) + "." + std::to_string(g % 10), ""};
}

std::string FileMes(const std::vector<std::string>& dati)
{
    std::string testo = "\r\nRilievo dati\r\n\r\n";
    for (int d = 1; d <= kMisure; ++d)
        testo += "Misura     " + std::to_string(d) + ": Sezione(i) di rilievo " + std::to_string(d) + "\r\n";
    testo += "\r\nMisura;da;a;Veicoli;Vel;\r\n      ;  ; ;;Media;\r\n      ;  ; ;tutti;tutti;\r\n";
    for (const std::string& riga : dati)
        testo += riga + "\r\n";
    return testo;
}

} // namespace

// Quoted fields in one group and a short line in a later one: the groups around them are written
// in runs, the ones with them row by row, and the grid comes out as a plain row-by-row fill leaves it.
TEST(GrandiFile, VelocitaPerBlocchiComeRigaPerRiga)
{
    struct Caso
    {
        const char* nome;
        int gruppoCorto; // -1: none
    };
    for (const Caso caso : {Caso{"completo", -1}, Caso{"riga corta", 501}}) {
        SCOPED_TRACE(caso.nome);
        std::vector<std::string> dati;
        std::vector<Campi> attese;
        for (int g = 0; g < kGruppi; ++g) {
            Campi riga;
            for (int d = 0; d < kMisure; ++d) {
                Campi campi = CampiMes(g, d);
                if ((g == 40 && d == 1) || (g == 300 && d == 2)) {
                    // The quote rules: the quotes go, a ";" inside stays in its field.
                    dati.push_back(campi[0] + ";\"" + campi[1] + "\";" + campi[2] + ";" + campi[3] + ";\"" +
                                   campi[4] + "\";");
                } else if (g == caso.gruppoCorto && d == 2) {
                    campi.resize(3);
                    dati.push_back(Unisci(campi, ';'));
                } else {
                    dati.push_back(Unisci(campi, ';'));
                }
                for (std::size_t j = 0; j < campi.size(); ++j)
                    if (caso.gruppoCorto >= 0 || d == 0 || (j != 1 && j != 2))
                        riga.push_back(ConVirgola(campi[j]));
            }
            if (caso.gruppoCorto < 0 || g <= caso.gruppoCorto)
                attese.push_back(riga);
        }
        Esito esito;
        Importa(FileMes(dati), [](auto&&... a) { ImportaVelocita(a...); }, esito);
        if (caso.gruppoCorto < 0) {
            EXPECT_EQ(esito.errore, "");
            EXPECT_EQ(esito.tabella.numeroColonne(), 6 + 2 * 4);
            EXPECT_EQ(esito.riepilogo.cella(3, 0), "42000,000");
        } else {
            // The failure leaves all blocks (the interval columns of later blocks not yet removed),
            // the rows before it, and the failing row filled up to the missing field.
            EXPECT_EQ(esito.errore, "List index out of bounds (3)");
            EXPECT_EQ(esito.tabella.numeroColonne(), 6 * kMisure);
            for (Campi& riga : attese)
                riga.resize(6 * kMisure);
        }
        EXPECT_EQ(Righe(esito.tabella), Attese(attese));
    }
}

namespace {

constexpr int kSezioni = 4;
constexpr int kIntervalli = 700;

Campi CampiRsz(int r)
{
    Campi campi = {"  " + std::to_string((r + 1) * 600)};
    for (int k = 0; k < kSezioni; ++k) {
        campi.push_back(" " + std::to_string(10 + (r * 3 + k) % 90) + "." + std::to_string((r + k) % 10));
        campi.push_back("  " + std::to_string((r + 2 * k) % 60));
    }
    return campi;
}

std::string FileRsz(const std::vector<std::string>& dati)
{
    std::string testo = "\nTabella dei tempi di percorrenza\n\nFile:     c:\\rete.inp\nCommento: prova\nData: oggi\n\n";
    for (int k = 1; k <= kSezioni; ++k)
        testo += "Num. " + std::to_string(k) + " (Via): da arco 1 a 1.5 m ad arco 2 a 3.0 m, Distanza  5" +
                 std::to_string(k) + ".5 m\n";
    testo += "\nIntervallo;";
    for (int k = 0; k < kSezioni; ++k)
        testo += "  TdP;#Veic.;";
    testo += "\n  ClasseV;\n  Num.:;\n Nome;\n";
    for (const std::string& riga : dati)
        testo += riga + "\n";
    return testo;
}

std::string SenzaSpazi(std::string testo)
{
    std::string pulito;
    for (char c : ConVirgola(std::move(testo)))
        if (c != ' ')
            pulito.push_back(c);
    return pulito;
}

} // namespace

// The same for travel times: quoted lines (in the sections of the first thread and of the last),
// blank lines skipped, and a short line that fails, missing fields of the first sections or only
// the last one.
TEST(GrandiFile, ArchiPerBlocchiComeRigaPerRiga)
{
    struct Caso
    {
        int rigaCorta; // -1: none
        std::size_t campiTenuti;
        const char* errore;
    };
    for (const Caso caso : {Caso{-1, 0, ""}, Caso{650, 4, "List index out of bounds (4)"},
                            Caso{650, 8, "List index out of bounds (8)"}}) {
        SCOPED_TRACE(caso.rigaCorta);
        SCOPED_TRACE(caso.campiTenuti);
        std::vector<std::string> dati;
        std::vector<Campi> attese;
        for (int r = 0; r < kIntervalli && (caso.rigaCorta < 0 || r <= caso.rigaCorta); ++r) {
            Campi campi = CampiRsz(r);
            std::string riga = Unisci(campi, ';') + ";";
            if (r == 50)
                riga = Unisci({campi[0], "\"" + campi[1] + "\""}, ';') + ";" +
                       Unisci(Campi(campi.begin() + 2, campi.end()), ';') + ";";
            if (r == 450)
                riga = Unisci(Campi(campi.begin(), campi.end() - 1), ';') + ";\"" + campi.back() + "\";";
            if (r == caso.rigaCorta) {
                campi.resize(caso.campiTenuti);
                riga = Unisci(campi, ';') + ";";
            }
            if (r == 60 || r == 400)
                dati.push_back("   "); // no interval
            dati.push_back(riga);
            Campi attesa = {SenzaSpazi(campi[0])};
            for (int k = 0; k < kSezioni; ++k) {
                attesa.push_back(std::to_string(k + 1));
                for (std::size_t f = 1 + 2 * static_cast<std::size_t>(k); f < 3 + 2 * static_cast<std::size_t>(k); ++f)
                    attesa.push_back(f < campi.size() ? SenzaSpazi(campi[f]) : "");
            }
            if (r == caso.rigaCorta) {
                // Filled up to the cell of the first missing field: section (f - 1) / 2, its value (f - 1) % 2.
                const std::size_t f = caso.campiTenuti;
                attesa.resize(3 * ((f - 1) / 2) + 2 + (f - 1) % 2);
            }
            attesa.resize(1 + 3 * kSezioni);
            attese.push_back(attesa);
        }
        Esito esito;
        Importa(FileRsz(dati), [](auto&&... a) { ImportaArchi(a...); }, esito);
        EXPECT_EQ(esito.errore, caso.errore);
        EXPECT_EQ(Righe(esito.tabella), Attese(attese));
    }
}

// A decimal separator that is also the field delimiter cuts the lines as the plain rules cut them,
// "." first turned into it: the runs, which read the file's own bytes, step aside.
TEST(GrandiFile, SeparatoreCheTaglia)
{
    std::vector<std::string> archi;
    std::vector<std::string> velocita;
    for (int r = 0; r < 300; ++r) {
        archi.push_back(Unisci(CampiRsz(r), ';') + ";");
        for (int d = 0; d < kMisure; ++d)
            velocita.push_back(Unisci(CampiMes(r, d), ';'));
    }
    auto tagliati = [](std::vector<std::string> righe) {
        for (std::string& riga : righe)
            for (char& c : riga)
                if (c == '.')
                    c = ';';
        return righe;
    };
    using Importatore = void (*)(const ListaRighe&, Griglia&, Griglia&, char);
    const std::tuple<std::string, std::string, Importatore> casi[] = {
        {FileRsz(archi), FileRsz(tagliati(archi)),
         [](const ListaRighe& l, Griglia& t, Griglia& r, char c) { ImportaArchi(l, t, r, c); }},
        {FileMes(velocita), FileMes(tagliati(velocita)),
         [](const ListaRighe& l, Griglia& t, Griglia& r, char c) { ImportaVelocita(l, t, r, c); }}};
    for (const auto& [testo, giaTagliato, importa] : casi) {
        Griglia tabella;
        Griglia riepilogo;
        Griglia attesa;
        std::string errore;
        std::string erroreAtteso;
        try {
            importa(DecodificaRighe(testo), tabella, riepilogo, ';');
        } catch (const Errore& e) {
            errore = e.what();
        }
        try {
            importa(DecodificaRighe(giaTagliato), attesa, riepilogo, ',');
        } catch (const Errore& e) {
            erroreAtteso = e.what();
        }
        EXPECT_EQ(errore, erroreAtteso);
        EXPECT_EQ(Righe(tabella), Righe(attesa));
        EXPECT_GT(tabella.numeroRighe(), 0);
    }
}

// Plain decimals are read by one exact division; the result must be the correctly rounded one that
// the general reading gives, bit for bit, also around the limits of that shortcut.
TEST(GrandiFile, DecimaliSempliciComeLaLetturaGenerale)
{
    std::mt19937_64 caso(7);
    auto cifre = [&](int quante) {
        std::string testo;
        for (int i = 0; i < quante; ++i)
            testo.push_back(static_cast<char>('0' + caso() % 10));
        return testo;
    };
    std::vector<std::string> testi = {"0", "-0", "+0,0", ",5", "5,", "9007199254740992", "9007199254740993",
                                      "0,9007199254740993", "1234567890123456789", "12345678901234567890",
                                      "0,1", "0,3", "2,675", "87,3", "  -45,25  ", "0,0000000000000000001"};
    for (int i = 0; i < 20000; ++i) {
        const int intere = static_cast<int>(caso() % 12);
        const int decimali = static_cast<int>(caso() % 12);
        std::string testo = (caso() % 4 == 0 ? "-" : "") + cifre(intere);
        if (decimali > 0 || intere == 0)
            testo += "," + cifre(decimali == 0 ? 1 : decimali);
        testi.push_back(testo);
    }
    for (const std::string& testo : testi) {
        // The reference: the same number in the one form from_chars takes.
        std::string forma;
        for (char c : testo)
            if (c != ' ' && c != '+')
                forma.push_back(c == ',' ? '.' : c);
        if (forma == "." || forma == "-.")
            continue;
        if (forma.back() == '.')
            forma.pop_back();
        if (forma[0] == '.' || (forma[0] == '-' && forma[1] == '.'))
            forma.insert(forma[0] == '-' ? 1 : 0, "0");
        double atteso = 0;
        std::from_chars(forma.data(), forma.data() + forma.size(), atteso);
        const double letto = LeggiDecimale(testo, ',');
        EXPECT_EQ(std::memcmp(&letto, &atteso, sizeof letto), 0) << testo;
        // The inline reading of the figures takes only some of these forms, with the same value.
        double breve = 0;
        if (DecimaleBreve(testo, ',', breve)) {
            EXPECT_EQ(std::memcmp(&breve, &atteso, sizeof breve), 0) << testo;
        }
    }
    for (const char* testo : {"", ",", "1,2,3", "-1", "+1", " 1", "1 ", "1.5", "1234567890123456", "1e5"}) {
        double breve = 0;
        EXPECT_FALSE(DecimaleBreve(testo, ',', breve)) << testo;
    }
    double quindici = 0;
    EXPECT_TRUE(DecimaleBreve("12345678901234,5", ',', quindici));
    EXPECT_EQ(quindici, 12345678901234.5);
    // A vehicle count already read as a whole number is not read again when it is plain digits; the
    // value, and the failure of a form only the whole-number reading takes, stay those of LeggiDecimale.
    for (const std::string testo : {"0", "-0", "+5", "  12", "007", "2147483647", "-2147483648", "$1A", "0x10", "x7",
                                    "999999999", "000000001"}) {
        const std::int32_t intero = LeggiIntero(testo);
        // The inline reading of counts takes up to nine plain digits only, with the same value.
        std::int32_t semplice = -1;
        const bool soloCifre = testo.find_first_not_of("0123456789") == std::string::npos && testo.size() <= 9;
        EXPECT_EQ(InteroSemplice(testo, semplice), soloCifre) << testo;
        if (soloCifre) {
            EXPECT_EQ(semplice, intero) << testo;
        }
        double atteso = 0;
        std::string errore;
        try {
            atteso = LeggiDecimale(testo, ',');
        } catch (const Errore& e) {
            errore = e.what();
        }
        if (errore.empty()) {
            const double letto = LeggiDecimaleDiIntero(testo, intero, ',');
            EXPECT_EQ(std::memcmp(&letto, &atteso, sizeof letto), 0) << testo;
        } else {
            EXPECT_EQ(MessaggioDi([&] { LeggiDecimaleDiIntero(testo, intero, ','); }), errore) << testo;
        }
    }
    // What the shortcut leaves alone still fails with the general message.
    EXPECT_THROW(LeggiDecimale("1.5", ','), Errore);
    EXPECT_THROW(LeggiDecimale("1,5x", ','), Errore);
    EXPECT_THROW(LeggiDecimale(" ", ','), Errore);
}

// The readings of eight bytes at once give what the byte-by-byte ones give, whatever lies beyond
// the text in its buffer.
TEST(GrandiFile, LettureInParolaComeQuelleSemplici)
{
    std::mt19937 caso(8);
    const std::string alfabeto = "0123456789012345,.- x;";
    for (int prova = 0; prova < 200000; ++prova) {
        std::string buffer(16 + caso() % 14, ' ');
        for (char& c : buffer)
            c = alfabeto[caso() % (prova % 4 == 0 ? alfabeto.size() : 12)];
        const std::string_view testo(buffer.data(), buffer.size() - 16);
        const char separatore = ",.x7"[prova % 4];
        std::int32_t intero = -1, interoAtteso = -1;
        const bool eIntero = InteroInParola(testo, intero);
        ASSERT_EQ(eIntero, InteroSemplice(testo, interoAtteso)) << testo;
        if (eIntero) {
            ASSERT_EQ(intero, interoAtteso) << testo;
        }
        double decimale = -1, decimaleAtteso = -1;
        const bool eDecimale = DecimaleInParola(testo, separatore, decimale);
        ASSERT_EQ(eDecimale, DecimaleBreve(testo, separatore, decimaleAtteso)) << testo << " " << separatore;
        if (eDecimale) {
            ASSERT_EQ(std::memcmp(&decimale, &decimaleAtteso, sizeof decimale), 0) << testo;
        }
    }
}

// Rows added in slices give the figures, and the failure, of rows added one by one.
TEST(GrandiFile, RighePesateComeUnaAllaVolta)
{
    struct Caso
    {
        std::vector<std::string> veicoli, valori;
    };
    std::vector<Caso> casi;
    std::mt19937 caso(9);
    for (int i = 0; i < 40; ++i) {
        Caso c;
        const int righe = static_cast<int>(caso() % 300);
        for (int r = 0; r < righe; ++r) {
            const unsigned genere = caso() % 100;
            c.veicoli.push_back(genere == 0   ? " 5"
                                : genere == 1 ? "-3"
                                : genere == 2 && i % 2 ? "x"
                                : genere == 3 ? "999999999"
                                              : std::to_string(caso() % 1000));
            c.valori.push_back(genere == 4   ? "1e2"
                               : genere == 5 && i % 3 == 0 ? "?"
                                             : std::to_string(caso() % 5000) + "," + std::to_string(caso() % 10));
        }
        casi.push_back(c);
    }
    for (const Caso& c : casi) {
        for (const bool conValore : {true, false}) {
            // Every text in a buffer of its own with room beyond it.
            std::vector<std::string> conMargine;
            std::vector<std::string_view> veicoli, valori;
            for (std::size_t r = 0; r < c.veicoli.size(); ++r) {
                conMargine.push_back(c.veicoli[r] + std::string(16, '7'));
                conMargine.push_back(c.valori[r] + std::string(16, ','));
            }
            for (std::size_t r = 0; r < c.veicoli.size(); ++r) {
                veicoli.emplace_back(conMargine[2 * r].data(), c.veicoli[r].size());
                valori.emplace_back(conMargine[2 * r + 1].data(), c.valori[r].size());
            }
            FigurePesate attese, lette;
            const std::string erroreAtteso = MessaggioDi([&] {
                for (std::size_t r = 0; r < veicoli.size(); ++r)
                    AggiungiRigaPesata(attese, veicoli[r], conValore, valori[r], ',');
            });
            const std::string errore = MessaggioDi([&] {
                AggiungiRighePesate(lette, veicoli.data(), conValore, valori.data(), veicoli.size(), ',');
            });
            EXPECT_EQ(errore, erroreAtteso);
            EXPECT_EQ(lette.totale, attese.totale);
            EXPECT_EQ(std::memcmp(&lette.somma, &attese.somma, sizeof lette.somma), 0);
        }
    }
}

// Sizing a column ahead changes no text, and the byte cap still holds after it.
TEST(GrandiFile, RiservaNonCambiaITesti)
{
    Griglia griglia;
    PreparaGriglia(griglia, 0, 2, false);
    griglia.impostaNumeroRighe(5000);
    for (int r = 0; r < 40; ++r)
        griglia.impostaCella(0, r, std::to_string(r));
    griglia.impostaCella(1, 3, std::string(300, 'x')); // kept on its own
    griglia.impostaCella(0, 7, "riscritta");           // out of order
    griglia.riservaRighe(5000, 1, 7); // a range of columns, clipped to the grid
    griglia.riservaRighe(5000, -3, 1);
    for (int r = 40; r < 5000; ++r)
        griglia.impostaCella(0, r, std::to_string(r));
    for (int r = 0; r < 5000; ++r)
        ASSERT_EQ(griglia.cella(0, r), r == 7 ? "riscritta" : std::to_string(r));
    EXPECT_EQ(griglia.cella(1, 3), std::string(300, 'x'));

    ColonnaGriglia colonna(10);
    colonna.imposta(0, "12345");
    colonna.riserva(100);
    colonna.imposta(1, "67890");
    EXPECT_THROW(colonna.imposta(2, "a"), Errore);
    EXPECT_EQ(colonna.testo(1), "67890");
    EXPECT_EQ(colonna.testo(2), "");
}

// Written a block of rows at a time, the export file holds the very bytes of the whole text: a grid
// wide enough for several blocks, with empty, long, rewritten and non-ASCII cells.
TEST(GrandiFile, EsportazionePerBlocchiComeTestoIntero)
{
    Griglia griglia;
    PreparaGriglia(griglia, 300, 2000, false);
    for (int c = 0; c < griglia.numeroColonne(); ++c) {
        griglia.impostaIntestazione(c, c % 7 == 0 ? "" : "c" + std::to_string(c));
        for (int r = 0; r < griglia.numeroRighe(); ++r)
            if ((r + c) % 5 != 0)
                griglia.impostaCella(c, r, std::to_string(r * c));
    }
    griglia.impostaCella(3, 10, std::string(400, 'l'));
    griglia.impostaCella(5, 200, "citt\xc3\xa0 \xce\xb1"); // a letter of the code page and one outside it
    griglia.impostaCella(1999, 299, "ultima");
    griglia.impostaCella(0, 0, "riscritta");

    const auto percorso = std::filesystem::temp_directory_path() / "marvento-blocchi-test.txt";
    for (const int righe : {300, 0}) {
        griglia.impostaNumeroRighe(righe);
        ScriviTabulato(griglia, percorso.u8string(), 1u << 20); // blocks of 131 rows
        std::ifstream file(percorso, std::ios::binary);
        std::stringstream letto;
        letto << file.rdbuf();
        EXPECT_EQ(letto.str(), TestoTabulato(griglia)) << righe << " rows";
    }
    std::filesystem::remove(percorso);

    Griglia vuota;
    EXPECT_THROW(ScriviTabulato(vuota, percorso.u8string()), Errore);
    EXPECT_FALSE(std::filesystem::exists(percorso));
}

// A run of rows handed to one column in one call: the same texts as cell by cell, and past the last
// row the same failure after the same writes.
TEST(GrandiFile, CelleInBloccoComeUnaAllaVolta)
{
    const std::vector<std::string_view> testi = {"a", "", "ccc", "d"};
    Griglia griglia;
    PreparaGriglia(griglia, 6, 2, false);
    griglia.impostaCella(0, 1, "prima");
    griglia.impostaCelle(0, 1, testi.data(), testi.size());
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(griglia.cella(0, r), r >= 1 && r <= 4 ? testi[static_cast<std::size_t>(r - 1)] : "");
    EXPECT_EQ(MessaggioDi([&] { griglia.impostaCelle(1, 3, testi.data(), testi.size()); }),
              "Row index, 6, out of bounds");
    EXPECT_EQ(griglia.cella(1, 3), "a");
    EXPECT_EQ(griglia.cella(1, 5), "ccc");
    EXPECT_EQ(MessaggioDi([&] { griglia.impostaCelle(2, 0, testi.data(), 1); }), "Column index, 2, out of bounds");
}

// Runs appended at the end of a column, of every length and across the 16-row blocks, some with a
// text too long for the compact buffer or after a row rewritten out of order: the column reads
// as one written a cell at a time.
TEST(GrandiFile, SerieInCodaComeUnaAllaVolta)
{
    std::mt19937 caso(7);
    std::vector<std::string> testi;
    for (int i = 0; i < 2000; ++i)
        testi.push_back(i % 397 == 5 ? std::string(300, 'x') : std::string(caso() % 12, static_cast<char>('a' + i % 26)));
    const int righe = static_cast<int>(testi.size());
    Griglia serie;
    Griglia singole;
    PreparaGriglia(serie, righe, 1, false);
    PreparaGriglia(singole, righe, 1, false);
    std::vector<std::string_view> viste;
    for (int riga = 0; riga < righe;) {
        const int quante = std::min<int>(righe - riga, static_cast<int>(caso() % 40));
        viste.assign(testi.begin() + riga, testi.begin() + riga + quante);
        serie.impostaCelle(0, riga, viste.data(), viste.size());
        for (int i = 0; i < quante; ++i)
            singole.impostaCella(0, riga + i, viste[static_cast<std::size_t>(i)]);
        if (riga == 1000) { // an earlier row rewritten: what follows is not the plain case
            serie.impostaCella(0, 3, "riscritta");
            singole.impostaCella(0, 3, "riscritta");
        }
        riga += quante;
    }
    EXPECT_EQ(Righe(serie), Righe(singole));
}
