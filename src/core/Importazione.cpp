#include "Importazione.h"

#include "ImportaArchi.h"
#include "ImportaLista.h"
#include "ImportaVelocita.h"
#include "Testo.h"

#include <algorithm>
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

std::vector<std::string> EtichetteRun(const std::vector<std::string>& percorsi)
{
    std::vector<std::string> etichette;
    for (const std::string& percorso : percorsi) {
        // The number just before the extension, in the name without its folder.
        const std::size_t cartella = percorso.find_last_of(kSeparatoriCartella);
        std::string nome = percorso.substr(cartella == std::string::npos ? 0 : cartella + 1);
        nome = nome.substr(0, nome.find_last_of('.'));
        const std::size_t cifre = nome.find_last_not_of("0123456789");
        etichette.push_back(cifre == std::string::npos ? nome : nome.substr(cifre + 1));
    }
    std::vector<std::string> ordinate = etichette;
    std::sort(ordinate.begin(), ordinate.end());
    const bool tutteDiverse = std::adjacent_find(ordinate.begin(), ordinate.end()) == ordinate.end();
    const bool tutteNumeri = std::none_of(etichette.begin(), etichette.end(),
                                          [](const std::string& etichetta) { return etichetta.empty(); });
    if (!tutteDiverse || !tutteNumeri)
        for (std::size_t i = 0; i < etichette.size(); ++i)
            etichette[i] = std::to_string(i + 1);
    return etichette;
}

Griglie ImportaRighe(const ListaRighe& righe, TipoFile tipo, char separatore)
{
    Griglie griglie;
    if (tipo == TipoFile::Velocita)
        ImportaVelocita(righe, griglie.tabella, griglie.riepilogo, separatore, ParoleVelocitaDelFile(righe),
                        &griglie.righe);
    else
        ImportaArchi(righe, griglie.tabella, griglie.riepilogo, separatore, ParoleArchiDelFile(righe),
                     &griglie.righe);
    return griglie;
}

Griglie ImportaFile(const std::string& percorso, TipoFile tipo, char separatore)
{
    if (ELista(percorso))
        return ImportaLista(CaricaRighe(percorso), tipo, separatore);
    return ImportaRighe(CaricaRighe(percorso), tipo, separatore);
}

std::optional<TipoFile> TipoDelFile(const std::string& percorso)
{
    if (ELista(percorso))
        return TipoDellaLista(percorso);
    return TipoDalNome(percorso);
}

} // namespace marvento
