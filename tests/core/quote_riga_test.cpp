// The cut of a share of a travel-time data line, held to the plain reading of the whole line: blanks
// dropped, "." as the separator, a final ";" dropped, fields cut at ";". The vector path and the
// byte-at-a-time one must agree on every line, including quotes, short lines and fields that cross
// the 16-byte stretches the vector path works in.
#include "QuoteRiga.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using marvento::DopoPuntiEVirgola;
using marvento::TagliaQuota;
using marvento::TagliaQuotaPerByte;

// The plain reading: the fields of the whole cleaned line.
std::vector<std::string> CampiPuliti(const std::string& riga, char separatore)
{
    std::string pulita;
    for (char c : riga)
        if (c != ' ')
            pulita.push_back(c == '.' ? separatore : c);
    if (!pulita.empty() && pulita.back() == ';')
        pulita.pop_back();
    std::vector<std::string> campi(1);
    for (char c : pulita) {
        if (c == ';')
            campi.emplace_back();
        else
            campi.back().push_back(c);
    }
    return campi;
}

struct Quota
{
    bool riuscita = false;
    std::string pulite;
    std::vector<std::size_t> fini;
};

template <typename Taglio>
Quota Taglia(Taglio taglio, const std::string& riga, char separatore, std::size_t primo, std::size_t campi,
             bool ultima)
{
    Quota quota;
    quota.pulite = "xy"; // a share is appended to what the buffers already hold
    quota.fini = {7};
    quota.riuscita = taglio(riga, separatore, primo, campi, ultima, quota.pulite, quota.fini);
    return quota;
}

// Checks every share of riga both ways; returns how many of them were cut.
int VerificaRiga(const std::string& riga, char separatore)
{
    const std::vector<std::string> attesi = CampiPuliti(riga, separatore);
    const bool virgolette = riga.find('"') != std::string::npos;
    int riuscite = 0;
    for (std::size_t primo = 0; primo < attesi.size() + 2; ++primo) {
        for (std::size_t campi = 1; primo + campi <= attesi.size() + 2; ++campi) {
            for (const bool ultima : {false, true}) {
                SCOPED_TRACE("riga \"" + riga + "\" primo " + std::to_string(primo) + " campi " +
                             std::to_string(campi) + (ultima ? " ultima" : ""));
                const Quota veloce = Taglia(TagliaQuota, riga, separatore, primo, campi, ultima);
                const Quota perByte = Taglia(TagliaQuotaPerByte, riga, separatore, primo, campi, ultima);
                EXPECT_EQ(veloce.riuscita, perByte.riuscita);
                if (!veloce.riuscita || !perByte.riuscita)
                    continue;
                ++riuscite;
                EXPECT_EQ(veloce.pulite, perByte.pulite);
                EXPECT_EQ(veloce.fini, perByte.fini);
                // What the share says is what the whole line says, for lines the plain rules read
                // without quotes.
                EXPECT_EQ(veloce.fini.size(), campi + 1);
                EXPECT_LE(primo + campi, attesi.size());
                if (virgolette || primo + campi > attesi.size() || veloce.fini.size() != campi + 1)
                    continue;
                std::size_t inizio = 2;
                for (std::size_t k = 0; k < campi; ++k) {
                    const std::size_t fine = veloce.fini[k + 1];
                    EXPECT_EQ(veloce.pulite.substr(inizio, fine - inizio), attesi[primo + k]) << "campo " << k;
                    inizio = fine + 1;
                }
            }
        }
    }
    return riuscite;
}

TEST(QuoteRiga, SharesOfLinesAgreeWithThePlainReading)
{
    const std::string lunga = "   480;335.4;   4;  0.0;   0;114.3;  83; 55.1;   3;  4.9;  90;354.8;  82;124.4; ";
    const std::vector<std::string> righe = {
        lunga,
        lunga + "  ",
        "   480;335.4;   4;  0.0;   0;114.3;  83; 55.1;   3;  4.9;  90;354.8;  82;124.4",
        "1;2;3",
        ";;;",
        "  ;  ; ;",
        "1234567890123456;7",                    // a field filling a whole stretch
        "123456789012345;;67890123456789012;8", // ";" at the last byte of a stretch
        "1234567890123456789012345678901234567890;x",
        "    ",
        "",
        "7",
        "1.2.3;4..5;.;6",
        "1;\"2;3\";4",
        "1;2;3;\"",
        "\"1;2;3",
        "   1;   2;   3;   4;   5;   6;   7;   8;   9;  10;  11;  12;  13;  14;  15;  16;",
    };
    int riuscite = 0;
    for (const std::string& riga : righe) {
        riuscite += VerificaRiga(riga, ',');
        riuscite += VerificaRiga(riga, '.');
    }
    EXPECT_GT(riuscite, 500); // the comparison with the plain reading was made, not skipped
}

TEST(QuoteRiga, RandomLinesAgreeBothWays)
{
    std::mt19937 caso(20261210);
    const std::string alfabeto = "   ;;;..0123456789\"x";
    for (int prova = 0; prova < 1500; ++prova) {
        std::string riga(caso() % 70, ' ');
        for (char& c : riga)
            c = alfabeto[caso() % (prova % 10 == 0 ? alfabeto.size() : alfabeto.size() - 1)];
        VerificaRiga(riga, prova % 3 == 0 ? ' ' : ',');
        if (HasFailure())
            return;
    }
}

TEST(QuoteRiga, PlaceAfterTheNthSemicolon)
{
    std::string testo;
    for (int i = 0; i < 100; ++i)
        testo += std::string(static_cast<std::size_t>(i % 7), 'a') + ';';
    for (std::size_t n = 1; n <= 101; ++n) {
        std::size_t atteso = std::string::npos;
        std::size_t visti = 0;
        for (std::size_t i = 0; i < testo.size(); ++i)
            if (testo[i] == ';' && ++visti == n) {
                atteso = i + 1;
                break;
            }
        EXPECT_EQ(DopoPuntiEVirgola(testo, n), atteso) << n;
    }
}

} // namespace
