// A file named on the command line or dropped on the main window, driven offscreen.
#include "AvvioFile.h"
#include "PiattaformaFinta.h"
#include "TMenuGEN.h"
#include "VistaGriglia.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace marvento;

namespace {

const std::string Esempi = MARVENTO_EXAMPLES_DIR;

// Headers, then every row's cells: enough to tell two grids apart.
std::vector<std::string> Contenuto(const Griglia& griglia)
{
    std::vector<std::string> esito;
    for (int c = 0; c < griglia.numeroColonne(); ++c)
        esito.push_back(griglia.intestazione(c));
    for (int r = 0; r < griglia.numeroRighe(); ++r) {
        std::string riga;
        for (int c = 0; c < griglia.numeroColonne(); ++c)
            riga.append(griglia.cella(c, r)).append("|");
        esito.push_back(riga);
    }
    return esito;
}

class Finestra : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(cartella.isValid());
        finestra.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&finestra));
    }

    QString InCartella(const char* nome) const { return QDir(cartella.path()).filePath(nome); }

    // Lets the deferred work run: an import or a box, whichever comes.
    void AttendiEsito()
    {
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return !finta.box.empty() || finestra.tabella().numeroColonne() > 0; }, 2000));
    }

    // The grids of a window that opened the file through its button and the scripted dialog.
    std::vector<std::string> ImportatoDalBottone(const std::string& percorso, bool velocita,
                                                 std::vector<std::string>* riepilogo)
    {
        PiattaformaFinta altra;
        TMenuGEN confronto(',', altra);
        altra.risposteApri.push_back(percorso);
        if (velocita)
            confronto.ApriFile_Velocita_BTNClick();
        else
            confronto.ApriFile_ArchiClick();
        EXPECT_TRUE(altra.box.empty());
        *riepilogo = Contenuto(confronto.riepilogo());
        return Contenuto(confronto.tabella());
    }

    void ExpectGriglieVuote()
    {
        EXPECT_EQ(finestra.tabella().numeroColonne(), 0);
        EXPECT_EQ(finestra.riepilogo().numeroColonne(), 0);
    }

    // Drags and drops the data through the window's own routing, over the detail table, as the
    // windowing system delivers it.
    bool Trascina(QMimeData& dati)
    {
        QWindow* finestraDiSistema = finestra.windowHandle();
        const QWidget* tabella = finestra.Tabella_TXT()->viewport();
        const QPointF punto = tabella->mapTo(&finestra, tabella->rect().center());
        QDragEnterEvent entra(punto.toPoint(), Qt::CopyAction | Qt::MoveAction, &dati, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(finestraDiSistema, &entra);
        QDragMoveEvent muovi(punto.toPoint(), Qt::CopyAction | Qt::MoveAction, &dati, Qt::LeftButton,
                             Qt::NoModifier);
        QCoreApplication::sendEvent(finestraDiSistema, &muovi);
        if (!entra.isAccepted() || !muovi.isAccepted())
            return false;
        QDropEvent lascia(punto, Qt::CopyAction | Qt::MoveAction, &dati, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(finestraDiSistema, &lascia);
        return lascia.isAccepted();
    }

    QTemporaryDir cartella;
    PiattaformaFinta finta;
    TMenuGEN finestra{',', finta};
};

TEST_F(Finestra, IlFileDAvvioSiImportaComeDalSuoBottoneSenzaDialogo)
{
    // Upper-case extensions pick their importer as well.
    const QString rsz = InCartella("TEMPI.RSZ");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Esempi + "/esempio.rsz"), rsz));
    const struct
    {
        std::string percorso;
        bool velocita;
        int colonneRiepilogo;
    } casi[] = {
        {Esempi + "/esempio.mes", true, 5},
        {rsz.toStdString(), false, 6},
        // A result list by its table, its runs pooled: the summary, the statistics, number and name.
        {Esempi + "/esempio-velocita.att", true, 6 + 7 + 2},
        {Esempi + "/esempio-tempi.att", false, 6 + 7 + 2},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.percorso);
        PiattaformaFinta piattaforma;
        TMenuGEN avviata(',', piattaforma);
        avviata.show();
        ApriFileDiAvvio(avviata, {QString::fromStdString(caso.percorso)});
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return avviata.tabella().numeroColonne() > 0 || !piattaforma.box.empty(); }, 2000));

        std::vector<std::string> riepilogoAtteso;
        const auto tabellaAttesa = ImportatoDalBottone(caso.percorso, caso.velocita, &riepilogoAtteso);
        EXPECT_EQ(Contenuto(avviata.tabella()), tabellaAttesa);
        EXPECT_EQ(Contenuto(avviata.riepilogo()), riepilogoAtteso);
        EXPECT_EQ(avviata.riepilogo().numeroColonne(), caso.colonneRiepilogo);
        EXPECT_TRUE(piattaforma.dialoghi.empty());
        EXPECT_TRUE(piattaforma.box.empty());
        // The view shows what the grid holds.
        EXPECT_EQ(avviata.Tabella_TXT()->model()->columnCount(), avviata.tabella().numeroColonne());

        // The button's dialog then offers the file that was opened.
        piattaforma.risposteApri.push_back({});
        if (caso.velocita)
            avviata.ApriFile_Velocita_BTNClick();
        else
            avviata.ApriFile_ArchiClick();
        ASSERT_EQ(piattaforma.dialoghi.size(), 1u);
        EXPECT_EQ(piattaforma.dialoghi[0].dialogo.ultimoPercorso, caso.percorso);
    }
}

TEST_F(Finestra, UnFileDAvvioRelativoSiCercaNellaCartellaCorrente)
{
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Esempi + "/esempio.mes"), InCartella("rel.Mes")));
    const QString prima = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cartella.path()));
    ApriFileDiAvvio(finestra, {"rel.Mes"});
    // The path is fixed at start-up: moving elsewhere before the loop runs changes nothing.
    ASSERT_TRUE(QDir::setCurrent(prima));
    AttendiEsito();
    EXPECT_TRUE(finta.box.empty());
    EXPECT_EQ(finestra.riepilogo().numeroColonne(), 5);
}

TEST_F(Finestra, UnFileDAvvioCheNonSiApreLasciaLaFinestraVuotaEDiceIlPerche)
{
    const QString testo = InCartella("note.txt");
    QFile file(testo);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Misura;da;a;\n");
    file.close();
    const QString manca = InCartella("manca.MES");

    struct Caso
    {
        QStringList argomenti;
        IconaBox icona;
        std::string testo;
    };
    const Caso casi[] = {
        {{manca},
         IconaBox::Errore,
         "Cannot open file \"" + manca.toStdString() + "\". No such file or directory."},
        {{testo},
         IconaBox::Nessuna,
         "Il file \"" + testo.toStdString() + "\" non e' un file .mes, .rsz o .att"},
        {{QString::fromStdString(Esempi + "/esempio.mes"), QString::fromStdString(Esempi + "/esempio.rsz")},
         IconaBox::Errore,
         "I file \"" + Esempi + "/esempio.mes\" e \"" + Esempi +
             "/esempio.rsz\" non sono dello stesso tipo: i run di uno scenario sono tutti .mes o tutti "
             ".rsz."},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.testo);
        finta.box.clear();
        ApriFileDiAvvio(finestra, caso.argomenti);
        AttendiEsito();
        ASSERT_EQ(finta.box.size(), 1u);
        EXPECT_EQ(finta.box[0].icona, caso.icona);
        EXPECT_EQ(finta.box[0].testo, caso.testo);
        EXPECT_EQ(finta.box[0].titolo, caso.icona == IconaBox::Errore ? "Error" : "Marvento");
        ExpectGriglieVuote();
        EXPECT_TRUE(finta.dialoghi.empty());
    }

    // No argument: nothing happens at all.
    finta.box.clear();
    ApriFileDiAvvio(finestra, {});
    QTest::qWait(50);
    EXPECT_TRUE(finta.box.empty());
    ExpectGriglieVuote();
}

TEST_F(Finestra, UnFileMesTrascinatoSullaTabellaSiImporta)
{
    // A result list of travel times goes where its table belongs.
    for (const auto& [nome, esempio, velocita] :
         {std::tuple{"trascinato.mes", "/esempio.mes", true},
          std::tuple{"trascinata.Att", "/esempio-tempi.att", false}}) {
        SCOPED_TRACE(nome);
        finestra.tabella() = Griglia();
        finestra.aggiornaGriglie();
        const QString file = InCartella(nome);
        ASSERT_TRUE(QFile::copy(QString::fromStdString(Esempi + esempio), file));
        QMimeData dati;
        dati.setUrls({QUrl::fromLocalFile(file)});
        EXPECT_TRUE(Trascina(dati));
        AttendiEsito();
        EXPECT_TRUE(finta.box.empty());
        EXPECT_TRUE(finta.dialoghi.empty());

        std::vector<std::string> riepilogoAtteso;
        EXPECT_EQ(Contenuto(finestra.tabella()),
                  ImportatoDalBottone(file.toStdString(), velocita, &riepilogoAtteso));
        EXPECT_EQ(Contenuto(finestra.riepilogo()), riepilogoAtteso);
    }
}

TEST_F(Finestra, OgniAltroTrascinamentoSiRifiutaConUnMessaggio)
{
    // A file already shown must survive a refused drop.
    const QString rsz = QString::fromStdString(Esempi + "/esempio.rsz");
    finestra.ApriFile(rsz.toStdString());
    ASSERT_TRUE(finta.box.empty());
    const auto tabellaPrima = Contenuto(finestra.tabella());
    const auto riepilogoPrima = Contenuto(finestra.riepilogo());

    const QString txt = InCartella("dati.txt");
    QFile file(txt);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct
    {
        const char* caso;
        QList<QUrl> indirizzi;
    } casi[] = {
        {"altra estensione", {QUrl::fromLocalFile(txt)}},
        {"senza estensione", {QUrl::fromLocalFile(InCartella("mes"))}},
        {"un run e un altro file", {QUrl::fromLocalFile(rsz), QUrl::fromLocalFile(txt)}},
        {"non locale", {QUrl("https://example.org/esempio.mes")}},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        finta.box.clear();
        QMimeData dati;
        dati.setUrls(caso.indirizzi);
        EXPECT_FALSE(Trascina(dati));
        EXPECT_TRUE(QTest::qWaitFor([this] { return !finta.box.empty(); }, 2000));
        ASSERT_EQ(finta.box.size(), 1u);
        EXPECT_EQ(finta.box[0].icona, IconaBox::Nessuna);
        EXPECT_EQ(finta.box[0].testo, "Trascina un file .mes, .rsz o .att");
        EXPECT_EQ(Contenuto(finestra.tabella()), tabellaPrima);
        EXPECT_EQ(Contenuto(finestra.riepilogo()), riepilogoPrima);
    }

    // Text that is no file is not taken at all.
    finta.box.clear();
    QMimeData testo;
    testo.setText("esempio.mes");
    EXPECT_FALSE(Trascina(testo));
    QTest::qWait(50);
    EXPECT_TRUE(finta.box.empty());
}

} // namespace
