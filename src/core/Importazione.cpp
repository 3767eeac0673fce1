#include "Importazione.h"

#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Testo.h"

#include <cstddef>

namespace {
#ifdef _WIN32
constexpr const char* kSeparatoriCartella = "/\\";
#else
constexpr const char* kSeparatoriCartella = "/";
#endif
} // namespace

namespace marvento {

std::optional<TipoFile> TipoDalNome(const std::string& percorso)
{
    // What follows the name's last ".", as a hidden ".mes" has it too.
    const std::size_t punto = percorso.find_last_of('.');
    const std::size_t cartella = percorso.find_last_of(kSeparatoriCartella);
    if (punto == std::string::npos || (cartella != std::string::npos && cartella > punto))
        return std::nullopt;
    std::string estensione = percorso.substr(punto);
    for (char& c : estensione)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (estensione == ".mes")
        return TipoFile::Velocita;
    if (estensione == ".rsz")
        return TipoFile::Archi;
    return std::nullopt;
}

Griglie ImportaRighe(const ListaRighe& righe, TipoFile tipo, char separatore)
{
    Griglie griglie;
    if (tipo == TipoFile::Velocita)
        ImportaVelocita(righe, griglie.tabella, griglie.riepilogo, separatore);
    else
        ImportaArchi(righe, griglie.tabella, griglie.riepilogo, separatore);
    return griglie;
}

Griglie ImportaFile(const std::string& percorso, TipoFile tipo, char separatore)
{
    return ImportaRighe(CaricaRighe(percorso), tipo, separatore);
}

} // namespace marvento
