#include "Esportazione.h"

#include "Codifica.h"
#include "CopiaBreve.h"
#include "Errore.h"
#include "Squadra.h"
#include "Utf8.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

namespace marvento {

namespace fs = std::filesystem;

namespace {

// Windows-1252 keeps ASCII as it is and never takes more bytes than UTF-8, so the text is built as
// it is held and the runs of other characters are converted afterwards, in place.
void ConvertiInLuogo(std::string& byte)
{
    auto nonAscii = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    // Most exports are pure ASCII: eight bytes at a time tell so.
    const std::size_t primo = PrimoNonAscii(byte.data(), byte.size());
    if (primo == byte.size())
        return;
    auto lettura = byte.begin() + static_cast<std::ptrdiff_t>(primo);
    auto scrittura = lettura;
    while (lettura != byte.end()) {
        // A UTF-8 character is all non-ASCII bytes, so a run never cuts one (nor spans two cells).
        auto fineRun = std::find_if_not(lettura, byte.end(), nonAscii);
        std::string convertito =
            AWindows1252(std::string_view(&*lettura, static_cast<std::size_t>(fineRun - lettura)));
        scrittura = std::copy(convertito.begin(), convertito.end(), scrittura);
        lettura = std::find_if(fineRun, byte.end(), nonAscii);
        scrittura = std::copy(fineRun, lettura, scrittura);
    }
    byte.erase(scrittura, byte.end());
}

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

std::FILE* Apri(const fs::path& percorso, bool nuovo)
{
    // "x": never open a file that someone else created under the same name.
#ifdef _WIN32
    return _wfopen(percorso.c_str(), nuovo ? L"wbx" : L"ab");
#else
    return std::fopen(percorso.c_str(), nuovo ? "wbx" : "ab");
#endif
}

// Opens a file for writing from its start, as it is: for targets that are not regular files.
std::FILE* ApriDiretto(const fs::path& percorso)
{
#ifdef _WIN32
    return _wfopen(percorso.c_str(), L"wb");
#else
    return std::fopen(percorso.c_str(), "wb");
#endif
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

// Builds the export a block of rows at a time, so that a large grid can be written without its whole
// text in memory; the scratch lists are kept from one block to the next.
class BlocchiTabulato
{
  public:
    explicit BlocchiTabulato(const Griglia& griglia) : griglia_(griglia)
    {
        griglia.intestazione(0); // a grid without columns fails here, before anything is built
    }

    // Replaces byte with the lines of rows prima..prima+quante-1, after the header line when
    // conIntestazione, in the system's code page.
    void costruisci(int prima, int quante, bool conIntestazione, std::string& byte)
    {
        const int colonne = griglia_.numeroColonne();
        // The cells are stored column by column, so both passes walk down one column at a time and
        // put each text straight at its place in its line; line 0 is the header line when there is one.
        const std::size_t salto = conIntestazione ? 1 : 0;
        const std::size_t linee = static_cast<std::size_t>(quante) + salto;

        // n - 1 TABs and a CR LF on every line.
        posizione_.assign(linee, static_cast<std::size_t>(colonne) + 1);
        lunghezze_.assign(static_cast<std::size_t>(quante), 0);
        for (int colonna = 0; colonna < colonne; ++colonna) {
            if (conIntestazione)
                posizione_[0] += griglia_.intestazione(colonna).size();
            griglia_.aggiungiLunghezzeColonna(colonna, prima, quante, lunghezze_);
        }
        for (std::size_t riga = 0; riga < lunghezze_.size(); ++riga)
            posizione_[riga + salto] += lunghezze_[riga];
        std::size_t totale = 0;
        for (std::size_t& inizio : posizione_)
            totale += std::exchange(inizio, totale);
        // Where each line ends: a short text far enough from the end of its line is copied
        // kMargine bytes at once, the bytes beyond it being written afterwards.
        fineLinea_.assign(posizione_.begin() + 1, posizione_.end());
        fineLinea_.push_back(totale);

        byte.resize(totale);
        char* const base = byte.data();
        bool margine = false; // the texts of the column can be read kMargine bytes beyond their end
        auto scrivi = [&](std::size_t linea, std::string_view campo, bool ultima) {
            char* punto = base + posizione_[linea];
            if (margine && campo.size() - 1 < kMargine && fineLinea_[linea] - posizione_[linea] >= kMargine)
                std::memcpy(punto, campo.data(), kMargine);
            else
                CopiaBreve(punto, campo.data(), campo.size());
            punto += campo.size();
            if (ultima) {
                *punto++ = '\r';
                *punto++ = '\n';
            } else {
                *punto++ = '\t';
            }
            posizione_[linea] = static_cast<std::size_t>(punto - base);
        };
        for (int colonna = 0; colonna < colonne; ++colonna) {
            const bool ultima = colonna == colonne - 1;
            margine = false;
            if (conIntestazione)
                scrivi(0, griglia_.intestazione(colonna), ultima);
            margine = griglia_.colonnaNelBuffer(colonna);
            griglia_.perOgniTestoColonna(colonna, prima, quante, [&](std::size_t riga, std::string_view testo) {
                scrivi(riga + salto, testo, ultima);
            });
        }
        ConvertiInLuogo(byte);
    }

  private:
    const Griglia& griglia_;
    std::vector<std::size_t> posizione_;
    std::vector<std::size_t> fineLinea_;
    std::vector<std::size_t> lunghezze_;
};

} // namespace

std::string TestoTabulato(const Griglia& griglia)
{
    BlocchiTabulato blocchi(griglia);
    std::string byte;
    blocchi.costruisci(0, griglia.numeroRighe(), true, byte);
    return byte;
}

namespace {

// Writes a file as ScriviFileIntero describes; scrivi puts the content into the open file and
// returns false when a write failed.
void ScriviFile(const std::string& percorso, const std::function<bool(std::FILE*)>& scrivi)
{
    const fs::path richiesto = fs::u8path(percorso);
    std::error_code codice;
    fs::path assoluto = fs::absolute(richiesto, codice);
    assoluto = codice ? richiesto : assoluto.lexically_normal();

    // Writing to a link writes the file it points to, as opening it for writing would.
    fs::path reale = assoluto;
    if (fs::is_symlink(fs::symlink_status(assoluto, codice))) {
        fs::path risolto = fs::weakly_canonical(assoluto, codice);
        if (!codice)
            reale = risolto;
    }

    // An existing file that could not be opened for writing (read-only, held by another program)
    // must not be replaced behind its back; opening it to append changes nothing in it.
    const auto stato = fs::status(reale, codice);
    const bool esiste = fs::exists(stato);
    if (esiste) {
        std::FILE* prova = Apri(reale, false);
        if (!prova)
            ErroreCreazione(assoluto, UltimoErrore());
        std::fclose(prova);
    }

    // A device or a pipe (a terminal, /dev/stdout) holds no content to protect, and renaming a
    // file over it would replace the device's name: such a target is written straight.
    if (esiste && !fs::is_regular_file(stato)) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> diretto(ApriDiretto(reale), &std::fclose);
        if (!diretto)
            ErroreCreazione(assoluto, UltimoErrore());
        bool fatto = scrivi(diretto.get());
        fatto = std::fflush(diretto.get()) == 0 && fatto;
        fatto = std::fclose(diretto.release()) == 0 && fatto;
        if (!fatto)
            throw Errore("Stream write error");
        return;
    }

    // The new content goes to a file of its own in the same folder (so that the rename stays on
    // one file system) and replaces the target only once it is whole.
    std::random_device casuale;
    std::unique_ptr<FileTemporaneo> temporaneo;
    for (int tentativo = 0; !temporaneo; ++tentativo) {
        char nome[40];
        std::snprintf(nome, sizeof nome, ".marvento-%08x%08x.tmp", casuale(), casuale());
        fs::path candidato = reale.parent_path() / nome;
        std::FILE* file = Apri(candidato, true);
        if (!file) {
            if (errno == EEXIST && tentativo < 100)
                continue;
            ErroreCreazione(assoluto, UltimoErrore());
        }
        temporaneo = std::make_unique<FileTemporaneo>(candidato);
        temporaneo->file() = file;
    }

#ifdef SIGXFSZ
    // Beyond the process's file size limit the system ends the program with this signal, which
    // would leave the temporary file behind; ignored, the write fails like on a full disk.
    struct IgnoraLimiteFile
    {
        void (*prima)(int) = std::signal(SIGXFSZ, SIG_IGN);
        ~IgnoraLimiteFile()
        {
            if (prima != SIG_ERR)
                std::signal(SIGXFSZ, prima);
        }
    } ignoraLimiteFile;
#endif

    std::FILE*& file = temporaneo->file();
    bool scritto = scrivi(file);
    scritto = std::fflush(file) == 0 && scritto;
    scritto = std::fclose(file) == 0 && scritto;
    file = nullptr;
    if (!scritto)
        throw Errore("Stream write error");

    if (esiste)
        fs::permissions(temporaneo->percorso(), stato.permissions(), codice); // best effort: keep the mode
    fs::rename(temporaneo->percorso(), reale, codice);
    if (codice)
        ErroreCreazione(assoluto, codice);
    temporaneo->consegnato();
}

} // namespace

void ScriviFileIntero(const std::string& percorso, std::string_view byte)
{
    ScriviFile(percorso, [byte](std::FILE* file) {
        return byte.empty() || std::fwrite(byte.data(), 1, byte.size(), file) == byte.size();
    });
}

void ScriviTabulato(const Griglia& griglia, const std::string& percorso, std::size_t byteBlocco)
{
    griglia.intestazione(0); // fails for a grid without columns before any file is touched
    const int righe = griglia.numeroRighe();
    // Rows per block, judged at four bytes a cell.
    const std::size_t bytePerRiga = 4 * static_cast<std::size_t>(griglia.numeroColonne()) + 2;
    int perBlocco = static_cast<int>(std::clamp<std::size_t>(byteBlocco / bytePerRiga, 1, INT_MAX));
    // Enough blocks for every thread to take several, as long as a block keeps some 256 KB:
    // otherwise a grid of one or two blocks would be built by one thread alone.
    const int fili = SquadraComune().fili();
    const int perFilo = static_cast<int>((static_cast<long long>(righe) + 4 * fili - 1) / (4 * fili));
    const int minimo = static_cast<int>(std::clamp<std::size_t>((std::size_t{256} << 10) / bytePerRiga, 1, INT_MAX));
    perBlocco = std::min(perBlocco, std::max(perFilo, minimo));
    const long long blocchi = std::max<long long>(1, (static_cast<long long>(righe) + perBlocco - 1) / perBlocco);
    ScriviFile(percorso, [&](std::FILE* file) {
        // The threads of the team take the blocks in turn, each building its next block while the
        // others build or write theirs; the blocks reach the file in their order.
        std::mutex mutex;
        std::condition_variable turno;
        long long prossimo = 0; // the block whose turn it is to be written
        bool fermo = false;     // a write failed or a block could not be built: nobody goes on
        bool scritto = true;
        // The parts wait for one another's writes: one thread alone (a busy team) takes every block.
        const std::function<void(int, int)> costruisciEScrivi = [&](int parte, int parti) {
            BlocchiTabulato costruttore(griglia);
            std::string byte;
            for (long long blocco = parte; blocco < blocchi; blocco += parti) {
                const int inizio = static_cast<int>(blocco * perBlocco);
                try {
                    costruttore.costruisci(inizio, std::min(perBlocco, righe - inizio), blocco == 0, byte);
                } catch (...) {
                    const std::lock_guard<std::mutex> fine(mutex);
                    fermo = true;
                    turno.notify_all();
                    throw;
                }
                std::unique_lock<std::mutex> attesa(mutex);
                turno.wait(attesa, [&] { return fermo || prossimo == blocco; });
                if (fermo)
                    return;
                attesa.unlock();
                const bool riuscito = byte.empty() || std::fwrite(byte.data(), 1, byte.size(), file) == byte.size();
                attesa.lock();
                if (!riuscito) {
                    scritto = false;
                    fermo = true;
                }
                ++prossimo;
                turno.notify_all();
            }
        };
        if (!SquadraComune().eseguiInsieme(costruisciEScrivi))
            costruisciEScrivi(0, 1);
        return scritto;
    });
}

} // namespace marvento
