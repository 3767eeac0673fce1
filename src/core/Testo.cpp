#include "Testo.h"

#include "Codifica.h"
#include "Errore.h"
#include "Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#ifdef __linux__
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace marvento {

namespace {

const char* const kNessunaCorrispondenza =
    "No mapping for the Unicode character exists in the target multi-byte code page";

std::string PercorsoCompleto(const std::filesystem::path& nome)
{
    std::error_code errore;
    const auto assoluto = std::filesystem::absolute(nome, errore);
    if (errore)
        return nome.u8string();
    return assoluto.lexically_normal().u8string();
}

[[noreturn]] void ErroreApertura(const std::filesystem::path& nome, int codice)
{
    const std::string motivo =
        std::generic_category().message(codice != 0 ? codice : static_cast<int>(std::errc::io_error));
    throw Errore("Cannot open file \"" + PercorsoCompleto(nome) + "\". " + motivo);
}

// The whole file in one piece.
std::string LeggiFile(const std::string& percorso)
{
    const auto nome = std::filesystem::u8path(percorso);
    std::error_code errore;
    // A folder is no file: some systems let it be opened for reading, others refuse it with
    // "Permission denied". Tested first, so that every system gives the same reason.
    if (std::filesystem::is_directory(nome, errore))
        ErroreApertura(nome, EISDIR);
    errno = 0;
    std::ifstream file(nome, std::ios::binary);
    if (!file.is_open())
        ErroreApertura(nome, errno);
    // Sized once from the file's size; read on to the end in case the size was unknown (a pipe)
    // or the file grew meanwhile.
    const auto dimensione = std::filesystem::file_size(nome, errore);
    std::string byte(errore ? 0 : static_cast<std::size_t>(dimensione), '\0');
    file.read(byte.data(), static_cast<std::streamsize>(byte.size()));
    byte.resize(static_cast<std::size_t>(file.gcount()));
    if (file.eof() && !file.bad()) // the file shrank meanwhile
        return byte;
    char blocco[1 << 16];
    while (file.read(blocco, sizeof blocco) || file.gcount() > 0)
        byte.append(blocco, static_cast<std::size_t>(file.gcount()));
    if (file.bad())
        throw Errore("Stream read error");
    return byte;
}

bool Utf8Valido(std::string_view byte, std::size_t inizio)
{
    const auto* p = reinterpret_cast<const unsigned char*>(byte.data());
    std::size_t i = inizio;
    const std::size_t fine = byte.size();
    while (i < fine) {
        if (p[i] < 0x80u) {
            ++i;
            continue;
        }
        char32_t carattere = 0;
        const std::size_t lunghezza = LeggiCarattereUtf8(p + i, fine - i, carattere);
        if (lunghezza == 0)
            return false;
        i += lunghezza;
    }
    return true;
}

// UTF-16 after the two-byte mark, to UTF-8. A surrogate without its partner cannot be written
// in UTF-8; it becomes U+FFFD, which the export later writes as '?' like any character the
// code page lacks.
std::string DaUtf16(std::string_view byte, bool bigEndian)
{
    const std::size_t resto = byte.size() - 2;
    if (resto == 1)
        throw Errore(kNessunaCorrispondenza);
    const auto* p = reinterpret_cast<const unsigned char*>(byte.data()) + 2;
    const std::size_t unita = resto / 2; // an odd last byte is ignored
    auto unitaIn = [p, bigEndian](std::size_t i) -> char32_t {
        const unsigned primo = p[2 * i];
        const unsigned secondo = p[2 * i + 1];
        return bigEndian ? char32_t((primo << 8) | secondo) : char32_t((secondo << 8) | primo);
    };
    std::string testo;
    testo.reserve(unita);
    for (std::size_t i = 0; i < unita; ++i) {
        char32_t u = unitaIn(i);
        if (u >= 0xD800u && u <= 0xDBFFu && i + 1 < unita) {
            const char32_t basso = unitaIn(i + 1);
            if (basso >= 0xDC00u && basso <= 0xDFFFu) {
                AggiungiCarattereUtf8(testo, 0x10000u + ((u - 0xD800u) << 10) + (basso - 0xDC00u));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800u && u <= 0xDFFFu)
            u = 0xFFFDu;
        AggiungiCarattereUtf8(testo, u);
    }
    return testo;
}

// The lines of d[inizio, n) as [inizio, fine) ranges; returns where the text ends: U+0000 ends it,
// nothing after it is read. A line ends at CR LF, a lone CR or LF: so LF CR and CR CR LF end a line
// and then an empty one.
std::size_t Righe(const char* d, std::size_t inizio, std::size_t n, std::vector<std::size_t>& inizi,
                  std::vector<std::size_t>& fini)
{
    const void* nul = std::memchr(d + inizio, 0, n - inizio);
    const std::size_t fine = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - d) : n;
    // Room for lines of 16 bytes and more on average, so that the lists are not copied over and over
    // as they grow; room never used costs address space, not memory.
    inizi.reserve((fine - inizio) / 16 + 1);
    fini.reserve((fine - inizio) / 16 + 1);
    // The next CR and the next LF are each looked up once and remembered until passed, so every
    // byte is scanned at most once for each of them, whatever the mix of line ends.
    auto cerca = [d, fine](char c, std::size_t da) {
        const void* trovato = std::memchr(d + da, c, fine - da);
        return trovato ? static_cast<std::size_t>(static_cast<const char*>(trovato) - d) : fine;
    };
    std::size_t prossimoCr = cerca('\r', inizio);
    std::size_t prossimoLf = cerca('\n', inizio);
    std::size_t p = inizio;
    while (p < fine) {
        if (prossimoCr < p)
            prossimoCr = cerca('\r', p);
        if (prossimoLf < p)
            prossimoLf = cerca('\n', p);
        inizi.push_back(p);
        p = std::min(prossimoCr, prossimoLf);
        fini.push_back(p);
        if (p < fine && d[p] == '\r')
            ++p;
        if (p < fine && d[p] == '\n')
            ++p;
    }
    return fine;
}

ListaRighe RigheDaTesto(std::string testo, std::size_t inizio)
{
    std::vector<std::size_t> inizi;
    std::vector<std::size_t> fini;
    testo.resize(Righe(testo.data(), inizio, testo.size(), inizi, fini));
    return ListaRighe(std::move(testo), std::move(inizi), std::move(fini));
}

// Where the text begins in the bytes when they are the text already (ASCII, or UTF-8 after its
// mark); otherwise none, and the text decoded into testo.
std::optional<std::size_t> InizioTesto(std::string_view byte, std::string& testo)
{
    const auto* u = reinterpret_cast<const unsigned char*>(byte.data());
    const std::size_t n = byte.size();
    if (n >= 2 && u[0] == 0xFFu && u[1] == 0xFEu) {
        testo = DaUtf16(byte, false);
        return std::nullopt;
    }
    if (n >= 2 && u[0] == 0xFEu && u[1] == 0xFFu) {
        testo = DaUtf16(byte, true);
        return std::nullopt;
    }
    if (n >= 3 && u[0] == 0xEFu && u[1] == 0xBBu && u[2] == 0xBFu) {
        if (!Utf8Valido(byte, 3))
            throw Errore(kNessunaCorrispondenza);
        return 3; // the mark stays outside the lines
    }
    if (PrimoNonAscii(byte.data(), n) != n) {
        testo = DaWindows1252(byte);
        return std::nullopt;
    }
    return 0;
}

ListaRighe RigheDaByte(std::string byte)
{
    std::string testo;
    if (const std::optional<std::size_t> inizio = InizioTesto(byte, testo))
        return RigheDaTesto(std::move(byte), *inizio);
    return RigheDaTesto(std::move(testo), 0);
}

#ifdef __linux__
// A large file read into memory that the system maps whole before the read: memory first touched a
// page at a time costs a fault for every page, which on a virtual machine is dear (bench/README.md).
// None when the file is small, is no regular file, or changes size while read; it is then read the
// plain way.
std::optional<ListaRighe> RigheDiFileGrande(const std::string& percorso)
{
    // Only a regular file is opened here: opening a pipe would take part of its content, or leave
    // its writer without a reader, before the plain way opens it again.
    const auto nome = std::filesystem::u8path(percorso);
    struct stat prima
    {
    };
    if (::stat(nome.c_str(), &prima) != 0 || !S_ISREG(prima.st_mode) || prima.st_size < (4 << 20))
        return std::nullopt;
    const int descrittore = ::open(nome.c_str(), O_RDONLY | O_CLOEXEC);
    if (descrittore < 0)
        return std::nullopt;
    struct Chiudi
    {
        int descrittore;
        ~Chiudi() { ::close(descrittore); }
    } chiudi{descrittore};
    struct stat stato
    {
    };
    if (::fstat(descrittore, &stato) != 0 || !S_ISREG(stato.st_mode) || stato.st_size < (4 << 20))
        return std::nullopt;
    const std::size_t n = static_cast<std::size_t>(stato.st_size);
    void* zona =
        ::mmap(nullptr, n + 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (zona == MAP_FAILED)
        return std::nullopt;
    std::shared_ptr<const char> dati(static_cast<const char*>(zona),
                                     [n](const char* p) { ::munmap(const_cast<char*>(p), n + 1); });
    // n + 1 bytes asked for: a file that grew meanwhile gives more than n.
    std::size_t letti = 0;
    while (letti <= n) {
        const ssize_t parte = ::read(descrittore, static_cast<char*>(zona) + letti, n + 1 - letti);
        if (parte < 0 && errno == EINTR)
            continue;
        if (parte <= 0)
            break;
        letti += static_cast<std::size_t>(parte);
    }
    if (letti != n)
        return std::nullopt;
    std::string testo;
    if (const std::optional<std::size_t> inizio = InizioTesto(std::string_view(dati.get(), n), testo)) {
        std::vector<std::size_t> inizi;
        std::vector<std::size_t> fini;
        const std::size_t fine = Righe(dati.get(), *inizio, n, inizi, fini);
        return ListaRighe(std::move(dati), fine, std::move(inizi), std::move(fini));
    }
    return RigheDaTesto(std::move(testo), 0);
}
#endif

bool UgualiSenzaMaiuscole(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - ('a' - 'A'));
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - ('a' - 'A'));
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

ListaRighe CaricaRighe(const std::string& percorso)
{
#ifdef __linux__
    if (std::optional<ListaRighe> righe = RigheDiFileGrande(percorso))
        return std::move(*righe);
#endif
    return RigheDaByte(LeggiFile(percorso));
}

ListaRighe DecodificaRighe(std::string_view byte)
{
    return RigheDaByte(std::string(byte));
}

bool IniziaCon(std::string_view riga, std::string_view prefisso)
{
    return riga.size() >= prefisso.size() && riga.compare(0, prefisso.size(), prefisso) == 0;
}

std::string_view SenzaMargini(std::string_view testo)
{
    const std::size_t inizio = testo.find_first_not_of(" \t");
    if (inizio == std::string_view::npos)
        return {};
    return testo.substr(inizio, testo.find_last_not_of(" \t") - inizio + 1);
}

namespace {

// Cuts the line that campi has just taken.
void Taglia(char delimitatore, ListaCampi& campi)
{
    const std::string_view riga = campi.riga();
    const std::size_t n = riga.size();
    std::size_t p = 0;
    while (p < n) {
        if (riga[p] == '"') {
            // Quoted field: up to the next quote that is not doubled; "" stands for one quote.
            std::size_t q = p + 1;
            std::string conDoppie; // only filled when the field holds a doubled quote
            bool doppie = false;
            std::size_t inizio = q;
            while (q < n) {
                if (riga[q] == '"') {
                    if (q + 1 < n && riga[q + 1] == '"') {
                        conDoppie.append(riga.data() + inizio, q + 1 - inizio);
                        doppie = true;
                        q += 2;
                        inizio = q;
                        continue;
                    }
                    break;
                }
                ++q;
            }
            if (doppie)
                campi.aggiungi(conDoppie.append(riga.substr(inizio, q - inizio)));
            else
                campi.aggiungiTratto(inizio, q);
            p = q < n ? q + 1 : n; // past the closing quote
            if (p < n && riga[p] == delimitatore) {
                ++p;
                if (p == n)
                    campi.aggiungiTratto(n, n);
            }
            // Any other character begins a further field right here.
            continue;
        }
        std::size_t q = p;
        while (q < n && riga[q] != delimitatore)
            ++q;
        campi.aggiungiTratto(p, q);
        if (q == n)
            break;
        p = q + 1;
        if (p == n)
            campi.aggiungiTratto(n, n); // a final delimiter adds an empty field
    }
}

} // namespace

void DividiCampi(std::string_view riga, char delimitatore, ListaCampi& campi)
{
    campi.inizia(riga);
    Taglia(delimitatore, campi);
}

void DividiCampiPresi(std::string&& riga, char delimitatore, ListaCampi& campi)
{
    campi.inizia(std::move(riga));
    Taglia(delimitatore, campi);
}

ListaCampi DividiCampi(std::string_view riga, char delimitatore)
{
    ListaCampi campi;
    DividiCampi(riga, delimitatore, campi);
    return campi;
}

std::string SostituisciCarattere(std::string_view testo, std::string_view carattere,
                                 std::string_view sostituto)
{
    // One character is one UTF-16 unit: an ASCII byte, or one UTF-8 sequence of a code point in
    // the basic plane. Any other text equals no single character.
    bool unCarattere = carattere.size() == 1 && static_cast<unsigned char>(carattere[0]) < 0x80u;
    if (carattere.size() == 2 || carattere.size() == 3) {
        char32_t codice = 0;
        unCarattere = LeggiCarattereUtf8(reinterpret_cast<const unsigned char*>(carattere.data()),
                                         carattere.size(), codice) == carattere.size();
    }
    if (!unCarattere || testo.empty())
        return std::string(testo);

    std::string risultato;
    risultato.reserve(testo.size());
    std::size_t ultimo = 0;
    std::size_t i = testo.find(carattere);
    while (i != std::string_view::npos) {
        risultato.append(testo.data() + ultimo, i - ultimo);
        risultato.append(sostituto.data(), sostituto.size());
        ultimo = i + carattere.size();
        i = testo.find(carattere, ultimo);
    }
    risultato.append(testo.data() + ultimo, testo.size() - ultimo);
    return risultato;
}

std::string SostituisciTesto(std::string_view testo, std::string_view frase, std::string_view sostituto)
{
    if (testo.empty() || frase.empty())
        return std::string(testo);
    // Letter case is folded on ASCII letters only; other characters compare exactly.
    std::string risultato;
    risultato.reserve(testo.size());
    std::size_t ultimo = 0;
    std::size_t i = 0;
    while (i + frase.size() <= testo.size()) {
        if (UgualiSenzaMaiuscole(testo.data() + i, frase.data(), frase.size())) {
            risultato.append(testo.data() + ultimo, i - ultimo);
            risultato.append(sostituto.data(), sostituto.size());
            i += frase.size();
            ultimo = i;
        } else {
            ++i;
        }
    }
    risultato.append(testo.data() + ultimo, testo.size() - ultimo);
    return risultato;
}

} // namespace marvento
