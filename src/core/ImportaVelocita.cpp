#include "ImportaVelocita.h"

#include "Errore.h"
#include "FigurePesate.h"
#include "Importazione.h"
#include "ListaCampi.h"
#include "Numeri.h"
#include "Parallelo.h"
#include "Testo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvento {

namespace {

bool Inizia(std::string_view riga, std::string_view prefisso)
{
    return IniziaCon(riga, prefisso);
}

} // namespace

const ParoleVelocita& ParoleVelocitaItaliano()
{
    static const ParoleVelocita parole;
    return parole;
}

const ParoleVelocita& ParoleVelocitaInglese()
{
    static const ParoleVelocita parole = [] {
        ParoleVelocita p;
        p.rigaMisura = "Measurement ";
        p.rigaIntestazione = "Measur.;";
        p.fraseSezione = " Data Collection Point(s)";
        // Newer files pad their fields to the width of the values below them.
        p.nomiSenzaMargini = true;
        p.nomeMisura = "Measur.";
        p.nomeDa = "from";
        p.nomeA = "to";
        p.nomeVeicoli = "Number Veh";
        p.nomeVelocita = "Speed";
        return p;
    }();
    return parole;
}

const ParoleVelocita& ParoleVelocitaDelFile(const ListaRighe& righe)
{
    const ParoleVelocita& italiano = ParoleVelocitaItaliano();
    const ParoleVelocita& inglese = ParoleVelocitaInglese();
    bool intestazioneInglese = false;
    for (int r = 0; r < righe.conteggio(); ++r) {
        const std::string_view riga = righe.riga(r);
        if (Inizia(riga, italiano.rigaIntestazione))
            return italiano;
        if (Inizia(riga, inglese.rigaIntestazione))
            intestazioneInglese = true;
    }
    return intestazioneInglese ? inglese : italiano;
}

void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore)
{
    ImportaVelocita(righe, tabella, riepilogo, separatore, ParoleVelocitaDelFile(righe));
}

namespace {

constexpr int kLarghezzaColonna = 60;

bool SoloSpazi(std::string_view riga)
{
    return riga.find_first_not_of(' ') == std::string_view::npos;
}

// The file's column name as the detail table shows it; the interval and speed columns get their unit.
std::string_view NomeColonna(std::string_view testo, const ParoleVelocita& parole)
{
    const std::string_view nome = parole.nomiSenzaMargini ? SenzaMargini(testo) : testo;
    if (nome == parole.nomeDa)
        return parole.colonnaDa;
    if (nome == parole.nomeA)
        return parole.colonnaA;
    if (nome == parole.nomeVelocita)
        return parole.colonnaVelocita;
    if (nome == parole.nomeVeicoli)
        return parole.colonnaVeicoli;
    if (nome == parole.nomeMisura)
        return parole.colonnaMisura;
    return testo;
}

int CercaColonna(const Griglia& griglia, std::string_view intestazione)
{
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        if (griglia.intestazione(c) == intestazione)
            return c;
    return -1;
}

// How the file is laid out: what the scan of its lines finds before anything is filled.
struct Struttura
{
    std::vector<int> righeMisura; // the measurement lines, p of them
    int misurePrimaIntestazione = 0;
    int intestazione = -1; // the last header line
    long long inizioDati = 0;
    long long fineDati = 0; // before the blank lines that end the file
    int q = 0;              // fields of the header line
    long long gruppi = 0;   // groups of p data lines: the rows of the detail table
};

// Refuses, with its own message, a file that has no header line, has data but no measurement
// line, or whose detail table would be too large.
Struttura CercaStruttura(const ListaRighe& righe, const ParoleVelocita& parole)
{
    Struttura s;
    const int n = righe.conteggio();
    for (int r = 0; r < n; ++r) {
        const std::string_view riga = righe.riga(r);
        if (Inizia(riga, parole.rigaMisura))
            s.righeMisura.push_back(r);
        if (Inizia(riga, parole.rigaIntestazione)) {
            s.intestazione = r;
            s.misurePrimaIntestazione = static_cast<int>(s.righeMisura.size());
        }
    }
    if (s.intestazione < 0)
        throw Errore(
            "Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"" +
            std::string(parole.rigaIntestazione) + "\"): non e' un file di velocita' sezioni");

    // Trailing empty or blank lines are not data: real files end on their last data line or after
    // a few blank lines, and neither may lose or invent an interval.
    s.fineDati = n;
    while (s.fineDati > 0 && SoloSpazi(righe.riga(static_cast<int>(s.fineDati - 1))))
        --s.fineDati;
    s.inizioDati = static_cast<long long>(s.intestazione) + 3;
    const long long p = static_cast<long long>(s.righeMisura.size());
    if (p == 0 && s.inizioDati < s.fineDati)
        throw Errore("Il file contiene dati ma nessuna riga di misura (una riga che inizia con \"" +
                     std::string(parole.rigaMisura) + "\"): i dati non si possono attribuire alle misure");

    s.q = DividiCampi(righe.riga(s.intestazione), ';').conteggio();
    const long long colonne = static_cast<long long>(s.q) * s.misurePrimaIntestazione;
    s.gruppi = s.inizioDati < s.fineDati ? (s.fineDati - 1 - s.inizioDati) / p + 1 : 0;
    if (colonne > kMassimoColonneTabellaVelocita || colonne * s.gruppi > kMassimoCelleTabellaVelocita)
        throw Errore("Il file descrive una tabella troppo grande: " + std::to_string(colonne) +
                     " colonne per " + std::to_string(s.gruppi) + " intervalli (al massimo " +
                     std::to_string(kMassimoColonneTabellaVelocita) + " colonne e " +
                     std::to_string(kMassimoCelleTabellaVelocita) + " celle)");
    return s;
}

// The groups of data lines cut at once, before their cells go to the table column by column.
constexpr int kGruppiPerPassata = 16;

// Cuts line r, with every "." written as the separator, into campi; throws what writing it into
// block d of the table row by row would throw first.
void TagliaRigaDati(const ListaRighe& righe, long long r, int d, const Struttura& s, char separatore,
                    std::string& riga, ListaCampi& campi)
{
    if (r >= righe.conteggio())
        ErroreIndiceLista(r);
    riga.assign(righe.riga(static_cast<int>(r)));
    if (separatore != '.')
        std::replace(riga.begin(), riga.end(), '.', separatore);
    DividiCampiPresi(std::move(riga), ';', campi);
    // A measurement line after the header line has no block of its own.
    if (d >= s.misurePrimaIntestazione && campi.conteggio() > 0)
        throw Errore(Messaggio("Column index, %d, out of bounds", static_cast<long long>(d) * s.q));
    if (campi.conteggio() < s.q)
        ErroreIndiceLista(campi.conteggio());
}

// The data groups into rows of tabella, line d of a group into block d. A row spans thousands of
// columns: written row by row, every cell would land in another part of memory. So the lines of a
// chunk of groups are cut first, in the file's order, then written one column at a time.
void RiempiGruppi(const ListaRighe& righe, const Struttura& s, char separatore,
                  const std::vector<bool>& rimossa, Griglia& tabella)
{
    const int p = static_cast<int>(s.righeMisura.size());
    const int q = s.q;
    LineeTagliate passate[2];
    auto taglia = [&](long long k, int b) {
        LineeTagliate& passata = passate[b];
        const long long primo = k * kGruppiPerPassata;
        const int gruppi = static_cast<int>(std::min<long long>(kGruppiPerPassata, s.gruppi - primo));
        passata.linee.resize(static_cast<std::size_t>(gruppi) * static_cast<std::size_t>(p));
        for (int g = 0; g < gruppi; ++g)
            for (int d = 0; d < p; ++d)
                TagliaRigaDati(righe, s.inizioDati + (primo + g) * p + d, d, s, separatore, passata.riga,
                               passata.linee[static_cast<std::size_t>(g * p + d)]);
    };
    auto scrivi = [&](long long, int b) {
        const std::vector<ListaCampi>& linee = passate[b].linee;
        const int gruppi = static_cast<int>(linee.size()) / p;
        const int prima = tabella.numeroRighe();
        tabella.impostaNumeroRighe(prima + gruppi);
        std::vector<std::string_view>& testi = passate[b].colonna;
        testi.resize(static_cast<std::size_t>(gruppi));
        for (int d = 0; d < p; ++d)
            for (int j = 0; j < q; ++j) {
                if (rimossa[static_cast<std::size_t>(d * q + j)])
                    continue; // removed at the end: its cells would never be seen
                for (int g = 0; g < gruppi; ++g)
                    testi[static_cast<std::size_t>(g)] = linee[static_cast<std::size_t>(g * p + d)].campo(j);
                tabella.impostaCelle(d * q + j, prima, testi);
            }
        if (prima == 0)
            tabella.riservaRighe(static_cast<int>(s.gruppi));
    };
    APassate((s.gruppi + kGruppiPerPassata - 1) / kGruppiPerPassata, s.gruppi * tabella.numeroColonne(),
             taglia, scrivi);
}

// The detail table: one block of q columns per measurement met before the header line, and one row
// per group of p data lines. Only the first measurement keeps its interval columns.
void RiempiTabella(const ListaRighe& righe, const Struttura& s, char separatore, const ParoleVelocita& parole,
                   Griglia& tabella)
{
    const int p = static_cast<int>(s.righeMisura.size());
    const int q = s.q;
    const int colonne = q * s.misurePrimaIntestazione;
    ListaCampi intestazione;
    DividiCampi(righe.riga(s.intestazione), ';', intestazione);
    PreparaGriglia(tabella, 0, colonne, false);
    for (int d = 0; d < s.misurePrimaIntestazione; ++d)
        for (int j = 0; j < q; ++j) {
            tabella.impostaIntestazione(d * q + j, std::string(NomeColonna(intestazione.campo(j), parole)));
            tabella.impostaLarghezza(d * q + j, kLarghezzaColonna);
        }
    std::vector<int> intervalli;
    std::vector<bool> rimossa(static_cast<std::size_t>(q) * static_cast<std::size_t>(p), false);
    for (int b = p - 1; b >= 1; --b)
        for (const int c : {b * q + 2, b * q + 1}) {
            intervalli.push_back(c);
            if (c < static_cast<int>(rimossa.size()))
                rimossa[static_cast<std::size_t>(c)] = true;
        }

    RiempiGruppi(righe, s, separatore, rimossa, tabella);
    tabella.rimuoviColonne(intervalli);
}

// What identifies each measurement: "Misura    17: Sezione(i) di rilievo 3 4" gives the number
// "17" and the text after the colon.
void IdentificaMisure(const ListaRighe& righe, const Struttura& s, const ParoleVelocita& parole,
                      std::vector<FigurePesate> figure, std::vector<RigaRiepilogo>& righeRiepilogo)
{
    righeRiepilogo.clear();
    for (std::size_t k = 0; k < s.righeMisura.size(); ++k) {
        std::string_view riga = righe.riga(s.righeMisura[k]);
        riga.remove_prefix(parole.rigaMisura.size());
        const std::size_t duePunti = riga.find(':');
        RigaRiepilogo identita;
        identita.numero = std::string(SenzaMargini(riga.substr(0, duePunti)));
        if (duePunti != std::string_view::npos)
            identita.nome = std::string(SenzaMargini(riga.substr(duePunti + 1)));
        identita.figure = figure[k];
        righeRiepilogo.push_back(std::move(identita));
    }
}

// The summary: per measurement its number, total vehicles, vehicle-weighted mean speed, the first
// measurement's simulated interval, and the label of its measurement line. A missing column leaves
// the figures that need it empty rather than failing on its absence.
void RiempiRiepilogo(const ListaRighe& righe, const Struttura& s, const Griglia& tabella, char separatore,
                     const ParoleVelocita& parole, Griglia& riepilogo,
                     std::vector<RigaRiepilogo>* righeRiepilogo)
{
    using namespace riepilogo_velocita;
    const int p = static_cast<int>(s.righeMisura.size());
    PreparaGriglia(riepilogo, p, kColonne, false);
    for (int c = 0; c < kColonne; ++c)
        riepilogo.impostaIntestazione(c, std::string(parole.riepilogo[c]));
    const int veicoli = CercaColonna(tabella, parole.colonnaVeicoli);
    const int velocita = CercaColonna(tabella, parole.colonnaVelocita);
    const int righeTabella = tabella.numeroRighe();
    // The figures of the measurements are worked out at once, then written in order.
    std::vector<FigurePesate> figure(static_cast<std::size_t>(p));
    double intervallo = 0; // the first measurement's, written in every row
    PerIntervalli(p, static_cast<long long>(p) * righeTabella, [&](long long primo, long long fine) {
        std::vector<std::string_view> testiVeicoli;
        std::vector<std::string_view> testiVelocita;
        for (long long b = primo; b < fine; ++b) {
            const int o = (s.q - 2) * static_cast<int>(b);
            tabella.testiColonna(veicoli < 0 ? -1 : o + veicoli, 0, righeTabella, testiVeicoli);
            tabella.testiColonna(velocita < 0 ? -1 : o + velocita, 0, righeTabella, testiVelocita);
            for (int j = 0; j < righeTabella; ++j) {
                const std::size_t r = static_cast<std::size_t>(j);
                if (veicoli >= 0)
                    figure[static_cast<std::size_t>(b)].aggiungi(testiVeicoli[r], velocita >= 0,
                                                                 testiVelocita[r], separatore);
                if (b == 0 && j == 0)
                    intervallo = LeggiDecimale(tabella.cella(1, 0), separatore);
                if (b == 0 && j == righeTabella - 1)
                    intervallo = LeggiDecimale(tabella.cella(2, righeTabella - 1), separatore) - intervallo;
            }
        }
    });
    const std::string testoIntervallo = FormattaDecimale(intervallo, separatore);
    for (int b = 0; b < p; ++b) {
        const FigurePesate& f = figure[static_cast<std::size_t>(b)];
        riepilogo.impostaCella(kMisura, b, FormattaIntero(b + 1));
        if (veicoli >= 0) {
            riepilogo.impostaCella(kVeicoli, b, FormattaIntero(static_cast<std::int32_t>(f.totale)));
            if (velocita >= 0)
                riepilogo.impostaCella(kVelocita, b, f.media(separatore));
        }
        riepilogo.impostaCella(kIntervallo, b, testoIntervallo);
    }

    ListaCampi campi;
    for (int k = 0; k < p; ++k) {
        DividiCampi(righe.riga(s.righeMisura[static_cast<std::size_t>(k)]), ':', campi);
        riepilogo.impostaCella(kSezione, k, SostituisciTesto(campi.campo(1), parole.fraseSezione, ""));
    }
    if (righeRiepilogo != nullptr)
        IdentificaMisure(righe, s, parole, std::move(figure), *righeRiepilogo);
}

} // namespace

void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                     const ParoleVelocita& parole, std::vector<RigaRiepilogo>* righeRiepilogo)
{
    const Struttura struttura = CercaStruttura(righe, parole);
    RiempiTabella(righe, struttura, separatore, parole, tabella);
    RiempiRiepilogo(righe, struttura, tabella, separatore, parole, riepilogo, righeRiepilogo);
}

} // namespace marvento
