#include "Grafico.h"

#include "Errore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace marvento {

void SerieGrafico::aggiungi(double x, double y)
{
    // upper_bound puts a point after every point with an equal X: equal X keep their order of arrival,
    // and points that come in ascending order (the usual case) land at the end.
    auto dopo = std::upper_bound(punti_.begin(), punti_.end(), x,
                                 [](double valore, const PuntoGrafico& p) { return valore < p.x; });
    punti_.insert(dopo, PuntoGrafico{x, y});
}

void AsseGrafico::impostaAutomatico(bool valore)
{
    automatico_ = valore;
    automaticoMinimo_ = valore;
    automaticoMassimo_ = valore;
}

void AsseGrafico::impostaAutomaticoMinimo(bool valore)
{
    automaticoMinimo_ = valore;
    if (!valore)
        automatico_ = false;
    else if (automaticoMassimo_)
        automatico_ = true;
}

void AsseGrafico::impostaAutomaticoMassimo(bool valore)
{
    automaticoMassimo_ = valore;
    if (!valore)
        automatico_ = false;
    else if (automaticoMinimo_)
        automatico_ = true;
}

void AsseGrafico::impostaMinimo(double valore)
{
    if (valore > massimo_)
        throw Errore("Axis Minimum Value must be <= Maximum");
    minimo_ = valore;
}

void AsseGrafico::CalcolaEstremi(const std::vector<double>& dati)
{
    if (dati.empty())
        return;
    const auto [basso, alto] = std::minmax_element(dati.begin(), dati.end());
    if (automatico_ || automaticoMassimo_)
        massimo_ = *alto;
    if (automatico_ || automaticoMinimo_)
        minimo_ = *basso;
}

std::pair<double, double> EstremiVisibili(const AsseGrafico& asse)
{
    double basso = asse.minimo();
    double alto = asse.massimo();
    if (basso > alto)
        std::swap(basso, alto);
    if (basso == alto)
        return {basso - 1.0, alto + 1.0};
    return {basso, alto};
}

ModelloGrafico::ModelloGrafico()
{
    impostaTitolo("Trend");
}

void ModelloGrafico::impostaTitolo(const std::string& testo)
{
    // Each line ends at CR, LF or CR LF; a break at the very end opens no further line.
    titolo_.clear();
    std::size_t i = 0;
    while (i < testo.size()) {
        const std::size_t fine = testo.find_first_of("\r\n", i);
        if (fine == std::string::npos) {
            titolo_.push_back(testo.substr(i));
            break;
        }
        titolo_.push_back(testo.substr(i, fine - i));
        i = fine + 1;
        if (testo[fine] == '\r' && i < testo.size() && testo[i] == '\n')
            ++i;
    }
}

std::string ModelloGrafico::testoTitolo() const
{
    std::string testo;
    for (const std::string& riga : titolo_)
        testo += riga + "\r\n";
    return testo;
}

void ModelloGrafico::AzzeraAssi()
{
    asseInferiore.impostaAutomatico(true);
    asseSinistro.impostaAutomatico(true);
}

void ModelloGrafico::CalcolaEstremi()
{
    std::vector<double> xs;
    std::vector<double> ys;
    xs.reserve(serie.punti().size());
    ys.reserve(serie.punti().size());
    for (const PuntoGrafico& p : serie.punti()) {
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    for (const SerieGrafico& run : serieRun)
        for (const PuntoGrafico& p : run.punti()) {
            xs.push_back(p.x);
            ys.push_back(p.y);
        }
    asseInferiore.CalcolaEstremi(xs);
    asseSinistro.CalcolaEstremi(ys);
}

std::string TestoLegenda(double valore, char separatore)
{
    if (!std::isfinite(valore)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", valore);
        return buffer;
    }
    // to_chars ignores the C locale, which the toolkit sets from the environment.
    char buffer[400];
    const auto risultato = std::to_chars(buffer, buffer + sizeof buffer, valore, std::chars_format::fixed, 3);
    std::string testo(buffer, risultato.ptr);
    while (!testo.empty() && testo.back() == '0')
        testo.pop_back();
    if (!testo.empty() && testo.back() == '.')
        testo.pop_back();
    if (testo == "-0")
        testo = "0";
    const std::size_t punto = testo.find('.');
    if (punto != std::string::npos)
        testo[punto] = separatore;
    return testo;
}

} // namespace marvento
