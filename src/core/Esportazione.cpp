#include "Esportazione.h"

#include "Codifica.h"
#include "Errore.h"
#include "Parallelo.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

namespace marvento {

namespace fs = std::filesystem;

namespace {

// The system's description without the trailing blanks, line breaks and periods that some
// platforms add; the error box adds its own period.
std::string Descrizione(const std::error_code& codice)
{
    std::string testo = codice.message();
    while (!testo.empty() &&
           (testo.back() == ' ' || testo.back() == '\r' || testo.back() == '\n' || testo.back() == '.'))
        testo.pop_back();
    return testo;
}

[[noreturn]] void ErroreCreazione(const fs::path& percorso, const std::error_code& codice)
{
    throw Errore("Cannot create file \"" + percorso.u8string() + "\". " + Descrizione(codice));
}

// fopen with the path in the system's own characters (wide on Windows).
std::FILE* ApriCon(const fs::path& percorso, [[maybe_unused]] const char* modo,
                   [[maybe_unused]] const wchar_t* modoLargo)
{
#ifdef _WIN32
    return _wfopen(percorso.c_str(), modoLargo);
#else
    return std::fopen(percorso.c_str(), modo);
#endif
}

std::FILE* Apri(const fs::path& percorso, bool nuovo)
{
    // "x": never open a file that someone else created under the same name.
    return nuovo ? ApriCon(percorso, "wbx", L"wbx") : ApriCon(percorso, "ab", L"ab");
}

std::FILE* ApriLettura(const fs::path& percorso)
{
    return ApriCon(percorso, "rb", L"rb");
}

// Opens a file for writing from its start, as it is: for targets that are not regular files.
std::FILE* ApriDiretto(const fs::path& percorso)
{
    return ApriCon(percorso, "wb", L"wb");
}

std::error_code UltimoErrore()
{
    return std::error_code(errno, std::generic_category());
}

// Removes the temporary file unless the rename took it over.
class FileTemporaneo
{
  public:
    explicit FileTemporaneo(fs::path percorso) : percorso_(std::move(percorso)) {}
    FileTemporaneo(const FileTemporaneo&) = delete;
    FileTemporaneo& operator=(const FileTemporaneo&) = delete;
    ~FileTemporaneo()
    {
        if (file_)
            std::fclose(file_);
        if (!consegnato_) {
            std::error_code ignorato;
            fs::remove(percorso_, ignorato);
        }
    }
    const fs::path& percorso() const { return percorso_; }
    std::FILE*& file() { return file_; }
    void consegnato() { consegnato_ = true; }

  private:
    fs::path percorso_;
    std::FILE* file_ = nullptr;
    bool consegnato_ = false;
};

} // namespace

namespace {

// Appends the lines of rows prima..fine-1 (the header line first when conIntestazione): TAB between
// fields, CR LF after every line, in the system's code page. The cells are kept column by column,
// so the lines are laid out by their lengths first, and then each column, in one pass down its rows,
// puts its texts at their places: read row by row, every cell would be in another part of memory.
void AggiungiRighe(const Griglia& griglia, int prima, int fine, bool conIntestazione, std::string& byte)
{
    const int colonne = griglia.numeroColonne();
    const std::size_t salto = conIntestazione ? 1 : 0;
    // Where each line starts, from the start of the block; n - 1 TABs and a CR LF on every line.
    std::vector<std::size_t> posto(static_cast<std::size_t>(fine - prima) + salto + 1, 0);
    std::vector<std::string_view> testi;
    for (int c = 0; c < colonne; ++c) {
        if (conIntestazione)
            posto[1] += griglia.intestazione(c).size() + 1;
        griglia.testiColonna(c, prima, fine, testi);
        for (std::size_t r = 0; r < testi.size(); ++r)
            posto[r + salto + 1] += testi[r].size() + 1;
    }
    const std::size_t inizio = byte.size();
    posto[0] = inizio;
    for (std::size_t l = 1; l < posto.size(); ++l)
        posto[l] += posto[l - 1] + 1;
    byte.resize(posto.back());
    auto scrivi = [&](std::size_t linea, std::string_view testo, bool ultima) {
        std::size_t& p = posto[linea];
        testo.copy(byte.data() + p, testo.size());
        p += testo.size();
        if (ultima)
            byte[p++] = '\r';
        byte[p++] = ultima ? '\n' : '\t';
    };
    for (int c = 0; c < colonne; ++c) {
        const bool ultima = c + 1 == colonne;
        if (conIntestazione)
            scrivi(0, griglia.intestazione(c), ultima);
        griglia.testiColonna(c, prima, fine, testi);
        for (std::size_t r = 0; r < testi.size(); ++r)
            scrivi(r + salto, testi[r], ultima);
    }
    byte.replace(inizio, std::string::npos, AWindows1252(std::string_view(byte).substr(inizio)));
}

} // namespace

std::string TestoTabulato(const Griglia& griglia)
{
    griglia.intestazione(0); // a grid without columns fails here, before anything is built
    std::string byte;
    AggiungiRighe(griglia, 0, griglia.numeroRighe(), true, byte);
    return byte;
}

namespace {

// Where a write goes: the path as the user named it (for the messages), the file it reaches (a
// link's target) and that file's state before the write.
struct Destinazione
{
    fs::path assoluto;
    fs::path reale;
    fs::file_status stato;
    bool esiste = false;
};

Destinazione TrovaDestinazione(const std::string& percorso)
{
    Destinazione d;
    const fs::path richiesto = fs::u8path(percorso);
    std::error_code codice;
    d.assoluto = fs::absolute(richiesto, codice);
    d.assoluto = codice ? richiesto : d.assoluto.lexically_normal();

    // Writing to a link writes the file it points to, as opening it for writing would.
    d.reale = d.assoluto;
    if (fs::is_symlink(fs::symlink_status(d.assoluto, codice))) {
        fs::path risolto = fs::weakly_canonical(d.assoluto, codice);
        if (!codice)
            d.reale = risolto;
    }

    // An existing file that could not be opened for writing (read-only, held by another program)
    // must not be replaced behind its back; opening it to append changes nothing in it.
    d.stato = fs::status(d.reale, codice);
    d.esiste = fs::exists(d.stato);
    if (d.esiste) {
        std::FILE* prova = Apri(d.reale, false);
        if (!prova)
            ErroreCreazione(d.assoluto, UltimoErrore());
        std::fclose(prova);
    }
    return d;
}

// A new file of its own in the folder, open for writing; messages name the user's path.
std::unique_ptr<FileTemporaneo> CreaTemporaneo(const fs::path& cartella, const fs::path& assoluto)
{
    std::random_device casuale;
    for (int tentativo = 0;; ++tentativo) {
        char nome[40];
        std::snprintf(nome, sizeof nome, ".marvento-%08x%08x.tmp", casuale(), casuale());
        fs::path candidato = cartella / nome;
        std::FILE* file = Apri(candidato, true);
        if (!file) {
            if (errno == EEXIST && tentativo < 100)
                continue;
            ErroreCreazione(assoluto, UltimoErrore());
        }
        auto temporaneo = std::make_unique<FileTemporaneo>(candidato);
        temporaneo->file() = file;
        return temporaneo;
    }
}

#ifdef SIGXFSZ
// Beyond the process's file size limit the system ends the program with this signal, which would
// leave the temporary file behind; ignored, the write fails like on a full disk.
struct IgnoraLimiteFile
{
    void (*prima)(int) = std::signal(SIGXFSZ, SIG_IGN);
    IgnoraLimiteFile() = default;
    IgnoraLimiteFile(const IgnoraLimiteFile&) = delete;
    IgnoraLimiteFile& operator=(const IgnoraLimiteFile&) = delete;
    ~IgnoraLimiteFile()
    {
        if (prima != SIG_ERR)
            std::signal(SIGXFSZ, prima);
    }
};
#else
struct IgnoraLimiteFile
{
};
#endif

// Closes the temporary file; false when its last bytes did not reach the disk.
bool Chiudi(FileTemporaneo& temporaneo)
{
    std::FILE*& file = temporaneo.file();
    if (!file)
        return true;
    bool chiuso = std::fflush(file) == 0;
    chiuso = std::fclose(file) == 0 && chiuso;
    file = nullptr;
    return chiuso;
}

// The complete temporary file replaces the target, with the target's permissions.
void Consegna(FileTemporaneo& temporaneo, const Destinazione& d)
{
    std::error_code codice;
    if (d.esiste)
        fs::permissions(temporaneo.percorso(), d.stato.permissions(), codice); // best effort: keep the mode
    fs::rename(temporaneo.percorso(), d.reale, codice);
    if (codice)
        ErroreCreazione(d.assoluto, codice);
    temporaneo.consegnato();
}

// Writes a file as ScriviFileIntero describes; scrivi puts the content into the open file and
// returns false when a write failed.
void ScriviFile(const std::string& percorso, const std::function<bool(std::FILE*)>& scrivi)
{
    const Destinazione d = TrovaDestinazione(percorso);

    // A device or a pipe (a terminal, /dev/stdout) holds no content to protect, and renaming a
    // file over it would replace the device's name: such a target is written straight.
    if (d.esiste && !fs::is_regular_file(d.stato)) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> diretto(ApriDiretto(d.reale), &std::fclose);
        if (!diretto)
            ErroreCreazione(d.assoluto, UltimoErrore());
        bool fatto = scrivi(diretto.get());
        fatto = std::fflush(diretto.get()) == 0 && fatto;
        fatto = std::fclose(diretto.release()) == 0 && fatto;
        if (!fatto)
            throw Errore("Stream write error");
        return;
    }

    // The new content goes to a file of its own in the same folder (so that the rename stays on
    // one file system) and replaces the target only once it is whole.
    const auto temporaneo = CreaTemporaneo(d.reale.parent_path(), d.assoluto);
    [[maybe_unused]] const IgnoraLimiteFile ignoraLimiteFile;
    bool scritto = scrivi(temporaneo->file());
    scritto = Chiudi(*temporaneo) && scritto;
    if (!scritto)
        throw Errore("Stream write error");
    Consegna(*temporaneo, d);
}

} // namespace

void ScriviFileTramite(const std::string& percorso, const std::function<void(const std::string&)>& scrivi)
{
    const Destinazione d = TrovaDestinazione(percorso);
    [[maybe_unused]] const IgnoraLimiteFile ignoraLimiteFile;
    if (d.esiste && !fs::is_regular_file(d.stato)) {
        // A device takes the bytes as they come: they are made whole in the system's temporary
        // folder first, then copied.
        std::error_code codice;
        const fs::path cartella = fs::temp_directory_path(codice);
        if (codice)
            ErroreCreazione(d.assoluto, codice);
        const auto temporaneo = CreaTemporaneo(cartella, d.assoluto);
        if (!Chiudi(*temporaneo))
            throw Errore("Stream write error");
        scrivi(temporaneo->percorso().u8string());
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> letto(ApriLettura(temporaneo->percorso()),
                                                              &std::fclose);
        if (!letto)
            ErroreCreazione(d.assoluto, UltimoErrore());
        ScriviFile(percorso, [&](std::FILE* file) {
            char blocco[1 << 16];
            std::size_t n = 0;
            while ((n = std::fread(blocco, 1, sizeof blocco, letto.get())) > 0)
                if (std::fwrite(blocco, 1, n, file) != n)
                    return false;
            return std::ferror(letto.get()) == 0;
        });
        return;
    }
    const auto temporaneo = CreaTemporaneo(d.reale.parent_path(), d.assoluto);
    // The writer opens the file by its name.
    if (!Chiudi(*temporaneo))
        throw Errore("Stream write error");
    scrivi(temporaneo->percorso().u8string());
    Consegna(*temporaneo, d);
}

void ScriviFileIntero(const std::string& percorso, std::string_view byte)
{
    ScriviFile(percorso, [byte](std::FILE* file) {
        return byte.empty() || std::fwrite(byte.data(), 1, byte.size(), file) == byte.size();
    });
}

void ScriviTabulato(const Griglia& griglia, const std::string& percorso)
{
    griglia.intestazione(0); // fails for a grid without columns before any file is touched
    ScriviFile(percorso, [&](std::FILE* file) {
        // Blocks of about 2 MB of lines: a large grid never has its whole text in memory, and the
        // lines that a block writes at once stay in the processor's caches. The processors build
        // one block each at once; the blocks go to the file in their order.
        const int righe = griglia.numeroRighe();
        const int perBlocco = std::max(1, (2 << 20) / (8 * griglia.numeroColonne()));
        std::vector<std::string> blocchi(static_cast<std::size_t>(ProcessoriDisponibili()));
        for (long long prima = 0; prima == 0 || prima < righe;) {
            const long long dopo =
                std::min<long long>(prima + static_cast<long long>(blocchi.size()) * perBlocco, righe);
            PerIntervalli(std::max<long long>(1, (dopo - prima + perBlocco - 1) / perBlocco),
                          (dopo - prima) * griglia.numeroColonne(), [&](long long primo, long long fine) {
                              for (long long b = primo; b < fine; ++b) {
                                  std::string& byte = blocchi[static_cast<std::size_t>(b)];
                                  const long long inizio = prima + b * perBlocco;
                                  byte.clear();
                                  AggiungiRighe(
                                      griglia, static_cast<int>(inizio),
                                      static_cast<int>(std::min<long long>(inizio + perBlocco, righe)),
                                      inizio == 0, byte);
                              }
                          });
            for (std::string& byte : blocchi) {
                if (!byte.empty() && std::fwrite(byte.data(), 1, byte.size(), file) != byte.size())
                    return false;
                byte.clear();
            }
            prima = std::max(dopo, prima + 1);
        }
        return true;
    });
}

} // namespace marvento
