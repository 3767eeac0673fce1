// Several runs of one scenario in one pair of grids: each file is imported as it would be alone,
// then the detail tables are put one after the other and the summaries pooled.
#include "Errore.h"
#include "Importazione.h"
#include "Numeri.h"
#include "StatisticheRun.h"

#include <climits>
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

std::vector<Griglie> ImportaTutti(const std::vector<std::string>& percorsi, TipoFile tipo, char separatore)
{
    std::vector<Griglie> run;
    run.reserve(percorsi.size());
    for (const std::string& percorso : percorsi) {
        try {
            run.push_back(ImportaFile(percorso, tipo, separatore));
        } catch (const std::exception& e) {
            throw Errore("Il file " + TraVirgolette(percorso) +
                         " non si puo' importare: " + TestoBoxErrore(e));
        }
    }
    return run;
}

// The runs of one scenario have the same measurements or sections and the same columns.
void ControllaStruttura(const std::vector<Griglie>& run, const std::vector<std::string>& percorsi,
                        TipoFile tipo)
{
    const Griglia& primo = run.front().tabella;
    const int righe = run.front().riepilogo.numeroRighe();
    for (std::size_t i = 1; i < run.size(); ++i) {
        const std::string coppia =
            " del file " + TraVirgolette(percorsi[i]) + " e del file " + TraVirgolette(percorsi.front());
        if (run[i].riepilogo.numeroRighe() != righe)
            throw Errore(std::string("Il numero di ") + (tipo == TipoFile::Velocita ? "misure" : "sezioni") +
                         coppia + " e' diverso (" + std::to_string(run[i].riepilogo.numeroRighe()) +
                         " invece di " + std::to_string(righe) + ")");
        const Griglia& tabella = run[i].tabella;
        if (tabella.numeroColonne() != primo.numeroColonne())
            throw Errore("Il numero di colonne" + coppia + " e' diverso (" +
                         std::to_string(tabella.numeroColonne()) + " invece di " +
                         std::to_string(primo.numeroColonne()) + ")");
        for (int c = 0; c < primo.numeroColonne(); ++c)
            if (tabella.intestazione(c) != primo.intestazione(c))
                throw Errore("Le colonne" + coppia + " sono diverse: la colonna " + std::to_string(c + 1) +
                             " e' " + TraVirgolette(tabella.intestazione(c)) + " invece di " +
                             TraVirgolette(primo.intestazione(c)));
    }
}

// The detail tables one after the other, behind a first column with each row's run.
Griglia TabellaUnita(const std::vector<Griglie>& run, const std::vector<std::string>& etichette)
{
    const Griglia& primo = run.front().tabella;
    long long righe = 0;
    for (const Griglie& uno : run)
        righe += uno.tabella.numeroRighe();
    if (righe > INT_MAX)
        throw Errore("I run insieme hanno troppe righe per una tabella: " + std::to_string(righe));

    Griglia tabella;
    PreparaGriglia(tabella, static_cast<int>(righe), primo.numeroColonne() + 1, false);
    tabella.impostaIntestazione(0, kColonnaRun);
    tabella.impostaLarghezza(0, 60);
    for (int c = 0; c < primo.numeroColonne(); ++c) {
        tabella.impostaIntestazione(c + 1, primo.intestazione(c));
        tabella.impostaLarghezza(c + 1, primo.larghezza(c));
    }
    std::vector<std::string_view> testi;
    int prima = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const Griglia& uno = run[i].tabella;
        const int n = uno.numeroRighe();
        testi.assign(static_cast<std::size_t>(n), etichette[i]);
        tabella.impostaCelle(0, prima, testi);
        for (int c = 0; c < uno.numeroColonne(); ++c) {
            uno.testiColonna(c, 0, n, testi);
            tabella.impostaCelle(c + 1, prima, testi);
        }
        prima += n;
    }
    return tabella;
}

// The rows of the first run with the figures of every run added up.
std::vector<RigaRiepilogo> RigheUnite(const std::vector<Griglie>& run)
{
    std::vector<RigaRiepilogo> righe = run.front().righe;
    for (std::size_t i = 1; i < run.size(); ++i)
        for (std::size_t r = 0; r < righe.size(); ++r)
            righe[r].figure.unisci(run[i].righe[r].figure);
    return righe;
}

// The columns of the statistics that the summary gains, by their place in CalcolaStatisticheRun's
// table: runs with a figure, mean, deviation, minimum, maximum, half-width, runs needed. Its
// number, label and mean of vehicles are in the summary already.
constexpr int kColonneStatistiche[] = {2, 4, 5, 6, 7, 8, 9};

// The summary of the first run with the pooled figures in place, then the statistics over runs,
// then the measurement's or section's own number and name.
Griglia RiepilogoUnito(const std::vector<Griglie>& run, const std::vector<RigaRiepilogo>& righeUnite,
                       const std::vector<std::string>& percorsi, TipoFile tipo, char separatore,
                       const OpzioniRun& opzioni)
{
    const bool velocita = tipo == TipoFile::Velocita;
    const int colonnaVeicoli = velocita ? riepilogo_velocita::kVeicoli : riepilogo_archi::kVeicoli;
    const int colonnaFigura = velocita ? riepilogo_velocita::kVelocita : riepilogo_archi::kTempoMedio;

    std::vector<RiepilogoRun> riepiloghi;
    for (std::size_t i = 0; i < run.size(); ++i)
        riepiloghi.push_back({percorsi[i], run[i].riepilogo});
    const Griglia statistiche =
        CalcolaStatisticheRun(riepiloghi, tipo, opzioni.confidenza, opzioni.tolleranza, separatore);

    Griglia riepilogo = run.front().riepilogo;
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

Griglie ImportaFile(const std::vector<std::string>& percorsi, TipoFile tipo, char separatore,
                    const OpzioniRun& opzioni)
{
    if (percorsi.empty())
        throw Errore("Nessun file da importare");
    if (percorsi.size() == 1)
        return ImportaFile(percorsi.front(), tipo, separatore);
    ControllaTipi(percorsi);
    const std::vector<Griglie> run = ImportaTutti(percorsi, tipo, separatore);
    ControllaStruttura(run, percorsi, tipo);

    Griglie insieme;
    insieme.righe = RigheUnite(run);
    insieme.riepilogo = RiepilogoUnito(run, insieme.righe, percorsi, tipo, separatore, opzioni);
    insieme.tabella = TabellaUnita(run, EtichetteRun(percorsi));
    return insieme;
}

} // namespace marvento
