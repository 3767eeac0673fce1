#include "Esportazione.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace marvento;

namespace {

// ---- A second, plain reading of the files, to check the importers' figures against -------------

std::string LeggiByte(const std::string& percorso)
{
    std::ifstream f(percorso, std::ios::binary);
    std::ostringstream testo;
    testo << f.rdbuf();
    return testo.str();
}

std::vector<std::string> Righe(const std::string& byte)
{
    std::vector<std::string> righe;
    std::istringstream in(byte);
    for (std::string riga; std::getline(in, riga);) {
        if (!riga.empty() && riga.back() == '\r')
            riga.pop_back();
        righe.push_back(riga);
    }
    return righe;
}

std::string Spunta(const std::string& testo)
{
    const auto inizio = testo.find_first_not_of(' ');
    if (inizio == std::string::npos)
        return "";
    return testo.substr(inizio, testo.find_last_not_of(' ') - inizio + 1);
}

// Fields cut at ";", blanks around each removed.
std::vector<std::string> Campi(const std::string& riga)
{
    std::vector<std::string> campi;
    std::istringstream in(riga);
    for (std::string campo; std::getline(in, campo, ';');)
        campi.push_back(Spunta(campo));
    return campi;
}

bool Inizia(const std::string& riga, const std::string& prefisso)
{
    return riga.compare(0, prefisso.size(), prefisso) == 0;
}

std::string ConVirgola(std::string testo)
{
    for (char& c : testo)
        if (c == '.')
            c = ',';
    return testo;
}

double Numero(std::string testo)
{
    for (char& c : testo)
        if (c == ',')
            c = '.';
    return std::strtod(testo.c_str(), nullptr);
}

// A computed figure: three decimals after ",", within rounding of the exact value.
void VerificaCifra(const std::string& cella, double atteso)
{
    EXPECT_TRUE(std::regex_match(cella, std::regex("-?[0-9]+,[0-9]{3}"))) << cella;
    EXPECT_NEAR(Numero(cella), atteso, 0.0005 + 1e-9) << cella;
}

bool CampioniPresenti()
{
    return std::ifstream(MARVENTO_SAMPLES_DIR "/en_RunsStudio_test.mes").good();
}

struct Griglie
{
    Griglia tabella;
    Griglia riepilogo;
};

// ---- The real English files --------------------------------------------------------------------

TEST(FileInglesiReali, MisureDiVelocita)
{
    if (!CampioniPresenti())
        GTEST_SKIP() << "real sample files not found in " MARVENTO_SAMPLES_DIR;
    const std::string percorso = MARVENTO_SAMPLES_DIR "/en_RunsStudio_test.mes";
    Griglie g;
    ImportaVelocita(CaricaRighe(percorso), g.tabella, g.riepilogo, ',');

    // The plain reading: measurement lines, the header's columns by name, then the data lines in
    // turn, line i belonging to measurement i mod p.
    const auto righe = Righe(LeggiByte(percorso));
    int p = 0;
    std::size_t intestazione = 0;
    for (std::size_t r = 0; r < righe.size(); ++r) {
        p += Inizia(righe[r], "Measurement ");
        if (Inizia(righe[r], "Measur.;"))
            intestazione = r;
    }
    const auto nomi = Campi(righe[intestazione]);
    const int q = static_cast<int>(nomi.size());
    int colVeicoli = -1;
    int colVelocita = -1;
    for (int j = q - 1; j >= 0; --j) {
        if (nomi[static_cast<std::size_t>(j)] == "Number Veh")
            colVeicoli = j;
        if (nomi[static_cast<std::size_t>(j)] == "Speed")
            colVelocita = j;
    }
    ASSERT_EQ(p, 8);
    ASSERT_EQ(q, 5); // an older file: no ";" at the end of its lines
    std::vector<long long> veicoli(static_cast<std::size_t>(p));
    std::vector<double> pesate(static_cast<std::size_t>(p));
    std::vector<std::vector<std::string>> dati;
    for (std::size_t r = intestazione + 3; r < righe.size(); ++r)
        if (!Spunta(righe[r]).empty())
            dati.push_back(Campi(righe[r]));
    ASSERT_EQ(dati.size() % static_cast<std::size_t>(p), 0u);
    for (std::size_t i = 0; i < dati.size(); ++i) {
        const auto& campi = dati[i];
        const std::size_t b = i % static_cast<std::size_t>(p);
        const long long w = std::stoll(campi[static_cast<std::size_t>(colVeicoli)]);
        veicoli[b] += w;
        pesate[b] += std::stod(campi[static_cast<std::size_t>(colVelocita)]) * static_cast<double>(w);
        // Every value lands in its measurement's block, "." turned into ",".
        const int riga = static_cast<int>(i / static_cast<std::size_t>(p));
        const int o = (q - 2) * static_cast<int>(b);
        EXPECT_EQ(g.tabella.cella(o + 3, riga), ConVirgola(campi[3])) << "line " << i;
        EXPECT_EQ(g.tabella.cella(o + 4, riga), ConVirgola(campi[4])) << "line " << i;
    }
    const double intervallo = std::stod(dati.back()[2]) - std::stod(dati.front()[1]);

    EXPECT_EQ(g.tabella.numeroRighe(), static_cast<int>(dati.size()) / p);
    EXPECT_EQ(g.tabella.numeroColonne(), q + (p - 1) * (q - 2));
    const std::vector<std::string> intestazioni = {"Misura",     "da [s]", "a [s]",   "Veicoli",
                                                   "Vel [km/h]", "Misura", "Veicoli", "Vel [km/h]"};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(g.tabella.intestazione(c), intestazioni[static_cast<std::size_t>(c)]);
    EXPECT_EQ(g.tabella.intestazione(g.tabella.numeroColonne() - 3), "Misura");

    ASSERT_EQ(g.riepilogo.numeroRighe(), p);
    EXPECT_EQ(g.riepilogo.intestazione(1), "Veicoli");
    for (int b = 0; b < p; ++b) {
        const auto k = static_cast<std::size_t>(b);
        EXPECT_EQ(g.riepilogo.cella(0, b), std::to_string(b + 1));
        EXPECT_EQ(g.riepilogo.cella(1, b), std::to_string(veicoli[k]));
        VerificaCifra(std::string(g.riepilogo.cella(2, b)), pesate[k] / static_cast<double>(veicoli[k]));
        VerificaCifra(std::string(g.riepilogo.cella(3, b)), intervallo);
        EXPECT_EQ(g.riepilogo.cella(4, b), " " + std::to_string(b + 1));
    }
}

struct CampioneArchi
{
    const char* file;
    int sezioni;
    int intervalli;
    const char* primaLunghezza;
};

class FileInglesiRealiArchi : public testing::TestWithParam<CampioneArchi>
{
};

TEST_P(FileInglesiRealiArchi, TempiDiPercorrenza)
{
    if (!CampioniPresenti())
        GTEST_SKIP() << "real sample files not found in " MARVENTO_SAMPLES_DIR;
    const std::string percorso = std::string(MARVENTO_SAMPLES_DIR "/") + GetParam().file;
    Griglie g;
    ImportaArchi(CaricaRighe(percorso), g.tabella, g.riepilogo, ',');

    // The plain reading: section lengths by pattern, data from the fourth line after the header,
    // then pairs of travel time and vehicles per section.
    const auto righe = Righe(LeggiByte(percorso));
    const std::regex distanza("Distance +([0-9.]+) m$");
    std::vector<std::string> lunghezze;
    std::size_t intestazione = 0;
    for (std::size_t r = 0; r < righe.size(); ++r) {
        std::smatch m;
        if (Inizia(righe[r], "No.") && std::regex_search(righe[r], m, distanza))
            lunghezze.push_back(ConVirgola(m[1]));
        if (intestazione == 0 && Inizia(Spunta(righe[r]), "Time;"))
            intestazione = r;
    }
    const auto p = lunghezze.size();
    ASSERT_EQ(static_cast<int>(p), GetParam().sezioni);
    const auto nomi = Campi(righe[intestazione]);
    for (std::size_t k = 0; k < p; ++k) {
        ASSERT_EQ(nomi[1 + 2 * k], "Trav");
        ASSERT_EQ(nomi[2 + 2 * k], "#Veh");
    }
    std::vector<long long> veicoli(p);
    std::vector<double> pesate(p);
    int riga = 0;
    for (std::size_t r = intestazione + 4; r < righe.size(); ++r, ++riga) {
        const auto campi = Campi(righe[r]);
        EXPECT_EQ(g.tabella.cella(0, riga), campi[0]);
        for (std::size_t k = 0; k < p; ++k) {
            const long long w = std::stoll(campi[2 + 2 * k]);
            veicoli[k] += w;
            pesate[k] += std::stod(campi[1 + 2 * k]) * static_cast<double>(w);
        }
    }
    ASSERT_EQ(riga, GetParam().intervalli);

    EXPECT_EQ(g.tabella.numeroRighe(), riga);
    EXPECT_EQ(g.tabella.numeroColonne(), 3 * static_cast<int>(p) + 1);
    EXPECT_EQ(g.tabella.intestazione(0), "Intervallo [s]");
    EXPECT_EQ(g.tabella.intestazione(1), "Sezione");
    EXPECT_EQ(g.tabella.intestazione(2), "TdP [s]");
    EXPECT_EQ(g.tabella.intestazione(3), "Veicoli");
    ASSERT_EQ(g.riepilogo.numeroRighe(), static_cast<int>(p));
    EXPECT_EQ(g.riepilogo.cella(1, 0), GetParam().primaLunghezza);
    for (std::size_t k = 0; k < p; ++k) {
        const int b = static_cast<int>(k);
        EXPECT_EQ(g.riepilogo.cella(0, b), std::to_string(k + 1));
        EXPECT_EQ(g.riepilogo.cella(1, b), lunghezze[k]);
        EXPECT_EQ(g.riepilogo.cella(3, b), std::to_string(veicoli[k]));
        if (veicoli[k] == 0)
            EXPECT_EQ(g.riepilogo.cella(2, b), "0");
        else
            VerificaCifra(std::string(g.riepilogo.cella(2, b)), pesate[k] / static_cast<double>(veicoli[k]));
        EXPECT_EQ(g.riepilogo.cella(4, b), "");
        EXPECT_EQ(g.riepilogo.cella(5, b), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Campioni, FileInglesiRealiArchi,
                         testing::Values(CampioneArchi{"en_RunsStudio_test.rsz", 1, 93, "3696,7"},
                                         CampioneArchi{"en_vissim540_Mayfair_PM_01.rsz", 43, 1, "309,3"},
                                         CampioneArchi{"en_OxfordStE_AM_RegentSt_1_1.rsz", 87, 1, "1066,6"}));

// ---- Which words a file is read with -------------------------------------------------------------

ListaRighe Lista(const std::vector<std::string>& righe)
{
    ListaRighe lista;
    for (const auto& r : righe)
        lista.aggiungi(r);
    return lista;
}

TEST(LinguaDelFile, SiRiconosceDallaRigaDiIntestazione)
{
    struct Caso
    {
        std::vector<std::string> righe;
        bool inglese;
    };
    const std::vector<Caso> velocita = {
        {{"Measurement     1: Data Collection Point(s) 1", "Measur.;from;to;Number Veh;Speed"}, true},
        {{"Measur.;from;to", "Misura;da;a"}, false},
        {{"Measurement     1: x", " Measur.;from;to"}, false}, // the header stands at the first character
        {{"Misura     1: Sezione(i) di rilievo 1"}, false},
        {{}, false},
    };
    for (const auto& c : velocita)
        EXPECT_EQ(&ParoleVelocitaDelFile(Lista(c.righe)) == &ParoleVelocitaInglese(), c.inglese)
            << testing::PrintToString(c.righe);

    const std::vector<Caso> archi = {
        {{"No.    1 (A): from link 1 at 1.0 m, Distance  5.0 m", "  Time;  Trav;#Veh;"}, true},
        {{"Time;Trav;#Veh;"}, true},
        {{"  Time;  Trav;#Veh;", "Intervallo;  TdP;#Veic.;"}, false},
        // The Italian header counts only at the first character, as the Italian reading finds it.
        {{"  Time;  Trav;#Veh;", "  Intervallo;  TdP;#Veic.;"}, true},
        {{"No.    1 (A): Distance 5.0 m"}, false},
    };
    for (const auto& c : archi)
        EXPECT_EQ(&ParoleArchiDelFile(Lista(c.righe)) == &ParoleArchiInglese(), c.inglese)
            << testing::PrintToString(c.righe);
}

// ---- The same data in both languages gives the same tables ----------------------------------------

// Two vehicle classes, so the vehicle column repeats: the first one counts, both are kept.
const char* const kVelocitaItaliano =
    "\r\nRilievo dati (dati aggregati)\r\n\r\nFile:     c:\\rete.inp\r\nCommento: prova\r\n\r\n"
    "Misura     1: Sezione(i) di rilievo 12\r\n"
    "Misura     2: Sezione(i) di rilievo 13\r\n\r\n"
    "Misura: Numero della misura\r\nVeicoli: Numero di veicoli\r\n\r\n"
    "Misura;da;a;Veicoli;Vel;Veicoli;Occ;\r\n"
    "      ;  ; ;Auto;Media;Camion;Media;\r\n"
    "      ;  ; ;    ;     ;      ;     ;\r\n"
    "1;   0; 300;  10; 50.0;   2; 1.5;\r\n"
    "2;   0; 300;  20; 40.0;   3; 2.5;\r\n"
    "1; 300; 600;  30; 45.5;   0; 0.0;\r\n"
    "2; 300; 600;   0;  0.0;   1; 0.5;\r\n";

// LF line ends, header names padded to their columns, the label phrase in other letter case.
const char* const kVelocitaInglese =
    "\nData Collection (Compiled Data)\n\nFile:     c:\\net.inp\nComment:  test\n\n"
    "Measurement     1: Data Collection Point(s) 12\n"
    "Measurement     2: DATA COLLECTION POINT(S) 13\n\n"
    "Measur.: Data Collection Number\nNumber Veh: Number of Vehicles\n\n"
    "Measur.;  from;    to;Number Veh; Speed;Number Veh;Occ;\n"
    "       ;      ;      ;Car;Mean;HGV;Mean;\n"
    "       ;      ;      ;   ;    ;   ;    ;\n"
    "1;   0; 300;  10; 50.0;   2; 1.5;\n"
    "2;   0; 300;  20; 40.0;   3; 2.5;\n"
    "1; 300; 600;  30; 45.5;   0; 0.0;\n"
    "2; 300; 600;   0;  0.0;   1; 0.5;\n";

const char* const kArchiItaliano =
    "\r\nTabella dei tempi di percorrenza\r\n\r\nFile:     c:\\rete.inp\r\nCommento: prova\r\n"
    "Data:     1 marzo 2021 08:00:00\r\n\r\n"
    "Num.   1 (Via Roma    ): da arco   1 a    1.5 m ad arco   2 a   30.6 m, Distanza  512.3 m\r\n"
    "Num.   2 (Viale       ): da arco   3 a 1003.3 m ad arco   4 a 1070.0 mDistanza 1066.6 m\r\n\r\n"
    "Intervallo;  TdP;#Veic.;  TdP;#Veic.;\r\n"
    "  ClasseV;  Tutti;;  Tutti;;\r\n  Num.:;     1;   1;     2;   2;\r\n Nome;Via Roma;Via "
    "Roma;Viale;Viale;\r\n"
    "   600;  48.2;  35;  98.7;  12;\r\n"
    "  1200;  50.3;  41;   0.0;   0\r\n"
    "\r\n";

// With the version line of newer simulators, which moves the data one line down.
const char* const kArchiInglese =
    "\nTable of Travel Times\n\nFile:     c:\\net.inp\nComment:  test\nDate:     1 March 2021 08:00:00\n"
    "VISSIM:   5.40-08 [38878]\n\n"
    "No.    1 (High Street ): from link   1 at    1.5 m to link   2 at   30.6 m, Distance  512.3 m\n"
    "No.    2 (Ring Road   ): from link   3 at 1003.3 m to link   4 at 1070.0 mDistance 1066.6 m\n\n"
    "  Time;  Trav;#Veh;  Trav;#Veh;\n"
    "  VehC;  All;;  All;;\n  No.:;     1;   1;     2;   2;\n Name;High Street;High Street;Ring Road;Ring "
    "Road;\n"
    "   600;  48.2;  35;  98.7;  12;\n"
    "  1200;  50.3;  41;   0.0;   0\n"
    "\n";

Griglie ImportaTesto(const std::string& testo, bool archi, char separatore)
{
    Griglie g;
    const ListaRighe righe = DecodificaRighe(testo);
    if (archi)
        ImportaArchi(righe, g.tabella, g.riepilogo, separatore);
    else
        ImportaVelocita(righe, g.tabella, g.riepilogo, separatore);
    return g;
}

TEST(StessiDatiInDueLingue, DannoGliStessiByte)
{
    for (char separatore : {',', '.'}) {
        SCOPED_TRACE(std::string("separator ") + separatore);
        const Griglie mesIt = ImportaTesto(kVelocitaItaliano, false, separatore);
        const Griglie mesEn = ImportaTesto(kVelocitaInglese, false, separatore);
        EXPECT_EQ(TestoTabulato(mesEn.tabella), TestoTabulato(mesIt.tabella));
        EXPECT_EQ(TestoTabulato(mesEn.riepilogo), TestoTabulato(mesIt.riepilogo));

        const Griglie rszIt = ImportaTesto(kArchiItaliano, true, separatore);
        const Griglie rszEn = ImportaTesto(kArchiInglese, true, separatore);
        EXPECT_EQ(TestoTabulato(rszEn.tabella), TestoTabulato(rszIt.tabella));
        EXPECT_EQ(TestoTabulato(rszEn.riepilogo), TestoTabulato(rszIt.riepilogo));
    }

    // And the bytes are the right ones, not the same fault twice.
    const Griglie mes = ImportaTesto(kVelocitaInglese, false, ',');
    EXPECT_EQ(TestoTabulato(mes.tabella),
              "Misura\tda [s]\ta [s]\tVeicoli\tVel [km/h]\tVeicoli\tOcc\t\tMisura\tVeicoli\tVel "
              "[km/h]\tVeicoli\tOcc\t\r\n"
              "1\t   0\t 300\t  10\t 50,0\t   2\t 1,5\t\t2\t  20\t 40,0\t   3\t 2,5\t\r\n"
              "1\t 300\t 600\t  30\t 45,5\t   0\t 0,0\t\t2\t   0\t  0,0\t   1\t 0,5\t\r\n");
    EXPECT_EQ(TestoTabulato(mes.riepilogo), "Misura\tVeicoli\tVel [km/h]\tInervallo sim. [s]\tSezione\r\n"
                                            "1\t40\t46,625\t600,000\t 12\r\n"
                                            "2\t20\t40,000\t600,000\t 13\r\n");
    const Griglie rsz = ImportaTesto(kArchiInglese, true, '.');
    EXPECT_EQ(TestoTabulato(rsz.tabella),
              "Intervallo [s]\tSezione\tTdP [s]\tVeicoli\tSezione\tTdP [s]\tVeicoli\r\n"
              "600\t1\t48.2\t35\t2\t98.7\t12\r\n"
              "1200\t1\t50.3\t41\t2\t0.0\t0\r\n");
    EXPECT_EQ(TestoTabulato(rsz.riepilogo),
              "Sezione\tLunghezza [m]\tTempoMedio [s]\tVeicoli\tLung.Arco Reale\tTempo Corretto\r\n"
              "1\t512.3\t49.333\t76\t\t\r\n"
              "2\t1066.6\t98.700\t12\t\t\r\n");
}

TEST(FileInglese, LunghezzaSenzaUnita)
{
    const std::vector<std::pair<std::string, std::string>> casi = {
        {"from link 1 at 1.5 m to link 2 at 30.6 m, Distance  512.3 m", "512,3"},
        {"from link 3 at 1003.3 m to link 4 at 1070.0 mDistance 1066.6 m", "1066,6"},
        {"from link 1 at 1.5 ft to link 2 at 30.6 ft, Distance 1680.5 ft", "1680,5"},
        {"from link 1 at 1.5 ft to link 2 at 30.6 ft, DISTANCE   95.0 ft", "95,0"},
    };
    for (const auto& [sezione, attesa] : casi) {
        const std::string file = "\nTable of Travel Times\n\n\n\n\n\nNo.    1 (A): " + sezione +
                                 "\n\n  Time;  Trav;#Veh;\n  VehC;  All;;\n  No.:;  1;  1;\n Name;A;A;\n"
                                 "   600;  48.2;  35;\n";
        const Griglie g = ImportaTesto(file, true, ',');
        EXPECT_EQ(g.riepilogo.cella(1, 0), attesa) << sezione;
        EXPECT_EQ(g.riepilogo.cella(2, 0), "48,200") << sezione;
    }
}

// ---- The English example files ----------------------------------------------------------------------

TEST(FileInglese, EsempiComeQuelliItaliani)
{
    // The English examples hold the data of the Italian ones, so their summaries match byte for
    // byte; the travel-time detail table too, since all of its headers are the program's own.
    const auto importa = [](const char* nome, bool archi) {
        Griglie g;
        const ListaRighe righe = CaricaRighe(std::string(MARVENTO_EXAMPLES_DIR "/") + nome);
        if (archi)
            ImportaArchi(righe, g.tabella, g.riepilogo, ',');
        else
            ImportaVelocita(righe, g.tabella, g.riepilogo, ',');
        return g;
    };
    const Griglie mesIt = importa("esempio.mes", false);
    const Griglie mesEn = importa("esempio-en.mes", false);
    EXPECT_EQ(TestoTabulato(mesEn.riepilogo), TestoTabulato(mesIt.riepilogo));
    EXPECT_EQ(mesEn.tabella.numeroRighe(), 8);
    EXPECT_EQ(mesEn.tabella.intestazione(3), "Veicoli");
    EXPECT_EQ(mesEn.tabella.intestazione(5), "Length");

    const Griglie rszIt = importa("esempio.rsz", true);
    const Griglie rszEn = importa("esempio-en.rsz", true);
    EXPECT_EQ(TestoTabulato(rszEn.tabella), TestoTabulato(rszIt.tabella));
    EXPECT_EQ(TestoTabulato(rszEn.riepilogo), TestoTabulato(rszIt.riepilogo));
    EXPECT_EQ(rszEn.riepilogo.cella(1, 1), "1066,6");
}

} // namespace
