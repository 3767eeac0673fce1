// The field data against the simulated detail table: the table gives every interval of every run,
// the summary gains the comparison's columns.
#include "ConfrontoRilievi.h"

#include "Errore.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Numeri.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <string_view>
#include <utility>

namespace marvento {

namespace {

constexpr double kSecondiOra = 3600.0;
// Interval ends are whole seconds in practice; this only absorbs the decimals a file may write.
constexpr double kScarto = 1e-6;

struct Intervallo
{
    double da = 0;
    double a = 0;
    double durata() const { return a - da; }
};

// One run's figures of one measurement in one interval.
struct Dato
{
    double veicoli = 0;
    double valore = 0;
};

// The detail table read back: the intervals of all runs (in order of first appearance) and, per
// measurement or section, per interval, per run, its figures (none when the run lacks the interval).
struct Simulazione
{
    std::vector<Intervallo> intervalli;
    int run = 0;
    std::vector<std::vector<std::vector<std::optional<Dato>>>> dati;

    std::map<std::pair<double, double>, int> indici;

    // The interval's place, a new one at the end; runs of one scenario write the same figures.
    int indice(double da, double a)
    {
        const auto [posto, nuovo] =
            indici.emplace(std::make_pair(da, a), static_cast<int>(intervalli.size()));
        if (!nuovo)
            return posto->second;
        intervalli.push_back({da, a});
        for (auto& misura : dati)
            misura.emplace_back(static_cast<std::size_t>(run));
        return static_cast<int>(intervalli.size()) - 1;
    }
};

// Where the figures stand in the detail table.
struct Disposizione
{
    bool piuRun = false;
    int colonnaDa = -1;                       // speeds: start and end of each interval
    int colonnaA = -1;                        // travel times: the end alone
    std::vector<std::pair<int, int>> blocchi; // vehicles and value of each measurement or section
};

int Colonna(const Griglia& tabella, std::string_view intestazione, int da = 0, int a = -1)
{
    const int fine = a < 0 ? tabella.numeroColonne() : a;
    for (int c = da; c < fine; ++c)
        if (tabella.intestazione(c) == intestazione)
            return c;
    return -1;
}

// The speed's header: the summary's (a result list may measure in other units), when the detail
// table has it.
std::string IntestazioneValore(const Griglia& tabella, const Griglia& riepilogo, TipoFile tipo)
{
    if (tipo != TipoFile::Velocita)
        return std::string(ParoleArchiItaliano().colonnaTempo);
    if (riepilogo.numeroColonne() > riepilogo_velocita::kVelocita) {
        const std::string& intestazione = riepilogo.intestazione(riepilogo_velocita::kVelocita);
        if (Colonna(tabella, intestazione) >= 0)
            return intestazione;
    }
    return std::string(ParoleVelocitaItaliano().colonnaVelocita);
}

Disposizione DisposizioneDi(const Griglia& tabella, const std::string& valore, TipoFile tipo,
                            int righeRiepilogo)
{
    Disposizione d;
    const bool velocita = tipo == TipoFile::Velocita;
    if (!velocita && tipo != TipoFile::Archi)
        throw Errore("Il confronto con i rilievi vale per i file di velocita' (.mes) e di tempi (.rsz)");
    const ParoleVelocita& pv = ParoleVelocitaItaliano();
    const ParoleArchi& pa = ParoleArchiItaliano();
    d.piuRun = tabella.numeroColonne() > 0 && tabella.intestazione(0) == kColonnaRun;
    if (velocita) {
        d.colonnaDa = Colonna(tabella, pv.colonnaDa);
        d.colonnaA = Colonna(tabella, pv.colonnaA);
    } else {
        d.colonnaA = Colonna(tabella, pa.colonnaIntervallo);
    }
    const std::string_view marcatore = velocita ? pv.colonnaMisura : pa.colonnaSezione;
    std::vector<int> inizi;
    for (int c = 0; c < tabella.numeroColonne(); ++c)
        if (tabella.intestazione(c) == marcatore)
            inizi.push_back(c);
    for (std::size_t b = 0; b < inizi.size(); ++b) {
        const int fine = b + 1 < inizi.size() ? inizi[b + 1] : tabella.numeroColonne();
        d.blocchi.emplace_back(Colonna(tabella, pa.colonnaVeicoli, inizi[b], fine),
                               Colonna(tabella, valore, inizi[b], fine));
    }
    const bool completa = d.colonnaA >= 0 && (!velocita || d.colonnaDa >= 0) &&
                          std::all_of(d.blocchi.begin(), d.blocchi.end(), [](const auto& blocco) {
                              return blocco.first >= 0 && blocco.second >= 0;
                          });
    if (!completa || static_cast<int>(d.blocchi.size()) != righeRiepilogo)
        throw Errore("La tabella di dettaglio non ha le colonne del riepilogo (intervalli, veicoli e " +
                     std::string(velocita ? "velocita'" : "tempi") +
                     " per ogni riga): non si confronta con i rilievi");
    return d;
}

double Cella(const Griglia& tabella, int colonna, int riga, char separatore)
{
    try {
        return LeggiDecimale(tabella.cella(colonna, riga), separatore);
    } catch (const Errore& e) {
        throw Errore("Tabella di dettaglio, riga " + std::to_string(riga + 1) + ", colonna \"" +
                     tabella.intestazione(colonna) + "\": " + TestoBoxErrore(e));
    }
}

// The rows of each run: those of one run follow each other, told by the "Run" column.
std::vector<std::vector<int>> RighePerRun(const Griglia& tabella, bool piuRun)
{
    std::vector<std::vector<int>> run;
    for (int r = 0; r < tabella.numeroRighe(); ++r) {
        if (run.empty() || (piuRun && tabella.cella(0, r) != tabella.cella(0, r - 1)))
            run.emplace_back();
        run.back().push_back(r);
    }
    return run;
}

// A travel-time table gives each interval's end: an interval starts where the one before ended,
// the first as long before its end as the second is after it (at 0 when it is alone).
std::vector<Intervallo> IntervalliRun(const Griglia& tabella, const Disposizione& d,
                                      const std::vector<int>& righe, char separatore)
{
    std::vector<Intervallo> intervalli;
    for (const int r : righe) {
        const double a = Cella(tabella, d.colonnaA, r, separatore);
        if (d.colonnaDa >= 0)
            intervalli.push_back({Cella(tabella, d.colonnaDa, r, separatore), a});
        else
            intervalli.push_back({intervalli.empty() ? 0.0 : intervalli.back().a, a});
    }
    if (d.colonnaDa < 0 && intervalli.size() >= 2)
        intervalli.front().da = intervalli.front().a - (intervalli[1].a - intervalli.front().a);
    return intervalli;
}

Simulazione LeggiSimulazione(const Griglia& tabella, const Disposizione& d, char separatore)
{
    Simulazione s;
    s.dati.resize(d.blocchi.size());
    const std::vector<std::vector<int>> run = RighePerRun(tabella, d.piuRun);
    s.run = static_cast<int>(run.size());
    for (std::size_t k = 0; k < run.size(); ++k) {
        const std::vector<Intervallo> intervalli = IntervalliRun(tabella, d, run[k], separatore);
        for (std::size_t j = 0; j < run[k].size(); ++j) {
            const int i = s.indice(intervalli[j].da, intervalli[j].a);
            for (std::size_t m = 0; m < d.blocchi.size(); ++m) {
                const auto [veicoli, valore] = d.blocchi[m];
                Dato dato{Cella(tabella, veicoli, run[k][j], separatore), 0.0};
                // A result list leaves the value of an interval without vehicles empty.
                if (dato.veicoli != 0 || !tabella.cella(valore, run[k][j]).empty())
                    dato.valore = Cella(tabella, valore, run[k][j], separatore);
                s.dati[m][static_cast<std::size_t>(i)][k] = dato;
            }
        }
    }
    return s;
}

// The mean over the runs that have the interval of its vehicles.
double VeicoliMedi(const Simulazione& s, std::size_t m, std::size_t i)
{
    double somma = 0;
    int run = 0;
    for (const std::optional<Dato>& dato : s.dati[m][i])
        if (dato) {
            somma += dato->veicoli;
            ++run;
        }
    return run == 0 ? 0.0 : somma / run;
}

// The mean over the runs with vehicles in the interval of its value; none when no run has any.
std::optional<double> ValoreMedio(const Simulazione& s, std::size_t m, std::size_t i)
{
    double somma = 0;
    int run = 0;
    for (const std::optional<Dato>& dato : s.dati[m][i])
        if (dato && dato->veicoli > 0) {
            somma += dato->valore;
            ++run;
        }
    if (run == 0)
        return std::nullopt;
    return somma / run;
}

// Over the whole period: each run's vehicle-weighted mean, as the summary's, then their mean over
// the runs with vehicles.
std::optional<double> ValorePeriodo(const Simulazione& s, std::size_t m)
{
    double somma = 0;
    int run = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(s.run); ++k) {
        double veicoli = 0;
        double pesata = 0;
        for (const auto& intervallo : s.dati[m])
            if (intervallo[k]) {
                veicoli += intervallo[k]->veicoli;
                pesata += intervallo[k]->valore * intervallo[k]->veicoli;
            }
        if (veicoli > 0) {
            somma += pesata / veicoli;
            ++run;
        }
    }
    if (run == 0)
        return std::nullopt;
    return somma / run;
}

// The field rows of one measurement or section.
struct RilieviMisura
{
    const RigaRilievo* periodo = nullptr;
    std::vector<std::pair<const RigaRilievo*, std::size_t>> intervalli; // with the simulated interval
};

long long NumeroDi(std::string_view testo)
{
    testo = testo.substr(std::min(testo.find_first_not_of(" \t"), testo.size()));
    long long numero = -1;
    std::from_chars(testo.data(), testo.data() + testo.size(), numero);
    return numero;
}

std::size_t IntervalloDi(const Simulazione& s, const RigaRilievo& riga)
{
    for (std::size_t i = 0; i < s.intervalli.size(); ++i)
        if (std::abs(s.intervalli[i].a - *riga.a) < kScarto &&
            (!riga.da || std::abs(s.intervalli[i].da - *riga.da) < kScarto))
            return i;
    throw Errore("Riga " + std::to_string(riga.riga) + " del file dei rilievi: l'intervallo " +
                 TestoIntervallo(riga) + " non e' un intervallo della simulazione");
}

// The field rows matched to the summary rows; rows of another number go to senzaCorrispondenza.
std::vector<RilieviMisura> Abbina(const Rilievi& rilievi, const Griglia& riepilogo,
                                  const std::vector<RigaRiepilogo>& righeRiepilogo, const Simulazione& s,
                                  TipoFile tipo, EsitoConfronto& esito)
{
    // The first of two rows with one number takes its field data.
    std::map<long long, std::size_t> perNumero;
    const int righe = riepilogo.numeroRighe();
    for (int r = righe - 1; r >= 0; --r) {
        const std::size_t i = static_cast<std::size_t>(r);
        const std::string_view numero =
            i < righeRiepilogo.size() ? std::string_view(righeRiepilogo[i].numero) : riepilogo.cella(0, r);
        perNumero[NumeroDi(numero)] = i;
    }
    std::vector<RilieviMisura> abbinati(static_cast<std::size_t>(righe));
    std::map<std::pair<std::size_t, std::size_t>, int> viste; // (row, interval + 1) -> line
    for (const RigaRilievo& riga : rilievi.righe) {
        const std::string inizio = "Riga " + std::to_string(riga.riga) + " del file dei rilievi: ";
        if (tipo == TipoFile::Archi && riga.velocita)
            throw Errore(inizio +
                         "una velocita' non si confronta con i tempi di percorrenza di un file .rsz");
        if (tipo == TipoFile::Velocita && riga.tempo)
            throw Errore(inizio +
                         "un tempo di percorrenza non si confronta con le velocita' di un file .mes");
        const auto trovato = perNumero.find(riga.numero);
        if (trovato == perNumero.end()) {
            esito.senzaCorrispondenza.push_back(riga);
            continue;
        }
        RilieviMisura& misura = abbinati[trovato->second];
        const std::size_t intervallo = riga.a ? IntervalloDi(s, riga) : 0;
        const auto [prima, nuova] =
            viste.emplace(std::make_pair(trovato->second, riga.a ? intervallo + 1 : 0), riga.riga);
        if (!nuova)
            throw Errore(inizio + "la misura o sezione " + std::to_string(riga.numero) +
                         " ha gia' una riga per " + (riga.a ? "questo intervallo" : "l'intero periodo") +
                         " (riga " + std::to_string(prima->second) + ")");
        if (riga.a)
            misura.intervalli.emplace_back(&riga, intervallo);
        else
            misura.periodo = &riga;
    }
    return abbinati;
}

// The comparison's cells of one summary row, empty where it has nothing to say.
struct Confronto
{
    std::optional<double> rilevati, simulati, geh, quota;
    std::optional<double> valoreRilevato;
    std::optional<double> valoreSimulato;
    bool conValore = false;
    bool ok = false;
};

double Orario(double veicoli, double durata)
{
    return durata > 0 ? veicoli * kSecondiOra / durata : 0.0;
}

// The counts: each interval a case, or the whole period when the field gives no interval.
void ConfrontaConteggi(const Simulazione& s, std::size_t m, const RilieviMisura& rilievi, int rigaRiepilogo,
                       Confronto& c, EsitoConfronto& esito, const CriteriConfronto& criteri)
{
    double durataPeriodo = 0;
    double simulatiPeriodo = 0;
    for (std::size_t i = 0; i < s.intervalli.size(); ++i) {
        durataPeriodo += s.intervalli[i].durata();
        simulatiPeriodo += VeicoliMedi(s, m, i);
    }
    std::vector<CasoConteggio> casi;
    double rilevati = 0, simulati = 0, durata = 0;
    for (const auto& [riga, i] : rilievi.intervalli) {
        if (!riga->veicoli)
            continue;
        const double d = s.intervalli[i].durata();
        const double sim = VeicoliMedi(s, m, i);
        rilevati += *riga->veicoli;
        simulati += sim;
        durata += d;
        casi.push_back({rigaRiepilogo, riga->riga, Orario(*riga->veicoli, d), Orario(sim, d), 0});
    }
    if (rilievi.periodo && rilievi.periodo->veicoli) {
        rilevati = *rilievi.periodo->veicoli;
        simulati = simulatiPeriodo;
        durata = durataPeriodo;
        if (casi.empty())
            casi.push_back({rigaRiepilogo, rilievi.periodo->riga, Orario(rilevati, durata),
                            Orario(simulati, durata), 0});
    } else if (casi.empty()) {
        return;
    }
    int sottoSoglia = 0;
    for (CasoConteggio& caso : casi) {
        caso.geh = Geh(caso.simulatiOrari, caso.rilevatiOrari);
        sottoSoglia += caso.geh < criteri.sogliaGeh ? 1 : 0;
        esito.casi.push_back(caso);
    }
    esito.casiSottoSoglia += sottoSoglia;
    c.rilevati = rilevati;
    c.simulati = simulati;
    c.geh = Geh(Orario(simulati, durata), Orario(rilevati, durata));
    c.quota = 100.0 * sottoSoglia / static_cast<double>(casi.size());
}

// The speed or travel time: of the whole period, else the mean over the intervals observed.
void ConfrontaValori(const Simulazione& s, std::size_t m, const RilieviMisura& rilievi, TipoFile tipo,
                     Confronto& c)
{
    const auto osservato = [tipo](const RigaRilievo& riga) {
        return tipo == TipoFile::Velocita ? riga.velocita : riga.tempo;
    };
    if (rilievi.periodo && osservato(*rilievi.periodo)) {
        c.conValore = true;
        c.valoreRilevato = osservato(*rilievi.periodo);
        c.valoreSimulato = ValorePeriodo(s, m);
        return;
    }
    double rilevato = 0, simulato = 0;
    int quanti = 0;
    bool completo = true;
    for (const auto& [riga, i] : rilievi.intervalli) {
        if (!osservato(*riga))
            continue;
        const std::optional<double> sim = ValoreMedio(s, m, i);
        rilevato += *osservato(*riga);
        simulato += sim.value_or(0.0);
        completo = completo && sim.has_value();
        ++quanti;
    }
    if (quanti == 0)
        return;
    c.conValore = true;
    c.valoreRilevato = rilevato / quanti;
    if (completo)
        c.valoreSimulato = simulato / quanti;
}

bool EntroTolleranza(const Confronto& c, TipoFile tipo, const CriteriConfronto& criteri)
{
    if (!c.valoreSimulato)
        return false; // observed where the simulation had no vehicle
    const double scarto = std::abs(*c.valoreSimulato - *c.valoreRilevato);
    double ammesso = criteri.tolleranzaPercento / 100.0 * *c.valoreRilevato;
    if (tipo == TipoFile::Archi)
        ammesso = std::max(ammesso, criteri.tolleranzaSecondi);
    return scarto <= ammesso;
}

void ScriviConfronto(Griglia& riepilogo, int prima, int riga, const Confronto& c, char separatore)
{
    const auto numero = [&](int colonna, const std::optional<double>& valore) {
        if (valore)
            riepilogo.impostaCella(prima + colonna, riga, FormattaDecimale(*valore, separatore));
    };
    numero(0, c.rilevati);
    numero(1, c.simulati);
    numero(2, c.geh);
    numero(3, c.quota);
    numero(4, c.valoreRilevato);
    numero(5, c.valoreSimulato);
    if (c.valoreSimulato && c.valoreRilevato) {
        const double differenza = *c.valoreSimulato - *c.valoreRilevato;
        numero(6, differenza);
        numero(7, 100.0 * differenza / *c.valoreRilevato);
    }
    riepilogo.impostaCella(prima + 8, riga, c.ok ? "OK" : "NO");
}

} // namespace

double Geh(double simulato, double rilevato)
{
    const double somma = simulato + rilevato;
    if (somma <= 0)
        return 0.0;
    const double differenza = simulato - rilevato;
    return std::sqrt(2.0 * differenza * differenza / somma);
}

std::vector<std::string> ColonneConfronto(TipoFile tipo, const CriteriConfronto& criteri, char separatore,
                                          std::string unita)
{
    const bool velocita = tipo == TipoFile::Velocita;
    const std::string valore = velocita ? "Vel" : "TdP";
    if (unita.empty())
        unita = velocita ? " [km/h]" : " [s]";
    return {"Veicoli rilevati",
            "Veicoli simulati",
            "GEH",
            "GEH<" + TestoLegenda(criteri.sogliaGeh, separatore) + " [%]",
            valore + (velocita ? " rilevata" : " rilevato") + unita,
            valore + (velocita ? " simulata" : " simulato") + unita,
            "Diff. " + valore + unita,
            "Diff. " + valore + " [%]",
            "Esito"};
}

EsitoConfronto ConfrontaRilievi(const Griglia& tabella, const Griglia& riepilogoSimulato,
                                const std::vector<RigaRiepilogo>& righeRiepilogo, int colonneProprie,
                                TipoFile tipo, const Rilievi& rilievi, const CriteriConfronto& criteri,
                                char separatore)
{
    const int righe = riepilogoSimulato.numeroRighe();
    const std::string valore = IntestazioneValore(tabella, riepilogoSimulato, tipo);
    const Disposizione disposizione = DisposizioneDi(tabella, valore, tipo, righe);
    Simulazione s = LeggiSimulazione(tabella, disposizione, separatore);
    EsitoConfronto esito;
    const std::vector<RilieviMisura> abbinati =
        Abbina(rilievi, riepilogoSimulato, righeRiepilogo, s, tipo, esito);

    esito.riepilogo = riepilogoSimulato;
    Griglia& riepilogo = esito.riepilogo;
    std::vector<int> vecchie;
    for (int c = std::max(colonneProprie, 0); c < riepilogo.numeroColonne(); ++c)
        vecchie.push_back(c);
    riepilogo.rimuoviColonne(vecchie);
    const int prima = riepilogo.numeroColonne();
    const std::size_t unita = valore.rfind(" [");
    for (const std::string& intestazione : ColonneConfronto(
             tipo, criteri, separatore, unita == std::string::npos ? std::string() : valore.substr(unita))) {
        riepilogo.aggiungiColonna();
        riepilogo.impostaIntestazione(riepilogo.numeroColonne() - 1, intestazione);
    }
    for (int r = 0; r < righe; ++r) {
        const std::size_t m = static_cast<std::size_t>(r);
        const RilieviMisura& misura = abbinati[m];
        if (!misura.periodo && misura.intervalli.empty())
            continue;
        Confronto c;
        ConfrontaConteggi(s, m, misura, r, c, esito, criteri);
        ConfrontaValori(s, m, misura, tipo, c);
        c.ok = (!c.geh || *c.geh < criteri.sogliaGeh) && (!c.conValore || EntroTolleranza(c, tipo, criteri));
        ScriviConfronto(riepilogo, prima, r, c, separatore);
        ++esito.righeConfrontate;
        esito.righeOk += c.ok ? 1 : 0;
    }
    return esito;
}

namespace {

std::string Quota(int parte, int tutto, const CriteriConfronto& criteri, char separatore)
{
    const double quota = 100.0 * parte / tutto;
    return std::to_string(parte) + " su " + std::to_string(tutto) + " (" +
           FormattaDecimale(quota, separatore) +
           " %): " + (quota >= criteri.quotaMinima ? "raggiunge" : "non raggiunge") +
           " la quota richiesta (" + TestoLegenda(criteri.quotaMinima, separatore) + " %)";
}

} // namespace

std::string TestoEsitoConfronto(const EsitoConfronto& esito, const CriteriConfronto& criteri, char separatore)
{
    const int casi = static_cast<int>(esito.casi.size());
    std::string testo =
        "Casi (misura o sezione, intervallo) con GEH < " + TestoLegenda(criteri.sogliaGeh, separatore) +
        ": " +
        (casi > 0 ? Quota(esito.casiSottoSoglia, casi, criteri, separatore)
                  : std::string("nessun conteggio rilevato")) +
        ".\nRighe con esito OK: " +
        (esito.righeConfrontate > 0 ? Quota(esito.righeOk, esito.righeConfrontate, criteri, separatore)
                                    : std::string("nessuna riga confrontata")) +
        ".";
    if (!esito.senzaCorrispondenza.empty()) {
        testo += "\nRighe del file dei rilievi senza misura o sezione nella simulazione:";
        for (std::size_t i = 0; i < esito.senzaCorrispondenza.size(); ++i) {
            const RigaRilievo& riga = esito.senzaCorrispondenza[i];
            testo += std::string(i == 0 ? " " : ", ") + "riga " + std::to_string(riga.riga) + " (numero " +
                     std::to_string(riga.numero) + ")";
        }
        testo += ".";
    }
    return testo;
}

GraficoConfronto ModelloGraficoConfronto(const EsitoConfronto& esito, const CriteriConfronto& criteri,
                                         char separatore)
{
    GraficoConfronto grafico;
    grafico.titolo = "Veicoli/h simulati e rilevati";
    grafico.nomeBanda = "GEH = " + TestoLegenda(criteri.sogliaGeh, separatore);
    double massimo = 0;
    for (const CasoConteggio& caso : esito.casi) {
        grafico.punti.push_back({caso.rilevatiOrari, caso.simulatiOrari});
        massimo = std::max({massimo, caso.rilevatiOrari, caso.simulatiOrari});
    }
    // Five steps or fewer of 1, 2 or 5 times a power of ten, the last past the largest flow.
    const double altezza = massimo > 0 ? massimo * 1.02 : 100.0;
    const double decade = std::pow(10.0, std::floor(std::log10(altezza / 5.0)));
    grafico.passo = decade * 10.0;
    for (const double fattore : {1.0, 2.0, 5.0})
        if (decade * fattore * 5.0 >= altezza) {
            grafico.passo = decade * fattore;
            break;
        }
    grafico.massimo = std::ceil(altezza / grafico.passo) * grafico.passo;
    // GEH = g where (C - M)^2 = k (M + C), k = g^2 / 2: C = M + (k +- sqrt(k^2 + 8 k M)) / 2.
    const double k = criteri.sogliaGeh * criteri.sogliaGeh / 2.0;
    constexpr int kPassi = 200;
    for (int i = 0; i <= kPassi; ++i) {
        const double m = grafico.massimo * i / kPassi;
        const double radice = std::sqrt(k * k + 8.0 * k * m);
        grafico.sopra.push_back({m, m + (k + radice) / 2.0});
        grafico.sotto.push_back({m, std::max(0.0, m + (k - radice) / 2.0)});
    }
    return grafico;
}

} // namespace marvento
