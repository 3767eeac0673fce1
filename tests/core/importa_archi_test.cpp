#include "ImportaArchi.h"

#include "Errore.h"
#include "Importazione.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marvento;

namespace {

// A .rsz laid out as the classic files are: seven preamble lines, the section lines, a blank line,
// the header line and three sub-header lines, so that the data start at line p + 12.
std::string FileArchi(const std::vector<std::string>& sezioni, const std::string& intestazione,
                      const std::vector<std::string>& dati)
{
    std::string testo = "\nTabella dei tempi di percorrenza\n\nFile:     c:\\rete.inp\n"
                        "Commento: prova\nData:     1 marzo 2021 08:00:00\n\n";
    for (const auto& s : sezioni)
        testo += s + "\n";
    testo += "\n" + intestazione + "\n  ClasseV;  Tutti;;\n  Num.:;     1;   1;\n Nome;a;a;\n";
    for (const auto& d : dati)
        testo += d + "\n";
    return testo;
}

std::string Sezione(int numero, const std::string& distanza)
{
    return "Num. " + std::to_string(numero) + " (Via " + std::to_string(numero) +
           "): da arco 1 a 1.5 m ad arco 2 a 30.6 m, " + distanza;
}

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

const std::string kTestataRiepilogo =
    "Sezione|Lunghezza [m]|TempoMedio [s]|Veicoli|Lung.Arco Reale|Tempo Corretto";

struct Griglie
{
    Griglia tabella;
    Griglia riepilogo;
    std::string errore; // empty when the import completed
};

// Imports into grids that hold a previous table, so that an untouched grid shows.
Griglie Importa(const std::string& file, char separatore = ',',
                const ParoleArchi& parole = ParoleArchiItaliano())
{
    Griglie g;
    for (Griglia* x : {&g.tabella, &g.riepilogo}) {
        PreparaGriglia(*x, 1, 1, false);
        x->impostaIntestazione(0, "prima");
        x->impostaCella(0, 0, "vecchio");
    }
    // The import's grids replace the previous ones only when it succeeds, as in the window.
    try {
        Griglia tabella;
        Griglia riepilogo;
        ImportaArchi(DecodificaRighe(file), tabella, riepilogo, separatore, parole);
        g.tabella = std::move(tabella);
        g.riepilogo = std::move(riepilogo);
    } catch (const Errore& e) {
        g.errore = e.what();
    }
    return g;
}

const std::string kIntatta = "prima\nvecchio";

TEST(ImportaArchi, UnaSezioneConEntrambiISeparatori)
{
    const std::string file =
        FileArchi({Sezione(1, "Distanza  512.3 m")}, "Intervallo;  TdP;#Veic.;", {"   600;  75.3;  45;"});
    struct Caso
    {
        char sep;
        const char* tabella;
        const char* riepilogo;
    };
    for (const Caso& caso : {Caso{',', "600|1|75,3|45", "1|512,3|75,300|45||"},
                             Caso{'.', "600|1|75.3|45", "1|512.3|75.300|45||"}}) {
        SCOPED_TRACE(caso.sep);
        const Griglie g = Importa(file, caso.sep);
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(Contenuto(g.tabella),
                  std::string("Intervallo [s]|Sezione|TdP [s]|Veicoli\n") + caso.tabella);
        EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n" + caso.riepilogo);
        for (int c = 0; c < g.tabella.numeroColonne(); ++c) {
            EXPECT_EQ(g.tabella.larghezza(c), 60);
            EXPECT_FALSE(g.tabella.solaLettura(c));
        }
    }
}

TEST(ImportaArchi, TreSezioniPesateSulNumeroDiVeicoli)
{
    // Line 14 (" Nome;...") would fail as a data line: the data start at line 15.
    const Griglie g = Importa(FileArchi(
        {Sezione(7, "Distanza  512.3 m"), Sezione(3, "Distanza   95.4 m"), Sezione(9, "Distanza  200.0 m")},
        "Intervallo;  TdP;#Veic.;  TdP;#Veic.;  TdP;#Veic.;",
        {"   600;  40.0;  10;  12.5;   3; 100.0;   0;", "  1200;  50.0;  30;  10.0;   1;   0.0;   0;"}));
    EXPECT_EQ(g.errore, "");
    EXPECT_EQ(Contenuto(g.tabella),
              "Intervallo [s]|Sezione|TdP [s]|Veicoli|Sezione|TdP [s]|Veicoli|Sezione|TdP [s]|Veicoli\n"
              "600|1|40,0|10|2|12,5|3|3|100,0|0\n"
              "1200|1|50,0|30|2|10,0|1|3|0,0|0");
    // (40*10 + 50*30) / 40 = 47.5; (12.5*3 + 10*1) / 4 = 11.875; no vehicles: "0", not "0,000".
    EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n1|512,3|47,500|40||"
                                                          "\n2|95,4|11,875|4||"
                                                          "\n3|200,0|0|0||");
}

TEST(ImportaArchi, SenzaRigheDiDati)
{
    const Griglie g = Importa(FileArchi({Sezione(1, "Distanza  512.3 m"), Sezione(2, "Distanza  80.0 m")},
                                        "Intervallo;TdP;#Veic.;TdP;#Veic.;", {}));
    EXPECT_EQ(g.errore, "");
    EXPECT_EQ(Contenuto(g.tabella), "Intervallo [s]|Sezione|TdP [s]|Veicoli|Sezione|TdP [s]|Veicoli");
    EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n1|512,3|0|0||\n2|80,0|0|0||");
}

TEST(ImportaArchi, NomiDiColonnaDellUltimaSezioneEAltriNomi)
{
    // s = (7 - 2) div 2 = 2: the names are the last section's two fields, used for every block;
    // a name other than the two known ones is shown without its spaces and "#".
    const Griglie g = Importa(FileArchi({Sezione(1, "Distanza 10.0 m"), Sezione(2, "Distanza 20.0 m")},
                                        "Intervallo;  X;#Y;Z; Ritardo;#Veic.;", {"600;1;2;3;4;"}));
    EXPECT_EQ(g.errore, "");
    EXPECT_EQ(Contenuto(g.tabella),
              "Intervallo [s]|Sezione|Ritardo|Veicoli|Sezione|Ritardo|Veicoli\n600|1|1|2|2|3|4");
    EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n1|10,0||2||\n2|20,0||4||");
}

TEST(ImportaArchi, UnaSecondaRigaIntervalloELettaComeDati)
{
    const Griglie g = Importa(FileArchi({Sezione(1, "Distanza 10.0 m")}, "Intervallo;TdP;#Veic.;",
                                        {"600;75.3;45;", "Intervallo;TdP;#Veic.;"}));
    // The line is data, whose vehicles do not read.
    EXPECT_EQ(g.errore, "'#Veic,' is not a valid integer value");
    EXPECT_EQ(Contenuto(g.tabella), kIntatta);
}

TEST(ImportaArchi, LunghezzaDopoLUltimaParolaDistanza)
{
    struct Caso
    {
        const char* riga;
        char sep;
        const char* lunghezza;
    };
    const Caso casi[] = {
        {"Num.   1 (A): da arco 1 a 1.5 m ad arco 2 a 3.0 m, Distanza  512.3 m", ',', "512,3"},
        {"Num.   1 (A): da arco 1 a 1.5 m ad arco 2 a 3.0 m, Distanza 1066.6 m", ',', "1066,6"},
        {"Num.   1 (A): da arco 1 a 1.5 m ad arco 2 a 3.0 m, Distanza 1066.6 m", '.', "1066.6"},
        // the comma before the word is gone once the position reaches 1000
        {"Num.   1 (A): da arco 1 a 21.1 m ad arco 1 a 3717.8 mDistanza 3696.7 m", ',', "3696,7"},
        {"Num.   1 (Distanza nota): da arco 1, DISTANZA  12.5 m", ',', "12,5"},
        {"Num.   1 (A): da arco 1, Distanza 12.5 M", ',', "12,5M"},
        // without the word: field 1, as written
        {"Num.   1 (A): inizio, 12.5 m", ',', "12,5"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.riga);
        const Griglie g = Importa(FileArchi({caso.riga}, "Intervallo;TdP;#Veic.;", {}), caso.sep);
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(g.riepilogo.cella(1, 0), caso.lunghezza);
    }
}

TEST(ImportaArchi, RigheDiDatiVuoteEUltimoCarattere)
{
    // Blank lines anywhere among the data are no intervals; only a final ";" is dropped.
    const Griglie g = Importa(FileArchi({Sezione(1, "Distanza 10.0 m")}, "Intervallo;TdP;#Veic.;",
                                        {"600;75.3;45;", "", "   ", "1200;80.0;15", "", "    "}));
    EXPECT_EQ(g.errore, "");
    EXPECT_EQ(Contenuto(g.tabella), "Intervallo [s]|Sezione|TdP [s]|Veicoli\n600|1|75,3|45\n1200|1|80,0|15");
    EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n1|10,0|76,475|60||");
}

TEST(ImportaArchi, IDatiInizianoQuattroRigheDopoLIntestazione)
{
    // A version line in the preamble moves the header one line down; the fixed start would
    // land on the " Nome;" line.
    std::string file = FileArchi({Sezione(1, "Distanza 10.0 m")}, "Intervallo;TdP;#Veic.;", {"600;75.3;45;"});
    file.insert(file.find("\nNum."), "\nVersione: 5.40-08 [38878]");
    const Griglie g = Importa(file);
    EXPECT_EQ(g.errore, "");
    EXPECT_EQ(Contenuto(g.tabella), "Intervallo [s]|Sezione|TdP [s]|Veicoli\n600|1|75,3|45");

    // A header line early in the file leaves the start at p + 12.
    std::string presto = "Intervallo;TdP;#Veic.;\n" + Sezione(1, "Distanza 10.0 m") + "\n";
    for (int r = 2; r < 13; ++r)
        presto += "preambolo\n";
    presto += "600;75.3;45;\n";
    EXPECT_EQ(Contenuto(Importa(presto).tabella), "Intervallo [s]|Sezione|TdP [s]|Veicoli\n600|1|75,3|45");
}

TEST(ImportaArchi, ColonneMancantiLascianoVuotiIValori)
{
    struct Caso
    {
        const char* intestazione;
        const char* tabella;
        const char* riepilogo;
    };
    const Caso casi[] = {
        {"Intervallo;Ritardo;#Veic.;", "Intervallo [s]|Sezione|Ritardo|Veicoli\n600|1|7,5|45",
         "1|10,0||45||"},
        {"Intervallo;TdP;Ritardo;", "Intervallo [s]|Sezione|TdP [s]|Ritardo\n600|1|7,5|45", "1|10,0||||"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.intestazione);
        const Griglie g =
            Importa(FileArchi({Sezione(1, "Distanza 10.0 m")}, caso.intestazione, {"600;7.5;45;"}));
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(Contenuto(g.tabella), caso.tabella);
        EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n" + caso.riepilogo);
    }
}

TEST(ImportaArchi, IFallimentiLascianoLeGrigliePrecedenti)
{
    struct Caso
    {
        const char* nome;
        std::string file;
        const char* errore;
    };
    const std::string sez1 = Sezione(1, "Distanza 10.0 m");
    const std::string sez2 = Sezione(2, "Distanza 20.0 m");
    const std::string due = "Intervallo;TdP;#Veic.;TdP;#Veic.;";
    const Caso casi[] = {
        {"nessuna riga di intestazione", FileArchi({sez1}, "Tempo;TdP;#Veic.;", {"600;75.3;45;"}),
         "Il file non contiene la riga di intestazione delle colonne (una riga che inizia con "
         "\"Intervallo;\"): non e' un file di tempi archi"},
        {"intestazione senza sezioni", FileArchi({}, "Intervallo;TdP;#Veic.;", {"600;75.3;45;"}),
         "Division by zero"},
        {"sezione senza virgola e senza lunghezza", FileArchi({sez1, "Num. 2 senza campi", sez2}, due, {}),
         "List index out of bounds (1)"},
        {"riga di dati corta", FileArchi({sez1, sez2}, due, {"600;75.3;45;80.0;4;", "1200;80.0;15;81.0;"}),
         "List index out of bounds (4)"},
        {"riga di dati fatta di un solo ';'", FileArchi({sez1}, "Intervallo;TdP;#Veic.;", {";"}),
         "List index out of bounds (0)"},
        {"veicoli con decimali", FileArchi({sez1, sez2}, due, {"600;75.3;45;80.0;4.5;"}),
         "'4,5' is not a valid integer value"},
        {"tempo vuoto", FileArchi({sez1, sez2}, due, {"600;;45;80.0;4;"}),
         "'' is not a valid floating point value"},
        {"totale di veicoli oltre 32 bit",
         FileArchi({sez1, sez2}, due, {"600;1;5;1;2147483647;", "1200;1;5;1;1;"}), "Integer overflow"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const Griglie g = Importa(caso.file);
        EXPECT_EQ(g.errore, caso.errore);
        EXPECT_EQ(Contenuto(g.tabella), kIntatta);
        EXPECT_EQ(Contenuto(g.riepilogo), kIntatta);
    }
}

TEST(ImportaArchi, RifiutaUnaTabellaAssurdaPrimaDiToccareLeGriglie)
{
    // 10,002 columns by 10,000 intervals is beyond the bound; the file itself is small.
    std::string intestazione = "Intervallo;";
    for (int i = 0; i < 10'000; ++i)
        intestazione += "x;";
    const Griglie g = Importa(
        FileArchi({Sezione(1, "Distanza 10.0 m")}, intestazione, std::vector<std::string>(10'000, "1;")));
    EXPECT_EQ(g.errore, "Il file descrive una tabella troppo grande: 10002 colonne per 10000 intervalli "
                        "(al massimo 1000000 colonne e 100000000 celle)");
    EXPECT_EQ(Contenuto(g.tabella), kIntatta);
    EXPECT_EQ(Contenuto(g.riepilogo), kIntatta);
}

TEST(ImportaArchi, UnaTabellaDiParoleDiversaLeggeLoStessoFile)
{
    // The header of these files stands after leading blanks.
    ParoleArchi parole;
    parole.rigaSezione = "No.";
    parole.parolaLunghezza = "Distance";
    parole.rigaIntestazione = "Time;";
    parole.rigaIntestazioneDopoSpazi = true;
    parole.nomeTempo = "Trav";
    parole.nomeVeicoli = "Veh";
    const std::string file = "\nTable of Travel Times\n\nFile:     x.inp\nComment:  \nDate:     today\n"
                             "Version:  5.40-08\n\n"
                             "No.  101 (A): from link 1 at 1.7 m to link 2 at 30.6 m, Distance 1066.6 m\n\n"
                             "  Time;  Trav;#Veh;\n  VehC;  All;;\n  No.:;   101; 101;\n Name;A;A;\n"
                             "  7200; 682.7;  63; \n";
    const Griglie g = Importa(file, ',', parole);
    EXPECT_EQ(g.errore, "");
    EXPECT_EQ(Contenuto(g.tabella), "Intervallo [s]|Sezione|TdP [s]|Veicoli\n7200|1|682,7|63");
    EXPECT_EQ(Contenuto(g.riepilogo), kTestataRiepilogo + "\n1|1066,6|682,700|63||");
}

TEST(ImportaArchi, FileDiEsempio)
{
    Griglia tabella;
    Griglia riepilogo;
    ImportaArchi(CaricaRighe(MARVENTO_EXAMPLES_DIR "/esempio.rsz"), tabella, riepilogo, ',');
    EXPECT_EQ(tabella.numeroColonne(), 10);
    EXPECT_EQ(tabella.numeroRighe(), 6);
    EXPECT_EQ(Contenuto(riepilogo), kTestataRiepilogo + "\n1|512,3|50,819|235||"
                                                        "\n2|1066,6|100,750|70||"
                                                        "\n3|95,4|10,951|296||");
}

} // namespace
