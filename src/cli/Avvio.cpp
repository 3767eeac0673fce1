// marvento-cli: batch work on the same core as the window. An import run ("mes" or "rsz" with its
// options written out) runs here, without Qt; chart goes to marvento-cli-chart, and every other
// command line to marvento-cli-qt, which reads them all (see AvvioDiretto.h).
#include "AvvioDiretto.h"
#include "Esecuzione.h"

#include <cstring>

int main(int argc, char** argv)
{
    marvento::cli::PreparaMemoria();
    if (argc > 1 && std::strcmp(argv[1], "chart") == 0)
        return marvento::cli::PassaA("marvento-cli-chart", "il programma del comando chart", argv);
    if (const auto uscita = marvento::cli::EseguiDiretto(argc, argv))
        return *uscita;
    return marvento::cli::PassaA("marvento-cli-qt", "il programma delle opzioni di marvento-cli", argv);
}
