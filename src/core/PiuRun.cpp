// Several runs of one scenario in one pair of grids: each file (or each run of a result list) is
// imported as it would be alone, then the detail tables are put one after the other and the
// summaries pooled.
#include "Errore.h"
#include "ImportaLista.h"
#include "Importazione.h"
#include "Numeri.h"
#include "Parallelo.h"
#include "StatisticheRun.h"
#include "Testo.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marvento {

namespace {

std::string TraVirgolette(std::string_view testo)
{
    return "\"" + std::string(testo) + "\"";
}

// Files of one scenario are all .mes or all .rsz; a name of neither kind is left to its reader.
void ControllaTipi(const std::vector<std::string>& percorsi)
{
    const std::optional<TipoFile> primo = TipoDalNome(percorsi.front());
    for (const std::string& percorso : percorsi)
        if (TipoDalNome(percorso) != primo)
            throw Errore("I file " + TraVirgolette(percorsi.front()) + " e " + TraVirgolette(percorso) +
                         " non sono dello stesso tipo: i run di uno scenario sono tutti .mes o tutti .rsz");
}

Griglie ImportaUno(const std::string& percorso, TipoFile tipo, char separatore)
{
    try {
        return ImportaFile(percorso, tipo, separatore);
    } catch (const std::exception& e) {
        throw Errore("Il file " + TraVirgolette(percorso) + " non si puo' importare: " + TestoBoxErrore(e));
    }
}

// The runs of one scenario have the same measurements or sections and the same columns.
void ControllaStruttura(const Griglia& primaTabella, int righe, const Griglie& run,
                        const std::string& nomePrimo, const std::string& nome, TipoFile tipo)
{
    const std::string coppia = " del file " + TraVirgolette(nome) + " e del file " + TraVirgolette(nomePrimo);
    if (run.riepilogo.numeroRighe() != righe)
        throw Errore(std::string("Il numero di ") + (tipo == TipoFile::Velocita ? "misure" : "sezioni") +
                     coppia + " e' diverso (" + std::to_string(run.riepilogo.numeroRighe()) + " invece di " +
                     std::to_string(righe) + ")");
    const Griglia& tabella = run.tabella;
    const int colonne = primaTabella.numeroColonne();
    if (tabella.numeroColonne() != colonne)
        throw Errore("Il numero di colonne" + coppia + " e' diverso (" +
                     std::to_string(tabella.numeroColonne()) + " invece di " + std::to_string(colonne) + ")");
    for (int c = 0; c < colonne; ++c)
        if (tabella.intestazione(c) != primaTabella.intestazione(c))
            throw Errore("Le colonne" + coppia + " sono diverse: la colonna " + std::to_string(c + 1) +
                         " e' " + TraVirgolette(tabella.intestazione(c)) + " invece di " +
                         TraVirgolette(primaTabella.intestazione(c)));
}

// Each run's summary and rows, once its detail table has gone into the one of all runs.
struct Run
{
    RiepilogoRun riepilogo;
    std::vector<RigaRiepilogo> righe;
    int righeTabella = 0;
};

// What is kept of a run once its table has gone into the one of all runs.
Run Tieni(const std::string& percorso, Griglie& griglie, int righeTabella)
{
    return {{percorso, std::move(griglie.riepilogo)}, std::move(griglie.righe), righeTabella};
}

// The first column, with each row's run.
void ColonnaRun(const std::vector<Run>& run, const std::vector<std::string>& etichette, Griglia& tabella)
{
    tabella.aggiungiColonna();
    const int colonna = tabella.numeroColonne() - 1;
    tabella.impostaIntestazione(colonna, kColonnaRun);
    tabella.impostaLarghezza(colonna, 60);
    std::vector<std::string_view> testi;
    int prima = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        testi.assign(static_cast<std::size_t>(run[i].righeTabella), etichette[i]);
        tabella.impostaCelle(colonna, prima, testi);
        prima += run[i].righeTabella;
    }
    tabella.spostaColonna(colonna, 0);
}

// The rows of the first run with the figures of every run added up.
std::vector<RigaRiepilogo> RigheUnite(const std::vector<Run>& run)
{
    std::vector<RigaRiepilogo> righe = run.front().righe;
    for (std::size_t i = 1; i < run.size(); ++i)
        for (std::size_t r = 0; r < righe.size(); ++r) {
            righe[r].figure.unisci(run[i].righe[r].figure);
            if (righe[r].armonica && run[i].righe[r].armonica)
                righe[r].armonica->unisci(*run[i].righe[r].armonica);
        }
    return righe;
}

// The columns of the statistics that the summary gains, by their place in CalcolaStatisticheRun's
// table: runs with a figure, mean, deviation, minimum, maximum, half-width, runs needed. Its
// number, label and mean of vehicles are in the summary already.
constexpr int kColonneStatistiche[] = {2, 4, 5, 6, 7, 8, 9};

// The summary of the first run with the pooled figures in place, then the statistics over runs,
// then the measurement's or section's own number and name.
Griglia RiepilogoUnito(const std::vector<Run>& run, const std::vector<RigaRiepilogo>& righeUnite,
                       TipoFile tipo, char separatore, const OpzioniRun& opzioni)
{
    const bool velocita = tipo == TipoFile::Velocita;
    const int colonnaVeicoli = velocita ? riepilogo_velocita::kVeicoli : riepilogo_archi::kVeicoli;
    const int colonnaFigura = velocita ? riepilogo_velocita::kVelocita : riepilogo_archi::kTempoMedio;

    std::vector<RiepilogoRun> riepiloghi;
    for (const Run& uno : run)
        riepiloghi.push_back(uno.riepilogo);
    const Griglia statistiche =
        CalcolaStatisticheRun(riepiloghi, tipo, opzioni.confidenza, opzioni.tolleranza, separatore);

    Griglia riepilogo = run.front().riepilogo.riepilogo;
    const int righe = riepilogo.numeroRighe();
    const long double quantiRun = static_cast<long double>(run.size());
    for (int r = 0; r < righe; ++r) {
        const FigurePesate& insieme = righeUnite[static_cast<std::size_t>(r)].figure;
        // An empty cell of the first run is a column that every run lacks.
        if (!riepilogo.cella(colonnaVeicoli, r).empty())
            riepilogo.impostaCella(
                colonnaVeicoli, r,
                FormattaDecimale(static_cast<long double>(insieme.totale) / quantiRun, separatore));
        if (!riepilogo.cella(colonnaFigura, r).empty())
            riepilogo.impostaCella(colonnaFigura, r, insieme.media(separatore));
        const std::optional<FigurePesate>& armonica = righeUnite[static_cast<std::size_t>(r)].armonica;
        if (velocita && armonica)
            riepilogo.impostaCella(riepilogo_velocita::kVelocitaArmonica, r,
                                   armonica->mediaArmonica(separatore));
    }

    const int prima = riepilogo.numeroColonne();
    for (const int colonna : kColonneStatistiche) {
        riepilogo.aggiungiColonna();
        const int nuova = riepilogo.numeroColonne() - 1;
        riepilogo.impostaIntestazione(nuova, statistiche.intestazione(colonna));
        for (int r = 0; r < righe; ++r)
            riepilogo.impostaCella(nuova, r, statistiche.cella(colonna, r));
    }
    for (const char* intestazione : {"Numero", "Nome"}) {
        riepilogo.aggiungiColonna();
        riepilogo.impostaIntestazione(riepilogo.numeroColonne() - 1, intestazione);
    }
    const int numero = prima + static_cast<int>(std::size(kColonneStatistiche));
    for (int r = 0; r < righe; ++r) {
        const RigaRiepilogo& identita = righeUnite[static_cast<std::size_t>(r)];
        riepilogo.impostaCella(numero, r, identita.numero);
        riepilogo.impostaCella(numero + 1, r, identita.nome);
    }
    return riepilogo;
}

} // namespace

namespace {

// The runs of one scenario in one pair of grids: leggi(i) gives run i's grids (a few runs are read
// at once, one per processor) and each run's table goes below the first one's as soon as it is
// read, so that only a few runs are held twice at a time. nomi name the runs in messages,
// etichette in the "Run" column. Failures are taken in the order of the runs.
template <typename Leggi>
Griglie UnisciRun(const std::vector<std::string>& nomi, const std::vector<std::string>& etichette,
                  Leggi leggi, TipoFile tipo, char separatore, const OpzioniRun& opzioni)
{
    Griglie insieme;
    std::vector<Run> run;
    const std::size_t aOgniGiro = static_cast<std::size_t>(ProcessoriDisponibili());
    for (std::size_t primo = 0; primo < nomi.size(); primo += aOgniGiro) {
        const std::size_t quanti = std::min(aOgniGiro, nomi.size() - primo);
        std::vector<Griglie> letti(quanti);
        std::vector<std::exception_ptr> errori(quanti);
        InParallelo(static_cast<int>(quanti), [&](int parte) {
            const std::size_t i = static_cast<std::size_t>(parte);
            try {
                letti[i] = leggi(primo + i);
            } catch (...) {
                errori[i] = std::current_exception();
            }
        });
        for (std::size_t i = 0; i < quanti; ++i) {
            if (errori[i])
                std::rethrow_exception(errori[i]);
            Griglie& uno = letti[i];
            const int righeTabella = uno.tabella.numeroRighe();
            if (run.empty()) {
                insieme.tabella = std::move(uno.tabella);
                insieme.celleVuoteSenzaVeicoli = uno.celleVuoteSenzaVeicoli;
            } else {
                ControllaStruttura(insieme.tabella, run.front().riepilogo.riepilogo.numeroRighe(), uno,
                                   nomi.front(), nomi[primo + i], tipo);
                insieme.tabella.accodaRighe(uno.tabella);
            }
            run.push_back(Tieni(nomi[primo + i], uno, righeTabella));
            uno = Griglie();
        }
    }
    ColonnaRun(run, etichette, insieme.tabella);
    insieme.righe = RigheUnite(run);
    insieme.riepilogo = RiepilogoUnito(run, insieme.righe, tipo, separatore, opzioni);
    return insieme;
}

} // namespace

Griglie ImportaFile(const std::vector<std::string>& percorsi, TipoFile tipo, char separatore,
                    const OpzioniRun& opzioni)
{
    if (percorsi.empty())
        throw Errore("Nessun file da importare");
    if (std::any_of(percorsi.begin(), percorsi.end(), ELista)) {
        if (percorsi.size() > 1)
            throw Errore("Una lista di risultati (.att) contiene gia' tutti i run dello scenario: si apre da "
                         "sola, non insieme ad altri file");
        return ImportaLista(CaricaRighe(percorsi.front()), tipo, separatore, opzioni);
    }
    if (percorsi.size() == 1)
        return ImportaFile(percorsi.front(), tipo, separatore);
    ControllaTipi(percorsi);
    return UnisciRun(
        percorsi, EtichetteRun(percorsi),
        [&](std::size_t i) { return ImportaUno(percorsi[i], tipo, separatore); }, tipo, separatore, opzioni);
}

Griglie ImportaLista(const ListaRighe& righe, TipoFile tipo, char separatore, const OpzioniRun& opzioni)
{
    const ListaRisultati lista(righe, tipo, separatore);
    if (lista.numeroRun() == 1)
        return lista.run(0);
    std::vector<std::string> nomi;
    std::vector<std::string> etichette;
    for (int r = 0; r < lista.numeroRun(); ++r) {
        nomi.push_back("run " + lista.etichettaRun(r));
        etichette.push_back(lista.etichettaRun(r));
    }
    return UnisciRun(
        nomi, etichette, [&](std::size_t i) { return lista.run(static_cast<int>(i)); }, tipo, separatore,
        opzioni);
}

} // namespace marvento
