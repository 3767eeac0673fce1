#include "ImportaVelocita.h"

#include "Errore.h"
#include "FigurePesate.h"
#include "Importazione.h"
#include "ListaCampi.h"
#include "Numeri.h"
#include "Squadra.h"
#include "Testo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

namespace {

// IniziaCon, with the first character compared inline: the scans below run over every line of the
// file, millions of data lines that begin with a digit.
bool Inizia(std::string_view riga, std::string_view prefisso)
{
    return prefisso.empty() || (!riga.empty() && riga[0] == prefisso[0] && IniziaCon(riga, prefisso));
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

std::string_view SenzaMargini(std::string_view testo)
{
    const std::size_t inizio = testo.find_first_not_of(" \t");
    if (inizio == std::string_view::npos)
        return {};
    return testo.substr(inizio, testo.find_last_not_of(" \t") - inizio + 1);
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

// Copies riga to pulite + inizio (room for all of it is there) with every "." written as separatore,
// and puts in fini[0..campi) the ends, as offsets from pulite, of its first `campi` fields (campi > 0)
// as DividiCampi cuts them at ";". False when the line has fewer fields or one of those may come
// under the double-quote rules.
bool TagliaRigaDati(std::string_view riga, char separatore, int campi, char* pulite, std::size_t inizio,
                    std::uint32_t* fini)
{
    if (riga.empty())
        return false;
    char* const uscita = pulite + inizio;
    int trovati = 0;
    for (std::size_t i = 0; i < riga.size(); ++i) {
        const char c = riga[i];
        if (c == '"')
            return false;
        if (c == ';') {
            fini[trovati] = static_cast<std::uint32_t>(inizio + i);
            if (++trovati == campi)
                return true;
        }
        uscita[i] = c == '.' ? separatore : c;
    }
    if (trovati + 1 < campi)
        return false;
    fini[trovati] = static_cast<std::uint32_t>(inizio + riga.size()); // the last field runs to the end
    return true;
}

// The texts of every row of a column, read as cella reads them: empty outside the grid.
void TestiColonna(const Griglia& griglia, int colonna, std::vector<std::string_view>& testi)
{
    if (colonna >= 0 && colonna < griglia.numeroColonne())
        griglia.testiColonna(colonna, testi);
    else
        testi.assign(static_cast<std::size_t>(griglia.numeroRighe()), std::string_view());
}

int CercaColonna(const Griglia& griglia, std::string_view intestazione)
{
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        if (griglia.intestazione(c) == intestazione)
            return c;
    return -1;
}

} // namespace

void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                     const ParoleVelocita& parole)
{
    // Everything that can refuse the file is decided here, before either grid is touched.
    const int n = righe.conteggio();
    int p = 0;
    int misurePrimaIntestazione = 0;
    int intestazione = -1;
    std::vector<int> righeMisura; // the measurement lines, for the labels at the end
    for (int r = 0; r < n; ++r) {
        const std::string_view riga = righe.riga(r);
        if (Inizia(riga, parole.rigaMisura)) {
            ++p;
            righeMisura.push_back(r);
        }
        if (Inizia(riga, parole.rigaIntestazione)) {
            intestazione = r;
            misurePrimaIntestazione = p;
        }
    }
    if (intestazione < 0)
        throw Errore("Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"" +
                     std::string(parole.rigaIntestazione) + "\"): non e' un file di velocita' sezioni");

    // Trailing empty or blank lines are not data: real files end on their last data line or after
    // a few blank lines, and neither may lose or invent an interval.
    long long fineDati = n;
    while (fineDati > 0 && SoloSpazi(righe.riga(static_cast<int>(fineDati - 1))))
        --fineDati;
    const long long inizioDati = static_cast<long long>(intestazione) + 3;
    if (p == 0 && inizioDati < fineDati)
        throw Errore("Il file contiene dati ma nessuna riga di misura (una riga che inizia con \"" +
                     std::string(parole.rigaMisura) + "\"): i dati non si possono attribuire alle misure");

    ListaCampi campi;
    DividiCampi(righe.riga(intestazione), ';', campi);
    const int q = campi.conteggio();
    const long long colonne = static_cast<long long>(q) * misurePrimaIntestazione;
    const long long gruppi = inizioDati < fineDati ? (fineDati - 1 - inizioDati) / p + 1 : 0;
    if (colonne > kMassimoColonneTabellaVelocita ||
        colonne * gruppi > kMassimoCelleTabellaVelocita)
        throw Errore("Il file descrive una tabella troppo grande: " + std::to_string(colonne) + " colonne per " +
                     std::to_string(gruppi) + " intervalli (al massimo " +
                     std::to_string(kMassimoColonneTabellaVelocita) + " colonne e " +
                     std::to_string(kMassimoCelleTabellaVelocita) + " celle)");

    // Detail table: one block of q columns per measurement met before the header line.
    PreparaGriglia(tabella, 0, static_cast<int>(colonne), false);
    for (int d = 0; d < misurePrimaIntestazione; ++d)
        for (int j = 0; j < q; ++j)
            tabella.impostaIntestazione(d * q + j, std::string(NomeColonna(campi.campo(j), parole)));
    for (int c = 0; c < static_cast<int>(colonne); ++c)
        tabella.impostaLarghezza(c, kLarghezzaColonna);

    // One row per group of p lines, line d of the group into block d. The line is copied into one
    // reused buffer so that a large file costs no allocation per line or per cell.
    std::string riga;
    auto gruppoRigaPerRiga = [&](long long r) {
        const int nuovaRiga = tabella.numeroRighe();
        tabella.impostaNumeroRighe(nuovaRiga + 1);
        for (int d = 0; d < p; ++d) {
            if (r + d >= n)
                ErroreIndiceLista(r + d);
            riga.assign(righe.riga(static_cast<int>(r + d)));
            if (separatore != '.')
                std::replace(riga.begin(), riga.end(), '.', separatore);
            DividiCampi(riga, ';', campi);
            for (int j = 0; j < q; ++j)
                tabella.impostaCella(d * q + j, nuovaRiga, campi.campo(j));
        }
    };

    // Only the first measurement keeps its interval columns, removed once the table is full. When
    // that removal cannot fail, the runs below leave them empty: they are a sixth of the cells.
    std::vector<int> intervalli;
    for (int b = p - 1; b >= 1; --b) {
        intervalli.push_back(b * q + 2);
        intervalli.push_back(b * q + 1);
    }
    std::vector<char> daRimuovere(static_cast<std::size_t>(colonne));
    const bool rimovibili = std::all_of(intervalli.begin(), intervalli.end(),
                                        [&](int c) { return c >= 0 && c < static_cast<int>(colonne); });
    if (rimovibili)
        for (const int c : intervalli)
            daRimuovere[static_cast<std::size_t>(c)] = 1;

    // Filling row by row writes each cell to a different column out of thousands, one cache miss
    // after another. Runs of whole groups are filled block by block instead, so that a block's
    // columns stay in cache while they take their cells of the whole run; the blocks are shared out
    // among the threads of the team, each cutting the lines of its own blocks and writing their
    // columns. A run that meets a line needing the quote rules or lacking fields, or any failure,
    // is taken back and done row by row, so that what a failure leaves in the grid is the same; so
    // is everything when the table lacks blocks.
    // Each thread cuts a run's lines into scratch buffers first, about twice the run's text: with
    // runs of 256 groups, megabytes whatever the file's length. A short file takes runs of an eighth
    // of its groups, so that it does not pay for more fresh memory than its size calls for (a 10 MB
    // file touched a quarter fewer pages and took a tenth less time).
    const long long kGruppiPerPassata = std::clamp<long long>(gruppi / 8, 32, 256);
    // The runs read ";", quotes and "." in the file's bytes, which only a separator that is neither
    // of the first two leaves as the plain rules see them.
    const bool perBlocchi = p == misurePrimaIntestazione && separatore != ';' && separatore != '"';
    Squadra& squadra = SquadraComune();
    // Per thread: its lines of a run, cleaned, back to back; per line, its start there and the ends
    // of its q fields, kept in the order of the writes (measurement first, then group).
    struct Ritaglio
    {
        std::string pulite;
        std::vector<std::uint32_t> fini;
        std::vector<std::uint32_t> inizi;
        std::vector<std::string_view> testi; // the cells of one column of the run
    };
    std::vector<Ritaglio> ritagli(static_cast<std::size_t>(squadra.fili()));
    std::vector<char> riusciti(ritagli.size());
    // Blocks [primo, ultimo) of the groups inizio.. of a run into rows primaRiga..; false when a
    // line is not simple.
    bool saltaIntervalli = true;
    auto riempiBlocchi = [&](Ritaglio& ritaglio, long long inizio, int passata, int primaRiga, int primo,
                             int ultimo) {
        const std::size_t campiRiga = static_cast<std::size_t>(q);
        const std::size_t blocchi = static_cast<std::size_t>(ultimo - primo);
        const std::size_t linee = static_cast<std::size_t>(passata) * blocchi;
        ritaglio.fini.resize(linee * campiRiga);
        ritaglio.inizi.resize(linee);
        // The buffer is sized once for the run (it only grows from run to run), not line by line.
        std::size_t totale = 0;
        for (int g = 0; g < passata; ++g)
            for (int d = primo; d < ultimo; ++d)
                totale += righe.riga(static_cast<int>(inizio + static_cast<long long>(g) * p + d)).size();
        if (totale > UINT32_MAX)
            return false;
        if (ritaglio.pulite.size() < totale + kMargine) // each field can be read kMargine bytes on
            ritaglio.pulite.resize(totale + kMargine);
        std::size_t usati = 0;
        for (int g = 0; g < passata; ++g) {
            for (int d = primo; d < ultimo; ++d) {
                const std::size_t posto = static_cast<std::size_t>(d - primo) * static_cast<std::size_t>(passata) +
                                          static_cast<std::size_t>(g);
                const std::string_view testo =
                    righe.riga(static_cast<int>(inizio + static_cast<long long>(g) * p + d));
                ritaglio.inizi[posto] = static_cast<std::uint32_t>(usati);
                if (!TagliaRigaDati(testo, separatore, q, ritaglio.pulite.data(), usati,
                                    ritaglio.fini.data() + posto * campiRiga))
                    return false;
                usati += testo.size();
            }
        }
        // Column by column, each taking the cells of the whole run at once.
        const char* const pulite = ritaglio.pulite.data();
        ritaglio.testi.resize(static_cast<std::size_t>(passata));
        for (int d = primo; d < ultimo; ++d) {
            const std::size_t primoPosto = static_cast<std::size_t>(d - primo) * static_cast<std::size_t>(passata);
            for (int j = 0; j < q; ++j) {
                if (saltaIntervalli && daRimuovere[static_cast<std::size_t>(d * q + j)])
                    continue;
                for (std::size_t g = 0; g < static_cast<std::size_t>(passata); ++g) {
                    const std::uint32_t* fine = ritaglio.fini.data() + (primoPosto + g) * campiRiga;
                    const std::size_t campo = j == 0 ? ritaglio.inizi[primoPosto + g] : fine[j - 1] + std::size_t{1};
                    ritaglio.testi[g] = std::string_view(pulite + campo, fine[j] - campo);
                }
                tabella.impostaCelle(d * q + j, primaRiga, ritaglio.testi.data(), ritaglio.testi.size(), true);
            }
        }
        return true;
    };
    const int righeAttese = static_cast<int>(std::min<long long>(gruppi, std::numeric_limits<int>::max()));
    auto riempi = [&] {
        long long inizio = inizioDati;
        while (inizio < fineDati) {
            const long long passata = perBlocchi ? std::min({kGruppiPerPassata, (fineDati - inizio + p - 1) / p,
                                                             (static_cast<long long>(n) - inizio) / p})
                                                 : 0;
            if (passata <= 0) {
                gruppoRigaPerRiga(inizio);
                inizio += p;
                continue;
            }
            const int primaRiga = tabella.numeroRighe();
            tabella.impostaNumeroRighe(primaRiga + static_cast<int>(passata));
            // Each thread writes only the columns of its own blocks.
            squadra.esegui([&](int parte, int parti) {
                const Intervallo blocchi = Parte(p, parte, parti);
                char& riuscito = riusciti[static_cast<std::size_t>(parte)];
                try {
                    riuscito = blocchi.inizio == blocchi.fine ||
                               riempiBlocchi(ritagli[static_cast<std::size_t>(parte)], inizio, static_cast<int>(passata),
                                             primaRiga, static_cast<int>(blocchi.inizio), static_cast<int>(blocchi.fine));
                    if (riuscito && primaRiga == 0) // the first rows tell how long the texts of its columns run
                        tabella.riservaRighe(righeAttese, static_cast<int>(blocchi.inizio) * q,
                                             static_cast<int>(blocchi.fine) * q);
                } catch (...) {
                    riuscito = false; // done again row by row below, which fails at the same cell
                }
            });
            if (std::find(riusciti.begin(), riusciti.end(), char{0}) != riusciti.end()) {
                tabella.impostaNumeroRighe(primaRiga);
                for (long long g = 0; g < passata; ++g)
                    gruppoRigaPerRiga(inizio + g * p);
                if (primaRiga == 0) // as the threads do for their columns after a run
                    tabella.riservaRighe(righeAttese);
            }
            inizio += passata * p;
        }
    };
    try {
        riempi();
    } catch (...) {
        // What a failure leaves must be the plain fill's, interval columns included: the table is
        // filled again without leaving them out, and fails at the same place.
        if (!rimovibili || !perBlocchi)
            throw;
        saltaIntervalli = false;
        tabella.impostaNumeroRighe(0);
        riempi();
    }

    // Only the first measurement keeps its interval columns; they all go in one pass.
    tabella.rimuoviColonne(intervalli);

    PreparaGriglia(riepilogo, p, 5, false);
    for (int c = 0; c < 5; ++c)
        riepilogo.impostaIntestazione(c, std::string(parole.riepilogo[c]));

    // A missing column leaves the figures that need it empty rather than failing on its absence.
    const int veicoli = CercaColonna(tabella, parole.colonnaVeicoli);
    const int velocita = CercaColonna(tabella, parole.colonnaVelocita);

    // The figures of the measurements are worked out at once on the team's threads, then written
    // in order; a failure leaves the summary as the plain loop would, the measurements before it done.
    const int righeTabella = tabella.numeroRighe();
    struct Figure : FigurePesate
    {
        double intervallo = 0; // only for the first measurement
        // The mean speed as written, worked out beside the figures; when that failed, the
        // failure, thrown where the plain loop writes the cell.
        std::string media;
        std::exception_ptr erroreMedia;
    };
    std::vector<Figure> figure(static_cast<std::size_t>(p));
    // Each column is read in one pass down it rather than cell by cell.
    struct Colonne
    {
        std::vector<std::string_view> veicoli;
        std::vector<std::string_view> velocita;
    };
    std::vector<Colonne> colonneLette(static_cast<std::size_t>(SquadraComune().fili()));
    auto calcola = [&](long long misura, int parte) {
        const int b = static_cast<int>(misura);
        Figure& f = figure[static_cast<std::size_t>(b)];
        std::vector<std::string_view>& testiVeicoli = colonneLette[static_cast<std::size_t>(parte)].veicoli;
        std::vector<std::string_view>& testiVelocita = colonneLette[static_cast<std::size_t>(parte)].velocita;
        const int o = (q - 2) * b;
        if (veicoli >= 0) {
            TestiColonna(tabella, o + veicoli, testiVeicoli);
            if (velocita >= 0)
                TestiColonna(tabella, o + velocita, testiVelocita);
        }
        // Beyond the first measurement (whose interval is read along the way), texts that lie in the
        // columns' buffers are added in slices, as the travel-time runs add theirs.
        auto nelBuffer = [&](int colonna) {
            return colonna < tabella.numeroColonne() && tabella.colonnaNelBuffer(colonna);
        };
        auto formattaMedia = [&] {
            if (veicoli < 0 || velocita < 0 || f.totale == 0)
                return;
            try {
                // The quotient stays in extended precision up to the formatting: rounding it to a
                // double first can move the third decimal.
                f.media = FormattaDecimale(static_cast<long double>(f.somma) / static_cast<long double>(f.totale),
                                           separatore);
            } catch (...) {
                f.erroreMedia = std::current_exception();
            }
        };
        if (b > 0 && veicoli >= 0 && nelBuffer(o + veicoli) && (velocita < 0 || nelBuffer(o + velocita))) {
            AggiungiRighePesate(f, testiVeicoli.data(), velocita >= 0, testiVelocita.data(),
                                static_cast<std::size_t>(righeTabella), separatore);
            formattaMedia();
            return;
        }
        for (int j = 0; j < righeTabella; ++j) {
            if (veicoli >= 0)
                AggiungiRigaPesata(f, testiVeicoli[static_cast<std::size_t>(j)], velocita >= 0,
                                   velocita >= 0 ? testiVelocita[static_cast<std::size_t>(j)] : std::string_view(),
                                   separatore);
            if (b == 0) {
                if (j == 0)
                    f.intervallo = LeggiDecimale(tabella.cella(1, 0), separatore);
                if (j == righeTabella - 1)
                    f.intervallo = LeggiDecimale(tabella.cella(2, righeTabella - 1), separatore) - f.intervallo;
            }
        }
        formattaMedia();
    };
    std::string intervallo; // the first measurement's, written in every row
    auto applica = [&](long long misura) {
        const int b = static_cast<int>(misura);
        const Figure& f = figure[static_cast<std::size_t>(b)];
        riepilogo.impostaCella(0, b, FormattaIntero(b + 1));
        if (veicoli >= 0) {
            riepilogo.impostaCella(1, b, FormattaIntero(static_cast<std::int32_t>(f.totale)));
            if (velocita >= 0) {
                if (f.totale != 0 && f.erroreMedia)
                    std::rethrow_exception(f.erroreMedia);
                riepilogo.impostaCella(2, b, f.totale == 0 ? std::string("0") : f.media);
            }
        }
        if (b == 0) // rows are written in order, from the first
            intervallo = FormattaDecimale(figure[0].intervallo, separatore);
        riepilogo.impostaCella(3, b, intervallo);
    };
    CalcolaPoiApplica(SquadraComune(), p, calcola, applica);

    for (std::size_t k = 0; k < righeMisura.size(); ++k) {
        DividiCampi(righe.riga(righeMisura[k]), ':', campi);
        riepilogo.impostaCella(4, static_cast<int>(k), SostituisciTesto(campi.campo(1), parole.fraseSezione, ""));
    }
}

} // namespace marvento
