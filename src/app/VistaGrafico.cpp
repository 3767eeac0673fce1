#include "VistaGrafico.h"

#include "Grafico.h"
#include "LegendaPunti.h"

#include <QChart>
#include <QContextMenuEvent>
#include <QGraphicsRectItem>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace marvento {

namespace {

const QColor ColoreSerie(0x44, 0x66, 0xA3);
// The runs' lines: colours that stay apart from each other and from the mean's black.
const QColor ColoriRun[] = {{0x1F, 0x77, 0xB4}, {0xFF, 0x7F, 0x0E}, {0x2C, 0xA0, 0x2C}, {0xD6, 0x27, 0x28},
                            {0x94, 0x67, 0xBD}, {0x8C, 0x56, 0x4B}, {0xE3, 0x77, 0xC2}, {0x7F, 0x7F, 0x7F},
                            {0xBC, 0xBD, 0x22}, {0x17, 0xBE, 0xCF}};
constexpr int Margine = 10;
constexpr qreal TrascinamentoMinimo = 3; // smaller drags are clicks, not zooms

QString TestoHtml(const std::string& testo)
{
    return QString::fromStdString(testo).toHtmlEscaped();
}

// As many decimals as the tick step needs: "1000" and "2,5", not "1000,0" and "3".
void AdattaDecimali(QValueAxis* asse)
{
    const double passo = (asse->max() - asse->min()) / std::max(1, asse->tickCount() - 1);
    // A step that is no round number (after a zoom) gets two significant digits.
    const int limite = passo > 0 ? std::clamp(1 - static_cast<int>(std::floor(std::log10(passo))), 0, 6) : 0;
    int decimali = 0;
    for (double scala = 1; decimali < limite; ++decimali, scala *= 10) {
        const double multiplo = passo * scala;
        if (std::abs(multiplo - std::round(multiplo)) <= 1e-6 * std::max(1.0, std::abs(multiplo)))
            break;
    }
    asse->setLabelFormat(QStringLiteral("%.%1f").arg(decimali));
}

// Shows [minimo, massimo] on the axis, rounded outwards to tidy tick steps at the automatic ends
// only: a fixed end stays where it was put.
void ImpostaAsse(QValueAxis* asse, const AsseGrafico& modello)
{
    const auto [minimo, massimo] = EstremiVisibili(modello);
    asse->setRange(minimo, massimo);
    // applyNiceNumbers starts from the current tick count, which it changes itself: without this
    // the same data would get another range after each drawing.
    asse->setTickCount(5);
    asse->applyNiceNumbers();
    const bool minimoFisso = !(modello.automatico() || modello.automaticoMinimo());
    const bool massimoFisso = !(modello.automatico() || modello.automaticoMassimo());
    if (minimoFisso && minimo < asse->max())
        asse->setMin(minimo);
    if (massimoFisso && massimo > asse->min())
        asse->setMax(massimo);
    AdattaDecimali(asse); // the tick count may have changed after the range
}

} // namespace

VistaGrafico::VistaGrafico(QWidget* parent)
    : QChartView(parent), serie_(new QLineSeries), asseInferiore_(new QValueAxis),
      asseSinistro_(new QValueAxis)
{
    QChart* grafico = GraficoBianco();
    // Ours lists the points of one line; Qt's lists the runs when there are several.
    grafico->legend()->hide();
    grafico->legend()->setAlignment(Qt::AlignRight);

    serie_->setPen(QPen(ColoreSerie, 2));
    serie_->setPointsVisible(false);
    grafico->addSeries(serie_);
    grafico->addAxis(asseInferiore_, Qt::AlignBottom);
    grafico->addAxis(asseSinistro_, Qt::AlignLeft);
    serie_->attachAxis(asseInferiore_);
    serie_->attachAxis(asseSinistro_);
    PreparaAssi(this, {asseInferiore_, asseSinistro_});

    legenda_ = new LegendaPunti(grafico);
    legenda_->setZValue(10);
    rettangoloZoom_ = new QGraphicsRectItem(grafico);
    rettangoloZoom_->setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1));
    rettangoloZoom_->setBrush(Qt::NoBrush);
    rettangoloZoom_->setZValue(20);
    rettangoloZoom_->hide();

    setChart(grafico);
    setBackgroundBrush(Qt::white);
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::NoRubberBand); // the zoom below draws its own outline
    connect(grafico, &QChart::plotAreaChanged, this, [this] { disponiLegenda(); });
}

VistaGrafico::~VistaGrafico() = default;

void VistaGrafico::applica(ModelloGrafico& modello, char separatore)
{
    modello.CalcolaEstremi();
    QChart* grafico = chart();

    QStringList righe;
    for (const std::string& riga : modello.righeTitolo())
        righe << TestoHtml(riga);
    grafico->setTitle(righe.join(QStringLiteral("<br>")));
    asseInferiore_->setTitleText(TestoHtml(modello.asseInferiore.titolo()));
    asseSinistro_->setTitleText(TestoHtml(modello.asseSinistro.titolo()));
    serie_->setName(QString::fromStdString(modello.serie.titolo()));

    ImpostaLocaleNumeri(grafico, separatore);

    QList<QPointF> punti;
    punti.reserve(static_cast<qsizetype>(modello.serie.punti().size()));
    valoriLegenda_.clear();
    for (const PuntoGrafico& p : modello.serie.punti()) {
        punti.append(QPointF(p.x, p.y));
        valoriLegenda_.append(QString::fromStdString(TestoLegenda(p.y, separatore)));
    }
    serie_->replace(punti);
    applicaRun(modello);

    ImpostaAsse(asseInferiore_, modello.asseInferiore);
    ImpostaAsse(asseSinistro_, modello.asseSinistro);
    estremi_[0] = asseInferiore_->min();
    estremi_[1] = asseInferiore_->max();
    estremi_[2] = asseSinistro_->min();
    estremi_[3] = asseSinistro_->max();

    legendaVisibile_ = modello.legendaVisibile && modello.serieRun.empty();
    altezzaUsataLegenda_ = -1;
    disponiLegenda();
}

void VistaGrafico::applicaRun(const ModelloGrafico& modello)
{
    QChart* grafico = chart();
    for (QLineSeries* linea : serieRun_) {
        grafico->removeSeries(linea);
        delete linea;
    }
    serieRun_.clear();
    const bool piuRun = !modello.serieRun.empty();
    for (std::size_t i = 0; i < modello.serieRun.size(); ++i) {
        auto* linea = new QLineSeries;
        linea->setName(QStringLiteral("Run ") + QString::fromStdString(modello.serieRun[i].titolo()));
        linea->setPen(QPen(ColoriRun[i % std::size(ColoriRun)], 1.5));
        QList<QPointF> punti;
        for (const PuntoGrafico& p : modello.serieRun[i].punti())
            punti.append(QPointF(p.x, p.y));
        linea->replace(punti);
        grafico->addSeries(linea);
        linea->attachAxis(asseInferiore_);
        linea->attachAxis(asseSinistro_);
        serieRun_.push_back(linea);
    }
    // The mean over the runs goes on top of them, thicker, last in the legend.
    if (piuRun) {
        grafico->removeSeries(serie_);
        grafico->addSeries(serie_);
        serie_->attachAxis(asseInferiore_);
        serie_->attachAxis(asseSinistro_);
    }
    serie_->setPen(piuRun ? QPen(Qt::black, 3.5) : QPen(ColoreSerie, 2));
    grafico->legend()->setVisible(piuRun);
}

void VistaGrafico::disponiLegenda()
{
    QChart* grafico = chart();
    if (!legendaVisibile_) {
        legenda_->hide();
        grafico->setMargins(QMargins(Margine, Margine, Margine, Margine));
        return;
    }
    // The plot's height does not depend on the room taken at its right, so laying the legend out
    // again only when that height changes cannot loop.
    const QRectF area = grafico->plotArea();
    const qreal altezza = area.height() > 0 ? area.height() : grafico->size().height() - 100;
    if (std::abs(altezza - altezzaUsataLegenda_) > 0.5) {
        altezzaUsataLegenda_ = altezza;
        legenda_->imposta(valoriLegenda_, ColoreSerie, altezza);
        const int larghezza = static_cast<int>(std::ceil(legenda_->dimensione().width()));
        grafico->setMargins(
            QMargins(Margine, Margine, larghezza > 0 ? 2 * Margine + larghezza : Margine, Margine));
    }
    const QSizeF dimensione = legenda_->dimensione();
    const qreal x = grafico->size().width() - Margine - dimensione.width();
    const qreal y = area.top() + std::max<qreal>(0, (area.height() - dimensione.height()) / 2);
    legenda_->setPos(std::round(x), std::round(y));
    legenda_->setVisible(dimensione.width() > 0);
}

QImage VistaGrafico::immagine()
{
    return ImmagineDellaVista(*this);
}

QChart* GraficoBianco()
{
    auto* grafico = new QChart;
    grafico->setBackgroundRoundness(0);
    grafico->setBackgroundBrush(Qt::white);
    grafico->setBackgroundPen(Qt::NoPen);
    grafico->setDropShadowEnabled(false);
    grafico->setMargins(QMargins(Margine, Margine, Margine, Margine));
    QFont fontTitolo = grafico->titleFont();
    fontTitolo.setBold(true);
    fontTitolo.setPointSizeF(22.46987915039062);
    grafico->setTitleFont(fontTitolo);
    grafico->setTitleBrush(Qt::black);
    return grafico;
}

void PreparaAssi(QObject* contesto, std::initializer_list<QValueAxis*> assi)
{
    for (QValueAxis* asse : assi) {
        asse->setTitleBrush(Qt::black);
        asse->setLabelsBrush(Qt::black);
        // Also after a zoom, which changes the range behind our back.
        QObject::connect(asse, &QValueAxis::rangeChanged, contesto, [asse] { AdattaDecimali(asse); });
    }
}

void ImpostaLocaleNumeri(QChart* grafico, char separatore)
{
    QLocale numeri = separatore == ',' ? QLocale(QLocale::Italian, QLocale::Italy) : QLocale::c();
    numeri.setNumberOptions(QLocale::OmitGroupSeparator);
    grafico->setLocale(numeri);
    grafico->setLocalizeNumbers(true);
}

QImage ImmagineDellaVista(QGraphicsView& vista)
{
    QImage immagine(vista.size(), QImage::Format_RGB32);
    immagine.fill(Qt::white);
    QPainter pittore(&immagine);
    pittore.setRenderHint(QPainter::Antialiasing);
    pittore.setRenderHint(QPainter::TextAntialiasing);
    vista.render(&pittore);
    return immagine;
}

void VistaGrafico::ripristinaEstremi()
{
    asseInferiore_->setRange(estremi_[0], estremi_[1]);
    asseSinistro_->setRange(estremi_[2], estremi_[3]);
}

void VistaGrafico::contextMenuEvent(QContextMenuEvent* evento)
{
    emit menuRichiesto(evento->globalPos());
    evento->accept();
}

void VistaGrafico::mousePressEvent(QMouseEvent* evento)
{
    const QPointF punto = chart()->mapFromScene(mapToScene(evento->position().toPoint()));
    if (evento->button() == Qt::LeftButton && chart()->plotArea().contains(punto)) {
        zoomInCorso_ = true;
        inizioZoom_ = punto;
        rettangoloZoom_->setRect(QRectF(punto, punto));
        rettangoloZoom_->show();
        evento->accept();
        return;
    }
    QChartView::mousePressEvent(evento);
}

void VistaGrafico::mouseMoveEvent(QMouseEvent* evento)
{
    if (!zoomInCorso_) {
        QChartView::mouseMoveEvent(evento);
        return;
    }
    QPointF punto = chart()->mapFromScene(mapToScene(evento->position().toPoint()));
    const QRectF area = chart()->plotArea();
    punto.setX(std::clamp(punto.x(), area.left(), area.right()));
    punto.setY(std::clamp(punto.y(), area.top(), area.bottom()));
    rettangoloZoom_->setRect(QRectF(inizioZoom_, punto).normalized());
    evento->accept();
}

void VistaGrafico::mouseReleaseEvent(QMouseEvent* evento)
{
    if (!zoomInCorso_ || evento->button() != Qt::LeftButton) {
        QChartView::mouseReleaseEvent(evento);
        return;
    }
    zoomInCorso_ = false;
    rettangoloZoom_->hide();
    const QPointF fine = chart()->mapFromScene(mapToScene(evento->position().toPoint()));
    const QRectF rettangolo = rettangoloZoom_->rect();
    // Dragging towards the bottom right zooms into the rectangle; towards the top left undoes
    // every zoom.
    if (fine.x() < inizioZoom_.x() - TrascinamentoMinimo || fine.y() < inizioZoom_.y() - TrascinamentoMinimo)
        ripristinaEstremi();
    else if (rettangolo.width() > TrascinamentoMinimo && rettangolo.height() > TrascinamentoMinimo)
        chart()->zoomIn(rettangolo);
    evento->accept();
}

void VistaGrafico::resizeEvent(QResizeEvent* evento)
{
    QChartView::resizeEvent(evento);
    disponiLegenda();
}

} // namespace marvento
