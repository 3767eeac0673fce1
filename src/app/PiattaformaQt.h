#pragma once
// The real platform: the file dialogs (the system's own on Windows, Qt's elsewhere) and
// QMessageBox, all modal.

#include "Piattaforma.h"

namespace marvento {

class PiattaformaQt : public Piattaforma
{
  public:
    using Piattaforma::Piattaforma;

  protected:
    std::vector<std::string> mostraDialogoApri(const DialogoFile& dialogo) override;
    std::string mostraDialogoSalva(const DialogoFile& dialogo, int& tipo) override;
    void mostraBox(const BoxMessaggio& box) override;
    std::optional<std::vector<double>> mostraDialogoNumeri(const std::string& titolo,
                                                           const std::vector<CampoNumero>& campi) override;
};

} // namespace marvento
