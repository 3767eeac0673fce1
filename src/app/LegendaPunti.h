#pragma once
// The chart's legend as the program shows it: one row per point of the series, with the point's
// Y value, in columns at the right of the plot. Qt Charts' own legend lists series, not points.

#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QStringList>

namespace marvento {

class LegendaPunti : public QGraphicsItem
{
  public:
    explicit LegendaPunti(QGraphicsItem* parent = nullptr);

    // Lays the rows out in as many columns as altezzaDisponibile (scene units) needs, at most a
    // few; rows that still do not fit are left out and the last shown row says how many.
    void imposta(const QStringList& valori, const QColor& colore, qreal altezzaDisponibile);
    // The rows as shown (the last one may say how many were left out).
    const QStringList& righe() const { return righe_; }
    // Width and height of the laid-out box; 0 x 0 without rows.
    QSizeF dimensione() const { return dimensione_; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    QStringList righe_;
    QColor colore_;
    QFont font_;
    int righePerColonna_ = 0;
    qreal larghezzaColonna_ = 0;
    qreal altezzaRiga_ = 0;
    QSizeF dimensione_;
};

} // namespace marvento
