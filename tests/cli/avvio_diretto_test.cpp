// marvento-cli runs the usual import command lines without Qt and hands every other one to
// marvento-cli-qt. What it runs itself must come out as marvento-cli-qt gives it (exit status,
// stdout, stderr and files), and what it might read differently must reach marvento-cli-qt.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Esito
{
    int uscita = -1;
    std::string out;
    std::string err;
    std::map<std::string, std::string> file; // what the run left in its folder
};

std::string Leggi(const fs::path& percorso)
{
    std::ifstream file(percorso, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class AvvioDiretto : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        base_ = fs::temp_directory_path() /
                ("marvento_avvio_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "solo");
        // A marvento-cli with nothing beside it: a command line it does not run itself fails here.
        fs::copy_file(MARVENTO_CLI, base_ / "solo" / "marvento-cli");
    }
    void TearDown() override { fs::remove_all(base_); }

    // Runs `programma ARGOMENTI` in a fresh folder holding copies of the examples (always the same
    // path, which messages name), under the name marvento-cli (usage texts name the program as
    // started).
    Esito Esegui(const std::string& programma, const std::string& argomenti)
    {
        const std::string cartella = "lavoro";
        const fs::path qui = base_ / cartella;
        fs::remove_all(qui);
        fs::create_directories(qui);
        for (const char* esempio : {"esempio.mes", "esempio.rsz"})
            fs::copy_file(fs::path(MARVENTO_EXAMPLES_DIR) / esempio, qui / esempio);
        const std::string comando = "cd \"" + qui.string() + "\" && exec -a marvento-cli \"" + programma + "\" " +
                                    argomenti + " >../" + cartella + ".out 2>../" + cartella + ".err";
        const int stato = std::system(("bash -c '" + comando + "'").c_str());
        Esito e;
        e.uscita = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
        e.out = Leggi(base_ / (cartella + ".out"));
        e.err = Leggi(base_ / (cartella + ".err"));
        for (const auto& voce : fs::directory_iterator(qui))
            e.file[voce.path().filename().string()] = Leggi(voce.path());
        return e;
    }

    fs::path base_;
};

} // namespace

TEST_F(AvvioDiretto, ComeIlProgrammaCompleto)
{
    const std::vector<std::string> casi = {
        "mes esempio.mes --decimal-separator , --detail d.txt --summary s.txt",
        "mes --summary=s.txt --decimal-separator=. esempio.mes",
        "rsz esempio.rsz --decimal-separator , --real-lengths \"600;;95,5\" --summary s.txt --detail d.txt",
        "rsz esempio.rsz --real-lengths= --decimal-separator .", // the summary on stdout
        "rsz esempio.rsz --decimal-separator , --real-lengths \"1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20\"",
        "mes manca.mes --decimal-separator ,",
        "rsz esempio.mes --decimal-separator ,",
        "mes esempio.mes --decimal-separator , --detail cartella/d.txt",
        "mes esempio.mes --decimal-separator , --detail --summary", // "--summary" is the detail's file
    };
    for (const std::string& argomenti : casi) {
        const Esito diretto = Esegui((base_ / "solo" / "marvento-cli").string(), argomenti);
        const Esito completo = Esegui(MARVENTO_CLI_QT, argomenti);
        EXPECT_EQ(diretto.uscita, completo.uscita) << argomenti;
        EXPECT_EQ(diretto.out, completo.out) << argomenti;
        EXPECT_EQ(diretto.err, completo.err) << argomenti;
        EXPECT_EQ(diretto.file, completo.file) << argomenti;
        EXPECT_EQ(diretto.err.find("Impossibile avviare"), std::string::npos) << argomenti;
    }
}

TEST_F(AvvioDiretto, IlRestoAlProgrammaCompleto)
{
    const std::vector<std::string> casi = {
        "",
        "--version",
        "runs esempio.mes esempio.mes",
        "mes esempio.mes",                                  // the locale's separator
        "mes esempio.mes --decimal-separator \";\"",
        "mes esempio.mes --decimal-separator , --decimal-separator .",
        "mes esempio.mes --decimal-separator , --help",
        "mes esempio.mes --decimal-separator , -h",
        "mes esempio.mes --decimal-separator , --detail ./d.txt",
        "mes esempio.mes --decimal-separator , --detail d.txt --summary d.txt",
        "mes esempio.mes esempio.mes --decimal-separator ,",
        "mes --decimal-separator ,",
        "mes esempio.mes --decimal-separator , --real-lengths 1",
        "mes esempio.mes --decimal-separator , --",
        "mes esempio.mes --decimal-separator , --detail d\xC3\xA8.txt",
        "mes esempio.mes --decimal-separator , --detail",
        "mes esempio.mes --decimal-separator , --Detail d.txt",
    };
    for (const std::string& argomenti : casi) {
        const Esito e = Esegui((base_ / "solo" / "marvento-cli").string(), argomenti);
        EXPECT_EQ(e.uscita, 1) << argomenti;
        EXPECT_EQ(e.err.rfind("Impossibile avviare il programma delle opzioni di marvento-cli (", 0), 0u)
            << argomenti << ": " << e.err;
        EXPECT_EQ(e.file.size(), 2u) << argomenti; // only the examples
    }
}

#endif
