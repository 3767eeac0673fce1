#pragma once
// The program's one way to fail: an exception that carries the message shown to the user.

#include <exception>
#include <stdexcept>
#include <string>

namespace marvento {

class Errore : public std::runtime_error
{
  public:
    explicit Errore(const std::string& messaggio) : std::runtime_error(messaggio) {}
};

// Builds a message from a printf-like pattern with one %d or %s (the program's framework texts).
std::string Messaggio(const char* modello, long long numero);
std::string Messaggio(const char* modello, const std::string& testo);

// "List index out of bounds (%d)".
[[noreturn]] void ErroreIndiceLista(long long indice);

// The text of the error box: the innermost non-empty message of a chain of nested exceptions,
// with a period appended when its last character comes after '.' in code order.
std::string TestoBoxErrore(const std::exception& errore);
std::string TestoBoxErrore(const std::string& messaggio);

} // namespace marvento
