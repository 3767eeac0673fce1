#include "TMenuGEN.h"

#include "ui_TMenuGEN.h"

#include "Errore.h"
#include "Esportazione.h"
#include "Importazione.h"
#include "ListaRighe.h"
#include "TDiagrammi.h"
#include "Testo.h"
#include "VistaGriglia.h"

#include <QPalette>

#include <exception>
#include <string>

namespace marvento {

namespace {

// Heights in the initial window: the detail table with its top margin, and the summary with its
// bottom margin; the splitter bar (10) lies between them.
constexpr int AltezzaPannelloTabella = 5 + 384;
constexpr int AltezzaPannelloRiepilogo = 187 + 5;

} // namespace

TMenuGEN::TMenuGEN(char separatore, Piattaforma& piattaforma, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::TMenuGEN>()), separatore_(separatore),
      piattaforma_(piattaforma), modelloTabella_(tabella_), modelloRiepilogo_(riepilogo_)
{
    ui_->setupUi(this);

    ui_->Tabella_TXT->impostaModello(&modelloTabella_);
    ui_->Riepilogo_TXT->impostaModello(&modelloRiepilogo_);

    // The summary keeps its selected cell highlighted when another control has the focus.
    QPalette tavolozza = ui_->Riepilogo_TXT->palette();
    tavolozza.setColor(QPalette::Inactive, QPalette::Highlight,
                       tavolozza.color(QPalette::Active, QPalette::Highlight));
    tavolozza.setColor(QPalette::Inactive, QPalette::HighlightedText,
                       tavolozza.color(QPalette::Active, QPalette::HighlightedText));
    ui_->Riepilogo_TXT->setPalette(tavolozza);

    // A larger or smaller window changes the detail table only; the summary keeps its height.
    ui_->Splitter1->setStretchFactor(0, 1);
    ui_->Splitter1->setStretchFactor(1, 0);
    ui_->Splitter1->setSizes({AltezzaPannelloTabella, AltezzaPannelloRiepilogo});

    connect(ui_->ApriFile_Velocita_BTN, &QPushButton::clicked, this, &TMenuGEN::ApriFile_Velocita_BTNClick);
    connect(ui_->ApriFile_Archi, &QPushButton::clicked, this, &TMenuGEN::ApriFile_ArchiClick);
    connect(ui_->CorreggiTempi_BTN, &QPushButton::clicked, this, &TMenuGEN::CorreggiTempi_BTNClick);
    connect(ui_->Diagrammi_BTN, &QPushButton::clicked, this, &TMenuGEN::Diagrammi_BTNClick);
    connect(ui_->SalvaTabella_BTN, &QPushButton::clicked, this, &TMenuGEN::SalvaTabella_BTNClick);
    connect(ui_->SalvaRiepilogo_BTN, &QPushButton::clicked, this, &TMenuGEN::SalvaRiepilogo_BTNClick);
}

TMenuGEN::~TMenuGEN() = default;

VistaGriglia* TMenuGEN::Tabella_TXT() const
{
    return ui_->Tabella_TXT;
}

VistaGriglia* TMenuGEN::Riepilogo_TXT() const
{
    return ui_->Riepilogo_TXT;
}

void TMenuGEN::aggiornaGriglie()
{
    modelloTabella_.aggiorna();
    modelloRiepilogo_.aggiorna();
}

void TMenuGEN::esegui(const std::function<void()>& gestore)
{
    // Clicking a button that takes no focus, or calling a handler from code, would otherwise
    // leave the typed text in the editor, unseen by the handler.
    ui_->Tabella_TXT->confermaModifica();
    ui_->Riepilogo_TXT->confermaModifica();
    std::string errore;
    bool fallito = false;
    try {
        gestore();
    } catch (const std::exception& e) { // Errore, std::bad_alloc and the rest alike
        fallito = true;
        errore = TestoBoxErrore(e);
    }
    aggiornaGriglie();
    if (fallito)
        piattaforma_.boxErrore(errore);
}

void TMenuGEN::ApriFile_Velocita_BTNClick()
{
    esegui([this] {
        const std::string percorso = piattaforma_.apriFile(DialogoApri_Velocita_);
        if (percorso.empty())
            return;
        const ListaRighe righe = CaricaRighe(percorso);
        ImportaVelocita(righe, tabella_, riepilogo_, separatore_);
    });
}

void TMenuGEN::ApriFile_ArchiClick()
{
    esegui([this] {
        const std::string percorso = piattaforma_.apriFile(DialogoApri_TempiArchi_);
        if (percorso.empty())
            return;
        const ListaRighe righe = CaricaRighe(percorso);
        ImportaArchi(righe, tabella_, riepilogo_, separatore_);
    });
}

void TMenuGEN::CorreggiTempi_BTNClick()
{
    esegui([this] {
        CorreggiTempi(riepilogo_, separatore_, [this](const std::string& testo) {
            // The rows corrected so far are shown while the message waits.
            modelloRiepilogo_.aggiorna();
            piattaforma_.messaggio(testo);
        });
    });
}

void TMenuGEN::Diagrammi_BTNClick()
{
    esegui([this] {
        if (Diagrammi_ == nullptr)
            return;
        Diagrammi_->RiempiListe();
        Diagrammi_->Mostra();
    });
}

void TMenuGEN::SalvaTabella_BTNClick()
{
    esegui([this] { SalvaGriglia(tabella_); });
}

void TMenuGEN::SalvaRiepilogo_BTNClick()
{
    esegui([this] { SalvaGriglia(riepilogo_); });
}

void TMenuGEN::SalvaGriglia(Griglia& griglia)
{
    const std::string percorso = piattaforma_.salvaFile(DialogoSalva_);
    if (percorso.empty()) {
        piattaforma_.messaggio("Devi indicare il nome di un file");
        return;
    }
    // The whole text is built first: a grid that cannot be exported leaves the file untouched.
    const std::string byte = TestoTabulato(griglia);
    ScriviFileIntero(percorso, byte);
}

} // namespace marvento
