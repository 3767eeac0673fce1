#include "Diagramma.h"
#include "Errore.h"
#include "Grafico.h"
#include "ImportaLista.h"
#include "Importazione.h"
#include "Testo.h"

#include "RigheGriglia.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace marvento;
namespace fs = std::filesystem;

namespace {

using namespace prova;

Griglie Leggi(const std::string& testo, TipoFile tipo, char separatore = ',')
{
    return ImportaLista(DecodificaRighe(testo), tipo, separatore);
}

const std::string kTestaTempi = "$VISION\n* File:\t\tC:\\rete.inpx\n* PTV Vissim:\t11.00 [14]\n*\n"
                                "* Table: Vehicle Travel Time Results\n*\n"
                                "* DISTTRAV(ALL): DistTrav(All), Distance traveled (All) [ft]\n*\n";
const std::string kColonneTempi =
    "$VEHICLETRAVELTIMEMEASUREMENTEVALUATION:SIMRUN;TIMEINT;VEHICLETRAVELTIMEMEASUREMENT;"
    "VEHICLETRAVELTIMEMEASUREMENT\\NAME;VEHS(ALL);TRAVTM(ALL);DISTTRAV(ALL)\n";

// Two sections numbered 1017 and 1018, two intervals written out of order; 1018 counted no
// vehicle in the first, and its length comes from the second.
const std::string kTempi = kTestaTempi + kColonneTempi +
                           "1;900-1800;1017;Via Roma nord ;31;61.40;1487.74\n"
                           "1;0-900;1017;Via Roma nord ;20;56.12;1487.74\n"
                           "1;0-900;1018;Via Roma sud;0;;\n"
                           "1;900-1800;1018;Via Roma sud;10;70.00;900.50\n"
                           "AVG;0-900;1017;Via Roma nord ;22;57.51;1487.74\n"
                           "STDDEV;0-900;1017;Via Roma nord ;;;\n";

// Two runs of two measurements (5 and 7), columns in an order of their own, no description lines,
// a harmonic mean and a vehicle class; a short last interval.
const std::string kVelocita =
    "$VISION\n* Table: Data Collection Results\n*\n"
    "$DATACOLLECTIONMEASUREMENTEVALUATION:VEHS(ALL);SPEEDAVGHARM(ALL);TIMEINT;DATACOLLECTIONMEASUREMENT;"
    "SIMRUN;"
    "SPEEDAVGARITH(ALL);VEHS(10)\n"
    "10;48.00;0-900;5;1;50.00;9\n0;;0-900;7;1;;0\n30;59.00;900-1801;5;1;60.00;25\n4;20.00;900-1801;7;1;30.00;"
    "4\n"
    "20;40.00;0-900;5;2;40.00;20\n6;20.00;0-900;7;2;20.00;5\n20;70.00;900-1801;5;2;70.00;18\n"
    "2;10.00;900-1801;7;2;10.00;2\n"
    "15;50.00;0-900;5;MAX;55.00;14\n\n";

TEST(ImportaLista, TempiDiUnRunNelleTabelleDiUnFileRsz)
{
    const Griglie g = Leggi(kTempi, TipoFile::Archi);
    EXPECT_EQ(Intestazioni(g.tabella),
              (Riga{"Intervallo [s]", "Sezione", "TdP [s]", "Veicoli", "Distanza [ft]", "Sezione", "TdP [s]",
                    "Veicoli", "Distanza [ft]"}));
    ASSERT_EQ(g.tabella.numeroRighe(), 2);
    EXPECT_EQ(RigaDi(g.tabella, 0), (Riga{"900", "1017", "56,12", "20", "1487,74", "1018", "", "0", ""}));
    EXPECT_EQ(RigaDi(g.tabella, 1),
              (Riga{"1800", "1017", "61,40", "31", "1487,74", "1018", "70,00", "10", "900,50"}));
    EXPECT_EQ(Intestazioni(g.riepilogo), (Riga{"Sezione", "Lunghezza [ft]", "TempoMedio [s]", "Veicoli",
                                               "Lung.Arco Reale", "Tempo Corretto"}));
    EXPECT_EQ(RigaDi(g.riepilogo, 0), (Riga{"1017", "1487,74", "59,329", "51", "", ""}));
    EXPECT_EQ(RigaDi(g.riepilogo, 1), (Riga{"1018", "900,50", "70,000", "10", "", ""}));
    ASSERT_EQ(g.righe.size(), 2u);
    EXPECT_EQ(g.righe[0].numero, "1017");
    EXPECT_EQ(g.righe[0].nome, "Via Roma nord");
    EXPECT_TRUE(g.celleVuoteSenzaVeicoli);

    // The run's separator for the figures and the copied numbers alike, as the other readers.
    const Griglie punto = Leggi(kTempi, TipoFile::Archi, '.');
    EXPECT_EQ(RigaDi(punto.riepilogo, 0), (Riga{"1017", "1487.74", "59.329", "51", "", ""}));
    EXPECT_EQ(punto.tabella.cella(2, 0), "56.12");
}

TEST(ImportaLista, PiuRunNelleTabelleDiPiuFileConLaMediaArmonica)
{
    const Griglie g = Leggi(kVelocita, TipoFile::Velocita);
    EXPECT_EQ(Intestazioni(g.tabella), (Riga{"Run", "Misura", "da [s]", "a [s]", "Veicoli", "Vel [km/h]",
                                             "Vel armonica [km/h]", "Veicoli (10)", "Misura", "Veicoli",
                                             "Vel [km/h]", "Vel armonica [km/h]", "Veicoli (10)"}));
    ASSERT_EQ(g.tabella.numeroRighe(), 4);
    EXPECT_EQ(RigaDi(g.tabella, 0),
              (Riga{"1", "5", "0", "900", "10", "50,00", "48,00", "9", "7", "0", "", "", "0"}));
    EXPECT_EQ(RigaDi(g.tabella, 3),
              (Riga{"2", "5", "900", "1801", "20", "70,00", "70,00", "18", "7", "2", "10,00", "10,00", "2"}));
    EXPECT_EQ(Intestazioni(g.riepilogo),
              (Riga{"Misura", "Veicoli", "Vel [km/h]", "Inervallo sim. [s]", "Sezione", "Vel armonica [km/h]",
                    "Run validi", "Media", "Dev. std", "Minimo", "Massimo", "Semiampiezza IC",
                    "Run necessari", "Numero", "Nome"}));
    // Pooled over every interval of both runs: 80 vehicles (40 a run) at 56.25 km/h, harmonically
    // 80 / (10/48 + 30/59 + 20/40 + 20/70); the runs' own means 57.5 and 55.
    const Riga m5 = RigaDi(g.riepilogo, 0);
    EXPECT_EQ(
        (Riga{m5[0], m5[1], m5[2], m5[3], m5[4], m5[5], m5[6], m5[7], m5[9], m5[10], m5[13]}),
        (Riga{"5", "40,000", "56,250", "1801,000", "", "53,244", "2", "56,250", "55,000", "57,500", "5"}));
    const Riga m7 = RigaDi(g.riepilogo, 1);
    EXPECT_EQ((Riga{m7[1], m7[2], m7[5], m7[7]}), (Riga{"6,000", "21,667", "17,143", "23,750"}));
}

TEST(ImportaLista, IntervalliInOrdineDiNumeroEScrittiComeVuole)
{
    // CR LF, a UTF-8 byte-order mark, a name beyond ASCII and "; " in the header, intervals that
    // sort otherwise as text.
    const std::string lista =
        "\xEF\xBB\xBF$VISION\r\n* Table: Vehicle Travel Time Results\r\n"
        "$VEHICLETRAVELTIMEMEASUREMENTEVALUATION:SIMRUN; TIMEINT; VEHICLETRAVELTIMEMEASUREMENT; "
        "VEHICLETRAVELTIMEMEASUREMENT\\NAME; VEHS(ALL); TRAVTM(ALL)\r\n"
        "1;10800-11700;3;Citt\xC3\xA0;2;10.00\r\n1;900-1800;3;Citt\xC3\xA0;2;20.00\r\n"
        "1;0-900;3;Citt\xC3\xA0;1;30.00\r\n";
    const Griglie g = Leggi(lista, TipoFile::Archi);
    EXPECT_EQ(RigaDi(g.tabella, 0), (Riga{"900", "3", "30,00", "1"}));
    EXPECT_EQ(RigaDi(g.tabella, 2), (Riga{"11700", "3", "10,00", "2"}));
    EXPECT_EQ(RigaDi(g.riepilogo, 0), (Riga{"3", "", "18,000", "5", "", ""}));
    EXPECT_EQ(g.riepilogo.intestazione(1), "Lunghezza [m]");
    EXPECT_EQ(g.righe[0].nome, "Citt\xC3\xA0");
    // The same in Windows-1252 with LF.
    std::string ansi = lista.substr(3);
    for (std::size_t p; (p = ansi.find("\r\n")) != std::string::npos;)
        ansi.replace(p, 2, "\n");
    for (std::size_t p; (p = ansi.find("\xC3\xA0")) != std::string::npos;)
        ansi.replace(p, 2, "\xE0");
    const Griglie h = Leggi(ansi, TipoFile::Archi);
    EXPECT_EQ(RigaDi(h.tabella, 2), RigaDi(g.tabella, 2));
    EXPECT_EQ(h.righe[0].nome, g.righe[0].nome);
}

std::string Sostituisci(std::string testo, const std::string& da, const std::string& a)
{
    const std::size_t p = testo.find(da);
    EXPECT_NE(p, std::string::npos) << da;
    return p == std::string::npos ? testo : testo.replace(p, da.size(), a);
}

TEST(ImportaLista, RifiutaConUnMessaggioCheDiceDove)
{
    struct Caso
    {
        std::string lista;
        TipoFile tipo;
        std::string messaggio; // a part of it
    };
    const std::string riga3 = "1;0-900;1018;Via Roma sud;0;;\n";
    const Caso casi[] = {
        {"$VISION\n* Table: x\n1;2;3\n", TipoFile::Archi, "non contiene la riga di intestazione"},
        {"$VISION\n* Table: Node Results\n$MOVEMENTEVALUATION:SIMRUN;TIMEINT;MOVEMENT\n1;0-900;1\n",
         TipoFile::Archi, "la tabella \"Node Results\" (riga 3), che Marvento non legge"},
        {kTempi, TipoFile::Velocita,
         "\"Vehicle Travel Time Results\" (riga 9), dei tempi di percorrenza: si apre "
         "con \"Apri File Archi\" (marvento-cli rsz)"},
        {kVelocita, TipoFile::Archi, "si apre con \"Apri File Velocita'\" (marvento-cli mes)"},
        {Sostituisci(kTempi, ";VEHS(ALL);", ";VEHS(10);"), TipoFile::Archi,
         "L'intestazione della lista (riga 9) non ha la colonna VEHS(ALL)"},
        {Sostituisci(kTempi, "SIMRUN;", "RUN;"), TipoFile::Archi, "non ha la colonna SIMRUN"},
        {Sostituisci(kTempi, ";TRAVTM(ALL)", ";TRAVTM(10)"), TipoFile::Archi,
         "non ha la colonna TRAVTM(ALL)"},
        {Sostituisci(kTempi, riga3, "1;0-900;1018;Via Roma sud;0;\n"), TipoFile::Archi,
         "La riga 12 ha 6 celle invece delle 7 dell'intestazione (riga 9)"},
        {Sostituisci(kTempi, riga3, "1;0-900;1018;Via Roma sud;zero;;\n"), TipoFile::Archi,
         "Alla riga 12 il valore di VEHS(ALL) \"zero\" non e' un numero intero di veicoli"},
        {Sostituisci(kTempi, "31;61.40", "31;6x.40"), TipoFile::Archi,
         "Alla riga 10 il valore di TRAVTM(ALL) \"6x.40\" non e' un numero"},
        {Sostituisci(kTempi, "31;61.40", "31;"), TipoFile::Archi,
         "Alla riga 10 il valore di TRAVTM(ALL) \"\" e' vuoto, mentre l'intervallo ha veicoli"},
        {Sostituisci(kTempi, riga3, "1;0 a 900;1018;Via Roma sud;0;;\n"), TipoFile::Archi,
         "Alla riga 12 l'intervallo (TIMEINT) \"0 a 900\" non e' nella forma inizio-fine"},
        {Sostituisci(kTempi, riga3, "primo;0-900;1018;Via Roma sud;0;;\n"), TipoFile::Archi,
         "Alla riga 12 il run (SIMRUN) \"primo\" non e' un numero di run"},
        {Sostituisci(kTempi, riga3, "1;0-900;1017;Via Roma sud;0;;\n"), TipoFile::Archi,
         "La riga 12 ripete il run, l'intervallo e la sezione della riga 11"},
        {Sostituisci(kTempi, riga3, ""), TipoFile::Archi,
         "manca la riga del run 1, intervallo 0-900, sezione 1018"},
        {Sostituisci(kTempi, riga3, "2" + riga3.substr(1)), TipoFile::Archi, "manca la riga del run 1"},
        {kTestaTempi + kColonneTempi + "AVG;0-900;1;a;1;1.00;1.00\n", TipoFile::Archi,
         "non ha righe di dati"},
        {Sostituisci(kTempi, "1487.74\n1;0-900", "14x87\n1;0-900"), TipoFile::Archi,
         "Alla riga 10 il valore di DISTTRAV(ALL) \"14x87\" non e' un numero"},
    };
    for (const Caso& caso : casi) {
        try {
            Leggi(caso.lista, caso.tipo);
            ADD_FAILURE() << "accepted: " << caso.messaggio;
        } catch (const Errore& e) {
            EXPECT_NE(std::string(e.what()).find(caso.messaggio), std::string::npos) << e.what();
        }
    }
}

TEST(ImportaLista, UnIntervalloSenzaVeicoliNonEUnPuntoDelGrafico)
{
    const Griglie g = Leggi(kTempi, TipoFile::Archi);
    ModelloGrafico modello;
    Disegna(modello, g.tabella, std::string("1018"), std::string("TdP [s]"), ',', g.celleVuoteSenzaVeicoli);
    EXPECT_EQ(modello.serie.punti().size(), 1u);
    // Without the list's rule an empty cell is not a number, as before.
    EXPECT_THROW(Disegna(modello, g.tabella, std::string("1018"), std::string("TdP [s]"), ','), Errore);
    // Several runs: a line per run, each without its empty intervals.
    const Griglie runs = Leggi(kVelocita, TipoFile::Velocita);
    Disegna(modello, runs.tabella, std::string("7"), std::string("Vel [km/h]"), ',', true);
    ASSERT_EQ(modello.serieRun.size(), 2u);
    EXPECT_EQ(modello.serieRun[0].punti().size(), 1u);
    EXPECT_EQ(modello.serieRun[1].punti().size(), 2u);
}

TEST(ImportaLista, IlTipoDallaTabellaEIlFileDaImportaFile)
{
    const fs::path cartella = fs::temp_directory_path() / "marvento-importa-lista";
    fs::create_directories(cartella);
    const std::string percorso = (cartella / "scenario_002.ATT").string();
    std::ofstream(percorso, std::ios::binary) << kVelocita;
    EXPECT_TRUE(ELista(percorso));
    EXPECT_EQ(TipoDelFile(percorso), TipoFile::Velocita);
    EXPECT_EQ(TipoDelFile((cartella / "a.rsz").string()), TipoFile::Archi);
    EXPECT_EQ(TipoDelFile((cartella / "a.txt").string()), std::nullopt);
    const Griglie diretto = Leggi(kVelocita, TipoFile::Velocita);
    const Griglie g = ImportaFile(std::vector<std::string>{percorso}, TipoFile::Velocita, ',');
    EXPECT_EQ(RigaDi(g.riepilogo, 1), RigaDi(diretto.riepilogo, 1));
    EXPECT_EQ(RigaDi(ImportaFile(percorso, TipoFile::Velocita, ',').tabella, 3), RigaDi(diretto.tabella, 3));
    EXPECT_THROW(ImportaFile(std::vector<std::string>{percorso, percorso}, TipoFile::Velocita, ','), Errore);
    fs::remove_all(cartella);
}

// The real lists beside the project, when there are any: each reads as its table, with a summary
// row per measurement and a figure that reads as a number.
TEST(ImportaLista, ListeVere)
{
    const fs::path cartella = MARVENTO_SAMPLES_DIR;
    std::vector<fs::path> liste;
    if (fs::is_directory(cartella))
        for (const auto& voce : fs::directory_iterator(cartella))
            if (ELista(voce.path().string()))
                liste.push_back(voce.path());
    if (liste.empty())
        GTEST_SKIP() << "no .att in " << cartella;
    for (const fs::path& lista : liste) {
        SCOPED_TRACE(lista.string());
        const TipoFile tipo = TipoDelFile(lista.string()).value();
        const Griglie g = ImportaFile(std::vector<std::string>{lista.string()}, tipo, ',');
        ASSERT_GT(g.riepilogo.numeroRighe(), 0);
        EXPECT_EQ(static_cast<int>(g.righe.size()), g.riepilogo.numeroRighe());
        const int figura =
            tipo == TipoFile::Velocita ? riepilogo_velocita::kVelocita : riepilogo_archi::kTempoMedio;
        for (int r = 0; r < g.riepilogo.numeroRighe(); ++r)
            EXPECT_NO_THROW(LeggiDecimale(g.riepilogo.cella(figura, r), ',')) << r;
    }
}

} // namespace
