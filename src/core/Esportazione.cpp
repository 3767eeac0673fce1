#include "Esportazione.h"

#include "Codifica.h"
#include "Errore.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace marvento {

namespace fs = std::filesystem;

namespace {

bool SoloAscii(std::string_view testo)
{
    for (char c : testo)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// ASCII is the same in Windows-1252, so only texts with other characters pay for a conversion.
void Accoda(std::string& byte, std::string_view testo)
{
    if (SoloAscii(testo))
        byte.append(testo);
    else
        byte.append(AWindows1252(testo));
}

// The system's description without the trailing blanks, line breaks and periods that some
// platforms add; the error box adds its own period.
std::string Descrizione(const std::error_code& codice)
{
    std::string testo = codice.message();
    while (!testo.empty() && (testo.back() == ' ' || testo.back() == '\r' || testo.back() == '\n' ||
                              testo.back() == '.'))
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

std::string TestoTabulato(const Griglia& griglia)
{
    const int colonne = griglia.numeroColonne();
    const int righe = griglia.numeroRighe();
    griglia.intestazione(0); // a grid without columns fails here, before anything is built

    std::size_t stima = griglia.byteTesti();
    for (int colonna = 0; colonna < colonne; ++colonna)
        stima += griglia.intestazione(colonna).size();
    // n - 1 TABs and a CR LF on each of the r + 1 lines.
    stima += (static_cast<std::size_t>(righe) + 1) * (static_cast<std::size_t>(colonne) + 1);

    std::string byte;
    byte.reserve(stima);
    for (int colonna = 0; colonna < colonne; ++colonna) {
        if (colonna > 0)
            byte.push_back('\t');
        Accoda(byte, griglia.intestazione(colonna));
    }
    byte.append("\r\n");
    for (int riga = 0; riga < righe; ++riga) {
        for (int colonna = 0; colonna < colonne; ++colonna) {
            if (colonna > 0)
                byte.push_back('\t');
            Accoda(byte, griglia.cella(colonna, riga));
        }
        byte.append("\r\n");
    }
    return byte;
}

void ScriviFileIntero(const std::string& percorso, std::string_view byte)
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

    std::FILE*& file = temporaneo->file();
    bool scritto = byte.empty() || std::fwrite(byte.data(), 1, byte.size(), file) == byte.size();
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

} // namespace marvento
