#include "AvvioDiretto.h"

#include "Esecuzione.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#ifndef MARVENTO_LIBEXEC_RELATIVO
#define MARVENTO_LIBEXEC_RELATIVO "../libexec/marvento"
#endif

namespace marvento::cli {

namespace {

// Bytes from 0x80 up: QCommandLineParser decodes them (an invalid sequence becomes U+FFFD), so
// such a path is left to it.
bool SoloAscii(std::string_view testo)
{
    for (const char c : testo)
        if (static_cast<unsigned char>(c) >= 0x80u)
            return false;
    return true;
}

// A path that QFileInfo::absoluteFilePath leaves as it is, or only puts the working folder in front
// of: no empty, "." or ".." part and no closing "/".
bool Pulito(std::string_view percorso)
{
    if (percorso.empty() || percorso.back() == '/')
        return false;
    std::size_t inizio = percorso.front() == '/' ? 1 : 0;
    while (inizio <= percorso.size()) {
        std::size_t fine = percorso.find('/', inizio);
        if (fine == std::string_view::npos)
            fine = percorso.size();
        const std::string_view parte = percorso.substr(inizio, fine - inizio);
        if (parte.empty() || parte == "." || parte == "..")
            return false;
        inizio = fine + 1;
    }
    return true;
}

// The absolute path as the full reading gives it, or nothing when it might give another.
std::optional<std::string> Assoluto(const std::string& percorso)
{
    if (!Pulito(percorso))
        return std::nullopt;
    if (percorso.front() == '/')
        return percorso;
    char cartella[PATH_MAX];
    if (::getcwd(cartella, sizeof cartella) == nullptr || cartella[0] != '/')
        return std::nullopt;
    const std::string qui = cartella;
    if (!SoloAscii(qui)) // decoded by Qt too, as the arguments are
        return std::nullopt;
    if (qui == "/")
        return qui + percorso;
    if (!Pulito(qui))
        return std::nullopt;
    return qui + "/" + percorso;
}

} // namespace

std::optional<int> EseguiDiretto(int argc, char** argv)
{
    if (argc < 2)
        return std::nullopt;
    const std::string_view comando = argv[1];
    const bool mes = comando == "mes";
    if (!mes && comando != "rsz")
        return std::nullopt;

    std::optional<std::string> file;
    std::optional<std::string> dettaglio;
    std::optional<std::string> riepilogo;
    std::optional<std::string> separatore;
    std::optional<std::string> lunghezze;
    for (int i = 2; i < argc; ++i) {
        const std::string_view argomento = argv[i];
        if (!SoloAscii(argomento))
            return std::nullopt;
        if (argomento.substr(0, 2) != "--") {
            if (!argomento.empty() && argomento.front() == '-')
                return std::nullopt; // short options, "-", and what they might mean
            if (file)
                return std::nullopt;
            file = std::string(argomento);
            continue;
        }
        std::string_view nome = argomento.substr(2);
        std::string_view valore;
        if (const std::size_t uguale = nome.find('='); uguale != std::string_view::npos) {
            valore = nome.substr(uguale + 1);
            nome = nome.substr(0, uguale);
        } else {
            if (i + 1 >= argc)
                return std::nullopt;
            valore = argv[++i]; // the next argument, whatever it looks like, as QCommandLineParser takes it
            if (!SoloAscii(valore))
                return std::nullopt;
        }
        std::optional<std::string>* opzione = nome == "detail"                 ? &dettaglio
                                              : nome == "summary"              ? &riepilogo
                                              : nome == "decimal-separator"    ? &separatore
                                              : nome == "real-lengths" && !mes ? &lunghezze
                                                                               : nullptr;
        if (opzione == nullptr || opzione->has_value())
            return std::nullopt; // "--", --help, --version, unknown or repeated options
        *opzione = std::string(valore);
    }
    // Without --decimal-separator the separator is the locale's, which Qt reads.
    if (!file || !separatore || (*separatore != "," && *separatore != "."))
        return std::nullopt;

    OpzioniImportazione opzioni;
    opzioni.separatore = separatore->front();
    const auto percorsoFile = Assoluto(*file);
    if (!percorsoFile)
        return std::nullopt;
    opzioni.file = *percorsoFile;
    for (auto [dato, destinazione] :
         {std::pair{&dettaglio, &opzioni.dettaglio}, std::pair{&riepilogo, &opzioni.riepilogo}}) {
        if (!dato->has_value())
            continue;
        const auto percorso = Assoluto(**dato);
        if (!percorso)
            return std::nullopt;
        *destinazione = *percorso;
    }
    if (dettaglio && riepilogo && opzioni.dettaglio == opzioni.riepilogo)
        return std::nullopt; // a usage error, with the help text
    return mes ? EseguiMes(opzioni) : EseguiRsz(opzioni, lunghezze);
}

int PassaA(const char* nome, const char* descrizione, char** argv)
{
    // This program's folder: from the system, else from the name it was started by.
    std::string cartella;
    char eseguibile[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", eseguibile, sizeof eseguibile - 1);
    if (n > 0)
        cartella.assign(eseguibile, static_cast<std::size_t>(n));
    else if (argv[0] != nullptr)
        cartella = argv[0];
    cartella.erase(cartella.find_last_of('/') + 1); // all of it when there is no '/'

    std::string programma = cartella + nome;
    if (::access(programma.c_str(), X_OK) != 0)
        programma = cartella + MARVENTO_LIBEXEC_RELATIVO "/" + nome;
    ::execv(programma.c_str(), argv);
    StampaMessaggio(std::string("Impossibile avviare ") + descrizione + " (" + programma +
                    "): " + std::strerror(errno));
    return kUscitaErrore;
}

} // namespace marvento::cli
