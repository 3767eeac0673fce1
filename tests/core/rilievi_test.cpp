#include "ConfrontoRilievi.h"
#include "Errore.h"
#include "Importazione.h"
#include "Rilievi.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace marvento;
namespace fs = std::filesystem;

namespace {

Rilievi Leggi(const std::string& byte)
{
    return LeggiRilievi(DecodificaRighe(byte));
}

// Whether lavoro fails with a message that begins with atteso; otherwise what it did.
testing::AssertionResult FallisceCon(const std::function<void()>& lavoro, const std::string& atteso)
{
    try {
        lavoro();
    } catch (const Errore& e) {
        if (std::string(e.what()).rfind(atteso, 0) == 0)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "messaggio: " << e.what();
    }
    return testing::AssertionFailure() << "nessun errore";
}

// ---------------------------------------------------------------------------------------------
// The field file

struct RigaAttesa
{
    long long numero;
    std::optional<double> da, a, veicoli, velocita, tempo;
};

struct CasoLettura
{
    const char* nome;
    std::string byte;
    std::vector<RigaAttesa> righe;
};

TEST(LeggiRilievi, SeparatoriDecimaliCodificheENomiInOgniOrdine)
{
    const std::optional<double> no;
    const CasoLettura casi[] = {
        {"punto e virgola, virgola decimale, unita' tra parentesi",
         "Misura;da;a;Veicoli;Vel [km/h]\r\n1;0;300;60;85,5\r\n1;300;600;70;\r\n2;;;400;60.25\r\n",
         {{1, 0.0, 300.0, 60.0, 85.5, no}, {1, 300.0, 600.0, 70.0, no, no}, {2, no, no, 400.0, 60.25, no}}},
        {"tabulazione, inglese in altro ordine, intervallo inizio-fine e sola fine",
         "Count\tTravel time (s)\tSection\tInterval\n12.5\t\t101\t0-600\n\t61.5\t102\t 1200 \n",
         {{101, 0.0, 600.0, 12.5, no, no}, {102, no, 1200.0, no, no, 61.5}}},
        {"virgola: i decimali col punto, o con la virgola tra virgolette",
         "Sezione,Intervallo,TdP\n7,600-1200,\"45,5\"\n8,,30.5\n",
         {{7, 600.0, 1200.0, no, no, 45.5}, {8, no, no, no, no, 30.5}}},
        {"righe vuote prima dell'intestazione e righe senza valori saltate",
         "\r\n;;;\r\n  MISURA ; A ; VEICOLI\r\n3;900;5\r\n;;\r\n4;;\r\n",
         {{3, no, 900.0, 5.0, no, no}}},
        {"UTF-8 col segno iniziale",
         "\xEF\xBB\xBFMeasurement;Velocit\xC3\xA0\n5;40\n",
         {{5, no, no, no, 40.0, no}}},
        {"UTF-8 senza segno",
         "Misura;Velocit\xC3\xA0;Note\n5;40;citt\xC3\xA0\n",
         {{5, no, no, no, 40.0, no}}},
        {"Windows-1252", "Misura;Velocit\xE0\n5;40\n", {{5, no, no, no, 40.0, no}}},
    };
    for (const CasoLettura& caso : casi) {
        SCOPED_TRACE(caso.nome);
        const Rilievi rilievi = Leggi(caso.byte);
        ASSERT_EQ(rilievi.righe.size(), caso.righe.size());
        for (std::size_t i = 0; i < caso.righe.size(); ++i) {
            const RigaRilievo& letta = rilievi.righe[i];
            const RigaAttesa& attesa = caso.righe[i];
            EXPECT_EQ(letta.numero, attesa.numero);
            EXPECT_EQ(letta.da, attesa.da);
            EXPECT_EQ(letta.a, attesa.a);
            EXPECT_EQ(letta.veicoli, attesa.veicoli);
            EXPECT_EQ(letta.velocita, attesa.velocita);
            EXPECT_EQ(letta.tempo, attesa.tempo);
        }
    }
}

TEST(LeggiRilievi, UnMessaggioCheNominaLaRiga)
{
    const struct
    {
        std::string byte;
        std::string messaggio;
    } casi[] = {
        {"", "Il file dei rilievi non ha l'intestazione: e' vuoto"},
        {"\nda;a;Veicoli\n", "Riga 2 del file dei rilievi: l'intestazione non ha la colonna del numero"},
        {"Misura;da;a;Nome\n",
         "Riga 1 del file dei rilievi: l'intestazione non ha nessuna colonna di valori"},
        {"Misura;Veicoli;Count\n",
         "Riga 1 del file dei rilievi: le colonne \"Veicoli\" e \"Count\" dicono la stessa cosa"},
        {"Misura;da;Veicoli\n", "Riga 1 del file dei rilievi: c'e' la colonna dell'inizio dell'intervallo"},
        {"Misura;Intervallo;a;Veicoli\n", "Riga 1 del file dei rilievi: l'intervallo e' dato due volte"},
        {"Misura;Veicoli\n1;10\n1O;10\n",
         "Riga 3 del file dei rilievi: \"1O\" nella colonna \"Misura\" non e' un numero"},
        {"Misura;Veicoli\n1;dieci\n",
         "Riga 2 del file dei rilievi: \"dieci\" nella colonna \"Veicoli\" non e' un numero"},
        {"Misura;Vel\n1;1,5,0\n",
         "Riga 2 del file dei rilievi: \"1,5,0\" nella colonna \"Vel\" non e' un numero"},
        {"Misura;Veicoli\n;10\n", "Riga 2 del file dei rilievi: manca il numero della misura o sezione"},
        {"Misura;Veicoli\n1;-3\n",
         "Riga 2 del file dei rilievi: i veicoli rilevati non possono essere meno di zero"},
        {"Sezione;TdP\n1;0\n",
         "Riga 2 del file dei rilievi: il tempo di percorrenza rilevato deve essere maggiore"},
        {"Misura;da;a;Veicoli\n1;300;;10\n",
         "Riga 2 del file dei rilievi: l'intervallo ha l'inizio ma non la fine"},
        {"Misura;Intervallo;Veicoli\n1;600-300;10\n",
         "Riga 2 del file dei rilievi: l'intervallo 600-300 non e' un intervallo"},
        {"Misura;Intervallo;Veicoli\n1;0-x;10\n",
         "Riga 2 del file dei rilievi: \"x\" nella colonna \"Intervallo\""},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.byte);
        EXPECT_TRUE(FallisceCon([&] { Leggi(caso.byte); }, caso.messaggio));
    }
    EXPECT_TRUE(FallisceCon([] { LeggiRilievi("/non/esiste.csv"); },
                            "Il file dei rilievi \"/non/esiste.csv\" non si puo' leggere: Cannot open file"));
}

// ---------------------------------------------------------------------------------------------
// The comparison

// Two measurements numbered 17 and 20, two intervals of 300 s; 20 counted nothing in the second.
std::string Mes(const std::string& dati)
{
    return "Rilievo dati (dati aggregati)\n\nMisura    17: Sezione(i) di rilievo 3\n"
           "Misura    20: Sezione(i) di rilievo 5\n\nMisura;da;a;Veicoli;Vel;\n;;;;Media;\n;;;;tutti;\n" +
           dati;
}
const std::string kMes1 = Mes("17;   0; 300;     10; 50.0;\n20;   0; 300;      4; 30.0;\n"
                              "17; 300; 600;     30; 60.0;\n20; 300; 600;      0;  0.0;\n");
const std::string kMes2 = Mes("17;   0; 300;     20; 40.0;\n20;   0; 300;      6; 20.0;\n"
                              "17; 300; 600;     20; 70.0;\n20; 300; 600;      2; 10.0;\n");

// Sections 101 and 102, intervals ending at 600 and 1200.
const std::string kRsz = "\nTabella\n\nFile: x\nCommento: y\nData: oggi\n\n"
                         "Num. 101 (Via Roma): da arco 1 a 1.0 m ad arco 2 a 2.0 m, Distanza  512.3 m\n"
                         "Num. 102 (Via Po  ): da arco 3 a 1.0 m ad arco 4 a 2.0 m, Distanza  800.0 m\n"
                         "\nIntervallo;  TdP;#Veic.;  TdP;#Veic.;\n  ClasseV;  Tutti;;  Tutti;;\n"
                         "  Num.:;  101; 101; 102; 102;\n Nome;Via Roma;Via Roma;Via Po;Via Po;\n"
                         "   600;  48.2;  35;  98.7;  12;\n  1200;  50.1;  41; 101.3;  15;\n";

Griglie Importa(const std::string& byte, TipoFile tipo)
{
    return ImportaRighe(DecodificaRighe(byte), tipo, ',');
}

EsitoConfronto Confronta(const Griglie& g, TipoFile tipo, const std::string& rilievi,
                         const CriteriConfronto& criteri = {})
{
    return ConfrontaRilievi(g.tabella, g.riepilogo, g.righe, g.riepilogo.numeroColonne(), tipo,
                            Leggi(rilievi), criteri, ',');
}

std::vector<std::string> Dopo(const Griglia& g, int riga, int prima)
{
    std::vector<std::string> celle;
    for (int c = prima; c < g.numeroColonne(); ++c)
        celle.emplace_back(g.cella(c, riga));
    return celle;
}

TEST(ConfrontaRilievi, GehPerIntervalloEPeriodoVelocitaEsitoERigheSenzaMisura)
{
    const Griglie g = Importa(kMes1, TipoFile::Velocita);
    const int proprie = g.riepilogo.numeroColonne();
    // 17: 12 and 60 counted against 10 and 30 (hourly 144/120, 720/360), speed 48 against 50;
    // 20: the whole period, 5 against 4 in 600 s, speed 35 against 30; 99 is no measurement.
    const EsitoConfronto esito = Confronta(g, TipoFile::Velocita,
                                           "Misura;da;a;Veicoli;Vel\n17;0;300;12;48\n17;300;600;60;\n"
                                           "20;;;5;35\n99;0;300;1;\n");
    ASSERT_EQ(esito.riepilogo.numeroColonne(), proprie + 9);
    const std::vector<std::string> intestazioni = ColonneConfronto(TipoFile::Velocita, {}, ',');
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(esito.riepilogo.intestazione(proprie + c), intestazioni[static_cast<std::size_t>(c)]);
    EXPECT_EQ(intestazioni[3], "GEH<5 [%]");
    // Whole period of 17 over its two intervals: 72 against 40 in 600 s, hourly 432 and 240.
    EXPECT_EQ(Dopo(esito.riepilogo, 0, proprie),
              (std::vector<std::string>{"72,000", "40,000", "10,474", "50,000", "48,000", "50,000", "2,000",
                                        "4,167", "NO"}));
    EXPECT_EQ(Dopo(esito.riepilogo, 1, proprie),
              (std::vector<std::string>{"5,000", "4,000", "1,155", "100,000", "35,000", "30,000", "-5,000",
                                        "-14,286", "OK"}));
    // The summary's own cells are those of the import.
    for (int c = 0; c < proprie; ++c)
        EXPECT_EQ(esito.riepilogo.cella(c, 0), g.riepilogo.cella(c, 0));
    ASSERT_EQ(esito.casi.size(), 3u);
    EXPECT_NEAR(esito.casi[1].geh, std::sqrt(240.0), 1e-12);
    EXPECT_EQ(esito.casi[2].rilevatiOrari, 30.0);
    EXPECT_EQ(
        TestoEsitoConfronto(esito, {}, ','),
        "Casi (misura o sezione, intervallo) con GEH < 5: 2 su 3 (66,667 %): non raggiunge la quota "
        "richiesta (85 %).\nRighe con esito OK: 1 su 2 (50,000 %): non raggiunge la quota richiesta "
        "(85 %).\nRighe del file dei rilievi senza misura o sezione nella simulazione: riga 5 (numero 99).");

    // A second comparison replaces the first one's columns; a threshold of 11 passes 17.
    CriteriConfronto larghi;
    larghi.sogliaGeh = 11;
    const EsitoConfronto ancora =
        ConfrontaRilievi(g.tabella, esito.riepilogo, g.righe, proprie, TipoFile::Velocita,
                         Leggi("Misura;da;a;Veicoli;Vel\n17;0;300;12;48\n17;300;600;60;\n"), larghi, ',');
    EXPECT_EQ(ancora.riepilogo.numeroColonne(), proprie + 9);
    EXPECT_EQ(ancora.riepilogo.intestazione(proprie + 3), "GEH<11 [%]");
    EXPECT_EQ(ancora.riepilogo.cella(proprie + 8, 0), "OK");
    EXPECT_EQ(Dopo(ancora.riepilogo, 1, proprie), std::vector<std::string>(9));
    EXPECT_EQ(
        TestoEsitoConfronto(ancora, larghi, ','),
        "Casi (misura o sezione, intervallo) con GEH < 11: 1 su 2 (50,000 %): non raggiunge la quota "
        "richiesta (85 %).\nRighe con esito OK: 1 su 1 (100,000 %): raggiunge la quota richiesta (85 %).");
}

TEST(ConfrontaRilievi, TempiEntroIlQuindiciPerCentoOSessantaSecondi)
{
    const Griglie g = Importa(kRsz, TipoFile::Archi);
    const int proprie = g.riepilogo.numeroColonne();
    // 101 in the interval ending at 1200 (600-1200): 45 against 41, 60 s against 50.1 s; 102 over the
    // whole period, 80 s against (98.7 * 12 + 101.3 * 15) / 27.
    const std::string rilievi = "Section\tInterval\tCount\tTravel time\n101\t1200\t45\t60\n102\t\t\t80\n";
    const EsitoConfronto esito = Confronta(g, TipoFile::Archi, rilievi);
    EXPECT_EQ(Dopo(esito.riepilogo, 0, proprie),
              (std::vector<std::string>{"45,000", "41,000", "1,494", "100,000", "60,000", "50,100", "-9,900",
                                        "-16,500", "OK"}));
    EXPECT_EQ(Dopo(esito.riepilogo, 1, proprie),
              (std::vector<std::string>{"", "", "", "", "80,000", "100,144", "20,144", "25,181", "OK"}));

    // With 10 s the larger of the two allowances counts: 9.9 s is within 10 s (15 % is 9 s) and
    // 20.1 s is beyond 12 s (15 % of 80 s).
    CriteriConfronto stretti;
    stretti.tolleranzaSecondi = 10;
    const EsitoConfronto stretto = Confronta(g, TipoFile::Archi, rilievi, stretti);
    EXPECT_EQ(stretto.riepilogo.cella(proprie + 8, 0), "OK");
    EXPECT_EQ(stretto.riepilogo.cella(proprie + 8, 1), "NO");
    EXPECT_EQ(stretto.righeOk, 1);
    EXPECT_EQ(stretto.righeConfrontate, 2);
    ASSERT_EQ(stretto.casi.size(), 1u);
    EXPECT_DOUBLE_EQ(stretto.casi[0].rilevatiOrari, 270.0);
}

TEST(ConfrontaRilievi, ConPiuRunLaMediaSuiRun)
{
    const fs::path cartella = fs::temp_directory_path() / "marvento_rilievi_run";
    fs::create_directories(cartella);
    std::vector<std::string> percorsi;
    for (const auto& [nome, testo] : {std::pair{"run_1.mes", kMes1}, std::pair{"run_2.mes", kMes2}}) {
        percorsi.push_back((cartella / nome).string());
        std::ofstream(percorsi.back(), std::ios::binary) << testo;
    }
    const Griglie g = ImportaFile(percorsi, TipoFile::Velocita, ',');
    const int proprie = g.riepilogo.numeroColonne();
    // 17 in 0-300: 10 and 20 vehicles, 50 and 40 km/h. 20 over the whole period: 30 km/h in the
    // first run, (6 * 20 + 2 * 10) / 8 = 17.5 in the second; a speed of 0 with no vehicle is no figure.
    const EsitoConfronto esito = Confronta(
        g, TipoFile::Velocita, "Misura;da;a;Veicoli;Vel\n17;0;300;15;45\n20;;;6;30\n20;300;600;;10\n");
    EXPECT_EQ(Dopo(esito.riepilogo, 0, proprie),
              (std::vector<std::string>{"15,000", "15,000", "0,000", "100,000", "45,000", "45,000", "0,000",
                                        "0,000", "OK"}));
    // The whole period's vehicles: (4 + 0 + 6 + 2) / 2 = 6; its speed is the whole period's.
    EXPECT_EQ(Dopo(esito.riepilogo, 1, proprie),
              (std::vector<std::string>{"6,000", "6,000", "0,000", "100,000", "30,000", "23,750", "-6,250",
                                        "-20,833", "NO"}));
    fs::remove_all(cartella);
}

TEST(ConfrontaRilievi, RilieviCheNonSiConfrontano)
{
    const Griglie mes = Importa(kMes1, TipoFile::Velocita);
    const Griglie rsz = Importa(kRsz, TipoFile::Archi);
    const struct
    {
        const Griglie& griglie;
        TipoFile tipo;
        std::string rilievi;
        std::string messaggio;
    } casi[] = {
        {mes, TipoFile::Velocita, "Misura;da;a;Veicoli\n17;0;300;3\n17;0;450;3\n",
         "Riga 3 del file dei rilievi: l'intervallo 0-450 non e' un intervallo della simulazione"},
        {mes, TipoFile::Velocita, "Misura;a;Veicoli\n17;1200;3\n",
         "Riga 2 del file dei rilievi: l'intervallo 1200 non e' un intervallo della simulazione"},
        {mes, TipoFile::Velocita, "Misura;a;Veicoli\n17;300;3\n20;300;1\n17;300;4\n",
         "Riga 4 del file dei rilievi: la misura o sezione 17 ha gia' una riga per questo intervallo (riga "
         "2)"},
        {mes, TipoFile::Velocita, "Misura;Veicoli\n20;3\n20;4\n",
         "Riga 3 del file dei rilievi: la misura o sezione 20 ha gia' una riga per l'intero periodo (riga "
         "2)"},
        {mes, TipoFile::Velocita, "Misura;TdP\n17;30\n",
         "Riga 2 del file dei rilievi: un tempo di percorrenza non si confronta con le velocita' di un file "
         ".mes"},
        {rsz, TipoFile::Archi, "Sezione;Vel\n101;30\n",
         "Riga 2 del file dei rilievi: una velocita' non si confronta con i tempi di percorrenza di un file "
         ".rsz"},
        // An interval start that lies between the ends of a travel-time table.
        {rsz, TipoFile::Archi, "Sezione;da;a;Veicoli\n101;300;1200;3\n",
         "Riga 2 del file dei rilievi: l'intervallo 300-1200 non e' un intervallo della simulazione"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.rilievi);
        EXPECT_TRUE(FallisceCon([&] { Confronta(caso.griglie, caso.tipo, caso.rilievi); }, caso.messaggio));
    }
    // A detail table that is no longer the summary's (columns moved away) is refused by name.
    Griglie spostata = mes;
    spostata.tabella.rimuoviColonna(3);
    EXPECT_TRUE(FallisceCon([&] { Confronta(spostata, TipoFile::Velocita, "Misura;Veicoli\n17;3\n"); },
                            "La tabella di dettaglio non ha le colonne del riepilogo"));
}

TEST(ConfrontaRilievi, GraficoPuntiDiagonaleEBandaDelGeh)
{
    EXPECT_EQ(Geh(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(Geh(100, 200), std::sqrt(2.0 * 100 * 100 / 300));
    const Griglie g = Importa(kMes1, TipoFile::Velocita);
    const EsitoConfronto esito =
        Confronta(g, TipoFile::Velocita, "Misura;da;a;Veicoli\n17;0;300;12\n17;300;600;60\n");
    const GraficoConfronto grafico = ModelloGraficoConfronto(esito, {}, ',');
    ASSERT_EQ(grafico.punti.size(), 2u);
    EXPECT_EQ(grafico.punti[1].x, 720.0);
    EXPECT_EQ(grafico.punti[1].y, 360.0);
    // Axes to a round end past the largest flow, in at most five steps.
    EXPECT_EQ(grafico.massimo, 800.0);
    EXPECT_EQ(grafico.passo, 200.0);
    EXPECT_EQ(grafico.nomeBanda, "GEH = 5");
    // Every point of the two curves is where the GEH equals the threshold.
    for (const auto* curva : {&grafico.sopra, &grafico.sotto}) {
        for (const PuntoGrafico& p : *curva) {
            if (p.x > 0 && p.y > 0) {
                EXPECT_NEAR(Geh(p.y, p.x), 5.0, 1e-9) << p.x;
            }
        }
    }
    EXPECT_GT(grafico.sopra.back().y, grafico.massimo);
    EXPECT_EQ(grafico.sopra.back().x, grafico.massimo);
}

} // namespace
