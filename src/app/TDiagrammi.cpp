#include "TDiagrammi.h"

#include "Errore.h"
#include "Esportazione.h"
#include "VistaGrafico.h"
#include "ui_TDiagrammi.h"

#include <QAction>
#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QMenu>

namespace marvento {

TDiagrammi::TDiagrammi(const Griglia& tabella, const Griglia& riepilogo, char separatore,
                       Piattaforma& piattaforma, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::TDiagrammi>()), tabella_(tabella),
      riepilogo_(riepilogo), separatore_(separatore), piattaforma_(piattaforma)
{
    ui_->setupUi(this);
    // Closing this window hides it; only closing the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    MenuGrafico_ = new QMenu(this);
    MenuGrafico_->setObjectName(QStringLiteral("MenuGrafico"));
    AsseSinistroInZero_ = MenuGrafico_->addAction(QStringLiteral("Left axis from 0"));
    AsseSinistroInZero_->setObjectName(QStringLiteral("AsseSinistroInZero"));
    AsseSinistroInAuto_ = MenuGrafico_->addAction(QStringLiteral("Left axis from AUTO"));
    AsseSinistroInAuto_->setObjectName(QStringLiteral("AsseSinistroInAuto"));

    connect(ui_->Disegna_BTN, &QPushButton::clicked, this, &TDiagrammi::Disegna_BTNClick);
    connect(ui_->Salva_BTN, &QPushButton::clicked, this, &TDiagrammi::Salva_BTNClick);
    connect(AsseSinistroInZero_, &QAction::triggered, this, &TDiagrammi::AsseSinistroInZeroClick);
    connect(AsseSinistroInAuto_, &QAction::triggered, this, &TDiagrammi::AsseSinistroInAutoClick);
    connect(ui_->Grafico, &VistaGrafico::menuRichiesto, MenuGrafico_,
            [this](const QPoint& posizione) { MenuGrafico_->popup(posizione); });

    mostraModello();
}

TDiagrammi::~TDiagrammi() = default;

QComboBox* TDiagrammi::Sezione_LST() const
{
    return ui_->Sezione_LST;
}

QComboBox* TDiagrammi::Parametro_LST() const
{
    return ui_->Parametro_LST;
}

VistaGrafico* TDiagrammi::Grafico() const
{
    return ui_->Grafico;
}

void TDiagrammi::RiempiListe()
{
    const ListeDiagramma liste = marvento::RiempiListe(tabella_, riepilogo_);
    ui_->Sezione_LST->clear();
    ui_->Parametro_LST->clear();
    QStringList sezioni;
    sezioni.reserve(static_cast<qsizetype>(liste.sezioni.size()));
    for (const std::string& testo : liste.sezioni)
        sezioni.append(QString::fromStdString(testo));
    QStringList parametri;
    for (const std::string& testo : liste.parametri)
        parametri.append(QString::fromStdString(testo));
    ui_->Sezione_LST->addItems(sezioni);
    ui_->Parametro_LST->addItems(parametri);
    // An empty list keeps no selection.
    ui_->Sezione_LST->setCurrentIndex(sezioni.isEmpty() ? -1 : 0);
    ui_->Parametro_LST->setCurrentIndex(parametri.isEmpty() ? -1 : 0);
}

void TDiagrammi::Mostra()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

std::optional<std::string> TDiagrammi::TestoScelto(const QComboBox* lista)
{
    if (lista->currentIndex() < 0)
        return std::nullopt;
    return lista->itemText(lista->currentIndex()).toStdString();
}

void TDiagrammi::mostraModello()
{
    ui_->Grafico->applica(modello_, separatore_);
}

void TDiagrammi::esegui(const std::function<void()>& lavoro)
{
    std::string errore;
    bool fallito = false;
    try {
        lavoro();
    } catch (const std::exception& e) {
        fallito = true;
        errore = TestoBoxErrore(e);
    }
    mostraModello();
    if (fallito)
        piattaforma_.boxErrore(errore);
}

EsitoDisegno TDiagrammi::disegna()
{
    struct Mostra
    {
        TDiagrammi* finestra;
        ~Mostra() { finestra->mostraModello(); }
    } mostra{this}; // what a failure left in the model shows as well
    return marvento::Disegna(modello_, tabella_, TestoScelto(ui_->Sezione_LST),
                             TestoScelto(ui_->Parametro_LST), separatore_, celleVuoteSenzaVeicoli_);
}

void TDiagrammi::asseSinistroInZero()
{
    marvento::AsseSinistroInZero(modello_);
    mostraModello();
}

void TDiagrammi::asseSinistroInAuto()
{
    marvento::AsseSinistroInAuto(modello_);
    mostraModello();
}

void TDiagrammi::salvaImmagine(const std::string& percorso)
{
    const std::string byte = CodificaImmagine(ui_->Grafico->immagine(), percorso);
    ScriviFileIntero(percorso, byte);
}

void TDiagrammi::Disegna_BTNClick()
{
    bool nienteSelezionato = false;
    esegui([this, &nienteSelezionato] { nienteSelezionato = disegna() == EsitoDisegno::NienteSelezionato; });
    if (nienteSelezionato)
        piattaforma_.messaggio(MessaggioNienteDaDisegnare);
}

void TDiagrammi::AsseSinistroInZeroClick()
{
    esegui([this] { asseSinistroInZero(); });
}

void TDiagrammi::AsseSinistroInAutoClick()
{
    esegui([this] { asseSinistroInAuto(); });
}

void TDiagrammi::Salva_BTNClick()
{
    esegui([this] {
        const std::string percorso = piattaforma_.salvaFile(DialogoSalva_Grafico_);
        if (!percorso.empty())
            salvaImmagine(percorso);
    });
}

std::string CodificaImmagine(const QImage& immagine, const std::string& percorso)
{
    const QByteArray formato = QFileInfo(QString::fromStdString(percorso)).suffix().toLower().toLatin1();
    if (formato.isEmpty() || !QImageWriter::supportedImageFormats().contains(formato))
        throw Errore("Saving bitmap failed.");
    // Encoded in memory, so that nothing touches the disk unless the whole image is ready.
    QByteArray byte;
    QBuffer buffer(&byte);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter scrittore(&buffer, formato);
    if (!scrittore.write(immagine))
        throw Errore("Saving bitmap failed.");
    return byte.toStdString();
}

} // namespace marvento
