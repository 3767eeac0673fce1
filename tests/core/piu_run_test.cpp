#include "Diagramma.h"
#include "Errore.h"
#include "Grafico.h"
#include "Importazione.h"

#include "RigheGriglia.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace marvento;
namespace fs = std::filesystem;

namespace {

using prova::Intestazioni;
using prova::Riga;
using prova::RigaDi;

// Two measurements with numbers of their own (17 and 20), two intervals; the second of 20 in the
// first run counted no vehicle.
std::string Mes(const std::string& dati, const std::string& intestazione = "Misura;da;a;Veicoli;Vel;")
{
    return "Rilievo dati (dati aggregati)\n\n"
           "Misura    17: Sezione(i) di rilievo 3 4\n"
           "Misura    20: Sezione(i) di rilievo 5\n\n" +
           intestazione + "\n      ;  ; ;       ;Media;\n      ;  ; ;tutti;tutti;\n" + dati;
}

const std::string kMes1 = Mes("17;   0; 300;     10; 50.0;\n20;   0; 300;      4; 30.0;\n"
                              "17; 300; 600;     30; 60.0;\n20; 300; 600;      0;  0.0;\n");
const std::string kMes2 = Mes("17;   0; 300;     20; 40.0;\n20;   0; 300;      6; 20.0;\n"
                              "17; 300; 600;     20; 70.0;\n20; 300; 600;      2; 10.0;\n");

// Two sections numbered 101 and 102; the section line cuts the second name, the names line has it whole.
std::string Rsz(const std::string& dati)
{
    return "\nTabella dei tempi di percorrenza\n\nFile:     c:\\rete.inp\nCommento: prova\nData:     oggi\n\n"
           "Num. 101 (Via Roma NB         ): da arco   140 a    1.7 m ad arco  1253 a   30.6 m, Distanza  "
           "512.3 m\n"
           "Num. 102 (Tangenziale Est S..): da arco  1227 a    3.3 m ad arco   368 a   73.5 m, Distanza "
           "1066.6 m\n"
           "\nIntervallo;  TdP;#Veic.;  TdP;#Veic.;\n  ClasseV;  Tutti;;       Tutti;;\n"
           "  Num.:;     101;   101;     102;   102;\n"
           " Nome;Via Roma NB;Via Roma NB;Tangenziale Est Sud;Tangenziale Est Sud;\n" +
           dati;
}

const std::string kRsz1 = Rsz("   600;  48.2;  35;  98.7;  12;\n  1200;  50.1;  41; 101.3;  15;\n");
const std::string kRsz2 = Rsz("   600;  60.0;  20;   0.0;   0;\n  1200;  40.0;  30; 100.0;  10;\n");

class PiuRun : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        cartella = fs::temp_directory_path() /
                   ("marvento-piu-run-" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(cartella);
        fs::create_directories(cartella);
    }
    void TearDown() override { fs::remove_all(cartella); }

    std::string Scrivi(const std::string& nome, const std::string& testo) const
    {
        const fs::path percorso = cartella / nome;
        std::ofstream(percorso, std::ios::binary) << testo;
        return percorso.string();
    }

    std::string MessaggioDi(const std::vector<std::string>& file, TipoFile tipo) const
    {
        try {
            ImportaFile(file, tipo, ',');
        } catch (const Errore& e) {
            return e.what();
        }
        return "(nessun errore)";
    }

    fs::path cartella;
};

} // namespace

TEST_F(PiuRun, VelocitaUnaTabellaDiTuttiIRunEFigureInsieme)
{
    const Griglie g = ImportaFile({Scrivi("scenario_01.mes", kMes1), Scrivi("scenario_02.mes", kMes2)},
                                  TipoFile::Velocita, ',');

    EXPECT_EQ(Intestazioni(g.tabella), (Riga{"Run", "Misura", "da [s]", "a [s]", "Veicoli", "Vel [km/h]", "",
                                             "Misura", "Veicoli", "Vel [km/h]", ""}));
    ASSERT_EQ(g.tabella.numeroRighe(), 4);
    EXPECT_EQ(RigaDi(g.tabella, 0),
              (Riga{"01", "17", "   0", " 300", "     10", " 50,0", "", "20", "      4", " 30,0", ""}));
    EXPECT_EQ(RigaDi(g.tabella, 3),
              (Riga{"02", "17", " 300", " 600", "     20", " 70,0", "", "20", "      2", " 10,0", ""}));

    // Pooled by hand: measurement 17 has 80 vehicles over both runs and 4500 vehicle-km/h, 40 per
    // run; measurement 20 has 12 and 260, its empty interval weighing nothing. The runs' own means
    // are 57.5 and 55 (17), 30 and 17.5 (20).
    EXPECT_EQ(Intestazioni(g.riepilogo),
              (Riga{"Misura", "Veicoli", "Vel [km/h]", "Inervallo sim. [s]", "Sezione", "Run validi", "Media",
                    "Dev. std", "Minimo", "Massimo", "Semiampiezza IC", "Run necessari", "Numero", "Nome"}));
    ASSERT_EQ(g.riepilogo.numeroRighe(), 2);
    Riga prima = RigaDi(g.riepilogo, 0);
    Riga seconda = RigaDi(g.riepilogo, 1);
    EXPECT_FALSE(prima[11].empty());
    prima[11] = seconda[11] = "";
    EXPECT_EQ(prima, (Riga{"1", "40,000", "56,250", "600,000", " 3 4", "2", "56,250", "1,768", "55,000",
                           "57,500", "15,883", "", "17", "Sezione(i) di rilievo 3 4"}));
    EXPECT_EQ(seconda, (Riga{"2", "6,000", "21,667", "600,000", " 5", "2", "23,750", "8,839", "17,500",
                             "30,000", "79,414", "", "20", "Sezione(i) di rilievo 5"}));
}

TEST_F(PiuRun, TempiDiPercorrenzaInsiemeConINomiInteriESiCorreggono)
{
    Griglie g = ImportaFile({Scrivi("a_1.rsz", kRsz1), Scrivi("a_2.rsz", kRsz2)}, TipoFile::Archi, ',');

    EXPECT_EQ(Intestazioni(g.tabella), (Riga{"Run", "Intervallo [s]", "Sezione", "TdP [s]", "Veicoli",
                                             "Sezione", "TdP [s]", "Veicoli"}));
    EXPECT_EQ(RigaDi(g.tabella, 2), (Riga{"2", "600", "1", "60,0", "20", "2", "0,0", "0"}));

    // 101: 3741.1 + 2400 over 126 vehicles, 63 per run; 102: 2703.9 + 1000 over 37, 18.5 per run.
    ASSERT_EQ(g.riepilogo.numeroRighe(), 2);
    const auto primeSei = [&](int r) {
        const Riga riga = RigaDi(g.riepilogo, r);
        return Riga(riga.begin(), riga.begin() + 6);
    };
    EXPECT_EQ(primeSei(0), (Riga{"1", "512,3", "48,739", "63,000", "", ""}));
    EXPECT_EQ(primeSei(1), (Riga{"2", "1066,6", "100,105", "18,500", "", ""}));
    const int numero = g.riepilogo.numeroColonne() - 2;
    EXPECT_EQ(g.riepilogo.cella(numero, 0), "101");
    EXPECT_EQ(g.riepilogo.cella(numero + 1, 0), "Via Roma NB");
    EXPECT_EQ(g.riepilogo.cella(numero + 1, 1), "Tangenziale Est Sud");

    // The correction works on the pooled mean as on one file's.
    g.riepilogo.impostaCella(riepilogo_archi::kLunghezzaReale, 0, "1024,6");
    g.riepilogo.impostaCella(riepilogo_archi::kLunghezzaReale, 1, "1066,6");
    CorreggiTempi(g.riepilogo, ',', [](const std::string& m) { ADD_FAILURE() << m; });
    EXPECT_EQ(g.riepilogo.cella(riepilogo_archi::kTempoCorretto, 0), "97,478");
    EXPECT_EQ(g.riepilogo.cella(riepilogo_archi::kTempoCorretto, 1), "100,105");
}

TEST_F(PiuRun, UnFileSoloDaNumeroENomeDelleRigheSenzaCambiareLeGriglie)
{
    const std::string percorso = Scrivi("una.rsz", kRsz1);
    const Griglie g = ImportaFile(std::vector<std::string>{percorso}, TipoFile::Archi, ',');
    EXPECT_EQ(g.riepilogo.numeroColonne(), riepilogo_archi::kColonne);
    ASSERT_EQ(g.righe.size(), 2u);
    EXPECT_EQ(g.righe[1].numero, "102");
    EXPECT_EQ(g.righe[1].nome, "Tangenziale Est Sud");

    // Without a names line the section line's own, shortened name.
    std::string senzaNomi = kRsz1;
    const std::size_t nomi = senzaNomi.find(" Nome;");
    senzaNomi.replace(nomi, senzaNomi.find('\n', nomi) - nomi, "");
    const Griglie h = ImportaFile(Scrivi("senza-nomi.rsz", senzaNomi), TipoFile::Archi, ',');
    EXPECT_EQ(h.righe[1].nome, "Tangenziale Est S..");
    EXPECT_EQ(ImportaFile(Scrivi("m.mes", kMes1), TipoFile::Velocita, ',').righe[1].numero, "20");
}

TEST_F(PiuRun, FileCheNonVannoInsiemeSonoRifiutatiNominandoli)
{
    const std::string uno = Scrivi("r1.mes", kMes1);
    const std::string manca = (cartella / "manca.mes").string();
    const std::string archi = Scrivi("r2.rsz", kRsz1);
    const std::string unaMisura = Scrivi("r3.mes", "Misura     1: Sezione(i) di rilievo 1\n\n"
                                                   "Misura;da;a;Veicoli;Vel;\n;\n;\n1;0;300;5;40.0;\n");
    const std::string altreColonne =
        Scrivi("r4.mes", Mes("17;0;300;10;50.0;2;\n20;0;300;4;30.0;3;\n", "Misura;da;a;Veicoli;Vel;Occ;"));
    const auto tra = [](const std::string& testo) { return "\"" + testo + "\""; };
    const struct
    {
        std::vector<std::string> file;
        std::string messaggio;
    } casi[] = {
        {{uno, archi},
         "I file " + tra(uno) + " e " + tra(archi) +
             " non sono dello stesso tipo: i run di uno scenario sono tutti .mes o tutti .rsz"},
        {{uno, manca},
         "Il file " + tra(manca) + " non si puo' importare: Cannot open file " + tra(manca) +
             ". No such file or directory."},
        {{uno, unaMisura},
         "Il numero di misure del file " + tra(unaMisura) + " e del file " + tra(uno) +
             " e' diverso (1 invece di 2)"},
        {{uno, altreColonne},
         "Il numero di colonne del file " + tra(altreColonne) + " e del file " + tra(uno) +
             " e' diverso (12 invece di 10)"},
        {{}, "Nessun file da importare"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.messaggio);
        EXPECT_EQ(MessaggioDi(caso.file, TipoFile::Velocita), caso.messaggio);
    }
}

TEST(EtichetteRun, IlNumeroInFondoAlNomeOppureLaPosizione)
{
    const struct
    {
        std::vector<std::string> file;
        std::vector<std::string> etichette;
    } casi[] = {
        {{"/a/rete_01.mes", "/a/rete_02.mes", "/a/rete_10.mes"}, {"01", "02", "10"}},
        {{"seme7.rsz", "seme12.RSZ"}, {"7", "12"}},
        {{"/a/rete_1.mes", "/a/rete.mes"}, {"1", "2"}},   // one without a number
        {{"/a/x/r_1.mes", "/a/y/r_1.mes"}, {"1", "2"}},   // the same number twice
        {{"/a/9/rete.mes", "/a/8/rete.mes"}, {"1", "2"}}, // a folder's number is not the file's
    };
    for (const auto& caso : casi)
        EXPECT_EQ(EtichetteRun(caso.file), caso.etichette) << caso.file.front();
}

TEST_F(PiuRun, IlGraficoHaUnaLineaPerRunELaLoroMedia)
{
    const Griglie g =
        ImportaFile({Scrivi("s_1.mes", kMes1), Scrivi("s_2.mes", kMes2)}, TipoFile::Velocita, ',');
    ModelloGrafico modello;
    ASSERT_EQ(Disegna(modello, g.tabella, std::string("17"), std::string("Vel [km/h]"), ','),
              EsitoDisegno::Disegnato);
    ASSERT_EQ(modello.serieRun.size(), 2u);
    EXPECT_EQ(modello.serieRun[0].titolo(), "1");
    EXPECT_EQ(modello.serieRun[1].titolo(), "2");
    ASSERT_EQ(modello.serieRun[1].punti().size(), 2u);
    EXPECT_EQ(modello.serieRun[1].punti()[1].x, 600.0);
    EXPECT_EQ(modello.serieRun[1].punti()[1].y, 70.0);
    ASSERT_EQ(modello.serie.punti().size(), 2u);
    EXPECT_EQ(modello.serie.punti()[0].y, 45.0); // (50 + 40) / 2 at 300 s
    EXPECT_EQ(modello.serie.punti()[1].y, 65.0);
    EXPECT_EQ(modello.serie.titolo(), "Media");

    // One file: one line, as ever.
    const Griglie uno = ImportaFile(Scrivi("solo.mes", kMes1), TipoFile::Velocita, ',');
    Disegna(modello, uno.tabella, std::string("17"), std::string("Vel [km/h]"), ',');
    EXPECT_TRUE(modello.serieRun.empty());
    EXPECT_EQ(modello.serie.punti().size(), 2u);
}
