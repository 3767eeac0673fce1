#include "LegendaPunti.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace marvento {

namespace {
constexpr qreal Bordo = 4;        // inner padding of the box
constexpr qreal Segno = 10;       // side of the colour square before each value
constexpr qreal Spazio = 4;       // between square and text, and between columns
constexpr int MassimoColonne = 4; // beyond this the plot would become too narrow
} // namespace

LegendaPunti::LegendaPunti(QGraphicsItem* parent) : QGraphicsItem(parent)
{
    font_.setPointSizeF(8);
}

void LegendaPunti::imposta(const QStringList& valori, const QColor& colore, qreal altezzaDisponibile)
{
    prepareGeometryChange();
    colore_ = colore;
    righe_ = valori;
    dimensione_ = {};
    if (righe_.isEmpty())
        return;

    const QFontMetricsF metriche(font_);
    altezzaRiga_ = std::ceil(metriche.height()) + 1;
    const int disponibili = std::max(1, static_cast<int>((altezzaDisponibile - 2 * Bordo) / altezzaRiga_));
    const int totale = static_cast<int>(righe_.size());
    int colonne = std::min(MassimoColonne, (totale + disponibili - 1) / disponibili);
    righePerColonna_ = std::min(disponibili, (totale + colonne - 1) / colonne);
    const int mostrate = righePerColonna_ * colonne;
    if (totale > mostrate) {
        const int nascoste = totale - mostrate + 1;
        righe_ = righe_.mid(0, mostrate - 1);
        righe_.append(QStringLiteral("... +%1").arg(nascoste));
    }
    colonne = (static_cast<int>(righe_.size()) + righePerColonna_ - 1) / righePerColonna_;

    qreal testo = 0;
    for (const QString& riga : std::as_const(righe_))
        testo = std::max(testo, metriche.horizontalAdvance(riga));
    larghezzaColonna_ = std::ceil(Segno + Spazio + testo);
    dimensione_ = QSizeF(2 * Bordo + colonne * larghezzaColonna_ + (colonne - 1) * Spazio,
                         2 * Bordo + righePerColonna_ * altezzaRiga_);
}

QRectF LegendaPunti::boundingRect() const
{
    return QRectF(QPointF(0, 0), dimensione_).adjusted(-1, -1, 1, 1);
}

void LegendaPunti::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (righe_.isEmpty())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(QColor(128, 128, 128), 1));
    painter->setBrush(Qt::white);
    painter->drawRect(QRectF(QPointF(0, 0), dimensione_));
    painter->setFont(font_);
    for (int i = 0; i < righe_.size(); ++i) {
        const int colonna = i / righePerColonna_;
        const int riga = i % righePerColonna_;
        const qreal x = Bordo + colonna * (larghezzaColonna_ + Spazio);
        const qreal y = Bordo + riga * altezzaRiga_;
        const QRectF quadrato(x, y + (altezzaRiga_ - Segno) / 2, Segno, Segno);
        painter->setPen(Qt::black);
        painter->setBrush(colore_);
        painter->drawRect(quadrato);
        painter->drawText(QRectF(x + Segno + Spazio, y, larghezzaColonna_ - Segno - Spazio, altezzaRiga_),
                          Qt::AlignRight | Qt::AlignVCenter, righe_[i]);
    }
    painter->restore();
}

} // namespace marvento
