// The main window opening a large file, offscreen: from the moment the open dialog hands back the
// file to the first paint of both grids, then single scroll steps of the detail table, each timed
// until it is painted. Prints one line of figures; exit status 1 when the file could not be shown.
//
//   marvento_bench_finestra FILE.mes... [--archi]   (--archi: .rsz files, opened by "Apri File Archi";
//                                                   several files are the runs of one scenario)
#include "Piattaforma.h"
#include "TMenuGEN.h"
#include "VistaGriglia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace marvento;

// The open dialog answers at once with the file and starts the clock; any box is remembered.
class PiattaformaBench : public Piattaforma
{
  public:
    PiattaformaBench(std::vector<std::string> file, QElapsedTimer& orologio)
        : Piattaforma("Marvento"), file_(std::move(file)), orologio_(orologio)
    {
    }
    std::string errore;

  protected:
    std::vector<std::string> mostraDialogoApri(const DialogoFile&) override
    {
        orologio_.start();
        return file_;
    }
    std::string mostraDialogoSalva(const DialogoFile&, int&) override { return {}; }
    void mostraBox(const BoxMessaggio& box) override { errore = box.testo; }
    std::optional<std::vector<double>> mostraDialogoNumeri(const std::string&,
                                                           const std::vector<CampoNumero>&) override
    {
        return std::nullopt;
    }

  private:
    std::vector<std::string> file_;
    QElapsedTimer& orologio_;
};

// Notes when a widget is painted, once armed.
class Pittura : public QObject
{
  public:
    explicit Pittura(QWidget* widget) { widget->installEventFilter(this); }
    void arma() { dipinto_ = false; }
    bool dipinto() const { return dipinto_; }

  protected:
    bool eventFilter(QObject*, QEvent* evento) override
    {
        if (evento->type() == QEvent::Paint)
            dipinto_ = true;
        return false;
    }

  private:
    bool dipinto_ = false;
};

// Runs the event loop until every watcher has seen a paint; false after 60 s.
bool AttendiPittura(const std::vector<Pittura*>& pitture)
{
    QElapsedTimer limite;
    limite.start();
    while (limite.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (std::all_of(pitture.begin(), pitture.end(), [](const Pittura* p) { return p->dipinto(); }))
            return true;
    }
    return false;
}

double Mediana(std::vector<double> valori)
{
    std::sort(valori.begin(), valori.end());
    return valori.empty() ? 0 : valori[valori.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList argomenti = QApplication::arguments();
    if (argomenti.size() < 2) {
        std::fprintf(stderr, "uso: marvento_bench_finestra FILE... [--archi]\n");
        return 2;
    }
    const bool archi = argomenti.contains(QStringLiteral("--archi"));

    QElapsedTimer orologio;
    std::vector<std::string> file;
    for (const QString& argomento : argomenti.mid(1))
        if (!argomento.startsWith(QStringLiteral("--")))
            file.push_back(argomento.toStdString());
    PiattaformaBench piattaforma(file, orologio);
    TMenuGEN finestra(',', piattaforma);
    finestra.resize(1024, 720);
    finestra.show();
    Pittura tabella(finestra.Tabella_TXT()->viewport());
    Pittura riepilogo(finestra.Riepilogo_TXT()->viewport());
    if (!AttendiPittura({&tabella, &riepilogo}))
        return 1;

    tabella.arma();
    riepilogo.arma();
    if (archi)
        finestra.ApriFile_ArchiClick();
    else
        finestra.ApriFile_Velocita_BTNClick();
    const double importato = static_cast<double>(orologio.nsecsElapsed()) / 1e6;
    if (!AttendiPittura({&tabella, &riepilogo}) || !piattaforma.errore.empty()) {
        std::fprintf(stderr, "non mostrato: %s\n", piattaforma.errore.c_str());
        return 1;
    }
    const double mostrato = static_cast<double>(orologio.nsecsElapsed()) / 1e6;

    // Scroll steps of the detail table: pages down, then pages right, each painted before the next.
    std::vector<double> passi;
    QScrollBar* verticale = finestra.Tabella_TXT()->verticalScrollBar();
    QScrollBar* orizzontale = finestra.Tabella_TXT()->horizontalScrollBar();
    for (int i = 0; i < 40; ++i) {
        QScrollBar* barra = i < 20 ? verticale : orizzontale;
        if (barra->maximum() == 0)
            continue;
        // Past the end, back to the start: every step must move the view, or nothing is painted.
        const int valore = barra->value() < barra->maximum() ? barra->value() + barra->pageStep() : 0;
        tabella.arma();
        QElapsedTimer passo;
        passo.start();
        barra->setValue(valore);
        if (!AttendiPittura({&tabella}))
            return 1;
        passi.push_back(static_cast<double>(passo.nsecsElapsed()) / 1e6);
    }
    // A jump to the far corner, as dragging the scroll bars' handles does.
    verticale->setValue(0);
    orizzontale->setValue(0);
    QApplication::processEvents();
    tabella.arma();
    QElapsedTimer salto;
    salto.start();
    verticale->setValue(verticale->maximum());
    orizzontale->setValue(orizzontale->maximum());
    if (!AttendiPittura({&tabella}))
        return 1;
    const double fine = static_cast<double>(salto.nsecsElapsed()) / 1e6;

    std::printf("righe %d colonne %d | importato %.0f ms | dipinto %.0f ms | scorrimento mediana %.1f ms, "
                "massimo %.1f ms | salto alla fine %.1f ms\n",
                finestra.tabella().numeroRighe(), finestra.tabella().numeroColonne(), importato, mostrato,
                Mediana(passi), passi.empty() ? 0.0 : *std::max_element(passi.begin(), passi.end()), fine);
    return 0;
}
