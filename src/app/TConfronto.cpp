#include "TConfronto.h"

#include "Errore.h"
#include "Esportazione.h"
#include "TDiagrammi.h"
#include "VistaGrafico.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>
#include <exception>

namespace marvento {

namespace {

QList<QPointF> Punti(const std::vector<PuntoGrafico>& punti)
{
    QList<QPointF> lista;
    lista.reserve(static_cast<qsizetype>(punti.size()));
    for (const PuntoGrafico& p : punti)
        lista.append(QPointF(p.x, p.y));
    return lista;
}

} // namespace

TConfronto::TConfronto(char separatore, Piattaforma& piattaforma, QWidget* parent)
    : QWidget(parent, Qt::Window), separatore_(separatore), piattaforma_(piattaforma),
      vista_(new QChartView(this)), punti_(new QScatterSeries), diagonale_(new QLineSeries),
      sopra_(new QLineSeries), sotto_(new QLineSeries), asseX_(new QValueAxis), asseY_(new QValueAxis),
      salva_(new QPushButton(QStringLiteral("Salva"), this))
{
    setWindowTitle(QStringLiteral("Confronto con i rilievi"));
    setObjectName(QStringLiteral("Confronto"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(640, 560);

    QChart* grafico = GraficoBianco();
    punti_->setName(QStringLiteral("Misure e intervalli"));
    punti_->setMarkerSize(8);
    punti_->setColor(QColor(0x1F, 0x77, 0xB4));
    punti_->setBorderColor(QColor(0x1F, 0x77, 0xB4));
    diagonale_->setName(QStringLiteral("Simulati = rilevati"));
    diagonale_->setPen(QPen(Qt::black, 1.5));
    for (QLineSeries* curva : {sopra_, sotto_})
        curva->setPen(QPen(QColor(0xD6, 0x27, 0x28), 1.5, Qt::DashLine));
    for (QAbstractSeries* serie : std::initializer_list<QAbstractSeries*>{sopra_, sotto_, diagonale_, punti_})
        grafico->addSeries(serie);
    grafico->addAxis(asseX_, Qt::AlignBottom);
    grafico->addAxis(asseY_, Qt::AlignLeft);
    for (QAbstractSeries* serie : grafico->series()) {
        serie->attachAxis(asseX_);
        serie->attachAxis(asseY_);
    }
    PreparaAssi(this, {asseX_, asseY_});
    asseX_->setTitleText(QStringLiteral("Rilevati [veicoli/h]"));
    asseY_->setTitleText(QStringLiteral("Simulati [veicoli/h]"));
    // The lower curve needs no entry of its own: it is the upper one's twin.
    grafico->legend()->setAlignment(Qt::AlignBottom);
    ImpostaLocaleNumeri(grafico, separatore_);
    vista_->setChart(grafico);
    vista_->setRenderHint(QPainter::Antialiasing);
    vista_->setBackgroundBrush(Qt::white);
    for (QLegendMarker* voce : grafico->legend()->markers(sotto_))
        voce->setVisible(false);

    salva_->setObjectName(QStringLiteral("Salva_BTN"));
    connect(salva_, &QPushButton::clicked, this, &TConfronto::Salva_BTNClick);
    auto* striscia = new QHBoxLayout;
    striscia->addStretch();
    striscia->addWidget(salva_);
    auto* colonna = new QVBoxLayout(this);
    colonna->addLayout(striscia);
    colonna->addWidget(vista_, 1);
}

TConfronto::~TConfronto() = default;

void TConfronto::mostraGrafico(const GraficoConfronto& modello)
{
    vista_->chart()->setTitle(QString::fromStdString(modello.titolo).toHtmlEscaped());
    sopra_->setName(QString::fromStdString(modello.nomeBanda));
    punti_->replace(Punti(modello.punti));
    diagonale_->replace({QPointF(0, 0), QPointF(modello.massimo, modello.massimo)});
    sopra_->replace(Punti(modello.sopra));
    sotto_->replace(Punti(modello.sotto));
    // Both axes alike, so that the diagonal runs corner to corner.
    for (QValueAxis* asse : {asseX_, asseY_}) {
        asse->setRange(0, modello.massimo);
        asse->setTickCount(static_cast<int>(std::lround(modello.massimo / modello.passo)) + 1);
    }
}

std::string TConfronto::immagine(const std::string& percorso)
{
    return CodificaImmagine(ImmagineDellaVista(*vista_), percorso);
}

void TConfronto::salvaImmagine(const std::string& percorso)
{
    ScriviFileIntero(percorso, immagine(percorso));
}

void TConfronto::Salva_BTNClick()
{
    try {
        const std::string percorso = piattaforma_.salvaFile(DialogoSalva_Grafico_);
        if (!percorso.empty())
            salvaImmagine(percorso);
    } catch (const std::exception& e) {
        piattaforma_.boxErrore(TestoBoxErrore(e));
    }
}

} // namespace marvento
