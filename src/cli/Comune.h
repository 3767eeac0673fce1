#pragma once
// What the commands of marvento-cli share: the exit statuses, the reading of their arguments with
// QCommandLineParser (help, version, usage errors, the decimal separator, paths), the options and
// outputs of the two import commands, and the report of a failure.

#include "Importazione.h"
#include "Piattaforma.h"

#include <QCommandLineParser>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace marvento {

class Griglia;

namespace cli {

inline constexpr int kUscitaRiuscita = 0;
inline constexpr int kUscitaErrore = 1; // the import or a write failed
inline constexpr int kUscitaUso = 2;    // wrong arguments

// -h/--help and -v/--version, described in Italian (Qt's catalogue has no Italian for its own help
// option).
void AggiungiAiutoEVersione(QCommandLineParser& parser);

// --decimal-separator SEP.
void AggiungiSeparatore(QCommandLineParser& parser);

// Parses argomenti (argomenti[0] names the program) and answers --help and --version. Returns the
// exit status when the command has nothing more to do, after printing the help or version to
// stdout (0) or the problem and the usage to stderr (2).
std::optional<int> AnalizzaAiutoEVersione(QCommandLineParser& parser, const QStringList& argomenti);

// Each of nomi at most once: a second value would silently win over the first. Returns kUscitaUso
// for the first one given more than once.
std::optional<int> ControllaUniche(const QCommandLineParser& parser, std::initializer_list<const char*> nomi);

// AnalizzaAiutoEVersione, then at least one FILE and each of opzioniUniche at most once.
std::optional<int> AnalizzaComuni(QCommandLineParser& parser, const QStringList& argomenti,
                                  std::initializer_list<const char*> opzioniUniche);

// --decimal-separator: "," or ".", without it the locale's. Returns kUscitaUso for any other text.
std::optional<int> LeggiSeparatore(const QCommandLineParser& parser, char& separatore);

// A figure typed on the command line: "," or "." as its decimal point, whatever the locale; none
// for a text that is no number.
std::optional<double> NumeroOpzione(QString testo);

// The kind of the files by the first one's name (.mes, .rsz); a result list (.att) gets Velocita
// here and its table's kind from TipoDaImportare. Returns kUscitaUso for any other name.
std::optional<int> LeggiTipoDalNome(const QCommandLineParser& parser, TipoFile& tipo);

// The kind to import the files as: a result list's table's, read from the file (failing as
// TipoDellaLista), else tipo.
TipoFile TipoDaImportare(const std::vector<std::string>& file, TipoFile tipo);

// --confidence and --tolerance of the statistics over runs.
void AggiungiOpzioniRun(QCommandLineParser& parser);

// Reads them, "," or "." as the decimal point; returns kUscitaUso for a level outside (0, 1) or a
// tolerance not above 0.
std::optional<int> LeggiOpzioniRun(const QCommandLineParser& parser, OpzioniRun& opzioni);

// Prints a wrong-usage message and the command's help to stderr; returns kUscitaUso.
int ErroreUso(const QCommandLineParser& parser, const QString& problema);

// The absolute path, in the system's notation, as the window's dialog gives it.
QString PercorsoAssoluto(const QString& percorso);

// A path as the core takes it (UTF-8).
std::string PercorsoLocale(const QString& percorso);

// The options of mes and rsz. Paths are absolute, in UTF-8.
struct OpzioniImportazione
{
    std::vector<std::string> file; // FILE...: one file, or the runs of one scenario
    std::string dettaglio;         // --detail OUT, empty when not given
    std::string riepilogo;         // --summary OUT, empty when not given
    std::string cartella;          // --workbook OUT, empty when not given
    char separatore = '.';         // --decimal-separator, otherwise the locale's
    OpzioniRun run;                // --confidence, --tolerance
};

// Adds --help, --version, --detail, --summary, --workbook, --confidence, --tolerance,
// --decimal-separator and the FILE... argument.
void AggiungiOpzioniImportazione(QCommandLineParser& parser);

// Reads the options that AggiungiOpzioniImportazione added. Fills opzioni and returns nothing when
// the command is to run; otherwise the exit status.
std::optional<int> AnalizzaImportazione(QCommandLineParser& parser, const QStringList& argomenti,
                                        OpzioniImportazione& opzioni);

// Writes --detail and --summary as the window's export does (a workbook of one sheet for a name
// ending in .xlsx, else tab-delimited text) and --workbook as a workbook of both grids, every grid
// checked before any file is written; with none of them, prints the summary to stdout as an
// aligned table. Fails with the export's messages.
void ScriviUscite(const OpzioniImportazione& opzioni, const Griglia& tabella, const Griglia& riepilogo);

// One grid to a file: a workbook of one sheet, nomeFoglio, when the name ends in .xlsx, else the
// tab-delimited text. Checks the grid before the file is touched.
void ScriviGriglia(const Griglia& griglia, const std::string& percorso, const char* nomeFoglio,
                   char separatore);

// The grid on stdout as a plain-text table: columns padded to their widest cell, numbers to the
// right. Fails as a file export does when stdout cannot take it.
void StampaTabella(const Griglia& griglia);

// One line on stderr.
void StampaMessaggio(const std::string& messaggio);

// The platform of the windows that the drawing commands use: no dialog ever opens in a batch
// run; a message of the window goes to stderr.
class PiattaformaRigaDiComando : public Piattaforma
{
  public:
    PiattaformaRigaDiComando() : Piattaforma("marvento-cli") {}

  protected:
    std::vector<std::string> mostraDialogoApri(const DialogoFile&) override { return {}; }
    std::string mostraDialogoSalva(const DialogoFile&, int&) override { return {}; }
    void mostraBox(const BoxMessaggio& box) override { StampaMessaggio(box.testo); }
    std::optional<std::vector<double>> mostraDialogoNumeri(const std::string&,
                                                           const std::vector<CampoNumero>&) override
    {
        return std::nullopt;
    }
};

// --size WxH of a chart, predefinita as its default in the help.
void AggiungiDimensione(QCommandLineParser& parser, const char* predefinita);

// Reads --size into dimensione when given; returns kUscitaUso for anything but two whole numbers
// of pixels from 100 to 10000.
std::optional<int> LeggiDimensione(const QCommandLineParser& parser, QSize& dimensione);

// Runs lavoro; a failure prints the error box's text as the last line on stderr. Returns the exit
// status.
int EseguiRiportando(const std::function<void()>& lavoro);

} // namespace cli
} // namespace marvento
