#include "ImportaArchi.h"

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
std::string Lunghezza(std::string_view riga, const ParoleArchi& parole, char separatore, ListaCampi& campi)
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
    pulita.resize(riga.size());
    std::size_t n = 0;
    for (char c : riga)
        if (c != ' ')
            pulita[n++] = c == '.' ? separatore : c;
    if (n > 0 && pulita[n - 1] == ';')
        --n;
    pulita.resize(n);
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
        p.rigaNomi = "Name;";
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

namespace {

bool Bianca(std::string_view riga)
{
    return riga.find_first_not_of(' ') == std::string_view::npos;
}

// The header line without its blanks and "#", cut at ";"; refuses, with its own message, a file
// without one or whose detail table would be too large.
ListaCampi Intestazione(const ListaRighe& righe, const ParoleArchi& parole, int& inizioDati)
{
    const int numeroRighe = righe.conteggio();
    int rigaIntestazione = -1;
    int sezioni = 0;
    for (int r = 0; r < numeroRighe; ++r) {
        const std::string_view riga = righe.riga(r);
        if (IniziaCon(riga, parole.rigaSezione))
            ++sezioni;
        if (rigaIntestazione < 0 && ERigaIntestazione(riga, parole))
            rigaIntestazione = r;
    }
    if (rigaIntestazione < 0)
        throw Errore(
            "Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"" +
            std::string(parole.rigaIntestazione) + "\"): non e' un file di tempi archi");

    std::string pulita;
    for (char c : righe.riga(rigaIntestazione))
        if (c != ' ' && c != '#')
            pulita.push_back(c);
    ListaCampi campi = DividiCampi(pulita, ';');
    const int n = campi.conteggio();
    inizioDati = std::max(sezioni + kRigheAvantiDati, rigaIntestazione + 1 + kRigheDopoIntestazione);
    if (sezioni > 0) {
        const long long s = (n - 2) / sezioni;
        const long long colonne = (s + 1) * sezioni + 1;
        const long long righeDati = std::max(0, numeroRighe - inizioDati);
        const long long massimoCelle = s > 0 ? kMassimoCelleTabellaArchi : kMassimoCelleSoloSezioni;
        if (colonne > kMassimoColonneTabellaArchi || colonne * righeDati > massimoCelle)
            throw Errore("Il file descrive una tabella troppo grande: " + std::to_string(colonne) +
                         " colonne per " + std::to_string(righeDati) + " intervalli (al massimo " +
                         std::to_string(kMassimoColonneTabellaArchi) + " colonne e " +
                         std::to_string(massimoCelle) + " celle)");
    }
    return campi;
}

// The summary's rows, one per section line: its number and its length. Returns the numbers, and
// the section lines in righeSezione.
std::vector<std::string> Sezioni(const ListaRighe& righe, const ParoleArchi& parole, char separatore,
                                 Griglia& riepilogo, std::vector<int>& righeSezione)
{
    PreparaGriglia(riepilogo, 0, riepilogo_archi::kColonne, false);
    for (int c = 0; c < riepilogo_archi::kColonne; ++c)
        riepilogo.impostaIntestazione(c, std::string(parole.riepilogo[c]));
    ListaCampi campi;
    std::vector<std::string> numeri;
    for (int r = 0; r < righe.conteggio(); ++r) {
        const std::string_view riga = righe.riga(r);
        if (!IniziaCon(riga, parole.rigaSezione))
            continue;
        const int k = static_cast<int>(numeri.size());
        righeSezione.push_back(r);
        std::string lunghezza = Lunghezza(riga, parole, separatore, campi);
        numeri.push_back(FormattaIntero(k + 1));
        riepilogo.impostaNumeroRighe(k + 1);
        riepilogo.impostaCella(riepilogo_archi::kSezione, k, numeri.back());
        riepilogo.impostaCella(riepilogo_archi::kLunghezza, k, lunghezza);
    }
    if (numeri.empty())
        throw Errore("Division by zero");
    return numeri;
}

// The detail table's columns: the interval, then per section a block of its number and s values,
// every block named after the last section's fields.
void Colonne(const ListaCampi& intestazione, int p, int s, const ParoleArchi& parole, Griglia& tabella)
{
    const int n = intestazione.conteggio();
    PreparaGriglia(tabella, 0, (s + 1) * p + 1, false);
    tabella.impostaIntestazione(0, std::string(parole.colonnaIntervallo));
    for (int k = 0; k < p; ++k) {
        const int o = (s + 1) * k;
        tabella.impostaIntestazione(o + 1, std::string(parole.colonnaSezione));
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
}

// What identifies each section: "No.  101 (Regent NB           ): from link ..." gives the number
// "101" and the name, cut to the line's 20 characters; the names line below the header has it in
// full, in the first column of the section's block.
void IdentificaSezioni(const ListaRighe& righe, const ParoleArchi& parole,
                       const std::vector<int>& righeSezione, int inizioDati, int s,
                       std::vector<RigaRiepilogo>& righeRiepilogo)
{
    ListaCampi nomi;
    for (int r = std::min(inizioDati, righe.conteggio()); r-- > 0;) {
        const std::string_view riga = righe.riga(r);
        if (IniziaCon(riga.substr(std::min(riga.find_first_not_of(' '), riga.size())), parole.rigaNomi)) {
            DividiCampi(riga, ';', nomi);
            break;
        }
    }
    righeRiepilogo.clear();
    for (std::size_t k = 0; k < righeSezione.size(); ++k) {
        std::string_view riga = righe.riga(righeSezione[k]);
        riga.remove_prefix(parole.rigaSezione.size());
        const std::size_t aperta = riga.find('(');
        const std::size_t fineNumero = std::min(aperta, riga.find(':'));
        RigaRiepilogo identita;
        identita.numero = std::string(SenzaMargini(riga.substr(0, fineNumero)));
        if (aperta != std::string_view::npos) {
            std::size_t chiusa = riga.find("):", aperta);
            if (chiusa == std::string_view::npos)
                chiusa = riga.find(')', aperta);
            identita.nome = std::string(SenzaMargini(riga.substr(aperta + 1, chiusa - aperta - 1)));
        }
        const int campoNome = 1 + static_cast<int>(k) * s;
        if (s > 0 && campoNome < nomi.conteggio() && !SenzaMargini(nomi.campo(campoNome)).empty())
            identita.nome = std::string(SenzaMargini(nomi.campo(campoNome)));
        righeRiepilogo.push_back(std::move(identita));
    }
}

int PrimaColonna(const Griglia& griglia, std::string_view intestazione)
{
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        if (griglia.intestazione(c) == intestazione)
            return c;
    return -1;
}

// The data lines cut at once, before their cells go to the table column by column.
constexpr int kLineePerPassata = 16;

// One row per data line (a blank line, as real files may end with, is no interval): the interval,
// then per section its number and its s values. A row spans thousands of columns: written row by
// row, every cell would land in another part of memory. So the lines of a chunk are cut first, then
// written one column at a time.
void RiempiRighe(const ListaRighe& righe, int inizioDati, const std::vector<std::string>& numeri, int s,
                 char separatore, Griglia& tabella)
{
    std::vector<int> linee; // the data lines
    for (int r = inizioDati; r < righe.conteggio(); ++r)
        if (!Bianca(righe.riga(r)))
            linee.push_back(r);
    const int p = static_cast<int>(numeri.size());
    LineeTagliate passate[2];
    auto taglia = [&](long long k, int b) {
        LineeTagliate& passata = passate[b];
        const std::size_t primo = static_cast<std::size_t>(k) * kLineePerPassata;
        passata.linee.resize(std::min<std::size_t>(kLineePerPassata, linee.size() - primo));
        for (std::size_t i = 0; i < passata.linee.size(); ++i) {
            PulisciRigaDati(righe.riga(linee[primo + i]), separatore, passata.riga);
            DividiCampiPresi(std::move(passata.riga), ';', passata.linee[i]);
            // What writing the line row by row would meet first: its first missing field.
            if (passata.linee[i].conteggio() < 1 + p * s)
                ErroreIndiceLista(passata.linee[i].conteggio());
        }
    };
    auto scrivi = [&](long long, int b) {
        const std::vector<ListaCampi>& campi = passate[b].linee;
        const int quante = static_cast<int>(campi.size());
        const int prima = tabella.numeroRighe();
        tabella.impostaNumeroRighe(prima + quante);
        std::vector<std::string_view>& testi = passate[b].colonna;
        auto scriviCampo = [&](int colonna, int campo) {
            for (int i = 0; i < quante; ++i)
                testi[static_cast<std::size_t>(i)] = campi[static_cast<std::size_t>(i)].campo(campo);
            tabella.impostaCelle(colonna, prima, testi);
        };
        testi.resize(static_cast<std::size_t>(quante));
        scriviCampo(0, 0);
        for (int k = 0; k < p; ++k) {
            const int o = (s + 1) * k;
            std::fill(testi.begin(), testi.end(), numeri[static_cast<std::size_t>(k)]);
            tabella.impostaCelle(o + 1, prima, testi);
            for (int j = 0; j < s; ++j)
                scriviCampo(o + 2 + j, 1 + k * s + j);
        }
        if (prima == 0)
            tabella.riservaRighe(static_cast<int>(linee.size()));
    };
    APassate((static_cast<long long>(linee.size()) + kLineePerPassata - 1) / kLineePerPassata,
             static_cast<long long>(linee.size()) * tabella.numeroColonne(), taglia, scrivi);
}

} // namespace

void ImportaArchi(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore,
                  const ParoleArchi& parole, std::vector<RigaRiepilogo>* righeRiepilogo)
{
    int inizioDati = 0;
    const ListaCampi intestazione = Intestazione(righe, parole, inizioDati);
    std::vector<int> righeSezione;
    const std::vector<std::string> numeri = Sezioni(righe, parole, separatore, riepilogo, righeSezione);
    const int p = static_cast<int>(numeri.size());
    const int s = (intestazione.conteggio() - 2) / p;
    Colonne(intestazione, p, s, parole, tabella);

    RiempiRighe(righe, inizioDati, numeri, s, separatore, tabella);

    // Per section its vehicle-weighted mean travel time and total of vehicles; a missing column
    // leaves the figures that need it empty.
    using namespace riepilogo_archi;
    const int T = PrimaColonna(tabella, parole.colonnaTempo);
    const int V = PrimaColonna(tabella, parole.colonnaVeicoli);
    std::vector<FigurePesate> figure(static_cast<std::size_t>(p));
    if (V >= 0)
        PerIntervalli(p, static_cast<long long>(p) * tabella.numeroRighe(),
                      [&](long long primo, long long fine) {
                          std::vector<std::string_view> veicoli;
                          std::vector<std::string_view> tempi;
                          for (long long k = primo; k < fine; ++k) {
                              const int o = (s + 1) * static_cast<int>(k);
                              tabella.testiColonna(o + V, 0, tabella.numeroRighe(), veicoli);
                              tabella.testiColonna(T >= 0 ? o + T : -1, 0, tabella.numeroRighe(),
                                                   tempi); // -1: all empty
                              for (std::size_t riga = 0; riga < veicoli.size(); ++riga)
                                  figure[static_cast<std::size_t>(k)].aggiungi(veicoli[riga], T >= 0,
                                                                               tempi[riga], separatore);
                          }
                      });
    for (int k = 0; k < p; ++k) {
        const FigurePesate& f = figure[static_cast<std::size_t>(k)];
        if (V >= 0) {
            if (T >= 0)
                riepilogo.impostaCella(kTempoMedio, k, f.media(separatore));
            riepilogo.impostaCella(kVeicoli, k, FormattaIntero(static_cast<std::int32_t>(f.totale)));
        }
        riepilogo.impostaCella(kLunghezzaReale, k, "");
        riepilogo.impostaCella(kTempoCorretto, k, "");
    }
    if (righeRiepilogo != nullptr) {
        IdentificaSezioni(righe, parole, righeSezione, inizioDati, s, *righeRiepilogo);
        for (int k = 0; k < p; ++k)
            (*righeRiepilogo)[static_cast<std::size_t>(k)].figure = figure[static_cast<std::size_t>(k)];
    }
}

} // namespace marvento
