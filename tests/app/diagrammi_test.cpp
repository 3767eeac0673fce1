// The diagram window offscreen: its lists, drawing through the window, the left-axis menu, zooming
// and saving the chart as an image.
#include "Errore.h"
#include "Griglia.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "LegendaPunti.h"
#include "PiattaformaFinta.h"
#include "TDiagrammi.h"
#include "TMenuGEN.h"
#include "Testo.h"
#include "VistaGrafico.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marvento {
namespace {

const std::string Fixture = std::string(MARVENTO_FIXTURES_DIR) + "/grafico/";

std::vector<std::string> Voci(const QComboBox* lista)
{
    std::vector<std::string> voci;
    for (int i = 0; i < lista->count(); ++i)
        voci.push_back(lista->itemText(i).toStdString());
    return voci;
}

std::vector<QPointF> Punti(const VistaGrafico* grafico)
{
    const QList<QPointF> punti = grafico->serie()->points();
    return {punti.begin(), punti.end()};
}

int PixelDellaSerie(const QImage& immagine)
{
    int conteggio = 0;
    for (int y = 0; y < immagine.height(); ++y)
        for (int x = 0; x < immagine.width(); ++x)
            conteggio += immagine.pixel(x, y) == qRgb(0x44, 0x66, 0xA3);
    return conteggio;
}

class Diagrammi : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(cartella.isValid());
        finestra.Mostra();
        QCoreApplication::processEvents();
    }

    void Importa(const char* nome)
    {
        const std::string percorso = Fixture + nome;
        const ListaRighe righe = CaricaRighe(percorso);
        if (percorso.size() > 4 && percorso.compare(percorso.size() - 4, 4, ".mes") == 0)
            ImportaVelocita(righe, tabella, riepilogo, ',');
        else
            ImportaArchi(righe, tabella, riepilogo, ',');
    }

    void Scegli(const char* sezione, const char* parametro)
    {
        finestra.Sezione_LST()->setCurrentText(QString::fromUtf8(sezione));
        finestra.Parametro_LST()->setCurrentText(QString::fromUtf8(parametro));
        ASSERT_EQ(finestra.Sezione_LST()->currentText(), QString::fromUtf8(sezione));
        ASSERT_EQ(finestra.Parametro_LST()->currentText(), QString::fromUtf8(parametro));
    }

    std::string Percorso(const char* nome) const { return cartella.filePath(nome).toStdString(); }

    QTemporaryDir cartella;
    Griglia tabella;
    Griglia riepilogo;
    PiattaformaFinta piattaforma;
    TDiagrammi finestra{tabella, riepilogo, ',', piattaforma};
};

TEST_F(Diagrammi, WindowAsItOpens)
{
    EXPECT_EQ(finestra.windowTitle(), "Diagrammi");
    EXPECT_EQ(finestra.size(), QSize(674, 480));
    EXPECT_EQ(finestra.Grafico()->size(), QSize(674, 439));
    EXPECT_FALSE(finestra.Sezione_LST()->isEditable());
    EXPECT_EQ(finestra.Grafico()->chart()->title(), "Trend");
    EXPECT_EQ(finestra.Grafico()->asseInferiore()->titleText(), "Tempo [s]");
    EXPECT_EQ(finestra.Grafico()->asseSinistro()->titleText(), "Value");
    EXPECT_FALSE(finestra.Grafico()->legenda()->isVisible());
    EXPECT_EQ(finestra.Grafico()->serie()->pen().color(), QColor(0x44, 0x66, 0xA3));
    const QList<QAction*> voci = finestra.MenuGrafico()->actions();
    ASSERT_EQ(voci.size(), 2);
    EXPECT_EQ(voci[0]->text(), "Left axis from 0");
    EXPECT_EQ(voci[1]->text(), "Left axis from AUTO");
    // A right click on the chart opens the menu.
    QContextMenuEvent clic(QContextMenuEvent::Mouse, QPoint(50, 50),
                           finestra.Grafico()->viewport()->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(finestra.Grafico()->viewport(), &clic);
    EXPECT_TRUE(finestra.MenuGrafico()->isVisible());
    finestra.MenuGrafico()->hide();

    finestra.close(); // hidden, not destroyed
    EXPECT_FALSE(finestra.isVisible());
    finestra.Mostra();
    EXPECT_TRUE(finestra.isVisible());
}

TEST_F(Diagrammi, ListsBeforeAnyImportAndAfterEachKind)
{
    struct Caso
    {
        const char* file;
        std::vector<std::string> sezioni, parametri;
    };
    const std::vector<Caso> casi = {
        {nullptr, std::vector<std::string>(100, ""), {}},
        {"archi.rsz", {"1", "2"}, {"Veicoli", "TdP [s]"}},
        {"misure.mes", {"1", "2"}, {"", "Vel [km/h]", "Veicoli"}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.file ? caso.file : "no import");
        if (caso.file)
            Importa(caso.file);
        for (int volta = 0; volta < 2; ++volta) { // refilled, never appended to
            finestra.Sezione_LST()->setCurrentIndex(finestra.Sezione_LST()->count() - 1);
            finestra.RiempiListe();
            EXPECT_EQ(Voci(finestra.Sezione_LST()), caso.sezioni);
            EXPECT_EQ(Voci(finestra.Parametro_LST()), caso.parametri);
            EXPECT_EQ(finestra.Sezione_LST()->currentIndex(), 0);
            EXPECT_EQ(finestra.Parametro_LST()->currentIndex(), caso.parametri.empty() ? -1 : 0);
        }
    }
}

TEST(DiagrammiDalMenu, TheMainWindowsButtonFillsTheListsAndShowsTheHiddenWindow)
{
    PiattaformaFinta piattaforma;
    TMenuGEN MenuGEN(',', piattaforma);
    TDiagrammi finestra(MenuGEN.tabella(), MenuGEN.riepilogo(), ',', piattaforma);
    MenuGEN.impostaDiagrammi(&finestra);
    piattaforma.risposteApri.push_back(Fixture + "archi.rsz");
    MenuGEN.ApriFile_ArchiClick();
    MenuGEN.riepilogo().impostaCella(0, 1, "due"); // as if the user had typed it
    EXPECT_FALSE(finestra.isVisible());

    MenuGEN.Diagrammi_BTNClick();
    EXPECT_TRUE(finestra.isVisible());
    EXPECT_EQ(Voci(finestra.Sezione_LST()), (std::vector<std::string>{"1", "due"}));
    EXPECT_EQ(Voci(finestra.Parametro_LST()), (std::vector<std::string>{"Veicoli", "TdP [s]"}));
    EXPECT_TRUE(piattaforma.box.empty());
}

TEST_F(Diagrammi, DrawsTheSelectedParameterOfEachKindOfFile)
{
    struct Caso
    {
        const char *file, *sezione, *parametro, *titolo;
        std::vector<QPointF> punti;
        std::vector<QString> legenda;
    };
    const std::vector<Caso> casi = {
        {"archi.rsz",
         "2",
         "TdP [s]",
         "TdP [s] - Sezione 2",
         {{600, 98.7}, {1200, -3.5}, {1800, 104.8}},
         {"98,7", "-3,5", "104,8"}},
        {"misure.mes",
         "2",
         "Vel [km/h]",
         "Vel [km/h] - Misura 2",
         {{300, 40}, {600, 38.5}, {900, 41}},
         {"40", "38,5", "41"}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.file);
        Importa(caso.file);
        finestra.RiempiListe();
        Scegli(caso.sezione, caso.parametro);
        QTest::mouseClick(finestra.findChild<QPushButton*>("Disegna_BTN"), Qt::LeftButton);
        EXPECT_TRUE(piattaforma.box.empty());
        EXPECT_EQ(finestra.Grafico()->chart()->title(), caso.titolo);
        EXPECT_EQ(finestra.Grafico()->asseSinistro()->titleText(), caso.parametro);
        EXPECT_EQ(Punti(finestra.Grafico()), caso.punti);
        EXPECT_TRUE(finestra.Grafico()->legenda()->isVisible());
        const QStringList legenda = finestra.Grafico()->legenda()->righe();
        EXPECT_EQ(std::vector<QString>(legenda.begin(), legenda.end()), caso.legenda);
        // Every point lies within the axes' range.
        const QValueAxis* x = finestra.Grafico()->asseInferiore();
        const QValueAxis* y = finestra.Grafico()->asseSinistro();
        for (const QPointF& p : caso.punti) {
            EXPECT_TRUE(x->min() <= p.x() && p.x() <= x->max()) << p.x();
            EXPECT_TRUE(y->min() <= p.y() && p.y() <= y->max()) << p.y();
        }
    }
}

TEST_F(Diagrammi, SelectionFromAnotherFileStopsWithAMessageAndKeepsTheChart)
{
    Importa("archi.rsz");
    finestra.RiempiListe();
    Scegli("1", "TdP [s]");
    finestra.Disegna_BTNClick();
    Scegli("2", "TdP [s]");
    Importa("misure.mes"); // the lists still show the travel-time file's items

    finestra.Disegna_BTNClick();
    EXPECT_EQ(
        piattaforma.errori(),
        std::vector<std::string>{"Il parametro \"TdP [s]\" della misura \"2\" non si trova nella tabella."});
    EXPECT_EQ(finestra.Grafico()->chart()->title(), "TdP [s] - Sezione 1");
    EXPECT_EQ(Punti(finestra.Grafico()), (std::vector<QPointF>{{600, 48.2}, {1200, 50.1}, {1800, 55.6}}));
}

TEST_F(Diagrammi, EmptyListDrawsNothingAndSaysSo)
{
    Importa("archi.rsz");
    tabella.impostaIntestazione(tabella.numeroColonne() - 1, "Sezione"); // nothing after the marker
    finestra.RiempiListe();
    ASSERT_EQ(finestra.Parametro_LST()->currentIndex(), -1);
    finestra.Disegna_BTNClick();
    EXPECT_EQ(piattaforma.messaggi(), std::vector<std::string>{MessaggioNienteDaDisegnare});
    EXPECT_TRUE(piattaforma.errori().empty());
    EXPECT_EQ(finestra.Grafico()->chart()->title(), "Trend");
}

TEST_F(Diagrammi, DrawingBeforeAnyImportFails)
{
    finestra.RiempiListe();
    finestra.Disegna_BTNClick();
    EXPECT_EQ(piattaforma.errori(), std::vector<std::string>{"Column index, 0, out of bounds."});
    EXPECT_EQ(finestra.Grafico()->chart()->title(), "Trend");
}

TEST_F(Diagrammi, LeftAxisMenu)
{
    Importa("archi.rsz");
    finestra.RiempiListe();
    Scegli("1", "TdP [s]");
    finestra.Disegna_BTNClick();
    const QValueAxis* asse = finestra.Grafico()->asseSinistro();
    const double minimoAutomatico = asse->min();
    ASSERT_GT(minimoAutomatico, 0);

    finestra.AsseSinistroInZero()->trigger();
    EXPECT_EQ(asse->min(), 0);
    EXPECT_GE(asse->max(), 55.6);
    finestra.AsseSinistroInAuto()->trigger();
    EXPECT_EQ(asse->min(), minimoAutomatico);
    finestra.AsseSinistroInZero()->trigger();
    finestra.Disegna_BTNClick();
    EXPECT_EQ(asse->min(), minimoAutomatico);
    EXPECT_TRUE(piattaforma.box.empty());

    // Every value below 0: the minimum cannot pass the maximum.
    for (int r = 0; r < tabella.numeroRighe(); ++r)
        tabella.impostaCella(2, r, "-" + std::to_string(r + 1));
    finestra.Disegna_BTNClick();
    finestra.AsseSinistroInZero()->trigger();
    EXPECT_EQ(piattaforma.errori(), std::vector<std::string>{"Axis Minimum Value must be <= Maximum."});
    EXPECT_LT(asse->max(), 0);
}

TEST_F(Diagrammi, DraggingZoomsAndDrawingUndoesIt)
{
    Importa("archi.rsz");
    finestra.RiempiListe();
    Scegli("1", "TdP [s]");
    finestra.Disegna_BTNClick();
    VistaGrafico* grafico = finestra.Grafico();
    const QValueAxis* x = grafico->asseInferiore();
    const double minimo = x->min();
    const double massimo = x->max();
    const QRectF area = grafico->chart()->plotArea();
    const QPoint da =
        grafico->mapFromScene(grafico->chart()->mapToScene(area.topLeft() + QPointF(area.width() / 4, 5)));
    const QPoint a = grafico->mapFromScene(
        grafico->chart()->mapToScene(area.bottomRight() - QPointF(area.width() / 4, 5)));
    QTest::mousePress(grafico->viewport(), Qt::LeftButton, {}, da);
    QTest::mouseMove(grafico->viewport(), a);
    QTest::mouseRelease(grafico->viewport(), Qt::LeftButton, {}, a);
    EXPECT_NEAR(x->min(), minimo + (massimo - minimo) / 4, (massimo - minimo) / 50);
    EXPECT_NEAR(x->max(), massimo - (massimo - minimo) / 4, (massimo - minimo) / 50);

    finestra.Disegna_BTNClick();
    EXPECT_EQ(x->min(), minimo);
    EXPECT_EQ(x->max(), massimo);
}

TEST_F(Diagrammi, SavesTheChartInTheFormatOfTheExtension)
{
    Importa("misure.mes");
    finestra.RiempiListe();
    Scegli("1", "Vel [km/h]");
    finestra.Disegna_BTNClick();
    for (const char* nome : {"grafico.png", "GRAFICO2.PNG"}) {
        SCOPED_TRACE(nome);
        piattaforma.risposteSalva.push_back(Percorso(nome));
        QTest::mouseClick(finestra.findChild<QPushButton*>("Salva_BTN"), Qt::LeftButton);
        QImageReader lettore(QString::fromStdString(Percorso(nome)));
        EXPECT_EQ(lettore.format(), "png");
        const QImage immagine = lettore.read();
        EXPECT_EQ(immagine.size(), QSize(674, 439));
        EXPECT_GT(PixelDellaSerie(immagine), 100); // the line is in the picture
    }
    EXPECT_TRUE(piattaforma.box.empty());
    const DialogoFile& dialogo = piattaforma.dialoghi.back().dialogo;
    EXPECT_EQ(dialogo.descrizione, "Portable Network Graphics");
    EXPECT_EQ(dialogo.modello, "*.png");
    EXPECT_EQ(dialogo.estensione, "png");
    EXPECT_TRUE(dialogo.confermaSovrascrittura);
}

TEST_F(Diagrammi, SavingBeforeAnyDrawingShowsTheEmptyChart)
{
    finestra.salvaImmagine(Percorso("vuoto.png"));
    const QImage immagine(QString::fromStdString(Percorso("vuoto.png")));
    EXPECT_EQ(immagine.size(), QSize(674, 439));
    EXPECT_EQ(PixelDellaSerie(immagine), 0);
}

TEST_F(Diagrammi, FailedSavesCreateNoFile)
{
    struct Caso
    {
        std::string percorso, messaggio;
    };
    const std::vector<Caso> casi = {
        {Percorso("grafico"), "Saving bitmap failed."},
        {Percorso("grafico.xyz"), "Saving bitmap failed."},
        {Percorso("grafico.gif"), "Saving bitmap failed."},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.percorso);
        piattaforma.box.clear();
        piattaforma.risposteSalva.push_back(caso.percorso);
        finestra.Salva_BTNClick();
        EXPECT_EQ(piattaforma.errori(), std::vector<std::string>{caso.messaggio});
        EXPECT_FALSE(QFile::exists(QString::fromStdString(caso.percorso)));
    }

    piattaforma.box.clear();
    piattaforma.risposteSalva.push_back(Percorso("manca/grafico.png"));
    finestra.Salva_BTNClick();
    ASSERT_EQ(piattaforma.errori().size(), 1u);
    EXPECT_EQ(
        piattaforma.errori()[0].rfind("Cannot create file \"" + Percorso("manca/grafico.png") + "\". ", 0),
        0u)
        << piattaforma.errori()[0];

    piattaforma.box.clear();
    piattaforma.risposteSalva.push_back(""); // cancelled: silent
    finestra.Salva_BTNClick();
    EXPECT_TRUE(piattaforma.box.empty());
}

} // namespace
} // namespace marvento

namespace marvento {
namespace {

TEST(DiagrammiDiPiuRun, UnaLineaPerRunColoriDiversiELaMediaPiuSpessa)
{
    QTemporaryDir cartella;
    ASSERT_TRUE(cartella.isValid());
    std::vector<std::string> file;
    for (const char* nome : {"rete_3.rsz", "rete_7.rsz"}) {
        file.push_back(cartella.filePath(nome).toStdString());
        ASSERT_TRUE(
            QFile::copy(QString::fromStdString(Fixture + "archi.rsz"), QString::fromStdString(file.back())));
    }
    PiattaformaFinta piattaforma;
    TMenuGEN MenuGEN(',', piattaforma);
    TDiagrammi finestra(MenuGEN.tabella(), MenuGEN.riepilogo(), ',', piattaforma);
    MenuGEN.impostaDiagrammi(&finestra);
    piattaforma.risposteApri.push_back(file[0] + "\n" + file[1]);
    MenuGEN.ApriFile_ArchiClick();
    MenuGEN.Diagrammi_BTNClick();
    finestra.Sezione_LST()->setCurrentText("2");
    finestra.Parametro_LST()->setCurrentText("TdP [s]");
    finestra.Disegna_BTNClick();
    EXPECT_TRUE(piattaforma.box.empty());

    const VistaGrafico* grafico = finestra.Grafico();
    ASSERT_EQ(grafico->serieRun().size(), 2u);
    EXPECT_EQ(grafico->serieRun()[0]->name(), "Run 3");
    EXPECT_EQ(grafico->serieRun()[1]->name(), "Run 7");
    EXPECT_NE(grafico->serieRun()[0]->pen().color(), grafico->serieRun()[1]->pen().color());
    EXPECT_EQ(grafico->serieRun()[1]->points(), grafico->serie()->points()); // equal runs, equal mean
    EXPECT_GT(grafico->serie()->pen().widthF(), grafico->serieRun()[0]->pen().widthF());
    EXPECT_TRUE(grafico->chart()->legend()->isVisible());
    EXPECT_FALSE(grafico->legenda()->isVisible());

    // One file again: one line and the legend of its points.
    piattaforma.risposteApri.push_back(file[0]);
    MenuGEN.ApriFile_ArchiClick();
    MenuGEN.Diagrammi_BTNClick();
    finestra.Sezione_LST()->setCurrentText("2");
    finestra.Parametro_LST()->setCurrentText("TdP [s]");
    finestra.Disegna_BTNClick();
    EXPECT_TRUE(grafico->serieRun().empty());
    EXPECT_FALSE(grafico->chart()->legend()->isVisible());
    EXPECT_EQ(grafico->serie()->pen().color(), QColor(0x44, 0x66, 0xA3));
}

} // namespace
} // namespace marvento
