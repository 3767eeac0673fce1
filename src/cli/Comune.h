#pragma once
// What the subcommands of marvento-cli share when their arguments are read with QCommandLineParser:
// the import options, the usage errors and the paths. The work itself is in Esecuzione.h.

#include "Esecuzione.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>
#include <string>

namespace marvento::cli {

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

} // namespace marvento::cli
