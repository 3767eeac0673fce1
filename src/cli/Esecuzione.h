#pragma once
// What the import subcommands of marvento-cli do once their arguments are read, with no Qt in it:
// the exit statuses, the options of an import, the import of a .mes or .rsz file and the writing
// of its two grids, and the report of a failure. Both the program's own argument reading and the
// one that covers every option (QCommandLineParser, in Comune.h) end here.

#include <functional>
#include <optional>
#include <string>

namespace marvento {

class Griglia;

namespace cli {

inline constexpr int kUscitaRiuscita = 0;
inline constexpr int kUscitaErrore = 1; // the import or a write failed
inline constexpr int kUscitaUso = 2;    // wrong arguments

// The options that every import subcommand takes. Paths are absolute, in UTF-8.
struct OpzioniImportazione
{
    std::string file;      // FILE (the window's dialog gives an absolute path too)
    std::string dettaglio; // --detail OUT, empty when not given
    std::string riepilogo; // --summary OUT, empty when not given
    char separatore = '.'; // --decimal-separator, otherwise the locale's
};

// Sets up the allocator for a batch run; first thing in main.
void PreparaMemoria();

// marvento-cli mes: the file through the same import as "Apri File Velocita'", then its outputs.
int EseguiMes(const OpzioniImportazione& opzioni);

// marvento-cli rsz: the same through "Apri File Archi"; with lunghezzeReali (--real-lengths, the
// texts separated by ";"), these go into the summary's real-length column and the travel times
// are corrected as "Correggi Tempi" does.
int EseguiRsz(const OpzioniImportazione& opzioni, const std::optional<std::string>& lunghezzeReali);

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
