// The text of the error box and the framework's message patterns.
#include "Errore.h"

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

namespace marvento {
namespace {

TEST(TestoBoxErrore, PuntoQuandoLUltimoCarattereVieneDopoIlPunto)
{
    const struct
    {
        const char* messaggio;
        const char* atteso;
    } casi[] = {
        {"Column index, 7, out of bounds", "Column index, 7, out of bounds."},
        {"Finito.", "Finito."},
        {"spazio ", "spazio "},
        {"Basta!", "Basta!"},
        {"(tra parentesi)", "(tra parentesi)"},
        {"virgola,", "virgola,"},
        {"trattino-", "trattino-"},
        {"barra/", "barra/."},
        {"7", "7."},
        {"citt\xC3\xA0", "citt\xC3\xA0."},
        {"", ""},
    };
    for (const auto& caso : casi) {
        EXPECT_EQ(TestoBoxErrore(std::string(caso.messaggio)), caso.atteso);
        EXPECT_EQ(TestoBoxErrore(Errore(caso.messaggio)), caso.atteso);
    }
}

// Throws a chain of failures, outermost first, each wrapping the one after it.
void Lancia(const std::vector<std::string>& messaggi, std::size_t livello = 0)
{
    if (livello + 1 == messaggi.size())
        throw Errore(messaggi[livello]);
    try {
        Lancia(messaggi, livello + 1);
    } catch (...) {
        std::throw_with_nested(Errore(messaggi[livello]));
    }
}

std::string TestoDellaCatena(const std::vector<std::string>& messaggi)
{
    try {
        Lancia(messaggi);
    } catch (const std::exception& errore) {
        return TestoBoxErrore(errore);
    }
    return "(nessun errore)";
}

TEST(TestoBoxErrore, IlMessaggioPiuInternoNonVuoto)
{
    EXPECT_EQ(TestoDellaCatena({"esterno", "medio", "interno"}), "interno.");
    EXPECT_EQ(TestoDellaCatena({"esterno", "medio", ""}), "medio.");
    EXPECT_EQ(TestoDellaCatena({"esterno", "", ""}), "esterno.");
    EXPECT_EQ(TestoDellaCatena({""}), "");

    // An inner failure that is no std::exception says nothing: the outer text stays.
    try {
        try {
            throw 42;
        } catch (...) {
            std::throw_with_nested(Errore("esterno"));
        }
    } catch (const std::exception& errore) {
        EXPECT_EQ(TestoBoxErrore(errore), "esterno.");
    }
}

TEST(Messaggio, SegnapostiEIndiceLista)
{
    EXPECT_EQ(Messaggio("Column index, %d, out of bounds", -3), "Column index, -3, out of bounds");
    EXPECT_EQ(Messaggio("'%s' is not a valid integer value", std::string("a %d b")),
              "'a %d b' is not a valid integer value");
    try {
        ErroreIndiceLista(5);
        FAIL() << "nessun errore";
    } catch (const Errore& errore) {
        EXPECT_STREQ(errore.what(), "List index out of bounds (5)");
    }
}

} // namespace
} // namespace marvento
