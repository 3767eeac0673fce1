#include "StatisticheRun.h"

#include "Errore.h"
#include "ImportaLista.h"
#include "Importazione.h"
#include "Numeri.h"
#include "Testo.h"

#include <boost/math/distributions/students_t.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace marvento {

namespace {

// Where each importer puts what the statistics read.
struct ColonneRiepilogo
{
    int numero;
    int veicoli;
    int figura;
    int etichetta;
    const char* nomeRiga; // "misura" / "sezione", for messages
    const char* intestazioneNumero;
    const char* intestazioneEtichetta;
};

ColonneRiepilogo Colonne(TipoFile tipo)
{
    if (tipo == TipoFile::Velocita)
        return {riepilogo_velocita::kMisura,
                riepilogo_velocita::kVeicoli,
                riepilogo_velocita::kVelocita,
                riepilogo_velocita::kSezione,
                "misura",
                "Misura",
                "Etichetta"};
    return {riepilogo_archi::kSezione,
            riepilogo_archi::kVeicoli,
            riepilogo_archi::kTempoMedio,
            riepilogo_archi::kLunghezza,
            "sezione",
            "Sezione",
            "Lunghezza [m]"};
}

std::string TraVirgolette(const std::string& testo)
{
    return "\"" + testo + "\"";
}

// Lengths written with different padding or digits ("512,3" / "512,30") are the same length.
bool StessaLunghezza(std::string_view a, std::string_view b, char separatore)
{
    if (a == b)
        return true;
    try {
        return LeggiDecimale(a, separatore) == LeggiDecimale(b, separatore);
    } catch (const Errore&) {
        return false;
    }
}

void ControllaCorrispondenza(const std::vector<RiepilogoRun>& run, TipoFile tipo, char separatore)
{
    const ColonneRiepilogo colonne = Colonne(tipo);
    const RiepilogoRun& primo = run.front();
    const int righe = primo.riepilogo.numeroRighe();
    for (std::size_t i = 1; i < run.size(); ++i) {
        const RiepilogoRun& altro = run[i];
        if (altro.riepilogo.numeroRighe() != righe) {
            throw Errore("Il file " + TraVirgolette(altro.nomeFile) + " non ha lo stesso numero di " +
                         (tipo == TipoFile::Velocita ? "misure" : "sezioni") + " del file " +
                         TraVirgolette(primo.nomeFile) + " (" +
                         std::to_string(altro.riepilogo.numeroRighe()) + " invece di " +
                         std::to_string(righe) + ").");
        }
        for (int r = 0; r < righe; ++r) {
            const std::string_view atteso = primo.riepilogo.cella(colonne.etichetta, r);
            const std::string_view trovato = altro.riepilogo.cella(colonne.etichetta, r);
            const bool uguali =
                tipo == TipoFile::Velocita ? atteso == trovato : StessaLunghezza(atteso, trovato, separatore);
            if (!uguali) {
                throw Errore("La " + std::string(colonne.nomeRiga) + " " + std::to_string(r + 1) +
                             " del file " + TraVirgolette(altro.nomeFile) + " ha " +
                             (tipo == TipoFile::Velocita ? "un'etichetta diversa" : "una lunghezza diversa") +
                             " da quella del file " + TraVirgolette(primo.nomeFile) + " (" +
                             TraVirgolette(std::string(trovato)) + " invece di " +
                             TraVirgolette(std::string(atteso)) + ").");
            }
        }
    }
}

struct Valori
{
    std::vector<double> figure;
    long double sommaVeicoli = 0;
    int runConVeicoli = 0;
};

// The figures of one row across runs. An empty vehicle cell means the file had no vehicle
// column: that run counts for neither mean.
Valori RaccogliValori(const std::vector<RiepilogoRun>& run, const ColonneRiepilogo& colonne, int riga,
                      char separatore)
{
    Valori valori;
    for (const RiepilogoRun& uno : run) {
        const std::string_view testoVeicoli = uno.riepilogo.cella(colonne.veicoli, riga);
        std::optional<std::int32_t> veicoli;
        if (!testoVeicoli.empty()) {
            veicoli = LeggiIntero(testoVeicoli);
            valori.sommaVeicoli += *veicoli;
            ++valori.runConVeicoli;
        }
        const std::string_view testoFigura = uno.riepilogo.cella(colonne.figura, riga);
        // No vehicle, no figure: the importer's "0" there is not a measured value.
        if (testoFigura.empty() || (veicoli && *veicoli == 0))
            continue;
        valori.figure.push_back(LeggiDecimale(testoFigura, separatore));
    }
    return valori;
}

} // namespace

RiepilogoRun ImportaRun(const std::string& percorso, TipoFile tipo, char separatore)
{
    return RiepilogoRun{percorso, ImportaFile(percorso, tipo, separatore).riepilogo};
}

std::vector<RiepilogoRun> ImportaRunDellaLista(const std::string& percorso, const std::string& nome,
                                               char separatore, TipoFile& tipo)
{
    const ListaRighe righe = CaricaRighe(percorso);
    tipo = TipoDellaLista(righe);
    const ListaRisultati lista(righe, tipo, separatore);
    std::vector<RiepilogoRun> run;
    for (int r = 0; r < lista.numeroRun(); ++r)
        run.push_back({nome + " (run " + lista.etichettaRun(r) + ")", lista.run(r).riepilogo});
    return run;
}

double QuantileStudent(double confidenza, int gradi)
{
    if (!(confidenza > 0.0 && confidenza < 1.0))
        throw Errore("Il livello di confidenza deve essere compreso tra 0 e 1.");
    if (gradi < 1)
        throw Errore("Servono almeno due run per l'intervallo di confidenza.");
    const boost::math::students_t distribuzione(static_cast<double>(gradi));
    return boost::math::quantile(boost::math::complement(distribuzione, (1.0 - confidenza) / 2.0));
}

double Semiampiezza(int n, double devStd, double confidenza)
{
    return QuantileStudent(confidenza, n - 1) * devStd / std::sqrt(static_cast<double>(n));
}

int RunNecessari(int n, double media, double devStd, double confidenza, double tolleranza)
{
    constexpr int massimo = 1000000;
    if (devStd == 0.0)
        return 2;
    const double errore = tolleranza * std::fabs(media);
    if (!(errore > 0.0))
        return 0;
    // (t * s / E)^2 for k runs: never grows with k, so k minus it strictly decreases.
    const auto richiesti = [&](int k) {
        const double rapporto = QuantileStudent(confidenza, k - 1) * devStd / errore;
        return rapporto * rapporto;
    };
    const auto prossimo = [&](int k) {
        const double r = richiesti(k);
        if (r > massimo)
            return massimo + 1;
        return std::max(2, static_cast<int>(std::ceil(r)));
    };

    int k = std::max(n, 2);
    for (int passo = 0; passo < 50; ++passo) {
        const int m = prossimo(k);
        if (m == k)
            return k > massimo ? 0 : k;
        k = m;
    }
    // The iteration can swing between two neighbours; its fixed point, when there is one, is the
    // smallest k with (t * s / E)^2 <= k, and that smallest k is always the right answer.
    if (richiesti(massimo) > massimo)
        return 0;
    if (richiesti(2) <= 2)
        return 2;
    int basso = 2;
    int alto = massimo;
    while (alto - basso > 1) {
        const int mezzo = basso + (alto - basso) / 2;
        if (richiesti(mezzo) <= mezzo)
            alto = mezzo;
        else
            basso = mezzo;
    }
    return alto;
}

Griglia CalcolaStatisticheRun(const std::vector<RiepilogoRun>& run, TipoFile tipo, double confidenza,
                              double tolleranza, char separatore)
{
    if (run.empty())
        throw Errore("Nessun file di run da confrontare.");
    if (!(confidenza > 0.0 && confidenza < 1.0))
        throw Errore("Il livello di confidenza deve essere compreso tra 0 e 1.");
    if (!(tolleranza > 0.0) || !std::isfinite(tolleranza))
        throw Errore("La tolleranza deve essere maggiore di 0.");
    ControllaCorrispondenza(run, tipo, separatore);

    const ColonneRiepilogo colonne = Colonne(tipo);
    const Griglia& primo = run.front().riepilogo;
    const int righe = primo.numeroRighe();

    Griglia risultato;
    PreparaGriglia(risultato, righe, 10, false);
    const char* intestazioni[] = {colonne.intestazioneNumero,
                                  colonne.intestazioneEtichetta,
                                  "Run validi",
                                  "Veicoli medi",
                                  "Media",
                                  "Dev. std",
                                  "Minimo",
                                  "Massimo",
                                  "Semiampiezza IC",
                                  "Run necessari"};
    for (int c = 0; c < 10; ++c)
        risultato.impostaIntestazione(c, intestazioni[c]);

    for (int r = 0; r < righe; ++r) {
        risultato.impostaCella(0, r, primo.cella(colonne.numero, r));
        risultato.impostaCella(1, r, primo.cella(colonne.etichetta, r));

        const Valori valori = RaccogliValori(run, colonne, r, separatore);
        const int n = static_cast<int>(valori.figure.size());
        risultato.impostaCella(2, r, FormattaIntero(n));
        if (valori.runConVeicoli > 0)
            risultato.impostaCella(3, r,
                                   FormattaDecimale(valori.sommaVeicoli / valori.runConVeicoli, separatore));
        if (n == 0)
            continue;

        long double somma = 0;
        for (double x : valori.figure)
            somma += x;
        const long double media = somma / n;
        const auto [minimo, massimo] = std::minmax_element(valori.figure.begin(), valori.figure.end());
        risultato.impostaCella(4, r, FormattaDecimale(media, separatore));
        risultato.impostaCella(6, r, FormattaDecimale(*minimo, separatore));
        risultato.impostaCella(7, r, FormattaDecimale(*massimo, separatore));
        if (n < 2)
            continue;

        long double scarti = 0;
        for (double x : valori.figure)
            scarti += (x - media) * (x - media);
        // Equal figures must give exactly 0, not the rounding left over from the mean.
        const double devStd = *minimo == *massimo ? 0.0 : static_cast<double>(std::sqrt(scarti / (n - 1)));
        risultato.impostaCella(5, r, FormattaDecimale(devStd, separatore));
        risultato.impostaCella(8, r, FormattaDecimale(Semiampiezza(n, devStd, confidenza), separatore));
        const int necessari = RunNecessari(n, static_cast<double>(media), devStd, confidenza, tolleranza);
        if (necessari > 0)
            risultato.impostaCella(9, r, FormattaIntero(necessari));
    }
    return risultato;
}

} // namespace marvento
