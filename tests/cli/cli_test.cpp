// marvento-cli end to end: exit statuses, the last line on stderr, and exported bytes identical to
// the export of the same grids imported through the core.
#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "ImportaArchi.h"
#include "ImportaVelocita.h"
#include "Importazione.h"
#include "Testo.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLibraryInfo>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;
using namespace marvento;

namespace {

const std::string kEsempioMes = MARVENTO_EXAMPLES_DIR "/esempio.mes";
const std::string kEsempioRsz = MARVENTO_EXAMPLES_DIR "/esempio.rsz";

std::string Leggi(const fs::path& percorso)
{
    std::ifstream file(percorso, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string UltimaRiga(const std::string& testo)
{
    std::string t = testo;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
        t.pop_back();
    return t.substr(t.find_last_of('\n') == std::string::npos ? 0 : t.find_last_of('\n') + 1);
}

struct Esito
{
    int uscita = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        cartella_ = fs::temp_directory_path() / (std::string("marvento_cli_") + info->name());
        fs::remove_all(cartella_);
        fs::create_directories(cartella_);
    }
    void TearDown() override { fs::remove_all(cartella_); }

    fs::path Percorso(const std::string& nome) const { return cartella_ / nome; }

    fs::path Scrivi(const std::string& nome, const std::string& byte) const
    {
        std::ofstream(Percorso(nome), std::ios::binary) << byte;
        return Percorso(nome);
    }

    // Runs the tool through the shell; ambiente is prefixed to the command (VAR=value ..., cd DIR &&).
    // Standard output goes to uscita when given, and is then not read back.
    Esito Esegui(const std::string& argomenti, const std::string& ambiente = "",
                 const fs::path& uscita = {}) const
    {
        const fs::path out = uscita.empty() ? Percorso("stdout.txt") : uscita;
        const fs::path err = Percorso("stderr.txt");
        const std::string comando = ambiente + " \"" MARVENTO_CLI "\" " + argomenti + " >\"" + out.string() +
                                    "\" 2>\"" + err.string() + "\"";
        const int stato = std::system(comando.c_str());
        Esito e;
#ifdef _WIN32
        e.uscita = stato;
#else
        e.uscita = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
#endif
        if (uscita.empty())
            e.out = Leggi(out);
        e.err = Leggi(err);
        return e;
    }

  private:
    fs::path cartella_;
};

std::string Q(const fs::path& percorso)
{
    return "\"" + percorso.string() + "\"";
}

struct Esportazioni
{
    std::string dettaglio;
    std::string riepilogo;
};

// What the window would save for the file: the core import on fresh grids, then the export.
Esportazioni AttesoDalNucleo(const std::string& file, char separatore,
                             const std::function<void(Griglia&)>& dopo = nullptr)
{
    Griglia tabella;
    Griglia riepilogo;
    const ListaRighe righe = CaricaRighe(file);
    if (file.size() > 4 && file.substr(file.size() - 4) == ".rsz")
        ImportaArchi(righe, tabella, riepilogo, separatore);
    else
        ImportaVelocita(righe, tabella, riepilogo, separatore);
    if (dopo)
        dopo(riepilogo);
    return {TestoTabulato(tabella), TestoTabulato(riepilogo)};
}

// Both outputs, byte for byte, with either separator and the options in any order.
TEST_F(Cli, MesEsportaGliStessiByteDellaFinestra)
{
    struct Caso
    {
        char separatore;
        std::string argomenti;
        std::string ambiente;
    };
    const std::string d = Q(Percorso("dettaglio.txt"));
    const std::string s = Q(Percorso("riepilogo.txt"));
    const Caso casi[] = {
        {',', "mes " + Q(kEsempioMes) + " --detail " + d + " --summary " + s + " --decimal-separator ,", ""},
        {'.', "mes --summary " + s + " --decimal-separator . " + Q(kEsempioMes) + " --detail " + d, ""},
#ifndef _WIN32
        // Without the option the locale decides.
        {',', "mes " + Q(kEsempioMes) + " --detail " + d + " --summary " + s, "LC_ALL=it_IT.UTF-8"},
        {'.', "mes " + Q(kEsempioMes) + " --detail " + d + " --summary " + s, "LC_ALL=C"},
#endif
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.argomenti + " " + caso.ambiente);
        const Esito e = Esegui(caso.argomenti, caso.ambiente);
        EXPECT_EQ(e.uscita, 0) << e.err;
        EXPECT_EQ(e.err, "");
        EXPECT_EQ(e.out, "");
        const Esportazioni atteso = AttesoDalNucleo(kEsempioMes, caso.separatore);
        EXPECT_EQ(Leggi(Percorso("dettaglio.txt")), atteso.dettaglio);
        EXPECT_EQ(Leggi(Percorso("riepilogo.txt")), atteso.riepilogo);
        fs::remove(Percorso("dettaglio.txt"));
        fs::remove(Percorso("riepilogo.txt"));
    }
}

TEST_F(Cli, MesSenzaUsciteStampaIlRiepilogoAllineato)
{
    const Esito e = Esegui("mes " + Q(kEsempioMes) + " --decimal-separator ,");
    EXPECT_EQ(e.uscita, 0) << e.err;
    EXPECT_EQ(e.err, "");
    // 520 vehicles of measurement 1 at a weighted 83.6227 km/h, and so on, over 8 intervals of 300 s.
    EXPECT_EQ(e.out, "Misura  Veicoli  Vel [km/h]  Inervallo sim. [s]  Sezione\n"
                     "     1      520      83,623            2400,000   1\n"
                     "     2      475      57,336            2400,000   2\n"
                     "     3      259      44,664            2400,000   5\n");
}

// A failure: the error box's text as the last line on stderr, status 1, no output file.
TEST_F(Cli, ErroriUscitaUnoENessunFileScritto)
{
    const fs::path troncato =
        Scrivi("troncato.mes", "Misura 1: Sezione(i) di rilievo 1\r\nMisura 2: x\r\n"
                               "Misura;da;a;Veicoli;Vel;\r\n-\r\n-\r\n1;0;300;4;50.0;\r\n");
    const fs::path mancante = Percorso("non-esiste.mes");
    const fs::path nessunaCartella = Percorso("manca") / "d.txt";
    struct Caso
    {
        std::string argomenti;
        std::string ultimaRiga;
    };
    const Caso casi[] = {
        {"mes " + Q(troncato), "List index out of bounds (6)"},
        {"mes " + Q(mancante),
         TestoBoxErrore("Cannot open file \"" + mancante.string() + "\". No such file or directory")},
        {"mes " + Q(Scrivi("vuoto.mes", "")),
         "Il file non contiene la riga di intestazione delle colonne (una riga che inizia con \"Misura;\"): "
         "non e' un file di velocita' sezioni."},
        {"mes " + Q(kEsempioMes) + " --detail " + Q(nessunaCartella),
         TestoBoxErrore("Cannot create file \"" + nessunaCartella.string() +
                        "\". No such file or directory")},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.argomenti);
        const Esito e =
            Esegui(caso.argomenti + " --summary " + Q(Percorso("r.txt")) + " --decimal-separator ,");
        EXPECT_EQ(e.uscita, 1);
        EXPECT_EQ(UltimaRiga(e.err), caso.ultimaRiga);
        EXPECT_EQ(e.out, "");
        EXPECT_FALSE(fs::exists(Percorso("r.txt")));
    }
}

TEST_F(Cli, UsoSbagliatoUscitaDue)
{
    const std::string esempio = Q(kEsempioMes);
    for (const std::string& argomenti :
         {std::string(""), std::string("velocita ") + esempio, std::string("mes"),
          "mes " + esempio + " --confidence 1", "mes " + esempio + " --decimal-separator \";\"",
          "mes " + esempio + " --sconosciuta", "mes " + esempio + " --detail",
          "rsz " + Q(kEsempioRsz) + " --real-lengths 1 --real-lengths 2"}) {
        SCOPED_TRACE(argomenti);
        const Esito e = Esegui(argomenti);
        EXPECT_EQ(e.uscita, 2);
        EXPECT_NE(e.err.find("marvento-cli"), std::string::npos) << e.err; // the usage text
        EXPECT_EQ(e.out, "");
    }
    // --help-all, which Qt's own help option brings, shows the same help.
    for (const auto& [argomenti, testo] :
         {std::pair{"--help", "rsz"}, std::pair{"mes --help", "--detail"},
          std::pair{"rsz --help", "--real-lengths"}, std::pair{"mes --help-all", "--detail"}}) {
        SCOPED_TRACE(argomenti);
        const Esito e = Esegui(argomenti);
        EXPECT_EQ(e.uscita, 0);
        EXPECT_NE(e.out.find(testo), std::string::npos) << e.out;
    }
    const Esito versione = Esegui("--version");
    EXPECT_EQ(versione.uscita, 0);
    EXPECT_EQ(versione.out.rfind("marvento-cli ", 0), 0u) << versione.out;
}

// Real lengths go into summary column 4 row by row; a missing one is reported on its own line and
// the run goes on to write the corrected summary.
TEST_F(Cli, RszConLunghezzeReali)
{
    if (!fs::exists(kEsempioRsz))
        GTEST_SKIP() << "no example .rsz";
    for (const char separatore : {',', '.'}) {
        SCOPED_TRACE(separatore);
        const std::string lunghezze = separatore == ',' ? "600;;95,5" : "600;;95.5";
        const Esito e = Esegui("rsz --real-lengths \"" + lunghezze + "\" " + Q(kEsempioRsz) + " --summary " +
                               Q(Percorso("r.txt")) + " --detail " + Q(Percorso("d.txt")) +
                               " --decimal-separator " + separatore);
        EXPECT_EQ(e.uscita, 0) << e.err;
        EXPECT_EQ(e.err, "Manca la lunghezza della sezione 2\n");
        const Esportazioni atteso = AttesoDalNucleo(kEsempioRsz, separatore, [&](Griglia& riepilogo) {
            riepilogo.impostaCella(4, 0, "600");
            riepilogo.impostaCella(4, 2, separatore == ',' ? "95,5" : "95.5");
            CorreggiTempi(riepilogo, separatore, [](const std::string&) {});
        });
        EXPECT_EQ(Leggi(Percorso("r.txt")), atteso.riepilogo);
        EXPECT_EQ(Leggi(Percorso("d.txt")), atteso.dettaglio);
        EXPECT_NE(atteso.riepilogo.find(separatore == ',' ? "\t59,519\r\n" : "\t59.519\r\n"),
                  std::string::npos);
    }

    const Esito troppe = Esegui("rsz " + Q(kEsempioRsz) + " --real-lengths \"1;2;3;4\"");
    EXPECT_EQ(troppe.uscita, 1);
    EXPECT_EQ(UltimaRiga(troppe.err), "Lunghezze reali indicate: 4, ma il file ha 3 sezioni.");
}

// Qt's own words in the help and in its parser's messages (the usage line, the section titles, the
// help and version options, an unknown option) come from its Italian catalogue.
TEST_F(Cli, AiutoInItaliano)
{
    const QString traduzioni = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(traduzioni + QStringLiteral("/qtbase_it.qm")))
        GTEST_SKIP() << "Qt's Italian catalogue qtbase_it.qm is not in " << traduzioni.toStdString()
                     << " (Debian package qt6-translations-l10n): the help keeps Qt's English words";
    for (const char* argomenti : {"--help", "mes --help", "rsz --help", "runs --help", "chart --help"}) {
        SCOPED_TRACE(argomenti);
        const Esito e = Esegui(argomenti);
        EXPECT_EQ(e.uscita, 0);
        for (const char* inglese : {"Usage", "Options", "Arguments", "Displays", "[options]", "help-all"})
            EXPECT_EQ(e.out.find(inglese), std::string::npos) << inglese << " in:\n" << e.out;
    }
    const Esito mes = Esegui("mes --help");
    EXPECT_NE(mes.out.find(" mes [opzioni] FILE...\n"), std::string::npos) << mes.out; // the command named
    EXPECT_NE(mes.out.find("\nOpzioni:\n"), std::string::npos) << mes.out;
    const Esito errore = Esegui("mes " + Q(kEsempioMes) + " --sconosciuta");
    EXPECT_EQ(errore.uscita, 2);
    EXPECT_EQ(errore.err.rfind("Opzione sconosciuta 'sconosciuta'.\n", 0), 0u) << errore.err;
}

#ifndef _WIN32
// Command lines as users type them, run in a working folder whose name is not ASCII, holding the
// examples and a subfolder: the exit status, what came on stdout, and the files written there.
TEST_F(Cli, RigheDiComando)
{
    struct Caso
    {
        std::string argomenti;
        int uscita;
        const char* inizioOut; // null: not checked
        std::vector<std::string> scritti;
    };
    const char* mes = "Misura  Veicoli";
    const Caso casi[] = {
        {"mes --summary=s.txt --decimal-separator=. esempio.mes", 0, "", {"s.txt"}},
        // An option's value is the next argument, whatever it looks like.
        {"mes esempio.mes --decimal-separator , --detail --summary", 0, "", {"--summary"}},
        {"mes esempio.mes --decimal-separator , --", 0, mes, {}},
        {"mes --decimal-separator , -- esempio.mes", 0, mes, {}},
        {"mes sotto/../esempio.mes --decimal-separator , --detail sotto/d.txt", 0, "", {"sotto/d.txt"}},
        {"rsz esempio.rsz --real-lengths= --decimal-separator .", 0, "Sezione  Lunghezza", {}},
        {"mes esempio.mes --decimal-separator , --detail ./d.txt --summary d.txt", 2, "", {}},
        {"mes esempio.mes --decimal-separator , --Detail d.txt", 2, "", {}},
        {"mes esempio.mes --decimal-separator , --detail d.txt --real-lengths 1", 2, "", {}},
        {"mes esempio.mes --decimal-separator , --detail d.txt -h", 0, nullptr, {}},
        {"mes manca.mes --decimal-separator , --summary s.txt", 1, "", {}},
    };
    const fs::path lavoro = Percorso("citt\xC3\xA0");
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.argomenti);
        fs::remove_all(lavoro);
        fs::create_directories(lavoro / "sotto");
        for (const char* esempio : {"esempio.mes", "esempio.rsz"})
            fs::copy_file(fs::path(MARVENTO_EXAMPLES_DIR) / esempio, lavoro / esempio);
        const Esito e = Esegui(caso.argomenti, "cd " + Q(lavoro) + " &&");
        EXPECT_EQ(e.uscita, caso.uscita) << e.err;
        if (caso.inizioOut != nullptr) {
            EXPECT_EQ(e.out.rfind(caso.inizioOut, 0), 0u) << e.out;
            EXPECT_EQ(e.out.empty(), *caso.inizioOut == '\0') << e.out;
        }
        std::vector<std::string> scritti;
        for (const auto& voce : fs::recursive_directory_iterator(lavoro)) {
            const std::string nome = fs::relative(voce.path(), lavoro).generic_string();
            if (voce.is_regular_file() && nome != "esempio.mes" && nome != "esempio.rsz")
                scritti.push_back(nome);
        }
        EXPECT_EQ(scritti, caso.scritti);
    }
}
#endif

#ifdef __linux__
// A table that cannot reach stdout (here a full device) is a failure, not a success.
TEST_F(Cli, StdoutNonScrivibileEUnErrore)
{
    const std::string esempio = Q(kEsempioMes);
    for (const std::string& argomenti :
         {"mes " + esempio, "rsz " + Q(kEsempioRsz),
          "runs " + esempio + " " + Q(Scrivi("due.mes", Leggi(kEsempioMes)))}) {
        SCOPED_TRACE(argomenti);
        const Esito e = Esegui(argomenti + " --decimal-separator ,", "", "/dev/full");
        EXPECT_EQ(e.uscita, 1);
        EXPECT_EQ(UltimaRiga(e.err), "Stream write error.");
    }
}
#endif

} // namespace

namespace {

// Several runs: the same two tables as the window's, the chart with a line per run, and a set that
// does not go together refused with nothing written.
TEST_F(Cli, PiuRunDannoLeTabelleDellaFinestraOppureNienteSeNonVannoInsieme)
{
    std::string altro = Leggi(kEsempioRsz);
    altro.replace(altro.find("  48.2;  35"), 11, "  58.2;  25");
    const fs::path primo = Scrivi("rete_01.rsz", Leggi(kEsempioRsz));
    const fs::path secondo = Scrivi("rete_02.rsz", altro);
    const std::string d = Q(Percorso("d.txt"));
    const std::string s = Q(Percorso("s.txt"));

    const Esito e = Esegui("rsz " + Q(primo) + " " + Q(secondo) + " --detail " + d + " --summary " + s +
                           " --decimal-separator , --real-lengths 1024,6");
    ASSERT_EQ(e.uscita, 0) << e.err;
    Griglie attese = ImportaFile({primo.string(), secondo.string()}, TipoFile::Archi, ',');
    attese.riepilogo.impostaCella(riepilogo_archi::kLunghezzaReale, 0, "1024,6");
    CorreggiTempi(attese.riepilogo, ',', [](const std::string&) {});
    EXPECT_EQ(Leggi(Percorso("d.txt")), TestoTabulato(attese.tabella));
    EXPECT_EQ(Leggi(Percorso("s.txt")), TestoTabulato(attese.riepilogo));
    // (48.2*35 + 50.1*41 + ... + 58.2*25 + 50.1*41 + ...) over both runs, then doubled by the length.
    EXPECT_NE(Leggi(Percorso("s.txt")).find("\t51,420\t230,000\t1024,6\t102,840\t2\t51,433\t"),
              std::string::npos)
        << Leggi(Percorso("s.txt"));

    const Esito grafico = Esegui("chart " + Q(primo) + " " + Q(secondo) +
                                 " --item 1 --parameter \"TdP [s]\" --png " + Q(Percorso("g.png")));
    EXPECT_EQ(grafico.uscita, 0) << grafico.err;
    EXPECT_TRUE(fs::file_size(Percorso("g.png")) > 1000);

    fs::remove(Percorso("d.txt"));
    fs::remove(Percorso("s.txt"));
    const fs::path misure = Scrivi("rete_03.mes", Leggi(kEsempioMes));
    const fs::path unaSezione = Scrivi(
        "rete_04.rsz", "\r\n\r\n\r\n\r\n\r\n\r\n\r\nNum.   1 (A): Distanza  512.3 m\r\n\r\nIntervallo;  "
                       "TdP;#Veic.;\r\n;\r\n;\r\n;\r\n   600;  48.2;  35;\r\n");
    using Caso = std::pair<std::string, std::string>;
    for (const auto& [file, messaggio] :
         {Caso{Q(primo) + " " + Q(misure), "non sono dello stesso tipo"},
          Caso{Q(primo) + " " + Q(unaSezione), "Il numero di sezioni del file \"" + unaSezione.string()},
          Caso{Q(primo) + " " + Q(Percorso("manca.rsz")), "non si puo' importare"}}) {
        SCOPED_TRACE(file);
        const Esito rifiutato = Esegui("rsz " + file + " --detail " + d + " --summary " + s);
        EXPECT_EQ(rifiutato.uscita, 1);
        EXPECT_NE(UltimaRiga(rifiutato.err).find(messaggio), std::string::npos) << rifiutato.err;
        EXPECT_EQ(rifiutato.err.find('\n'), rifiutato.err.size() - 1) << rifiutato.err; // one line
        EXPECT_FALSE(fs::exists(Percorso("d.txt")));
        EXPECT_FALSE(fs::exists(Percorso("s.txt")));
    }
}

// A result list through every command that reads a file: the bytes of the core's import, the
// statistics of its runs, its chart; the other table and a list cut short refused, nothing written.
TEST_F(Cli, ListeDiRisultatiInOgniComando)
{
    const std::string tempi = MARVENTO_EXAMPLES_DIR "/esempio-tempi.att";
    const std::string velocita = MARVENTO_EXAMPLES_DIR "/esempio-velocita.att";
    const std::string d = Q(Percorso("d.txt"));
    const std::string s = Q(Percorso("s.txt"));
    for (const auto& [comando, lista, tipo] :
         {std::tuple{"rsz", tempi, TipoFile::Archi}, std::tuple{"mes", velocita, TipoFile::Velocita}}) {
        SCOPED_TRACE(comando);
        const Esito e = Esegui(std::string(comando) + " " + Q(lista) + " --detail " + d + " --summary " + s +
                               " --decimal-separator ,");
        ASSERT_EQ(e.uscita, 0) << e.err;
        const Griglie attese = ImportaFile(std::vector<std::string>{lista}, tipo, ',');
        EXPECT_EQ(Leggi(Percorso("d.txt")), TestoTabulato(attese.tabella));
        EXPECT_EQ(Leggi(Percorso("s.txt")), TestoTabulato(attese.riepilogo));
    }

    const Esito statistiche = Esegui("runs " + Q(tempi) + " --decimal-separator ,");
    ASSERT_EQ(statistiche.uscita, 0) << statistiche.err;
    EXPECT_NE(statistiche.out.find("Run validi"), std::string::npos) << statistiche.out;
    const Esito grafico =
        Esegui("chart " + Q(tempi) + " --item 2 --parameter \"TdP [s]\" --png " + Q(Percorso("g.png")));
    EXPECT_EQ(grafico.uscita, 0) << grafico.err;
    EXPECT_TRUE(fs::exists(Percorso("g.png")));

    fs::remove(Percorso("d.txt"));
    fs::remove(Percorso("s.txt"));
    std::string tagliata = Leggi(tempi);
    tagliata.resize(tagliata.size() - 20);
    const fs::path corta = Scrivi("tagliata.att", tagliata);
    using Caso = std::pair<std::string, std::string>;
    for (const auto& [argomenti, messaggio] :
         {Caso{"mes " + Q(tempi), "si apre con \"Apri File Archi\" (marvento-cli rsz)"},
          Caso{"rsz " + Q(velocita), "si apre con \"Apri File Velocita'\" (marvento-cli mes)"},
          Caso{"rsz " + Q(corta), "la lista e' tagliata"},
          Caso{"rsz " + Q(tempi) + " " + Q(tempi), "contiene gia' tutti i run"}}) {
        SCOPED_TRACE(argomenti);
        const Esito rifiutato = Esegui(argomenti + " --detail " + d + " --summary " + s);
        EXPECT_EQ(rifiutato.uscita, 1);
        EXPECT_NE(UltimaRiga(rifiutato.err).find(messaggio), std::string::npos) << rifiutato.err;
        EXPECT_FALSE(fs::exists(Percorso("d.txt")));
        EXPECT_FALSE(fs::exists(Percorso("s.txt")));
    }
}

} // namespace
