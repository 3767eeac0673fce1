#pragma once
// marvento-cli itself holds no Qt: loading Qt Core costs 2 ms at every start, a twentieth of the
// import of a 10 MB file. It reads the arguments of an import run ("mes" or "rsz", one FILE and
// options written out in full) and runs it; any other command line, and any that this reading
// might take differently from QCommandLineParser, goes to marvento-cli-qt, the program that reads
// every command (help, version, runs, chart, usage errors) with it.

#include <optional>

namespace marvento::cli {

// Runs "mes FILE ..." or "rsz FILE ..." and returns its exit status when every argument is one
// that this reading takes as the full one would; otherwise nothing, having run nothing.
std::optional<int> EseguiDiretto(int argc, char** argv);

// Becomes the program `nome`, found next to this one or else where an installation keeps it, with
// the same arguments (argv[0] included). Returns only when it cannot: one line on stderr naming
// `descrizione` and the path tried, and kUscitaErrore.
int PassaA(const char* nome, const char* descrizione, char** argv);

} // namespace marvento::cli
