#pragma once
// A scripted platform for window tests: file dialogs answer from queues, message boxes are
// recorded instead of shown. An empty answer stands for a cancelled dialog.

#include "Piattaforma.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace marvento {

class PiattaformaFinta : public Piattaforma
{
  public:
    enum class TipoDialogo { Apri, Salva };

    struct DialogoMostrato
    {
        TipoDialogo tipo;
        DialogoFile dialogo; // as it was when the dialog opened
    };

    explicit PiattaformaFinta(std::string titolo = "Marvento") : Piattaforma(std::move(titolo)) {}

    // Answers for the next dialogs, in order. A dialog with no answer left fails the test and
    // behaves as cancelled.
    std::deque<std::string> risposteApri;
    std::deque<std::string> risposteSalva;
    // The file type selected in each save dialog answered, in order; the first type when none is left.
    std::deque<int> tipiSalva;

    std::vector<DialogoMostrato> dialoghi;
    std::vector<BoxMessaggio> box;

    // Called while a box is "open", to look at the windows in that moment.
    std::function<void(const BoxMessaggio&)> duranteBox;

    // The texts of the plain message boxes and of the error boxes, in order.
    std::vector<std::string> messaggi() const { return testi(IconaBox::Nessuna); }
    std::vector<std::string> errori() const { return testi(IconaBox::Errore); }

  protected:
    std::string mostraDialogoApri(const DialogoFile& dialogo) override
    {
        return rispondi(TipoDialogo::Apri, dialogo, risposteApri);
    }

    std::string mostraDialogoSalva(const DialogoFile& dialogo, int& tipo) override
    {
        tipo = 0;
        if (!tipiSalva.empty()) {
            tipo = tipiSalva.front();
            tipiSalva.pop_front();
        }
        return rispondi(TipoDialogo::Salva, dialogo, risposteSalva);
    }

    void mostraBox(const BoxMessaggio& nuovo) override
    {
        box.push_back(nuovo);
        if (duranteBox)
            duranteBox(nuovo);
    }

  private:
    std::string rispondi(TipoDialogo tipo, const DialogoFile& dialogo, std::deque<std::string>& risposte)
    {
        dialoghi.push_back({tipo, dialogo});
        if (risposte.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << dialogo.descrizione;
            return {};
        }
        std::string risposta = std::move(risposte.front());
        risposte.pop_front();
        return risposta;
    }

    std::vector<std::string> testi(IconaBox icona) const
    {
        std::vector<std::string> esito;
        for (const BoxMessaggio& b : box)
            if (b.icona == icona)
                esito.push_back(b.testo);
        return esito;
    }
};

} // namespace marvento
