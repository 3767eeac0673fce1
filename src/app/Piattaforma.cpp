#include "Piattaforma.h"

#include <utility>

namespace marvento {

Piattaforma::Piattaforma(std::string titoloProgramma) : titolo_(std::move(titoloProgramma)) {}

Piattaforma::~Piattaforma() = default;

std::string Piattaforma::apriFile(DialogoFile& dialogo)
{
    std::string percorso = mostraDialogoApri(dialogo);
    if (!percorso.empty())
        dialogo.ultimoPercorso = percorso;
    return percorso;
}

std::string Piattaforma::salvaFile(DialogoFile& dialogo)
{
    int tipo = 0;
    std::string percorso = mostraDialogoSalva(dialogo, tipo);
    if (!percorso.empty()) {
        dialogo.ultimoPercorso = percorso;
        dialogo.tipoScelto = tipo;
    }
    return percorso;
}

void Piattaforma::messaggio(const std::string& testo)
{
    mostraBox({titolo_, testo, IconaBox::Nessuna});
}

void Piattaforma::boxErrore(const std::string& testo)
{
    mostraBox({"Error", testo, IconaBox::Errore});
}

} // namespace marvento
