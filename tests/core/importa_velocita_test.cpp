#include "ImportaVelocita.h"

#include "Errore.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marvento;

namespace {

// A .mes laid out as real files are: a preamble, the measurement lines, a legend, the header line,
// two sub-header lines and the data, lines ended by CR LF.
std::string FileVelocita(const std::vector<std::string>& misure, const std::string& intestazione,
                         const std::vector<std::string>& dati)
{
    std::string testo = "\r\nRilievo dati (dati aggregati)\r\n\r\nFile:     c:\\rete.inp\r\n"
                        "Commento: prova\r\n\r\n";
    for (const auto& m : misure)
        testo += m + "\r\n";
    testo += "\r\nMisura: Numero della misura\r\nVel: Velocita' [km/h]\r\n\r\n";
    testo += intestazione + "\r\n      ;  ; ;       ;Media;\r\n      ;  ; ;tutti;tutti;\r\n";
    for (const auto& d : dati)
        testo += d + "\r\n";
    return testo;
}

const std::vector<std::string> kDueMisure = {"Misura     1: Sezione(i) di rilievo 12",
                                             "Misura     2: Sezione(i) di rilievo 13"};
const std::string kIntestazione = "Misura;da;a;Veicoli;Vel;";

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

const std::string kTestataRiepilogo = "Misura|Veicoli|Vel [km/h]|Inervallo sim. [s]|Sezione";
const std::string kGrigliaPrecedente = "vecchia\nprima";

struct Griglie
{
    Griglia tabella;
    Griglia riepilogo;
    std::string errore; // empty when the import completed
};

// Both grids start with one column and one row holding "prima", as a previous import would leave
// them; the import's grids replace them only when it succeeds, as in the window.
Griglie Importa(const std::string& testo, char separatore = ',')
{
    Griglie g;
    for (Griglia* griglia : {&g.tabella, &g.riepilogo}) {
        PreparaGriglia(*griglia, 1, 1, false);
        griglia->impostaIntestazione(0, "vecchia");
        griglia->impostaCella(0, 0, "prima");
    }
    try {
        marvento::Griglie nuove = ImportaRighe(DecodificaRighe(testo), TipoFile::Velocita, separatore);
        g.tabella = std::move(nuove.tabella);
        g.riepilogo = std::move(nuove.riepilogo);
    } catch (const Errore& e) {
        g.errore = e.what();
    }
    return g;
}

const std::vector<std::string> kDatiEsempio = {"1;0;300;10;50.0;", "2;0;300;20;40.0;", "1;300;600;30;45.5;",
                                               "2;300;600;0;0.0;"};

// The worked example; file numbers keep "," or "." as the run's separator says.
TEST(ImportaVelocita, EsempioConEntrambiISeparatori)
{
    struct Caso
    {
        char separatore;
        std::string tabella;
        std::string riepilogo;
    };
    const Caso casi[] = {
        {',',
         "Misura|da [s]|a [s]|Veicoli|Vel [km/h]||Misura|Veicoli|Vel [km/h]|\n"
         "1|0|300|10|50,0||2|20|40,0|\n"
         "1|300|600|30|45,5||2|0|0,0|",
         kTestataRiepilogo + "\n1|40|46,625|600,000| 12\n2|20|40,000|600,000| 13"},
        {'.',
         "Misura|da [s]|a [s]|Veicoli|Vel [km/h]||Misura|Veicoli|Vel [km/h]|\n"
         "1|0|300|10|50.0||2|20|40.0|\n"
         "1|300|600|30|45.5||2|0|0.0|",
         kTestataRiepilogo + "\n1|40|46.625|600.000| 12\n2|20|40.000|600.000| 13"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.separatore);
        const Griglie g = Importa(FileVelocita(kDueMisure, kIntestazione, kDatiEsempio), caso.separatore);
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(Contenuto(g.tabella), caso.tabella);
        EXPECT_EQ(Contenuto(g.riepilogo), caso.riepilogo);
        for (int c = 0; c < g.tabella.numeroColonne(); ++c)
            EXPECT_EQ(g.tabella.larghezza(c), 60);
    }
}

// The mean speed is formed in extended precision: 490.77 / 12 lies just below 40.8975.
TEST(ImportaVelocita, MediaPesataInPrecisioneEstesa)
{
    for (const char separatore : {',', '.'}) {
        const Griglie g =
            Importa(FileVelocita({"Misura 1: Sezione(i) di rilievo 1"}, "Misura;da;a;Veicoli;Vel",
                                 {"1;0;300;11;40.07", "1;300;600;1;50.0"}),
                    separatore);
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(std::string(g.riepilogo.cella(2, 0)), separatore == ',' ? "40,897" : "40.897");
    }
}

// The last interval is read whether the file ends on it or on trailing empty or blank lines; with
// two measurements trailing empty lines begin no group.
TEST(ImportaVelocita, RigheFinaliVuoteNonSonoDati)
{
    const std::string unaMisura = "Misura|da [s]|a [s]|Veicoli|Vel [km/h]\n"
                                  "1|0|300|10|50,0\n1|300|600|30|45,5\n1|600|900|0|0,0";
    const std::string riepilogoUna = kTestataRiepilogo + "\n1|40|46,625|900,000| 1";
    const std::vector<std::string> datiUna = {"1;0;300;10;50.0", "1;300;600;30;45.5", "1;600;900;0;0.0"};
    const std::string senzaFine =
        FileVelocita({"Misura 1: Sezione(i) di rilievo 1"}, "Misura;da;a;Veicoli;Vel", datiUna);
    const std::string conEntrambe = FileVelocita(kDueMisure, kIntestazione, kDatiEsempio);
    struct Caso
    {
        std::string nome;
        std::string testo;
        int righe;
    };
    const Caso casi[] = {
        {"una misura, ultima riga senza a capo", senzaFine.substr(0, senzaFine.size() - 2), 3},
        {"una misura, ultima riga con a capo", senzaFine, 3},
        {"una misura, righe vuote e di spazi in fondo", senzaFine + "\r\n   \r\n\r\n", 3},
        {"due misure, due righe vuote in fondo", conEntrambe + "\r\n\r\n", 2},
        {"due misure, una riga di spazi in fondo", conEntrambe + "  ", 2},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const Griglie g = Importa(caso.testo);
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(g.tabella.numeroRighe(), caso.righe);
        if (caso.righe == 3) {
            EXPECT_EQ(Contenuto(g.tabella), unaMisura);
            EXPECT_EQ(Contenuto(g.riepilogo), riepilogoUna);
        }
    }
}

// A group that the file cuts short fails, and so do the data and figures below; the grids of the
// previous import stay as they were.
TEST(ImportaVelocita, ErroriLascianoLeGrigliePrecedenti)
{
    std::vector<std::string> dati = kDatiEsempio;
    dati.push_back("1;600;900;5;30.0;");
    const std::string gruppoCorto = FileVelocita(kDueMisure, kIntestazione, dati);
    const int righeFile = DecodificaRighe(gruppoCorto).conteggio();
    struct Caso
    {
        std::string nome;
        std::string testo;
        std::string errore;
    };
    const Caso casi[] = {
        {"gruppo incompleto", gruppoCorto, "List index out of bounds (" + std::to_string(righeFile) + ")"},
        // Followed by an empty line, the missing line is there but has no fields.
        {"gruppo incompleto con riga vuota", gruppoCorto + "\r\n\r\n", "List index out of bounds (0)"},
        {"riga di dati corta", FileVelocita(kDueMisure, kIntestazione, {"1;0;300;10;50.0;", "2;0;300"}),
         "List index out of bounds (3)"},
        {"riga di misura dopo l'intestazione",
         FileVelocita({"Misura 1: Sezione(i) di rilievo 1"},
                      kIntestazione + "\r\nMisura 2: Sezione(i) di rilievo 2",
                      {"1;0;300;10;50.0;", "2;0;300;20;40.0;"}),
         "Column index, 6, out of bounds"},
        {"veicoli con decimali nella seconda misura",
         FileVelocita(kDueMisure, kIntestazione, {"1;0;300;10;50.0;", "2;0;300;2.5;40.0;"}),
         "'2,5' is not a valid integer value"},
        {"veicoli con spazi in coda",
         FileVelocita(kDueMisure, kIntestazione, {"1;0;300;10 ;50.0;", "2;0;300;2;40.0;"}),
         "'10 ' is not a valid integer value"},
        {"riga di misura senza due punti",
         FileVelocita({"Misura 1: Sezione(i) di rilievo 1", "Misura 2 senza etichetta"}, kIntestazione,
                      {"1;0;300;10;50.0;", "2;0;300;20;40.0;"}),
         "List index out of bounds (1)"},
        {"totale oltre i 32 bit",
         FileVelocita(kDueMisure, kIntestazione,
                      {"1;0;300;10;50.0;", "2;0;300;2000000000;40.0;", "1;300;600;10;50.0;",
                       "2;300;600;2000000000;40.0;"}),
         "Integer overflow"},
        {"totale sotto i 32 bit",
         FileVelocita({"Misura 1: Sezione(i) di rilievo 1"}, kIntestazione,
                      {"1;0;300;-2000000000;50.0;", "1;300;600;-2000000000;50.0;"}),
         "Integer overflow"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const Griglie g = Importa(caso.testo);
        EXPECT_EQ(g.errore, caso.errore);
        EXPECT_EQ(Contenuto(g.tabella), kGrigliaPrecedente);
        EXPECT_EQ(Contenuto(g.riepilogo), kGrigliaPrecedente);
    }
}

// A file that gives no data to split into measurements, or no layout to put them in, is refused
// before either grid is touched.
TEST(ImportaVelocita, FileSenzaIntestazioneOSenzaMisureNonToccaLeGriglie)
{
    const std::string senzaMisure =
        FileVelocita({}, kIntestazione, {"1;0;300;10;50.0;", "1;300;600;30;45.5;"});
    const std::string senzaIntestazione = "Misura 1: Sezione(i) di rilievo 1\r\n1;0;300;10;50.0;\r\n";
    struct Caso
    {
        std::string nome;
        std::string testo;
        std::string errore;
    };
    const Caso casi[] = {
        {"senza intestazione", senzaIntestazione,
         "Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"Misura;\"): "
         "non e' un file di velocita' sezioni"},
        {"file vuoto", "",
         "Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"Misura;\"): "
         "non e' un file di velocita' sezioni"},
        {"dati senza righe di misura", senzaMisure,
         "Il file contiene dati ma nessuna riga di misura (una riga che inizia con \"Misura \"): "
         "i dati non si possono attribuire alle misure"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const Griglie g = Importa(caso.testo);
        EXPECT_EQ(g.errore, caso.errore);
        EXPECT_EQ(Contenuto(g.tabella), kGrigliaPrecedente);
        EXPECT_EQ(Contenuto(g.riepilogo), kGrigliaPrecedente);
    }

    // Without measurement lines and without data nothing is lost: an empty table, five headers.
    const Griglie vuoto = Importa(FileVelocita({}, kIntestazione, {}));
    EXPECT_EQ(vuoto.errore, "");
    EXPECT_EQ(vuoto.tabella.numeroColonne(), 0);
    EXPECT_EQ(Contenuto(vuoto.riepilogo), kTestataRiepilogo);
}

// Layouts that complete: header near the end, two header lines, all-zero vehicles, labels in
// capitals, measurement numbers that do not follow the order.
TEST(ImportaVelocita, CasiCheSiCompletano)
{
    struct Caso
    {
        std::string nome;
        std::string testo;
        std::string tabella; // empty: not checked
        std::string riepilogo;
    };
    const Caso casi[] = {
        {"intestazione fra le ultime righe", FileVelocita(kDueMisure, kIntestazione, {}),
         "Misura|da [s]|a [s]|Veicoli|Vel [km/h]||Misura|Veicoli|Vel [km/h]|",
         kTestataRiepilogo + "\n1|0|0|0,000| 12\n2|0|0|0,000| 13"},
        {"due righe di intestazione",
         FileVelocita({"Misura 1: Sezione(i) di rilievo 1"}, "Misura;x;y;z\r\nnon dati\r\nnon dati",
                      {"Misura;da;a;Vel;Veicoli", "sotto", "sotto", "1;0;60;30.5;4"}),
         "Misura|da [s]|a [s]|Vel [km/h]|Veicoli\n1|0|60|30,5|4",
         kTestataRiepilogo + "\n1|4|30,500|60,000| 1"},
        {"veicoli tutti a zero",
         FileVelocita({"Misura 1: Sezione(i) di rilievo 1"}, kIntestazione,
                      {"1;0;300;0;0.0;", "1;300;600;0;-1;"}),
         "", kTestataRiepilogo + "\n1|0|0|600,000| 1"},
        {"etichetta in maiuscole, numeri di misura diversi",
         FileVelocita({"Misura 1: SEZIONE(I) DI RILIEVO 7 sezione(i) di Rilievo 8: resto"},
                      "Misura;da;a;Veicoli;Vel ", {"9;   0; 300;    10; 50.0", "9; 300; 600;     5; 20"}),
         "Misura|da [s]|a [s]|Veicoli|Vel \n9|   0| 300|    10| 50,0\n9| 300| 600|     5| 20",
         kTestataRiepilogo + "\n1|15||600,000| 7 8"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const Griglie g = Importa(caso.testo);
        EXPECT_EQ(g.errore, "");
        if (!caso.tabella.empty()) {
            EXPECT_EQ(Contenuto(g.tabella), caso.tabella);
        }
        EXPECT_EQ(Contenuto(g.riepilogo), caso.riepilogo);
    }
}

// Files that count vehicles only, or give no vehicle column at all, still import: the figures that
// need the missing column stay empty, the interval and the labels are written.
TEST(ImportaVelocita, ColonneMancantiLascianoVuotiIValori)
{
    struct Caso
    {
        std::string intestazione;
        std::string riepilogo;
    };
    const Caso casi[] = {
        {"Misura;da;a;Veicoli;Occ;", kTestataRiepilogo + "\n1|40||600,000| 12\n2|20||600,000| 13"},
        {"Misura;da;a;Conteggio;Vel;", kTestataRiepilogo + "\n1|||600,000| 12\n2|||600,000| 13"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.intestazione);
        const Griglie g = Importa(FileVelocita(kDueMisure, caso.intestazione, kDatiEsempio));
        EXPECT_EQ(g.errore, "");
        EXPECT_EQ(g.tabella.numeroRighe(), 2);
        EXPECT_EQ(Contenuto(g.riepilogo), caso.riepilogo);
    }
}

// A header and measurement lines that would make an absurd table are refused up front.
TEST(ImportaVelocita, TabellaTroppoGrandeRifiutata)
{
    std::vector<std::string> misure(1001, "Misura 1: Sezione(i) di rilievo 1");
    std::string intestazione = "Misura;da;a";
    for (int i = 0; i < 997; ++i)
        intestazione += ";v";
    const Griglie g = Importa(FileVelocita(misure, intestazione, {}));
    EXPECT_EQ(g.errore.rfind("Il file descrive una tabella troppo grande: 1001000 colonne", 0), 0u)
        << g.errore;
    EXPECT_EQ(Contenuto(g.tabella), kGrigliaPrecedente);
    EXPECT_EQ(Contenuto(g.riepilogo), kGrigliaPrecedente);
}

// The example shipped with the program imports whole: three measurements of eight intervals.
TEST(ImportaVelocita, FileDiEsempio)
{
    Griglia tabella;
    Griglia riepilogo;
    ImportaVelocita(CaricaRighe(MARVENTO_EXAMPLES_DIR "/esempio.mes"), tabella, riepilogo, ',');
    EXPECT_EQ(tabella.numeroRighe(), 8);
    EXPECT_EQ(tabella.numeroColonne(), 8 + 2 * 6);
    EXPECT_EQ(riepilogo.numeroRighe(), 3);
    EXPECT_EQ(std::string(riepilogo.cella(3, 2)), "2400,000");
    EXPECT_EQ(std::string(riepilogo.cella(4, 2)), " 5");
}

} // namespace
