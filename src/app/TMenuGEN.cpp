#include "TMenuGEN.h"

#include "ui_TMenuGEN.h"

#include "CartellaExcel.h"
#include "Errore.h"
#include "Esportazione.h"
#include "ImportaLista.h"
#include "Importazione.h"
#include "Rilievi.h"
#include "TConfronto.h"
#include "TDiagrammi.h"
#include "VistaGriglia.h"

#include <QAction>
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
#include <vector>

namespace marvento {

namespace {

// Heights in the initial window: the detail table with its top margin, and the summary with its
// bottom margin; the splitter bar (10) lies between them.
constexpr int AltezzaPannelloTabella = 5 + 384;
constexpr int AltezzaPannelloRiepilogo = 187 + 5;

const char* const TestoTrascinaFile = "Trascina un file .mes, .rsz o .att";
const char* const TestoOpzioniRun = "Confidenza e tolleranza dei run...";
const char* const TestoConfrontaRilievi = "Confronta con i rilievi...";
const char* const TestoGraficoRilievi = "Grafico simulati e rilevati...";
const char* const TestoCriteriRilievi = "Criteri del confronto con i rilievi...";

// The files a drop can carry: local .mes, .rsz or .att files, one or the runs of a scenario;
// nothing when any of them is not.
std::vector<std::string> FileTrascinati(const QMimeData* dati)
{
    if (dati == nullptr || !dati->hasUrls())
        return {};
    std::vector<std::string> file;
    for (const QUrl& indirizzo : dati->urls()) {
        const std::string percorso = indirizzo.toLocalFile().toStdString();
        if (!indirizzo.isLocalFile() || (!TipoDalNome(percorso) && !ELista(percorso)))
            return {};
        file.push_back(percorso);
    }
    return file;
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

    const struct
    {
        const char* testo;
        const char* nome;
        void (TMenuGEN::*gestore)();
    } voci[] = {{TestoOpzioniRun, "OpzioniRun_ACT", &TMenuGEN::OpzioniRun_Click},
                {TestoConfrontaRilievi, "ConfrontaRilievi_ACT", &TMenuGEN::ConfrontaRilievi_Click},
                {TestoCriteriRilievi, "CriteriRilievi_ACT", &TMenuGEN::CriteriRilievi_Click},
                {TestoGraficoRilievi, "GraficoRilievi_ACT", &TMenuGEN::GraficoRilievi_Click}};
    for (const auto& voce : voci) {
        auto* azione = new QAction(QString::fromUtf8(voce.testo), ui_->Riepilogo_TXT);
        azione->setObjectName(voce.nome);
        connect(azione, &QAction::triggered, this, voce.gestore);
        ui_->Riepilogo_TXT->addAction(azione);
    }
    ui_->Riepilogo_TXT->setContextMenuPolicy(Qt::ActionsContextMenu);
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

void TMenuGEN::ApriFileVelocita(const std::optional<std::vector<std::string>>& percorsi)
{
    ApriFileDi(TipoFile::Velocita, DialogoApri_Velocita_, percorsi);
}

void TMenuGEN::ApriFileArchi(const std::optional<std::vector<std::string>>& percorsi)
{
    ApriFileDi(TipoFile::Archi, DialogoApri_TempiArchi_, percorsi);
}

void TMenuGEN::ApriFileDi(TipoFile tipo, DialogoFile& dialogo,
                          const std::optional<std::vector<std::string>>& percorsiDati)
{
    esegui([&] {
        std::vector<std::string> percorsi;
        if (percorsiDati) {
            percorsi = *percorsiDati;
            dialogo.ultimoPercorso = percorsi.front();
        } else {
            percorsi = piattaforma_.apriFile(dialogo);
        }
        if (percorsi.empty())
            return;
        // The grids on screen are replaced only by a complete import.
        Griglie nuove = ImportaFile(percorsi, tipo, separatore_, opzioniRun_);
        tabella_ = std::move(nuove.tabella);
        riepilogo_ = std::move(nuove.riepilogo);
        righeRiepilogo_ = std::move(nuove.righe);
        celleVuoteSenzaVeicoli_ = nuove.celleVuoteSenzaVeicoli;
        if (Diagrammi_ != nullptr)
            Diagrammi_->impostaCelleVuoteSenzaVeicoli(celleVuoteSenzaVeicoli_);
        tipoImportato_ = tipo;
        colonneImportate_ = riepilogo_.numeroColonne();
        graficoConfronto_.reset();
        std::vector<std::string> etichette;
        for (const RigaRiepilogo& riga : righeRiepilogo_)
            etichette.push_back(riga.nome.empty() ? riga.numero : riga.numero + " " + riga.nome);
        modelloRiepilogo_.impostaEtichetteRighe(std::move(etichette));
    });
}

void TMenuGEN::ApriFile(const std::string& percorso)
{
    ApriFile(std::vector<std::string>{percorso});
}

void TMenuGEN::impostaDiagrammi(TDiagrammi* diagrammi)
{
    Diagrammi_ = diagrammi;
    if (Diagrammi_ != nullptr)
        Diagrammi_->impostaCelleVuoteSenzaVeicoli(celleVuoteSenzaVeicoli_);
}

void TMenuGEN::ApriFile(const std::vector<std::string>& percorsi)
{
    if (percorsi.empty())
        return;
    // A result list's table is read from its beginning; a failure there goes to the error box.
    std::optional<TipoFile> tipo = TipoDalNome(percorsi.front());
    bool letto = true;
    if (ELista(percorsi.front()))
        esegui([&] {
            letto = false;
            tipo = TipoDelFile(percorsi.front());
            letto = true;
        });
    if (!letto)
        return;
    if (tipo == TipoFile::Velocita)
        ApriFileVelocita(percorsi);
    else if (tipo == TipoFile::Archi)
        ApriFileArchi(percorsi);
    else
        piattaforma_.messaggio("Il file \"" + percorsi.front() + "\" non e' un file .mes, .rsz o .att");
}

void TMenuGEN::OpzioniRun_Click()
{
    std::vector<CampoNumero> campi = {
        {"Livello di confidenza", opzioniRun_.confidenza, 0.5, 0.999, 3},
        {"Tolleranza (frazione della media)", opzioniRun_.tolleranza, 0.001, 1.0, 3},
    };
    if (!piattaforma_.chiediNumeri(TestoOpzioniRun, campi))
        return;
    opzioniRun_.confidenza = campi[0].valore;
    opzioniRun_.tolleranza = campi[1].valore;
    piattaforma_.messaggio("Confidenza e tolleranza valgono dalla prossima apertura di piu' run.");
}

void TMenuGEN::ConfrontaRilievi_Click()
{
    esegui([this] {
        if (!tipoImportato_) {
            piattaforma_.messaggio(
                "Prima apri un file .mes, .rsz o .att: i rilievi si confrontano con la tabella a video");
            return;
        }
        const std::vector<std::string> percorsi = piattaforma_.apriFile(DialogoApri_Rilievi_);
        if (percorsi.empty())
            return;
        // The summary on screen is replaced only by a complete comparison.
        EsitoConfronto esito =
            ConfrontaRilievi(tabella_, riepilogo_, righeRiepilogo_, colonneImportate_, *tipoImportato_,
                             LeggiRilievi(percorsi.front()), criteri_, separatore_);
        GraficoConfronto grafico = ModelloGraficoConfronto(esito, criteri_, separatore_);
        riepilogo_ = std::move(esito.riepilogo);
        graficoConfronto_ = std::move(grafico);
        if (Confronto_ != nullptr)
            Confronto_->mostraGrafico(*graficoConfronto_);
        aggiornaGriglie();
        piattaforma_.messaggio(TestoEsitoConfronto(esito, criteri_, separatore_));
    });
}

void TMenuGEN::CriteriRilievi_Click()
{
    std::vector<CampoNumero> campi = {
        {"Soglia del GEH", criteri_.sogliaGeh, 0.1, 100.0, 1},
        {"Quota richiesta dei casi e delle righe [%]", criteri_.quotaMinima, 0.0, 100.0, 1},
        {"Tolleranza di velocita' e tempi [%]", criteri_.tolleranzaPercento, 0.0, 100.0, 1},
        {"Tolleranza dei tempi di percorrenza [s]", criteri_.tolleranzaSecondi, 0.0, 3600.0, 0},
    };
    if (!piattaforma_.chiediNumeri(TestoCriteriRilievi, campi))
        return;
    criteri_ = {campi[0].valore, campi[1].valore, campi[2].valore, campi[3].valore};
    piattaforma_.messaggio("I criteri valgono dal prossimo confronto con i rilievi.");
}

void TMenuGEN::GraficoRilievi_Click()
{
    esegui([this] {
        if (!graficoConfronto_) {
            piattaforma_.messaggio("Prima confronta la simulazione con i rilievi (\"" +
                                   std::string(TestoConfrontaRilievi) + "\")");
            return;
        }
        if (Confronto_ == nullptr)
            Confronto_ = std::make_unique<TConfronto>(separatore_, piattaforma_, this);
        Confronto_->mostraGrafico(*graficoConfronto_);
        Confronto_->show();
        Confronto_->raise();
        Confronto_->activateWindow();
    });
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
    const std::vector<std::string> file = FileTrascinati(evento->mimeData());
    const bool accettato = !file.empty();
    if (accettato) {
        evento->setDropAction(Qt::CopyAction);
        evento->accept();
    } else {
        evento->ignore();
    }
    // The import and its boxes wait until the drop is over: a modal box inside the drop would
    // keep the program that the file came from waiting too.
    QTimer::singleShot(0, this, [this, accettato, file] {
        if (accettato)
            ApriFile(file);
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
