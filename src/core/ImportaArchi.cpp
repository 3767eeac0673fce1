#include "ImportaArchi.h"

#include "Errore.h"
#include "FigurePesate.h"
#include "Importazione.h"
#include "ListaCampi.h"
#include "Numeri.h"
#include "QuoteRiga.h"
#include "Squadra.h"
#include "Testo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvento {

namespace {

// The file holds twelve lines besides its section lines ahead of the data, and the header line is
// followed by three lines without data.
constexpr int kRigheAvantiDati = 12;
constexpr int kRigheDopoIntestazione = 3;

char Maiuscola(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Position just behind the last occurrence of parola in riga (ASCII letter case ignored),
// or npos when riga does not hold it.
std::size_t DopoUltimaOccorrenza(std::string_view riga, std::string_view parola)
{
    if (parola.empty() || riga.size() < parola.size())
        return std::string_view::npos;
    for (std::size_t i = riga.size() - parola.size() + 1; i-- > 0;) {
        std::size_t j = 0;
        while (j < parola.size() && Maiuscola(riga[i + j]) == Maiuscola(parola[j]))
            ++j;
        if (j == parola.size())
            return i + parola.size();
    }
    return std::string_view::npos;
}

bool ERigaIntestazione(std::string_view riga, const ParoleArchi& parole)
{
    if (parole.rigaIntestazioneDopoSpazi) {
        const std::size_t primo = riga.find_first_not_of(' ');
        riga.remove_prefix(primo == std::string_view::npos ? riga.size() : primo);
    }
    return IniziaCon(riga, parole.rigaIntestazione);
}

// The length of a section line: the text after the length word when the line holds it (real
// files print it right-aligned, so the blanks before the number vary and the comma before the
// word may be missing), otherwise field 1. Blanks and unit letters go, "." becomes the separator.
std::string Lunghezza(std::string_view riga, const ParoleArchi& parole, char separatore,
                      ListaCampi& campi)
{
    std::string_view testo;
    const std::size_t dopo = DopoUltimaOccorrenza(riga, parole.parolaLunghezza);
    if (dopo != std::string_view::npos) {
        testo = riga.substr(dopo);
    } else {
        DividiCampi(riga, ',', campi);
        testo = campi.campo(1);
    }
    std::string lunghezza;
    lunghezza.reserve(testo.size());
    for (char c : testo) {
        if (c == ' ' || parole.caratteriUnita.find(c) != std::string_view::npos)
            continue;
        lunghezza.push_back(c == '.' ? separatore : c);
    }
    return lunghezza;
}

// A data line without its blanks and with the separator in place of ".", into a buffer that is
// reused for every line; the final ";" is dropped, any other last character kept.
void PulisciRigaDati(std::string_view riga, char separatore, std::string& pulita)
{
    pulita.clear();
    for (char c : riga) {
        if (c != ' ')
            pulita.push_back(c == '.' ? separatore : c);
    }
    if (!pulita.empty() && pulita.back() == ';')
        pulita.pop_back();
}

// The texts of every row of a column, read as cella reads them: empty outside the grid.
void TestiColonna(const Griglia& griglia, int colonna, std::vector<std::string_view>& testi)
{
    if (colonna >= 0 && colonna < griglia.numeroColonne())
        griglia.testiColonna(colonna, testi);
    else
        testi.assign(static_cast<std::size_t>(griglia.numeroRighe()), std::string_view());
}

} // namespace

const ParoleArchi& ParoleArchiItaliano()
{
    static const ParoleArchi italiano;
    return italiano;
}

const ParoleArchi& ParoleArchiInglese()
{
    static const ParoleArchi inglese = [] {
        ParoleArchi p;
        p.rigaSezione = "No.";
        p.parolaLunghezza = "Distance";
        // Lengths come in metres or, from an imperial network, in feet.
        p.caratteriUnita = "mft";
        p.rigaIntestazione = "Time;";
        p.rigaIntestazioneDopoSpazi = true;
        // Header names are compared once blanks and "#" are gone: "#Veh" is "Veh".
        p.nomeTempo = "Trav";
        p.nomeVeicoli = "Veh";
        return p;
    }();
    return inglese;
}

const ParoleArchi& ParoleArchiDelFile(const ListaRighe& righe)
{
    const ParoleArchi& italiano = ParoleArchiItaliano();
    const ParoleArchi& inglese = ParoleArchiInglese();
    bool intestazioneInglese = false;
    for (int r = 0; r < righe.conteggio(); ++r) {
        const std::string_view riga = righe.riga(r);
        if (ERigaIntestazione(riga, italiano))
            return italiano;
        if (ERigaIntestazione(riga, inglese))
            intestazioneInglese = true;
    }
    return intestazioneInglese ? inglese : italiano;
}

void ImportaArchi(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore)
{
    ImportaArchi(righe, tabella, riepilogo, separatore, ParoleArchiDelFile(righe));
}

void ImportaArchi(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                  const ParoleArchi& parole)
{
    const int numeroRighe = righe.conteggio();

    // Without a header line there is nothing to lay the data out by; refuse before either grid
    // changes rather than write into whatever table the previous import left.
    int rigaIntestazione = -1;
    int sezioniPreviste = 0;
    for (int r = 0; r < numeroRighe; ++r) {
        const std::string_view riga = righe.riga(r);
        if (IniziaCon(riga, parole.rigaSezione))
            ++sezioniPreviste;
        if (rigaIntestazione < 0 && ERigaIntestazione(riga, parole))
            rigaIntestazione = r;
    }
    if (rigaIntestazione < 0) {
        throw Errore("Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"" +
                     std::string(parole.rigaIntestazione) + "\"): non e' un file di tempi archi");
    }

    ListaCampi intestazione;
    {
        std::string pulita;
        for (char c : righe.riga(rigaIntestazione)) {
            if (c != ' ' && c != '#')
                pulita.push_back(c);
        }
        DividiCampi(pulita, ';', intestazione);
    }
    const int n = intestazione.conteggio();
    const int inizioDati = std::max(sezioniPreviste + kRigheAvantiDati,
                                    rigaIntestazione + 1 + kRigheDopoIntestazione);

    // The size of the detail table is known before anything is allocated: refuse absurd ones.
    if (sezioniPreviste > 0) {
        const long long s = (n - 2) / sezioniPreviste;
        const long long colonne = (s + 1) * sezioniPreviste + 1;
        const long long righeDati = std::max(0, numeroRighe - inizioDati);
        const long long massimoCelle = s > 0 ? kMassimoCelleTabellaArchi : kMassimoCelleSoloSezioni;
        if (colonne > kMassimoColonneTabellaArchi || colonne * righeDati > massimoCelle) {
            throw Errore("Il file descrive una tabella troppo grande: " + std::to_string(colonne) +
                         " colonne per " + std::to_string(righeDati) + " intervalli (al massimo " +
                         std::to_string(kMassimoColonneTabellaArchi) + " colonne e " +
                         std::to_string(massimoCelle) + " celle)");
        }
    }

    // Summary set-up.
    PreparaGriglia(riepilogo, 0, 6, false);
    for (int c = 0; c < 6; ++c)
        riepilogo.impostaIntestazione(c, std::string(parole.riepilogo[c]));

    // Section scan.
    ListaCampi campi;
    std::vector<std::string> numeriSezione;
    int p = 0;
    for (int r = 0; r < numeroRighe; ++r) {
        const std::string_view riga = righe.riga(r);
        if (!IniziaCon(riga, parole.rigaSezione))
            continue;
        ++p;
        std::string lunghezza = Lunghezza(riga, parole, separatore, campi);
        numeriSezione.push_back(FormattaIntero(p));
        riepilogo.impostaNumeroRighe(p);
        riepilogo.impostaCella(0, p - 1, numeriSezione.back());
        riepilogo.impostaCella(1, p - 1, lunghezza);
    }

    // Header.
    if (p == 0)
        throw Errore("Division by zero");
    const int s = (n - 2) / p;
    PreparaGriglia(tabella, 0, (s + 1) * p + 1, false);
    tabella.impostaIntestazione(0, std::string(parole.colonnaIntervallo));
    for (int k = 0; k < p; ++k) {
        const int o = (s + 1) * k;
        tabella.impostaIntestazione(o + 1, std::string(parole.colonnaSezione));
        // Every block takes the names of the last section.
        int f = n - 2;
        for (int c = o + s + 1; c >= o + 2; --c, --f)
            tabella.impostaIntestazione(c, std::string(intestazione.campo(f)));
    }
    for (int c = 0; c < tabella.numeroColonne(); ++c) {
        if (tabella.intestazione(c) == parole.nomeTempo)
            tabella.impostaIntestazione(c, std::string(parole.colonnaTempo));
        if (tabella.intestazione(c) == parole.nomeVeicoli)
            tabella.impostaIntestazione(c, std::string(parole.colonnaVeicoli));
        tabella.impostaLarghezza(c, 60);
    }

    // Column search.
    int T = -1;
    int V = -1;
    for (int c = 0; c < tabella.numeroColonne(); ++c) {
        if (T < 0 && tabella.intestazione(c) == parole.colonnaTempo)
            T = c;
        if (V < 0 && tabella.intestazione(c) == parole.colonnaVeicoli)
            V = c;
    }

    // Figures: vehicle-weighted mean travel time and total of vehicles, row after row. When the
    // two columns lie within each section's block, the runs below add up each section's rows as
    // they write them, while their texts are at hand; a section that meets a text that does not
    // read, and every section once a run goes row by row, is worked out again from the table.
    struct Figure : FigurePesate
    {
        bool pronte = true; // every row so far added up by the runs
        // The mean travel time as written, worked out beside the figures; when that failed, the
        // failure, thrown where the plain loop writes the cell.
        std::string media;
        std::exception_ptr erroreMedia;
    };
    std::vector<Figure> figure(static_cast<std::size_t>(std::max(p, 0)));
    auto aggiungiRiga = [&](Figure& f, std::string_view veicoli, std::string_view tempo) {
        AggiungiRigaPesata(f, veicoli, T >= 0, tempo, separatore);
    };
    bool figureNeiPassaggi = V >= 2 && V <= s + 1 && (T < 0 || (T >= 2 && T <= s + 1));

    // Data: one row per line, rows appended in order.
    std::string pulita;
    auto rigaDati = [&](std::string_view riga) {
        PulisciRigaDati(riga, separatore, pulita);
        DividiCampi(pulita, ';', campi);
        const int R = tabella.numeroRighe();
        tabella.impostaNumeroRighe(R + 1);
        tabella.impostaCella(0, R, campi.campo(0));
        int f = 1;
        for (int k = 0; k < p; ++k) {
            const int o = (s + 1) * k;
            tabella.impostaCella(o + 1, R, numeriSezione[static_cast<std::size_t>(k)]);
            for (int c = o + 2; c <= o + s + 1; ++c, ++f)
                tabella.impostaCella(c, R, campi.campo(f));
        }
    };
    auto bianca = [](std::string_view riga) { return riga.find_first_not_of(' ') == std::string_view::npos; };

    // A row spans thousands of columns, so filling row by row misses the cache at every cell. The
    // lines are taken in runs, and each of the team's threads cleans and cuts its share of the
    // sections out of every line of a run, then writes their columns. A run with a line that lacks
    // fields or needs the quote rules ends at that line and is done row by row, as is a run that
    // fails while written, so that what a failure leaves in the grid is the same.
    // Runs of 256 lines suit a large file; a shorter file is quicker with runs of a sixteenth of its
    // lines, down to 64 (measured here: a tenth less time in the runs at 10 and 20 MB, none lost
    // from 50 MB up).
    const std::size_t lineePerPassata =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(numeroRighe - inizioDati, 0)) / 16, 64, 256);
    Squadra& squadra = SquadraComune();
    const std::size_t parti = static_cast<std::size_t>(squadra.fili());
    // The runs read ";", quotes and "." in the file's bytes, which only a separator that is neither
    // of the first two leaves as the plain rules see them.
    const bool perPassate = s >= 1 && separatore != ';' && separatore != '"';
    // Each thread takes a share of the sections: it cuts their fields out of every line of a run and
    // writes their columns, its own buffers and columns only.
    struct Ritaglio
    {
        std::string pulite;                    // its share of the run's lines, cleaned, back to back
        std::vector<std::size_t> fini;         // per line, the end in pulite of each field of the share
        std::vector<std::size_t> inizi;        // per line, the start of its share in pulite
        std::size_t fallita = 0;               // the first line of the run whose share is not simple
        std::vector<std::string_view> testi;   // the texts of one column of the run
        // The texts of each field of a section in the run, kept for its figures once written.
        std::vector<std::vector<std::string_view>> campiSezione;
        bool scritta = true;                   // its columns were written
    };
    std::vector<Ritaglio> ritagli(parti);
    std::vector<int> linee; // the line indices of the run
    int r = inizioDati;
    while (r < numeroRighe) {
        const int primaLinea = r;
        linee.clear();
        if (perPassate) {
            while (r < numeroRighe && linee.size() < lineePerPassata) {
                const std::string_view riga = righe.riga(r);
                ++r;
                if (!bianca(riga)) // a blank line (real files may end with one) is no interval
                    linee.push_back(r - 1);
            }
        }
        const std::size_t quante = linee.size();
        const int primaRiga = tabella.numeroRighe();
        bool semplice = perPassate && quante > 0;
        if (semplice) {
            tabella.impostaNumeroRighe(primaRiga + static_cast<int>(quante));
            squadra.esegui([&](int parte, int numeroParti) {
                Ritaglio& mio = ritagli[static_cast<std::size_t>(parte)];
                mio.fallita = quante;
                mio.scritta = false;
                // More threads than sections: the last ones have no share.
                const int quote = std::min(numeroParti, p);
                if (parte >= quote) {
                    mio.scritta = true;
                    return;
                }
                const Intervallo sezioni = Parte(p, parte, quote);
                const int o0 = (s + 1) * static_cast<int>(sezioni.inizio); // its first block
                const std::size_t primo = parte == 0 ? 0 : 1 + static_cast<std::size_t>(sezioni.inizio) * static_cast<std::size_t>(s);
                const std::size_t campiQuota = 1 + static_cast<std::size_t>(sezioni.fine) * static_cast<std::size_t>(s) - primo;
                const bool ultima = parte == quote - 1;
                mio.pulite.clear();
                mio.fini.clear();
                mio.inizi.clear();
                for (std::size_t i = 0; i < quante; ++i) {
                    mio.inizi.push_back(mio.pulite.size());
                    if (!TagliaQuota(righe.riga(linee[i]), separatore, primo, campiQuota, ultima, mio.pulite, mio.fini)) {
                        mio.fallita = i;
                        return;
                    }
                }
                mio.pulite.append(kMargine, ' '); // each field can be read kMargine bytes on

                std::vector<std::string_view>& testi = mio.testi;
                // The texts of field f (of the line) of the run's lines.
                auto leggiCampo = [&](std::size_t f, std::vector<std::string_view>& campo) {
                    campo.resize(quante);
                    const std::size_t locale = f - primo;
                    const std::size_t* fineCampi = mio.fini.data();
                    for (std::size_t i = 0; i < quante; ++i, fineCampi += campiQuota) {
                        const std::size_t inizio = locale == 0 ? mio.inizi[i] : fineCampi[locale - 1] + 1;
                        campo[i] = std::string_view(mio.pulite.data() + inizio, fineCampi[locale] - inizio);
                    }
                };
                auto scriviCampo = [&](int colonna, std::size_t f, std::vector<std::string_view>& campo) {
                    leggiCampo(f, campo);
                    tabella.impostaCelle(colonna, primaRiga, campo.data(), quante, true);
                };
                std::vector<std::vector<std::string_view>>& campiSezione = mio.campiSezione;
                campiSezione.resize(static_cast<std::size_t>(s));
                try {
                    if (parte == 0)
                        scriviCampo(0, 0, testi);
                    for (int k = static_cast<int>(sezioni.inizio); k < static_cast<int>(sezioni.fine); ++k) {
                        const int o = (s + 1) * k;
                        tabella.impostaCelleUguali(o + 1, primaRiga, numeriSezione[static_cast<std::size_t>(k)], quante);
                        const std::size_t primoSezione = 1 + static_cast<std::size_t>(k) * static_cast<std::size_t>(s);
                        for (int j = 0; j < s; ++j)
                            scriviCampo(o + 2 + j, primoSezione + static_cast<std::size_t>(j),
                                        campiSezione[static_cast<std::size_t>(j)]);
                        Figure& figura = figure[static_cast<std::size_t>(k)];
                        if (figureNeiPassaggi && figura.pronte) {
                            try {
                                // The texts just written lie in mio.pulite, which has room beyond its end.
                                AggiungiRighePesate(figura, campiSezione[static_cast<std::size_t>(V - 2)].data(), T >= 0,
                                                    T >= 0 ? campiSezione[static_cast<std::size_t>(T - 2)].data() : nullptr,
                                                    quante, separatore);
                            } catch (...) {
                                figura.pronte = false; // worked out again from the table, failing there
                            }
                        }
                    }
                    if (primaRiga == 0) // the first rows tell how long the texts of its columns run
                        tabella.riservaRighe(std::max(numeroRighe - inizioDati, static_cast<int>(quante)),
                                             parte == 0 ? 0 : o0 + 1, (s + 1) * static_cast<int>(sezioni.fine) + 1);
                    mio.scritta = true;
                } catch (...) {
                    // done again row by row below, failing where the plain fill fails
                }
            });
            std::size_t fallita = quante;
            for (const Ritaglio& ritaglio : ritagli)
                fallita = std::min(fallita, ritaglio.fallita);
            if (fallita < quante)
                r = linee[fallita] + 1; // the plain reading ends the run at the line that is not simple
            semplice = fallita == quante &&
                       std::all_of(ritagli.begin(), ritagli.end(), [](const Ritaglio& x) { return x.scritta; });
            if (!semplice)
                tabella.impostaNumeroRighe(primaRiga);
        }
        if (r == primaLinea)
            ++r; // no run at all: this one line goes row by row
        if (!semplice) {
            figureNeiPassaggi = false;
            for (int linea = primaLinea; linea < r; ++linea)
                if (!bianca(righe.riga(linea)))
                    rigaDati(righe.riga(linea));
        }
        if (primaRiga == 0 && !semplice && tabella.numeroRighe() > 0) // as the runs do, by their threads
            tabella.riservaRighe(std::max(numeroRighe - inizioDati, tabella.numeroRighe()));
    }

    // A missing column leaves the figures that need it empty. The sections not added up by the
    // runs are worked out at once on the team's threads, then all are written in order: a failure
    // leaves the summary as the plain loop would, the sections before it done.
    const int righeTabella = tabella.numeroRighe();
    struct Colonne
    {
        std::vector<std::string_view> veicoli;
        std::vector<std::string_view> tempi;
    };
    std::vector<Colonne> colonneLette(parti);
    auto calcola = [&](long long sezione, int parte) {
        Figure& f = figure[static_cast<std::size_t>(sezione)];
        if (V < 0)
            return;
        if (!figureNeiPassaggi || !f.pronte) {
            f = Figure();
            const int o = (s + 1) * static_cast<int>(sezione);
            std::vector<std::string_view>& testiVeicoli = colonneLette[static_cast<std::size_t>(parte)].veicoli;
            std::vector<std::string_view>& testiTempi = colonneLette[static_cast<std::size_t>(parte)].tempi;
            // Each column is read in one pass down it rather than cell by cell.
            TestiColonna(tabella, o + V, testiVeicoli);
            if (T >= 0)
                TestiColonna(tabella, o + T, testiTempi);
            for (int riga = 0; riga < righeTabella; ++riga)
                aggiungiRiga(f, testiVeicoli[static_cast<std::size_t>(riga)],
                             T >= 0 ? testiTempi[static_cast<std::size_t>(riga)] : std::string_view());
        }
        if (T >= 0 && f.totale != 0) {
            try {
                f.media = FormattaDecimale(static_cast<long double>(f.somma) / static_cast<long double>(f.totale),
                                           separatore);
            } catch (...) {
                f.erroreMedia = std::current_exception();
            }
        }
    };
    auto applica = [&](long long sezione) {
        const int k = static_cast<int>(sezione);
        const Figure& f = figure[static_cast<std::size_t>(k)];
        if (V >= 0) {
            if (T >= 0) {
                if (f.totale != 0 && f.erroreMedia)
                    std::rethrow_exception(f.erroreMedia);
                riepilogo.impostaCella(2, k, f.totale == 0 ? std::string("0") : f.media);
            }
            riepilogo.impostaCella(3, k, FormattaIntero(static_cast<std::int32_t>(f.totale)));
        }
        riepilogo.impostaCella(4, k, "");
        riepilogo.impostaCella(5, k, "");
    };
    CalcolaPoiApplica(squadra, p, calcola, applica);
}

} // namespace marvento
