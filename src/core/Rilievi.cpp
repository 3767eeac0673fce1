#include "Rilievi.h"

#include "Codifica.h"
#include "Errore.h"
#include "Grafico.h"
#include "ListaCampi.h"
#include "Numeri.h"
#include "Testo.h"
#include "Utf8.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <string_view>

namespace marvento {

namespace {

enum class Colonna { Numero, Da, A, Intervallo, Veicoli, Velocita, Tempo, Altra };
constexpr int kColonneNote = 7;

// The names of the header, after NomeNormale.
const struct
{
    const char* nome;
    Colonna colonna;
} kNomi[] = {
    {"misura", Colonna::Numero},
    {"sezione", Colonna::Numero},
    {"measurement", Colonna::Numero},
    {"section", Colonna::Numero},
    {"numero", Colonna::Numero},
    {"number", Colonna::Numero},
    {"da", Colonna::Da},
    {"from", Colonna::Da},
    {"a", Colonna::A},
    {"to", Colonna::A},
    {"intervallo", Colonna::Intervallo},
    {"interval", Colonna::Intervallo},
    {"time", Colonna::Intervallo},
    {"veicoli", Colonna::Veicoli},
    {"veic.", Colonna::Veicoli},
    {"count", Colonna::Veicoli},
    {"counts", Colonna::Veicoli},
    {"vehicles", Colonna::Veicoli},
    {"vel", Colonna::Velocita},
    {"vel.", Colonna::Velocita},
    {"velocita", Colonna::Velocita},
    {"velocita'", Colonna::Velocita},
    {"velocit\xC3\xA0", Colonna::Velocita},
    {"speed", Colonna::Velocita},
    {"tdp", Colonna::Tempo},
    {"travel time", Colonna::Tempo},
    {"journey time", Colonna::Tempo},
    {"tempo di percorrenza", Colonna::Tempo},
};

std::string InizioMessaggio(int riga)
{
    return "Riga " + std::to_string(riga) + " del file dei rilievi: ";
}

// Letter case, the blanks around and between words and a unit in brackets at the end do not count:
// "Vel [km/h]" and " TdP (s)" are "vel" and "tdp".
std::string NomeNormale(std::string_view nome)
{
    nome = SenzaMargini(nome);
    if (!nome.empty() && (nome.back() == ']' || nome.back() == ')')) {
        const std::size_t apre = nome.find_last_of(nome.back() == ']' ? '[' : '(');
        if (apre != std::string_view::npos && apre > 0)
            nome = SenzaMargini(nome.substr(0, apre));
    }
    std::string normale;
    for (const char c : nome) {
        if (c == ' ' || c == '\t') {
            if (!normale.empty() && normale.back() != ' ')
                normale += ' ';
        } else {
            normale += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return normale;
}

Colonna ColonnaDi(std::string_view nome)
{
    const std::string normale = NomeNormale(nome);
    for (const auto& voce : kNomi)
        if (normale == voce.nome)
            return voce.colonna;
    return Colonna::Altra;
}

bool SoloSeparatori(std::string_view riga)
{
    return riga.find_first_not_of(" \t;,\"") == std::string_view::npos;
}

// A file without a byte-order mark is read as Windows-1252; a spreadsheet that saves UTF-8 without
// one is told by its bytes, which then form valid UTF-8 throughout.
ListaRighe ComeUtf8SeValido(const ListaRighe& righe)
{
    std::vector<std::string> byte;
    bool nonAscii = false;
    for (int r = 0; r < righe.conteggio(); ++r) {
        const std::string_view riga = righe.riga(r);
        if (PrimoNonAscii(riga.data(), riga.size()) == riga.size()) {
            byte.emplace_back(riga);
            continue;
        }
        nonAscii = true;
        byte.push_back(AWindows1252(riga));
        const auto* p = reinterpret_cast<const unsigned char*>(byte.back().data());
        for (std::size_t i = 0, n = byte.back().size(); i < n;) {
            char32_t carattere = 0;
            const std::size_t lunghezza = p[i] < 0x80u ? 1 : LeggiCarattereUtf8(p + i, n - i, carattere);
            if (lunghezza == 0)
                return righe;
            i += lunghezza;
        }
    }
    if (!nonAscii)
        return righe;
    ListaRighe utf8;
    for (const std::string& riga : byte)
        utf8.aggiungi(riga);
    return utf8;
}

// Where each kind of column stands in the header, -1 when it is not there.
struct Intestazione
{
    int riga = 0; // in the file, from 1
    char separatore = ';';
    int colonne[kColonneNote] = {-1, -1, -1, -1, -1, -1, -1};
    std::vector<std::string> nomi; // as the header writes them

    int operator[](Colonna c) const { return colonne[static_cast<int>(c)]; }
};

Intestazione LeggiIntestazione(std::string_view testo, int riga)
{
    Intestazione intestazione;
    intestazione.riga = riga;
    intestazione.separatore = testo.find(';') != std::string_view::npos    ? ';'
                              : testo.find('\t') != std::string_view::npos ? '\t'
                                                                           : ',';
    const ListaCampi campi = DividiCampi(testo, intestazione.separatore);
    const std::string inizio = InizioMessaggio(riga);
    for (int c = 0; c < campi.conteggio(); ++c) {
        const std::string_view nome = SenzaMargini(campi.campo(c));
        intestazione.nomi.emplace_back(nome);
        const Colonna colonna = ColonnaDi(nome);
        if (colonna == Colonna::Altra)
            continue;
        int& posto = intestazione.colonne[static_cast<int>(colonna)];
        if (posto >= 0)
            throw Errore(inizio + "le colonne \"" + intestazione.nomi[static_cast<std::size_t>(posto)] +
                         "\" e \"" + std::string(nome) + "\" dicono la stessa cosa");
        posto = c;
    }
    if (intestazione[Colonna::Numero] < 0)
        throw Errore(inizio + "l'intestazione non ha la colonna del numero della misura o sezione "
                              "(Misura, Sezione, Measurement o Section)");
    if (intestazione[Colonna::Veicoli] < 0 && intestazione[Colonna::Velocita] < 0 &&
        intestazione[Colonna::Tempo] < 0)
        throw Errore(inizio + "l'intestazione non ha nessuna colonna di valori rilevati "
                              "(Veicoli/Count, Vel/Speed o TdP/Travel time)");
    if (intestazione[Colonna::Intervallo] >= 0 &&
        (intestazione[Colonna::Da] >= 0 || intestazione[Colonna::A] >= 0))
        throw Errore(inizio + "l'intervallo e' dato due volte, con \"Intervallo\" e con \"da\"/\"a\"");
    if (intestazione[Colonna::Da] >= 0 && intestazione[Colonna::A] < 0)
        throw Errore(inizio +
                     "c'e' la colonna dell'inizio dell'intervallo (\"da\") ma non quella della fine (\"a\")");
    return intestazione;
}

// One row being read: its fields and what a message about it starts with.
struct Lettura
{
    const Intestazione& intestazione;
    const ListaCampi& campi;
    std::string inizio;

    std::string_view testo(Colonna c) const
    {
        const int posto = intestazione[c];
        return posto >= 0 && posto < campi.conteggio() ? SenzaMargini(campi.campo(posto))
                                                       : std::string_view();
    }
    const std::string& nome(Colonna c) const
    {
        return intestazione.nomi[static_cast<std::size_t>(intestazione[c])];
    }

    [[noreturn]] void nonNumero(std::string_view cella, Colonna c) const
    {
        throw Errore(inizio + "\"" + std::string(cella) + "\" nella colonna \"" + nome(c) +
                     "\" non e' un numero");
    }

    // "," or "." as the decimal point.
    double decimale(std::string_view cella, Colonna c) const
    {
        std::string forma(SenzaMargini(cella));
        for (char& carattere : forma)
            if (carattere == ',')
                carattere = '.';
        double valore = 0;
        if (forma.empty() || !ProvaDecimale(forma, '.', valore) || !std::isfinite(valore))
            nonNumero(cella, c);
        return valore;
    }

    std::optional<double> valore(Colonna c) const
    {
        const std::string_view cella = testo(c);
        if (cella.empty())
            return std::nullopt;
        return decimale(cella, c);
    }
};

long long LeggiNumero(const Lettura& lettura)
{
    const std::string_view testo = lettura.testo(Colonna::Numero);
    if (testo.empty())
        throw Errore(lettura.inizio + "manca il numero della misura o sezione");
    long long numero = 0;
    const auto esito = std::from_chars(testo.data(), testo.data() + testo.size(), numero);
    if (esito.ec != std::errc() || esito.ptr != testo.data() + testo.size() || numero < 0)
        lettura.nonNumero(testo, Colonna::Numero);
    return numero;
}

// The interval of the row: "da" and "a", "a" alone, or "Intervallo" as "start-end" or the end.
void LeggiIntervallo(const Lettura& lettura, RigaRilievo& riga)
{
    if (lettura.intestazione[Colonna::Intervallo] >= 0) {
        const std::string_view testo = lettura.testo(Colonna::Intervallo);
        // The first "-" after the first character: a start cannot be negative.
        const std::size_t trattino = testo.size() > 1 ? testo.find('-', 1) : std::string_view::npos;
        if (trattino == std::string_view::npos) {
            if (!testo.empty())
                riga.a = lettura.decimale(testo, Colonna::Intervallo);
        } else {
            riga.da = lettura.decimale(testo.substr(0, trattino), Colonna::Intervallo);
            riga.a = lettura.decimale(testo.substr(trattino + 1), Colonna::Intervallo);
        }
    } else if (lettura.intestazione[Colonna::A] >= 0) {
        riga.a = lettura.valore(Colonna::A);
        if (lettura.intestazione[Colonna::Da] >= 0)
            riga.da = lettura.valore(Colonna::Da);
        if (riga.da && !riga.a)
            throw Errore(lettura.inizio + "l'intervallo ha l'inizio ma non la fine");
        if (riga.a && !riga.da && lettura.intestazione[Colonna::Da] >= 0)
            throw Errore(lettura.inizio + "l'intervallo ha la fine ma non l'inizio");
    }
    if ((riga.da && *riga.da < 0) || (riga.a && *riga.a < 0) || (riga.da && riga.a && *riga.da >= *riga.a))
        throw Errore(lettura.inizio + "l'intervallo " + TestoIntervallo(riga) +
                     " non e' un intervallo di tempo");
}

void LeggiValori(const Lettura& lettura, RigaRilievo& riga)
{
    riga.veicoli = lettura.valore(Colonna::Veicoli);
    riga.velocita = lettura.valore(Colonna::Velocita);
    riga.tempo = lettura.valore(Colonna::Tempo);
    if (riga.veicoli && *riga.veicoli < 0)
        throw Errore(lettura.inizio + "i veicoli rilevati non possono essere meno di zero");
    if (riga.velocita && !(*riga.velocita > 0))
        throw Errore(lettura.inizio + "la velocita' rilevata deve essere maggiore di zero");
    if (riga.tempo && !(*riga.tempo > 0))
        throw Errore(lettura.inizio + "il tempo di percorrenza rilevato deve essere maggiore di zero");
}

} // namespace

std::string TestoIntervallo(const RigaRilievo& riga)
{
    std::string testo;
    if (riga.da)
        testo = TestoLegenda(*riga.da, '.') + "-";
    if (riga.a)
        testo += TestoLegenda(*riga.a, '.');
    return testo;
}

Rilievi LeggiRilievi(const ListaRighe& righeFile)
{
    const ListaRighe righe = ComeUtf8SeValido(righeFile);
    int r = 0;
    while (r < righe.conteggio() && SoloSeparatori(righe.riga(r)))
        ++r;
    if (r == righe.conteggio())
        throw Errore("Il file dei rilievi non ha l'intestazione: e' vuoto");
    const Intestazione intestazione = LeggiIntestazione(righe.riga(r), r + 1);

    Rilievi rilievi;
    ListaCampi campi;
    for (++r; r < righe.conteggio(); ++r) {
        const std::string_view testo = righe.riga(r);
        if (SoloSeparatori(testo))
            continue;
        DividiCampi(testo, intestazione.separatore, campi);
        const Lettura lettura{intestazione, campi, InizioMessaggio(r + 1)};
        RigaRilievo riga;
        riga.riga = r + 1;
        riga.numero = LeggiNumero(lettura);
        LeggiIntervallo(lettura, riga);
        LeggiValori(lettura, riga);
        if (riga.veicoli || riga.velocita || riga.tempo)
            rilievi.righe.push_back(riga);
    }
    return rilievi;
}

Rilievi LeggiRilievi(const std::string& percorso)
{
    ListaRighe righe;
    try {
        righe = CaricaRighe(percorso);
    } catch (const std::exception& e) {
        throw Errore("Il file dei rilievi \"" + percorso + "\" non si puo' leggere: " + TestoBoxErrore(e));
    }
    return LeggiRilievi(righe);
}

} // namespace marvento
