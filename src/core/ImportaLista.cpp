#include "ImportaLista.h"

#include "Errore.h"
#include "FigurePesate.h"
#include "Numeri.h"
#include "Testo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace marvento {

namespace {

// The two tables of ours, by the name their header line gives them and their title.
struct Tabella
{
    TipoFile tipo;
    const char* nome;    // before the ":" of the header line
    const char* oggetto; // the column of the measurement's number
    const char* titolo;  // as the list's comment block calls it
    const char* cosa;    // what it holds, for messages
    const char* pulsante;
    const char* comando;
};

constexpr Tabella kTabelle[] = {
    {TipoFile::Velocita, "DATACOLLECTIONMEASUREMENTEVALUATION", "DATACOLLECTIONMEASUREMENT",
     "Data Collection Results", "delle velocita' sezioni", "Apri File Velocita'", "marvento-cli mes"},
    {TipoFile::Archi, "VEHICLETRAVELTIMEMEASUREMENTEVALUATION", "VEHICLETRAVELTIMEMEASUREMENT",
     "Vehicle Travel Time Results", "dei tempi di percorrenza", "Apri File Archi", "marvento-cli rsz"},
};

const Tabella& TabellaDi(TipoFile tipo)
{
    return tipo == TipoFile::Velocita ? kTabelle[0] : kTabelle[1];
}

// The rows that the simulator adds after the runs: its own unweighted aggregates, not data.
constexpr const char* kAggregati[] = {"AVG", "STDDEV", "MIN", "MAX"};

std::string Maiuscole(std::string_view testo)
{
    std::string risultato(testo);
    for (char& c : risultato)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return risultato;
}

std::string Riga(int indice)
{
    return std::to_string(static_cast<long long>(indice) + 1);
}

std::string TraVirgolette(std::string_view testo)
{
    return "\"" + std::string(testo) + "\"";
}

bool Bianca(std::string_view riga)
{
    return riga.find_first_not_of(" \t") == std::string_view::npos;
}

// Cuts riga at ";" into campi, which it refills: the first `quanti` cells at most. Plain cells, no
// quotes in these files; a byte at a time, as the cells are shorter than a search call is worth.
void Taglia(std::string_view riga, std::vector<std::string_view>& campi,
            std::size_t quanti = std::numeric_limits<std::size_t>::max())
{
    campi.clear();
    const char* inizio = riga.data();
    const char* const fine = inizio + riga.size();
    for (const char* p = inizio; p != fine; ++p)
        if (*p == ';') {
            campi.emplace_back(inizio, static_cast<std::size_t>(p - inizio));
            if (campi.size() == quanti)
                return;
            inizio = p + 1;
        }
    campi.emplace_back(inizio, static_cast<std::size_t>(fine - inizio));
}

// The header line: the first that begins with "$" and names a table before ":".
struct Intestazione
{
    int riga = -1;
    std::string tabella; // in capitals
    std::string titolo;  // from the comment line "* Table: ...", when there is one before it
    std::string colonne; // the text after ":"
};

Intestazione CercaIntestazione(const ListaRighe& righe)
{
    Intestazione trovata;
    for (int r = 0; r < righe.conteggio(); ++r) {
        const std::string_view riga = righe.riga(r);
        if (IniziaCon(riga, "* Table:"))
            trovata.titolo = std::string(SenzaMargini(riga.substr(8)));
        if (!IniziaCon(riga, "$"))
            continue;
        const std::size_t duePunti = riga.find(':');
        if (duePunti == std::string_view::npos)
            continue;
        trovata.riga = r;
        trovata.tabella = Maiuscole(SenzaMargini(riga.substr(1, duePunti - 1)));
        trovata.colonne = std::string(riga.substr(duePunti + 1));
        return trovata;
    }
    throw Errore("La lista non contiene la riga di intestazione della tabella (una riga che inizia con "
                 "\"$\" e nomina la tabella prima di \":\"): non e' una lista di risultati del simulatore");
}

// The kind of the table, or a message that names it and says where ours are opened.
TipoFile TipoDi(const Intestazione& intestazione)
{
    for (const Tabella& tabella : kTabelle)
        if (intestazione.tabella == tabella.nome)
            return tabella.tipo;
    const std::string nome = intestazione.titolo.empty() ? intestazione.tabella : intestazione.titolo;
    throw Errore("La lista contiene la tabella " + TraVirgolette(nome) + " (riga " + Riga(intestazione.riga) +
                 "), che Marvento non legge: si leggono \"" + kTabelle[0].titolo + "\", con \"" +
                 kTabelle[0].pulsante + "\", e \"" + kTabelle[1].titolo + "\", con \"" +
                 kTabelle[1].pulsante + "\"");
}

// Per column identifier, its unit from the description lines ("* TRAVTM(ALL): ... [s]").
std::unordered_map<std::string, std::string> Unita(const ListaRighe& righe, int rigaIntestazione)
{
    std::unordered_map<std::string, std::string> unita;
    for (int r = 0; r < rigaIntestazione; ++r) {
        const std::string_view riga = SenzaMargini(righe.riga(r));
        if (!IniziaCon(riga, "*") || riga.empty() || riga.back() != ']')
            continue;
        const std::size_t duePunti = riga.find(':');
        const std::size_t aperta = riga.rfind('[');
        if (duePunti == std::string_view::npos || aperta == std::string_view::npos || aperta < duePunti)
            continue;
        unita[Maiuscole(SenzaMargini(riga.substr(1, duePunti - 1)))] =
            std::string(riga.substr(aperta + 1, riga.size() - aperta - 2));
    }
    return unita;
}

// The program's words for the attributes of the two tables.
struct Parola
{
    const char* attributo;
    const char* nome;
    const char* unita; // when the list does not say, or nullptr
};

constexpr Parola kParole[] = {
    {"VEHS", "Veicoli", nullptr},
    {"SPEEDAVGARITH", "Vel", "km/h"},
    {"SPEEDAVGHARM", "Vel armonica", "km/h"},
    {"TRAVTM", "TdP", "s"},
    {"DISTTRAV", "Distanza", nullptr},
    {"OCCUPRATE", "Occupazione", nullptr},
    {"QUEUEDELAY", "Ritardo in coda", nullptr},
    {"ACCELERATION", "Accelerazione", nullptr},
    {"LENGTH", "Lunghezza", nullptr},
    {"PERS", "Persone", nullptr},
};

// "VEHS(ALL)" gives "Veicoli", "VEHS(10)" "Veicoli (10)", "TRAVTM(ALL)" "TdP [s]"; an attribute
// without a word of ours keeps its identifier. The unit is the list's, else the word's own.
std::string IntestazioneLeggibile(const std::string& identificatore,
                                  const std::unordered_map<std::string, std::string>& unita)
{
    const std::size_t aperta = identificatore.find('(');
    const std::string attributo = identificatore.substr(0, aperta);
    std::string classe;
    if (aperta != std::string::npos && identificatore.back() == ')')
        classe = identificatore.substr(aperta + 1, identificatore.size() - aperta - 2);
    std::string testo = identificatore;
    const char* unitaPropria = nullptr;
    for (const Parola& parola : kParole)
        if (attributo == parola.attributo && (aperta == std::string::npos || !classe.empty())) {
            testo = parola.nome;
            if (!classe.empty() && classe != "ALL")
                testo += " (" + classe + ")";
            unitaPropria = parola.unita;
        }
    const auto trovata = unita.find(identificatore);
    if (trovata != unita.end() && !trovata->second.empty())
        return testo + " [" + trovata->second + "]";
    return unitaPropria != nullptr ? testo + " [" + unitaPropria + "]" : testo;
}

// A column of a block of the detail table: the field of the list it copies.
struct Colonna
{
    int campo;
    std::string intestazione;
};

struct Intervallo
{
    std::string testo; // as the list writes it, for messages
    std::string da;    // the texts of its start and end, with the run's separator
    std::string a;
    double inizio = 0;
    double fine = 0;
};

struct Misura
{
    std::string numero; // as the list writes it
    std::string nome;
    std::string lunghezza; // the first distance given for it, with the run's separator
};

// "0-900" as its two numbers, false for anything else.
bool LeggiIntervallo(std::string_view testo, char separatore, Intervallo& intervallo)
{
    testo = SenzaMargini(testo);
    const std::size_t trattino = testo.find('-', 1);
    if (testo.empty() || trattino == std::string_view::npos)
        return false;
    const std::string_view da = SenzaMargini(testo.substr(0, trattino));
    const std::string_view a = SenzaMargini(testo.substr(trattino + 1));
    auto numero = [](std::string_view t) {
        return !t.empty() && t.find_first_not_of("0123456789.") == std::string_view::npos &&
               std::count(t.begin(), t.end(), '.') <= 1 && t != ".";
    };
    if (!numero(da) || !numero(a) || !ProvaDecimale(da, '.', intervallo.inizio) ||
        !ProvaDecimale(a, '.', intervallo.fine))
        return false;
    intervallo.testo = std::string(testo);
    intervallo.da = SostituisciCarattere(da, ".", std::string(1, separatore));
    intervallo.a = SostituisciCarattere(a, ".", std::string(1, separatore));
    return true;
}

// A count of vehicles: digits only, within 32 bits.
bool LeggiVeicoli(std::string_view testo, std::int64_t& veicoli)
{
    if (testo.empty() || testo.size() > 10)
        return false;
    veicoli = 0;
    for (const char c : testo) {
        if (c < '0' || c > '9')
            return false;
        veicoli = veicoli * 10 + (c - '0');
    }
    return veicoli <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

struct ListaRisultati::Dati
{
    const ListaRighe* righe = nullptr;
    const Tabella* tabella = nullptr;
    char separatore = ',';
    int rigaIntestazione = -1;
    int campi = 0;                 // cells of a row, as many as the header's columns
    std::vector<std::string> nomi; // the header's identifiers as written
    int colonnaRun = -1;
    int colonnaIntervallo = -1;
    int colonnaMisura = -1;
    int colonnaNome = -1;
    int colonnaVeicoli = -1;
    int colonnaValore = -1;      // the speed or the travel time
    int colonnaArmonica = -1;    // the harmonic mean speed, when the list has it
    int colonnaLunghezza = -1;   // the distance travelled, when the list has it
    std::vector<Colonna> blocco; // a block's columns after the measurement's number
    std::string intestazioneValore;
    std::string intestazioneArmonica;
    std::string intestazioneLunghezza;
    std::vector<std::string> run; // the runs' numbers, ascending
    std::vector<Intervallo> intervalli;
    std::vector<Misura> misure;
    std::vector<int> indice; // the line of each run, interval and measurement, in this order

    int posto(int r, int i, int m) const
    {
        return (r * static_cast<int>(intervalli.size()) + i) * static_cast<int>(misure.size()) + m;
    }
};

namespace {

using Dati = ListaRisultati::Dati;

int CercaNome(const std::vector<std::string>& nomi, std::string_view nome)
{
    for (std::size_t c = 0; c < nomi.size(); ++c)
        if (Maiuscole(nomi[c]) == nome)
            return static_cast<int>(c);
    return -1;
}

// The columns by name, whatever their order; the block's columns in the order of the tables
// of the other readers, then the list's others in its order.
void TrovaColonne(const ListaRighe& righe, const Intestazione& intestazione, Dati& d)
{
    std::vector<std::string_view> campi;
    Taglia(intestazione.colonne, campi);
    for (const std::string_view campo : campi)
        d.nomi.emplace_back(SenzaMargini(campo));
    d.campi = static_cast<int>(d.nomi.size());
    const bool velocita = d.tabella->tipo == TipoFile::Velocita;
    const std::string oggetto = d.tabella->oggetto;
    const std::string valore = velocita ? "SPEEDAVGARITH(ALL)" : "TRAVTM(ALL)";
    auto richiesta = [&](const std::string& nome, const char* cosa) {
        const int colonna = CercaNome(d.nomi, nome);
        if (colonna < 0)
            throw Errore("L'intestazione della lista (riga " + Riga(intestazione.riga) +
                         ") non ha la colonna " + nome + " (" + cosa + "), che serve alla lettura");
        return colonna;
    };
    d.colonnaRun = richiesta("SIMRUN", "il run");
    d.colonnaIntervallo = richiesta("TIMEINT", "l'intervallo");
    d.colonnaMisura =
        CercaNome(d.nomi, oggetto) >= 0 || CercaNome(d.nomi, oggetto + "\\NO") < 0
            ? richiesta(oggetto, velocita ? "il numero della misura" : "il numero della sezione")
            : CercaNome(d.nomi, oggetto + "\\NO");
    d.colonnaVeicoli = richiesta("VEHS(ALL)", "i veicoli");
    d.colonnaValore = richiesta(valore, velocita ? "la velocita' media" : "il tempo di percorrenza medio");
    d.colonnaNome = CercaNome(d.nomi, oggetto + "\\NAME");
    d.colonnaArmonica = velocita ? CercaNome(d.nomi, "SPEEDAVGHARM(ALL)") : -1;
    d.colonnaLunghezza = velocita ? -1 : CercaNome(d.nomi, "DISTTRAV(ALL)");

    const auto unita = Unita(righe, intestazione.riga);
    auto leggibile = [&](int c) {
        return IntestazioneLeggibile(Maiuscole(d.nomi[static_cast<std::size_t>(c)]), unita);
    };
    d.intestazioneValore = leggibile(d.colonnaValore);
    const std::string veicoli = leggibile(d.colonnaVeicoli);
    if (velocita) {
        d.blocco = {{d.colonnaVeicoli, veicoli}, {d.colonnaValore, d.intestazioneValore}};
        if (d.colonnaArmonica >= 0)
            d.intestazioneArmonica = leggibile(d.colonnaArmonica);
    } else {
        d.blocco = {{d.colonnaValore, d.intestazioneValore}, {d.colonnaVeicoli, veicoli}};
        const auto metri = d.colonnaLunghezza < 0
                               ? unita.end()
                               : unita.find(Maiuscole(d.nomi[static_cast<std::size_t>(d.colonnaLunghezza)]));
        d.intestazioneLunghezza =
            "Lunghezza [" +
            (metri == unita.end() || metri->second.empty() ? std::string("m") : metri->second) + "]";
    }
    for (int c = 0; c < d.campi; ++c) {
        const std::string nome = Maiuscole(d.nomi[static_cast<std::size_t>(c)]);
        const bool propria = c == d.colonnaRun || c == d.colonnaIntervallo || c == d.colonnaMisura ||
                             c == d.colonnaVeicoli || c == d.colonnaValore || IniziaCon(nome, oggetto + "\\");
        if (!propria)
            d.blocco.push_back({c, leggibile(c)});
    }
}

// One data row as the scan meets it: its line, and its run, interval and measurement in the order
// they were first met.
struct RigaDati
{
    int riga;
    int run;
    int intervallo;
    int misura;
};

bool Aggregato(std::string_view run)
{
    if (run.empty() || (run[0] >= '0' && run[0] <= '9'))
        return false; // a run's number, as most rows have
    const std::string testo = Maiuscole(run);
    return std::any_of(std::begin(kAggregati), std::end(kAggregati),
                       [&](const char* aggregato) { return testo == aggregato; });
}

// The identities met so far of one kind (runs, intervals, measurements), by their text; the row
// before usually has the same or the next one, so those are tried first.
class Identita
{
  public:
    // The number of testo, -1 when it is new; then aggiungi gives it the next number.
    int cerca(std::string_view testo)
    {
        if (ultimo_ >= 0 && testi_[static_cast<std::size_t>(ultimo_)] == testo)
            return ultimo_;
        const int prossimo = ultimo_ + 1;
        if (prossimo < static_cast<int>(testi_.size()) && testi_[static_cast<std::size_t>(prossimo)] == testo)
            return ultimo_ = prossimo;
        const auto trovato = numeri_.find(testo);
        return trovato == numeri_.end() ? -1 : (ultimo_ = trovato->second);
    }
    int aggiungi(std::string_view testo)
    {
        ultimo_ = static_cast<int>(testi_.size());
        testi_.push_back(testo);
        numeri_.emplace(testo, ultimo_);
        return ultimo_;
    }

  private:
    std::vector<std::string_view> testi_;
    std::unordered_map<std::string_view, int> numeri_;
    int ultimo_ = -1;
};

// A new run: its number, which must read.
long long NumeroRun(std::string_view testo, int riga)
{
    if (testo.empty() || testo.size() > 9 || testo.find_first_not_of("0123456789") != std::string_view::npos)
        throw Errore("Alla riga " + Riga(riga) + " il run (SIMRUN) " + TraVirgolette(testo) +
                     " non e' un numero di run ne' AVG, STDDEV, MIN o MAX");
    return std::stoll(std::string(testo));
}

// A new measurement: its number, name and length from its first row.
Misura NuovaMisura(const std::vector<std::string_view>& campi, int riga, const Dati& d)
{
    Misura misura;
    misura.numero = std::string(SenzaMargini(campi[static_cast<std::size_t>(d.colonnaMisura)]));
    if (misura.numero.empty())
        throw Errore("Alla riga " + Riga(riga) + " manca il numero " +
                     (d.tabella->tipo == TipoFile::Velocita ? "della misura" : "della sezione") + " (" +
                     d.nomi[static_cast<std::size_t>(d.colonnaMisura)] + ")");
    if (d.colonnaNome >= 0)
        misura.nome = std::string(SenzaMargini(campi[static_cast<std::size_t>(d.colonnaNome)]));
    return misura;
}

// The first distance given for a section is its length.
void LunghezzaDi(Misura& misura, const std::vector<std::string_view>& campi, int riga, const Dati& d)
{
    if (d.colonnaLunghezza < 0 || !misura.lunghezza.empty())
        return;
    const std::string_view testo = SenzaMargini(campi[static_cast<std::size_t>(d.colonnaLunghezza)]);
    double valore = 0;
    if (testo.empty())
        return;
    if (!ProvaDecimale(testo, '.', valore))
        throw Errore("Alla riga " + Riga(riga) + " il valore di " +
                     d.nomi[static_cast<std::size_t>(d.colonnaLunghezza)] + " " + TraVirgolette(testo) +
                     " non e' un numero");
    misura.lunghezza = SostituisciCarattere(testo, ".", std::string(1, d.separatore));
}

[[noreturn]] void ErroreCelle(int riga, long long celle, const Dati& d)
{
    throw Errore("La riga " + Riga(riga) + " ha " + std::to_string(celle) + " celle invece delle " +
                 std::to_string(d.campi) + " dell'intestazione (riga " + Riga(d.rigaIntestazione) +
                 "): la riga e' incompleta o la lista e' tagliata");
}

// Every data row of the table: from the header line to the end of the list or the next table. The
// simulator's aggregates, blank lines and comments are left out.
std::vector<RigaDati> RigheDati(const ListaRighe& righe, int rigaIntestazione, Dati& d,
                                std::vector<long long>& numeriRun)
{
    Identita run;
    Identita intervalli;
    Identita misure;
    std::vector<RigaDati> dati;
    std::vector<std::string_view> campi;
    dati.reserve(static_cast<std::size_t>(righe.conteggio() - rigaIntestazione));
    const std::size_t primeCelle =
        static_cast<std::size_t>(std::max({d.colonnaRun, d.colonnaIntervallo, d.colonnaMisura})) + 1;
    for (int r = rigaIntestazione + 1; r < righe.conteggio(); ++r) {
        const std::string_view riga = righe.riga(r);
        if (!riga.empty() && riga[0] == '$')
            break;
        if ((!riga.empty() && riga[0] == '*') || Bianca(riga))
            continue;
        // The cells that tell the row's place; the others only for a new measurement or a length.
        // A run's rows are counted whole when the run is laid out (TagliaRun).
        Taglia(riga, campi, primeCelle);
        if (campi.size() < primeCelle)
            ErroreCelle(r, static_cast<long long>(std::count(riga.begin(), riga.end(), ';')) + 1, d);
        const std::string_view testoRun = SenzaMargini(campi[static_cast<std::size_t>(d.colonnaRun)]);
        if (Aggregato(testoRun))
            continue;
        RigaDati dato{r, run.cerca(testoRun), 0, 0};
        if (dato.run < 0) {
            numeriRun.push_back(NumeroRun(testoRun, r));
            dato.run = run.aggiungi(testoRun);
            d.run.emplace_back(testoRun);
        }
        const std::string_view testoIntervallo = campi[static_cast<std::size_t>(d.colonnaIntervallo)];
        dato.intervallo = intervalli.cerca(testoIntervallo);
        if (dato.intervallo < 0) {
            Intervallo nuovo;
            if (!LeggiIntervallo(testoIntervallo, d.separatore, nuovo))
                throw Errore("Alla riga " + Riga(r) + " l'intervallo (TIMEINT) " +
                             TraVirgolette(testoIntervallo) +
                             " non e' nella forma inizio-fine in secondi, come 0-900");
            d.intervalli.push_back(std::move(nuovo));
            dato.intervallo = intervalli.aggiungi(testoIntervallo);
        }
        const std::string_view testoMisura = SenzaMargini(campi[static_cast<std::size_t>(d.colonnaMisura)]);
        dato.misura = misure.cerca(testoMisura);
        const bool nuova = dato.misura < 0;
        if (nuova ||
            (d.colonnaLunghezza >= 0 && d.misure[static_cast<std::size_t>(dato.misura)].lunghezza.empty())) {
            Taglia(riga, campi);
            if (static_cast<int>(campi.size()) != d.campi)
                ErroreCelle(r, static_cast<long long>(campi.size()), d);
        }
        if (nuova) {
            d.misure.push_back(NuovaMisura(campi, r, d));
            dato.misura = misure.aggiungi(testoMisura);
        }
        LunghezzaDi(d.misure[static_cast<std::size_t>(dato.misura)], campi, r, d);
        dati.push_back(dato);
    }
    if (dati.empty())
        throw Errore("La lista non ha righe di dati di un run dopo l'intestazione (riga " +
                     Riga(rigaIntestazione) + ")");
    return dati;
}

// The positions that sort the items: nuovo[vecchio].
template <typename Minore> std::vector<int> Ordine(std::size_t n, Minore minore)
{
    std::vector<int> ordine(n);
    for (std::size_t i = 0; i < n; ++i)
        ordine[i] = static_cast<int>(i);
    std::stable_sort(ordine.begin(), ordine.end(), minore);
    std::vector<int> nuovo(n);
    for (std::size_t i = 0; i < n; ++i)
        nuovo[static_cast<std::size_t>(ordine[i])] = static_cast<int>(i);
    return nuovo;
}

template <typename T> void Riordina(std::vector<T>& elementi, const std::vector<int>& nuovo)
{
    std::vector<T> ordinati(elementi.size());
    for (std::size_t i = 0; i < elementi.size(); ++i)
        ordinati[static_cast<std::size_t>(nuovo[i])] = std::move(elementi[i]);
    elementi = std::move(ordinati);
}

// Runs by their numbers, intervals by their start and end (never as text), measurements as met;
// then the line of every run, interval and measurement, each exactly once.
void Indicizza(std::vector<RigaDati>& dati, const std::vector<long long>& numeriRun, Dati& d)
{
    const std::vector<int> run = Ordine(d.run.size(), [&](int a, int b) {
        return numeriRun[static_cast<std::size_t>(a)] < numeriRun[static_cast<std::size_t>(b)];
    });
    const std::vector<int> intervalli = Ordine(d.intervalli.size(), [&](int a, int b) {
        const Intervallo& x = d.intervalli[static_cast<std::size_t>(a)];
        const Intervallo& y = d.intervalli[static_cast<std::size_t>(b)];
        return x.inizio < y.inizio || (x.inizio == y.inizio && x.fine < y.fine);
    });
    Riordina(d.run, run);
    Riordina(d.intervalli, intervalli);

    const long long R = static_cast<long long>(d.run.size());
    const long long I = static_cast<long long>(d.intervalli.size());
    const long long M = static_cast<long long>(d.misure.size());
    const long long colonne = M * (static_cast<long long>(d.blocco.size()) + 1) + 2;
    if (colonne > kMassimoColonneLista || R * I > kMassimoCelleLista / colonne)
        throw Errore("La lista descrive una tabella troppo grande: " + std::to_string(colonne) +
                     " colonne per " + std::to_string(R * I) + " righe (al massimo " +
                     std::to_string(kMassimoColonneLista) + " colonne e " +
                     std::to_string(kMassimoCelleLista) + " celle)");
    const long long attese = R * I * M;
    const std::string tutte = "ogni run ha una riga per ogni intervallo e " +
                              std::string(d.tabella->tipo == TipoFile::Velocita ? "misura" : "sezione");
    if (attese > 2 * static_cast<long long>(dati.size()) + 1024)
        throw Errore("La lista ha " + std::to_string(dati.size()) + " righe di dati invece di " +
                     std::to_string(attese) + " (" + tutte + ")");
    d.indice.assign(static_cast<std::size_t>(attese), -1);
    for (const RigaDati& dato : dati) {
        int& posto = d.indice[static_cast<std::size_t>(
            d.posto(run[static_cast<std::size_t>(dato.run)],
                    intervalli[static_cast<std::size_t>(dato.intervallo)], dato.misura))];
        if (posto >= 0)
            throw Errore("La riga " + Riga(dato.riga) + " ripete il run, l'intervallo e la " +
                         (d.tabella->tipo == TipoFile::Velocita ? "misura" : "sezione") + " della riga " +
                         Riga(posto));
        posto = dato.riga;
    }
    const auto mancante = std::find(d.indice.begin(), d.indice.end(), -1);
    if (mancante != d.indice.end()) {
        const long long k = mancante - d.indice.begin();
        throw Errore("Nella lista manca la riga del run " + d.run[static_cast<std::size_t>(k / (I * M))] +
                     ", intervallo " + d.intervalli[static_cast<std::size_t>(k / M % I)].testo + ", " +
                     (d.tabella->tipo == TipoFile::Velocita ? "misura " : "sezione ") +
                     d.misure[static_cast<std::size_t>(k % M)].numero + " (" + tutte +
                     "; le righe di dati finiscono alla riga " + Riga(dati.back().riga) + ")");
    }
}

} // namespace

bool ELista(const std::string& percorso)
{
    if (percorso.size() < 4)
        return false;
    return Maiuscole(percorso.substr(percorso.size() - 4)) == ".ATT";
}

TipoFile TipoDellaLista(const ListaRighe& righe)
{
    return TipoDi(CercaIntestazione(righe));
}

TipoFile TipoDellaLista(const std::string& percorso)
{
    // The header line follows a comment block of a few dozen lines: the first megabyte holds it.
    constexpr std::streamsize kInizio = 1 << 20;
    std::ifstream file(std::filesystem::u8path(percorso), std::ios::binary);
    std::string inizio(static_cast<std::size_t>(kInizio), '\0');
    if (file.is_open()) {
        file.read(inizio.data(), kInizio);
        inizio.resize(static_cast<std::size_t>(file.gcount()));
        inizio.resize(std::min(inizio.size(), inizio.find_last_of('\n')));
        std::optional<Intestazione> trovata;
        try {
            trovata = CercaIntestazione(DecodificaRighe(inizio));
        } catch (const Errore&) {
            // Not in the beginning: told by the whole file below, with its messages.
        }
        if (trovata)
            return TipoDi(*trovata);
    }
    return TipoDellaLista(CaricaRighe(percorso));
}

namespace {

// A run's rows cut, measurement after measurement, each in the order of its intervals: their texts back to
// back with the run's separator for ".", and where each cell begins.
struct RunTagliato
{
    std::string testo;
    std::vector<std::uint32_t> inizi; // per row: the start of each cell, then the row's end + 1
    int campi = 0;

    std::string_view cella(std::size_t riga, int campo) const
    {
        const std::size_t k = riga * static_cast<std::size_t>(campi + 1) + static_cast<std::size_t>(campo);
        return std::string_view(testo).substr(inizi[k], inizi[k + 1] - 1 - inizi[k]);
    }
};

RunTagliato TagliaRun(const Dati& d, int r)
{
    RunTagliato t;
    t.campi = d.campi;
    const std::size_t righe = d.intervalli.size() * d.misure.size();
    const std::size_t primo = static_cast<std::size_t>(d.posto(r, 0, 0));
    const std::size_t I = d.intervalli.size();
    const std::size_t M = d.misure.size();
    // Row k of the cut run is interval k % I of measurement k / I: a block's cells then lie together,
    // as the table and the figures take them.
    auto linea = [&](std::size_t k) { return d.indice[primo + (k % I) * M + k / I]; };
    std::size_t byte = 0;
    for (std::size_t k = 0; k < righe; ++k)
        byte += d.righe->riga(linea(k)).size() + 1;
    if (byte > std::numeric_limits<std::uint32_t>::max())
        throw Errore("Il run " + d.run[static_cast<std::size_t>(r)] + " della lista e' troppo grande (" +
                     std::to_string(byte) + " byte, al massimo 4 GB)");
    t.testo.reserve(byte);
    t.inizi.reserve(righe * static_cast<std::size_t>(d.campi + 1));
    for (std::size_t k = 0; k < righe; ++k) {
        const std::string_view riga = d.righe->riga(linea(k));
        const std::size_t inizio = t.testo.size();
        t.testo.append(riga);
        const std::size_t primaCella = t.inizi.size();
        t.inizi.push_back(static_cast<std::uint32_t>(inizio));
        for (std::size_t i = inizio; i < t.testo.size(); ++i) {
            char& c = t.testo[i];
            if (c == ';')
                t.inizi.push_back(static_cast<std::uint32_t>(i + 1));
            else if (c == '.')
                c = d.separatore;
        }
        const long long celle = static_cast<long long>(t.inizi.size() - primaCella);
        if (celle != d.campi)
            ErroreCelle(linea(k), celle, d);
        t.inizi.push_back(static_cast<std::uint32_t>(t.testo.size() + 1));
        t.testo.push_back('\n');
    }
    return t;
}

// The detail table: per measurement a block of its number and its columns, the interval's start
// and end in the first block only (section speeds), or the interval's end in front of the blocks
// (travel times); a row per interval.
void RiempiTabella(const Dati& d, const RunTagliato& t, Griglia& tabella)
{
    const bool velocita = d.tabella->tipo == TipoFile::Velocita;
    const int I = static_cast<int>(d.intervalli.size());
    const std::size_t M = d.misure.size();
    const int colonne = static_cast<int>(M * (d.blocco.size() + 1)) + (velocita ? 2 : 1);
    PreparaGriglia(tabella, I, colonne, false);
    std::vector<std::string_view> testi(static_cast<std::size_t>(I));
    int c = 0;
    auto colonna = [&](const std::string& intestazione, auto testo) {
        tabella.impostaIntestazione(c, intestazione);
        tabella.impostaLarghezza(c, 60);
        for (int i = 0; i < I; ++i)
            testi[static_cast<std::size_t>(i)] = testo(static_cast<std::size_t>(i));
        tabella.impostaCelle(c++, 0, testi);
    };
    if (!velocita)
        colonna("Intervallo [s]", [&](std::size_t i) { return std::string_view(d.intervalli[i].a); });
    for (std::size_t m = 0; m < M; ++m) {
        colonna(velocita ? "Misura" : "Sezione",
                [&](std::size_t) { return std::string_view(d.misure[m].numero); });
        if (velocita && m == 0) {
            colonna("da [s]", [&](std::size_t i) { return std::string_view(d.intervalli[i].da); });
            colonna("a [s]", [&](std::size_t i) { return std::string_view(d.intervalli[i].a); });
        }
        for (const Colonna& propria : d.blocco)
            colonna(propria.intestazione, [&](std::size_t i) {
                return t.cella(m * static_cast<std::size_t>(I) + i, propria.campo);
            });
    }
}

// The cell as the list writes it, for a message.
std::string CellaDellaLista(const Dati& d, int riga, int campo)
{
    std::vector<std::string_view> campi;
    Taglia(d.righe->riga(riga), campi);
    return std::string(campi[static_cast<std::size_t>(campo)]);
}

// Per measurement its vehicles and their weighted means over the run's intervals. An interval
// without vehicles weighs nothing, whatever its mean cells hold; one with vehicles needs its means.
void Figure(const Dati& d, const RunTagliato& t, int r, std::size_t m, FigurePesate& media,
            std::optional<FigurePesate>& armonica)
{
    const std::size_t I = d.intervalli.size();
    auto errore = [&](std::size_t i, int campo, const char* perche) {
        const int riga =
            d.indice[static_cast<std::size_t>(d.posto(r, static_cast<int>(i), static_cast<int>(m)))];
        return Errore("Alla riga " + Riga(riga) + " il valore di " + d.nomi[static_cast<std::size_t>(campo)] +
                      " " + TraVirgolette(CellaDellaLista(d, riga, campo)) + " " + perche);
    };
    auto valore = [&](std::size_t i, int campo) {
        double v = 0;
        const std::string_view testo = t.cella(m * I + i, campo);
        if (testo.empty())
            throw errore(i, campo, "e' vuoto, mentre l'intervallo ha veicoli");
        if (!ProvaDecimale(testo, d.separatore, v))
            throw errore(i, campo, "non e' un numero");
        return v;
    };
    if (d.colonnaArmonica >= 0)
        armonica = FigurePesate();
    for (std::size_t i = 0; i < d.intervalli.size(); ++i) {
        std::int64_t veicoli = 0;
        if (!LeggiVeicoli(t.cella(m * I + i, d.colonnaVeicoli), veicoli))
            throw errore(i, d.colonnaVeicoli, "non e' un numero intero di veicoli");
        if (veicoli == 0)
            continue;
        media.totale += veicoli;
        if (media.totale > std::numeric_limits<std::int32_t>::max())
            throw errore(i, d.colonnaVeicoli, "porta il totale dei veicoli oltre 2147483647");
        media.somma += valore(i, d.colonnaValore) * static_cast<double>(veicoli);
        if (armonica) {
            armonica->totale += veicoli;
            armonica->somma += static_cast<double>(veicoli) / valore(i, d.colonnaArmonica);
        }
    }
}

// The summary, in the columns of the other readers; its rows' numbers, names and figures.
void RiempiRiepilogo(const Dati& d, const RunTagliato& t, int r, Griglie& griglie)
{
    const bool velocita = d.tabella->tipo == TipoFile::Velocita;
    const int M = static_cast<int>(d.misure.size());
    Griglia& riepilogo = griglie.riepilogo;
    std::vector<std::string> intestazioni;
    if (velocita) {
        intestazioni = {"Misura", "Veicoli", d.intestazioneValore, "Inervallo sim. [s]", "Sezione"};
        if (d.colonnaArmonica >= 0)
            intestazioni.push_back(d.intestazioneArmonica);
    } else {
        intestazioni = {"Sezione", d.intestazioneLunghezza, "TempoMedio [s]",
                        "Veicoli", "Lung.Arco Reale",       "Tempo Corretto"};
    }
    PreparaGriglia(riepilogo, M, static_cast<int>(intestazioni.size()), false);
    for (std::size_t c = 0; c < intestazioni.size(); ++c)
        riepilogo.impostaIntestazione(static_cast<int>(c), intestazioni[c]);
    const std::string intervallo = FormattaDecimale(
        static_cast<long double>(d.intervalli.back().fine) - d.intervalli.front().inizio, d.separatore);
    for (int m = 0; m < M; ++m) {
        const Misura& misura = d.misure[static_cast<std::size_t>(m)];
        RigaRiepilogo riga{misura.numero, misura.nome, {}, std::nullopt};
        Figure(d, t, r, static_cast<std::size_t>(m), riga.figure, riga.armonica);
        const std::string veicoli = FormattaIntero(static_cast<std::int32_t>(riga.figure.totale));
        if (velocita) {
            using namespace riepilogo_velocita;
            for (const auto& [colonna, testo] : {std::pair<int, std::string>{kMisura, misura.numero},
                                                 {kVeicoli, veicoli},
                                                 {kVelocita, riga.figure.media(d.separatore)},
                                                 {kIntervallo, intervallo},
                                                 {kSezione, misura.nome}})
                riepilogo.impostaCella(colonna, m, testo);
            if (riga.armonica)
                riepilogo.impostaCella(kVelocitaArmonica, m, riga.armonica->mediaArmonica(d.separatore));
        } else {
            using namespace riepilogo_archi;
            for (const auto& [colonna, testo] : {std::pair<int, std::string>{kSezione, misura.numero},
                                                 {kLunghezza, misura.lunghezza},
                                                 {kTempoMedio, riga.figure.media(d.separatore)},
                                                 {kVeicoli, veicoli}})
                riepilogo.impostaCella(colonna, m, testo);
        }
        griglie.righe.push_back(std::move(riga));
    }
}

} // namespace

ListaRisultati::ListaRisultati(const ListaRighe& righe, TipoFile tipo, char separatore)
{
    auto nuovi = std::make_unique<Dati>();
    Dati& d = *nuovi;
    d.righe = &righe;
    d.separatore = separatore;
    const Intestazione intestazione = CercaIntestazione(righe);
    const TipoFile trovato = TipoDi(intestazione);
    if (trovato != tipo) {
        const Tabella& sua = TabellaDi(trovato);
        throw Errore("La lista contiene la tabella " + TraVirgolette(sua.titolo) + " (riga " +
                     Riga(intestazione.riga) + "), " + sua.cosa + ": si apre con \"" + sua.pulsante + "\" (" +
                     sua.comando + ")");
    }
    d.tabella = &TabellaDi(tipo);
    d.rigaIntestazione = intestazione.riga;
    TrovaColonne(righe, intestazione, d);
    std::vector<long long> numeriRun;
    std::vector<RigaDati> dati = RigheDati(righe, intestazione.riga, d, numeriRun);
    Indicizza(dati, numeriRun, d);
    dati_ = std::move(nuovi);
}

ListaRisultati::~ListaRisultati() = default;

TipoFile ListaRisultati::tipo() const
{
    return dati_->tabella->tipo;
}

int ListaRisultati::numeroRun() const
{
    return static_cast<int>(dati_->run.size());
}

const std::string& ListaRisultati::etichettaRun(int run) const
{
    return dati_->run.at(static_cast<std::size_t>(run));
}

Griglie ListaRisultati::run(int run) const
{
    const RunTagliato tagliato = TagliaRun(*dati_, run);
    Griglie griglie;
    RiempiTabella(*dati_, tagliato, griglie.tabella);
    RiempiRiepilogo(*dati_, tagliato, run, griglie);
    griglie.celleVuoteSenzaVeicoli = true;
    return griglie;
}

} // namespace marvento
