#include "Errore.h"

#include <charconv>
#include <new>

namespace marvento {

namespace {

// Puts sostituto in place of the first occurrence of segnaposto; a pattern without it is kept whole.
std::string Sostituisci(const char* modello, const char* segnaposto, const std::string& sostituto)
{
    std::string testo(modello);
    const auto posizione = testo.find(segnaposto);
    if (posizione != std::string::npos)
        testo.replace(posizione, 2, sostituto);
    return testo;
}

} // namespace

std::string Messaggio(const char* modello, long long numero)
{
    char cifre[24];
    const auto fine = std::to_chars(cifre, cifre + sizeof cifre, numero).ptr;
    return Sostituisci(modello, "%d", std::string(cifre, fine));
}

std::string Messaggio(const char* modello, const std::string& testo)
{
    return Sostituisci(modello, "%s", testo);
}

void ErroreIndiceLista(long long indice)
{
    throw Errore(Messaggio("List index out of bounds (%d)", indice));
}

namespace {

// Each non-empty message on the way down the chain replaces the text, so the innermost one that
// says something wins. The inner failure is only looked at inside its handler, where it is
// certainly alive.
void MessaggioPiuInterno(const std::exception& errore, std::string& testo)
{
    // An allocation that failed (a hostile file under a memory limit) says so in the framework's
    // words rather than with the library's type name.
    const char* messaggio = dynamic_cast<const std::bad_alloc*>(&errore) ? "Out of memory" : errore.what();
    if (messaggio && *messaggio)
        testo = messaggio;
    const auto* annidata = dynamic_cast<const std::nested_exception*>(&errore);
    if (!annidata || !annidata->nested_ptr())
        return;
    try {
        std::rethrow_exception(annidata->nested_ptr());
    } catch (const std::exception& interna) {
        MessaggioPiuInterno(interna, testo);
    } catch (...) {
        // Something that is not a std::exception carries no message: the text stays.
    }
}

} // namespace

std::string TestoBoxErrore(const std::exception& errore)
{
    std::string testo;
    MessaggioPiuInterno(errore, testo);
    return TestoBoxErrore(testo);
}

std::string TestoBoxErrore(const std::string& messaggio)
{
    // Code order on bytes: a UTF-8 multi-byte last character has a lead byte above 0x7F, which
    // is after '.' just as its code point is.
    if (!messaggio.empty() && static_cast<unsigned char>(messaggio.back()) > 0x2Eu)
        return messaggio + '.';
    return messaggio;
}

} // namespace marvento
