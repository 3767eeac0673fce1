#pragma once
// The main window: six buttons in a strip, the detail table above the splitter and the summary
// below it. It owns the program's two grids, the only store of data of the run.

#include "ConfrontoRilievi.h"
#include "Griglia.h"
#include "Importazione.h"
#include "ModelloGriglia.h"
#include "Piattaforma.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TMenuGEN;
}

namespace marvento {

class TConfronto;
class TDiagrammi;
class VistaGriglia;

class TMenuGEN : public QWidget
{
    Q_OBJECT

  public:
    // separatore is the run's decimal separator; piattaforma shows dialogs and boxes and must
    // outlive the window.
    TMenuGEN(char separatore, Piattaforma& piattaforma, QWidget* parent = nullptr);
    ~TMenuGEN() override;

    Griglia& tabella() { return tabella_; }
    const Griglia& tabella() const { return tabella_; }
    Griglia& riepilogo() { return riepilogo_; }
    const Griglia& riepilogo() const { return riepilogo_; }
    char separatore() const { return separatore_; }
    Piattaforma& piattaforma() { return piattaforma_; }

    VistaGriglia* Tabella_TXT() const;
    VistaGriglia* Riepilogo_TXT() const;

    // Makes both views show the grids' current state; needed after changing a grid directly.
    void aggiornaGriglie();

    // The diagram window that "Diagrammi" fills and shows; it must outlive this window's use of it.
    void impostaDiagrammi(TDiagrammi* diagrammi);

    // Imports a file named outside the dialogs (a start-up argument, a dropped file) through the
    // buttons' own path: a .mes or .rsz extension, in any letter case, picks the importer, and a
    // result list (.att) its table; the path stands for the dialog's answer. Any other extension
    // is refused in the plain message box, the grids untouched. percorso is UTF-8; failures (a
    // list whose table is not ours among them) go to the error box as for a button.
    void ApriFile(const std::string& percorso);
    // The same for several files, the runs of one scenario: the first one picks the importer,
    // which refuses files of another kind.
    void ApriFile(const std::vector<std::string>& percorsi);

    // The confidence and tolerance of the statistics over runs, used by the next import of several
    // files; the user sets them from the summary's context menu.
    const OpzioniRun& opzioniRun() const { return opzioniRun_; }
    const CriteriConfronto& criteriConfronto() const { return criteri_; }
    void impostaOpzioniRun(const OpzioniRun& opzioni) { opzioniRun_ = opzioni; }
    // What identifies each row of the summary in the network, from the last import.
    const std::vector<RigaRiepilogo>& righeRiepilogo() const { return righeRiepilogo_; }
    // The chart window of the last comparison with the field data; none before the first.
    TConfronto* Confronto() const { return Confronto_.get(); }

  public slots:
    void ApriFile_Velocita_BTNClick();
    void ApriFile_ArchiClick();
    void CorreggiTempi_BTNClick();
    void Diagrammi_BTNClick();
    void SalvaTabella_BTNClick();
    void SalvaRiepilogo_BTNClick();
    // The summary's context menu: "Confidenza e tolleranza dei run...".
    void OpzioniRun_Click();
    // "Confronta con i rilievi...": the field file against the grids on screen; the summary
    // gains the comparison's columns and a message sums it up.
    void ConfrontaRilievi_Click();
    // "Criteri del confronto con i rilievi...": the GEH threshold, the share asked for and the
    // tolerances of the next comparisons, for the rest of the program's run.
    void CriteriRilievi_Click();
    // "Grafico simulati e rilevati...": the chart of the last comparison.
    void GraficoRilievi_Click();

  protected:
    // A single local .mes or .rsz file dropped on the window is imported once the drop is over;
    // anything else dropped is refused with the plain message box.
    void dragEnterEvent(QDragEnterEvent* evento) override;
    void dragMoveEvent(QDragMoveEvent* evento) override;
    void dropEvent(QDropEvent* evento) override;

  private:
    // Runs a handler: first stores any text still being typed into a cell, then shows a failure
    // that escapes the handler in the error box; the program goes on. The views are refreshed in
    // any case, so that a partial state left by a failure stays visible.
    void esegui(const std::function<void()>& gestore);
    // nomeFoglio names the sheet when the user saves a workbook.
    void SalvaGriglia(Griglia& griglia, const char* nomeFoglio);
    // The two imports; a given percorso replaces the dialog's answer and becomes the dialog's
    // last path, as a choice in the dialog would.
    void ApriFileVelocita(const std::optional<std::vector<std::string>>& percorsi);
    void ApriFileArchi(const std::optional<std::vector<std::string>>& percorsi);
    void ApriFileDi(TipoFile tipo, DialogoFile& dialogo,
                    const std::optional<std::vector<std::string>>& percorsi);

    std::unique_ptr<Ui::TMenuGEN> ui_;
    char separatore_;
    Piattaforma& piattaforma_;
    Griglia tabella_;
    Griglia riepilogo_;
    std::vector<RigaRiepilogo> righeRiepilogo_;
    bool celleVuoteSenzaVeicoli_ = false;
    OpzioniRun opzioniRun_;
    // The kind of the last import and its summary's own columns, which a comparison keeps.
    std::optional<TipoFile> tipoImportato_;
    int colonneImportate_ = 0;
    CriteriConfronto criteri_;
    std::optional<GraficoConfronto> graficoConfronto_;
    std::unique_ptr<TConfronto> Confronto_;
    ModelloGriglia modelloTabella_;
    ModelloGriglia modelloRiepilogo_;

    // Each takes its own file first, selected, and a result list of its table as the second type.
    DialogoFile DialogoApri_Velocita_{"File velocita' sezioni",        "*.mes", "mes", false, {},
                                      {{"Risultati", "*.att", "att"}}, 0};
    DialogoFile DialogoApri_TempiArchi_{
        "File tempi archi", "*.rsz", "rsz", false, {}, {{"Risultati", "*.att", "att"}}, 0};
    // Both export buttons share this one, so the path chosen for one table is offered for the other.
    // The tab-delimited text comes first and is selected; a workbook is the second type.
    DialogoFile DialogoSalva_{"File di testo delimitato da tabulatura",
                              "*.txt",
                              "txt",
                              true,
                              {},
                              {{"Cartella di lavoro di Excel", "*.xlsx", "xlsx"}},
                              0};
    DialogoFile DialogoApri_Rilievi_{
        "File dei rilievi", "*.csv", "csv", false, {}, {{"File di testo", "*.txt", "txt"}}, 0};
    TDiagrammi* Diagrammi_ = nullptr;
};

} // namespace marvento
