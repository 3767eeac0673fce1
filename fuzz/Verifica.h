#pragma once
// What the fuzz targets share: a check that stops the run (so that libFuzzer keeps the input) and
// the rule that a marvento::Errore is an accepted answer to bad input while anything else is not.

#include "Errore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#define VERIFICA(condizione)                                                                                 \
    do {                                                                                                     \
        if (!(condizione)) {                                                                                 \
            std::fprintf(stderr, "%s:%d: verifica fallita: %s\n", __FILE__, __LINE__, #condizione);          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace marvento::fuzz {

inline std::string_view ComeTesto(const unsigned char* dati, std::size_t dimensione)
{
    return std::string_view(reinterpret_cast<const char*>(dati), dimensione);
}

// The message as the error box shows it: a C string, so a NUL in the quoted text ends it there.
inline bool UgualeAlMessaggio(const std::exception& errore, const std::string& atteso)
{
    return std::strcmp(errore.what(), atteso.c_str()) == 0;
}

// An Errore is the program's message to the user; every other exception escapes to libFuzzer,
// which reports it as a crash.
template <typename Lavoro> bool Tenta(Lavoro&& lavoro)
{
    try {
        lavoro();
        return true;
    } catch (const Errore& errore) {
        VERIFICA(errore.what()[0] != '\0'); // the user must be told something
        return false;
    }
}

} // namespace marvento::fuzz
