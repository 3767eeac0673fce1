#include "TMenuGEN.h"

#include "ui_TMenuGEN.h"

#include "CartellaExcel.h"
#include "Errore.h"
#include "Esportazione.h"
#include "Importazione.h"
#include "TDiagrammi.h"
#include "VistaGriglia.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QPalette>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <exception>
#include <string>
#include <utility>

namespace marvento {

namespace {

// Heights in the initial window: the detail table with its top margin, and the summary with its
// bottom margin; the splitter bar (10) lies between them.
constexpr int AltezzaPannelloTabella = 5 + 384;
constexpr int AltezzaPannelloRiepilogo = 187 + 5;

const char* const TestoTrascinaFile = "Trascina un file .mes o .rsz";

// The one file a drop can carry: a single local file, else the empty text.
QString FileTrascinato(const QMimeData* dati)
{
    if (dati == nullptr || !dati->hasUrls())
        return {};
    const QList<QUrl> indirizzi = dati->urls();
    if (indirizzi.size() != 1 || !indirizzi.first().isLocalFile())
        return {};
    return indirizzi.first().toLocalFile();
}

// Every drag of files is taken, so that a wrong one can be refused with a message rather than a
// bare forbidden cursor. Nothing is taken while a dialog or a box is open.
void PrendiTrascinamento(QDragMoveEvent* evento)
{
    if (evento->mimeData() != nullptr && evento->mimeData()->hasUrls() &&
        QApplication::activeModalWidget() == nullptr) {
        evento->setDropAction(Qt::CopyAction);
        evento->accept();
    } else {
        evento->ignore();
    }
}

} // namespace

TMenuGEN::TMenuGEN(char separatore, Piattaforma& piattaforma, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::TMenuGEN>()), separatore_(separatore),
      piattaforma_(piattaforma), modelloTabella_(tabella_), modelloRiepilogo_(riepilogo_)
{
    ui_->setupUi(this);
    // The grids take no drops, so a file dropped on them reaches the window.
    setAcceptDrops(true);

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
    ApriFileVelocita(std::nullopt);
}

void TMenuGEN::ApriFile_ArchiClick()
{
    ApriFileArchi(std::nullopt);
}

void TMenuGEN::ApriFileVelocita(const std::optional<std::string>& percorso)
{
    ApriFileDi(TipoFile::Velocita, DialogoApri_Velocita_, percorso);
}

void TMenuGEN::ApriFileArchi(const std::optional<std::string>& percorso)
{
    ApriFileDi(TipoFile::Archi, DialogoApri_TempiArchi_, percorso);
}

void TMenuGEN::ApriFileDi(TipoFile tipo, DialogoFile& dialogo, const std::optional<std::string>& percorsoDato)
{
    esegui([&] {
        std::string percorso;
        if (percorsoDato) {
            percorso = *percorsoDato;
            dialogo.ultimoPercorso = percorso;
        } else {
            percorso = piattaforma_.apriFile(dialogo);
        }
        if (percorso.empty())
            return;
        // The grids on screen are replaced only by a complete import.
        Griglie nuove = ImportaFile(percorso, tipo, separatore_);
        tabella_ = std::move(nuove.tabella);
        riepilogo_ = std::move(nuove.riepilogo);
    });
}

void TMenuGEN::ApriFile(const std::string& percorso)
{
    const std::optional<TipoFile> tipo = TipoDalNome(percorso);
    if (tipo == TipoFile::Velocita)
        ApriFileVelocita(percorso);
    else if (tipo == TipoFile::Archi)
        ApriFileArchi(percorso);
    else
        piattaforma_.messaggio("Il file \"" + percorso + "\" non e' un file .mes o .rsz");
}

void TMenuGEN::dragEnterEvent(QDragEnterEvent* evento)
{
    PrendiTrascinamento(evento);
}

void TMenuGEN::dragMoveEvent(QDragMoveEvent* evento)
{
    PrendiTrascinamento(evento);
}

void TMenuGEN::dropEvent(QDropEvent* evento)
{
    const QString file = FileTrascinato(evento->mimeData());
    const bool accettato = !file.isEmpty() && TipoDalNome(file.toStdString()).has_value();
    if (accettato) {
        evento->setDropAction(Qt::CopyAction);
        evento->accept();
    } else {
        evento->ignore();
    }
    // The import and its boxes wait until the drop is over: a modal box inside the drop would
    // keep the program that the file came from waiting too.
    const std::string percorso = file.toStdString();
    QTimer::singleShot(0, this, [this, accettato, percorso] {
        if (accettato)
            ApriFile(percorso);
        else
            piattaforma_.messaggio(TestoTrascinaFile);
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
    esegui([this] { SalvaGriglia(tabella_, "Tabella"); });
}

void TMenuGEN::SalvaRiepilogo_BTNClick()
{
    esegui([this] { SalvaGriglia(riepilogo_, "Riepilogo"); });
}

void TMenuGEN::SalvaGriglia(Griglia& griglia, const char* nomeFoglio)
{
    const std::string percorso = piattaforma_.salvaFile(DialogoSalva_);
    if (percorso.empty()) {
        piattaforma_.messaggio("Devi indicare il nome di un file");
        return;
    }
    // A grid that cannot be exported fails before the file is touched; the rows then go to a
    // temporary file, which replaces the chosen one only when complete.
    if (FormatoCartellaExcel(percorso, DialogoSalva_.tipoScelto == 1))
        ScriviCartellaExcel({{nomeFoglio, griglia}}, percorso, separatore_);
    else
        ScriviTabulato(griglia, percorso);
}

} // namespace marvento
