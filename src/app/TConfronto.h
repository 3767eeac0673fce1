#pragma once
// The chart of the comparison with the field data: simulated against observed hourly flows, a
// point per measurement or section and interval, the diagonal and the band of GEH below the
// threshold; "Salva" writes it as an image. The main window shows it from the summary's menu.

#include "ConfrontoRilievi.h"
#include "Piattaforma.h"

#include <QImage>
#include <QWidget>

#include <string>

class QChartView;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace marvento {

class TConfronto : public QWidget
{
    Q_OBJECT

  public:
    // piattaforma shows the save dialog and the error box and must outlive the window.
    TConfronto(char separatore, Piattaforma& piattaforma, QWidget* parent = nullptr);
    ~TConfronto() override;

    // Draws the model: its points, the diagonal and the two curves, both axes from 0 to its end.
    void mostraGrafico(const GraficoConfronto& modello);

    QChartView* Grafico() const { return vista_; }
    QScatterSeries* punti() const { return punti_; }
    QLineSeries* diagonale() const { return diagonale_; }
    QLineSeries* sopra() const { return sopra_; }
    QLineSeries* sotto() const { return sotto_; }
    QPushButton* Salva_BTN() const { return salva_; }

    // The chart as on screen, in the format that the extension selects, and written to that file;
    // both fail as TDiagrammi::salvaImmagine does.
    std::string immagine(const std::string& percorso);
    void salvaImmagine(const std::string& percorso);

  public slots:
    void Salva_BTNClick();

  private:
    char separatore_;
    Piattaforma& piattaforma_;
    QChartView* vista_;
    QScatterSeries* punti_;
    QLineSeries* diagonale_;
    QLineSeries* sopra_;
    QLineSeries* sotto_;
    QValueAxis* asseX_;
    QValueAxis* asseY_;
    QPushButton* salva_;
    DialogoFile DialogoSalva_Grafico_{"Portable Network Graphics", "*.png", "png", true, {}};
};

} // namespace marvento
