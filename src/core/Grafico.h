#pragma once
// The trend chart as data: title, legend flag, two axes with their automatic ends, one line series.
// The window draws this model; every rule about what the chart shows lives here, free of any toolkit.

#include <string>
#include <utility>
#include <vector>

namespace marvento {

struct PuntoGrafico
{
    double x = 0.0;
    double y = 0.0;
};

// The chart's one line series. Points stay sorted by X; points with equal X keep the order in
// which they were added.
class SerieGrafico
{
  public:
    const std::vector<PuntoGrafico>& punti() const { return punti_; }
    void aggiungi(double x, double y);
    void svuota() { punti_.clear(); }

    const std::string& titolo() const { return titolo_; }
    void impostaTitolo(std::string titolo) { titolo_ = std::move(titolo); }

  private:
    std::vector<PuntoGrafico> punti_;
    std::string titolo_;
};

// An axis: title, stored ends and the three automatic flags (automatico, automatico minimo,
// automatico massimo). Ends that are automatic are worked out from the data at drawing time
// (CalcolaEstremi) and stored; the others keep the value set.
class AsseGrafico
{
  public:
    explicit AsseGrafico(std::string titolo = {}) : titolo_(std::move(titolo)) {}

    const std::string& titolo() const { return titolo_; }
    void impostaTitolo(std::string titolo) { titolo_ = std::move(titolo); }

    bool automatico() const { return automatico_; }
    bool automaticoMinimo() const { return automaticoMinimo_; }
    bool automaticoMassimo() const { return automaticoMassimo_; }
    // Sets all three flags.
    void impostaAutomatico(bool valore);
    // false also clears automatico; true sets it when the other end is automatic as well.
    void impostaAutomaticoMinimo(bool valore);
    void impostaAutomaticoMassimo(bool valore);

    double minimo() const { return minimo_; }
    double massimo() const { return massimo_; }
    // Fails with "Axis Minimum Value must be <= Maximum" when valore > massimo(); the minimum
    // then keeps its value.
    void impostaMinimo(double valore);

    // The drawing step: each end that is automatic (automatico, or its own flag) takes the
    // extreme of the data and is stored. Without data nothing changes.
    void CalcolaEstremi(const std::vector<double>& dati);

  private:
    std::string titolo_;
    bool automatico_ = true;
    bool automaticoMinimo_ = true;
    bool automaticoMassimo_ = true;
    double minimo_ = 0.0;
    double massimo_ = 0.0;
};

// The range that an axis shows: its stored ends, widened by 1 each way when they are equal and
// put in order when a fixed minimum stands above the data's maximum.
std::pair<double, double> EstremiVisibili(const AsseGrafico& asse);

class ModelloGrafico
{
  public:
    ModelloGrafico();

    // Set from one text cut at its line breaks (CR LF, LF or CR).
    void impostaTitolo(const std::string& testo);
    const std::vector<std::string>& righeTitolo() const { return titolo_; }
    // The title read back as one text: every line followed by CR LF, the last included.
    std::string testoTitolo() const;

    bool legendaVisibile = false;
    AsseGrafico asseInferiore{"Tempo [s]"};
    AsseGrafico asseSinistro{"Value"};
    // The line of one file, or of several runs their mean.
    SerieGrafico serie;
    // Several runs: a line per run, titled with the run's label, drawn under the mean. Empty for one file.
    std::vector<SerieGrafico> serieRun;

    // Every axis becomes fully automatic.
    void AzzeraAssi();
    // The drawing step for both axes: X of the points of every line for the bottom, Y for the left.
    void CalcolaEstremi();

  private:
    std::vector<std::string> titolo_;
};

// A Y value as the legend shows it: at most three decimals, trailing zeros dropped, no thousands
// separator.
std::string TestoLegenda(double valore, char separatore);

} // namespace marvento
