#include "Diagramma.h"

#include "Errore.h"
#include "Importazione.h"
#include "Numeri.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <utility>

namespace marvento {

const char* const MessaggioNienteDaDisegnare =
    "Niente da disegnare: scegli una misura o sezione e un parametro";

// Either summary has the measurement's or section's number first.
static_assert(riepilogo_velocita::kMisura == riepilogo_archi::kSezione);

ListeDiagramma RiempiListe(const Griglia& tabella, const Griglia& riepilogo)
{
    ListeDiagramma liste;
    const int righe = riepilogo.numeroRighe();
    liste.sezioni.reserve(static_cast<std::size_t>(std::max(righe, 0)));
    for (int r = 0; r < righe; ++r)
        liste.sezioni.emplace_back(riepilogo.cella(riepilogo_velocita::kMisura, r));
    for (int c = tabella.numeroColonne() - 1; c >= 0; --c) {
        const std::string& intestazione = tabella.intestazione(c);
        if (intestazione == "Misura" || intestazione == "Sezione")
            break;
        liste.parametri.push_back(intestazione);
    }
    return liste;
}

namespace {

struct Disposizione
{
    int colonnaX;
    const char* marcatore;
    const char* testoTitolo;
    const char* nomeBlocco; // for the message when the selection is not in the table
    bool piuRun;            // the first column holds each row's run
};

Disposizione DisposizioneDi(const Griglia& tabella)
{
    const bool piuRun = tabella.intestazione(0) == kColonnaRun;
    const int prima = piuRun ? 1 : 0;
    if (tabella.intestazione(prima) == "Intervallo [s]")
        return {prima, "Sezione", " - Sezione ", "della sezione", piuRun};
    return {prima + 2, "Misura", " - Misura ", "della misura", piuRun};
}

// A line per run (the rows of one run follow each other), and their mean at each X as the model's
// own line: the runs that have a point there, weighed alike.
void LineePerRun(ModelloGrafico& modello, const Griglia& tabella, int colonnaX, int colonnaY, char separatore,
                 bool vuoteSenzaPunto)
{
    std::map<double, std::pair<double, int>> somme;
    for (int r = 0; r < tabella.numeroRighe(); ++r) {
        const std::string_view run = tabella.cella(0, r);
        if (modello.serieRun.empty() || modello.serieRun.back().titolo() != run) {
            modello.serieRun.emplace_back();
            modello.serieRun.back().impostaTitolo(std::string(run));
        }
        if (vuoteSenzaPunto && tabella.cella(colonnaY, r).empty())
            continue;
        const double x = LeggiDecimale(tabella.cella(colonnaX, r), separatore);
        const double y = LeggiDecimale(tabella.cella(colonnaY, r), separatore);
        modello.serieRun.back().aggiungi(x, y);
        somme[x].first += y;
        ++somme[x].second;
    }
    for (const auto& [x, somma] : somme)
        modello.serie.aggiungi(x, somma.first / somma.second);
    modello.serie.impostaTitolo("Media");
}

} // namespace

EsitoDisegno Disegna(ModelloGrafico& modello, const Griglia& tabella,
                     const std::optional<std::string>& sezione, const std::optional<std::string>& parametro,
                     char separatore, bool vuoteSenzaPunto)
{
    const Disposizione disposizione = DisposizioneDi(tabella);
    if (!sezione || !parametro)
        return EsitoDisegno::NienteSelezionato;

    // The parameter's column in the block whose marker cell holds the selected measurement or
    // section; a later matching block wins, as the walk goes on to the last column.
    const int colonne = tabella.numeroColonne();
    int colonnaY = -1;
    for (int i = 0; i < colonne; ++i) {
        if (tabella.intestazione(i) != disposizione.marcatore || tabella.cella(i, 0) != *sezione)
            continue;
        for (int j = i + 1; j < colonne; ++j) {
            if (tabella.intestazione(j) == *parametro) {
                colonnaY = j;
                break;
            }
        }
    }
    // Plotting some other column instead would draw a line that looks like data and is not.
    if (colonnaY < 0)
        throw Errore("Il parametro \"" + *parametro + "\" " + disposizione.nomeBlocco + " \"" + *sezione +
                     "\" non si trova nella tabella");

    modello.serie.svuota();
    modello.legendaVisibile = true;
    modello.impostaTitolo(*parametro + disposizione.testoTitolo + *sezione);
    modello.asseInferiore.impostaAutomatico(true);
    modello.asseInferiore.impostaAutomaticoMassimo(true);
    modello.asseInferiore.impostaAutomaticoMinimo(true);
    modello.asseSinistro.impostaAutomatico(true);
    modello.asseSinistro.impostaAutomaticoMassimo(true);
    modello.asseSinistro.impostaAutomaticoMinimo(false);
    modello.asseSinistro.impostaTitolo(*parametro);
    modello.serie.impostaTitolo(modello.testoTitolo());

    modello.serieRun.clear();
    if (disposizione.piuRun) {
        LineePerRun(modello, tabella, disposizione.colonnaX, colonnaY, separatore, vuoteSenzaPunto);
    } else {
        for (int r = 0; r < tabella.numeroRighe(); ++r) {
            if (vuoteSenzaPunto && tabella.cella(colonnaY, r).empty())
                continue;
            const double x = LeggiDecimale(tabella.cella(disposizione.colonnaX, r), separatore);
            const double y = LeggiDecimale(tabella.cella(colonnaY, r), separatore);
            modello.serie.aggiungi(x, y);
        }
    }

    modello.asseSinistro.impostaAutomaticoMassimo(true);
    modello.AzzeraAssi();
    return EsitoDisegno::Disegnato;
}

void AsseSinistroInZero(ModelloGrafico& modello)
{
    modello.asseSinistro.impostaAutomaticoMinimo(false);
    modello.asseSinistro.impostaMinimo(0.0);
}

void AsseSinistroInAuto(ModelloGrafico& modello)
{
    modello.asseSinistro.impostaAutomaticoMinimo(true);
}

} // namespace marvento
