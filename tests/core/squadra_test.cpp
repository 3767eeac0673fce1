// The team of threads: every part runs once, failures come back as the plain loop would give
// them, and a busy team still gets the work done.
#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "Squadra.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif

using namespace marvento;

TEST(Squadra, OgniParteUnaVoltaEL_ErroreDellaPrima)
{
    for (const int fili : {1, 2, 5}) {
        SCOPED_TRACE(fili);
        Squadra squadra(fili);
        EXPECT_EQ(squadra.fili(), fili);
        for (int volta = 0; volta < 50; ++volta) { // the same team for call after call
            std::vector<int> chiamate(static_cast<std::size_t>(fili));
            squadra.esegui([&](int parte, int parti) {
                EXPECT_EQ(parti, fili);
                ++chiamate[static_cast<std::size_t>(parte)];
            });
            EXPECT_EQ(chiamate, std::vector<int>(static_cast<std::size_t>(fili), 1));
        }
        // Every part fails but the first: the lowest failing part's error, after all parts ran.
        std::atomic<int> finite{0};
        try {
            squadra.esegui([&](int parte, int) {
                ++finite;
                if (parte > 0)
                    throw Errore("parte " + std::to_string(parte));
            });
            EXPECT_EQ(fili, 1);
        } catch (const Errore& e) {
            EXPECT_EQ(std::string(e.what()), "parte 1");
        }
        EXPECT_EQ(finite, fili);
        // A part that asks the team again gets its parts run on its own thread.
        std::atomic<int> interne{0};
        squadra.esegui([&](int, int) { squadra.esegui([&](int, int) { ++interne; }); });
        EXPECT_EQ(interne, fili * fili);
    }
}

TEST(Squadra, PartiCopronoTuttoSenzaSovrapporsi)
{
    for (const long long n : {0LL, 1LL, 7LL, 1000LL})
        for (const int parti : {1, 2, 3, 8}) {
            long long atteso = 0;
            for (int parte = 0; parte < parti; ++parte) {
                const Intervallo i = Parte(n, parte, parti);
                EXPECT_EQ(i.inizio, atteso);
                EXPECT_LE(i.fine - i.inizio, n / parti + 1);
                atteso = i.fine;
            }
            EXPECT_EQ(atteso, n);
        }
}

// Items worked out at once and applied in order: up to the first failing item, whose error is
// thrown, whichever thread met it and whatever failed after it.
TEST(Squadra, CalcolaPoiApplicaComeIlCicloSemplice)
{
    Squadra squadra(3);
    for (const long long fallisce : {-1LL, 0LL, 4LL, 5LL, 9LL}) {
        SCOPED_TRACE(fallisce);
        std::vector<long long> calcolati(10, -1);
        std::vector<long long> applicati;
        std::string errore;
        try {
            CalcolaPoiApplica(
                squadra, 10,
                [&](long long i, int) {
                    if (i == fallisce || (fallisce >= 0 && i == 8))
                        throw Errore("voce " + std::to_string(i));
                    calcolati[static_cast<std::size_t>(i)] = i * i;
                },
                [&](long long i) { applicati.push_back(calcolati[static_cast<std::size_t>(i)]); });
        } catch (const Errore& e) {
            errore = e.what();
        }
        const long long fatti = fallisce < 0 ? 10 : std::min(fallisce, 8LL);
        EXPECT_EQ(errore, fallisce < 0 ? "" : "voce " + std::to_string(fatti));
        ASSERT_EQ(static_cast<long long>(applicati.size()), fatti);
        for (long long i = 0; i < fatti; ++i)
            EXPECT_EQ(applicati[static_cast<std::size_t>(i)], i * i);
    }
}

// An export whose blocks wait for one another's turn, asked for while the team is busy (from one of
// its own parts): one thread takes every block, in order, instead of waiting for itself.
TEST(Squadra, EsportazioneConLaSquadraOccupata)
{
    Griglia griglia;
    PreparaGriglia(griglia, 400, 3, false);
    for (int r = 0; r < 400; ++r)
        for (int c = 0; c < 3; ++c)
            griglia.impostaCella(c, r, std::to_string(r * 3 + c));
    const std::string percorso =
        (std::filesystem::temp_directory_path() / ("marvento_squadra_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".txt")).string();
    SquadraComune().esegui([&](int parte, int) {
        if (parte == 0)
            ScriviTabulato(griglia, percorso, 64); // blocks of a few rows
    });
    std::ifstream letto(percorso, std::ios::binary);
    const std::string byte((std::istreambuf_iterator<char>(letto)), std::istreambuf_iterator<char>());
    letto.close();
    std::filesystem::remove(percorso);
    EXPECT_EQ(byte, TestoTabulato(griglia));
}

#ifdef __linux__
// The threads are moved off their creator's processor when they start; afterwards each must be
// free to run on every processor the program may use, not tied to the one it was moved to.
TEST(Squadra, IFiliTornanoSuTuttiIProcessori)
{
    cpu_set_t delProgramma;
    ASSERT_EQ(sched_getaffinity(0, sizeof delProgramma, &delProgramma), 0);
    Squadra squadra(3);
    std::vector<cpu_set_t> visti(3);
    std::vector<int> riusciti(3, -1);
    squadra.esegui([&](int parte, int) {
        riusciti[static_cast<std::size_t>(parte)] =
            sched_getaffinity(0, sizeof(cpu_set_t), &visti[static_cast<std::size_t>(parte)]);
    });
    for (std::size_t parte = 0; parte < visti.size(); ++parte) {
        ASSERT_EQ(riusciti[parte], 0) << parte;
        EXPECT_TRUE(CPU_EQUAL(&visti[parte], &delProgramma)) << "parte " << parte;
    }
}
#endif
