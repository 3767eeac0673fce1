// The main window driven offscreen through a scripted platform.
#include "Importazione.h"
#include "ModelloGriglia.h"
#include "PiattaformaFinta.h"
#include "PiattaformaQt.h"
#include "TConfronto.h"
#include "TDiagrammi.h"
#include "TMenuGEN.h"
#include "TitoloProgramma.h"
#include "VistaGriglia.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using namespace marvento;

namespace {

std::string LeggiFile(const std::string& percorso)
{
    std::ifstream in(percorso, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ScriviFile(const std::string& percorso, const std::string& byte)
{
    std::ofstream(percorso, std::ios::binary) << byte;
}

// Rebuilds a grid with the given headers and rows of cell texts.
void Riempi(Griglia& griglia, const std::vector<std::string>& intestazioni,
            const std::vector<std::vector<std::string>>& righe)
{
    PreparaGriglia(griglia, static_cast<int>(righe.size()), static_cast<int>(intestazioni.size()), false);
    for (int c = 0; c < static_cast<int>(intestazioni.size()); ++c)
        griglia.impostaIntestazione(c, intestazioni[static_cast<std::size_t>(c)]);
    for (int r = 0; r < static_cast<int>(righe.size()); ++r)
        for (int c = 0; c < static_cast<int>(righe[static_cast<std::size_t>(r)].size()); ++c)
            griglia.impostaCella(c, r, righe[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
}

std::vector<std::string> Intestazioni(const Griglia& griglia)
{
    std::vector<std::string> esito;
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        esito.push_back(griglia.intestazione(c));
    return esito;
}

std::vector<std::string> Riga(const Griglia& griglia, int riga)
{
    std::vector<std::string> esito;
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        esito.emplace_back(griglia.cella(c, riga));
    return esito;
}

// Plays the user in front of the real modal dialogs: each step waits until a modal widget of its
// kind is active, then acts on it. Steps left over when the copione is destroyed fail the test.
class Copione
{
  public:
    using Passo = std::function<void(QWidget*)>;

    void aggiungi(const char* classe, Passo passo) { passi_.push_back({classe, std::move(passo)}); }

    void avvia()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modale = QApplication::activeModalWidget();
            if (inAttesa_ || !modale || !modale->isVisible())
                return;
            if (passi_.empty() || !modale->inherits(passi_.front().classe)) {
                // A window that no step expects would hold the test for ever: close it.
                if (++inattesi_ > 100) {
                    ADD_FAILURE() << "unexpected " << modale->metaObject()->className();
                    inattesi_ = 0;
                    modale->close();
                }
                return;
            }
            inattesi_ = 0;
            // The step runs outside this tick: a box that it opens runs its own loop, where the
            // polling timer must keep firing for the next step.
            inAttesa_ = true;
            QTimer::singleShot(0, modale, [this, modale, passo = std::move(passi_.front().passo)] {
                inAttesa_ = false;
                passo(modale);
            });
            passi_.pop_front();
        });
        timer_.start(20);
    }

    ~Copione() { EXPECT_TRUE(passi_.empty()) << passi_.size() << " steps never ran"; }

  private:
    struct Voce
    {
        const char* classe;
        Passo passo;
    };
    std::deque<Voce> passi_;
    QTimer timer_;
    bool inAttesa_ = false;
    int inattesi_ = 0;
};

// Types a bare file name into Qt's own file dialog and presses Enter.
void DigitaNome(QWidget* dialogo, const char* nome)
{
    auto* campo = dialogo->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(campo, nullptr);
    // As a user's typing does: with the focus in the field, the dialog drops an earlier selection.
    QApplication::setActiveWindow(dialogo);
    campo->setFocus();
    campo->setText(QString::fromUtf8(nome));
    QTest::keyClick(campo, Qt::Key_Return);
}

class MenuGEN : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(cartella.isValid());
        finestra.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&finestra));
    }

    std::string Percorso(const char* nome) const
    {
        return QDir(cartella.path()).filePath(nome).toStdString();
    }

    QPushButton* Bottone(const char* nome) const { return finestra.findChild<QPushButton*>(nome); }

    // Geometry of a child in the window's client coordinates.
    QRect Rettangolo(const QWidget* w) const { return QRect(w->mapTo(&finestra, QPoint(0, 0)), w->size()); }

    QTemporaryDir cartella;
    PiattaformaFinta finta;
    TMenuGEN finestra{',', finta};
};

TEST(TitoloProgramma, NomeDellEseguibileSenzaCartellaEdEstensione)
{
    const struct
    {
        const char* percorso;
        const char* titolo;
    } casi[] = {
        {"/usr/local/bin/Marvento", "Marvento"},
        {"C:\\Programmi\\MARVENTO.EXE", "Marvento"},
        {"C:/a.b/marvento.v2.exe", "marvento"},
        {"\xC3\x80LPHA.exe", "\xC3\x80lpha"},
        {"/opt/.nascosto", ""},
        {"Marvento", "Marvento"},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(TitoloProgramma(QString::fromUtf8(caso.percorso)).toStdString(), caso.titolo)
            << caso.percorso;
}

TEST(PiattaformaQt, IDialoghiRestituisconoIlNomeDigitatoConLEstensione)
{
    QTemporaryDir cartella;
    const QString base = cartella.path() + QStringLiteral("/");
    ScriviFile((base + "esiste.txt").toStdString(), "x");
    PiattaformaQt piattaforma("Marvento");
    DialogoFile apri{"File tempi archi", "*.rsz", "rsz", false, (base + "prima.rsz").toStdString()};
    DialogoFile salva{"File di testo delimitato da tabulatura", "*.txt", "txt", true,
                      (base + "prima.txt").toStdString()};

    Copione copione;
    copione.aggiungi("QFileDialog", [](QWidget* d) {
        EXPECT_EQ(static_cast<QFileDialog*>(d)->nameFilters(), QStringList{"File tempi archi (*.rsz)"});
        DigitaNome(d, "manca");
    });
    copione.aggiungi("QFileDialog", [](QWidget* d) { DigitaNome(d, "altro.dat"); });
    copione.aggiungi("QFileDialog", [](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    // An existing file: the overwrite question, refused, returns to the dialog.
    copione.aggiungi("QFileDialog", [](QWidget* d) { DigitaNome(d, "esiste"); });
    copione.aggiungi("QMessageBox",
                     [](QWidget* b) { static_cast<QMessageBox*>(b)->button(QMessageBox::No)->click(); });
    copione.aggiungi("QFileDialog", [](QWidget* d) { DigitaNome(d, "nuovo"); });
    copione.avvia();

    using Percorsi = std::vector<std::string>;
    EXPECT_EQ(piattaforma.apriFile(apri), Percorsi{(base + "manca.rsz").toStdString()});
    EXPECT_EQ(apri.ultimoPercorso, (base + "manca.rsz").toStdString());
    EXPECT_EQ(piattaforma.apriFile(apri), Percorsi{(base + "altro.dat").toStdString()});
    EXPECT_EQ(piattaforma.apriFile(apri), Percorsi{});
    EXPECT_EQ(apri.ultimoPercorso, (base + "altro.dat").toStdString()); // a cancel keeps the last path
    EXPECT_EQ(piattaforma.salvaFile(salva), (base + "nuovo.txt").toStdString());
}

// The save dialog of the window: the text first and selected, the workbook second; a name typed
// without an extension takes the selected type's, and the type chosen comes back.
TEST(PiattaformaQt, IlDialogoDiSalvataggioOffreLaCartellaDiExcelDopoIlTesto)
{
    QTemporaryDir cartella;
    const QString base = cartella.path() + QStringLiteral("/");
    PiattaformaQt piattaforma("Marvento");
    DialogoFile salva{"File di testo delimitato da tabulatura",
                      "*.txt",
                      "txt",
                      true,
                      (base + "prima.txt").toStdString(),
                      {{"Cartella di lavoro di Excel", "*.xlsx", "xlsx"}},
                      0};
    Copione copione;
    copione.aggiungi("QFileDialog", [&](QWidget* d) {
        auto* dialogo = static_cast<QFileDialog*>(d);
        EXPECT_EQ(dialogo->nameFilters(), (QStringList{"File di testo delimitato da tabulatura (*.txt)",
                                                       "Cartella di lavoro di Excel (*.xlsx)"}));
        EXPECT_EQ(dialogo->selectedNameFilter(), "File di testo delimitato da tabulatura (*.txt)");
        auto* tipi = dialogo->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(tipi, nullptr);
        tipi->setCurrentIndex(1); // as the user picks it
        DigitaNome(d, "riepilogo");
    });
    copione.aggiungi("QFileDialog", [](QWidget* d) { DigitaNome(d, "tabella"); });
    copione.avvia();

    EXPECT_EQ(piattaforma.salvaFile(salva), (base + "riepilogo.xlsx").toStdString());
    EXPECT_EQ(salva.tipoScelto, 1);
    EXPECT_EQ(piattaforma.salvaFile(salva), (base + "tabella.txt").toStdString());
    EXPECT_EQ(salva.tipoScelto, 0);
}

TEST(PiattaformaQt, IBoxHannoTitoloIconaETestoSemplice)
{
    PiattaformaQt piattaforma("Marvento");
    struct Visto
    {
        QString titolo, testo;
        QMessageBox::Icon icona;
    };
    std::vector<Visto> visti;
    Copione copione;
    for (int i = 0; i < 2; ++i)
        copione.aggiungi("QMessageBox", [&](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            visti.push_back({box->windowTitle(), box->text(), box->icon()});
            EXPECT_EQ(box->buttons().size(), 1);
            EXPECT_EQ(box->textFormat(), Qt::PlainText); // file names are never read as markup
            box->button(QMessageBox::Ok)->click();
        });
    copione.avvia();

    piattaforma.messaggio("Devi indicare il nome di un file");
    piattaforma.boxErrore("Cannot open file \"<b>x</b>\".");

    ASSERT_EQ(visti.size(), 2u);
    EXPECT_EQ(visti[0].titolo, "Marvento");
    EXPECT_EQ(visti[0].icona, QMessageBox::NoIcon);
    EXPECT_EQ(visti[0].testo, "Devi indicare il nome di un file");
    EXPECT_EQ(visti[1].titolo, "Error");
    EXPECT_EQ(visti[1].icona, QMessageBox::Critical);
    EXPECT_EQ(visti[1].testo, "Cannot open file \"<b>x</b>\".");
}

TEST_F(MenuGEN, AllAvvioLeGriglieSonoVuoteEIComandiAlLoroPosto)
{
    EXPECT_EQ(finestra.windowTitle().toStdString(), "Calderix estrattore dati VISSIM - ing. Ornelli");
    EXPECT_EQ(finestra.size(), QSize(768, 624));
    for (const Griglia* g : {&finestra.tabella(), &finestra.riepilogo()}) {
        EXPECT_EQ(g->numeroColonne(), 0);
        EXPECT_EQ(g->numeroRighe(), 100);
    }
    EXPECT_EQ(finestra.Tabella_TXT()->model()->rowCount(), 100);
    EXPECT_EQ(finestra.Tabella_TXT()->model()->columnCount(), 0);

    const struct
    {
        const char* nome;
        const char* testo;
        QRect posto;
    } bottoni[] = {
        {"ApriFile_Velocita_BTN", "Apri File Velocita'", {8, 8, 110, 22}},
        {"ApriFile_Archi", "Apri File Archi", {160, 8, 110, 22}},
        {"CorreggiTempi_BTN", "Correggi Tempi", {280, 8, 110, 22}},
        {"Diagrammi_BTN", "Diagrammi", {432, 8, 80, 22}},
        {"SalvaTabella_BTN", "Salva Tabella", {560, 8, 95, 22}},
        {"SalvaRiepilogo_BTN", "Salva Riepilogo", {664, 8, 95, 22}},
    };
    for (const auto& b : bottoni) {
        QPushButton* bottone = Bottone(b.nome);
        ASSERT_NE(bottone, nullptr) << b.nome;
        EXPECT_EQ(bottone->text().toStdString(), b.testo);
        EXPECT_EQ(Rettangolo(bottone), b.posto) << b.nome;
    }
    EXPECT_EQ(Rettangolo(finestra.findChild<QWidget*>("Layout1")), QRect(0, 0, 768, 33));
    EXPECT_EQ(Rettangolo(finestra.Tabella_TXT()), QRect(5, 38, 758, 384));
    EXPECT_EQ(Rettangolo(finestra.Riepilogo_TXT()), QRect(5, 432, 758, 187));

    // Tab order: detail table, the buttons in their own order, then the summary.
    const std::vector<std::string> attesi = {"Tabella_TXT",      "ApriFile_Velocita_BTN", "ApriFile_Archi",
                                             "SalvaTabella_BTN", "SalvaRiepilogo_BTN",    "CorreggiTempi_BTN",
                                             "Diagrammi_BTN",    "Riepilogo_TXT"};
    std::vector<std::string> ordine;
    QWidget* w = finestra.Tabella_TXT();
    for (int passi = 0; passi < 500 && ordine.size() < attesi.size(); ++passi, w = w->nextInFocusChain())
        if (std::find(attesi.begin(), attesi.end(), w->objectName().toStdString()) != attesi.end())
            ordine.push_back(w->objectName().toStdString());
    EXPECT_EQ(ordine, attesi);
}

TEST_F(MenuGEN, IlRiepilogoTieneLaSuaAltezzaEIlDivisoreISuoiLimiti)
{
    finestra.resize(900, 800);
    QApplication::processEvents();
    EXPECT_EQ(Rettangolo(finestra.Riepilogo_TXT()), QRect(5, 608, 890, 187));
    EXPECT_EQ(Rettangolo(finestra.Tabella_TXT()), QRect(5, 38, 890, 560));

    // Drag the splitter bar far down, then far up.
    QSplitter* divisore = finestra.findChild<QSplitter*>("Splitter1");
    ASSERT_NE(divisore, nullptr);
    QWidget* barra = divisore->handle(1);
    const auto trascina = [&](int dy) {
        const QPoint centro = barra->rect().center();
        QTest::mousePress(barra, Qt::LeftButton, {}, centro);
        QMouseEvent muovi(QEvent::MouseMove, QPointF(centro + QPoint(0, dy)),
                          QPointF(barra->mapToGlobal(centro + QPoint(0, dy))), Qt::NoButton, Qt::LeftButton,
                          {});
        QApplication::sendEvent(barra, &muovi);
        QTest::mouseRelease(barra, Qt::LeftButton, {}, centro + QPoint(0, dy));
        QApplication::processEvents();
    };
    trascina(2000);
    EXPECT_EQ(finestra.Riepilogo_TXT()->height(), 20);
    trascina(-2000);
    // 20 are left between the strip and the bar, the detail table's top margin included.
    EXPECT_EQ(Rettangolo(finestra.Tabella_TXT()), QRect(5, 38, 890, 15));
    EXPECT_EQ(Rettangolo(barra).top(), 53);
}

TEST_F(MenuGEN, UnErroreDelGestoreVaNelBoxDiErroreENessunFileVieneToccato)
{
    const std::string nuovo = Percorso("nuovo.txt");
    const std::string vecchio = Percorso("vecchio.txt");
    ScriviFile(vecchio, "contenuto di prima");
    finta.risposteSalva = {nuovo, vecchio};

    QTest::mouseClick(Bottone("SalvaRiepilogo_BTN"), Qt::LeftButton);
    QTest::mouseClick(Bottone("SalvaTabella_BTN"), Qt::LeftButton);

    ASSERT_EQ(finta.box.size(), 2u);
    for (const BoxMessaggio& b : finta.box) {
        EXPECT_EQ(b.titolo, "Error");
        EXPECT_EQ(b.icona, IconaBox::Errore);
        EXPECT_EQ(b.testo, "Column index, 0, out of bounds.");
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(nuovo)));
    EXPECT_EQ(LeggiFile(vecchio), "contenuto di prima");
    EXPECT_TRUE(finestra.isVisible()); // the program goes on
}

TEST_F(MenuGEN, SalvataggioAnnullatoLoDiceIlBoxSemplice)
{
    Riempi(finestra.tabella(), {"a"}, {{"1"}});
    finestra.aggiornaGriglie();
    finta.risposteSalva = {""};

    QTest::mouseClick(Bottone("SalvaTabella_BTN"), Qt::LeftButton);

    ASSERT_EQ(finta.box.size(), 1u);
    EXPECT_EQ(finta.box[0].titolo, "Marvento");
    EXPECT_EQ(finta.box[0].icona, IconaBox::Nessuna);
    EXPECT_EQ(finta.box[0].testo, "Devi indicare il nome di un file");
}

TEST_F(MenuGEN, IDialoghiHannoIlLoroTipoDiFileERicordanoLUltimoPercorso)
{
    const std::string mancante = Percorso("mancante.mes");
    const std::string esportato = Percorso("tabella.txt");
    Riempi(finestra.tabella(), {"a"}, {{"1"}});
    finestra.aggiornaGriglie();
    finta.risposteApri = {mancante, "", ""};
    finta.risposteSalva = {esportato, ""};

    finestra.ApriFile_Velocita_BTNClick(); // missing file: the reader's failure
    finestra.ApriFile_Velocita_BTNClick(); // cancelled: silent
    finestra.ApriFile_ArchiClick();        // cancelled: silent
    finestra.SalvaTabella_BTNClick();
    finestra.SalvaRiepilogo_BTNClick(); // cancelled: the plain message

    using T = PiattaformaFinta::TipoDialogo;
    const struct
    {
        T tipo;
        const char* descrizione;
        const char* modello;
        const char* estensione;
        bool conferma;
        std::string offerto;
    } attesi[] = {
        {T::Apri, "File velocita' sezioni", "*.mes", "mes", false, ""},
        {T::Apri, "File velocita' sezioni", "*.mes", "mes", false, mancante},
        {T::Apri, "File tempi archi", "*.rsz", "rsz", false, ""},
        {T::Salva, "File di testo delimitato da tabulatura", "*.txt", "txt", true, ""},
        {T::Salva, "File di testo delimitato da tabulatura", "*.txt", "txt", true, esportato},
    };
    ASSERT_EQ(finta.dialoghi.size(), std::size(attesi));
    for (std::size_t i = 0; i < std::size(attesi); ++i) {
        const DialogoFile& d = finta.dialoghi[i].dialogo;
        EXPECT_EQ(finta.dialoghi[i].tipo, attesi[i].tipo) << i;
        EXPECT_EQ(d.descrizione, attesi[i].descrizione) << i;
        EXPECT_EQ(d.modello, attesi[i].modello) << i;
        EXPECT_EQ(d.estensione, attesi[i].estensione) << i;
        EXPECT_EQ(d.confermaSovrascrittura, attesi[i].conferma) << i;
        EXPECT_EQ(d.ultimoPercorso, attesi[i].offerto) << i;
    }

    ASSERT_EQ(finta.errori().size(), 1u);
    EXPECT_EQ(finta.errori()[0].rfind("Cannot open file \"" + mancante + "\". ", 0), 0u) << finta.errori()[0];
    EXPECT_EQ(finta.messaggi(), std::vector<std::string>{"Devi indicare il nome di un file"});
    EXPECT_EQ(finestra.tabella().numeroColonne(), 1); // the failed and the cancelled imports changed nothing
    EXPECT_EQ(finestra.riepilogo().numeroColonne(), 0);
}

TEST_F(MenuGEN, LEsportazioneScriveLaGrigliaByteperByte)
{
    Riempi(finestra.riepilogo(), {"a", "b", ""}, {{"1", "2", ""}, {"", "\xC3\xA8", "x y"}});
    finestra.aggiornaGriglie();
    const std::string file = Percorso("riepilogo.txt");
    ScriviFile(file, std::string(200, 'z')); // a longer old file is replaced whole
    finta.risposteSalva = {file};

    QTest::mouseClick(Bottone("SalvaRiepilogo_BTN"), Qt::LeftButton);

    EXPECT_TRUE(finta.box.empty());
    EXPECT_EQ(LeggiFile(file), "a\tb\t\r\n1\t2\t\r\n\t\xE8\tx y\r\n");
}

TEST_F(MenuGEN, IlTipoSceltoOLEstensioneDigitataDecidonoSeScrivereUnaCartellaDiExcel)
{
    Riempi(finestra.tabella(), {"Misura", "Vel"}, {{"1", "87,3"}});
    finestra.aggiornaGriglie();
    const struct
    {
        const char* nome;
        int tipo;
        bool cartella;
    } casi[] = {{"a.xlsx", 0, true}, {"b.dat", 1, true}, {"c.txt", 1, false}, {"d.dat", 0, false}};
    for (const auto& caso : casi) {
        finta.risposteSalva = {Percorso(caso.nome)};
        finta.tipiSalva = {caso.tipo};
        finestra.SalvaTabella_BTNClick();
        const std::string byte = LeggiFile(Percorso(caso.nome));
        EXPECT_EQ(byte.rfind("PK\x03\x04", 0) == 0, caso.cartella) << caso.nome;
        if (!caso.cartella) {
            EXPECT_EQ(byte, "Misura\tVel\r\n1\t87,3\r\n") << caso.nome;
        }
    }
    EXPECT_TRUE(finta.box.empty());
    ASSERT_FALSE(finta.dialoghi.empty());
    const DialogoFile& dialogo = finta.dialoghi[0].dialogo;
    EXPECT_EQ(dialogo.descrizione, "File di testo delimitato da tabulatura");
    ASSERT_EQ(dialogo.altriTipi.size(), 1u);
    EXPECT_EQ(dialogo.altriTipi[0].descrizione, "Cartella di lavoro di Excel");
    EXPECT_EQ(dialogo.altriTipi[0].modello, "*.xlsx");
    EXPECT_EQ(dialogo.altriTipi[0].estensione, "xlsx");
}

TEST_F(MenuGEN, UnaScritturaFallitaLasciaTuttoComEra)
{
    Riempi(finestra.tabella(), {"a"}, {{"1"}});
    finestra.aggiornaGriglie();
    const std::string file = Percorso("manca/tabella.txt");
    finta.risposteSalva = {file};

    QTest::mouseClick(Bottone("SalvaTabella_BTN"), Qt::LeftButton);

    ASSERT_EQ(finta.errori().size(), 1u);
    const std::string testo = finta.errori()[0];
    EXPECT_EQ(testo.rfind("Cannot create file \"" + file + "\". ", 0), 0u) << testo;
    EXPECT_EQ(testo.back(), '.');
    EXPECT_EQ(testo.find(".."), std::string::npos) << testo;
    EXPECT_TRUE(QDir(cartella.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(MenuGEN, IlTestoDigitatoInUnaCellaEntraNellaGrigliaPrimaDelGestore)
{
    Riempi(finestra.riepilogo(), {"a", "b"}, {{"1", "2"}, {"3", "4"}});
    finestra.aggiornaGriglie();
    VistaGriglia* vista = finestra.Riepilogo_TXT();
    vista->setFocus();
    const QModelIndex cella = vista->model()->index(1, 1);
    QTest::mouseClick(vista->viewport(), Qt::LeftButton, {}, vista->visualRect(cella).center());
    QTest::keyClick(vista, Qt::Key_C);
    QTest::keyClicks(QApplication::focusWidget(), "iao");
    ASSERT_TRUE(vista->inModifica());
    const std::string file = Percorso("r.txt");
    finta.risposteSalva = {file};

    // Called directly: no button takes the focus from the editor.
    finestra.SalvaRiepilogo_BTNClick();

    EXPECT_EQ(finestra.riepilogo().cella(1, 1), "ciao");
    EXPECT_EQ(LeggiFile(file), "a\tb\r\n1\t2\r\n3\tciao\r\n");
    EXPECT_FALSE(vista->inModifica());
    EXPECT_EQ(vista->currentIndex(), cella); // the user's place in the grid survives the handler
}

TEST_F(MenuGEN, TrascinareUnIntestazioneSpostaLaColonnaDellaGriglia)
{
    Griglia& g = finestra.tabella();
    Riempi(g, {"A", "B", "C"}, {{"a0", "b0", "c0"}, {"a1", "b1", "c1"}});
    g.impostaLarghezza(0, 60);
    g.impostaLarghezza(1, 70);
    g.impostaLarghezza(2, 80);
    finestra.aggiornaGriglie();
    QHeaderView* intestazioni = finestra.Tabella_TXT()->horizontalHeader();
    QWidget* superficie = intestazioni->viewport();
    const int y = intestazioni->height() / 2;
    const QPoint da(intestazioni->sectionViewportPosition(2) + 40, y);
    const QPoint a(5, y);

    QTest::mousePress(superficie, Qt::LeftButton, {}, da);
    for (const QPoint& p : {da - QPoint(20, 0), (da + a) / 2, a}) {
        QMouseEvent muovi(QEvent::MouseMove, QPointF(p), QPointF(superficie->mapToGlobal(p)), Qt::NoButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(superficie, &muovi);
    }
    QTest::mouseRelease(superficie, Qt::LeftButton, {}, a);

    EXPECT_EQ(Intestazioni(g), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(Riga(g, 0), (std::vector<std::string>{"c0", "a0", "b0"}));
    EXPECT_EQ(Riga(g, 1), (std::vector<std::string>{"c1", "a1", "b1"}));
    EXPECT_EQ(g.larghezza(0), 80);
    EXPECT_EQ(g.larghezza(1), 60);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(intestazioni->visualIndex(c), c); // the view shows the model's order as it is
        EXPECT_EQ(intestazioni->sectionSize(c), g.larghezza(c));
        EXPECT_EQ(intestazioni->model()->headerData(c, Qt::Horizontal).toString().toStdString(),
                  g.intestazione(c));
    }
}

TEST_F(MenuGEN, LeLarghezzeVengonoDallaGrigliaEViTornano)
{
    Griglia& g = finestra.riepilogo();
    Riempi(g, {"a", "b"}, {{"1", "2"}});
    g.impostaLarghezza(1, 60);
    finestra.aggiornaGriglie();
    QHeaderView* intestazioni = finestra.Riepilogo_TXT()->horizontalHeader();
    EXPECT_EQ(intestazioni->sectionSize(0), 100);
    EXPECT_EQ(intestazioni->sectionSize(1), 60);

    intestazioni->resizeSection(0, 130); // as a drag of the header's border does
    EXPECT_EQ(g.larghezza(0), 130);
    finestra.aggiornaGriglie();
    EXPECT_EQ(g.larghezza(1), 60);
    EXPECT_EQ(intestazioni->sectionSize(0), 130);
}

// Thousands of columns of one width make it the header's default; the next grid, of other widths,
// must still show each of its own, and the grid must not take the header's sizes as the user's.
TEST_F(MenuGEN, LarghezzeGiusteDopoUnaGrigliaDiColonneUguali)
{
    Griglia& g = finestra.tabella();
    PreparaGriglia(g, 1, 300, false);
    for (int c = 0; c < 300; ++c)
        g.impostaLarghezza(c, c == 7 ? 90 : 64);
    finestra.aggiornaGriglie();
    QHeaderView* intestazioni = finestra.Tabella_TXT()->horizontalHeader();
    for (int c = 0; c < 300; ++c)
        ASSERT_EQ(intestazioni->sectionSize(c), g.larghezza(c)) << c;

    PreparaGriglia(g, 1, 4, false); // new columns, 100 wide
    g.impostaLarghezza(2, 64);
    finestra.aggiornaGriglie();
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(g.larghezza(c), c == 2 ? 64 : 100) << c;
        EXPECT_EQ(intestazioni->sectionSize(c), g.larghezza(c)) << c;
    }
}

TEST_F(MenuGEN, CorreggiTempiMostraIMessaggiEUnErroreLasciaLaColonnaComEra)
{
    Griglia& g = finestra.riepilogo();
    const std::vector<std::string> testa{"Sez", "Lung", "Tempo", "Veic", "Reale", "Corretto"};
    Riempi(g, testa,
           {{"1", "100", "10", "5", "", "vecchio"},
            {"2", "100", "10", "5", "200", ""},
            {"3", "100", "x", "5", "50", "7"}});
    finestra.aggiornaGriglie();
    QAbstractItemModel* modello = finestra.Riepilogo_TXT()->model();
    std::vector<std::string> visti;
    finta.duranteBox = [&](const BoxMessaggio&) {
        visti.push_back(modello->data(modello->index(1, 5)).toString().toStdString());
    };

    QTest::mouseClick(Bottone("CorreggiTempi_BTN"), Qt::LeftButton);

    ASSERT_EQ(finta.box.size(), 2u);
    EXPECT_EQ(finta.box[0].testo, "Manca la lunghezza della sezione 1");
    EXPECT_EQ(finta.box[0].titolo, "Marvento");
    EXPECT_EQ(finta.box[1].testo, "'x' is not a valid floating point value.");
    EXPECT_EQ(finta.box[1].titolo, "Error");
    // Row 1 was corrected before the failure; the failure puts the column back as it was.
    EXPECT_EQ(visti, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Riga(g, 0)[5], "vecchio");
    EXPECT_EQ(Riga(g, 1)[5], "");
    EXPECT_EQ(Riga(g, 2)[5], "7");
}

// Everything of a grid that a user can see or change.
std::vector<std::string> Istantanea(const Griglia& griglia)
{
    std::vector<std::string> esito{std::to_string(griglia.numeroRighe())};
    for (int c = 0; c < griglia.numeroColonne(); ++c) {
        esito.push_back(griglia.intestazione(c) + "|" + std::to_string(griglia.larghezza(c)) + "|" +
                        (griglia.solaLettura(c) ? "ro" : "rw"));
        for (int r = 0; r < griglia.numeroRighe(); ++r)
            esito.emplace_back(griglia.cella(c, r));
    }
    return esito;
}

TEST_F(MenuGEN, UnImportazioneFallitaLasciaLeGriglieComErano)
{
    struct Caso
    {
        const char* nome;
        const char* bottone;
        const char* contenuto; // nullptr: no such file
    };
    const Caso casi[] = {
        {"manca.mes", "ApriFile_Velocita_BTN", nullptr},
        {"senza-intestazione.mes", "ApriFile_Velocita_BTN",
         "Misura     1: Sezione(i) di rilievo 7\r\n1;0;300;10;50.0;\r\n"},
        {"senza-misure.mes", "ApriFile_Velocita_BTN",
         "Misura;da;a;Veicoli;Vel;\r\n;\r\n;\r\n1;0;300;10;50.0;\r\n"},
        {"riga-corta.mes", "ApriFile_Velocita_BTN",
         "Misura     1: Sezione(i) di rilievo 7\r\nMisura     2: Sezione(i) di rilievo 8\r\n"
         "Misura;da;a;Veicoli;Vel;\r\n;\r\n;\r\n1;0;300;10;50.0;\r\n2;0;300\r\n"},
        {"veicoli.mes", "ApriFile_Velocita_BTN",
         "Misura     1: Sezione(i) di rilievo 7\r\nMisura;da;a;Veicoli;Vel;\r\n;\r\n;\r\n"
         "1;0;300;10;50.0;\r\n1;300;600;x;40.0;\r\n\r\n"},
        {"etichetta.mes", "ApriFile_Velocita_BTN",
         "Misura     1 Sezione(i) di rilievo "
         "7\r\nMisura;da;a;Veicoli;Vel;\r\n;\r\n;\r\n1;0;300;10;50.0;\r\n"},
        {"manca.rsz", "ApriFile_Archi", nullptr},
        {"senza-intestazione.rsz", "ApriFile_Archi",
         "Num.   1 (A): Distanza  512.3 m\r\n   600;  48.2;  35;\r\n"},
        {"senza-sezioni.rsz", "ApriFile_Archi",
         "Intervallo;  TdP;#Veic.;\r\n;\r\n;\r\n;\r\n   600;  48.2;  35;\r\n"},
        {"riga-corta.rsz", "ApriFile_Archi",
         "\r\n\r\n\r\n\r\n\r\n\r\n\r\nNum.   1 (A): Distanza  512.3 m\r\n\r\nIntervallo;  "
         "TdP;#Veic.;\r\n;\r\n;\r\n;\r\n"
         "   600;  48.2;  35;\r\n  1200;  48.2\r\n"},
        {"nodi.att", "ApriFile_Velocita_BTN",
         "$VISION\r\n* Table: Node Results\r\n$MOVEMENTEVALUATION:SIMRUN;TIMEINT;MOVEMENT\r\n1;0-900;1\r\n"},
        {"senza-veicoli.att", "ApriFile_Velocita_BTN",
         "$VISION\r\n$DATACOLLECTIONMEASUREMENTEVALUATION:SIMRUN;TIMEINT;DATACOLLECTIONMEASUREMENT;"
         "SPEEDAVGARITH(ALL)\r\n1;0-900;1;50.00\r\n"},
        {"tagliata.att", "ApriFile_Archi",
         "$VISION\r\n$VEHICLETRAVELTIMEMEASUREMENTEVALUATION:SIMRUN;TIMEINT;VEHICLETRAVELTIMEMEASUREMENT;"
         "VEHS(ALL);TRAVTM(ALL)\r\n1;0-900;1;5;50.00\r\n1;0-900;2;5;5\r\n1;900-1800;1;5;50.00\r\n1;900-18"},
        {"tempo.rsz", "ApriFile_Archi",
         "\r\n\r\n\r\n\r\n\r\n\r\n\r\nNum.   1 (A): Distanza  512.3 m\r\n\r\nIntervallo;  "
         "TdP;#Veic.;\r\n;\r\n;\r\n;\r\n"
         "   600;  4x;  35;\r\n"},
    };
    // A file on screen, with real lengths typed into the summary and a column made wider.
    finta.risposteApri = {std::string(MARVENTO_EXAMPLES_DIR) + "/esempio.rsz"};
    QTest::mouseClick(Bottone("ApriFile_Archi"), Qt::LeftButton);
    ASSERT_TRUE(finta.box.empty());
    QAbstractItemModel* modello = finestra.Riepilogo_TXT()->model();
    ASSERT_TRUE(modello->setData(modello->index(0, 4), "600"));
    ASSERT_TRUE(modello->setData(modello->index(2, 4), "100,5"));
    finestra.tabella().impostaLarghezza(3, 140);
    finestra.aggiornaGriglie();
    const std::vector<std::string> tabellaPrima = Istantanea(finestra.tabella());
    const std::vector<std::string> riepilogoPrima = Istantanea(finestra.riepilogo());
    ASSERT_EQ(finestra.riepilogo().cella(4, 2), "100,5");

    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        finta.box.clear();
        const std::string file = Percorso(caso.nome);
        if (caso.contenuto)
            ScriviFile(file, caso.contenuto);
        finta.risposteApri = {file};
        QTest::mouseClick(Bottone(caso.bottone), Qt::LeftButton);
        EXPECT_EQ(finta.errori().size(), 1u);
        // The start-up file and a drop take the same way in.
        finestra.ApriFile(file);
        EXPECT_EQ(finta.errori().size(), 2u);
        EXPECT_EQ(Istantanea(finestra.tabella()), tabellaPrima);
        EXPECT_EQ(Istantanea(finestra.riepilogo()), riepilogoPrima);
        EXPECT_EQ(modello->data(modello->index(2, 4)).toString().toStdString(), "100,5");
    }
}

TEST_F(MenuGEN, LaVistaRestaCoerenteSeLaGrigliaCambiaSottoIlModello)
{
    Griglia& g = finestra.tabella();
    Riempi(g, {"a", "b", "c"}, {{"1", "2", "3"}, {"4", "5", "6"}});
    finestra.aggiornaGriglie();
    QAbstractItemModel* modello = finestra.Tabella_TXT()->model();

    // The grid shrinks without the model being told, as in the middle of an import.
    PreparaGriglia(g, 1, 1, false);
    EXPECT_EQ(modello->columnCount(), 3);
    EXPECT_EQ(modello->data(modello->index(1, 2)).toString(), QString());
    EXPECT_EQ(modello->headerData(2, Qt::Horizontal).toString(), QString());
    EXPECT_FALSE(modello->flags(modello->index(1, 2)) & Qt::ItemIsEditable);
    EXPECT_FALSE(modello->setData(modello->index(1, 2), "z"));
    finestra.Tabella_TXT()->viewport()->repaint();

    finestra.aggiornaGriglie();
    EXPECT_EQ(modello->columnCount(), 1);
    EXPECT_EQ(modello->rowCount(), 1);
}

TEST_F(MenuGEN, UnaColonnaDiSolaLetturaNonSiModifica)
{
    Griglia& g = finestra.riepilogo();
    Riempi(g, {"a", "b"}, {{"1", "2"}});
    g.impostaSolaLettura(0, true);
    finestra.aggiornaGriglie();
    QAbstractItemModel* modello = finestra.Riepilogo_TXT()->model();

    EXPECT_FALSE(modello->setData(modello->index(0, 0), "x"));
    EXPECT_TRUE(modello->setData(modello->index(0, 1), "y"));
    EXPECT_EQ(Riga(g, 0), (std::vector<std::string>{"1", "y"}));
}

} // namespace

namespace marvento {
namespace {

// Two runs of the example: the second with other vehicles in its first interval.
std::vector<std::string> DueRun(const QTemporaryDir& cartella, const char* estensione)
{
    std::ifstream esempio(std::string(MARVENTO_EXAMPLES_DIR) + "/esempio." + estensione, std::ios::binary);
    const std::string testo((std::istreambuf_iterator<char>(esempio)), std::istreambuf_iterator<char>());
    std::string altro = testo;
    const std::string da = std::string(estensione) == "mes" ? "     54; 87.3" : "  48.2;  35";
    const std::string a = std::string(estensione) == "mes" ? "     64; 77.3" : "  58.2;  25";
    altro.replace(altro.find(da), da.size(), a);
    std::vector<std::string> file;
    for (const std::string& nome : {std::string("scenario_01."), std::string("scenario_02.")}) {
        file.push_back(
            QDir(cartella.path()).filePath(QString::fromStdString(nome + estensione)).toStdString());
        ScriviFile(file.back(), file.size() == 1 ? testo : altro);
    }
    return file;
}

TEST(FinestraVera, IRunSceltiNelDialogoVeroDiventanoUnaTabella)
{
    QTemporaryDir cartella;
    ASSERT_TRUE(cartella.isValid());
    const std::vector<std::string> file = DueRun(cartella, "mes");
    const QString prima = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cartella.path())); // where the dialog opens
    PiattaformaQt piattaforma("Marvento");
    TMenuGEN finestra(',', piattaforma);
    finestra.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&finestra));

    // As a user does: a click on the first file, a Ctrl+click on the second, then "Open".
    Copione copione;
    copione.aggiungi("QFileDialog", [](QWidget* d) {
        auto* lista = d->findChild<QAbstractItemView*>("listView");
        ASSERT_NE(lista, nullptr);
        QAbstractItemModel* modello = lista->model();
        ASSERT_TRUE(QTest::qWaitFor([&] { return modello->rowCount(lista->rootIndex()) == 2; }, 5000));
        for (int r = 0; r < 2; ++r) {
            const QRect posto = lista->visualRect(modello->index(r, 0, lista->rootIndex()));
            QTest::mouseClick(lista->viewport(), Qt::LeftButton,
                              r == 0 ? Qt::NoModifier : Qt::ControlModifier, posto.center());
        }
        auto* bottoni = d->findChild<QDialogButtonBox*>("buttonBox");
        ASSERT_NE(bottoni, nullptr);
        bottoni->button(QDialogButtonBox::Open)->click();
    });
    copione.avvia();
    QTest::mouseClick(finestra.findChild<QPushButton*>("ApriFile_Velocita_BTN"), Qt::LeftButton);
    ASSERT_TRUE(QDir::setCurrent(prima));

    const Griglie attese = ImportaFile(file, TipoFile::Velocita, ',');
    EXPECT_EQ(Istantanea(finestra.tabella()), Istantanea(attese.tabella));
    EXPECT_EQ(Istantanea(finestra.riepilogo()), Istantanea(attese.riepilogo));
    EXPECT_EQ(finestra.tabella().cella(0, finestra.tabella().numeroRighe() - 1), "02");
    // The summary's rows say which measurement they are.
    QAbstractItemModel* riepilogo = finestra.Riepilogo_TXT()->model();
    EXPECT_TRUE(finestra.Riepilogo_TXT()->verticalHeader()->isVisible());
    EXPECT_EQ(riepilogo->headerData(2, Qt::Vertical).toString(), "3 Sezione(i) di rilievo 5");
}

TEST_F(MenuGEN, ConfidenzaETolleranzaDalMenuDelRiepilogo)
{
    const std::vector<std::string> file = DueRun(cartella, "rsz");
    auto* azione = finestra.Riepilogo_TXT()->findChild<QAction*>("OpzioniRun_ACT");
    ASSERT_NE(azione, nullptr);
    EXPECT_EQ(azione->text(), "Confidenza e tolleranza dei run...");
    EXPECT_TRUE(finestra.Riepilogo_TXT()->actions().contains(azione));

    finta.risposteNumeri = {{}, {0.9, 0.1}};
    azione->trigger(); // cancelled: nothing changes
    EXPECT_EQ(finestra.opzioniRun().confidenza, 0.95);
    azione->trigger();
    EXPECT_EQ(finestra.opzioniRun().confidenza, 0.9);
    EXPECT_EQ(finestra.opzioniRun().tolleranza, 0.1);

    finta.risposteApri = {file[0] + "\n" + file[1]};
    QTest::mouseClick(Bottone("ApriFile_Archi"), Qt::LeftButton);
    EXPECT_TRUE(finta.errori().empty());
    EXPECT_EQ(Istantanea(finestra.riepilogo()),
              Istantanea(ImportaFile(file, TipoFile::Archi, ',', {0.9, 0.1}).riepilogo));
    EXPECT_NE(Istantanea(finestra.riepilogo()),
              Istantanea(ImportaFile(file, TipoFile::Archi, ',').riepilogo));
    EXPECT_EQ(finestra.riepilogo().intestazione(finestra.riepilogo().numeroColonne() - 1), "Nome");
    EXPECT_EQ(finestra.righeRiepilogo().at(0).nome, "Via Roma NB");
}

TEST_F(MenuGEN, ConfrontoConIRilieviDalMenuDelRiepilogo)
{
    auto* confronta = finestra.Riepilogo_TXT()->findChild<QAction*>("ConfrontaRilievi_ACT");
    auto* grafico = finestra.Riepilogo_TXT()->findChild<QAction*>("GraficoRilievi_ACT");
    ASSERT_NE(confronta, nullptr);
    ASSERT_NE(grafico, nullptr);
    EXPECT_EQ(confronta->text(), "Confronta con i rilievi...");
    EXPECT_TRUE(finestra.Riepilogo_TXT()->actions().contains(confronta));
    EXPECT_TRUE(finestra.Riepilogo_TXT()->actions().contains(grafico));

    // Nothing on screen yet: no dialog, a message.
    confronta->trigger();
    grafico->trigger();
    ASSERT_EQ(finta.messaggi().size(), 2u);
    EXPECT_TRUE(finta.dialoghi.empty());
    EXPECT_EQ(finestra.Confronto(), nullptr);

    finta.risposteApri = {std::string(MARVENTO_EXAMPLES_DIR) + "/esempio.mes"};
    QTest::mouseClick(Bottone("ApriFile_Velocita_BTN"), Qt::LeftButton);
    const int proprie = finestra.riepilogo().numeroColonne();
    // A typed cell of the summary stays: the comparison is an edit of the summary.
    QAbstractItemModel* modello = finestra.Riepilogo_TXT()->model();
    ASSERT_TRUE(modello->setData(modello->index(2, 4), "rampa"));
    const std::vector<std::string> tabellaPrima = Istantanea(finestra.tabella());

    // Failures: the grids stay as they were, one error box each.
    const struct
    {
        const char* nome;
        const char* contenuto;
        const char* messaggio;
    } fallimenti[] = {
        {"manca.csv", nullptr, "Il file dei rilievi \""},
        {"numero.csv", "Misura;Veicoli\n1;10\nuno;20\n", "Riga 3 del file dei rilievi: \"uno\""},
        {"intervallo.csv", "Misura;da;a;Veicoli\n1;0;450;10\n",
         "Riga 2 del file dei rilievi: l'intervallo 0-450"},
    };
    finta.box.clear();
    for (const auto& caso : fallimenti) {
        SCOPED_TRACE(caso.nome);
        const std::string file = Percorso(caso.nome);
        if (caso.contenuto)
            ScriviFile(file, caso.contenuto);
        const std::vector<std::string> riepilogoPrima = Istantanea(finestra.riepilogo());
        finta.risposteApri = {file};
        confronta->trigger();
        ASSERT_EQ(finta.errori().size(), 1u);
        EXPECT_EQ(finta.errori()[0].rfind(caso.messaggio, 0), 0u) << finta.errori()[0];
        EXPECT_EQ(Istantanea(finestra.riepilogo()), riepilogoPrima);
        EXPECT_EQ(Istantanea(finestra.tabella()), tabellaPrima);
        finta.box.clear();
    }
    EXPECT_EQ(finta.dialoghi.back().dialogo.descrizione, "File dei rilievi");
    EXPECT_EQ(finta.dialoghi.back().dialogo.modello, "*.csv");

    const std::string rilievi = Percorso("rilievi.csv");
    ScriviFile(rilievi, "Misura;da;a;Veicoli;Vel\r\n1;0;300;60;85,0\r\n2;;;400;60\r\n7;;;5;\r\n");
    finta.risposteApri = {rilievi};
    confronta->trigger();
    ASSERT_TRUE(finta.errori().empty()) << finta.errori()[0];
    ASSERT_EQ(finta.messaggi().size(), 1u);
    EXPECT_NE(finta.messaggi()[0].find("Righe con esito OK: 2 su 2 (100,000 %)"), std::string::npos);
    EXPECT_NE(finta.messaggi()[0].find("riga 4 (numero 7)"), std::string::npos);
    ASSERT_EQ(finestra.riepilogo().numeroColonne(), proprie + 9);
    EXPECT_EQ(finestra.riepilogo().cella(4, 2), "rampa");
    EXPECT_EQ(finestra.riepilogo().cella(proprie + 8, 0), "OK");
    EXPECT_EQ(finestra.riepilogo().cella(proprie + 8, 2), "");
    EXPECT_EQ(modello->columnCount(), proprie + 9);
    EXPECT_EQ(Istantanea(finestra.tabella()), tabellaPrima);

    // Again, with a GEH threshold of 0.5 from the menu: the columns are replaced, not added twice.
    auto* criteri = finestra.Riepilogo_TXT()->findChild<QAction*>("CriteriRilievi_ACT");
    ASSERT_NE(criteri, nullptr);
    finta.risposteNumeri = {{}, {0.5, 85, 15, 60}};
    criteri->trigger(); // cancelled
    EXPECT_EQ(finestra.criteriConfronto().sogliaGeh, 5.0);
    criteri->trigger();
    EXPECT_EQ(finestra.criteriConfronto().sogliaGeh, 0.5);
    finta.risposteApri = {rilievi};
    confronta->trigger();
    EXPECT_EQ(finestra.riepilogo().numeroColonne(), proprie + 9);
    EXPECT_EQ(finestra.riepilogo().intestazione(proprie + 3), "GEH<0,5 [%]");
    EXPECT_EQ(finestra.riepilogo().cella(proprie + 8, 0), "NO");

    // The chart: a point per case, saved as an image.
    grafico->trigger();
    TConfronto* finestraGrafico = finestra.Confronto();
    ASSERT_NE(finestraGrafico, nullptr);
    EXPECT_TRUE(finestraGrafico->isVisible());
    ASSERT_EQ(finestraGrafico->punti()->count(), 2);
    EXPECT_EQ(finestraGrafico->punti()->at(0), QPointF(720, 648));
    EXPECT_EQ(finestraGrafico->diagonale()->count(), 2);
    const std::string png = Percorso("grafico.png");
    finta.risposteSalva = {png};
    QTest::mouseClick(finestraGrafico->Salva_BTN(), Qt::LeftButton);
    EXPECT_EQ(LeggiFile(png).substr(1, 3), "PNG");
    EXPECT_TRUE(finta.errori().empty());

    // A new import forgets the comparison.
    finta.risposteApri = {std::string(MARVENTO_EXAMPLES_DIR) + "/esempio.mes"};
    QTest::mouseClick(Bottone("ApriFile_Velocita_BTN"), Qt::LeftButton);
    EXPECT_EQ(finestra.riepilogo().numeroColonne(), proprie);
    finta.box.clear();
    grafico->trigger();
    EXPECT_EQ(finta.messaggi().size(), 1u);
}

// A result list through either button: its own type second in both dialogs, the other table
// refused with the button that opens it, the row labels and the chart from the list's numbers.
TEST_F(MenuGEN, UnaListaDiRisultatiDaiBottoni)
{
    const std::string tempi = std::string(MARVENTO_EXAMPLES_DIR) + "/esempio-tempi.att";
    finta.risposteApri = {tempi, tempi};
    QTest::mouseClick(Bottone("ApriFile_Velocita_BTN"), Qt::LeftButton);
    ASSERT_EQ(finta.errori().size(), 1u);
    EXPECT_NE(finta.errori()[0].find("si apre con \"Apri File Archi\""), std::string::npos)
        << finta.errori()[0];
    EXPECT_EQ(finestra.tabella().numeroColonne(), 0);
    QTest::mouseClick(Bottone("ApriFile_Archi"), Qt::LeftButton);
    EXPECT_EQ(finta.errori().size(), 1u);
    for (const auto& mostrato : finta.dialoghi) {
        ASSERT_EQ(mostrato.dialogo.altriTipi.size(), 1u);
        EXPECT_EQ(mostrato.dialogo.altriTipi[0].descrizione, "Risultati");
        EXPECT_EQ(mostrato.dialogo.altriTipi[0].modello, "*.att");
        EXPECT_EQ(mostrato.dialogo.tipoScelto, 0);
    }
    EXPECT_EQ(finta.dialoghi[1].dialogo.modello, "*.rsz");

    // Two runs of three sections, the second numbered 2 and named in the list.
    EXPECT_EQ(finestra.tabella().intestazione(0), "Run");
    EXPECT_EQ(finestra.riepilogo().numeroRighe(), 3);
    EXPECT_EQ(finestra.righeRiepilogo().at(2).numero, "7");
    EXPECT_EQ(finestra.Riepilogo_TXT()->model()->headerData(1, Qt::Vertical).toString().toStdString(),
              "2 Tangenziale Est");
    // Section 2 counted no vehicle from 1800 to 2400 s: that interval is no point of its line.
    TDiagrammi diagrammi(finestra.tabella(), finestra.riepilogo(), ',', finta);
    finestra.impostaDiagrammi(&diagrammi);
    finestra.Diagrammi_BTNClick();
    diagrammi.Sezione_LST()->setCurrentText("2");
    diagrammi.Parametro_LST()->setCurrentText("TdP [s]");
    diagrammi.Disegna_BTNClick();
    EXPECT_EQ(finta.errori().size(), 1u);
    ASSERT_EQ(diagrammi.modello().serieRun.size(), 2u);
    EXPECT_EQ(diagrammi.modello().serieRun[0].punti().size(), 5u);
    finestra.impostaDiagrammi(nullptr);
}

} // namespace
} // namespace marvento
