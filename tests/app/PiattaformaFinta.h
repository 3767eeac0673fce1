#pragma once
// A scripted platform for window tests: file dialogs answer from queues, message boxes are
// recorded instead of shown. An empty answer stands for a cancelled dialog.

#include "Piattaforma.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
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
    std::deque<std::string> risposteApri; // a file, or several files separated by '\n'
    std::deque<std::string> risposteSalva;
    // Answers for the dialogs of numbers: the values typed, or no values for a cancel.
    std::deque<std::vector<double>> risposteNumeri;
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
    std::vector<std::string> mostraDialogoApri(const DialogoFile& dialogo) override
    {
        const std::string risposta = rispondi(TipoDialogo::Apri, dialogo, risposteApri);
        std::vector<std::string> file;
        for (std::size_t inizio = 0; inizio < risposta.size();) {
            const std::size_t fine = std::min(risposta.find('\n', inizio), risposta.size());
            file.push_back(risposta.substr(inizio, fine - inizio));
            inizio = fine + 1;
        }
        return file;
    }

    std::optional<std::vector<double>> mostraDialogoNumeri(const std::string& titolo,
                                                           const std::vector<CampoNumero>&) override
    {
        if (risposteNumeri.empty()) {
            ADD_FAILURE() << "unexpected dialog of numbers: " << titolo;
            return std::nullopt;
        }
        std::vector<double> risposta = std::move(risposteNumeri.front());
        risposteNumeri.pop_front();
        if (risposta.empty())
            return std::nullopt;
        return risposta;
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
