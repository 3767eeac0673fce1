#include "Importazione.h"

#include "Errore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace marvento;

namespace {

// A summary laid out as after a travel-time import: rows of section, length, mean time,
// vehicles, real length, corrected time.
Griglia Riepilogo(const std::vector<std::vector<std::string>>& righe, int colonne = 6)
{
    Griglia g;
    PreparaGriglia(g, static_cast<int>(righe.size()), colonne, false);
    for (int r = 0; r < static_cast<int>(righe.size()); ++r)
        for (int c = 0; c < static_cast<int>(righe[static_cast<std::size_t>(r)].size()); ++c)
            g.impostaCella(c, r, righe[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    return g;
}

struct Esito
{
    std::vector<std::string> colonna5;
    std::vector<std::string> messaggi;
    std::string errore;
};

Esito Correggi(Griglia& g, char separatore)
{
    Esito esito;
    try {
        CorreggiTempi(g, separatore, [&](const std::string& m) { esito.messaggi.push_back(m); });
    } catch (const Errore& e) {
        esito.errore = e.what();
    }
    for (int r = 0; r < g.numeroRighe(); ++r)
        esito.colonna5.emplace_back(g.cella(5, r));
    return esito;
}

TEST(CorreggiTempi, ScalaIlTempoSullaLunghezzaReale)
{
    struct Caso
    {
        const char* L;
        const char* T;
        const char* R;
        char sep;
        const char* atteso;
    };
    const Caso casi[] = {
        {"500", "45,3", "550", ',', "49,830"},
        {"500", "45.3", "550", '.', "49.830"},
        {"0", "45,3", "550", ',', "0"}, // simulated length 0 or less: plain "0"
        {"-5", "45,3", "550", ',', "0"},
        {"500", "45,3", "0", ',', "0,000"}, // the test is on L, not on R
        {"500", "45,3", "-250", ',', "-22,650"},
        {"3", "1", "1", ',', "0,333"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(std::string(caso.L) + " " + caso.T + " " + caso.R);
        Griglia g = Riepilogo({{"1", caso.L, caso.T, "10", caso.R, "vecchio"}});
        const Esito esito = Correggi(g, caso.sep);
        EXPECT_EQ(esito.errore, "");
        EXPECT_TRUE(esito.messaggi.empty());
        EXPECT_EQ(esito.colonna5, std::vector<std::string>{caso.atteso});
    }
}

TEST(CorreggiTempi, LunghezzeMancantiSegnalateInOrdine)
{
    Griglia g = Riepilogo({{"1", "500", "45,3", "10", "", "prima"},
                           {"2", "100", "10", "10", "200", ""},
                           {"3", "100", "10", "10", "", ""},
                           {"4", "0", "x", "10", "", ""}});
    const Esito esito = Correggi(g, ',');
    EXPECT_EQ(esito.errore, "");
    EXPECT_EQ(esito.messaggi, (std::vector<std::string>{"Manca la lunghezza della sezione 1",
                                                        "Manca la lunghezza della sezione 3",
                                                        "Manca la lunghezza della sezione 4"}));
    EXPECT_EQ(esito.colonna5, (std::vector<std::string>{"prima", "20,000", "", ""}));
}

TEST(CorreggiTempi, UnaCellaIllegibileFermaLaCorrezione)
{
    struct Caso
    {
        std::vector<std::string> riga2;
        char sep;
        const char* errore;
    };
    const Caso casi[] = {
        // all three cells are read before L is judged
        {{"2", "0", "abc", "10", "550"}, ',', "'abc' is not a valid floating point value"},
        {{"2", "-1", "10", "10", "5x"}, ',', "'5x' is not a valid floating point value"},
        {{"2", "500", "10", "10", "550.5"}, ',', "'550.5' is not a valid floating point value"},
        {{"2", "512,3", "10", "10", "550"}, '.', "'512,3' is not a valid floating point value"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.errore);
        Griglia g = Riepilogo(
            {{"1", "100", "10", "10", "200", ""}, caso.riga2, {"3", "100", "10", "10", "300", "tre"}});
        const Esito esito = Correggi(g, caso.sep);
        EXPECT_EQ(esito.errore, caso.errore);
        // The rows corrected before the failure are put back as they were.
        EXPECT_EQ(esito.colonna5[0], "");
        EXPECT_EQ(esito.colonna5[1], "");
        EXPECT_EQ(esito.colonna5[2], "tre");
    }
}

TEST(CorreggiTempi, RiepilogoVuotoNonFaNulla)
{
    Griglia g = Riepilogo({});
    const Esito esito = Correggi(g, ',');
    EXPECT_EQ(esito.errore, "");
    EXPECT_TRUE(esito.messaggi.empty());
}

TEST(CorreggiTempi, DopoUnImportazioneDiVelocitaSezioni)
{
    // Five columns: measurement, vehicles, speed, interval, label. Rows with an empty column 4
    // are reported; the first other row has no column 5 to write.
    Griglia g = Riepilogo(
        {{"1", "120", "48,5", "900", ""}, {"2", "80", "51,2", "900", "2"}, {"3", "60", "50", "900", ""}}, 5);
    const Esito esito = Correggi(g, ',');
    EXPECT_EQ(esito.errore, "Column index, 5, out of bounds");
    EXPECT_EQ(esito.messaggi, std::vector<std::string>{"Manca la lunghezza della sezione 1"});
}

} // namespace
