#pragma once
// The diagram window: the choice of measurement or section and of parameter, the trend chart with
// its left-axis menu, and saving the chart as an image. It reads the main window's grids, which it
// references and never copies; it is hidden, never destroyed, when the user closes it.

#include "Diagramma.h"
#include "Grafico.h"
#include "Griglia.h"
#include "Piattaforma.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QMenu;

namespace Ui {
class TDiagrammi;
}

namespace marvento {

class VistaGrafico;

class TDiagrammi : public QWidget
{
    Q_OBJECT

  public:
    // tabella and riepilogo are the main window's grids, piattaforma its dialogs and boxes; all
    // three must outlive the window. separatore is the run's decimal separator.
    TDiagrammi(const Griglia& tabella, const Griglia& riepilogo, char separatore, Piattaforma& piattaforma,
               QWidget* parent = nullptr);
    ~TDiagrammi() override;

    // The diagram button of the main window: refill both lists from the grids, select item 0 of
    // each, then show the window and bring it to the front.
    void RiempiListe();
    void Mostra();

    // Whether an empty parameter cell of the detail table is an interval without vehicles (a result
    // list's tables, Griglie::celleVuoteSenzaVeicoli): such a row then gives no point. The main
    // window tells it at every import.
    void impostaCelleVuoteSenzaVeicoli(bool valore) { celleVuoteSenzaVeicoli_ = valore; }

    QComboBox* Sezione_LST() const;
    QComboBox* Parametro_LST() const;
    VistaGrafico* Grafico() const;
    QMenu* MenuGrafico() const { return MenuGrafico_; }
    QAction* AsseSinistroInZero() const { return AsseSinistroInZero_; }
    QAction* AsseSinistroInAuto() const { return AsseSinistroInAuto_; }
    const ModelloGrafico& modello() const { return modello_; }

    // The work of the handlers, failing with marvento::Errore; the chart shows the model as the
    // failure left it. Used by the handlers and by the command-line tool.
    EsitoDisegno disegna();
    void asseSinistroInZero();
    void asseSinistroInAuto();
    // Renders the chart at its size in logical pixels and writes it in the format that the
    // extension selects (letter case ignored). Fails with "Saving bitmap failed." (no file
    // created) or with the messages of ScriviFileIntero (an existing file keeps its content).
    void salvaImmagine(const std::string& percorso);

  public slots:
    void Disegna_BTNClick();
    void AsseSinistroInZeroClick();
    void AsseSinistroInAutoClick();
    void Salva_BTNClick();

  private:
    // Runs a handler's work, shows the chart as it left the model, and shows a failure in the
    // error box; the window stays usable.
    void esegui(const std::function<void()>& lavoro);
    void mostraModello();
    static std::optional<std::string> TestoScelto(const QComboBox* lista);

    std::unique_ptr<Ui::TDiagrammi> ui_;
    const Griglia& tabella_;
    const Griglia& riepilogo_;
    char separatore_;
    bool celleVuoteSenzaVeicoli_ = false;
    Piattaforma& piattaforma_;
    ModelloGrafico modello_;
    QMenu* MenuGrafico_;
    QAction* AsseSinistroInZero_;
    QAction* AsseSinistroInAuto_;
    DialogoFile DialogoSalva_Grafico_{"Portable Network Graphics", "*.png", "png", true, {}};
};

// The image bytes in the format that the file name's extension selects, letter case ignored.
// Fails with "Saving bitmap failed." when no image writer knows the extension or encoding fails.
std::string CodificaImmagine(const QImage& immagine, const std::string& percorso);

} // namespace marvento
