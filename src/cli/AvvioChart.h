#pragma once
// marvento-cli chart: the drawing needs the graphics libraries, which take longer to load than a
// whole import of a small file. It runs in a program of its own, marvento-cli-chart, so that the
// other subcommands start without them.

namespace marvento::cli {

// Runs marvento-cli-chart with the same arguments and returns its exit status (on POSIX systems
// the process becomes that program). Without it: one line on stderr and kUscitaErrore.
int AvviaChart(int argc, char** argv);

} // namespace marvento::cli
