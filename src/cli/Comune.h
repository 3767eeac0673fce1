#pragma once
// What the subcommands of marvento-cli share: the import options, the outputs and the report of a
// failure. A subcommand parses its arguments, imports as the window does, then hands the two grids
// to ScriviUscite.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

namespace marvento {

class Griglia;

namespace cli {

inline constexpr int kUscitaRiuscita = 0;
inline constexpr int kUscitaErrore = 1; // the import or a write failed
inline constexpr int kUscitaUso = 2;    // wrong arguments

// The options that every import subcommand takes.
struct OpzioniImportazione
{
    QString file;       // FILE, as an absolute path (the window's dialog gives one too)
    QString dettaglio;  // --detail OUT, empty when not given
    QString riepilogo;  // --summary OUT, empty when not given
    char separatore = '.'; // --decimal-separator, otherwise the locale's
};

// Adds --help, --version, --detail, --summary, --decimal-separator and the FILE argument.
void AggiungiOpzioniImportazione(QCommandLineParser& parser);

// Parses the arguments and does what every command shares: --help, --version, exactly one FILE and
// each of opzioniUniche at most once. Returns the exit status when the command has nothing more to do.
std::optional<int> AnalizzaComuni(QCommandLineParser& parser, const QStringList& argomenti,
                                  std::initializer_list<const char*> opzioniUniche);

// Parses argomenti (argomenti[0] names the program and subcommand). Fills opzioni and returns
// nothing when the subcommand is to run; otherwise the exit status, after printing the help or
// version to stdout (0) or the problem and the usage to stderr (2).
std::optional<int> AnalizzaArgomenti(QCommandLineParser& parser, const QStringList& argomenti,
                                     OpzioniImportazione& opzioni);

// Prints a wrong-usage message and the parser's help to stderr; returns kUscitaUso.
int ErroreUso(const QCommandLineParser& parser, const QString& problema);

// A path as the core takes it (UTF-8).
std::string PercorsoLocale(const QString& percorso);

// Writes --detail and --summary as the window's export does, both built before either is written;
// with neither, prints the summary to stdout as an aligned table. Fails with the export's messages.
void ScriviUscite(const OpzioniImportazione& opzioni, const Griglia& tabella, const Griglia& riepilogo);

// The grid as a plain-text table: columns padded to their widest cell, numbers to the right.
std::string TabellaAllineata(const Griglia& griglia);

// One line on stderr.
void StampaMessaggio(const std::string& messaggio);

// Runs lavoro; a failure prints the error box's text as the last line on stderr. Returns the
// exit status.
int EseguiRiportando(const std::function<void()>& lavoro);

// Ends the process with this status once standard output and error are flushed, without freeing
// anything: the system takes the memory back at once, where freeing the grids of a large file
// buffer by buffer takes a tenth of the whole run. Only for a run whose outputs are all written.
[[noreturn]] void TerminaProcesso(int stato);

} // namespace cli
} // namespace marvento
