// Reading and writing whole and decimal numbers, with "," and "." as the run's separator.
#include "Errore.h"
#include "Numeri.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace marvento {
namespace {

template <typename F> std::string MessaggioDi(F&& operazione)
{
    try {
        operazione();
    } catch (const Errore& errore) {
        return errore.what();
    }
    return "(nessun errore)";
}

// The cases are written for the separator ","; for "." the two marks swap places, so that the
// same table also checks that the other mark is refused.
std::string PerSeparatore(std::string testo, char separatore)
{
    if (separatore == '.')
        for (char& c : testo)
            c = c == ',' ? '.' : c == '.' ? ',' : c;
    return testo;
}

class ConSeparatore : public ::testing::TestWithParam<char>
{
};

INSTANTIATE_TEST_SUITE_P(Separatori, ConSeparatore, ::testing::Values(',', '.'),
                         [](const ::testing::TestParamInfo<char>& parametro) {
                             return std::string(parametro.param == ',' ? "virgola" : "punto");
                         });

// ---------------------------------------------------------------- LeggiIntero

TEST(LeggiIntero, TestiValidi)
{
    const std::int32_t minimo = std::numeric_limits<std::int32_t>::min();
    const struct
    {
        const char* testo;
        std::int32_t atteso;
    } casi[] = {
        {"25", 25},
        {"   25", 25},
        {"+7", 7},
        {"-12", -12},
        {"0", 0},
        {"-0", 0},
        {"0000000000012", 12},
        {"2147483647", 2147483647},
        {"-2147483648", minimo},
        {"$FF", 255},
        {"0x1f", 31},
        {"0X1F", 31},
        {"x10", 16},
        {"XaB", 171},
        {"$7FFFFFFF", 2147483647},
        {"$FFFFFFFF", -1},
        {"$80000000", minimo},
        {"-$1", -1},
        {"-$FFFFFFFF", 1},
        {"-$80000000", minimo},
        {"$000000001", 1},
        {" -0x10", -16},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(LeggiIntero(caso.testo), caso.atteso) << caso.testo;
}

TEST(LeggiIntero, TestiRifiutatiConIlTestoIntero)
{
    const char* casi[] = {"",     " ",    "+",          "-",           "25 ",
                          "25,0", "\t25", "2147483648", "-2147483649", "99999999999999999999",
                          "$",    "0x",   "x",          "$123456789",  "$FG",
                          "12a",  "1e3",  "+-1",        "- 1",         "0x-1",
                          "$ 1",  "1 2"};
    for (const char* testo : casi)
        EXPECT_EQ(MessaggioDi([&] { LeggiIntero(testo); }),
                  std::string("'") + testo + "' is not a valid integer value");
}

// ---------------------------------------------------------------- LeggiDecimale

TEST_P(ConSeparatore, LeggiDecimaleValidi)
{
    const struct
    {
        const char* testo;
        double atteso;
    } casi[] = {
        {"45,3", 45.3},
        {"  45,3", 45.3},
        {"45,3  ", 45.3},
        {"-0,5", -0.5},
        {"+2,25", 2.25},
        {"1e3", 1000.0},
        {"1,5E-2", 0.015},
        {"2E+2", 200.0},
        {"12", 12.0},
        {",", 0.0},
        {"-,", 0.0},
        {"5,", 5.0},
        {",5", 0.5},
        {"2e", 2.0}, // an exponent without digits is 0
        {"2e-", 2.0},
        {",e7", 0.0},
        {"0,1", 0.1}, // correctly rounded, as the compiler rounds its literals
        {"9007199254740993", 9007199254740992.0},
        {"1,7976931348623157e308", DBL_MAX},
        {"4,9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
        {"1e-400", 0.0},
        {"000123,4500", 123.45},
        {"2,2250738585072011e-308", 2.2250738585072011e-308},
        {"9007199254740993,0000000000000000000001", 9007199254740994.0}, // past halfway: up
        {"0,1000000000000000055511151231257827021181583404541015625", 0.1},
    };
    for (const auto& caso : casi) {
        const auto testo = PerSeparatore(caso.testo, GetParam());
        EXPECT_EQ(LeggiDecimale(testo, GetParam()), caso.atteso) << testo;
    }
    EXPECT_TRUE(std::signbit(LeggiDecimale(PerSeparatore("-,", GetParam()), GetParam())));
}

TEST_P(ConSeparatore, LeggiDecimaleRifiutati)
{
    const char* casi[] = {"",      " ",     "45.3",  "1.234,5", "1,2,3", "+",    "-",     "e5",
                          "\t1",   "1\t",   "1 000", "0x10",    "inf",   "nan",  "1e5,5", "--1",
                          "1e--1", "1e400", "- 1",   "1,5 x",   ",,",    "1e 5", "E"};
    for (const char* caso : casi) {
        const auto testo = PerSeparatore(caso, GetParam());
        EXPECT_EQ(MessaggioDi([&] { LeggiDecimale(testo, GetParam()); }),
                  "'" + testo + "' is not a valid floating point value");
    }
}

// ---------------------------------------------------------------- FormattaDecimale

TEST_P(ConSeparatore, FormattaDecimale)
{
    const struct
    {
        long double valore;
        const char* atteso;
    } casi[] = {
        {0.5L, "0,500"},
        {1234.5678, "1234,568"},
        {3600.0L, "3600,000"},
        {47.8125L, "47,813"},
        {2.0625L, "2,063"}, // half away from zero, not to even
        {-2.0625L, "-2,063"},
        {9.9995, "9,999"}, // the double nearest 9.9995 lies below it: 9.99949999999999939
        {1.0005, "1,000"},
        {-0.0004L, "0,000"},
        {-0.0L, "0,000"},
        {0.0L, "0,000"},
        {0.0005L, "0,001"},
        {-0.0005L, "-0,001"},
        {0.00049L, "0,000"},
        {1e-30L, "0,000"},
        {999.9996L, "1000,000"},
        {9.9996L, "10,000"},
        {-12.0L, "-12,000"},
        {123456789012.3456L, "123456789012,346"},
        {2147483648.0L, "2147483648,000"},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(FormattaDecimale(caso.valore, GetParam()), PerSeparatore(caso.atteso, GetParam()))
            << static_cast<double>(caso.valore);
}

TEST(FormattaDecimale, DiciottoCifreSignificative)
{
    // A double's own digits past the 18th are dropped; the integer digits are all written.
    EXPECT_EQ(FormattaDecimale(1e300, ','), "100000000000000005" + std::string(283, '0') + ",000");
    EXPECT_EQ(FormattaDecimale(1e18, '.'), "1000000000000000000.000");
#if LDBL_MANT_DIG >= 64
    // In extended precision, just below 2.0625 reads 2.06250000000000000 in 18 digits and then
    // rounds up at three decimals.
    EXPECT_EQ(FormattaDecimale(std::nextafter(2.0625L, 0.0L), ','), "2,063");
    EXPECT_EQ(FormattaDecimale(2.0625L - 1e-15L, ','), "2,062");
    EXPECT_EQ(FormattaDecimale(9.9995L, ','), "10,000");
#endif
}

TEST(FormattaDecimale, ValoriNonFiniti)
{
    EXPECT_EQ(FormattaDecimale(std::numeric_limits<long double>::infinity(), ','), "INF");
    EXPECT_EQ(FormattaDecimale(-std::numeric_limits<long double>::infinity(), ','), "-INF");
    EXPECT_EQ(FormattaDecimale(std::numeric_limits<long double>::quiet_NaN(), ','), "NAN");
}

TEST(FormattaIntero, Casi)
{
    const struct
    {
        std::int32_t valore;
        const char* atteso;
    } casi[] = {{0, "0"},
                {-12, "-12"},
                {7, "7"},
                {2147483647, "2147483647"},
                {std::numeric_limits<std::int32_t>::min(), "-2147483648"}};
    for (const auto& caso : casi)
        EXPECT_EQ(FormattaIntero(caso.valore), caso.atteso);
}

// Decimals read with the run's separator are the correctly rounded values that from_chars gives,
// bit for bit, also around the limits of a double's exact integers.
TEST(LeggiDecimale, IDecimaliSempliciComeFromChars)
{
    std::mt19937_64 caso(7);
    auto cifre = [&](int quante) {
        std::string testo;
        for (int i = 0; i < quante; ++i)
            testo.push_back(static_cast<char>('0' + caso() % 10));
        return testo;
    };
    std::vector<std::string> testi = {"0",
                                      "-0",
                                      "+0,0",
                                      ",5",
                                      "5,",
                                      "9007199254740992",
                                      "9007199254740993",
                                      "0,9007199254740993",
                                      "1234567890123456789",
                                      "12345678901234567890",
                                      "0,1",
                                      "0,3",
                                      "2,675",
                                      "87,3",
                                      "  -45,25  ",
                                      "0,0000000000000000001"};
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
        if (forma.back() == '.')
            forma.pop_back();
        if (forma[0] == '.' || (forma[0] == '-' && forma[1] == '.'))
            forma.insert(forma[0] == '-' ? 1 : 0, "0");
        double atteso = 0;
        std::from_chars(forma.data(), forma.data() + forma.size(), atteso);
        const double letto = LeggiDecimale(testo, ',');
        EXPECT_EQ(std::memcmp(&letto, &atteso, sizeof letto), 0) << testo;
    }
    EXPECT_THROW(LeggiDecimale("1.5", ','), Errore);
    EXPECT_THROW(LeggiDecimale("1,5x", ','), Errore);
    EXPECT_THROW(LeggiDecimale(" ", ','), Errore);
}

} // namespace
} // namespace marvento
