#pragma once
// The chart view of the diagram window: a flat white Qt chart with one line series and our own
// legend of the points' values, or a line per run with their mean and Qt's legend of the runs;
// zooming by dragging a rectangle with the left button.

#include <QChartView>
#include <QImage>
#include <QPointF>

#include <initializer_list>
#include <vector>

class QGraphicsRectItem;
class QChart;
class QGraphicsView;
class QLineSeries;
class QValueAxis;

namespace marvento {

class LegendaPunti;
class ModelloGrafico;

class VistaGrafico : public QChartView
{
    Q_OBJECT

  public:
    explicit VistaGrafico(QWidget* parent = nullptr);
    ~VistaGrafico() override;

    // Shows the model: works out its automatic axis ends (stored back into the model, as drawing
    // does), then title, axes, line and legend. Undoes a zoom made with the mouse.
    void applica(ModelloGrafico& modello, char separatore);

    // The chart as on screen, at the view's size in logical pixels whatever the screen's scale.
    QImage immagine();

    QLineSeries* serie() const { return serie_; }
    // Several runs: their lines, in the order of the model's.
    const std::vector<QLineSeries*>& serieRun() const { return serieRun_; }
    QValueAxis* asseInferiore() const { return asseInferiore_; }
    QValueAxis* asseSinistro() const { return asseSinistro_; }
    const LegendaPunti* legenda() const { return legenda_; }

  signals:
    // A right click (or the menu key) on the chart, at this global position.
    void menuRichiesto(const QPoint& posizione);

  protected:
    void contextMenuEvent(QContextMenuEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

  private:
    void applicaRun(const ModelloGrafico& modello);
    void disponiLegenda();
    void ripristinaEstremi();

    QLineSeries* serie_;
    std::vector<QLineSeries*> serieRun_;
    QValueAxis* asseInferiore_;
    QValueAxis* asseSinistro_;
    LegendaPunti* legenda_;
    QGraphicsRectItem* rettangoloZoom_;
    QPointF inizioZoom_;
    bool zoomInCorso_ = false;

    // What applica showed, so that the legend can be laid out again and a zoom undone.
    QStringList valoriLegenda_;
    bool legendaVisibile_ = false;
    qreal altezzaUsataLegenda_ = -1;
    double estremi_[4] = {0, 1, 0, 1}; // bottom min, max, left min, max
};

// What the charts of the program share: a flat white chart with the bold title, axes in black
// with as many decimals as their step needs, numbers with the run's decimal separator, and the
// image of a view as on screen, at its size in logical pixels whatever the screen's scale.
QChart* GraficoBianco();
void PreparaAssi(QObject* contesto, std::initializer_list<QValueAxis*> assi);
void ImpostaLocaleNumeri(QChart* grafico, char separatore);
QImage ImmagineDellaVista(QGraphicsView& vista);

} // namespace marvento
