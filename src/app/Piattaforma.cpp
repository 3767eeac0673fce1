#include "Piattaforma.h"

#include <utility>

namespace marvento {

Piattaforma::Piattaforma(std::string titoloProgramma) : titolo_(std::move(titoloProgramma)) {}

Piattaforma::~Piattaforma() = default;

std::vector<std::string> Piattaforma::apriFile(DialogoFile& dialogo)
{
    std::vector<std::string> percorsi = mostraDialogoApri(dialogo);
    if (!percorsi.empty())
        dialogo.ultimoPercorso = percorsi.front();
    return percorsi;
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

bool Piattaforma::chiediNumeri(const std::string& titolo, std::vector<CampoNumero>& campi)
{
    const std::optional<std::vector<double>> valori = mostraDialogoNumeri(titolo, campi);
    if (!valori || valori->size() != campi.size())
        return false;
    for (std::size_t i = 0; i < campi.size(); ++i)
        campi[i].valore = (*valori)[i];
    return true;
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
