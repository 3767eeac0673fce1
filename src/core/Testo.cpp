#include "Testo.h"

#include "Codifica.h"
#include "Errore.h"
#include "Squadra.h"
#include "Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#define MARVENTO_LETTURA_POSIX 1
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#define MARVENTO_LETTURA_POSIX 0
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

// A file's bytes in a bare buffer: no string has to fill it with zeros before the read fills it.
struct Byte
{
    std::unique_ptr<char[]> dati;
    std::size_t dimensione = 0; // bytes held
    std::size_t capacita = 0;   // bytes the buffer has room for

    std::string_view vista() const { return std::string_view(dati.get(), dimensione); }
    // Room for at least n bytes in all, keeping those held.
    void riserva(std::size_t n)
    {
        if (n <= capacita)
            return;
        const std::size_t nuova = std::max(n, capacita + capacita / 2);
        std::unique_ptr<char[]> altri(new char[nuova]);
        if (dimensione > 0)
            std::memcpy(altri.get(), dati.get(), dimensione);
        dati = std::move(altri);
        capacita = nuova;
    }
};

#if MARVENTO_LETTURA_POSIX
// Reads dati[da, a) from the same offsets of the file. False when the file ended before a.
bool LeggiTratto(int descrittore, char* dati, std::size_t da, std::size_t a)
{
    while (da < a) {
        const std::size_t blocco = std::min<std::size_t>(a - da, std::size_t{1} << 30);
        const ssize_t letti = ::pread(descrittore, dati + da, blocco, static_cast<off_t>(da));
        if (letti < 0) {
            if (errno == EINTR)
                continue;
            throw Errore("Stream read error");
        }
        if (letti == 0)
            return false;
        da += static_cast<std::size_t>(letti);
    }
    return true;
}

// Reads the first n bytes of a regular file into dati, a large file on every thread of the team
// (each a part: its pages are then mapped and copied at once). False when the file ended early:
// it has shrunk since its size was taken.
bool LeggiInParti(int descrittore, char* dati, std::size_t n)
{
    Squadra& squadra = SquadraComune();
    if (n < (std::size_t{4} << 20) || squadra.fili() == 1)
        return LeggiTratto(descrittore, dati, 0, n);
    std::vector<char> completi(static_cast<std::size_t>(squadra.fili()), 0);
    squadra.esegui([&](int parte, int parti) {
        const Intervallo mio = Parte(static_cast<long long>(n), parte, parti);
        completi[static_cast<std::size_t>(parte)] = LeggiTratto(descrittore, dati, static_cast<std::size_t>(mio.inizio),
                                                                static_cast<std::size_t>(mio.fine));
    });
    return std::find(completi.begin(), completi.end(), char{0}) == completi.end();
}
#endif

// The whole file in one piece.
Byte LeggiFile(const std::string& percorso)
{
    const auto nome = std::filesystem::u8path(percorso);
    std::error_code errore;
    // A folder is no file: some systems let it be opened for reading, others refuse it with
    // "Permission denied". Tested first, so that every system gives the same reason.
    if (std::filesystem::is_directory(nome, errore))
        ErroreApertura(nome, EISDIR);
    Byte byte;
#if MARVENTO_LETTURA_POSIX
    errno = 0;
    const int descrittore = ::open(nome.c_str(), O_RDONLY | O_CLOEXEC);
    if (descrittore < 0)
        ErroreApertura(nome, errno);
    struct Chiudi
    {
        int descrittore;
        ~Chiudi() { ::close(descrittore); }
    } chiudi{descrittore};
    struct stat stato{};
    const bool regolare = ::fstat(descrittore, &stato) == 0 && S_ISREG(stato.st_mode);
    const std::size_t dimensione = regolare && stato.st_size > 0 ? static_cast<std::size_t>(stato.st_size) : 0;
    // One byte more than the size, so that a file that did not grow meets its end at once.
    byte.riserva(dimensione + 1);
    std::size_t letti = 0;
    if (dimensione > 0 && LeggiInParti(descrittore, byte.dati.get(), dimensione))
        letti = dimensione;
    // The size may have been unknown (a pipe), or the file may have changed meanwhile: read on to
    // the end, from the start when it shrank.
    for (;;) {
        byte.dimensione = letti; // kept by a growing buffer
        if (byte.capacita == letti)
            byte.riserva(letti + (std::size_t{1} << 16));
        char* const dove = byte.dati.get() + letti;
        const std::size_t spazio = byte.capacita - letti;
        const ssize_t n = regolare ? ::pread(descrittore, dove, spazio, static_cast<off_t>(letti))
                                   : ::read(descrittore, dove, spazio);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Errore("Stream read error");
        }
        if (n == 0)
            break;
        letti += static_cast<std::size_t>(n);
    }
    byte.dimensione = letti;
#else
    errno = 0;
    std::ifstream file(nome, std::ios::binary);
    if (!file.is_open())
        ErroreApertura(nome, errno);
    const auto dimensione = std::filesystem::file_size(nome, errore);
    // One byte more than the size, so that a file that did not grow meets its end in one read.
    byte.riserva((errore ? 0 : static_cast<std::size_t>(dimensione)) + 1);
    std::size_t letti = 0;
    // The size may have been unknown or the file may have grown meanwhile: read on to the end.
    while (!file.bad() && !file.eof()) {
        byte.dimensione = letti; // kept by a growing buffer
        byte.riserva(letti + 1);
        file.read(byte.dati.get() + letti, static_cast<std::streamsize>(byte.capacita - letti));
        letti += static_cast<std::size_t>(file.gcount());
    }
    if (file.bad())
        throw Errore("Stream read error");
    byte.dimensione = letti;
#endif
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

// The first line start at or after m (inizio < m < fine) in d[inizio, fine): the place after a
// line end as the cut below takes it (CR LF, a lone CR, or LF), or fine.
std::size_t InizioRigaDa(const char* d, std::size_t m, std::size_t fine)
{
    for (std::size_t q = m - 1; q < fine; ++q) {
        if (d[q] == '\n')
            return q + 1;
        if (d[q] == '\r')
            return q + 1 < fine && d[q + 1] == '\n' ? q + 2 : q + 1;
    }
    return fine;
}

// Cuts the lines that start in d[da, a) (a is a line start, or fine) of the text d[.., fine).
void TagliaTratto(const char* d, std::size_t da, std::size_t a, std::size_t fine, std::vector<std::size_t>& inizi,
                  std::vector<std::size_t>& fini)
{
    // The next CR and the next LF are each looked up with memchr and remembered until passed,
    // so every byte is scanned at most once for each of them, whatever the mix of line ends.
    auto cerca = [d, fine](char c, std::size_t p) -> std::size_t {
        const void* trovato = std::memchr(d + p, c, fine - p);
        return trovato ? static_cast<std::size_t>(static_cast<const char*>(trovato) - d) : fine;
    };
    std::size_t prossimoCr = cerca('\r', da);
    std::size_t prossimoLf = cerca('\n', da);
    std::size_t p = da;
    while (p < a) {
        if (prossimoCr < p)
            prossimoCr = cerca('\r', p);
        if (prossimoLf < p)
            prossimoLf = cerca('\n', p);
        const std::size_t s = p;
        p = std::min(prossimoCr, prossimoLf);
        inizi.push_back(s);
        fini.push_back(p);
        // One CR, then one LF: so LF CR and CR CR LF end a line and then an empty one.
        if (p < fine && d[p] == '\r')
            ++p;
        if (p < fine && d[p] == '\n')
            ++p;
    }
}

// The lines of d[inizio, n) as [inizio, fine) ranges into inizi and fini; returns where the text
// ends: U+0000 ends it, nothing after it is read. A large text is cut in parts at once, each from
// a line start, which gives the lines a cut from the beginning gives.
std::size_t TagliaRighe(const char* d, std::size_t inizio, std::size_t n, std::vector<std::size_t>& inizi,
                        std::vector<std::size_t>& fini)
{
    Squadra& squadra = SquadraComune();
    const bool grande = n - inizio >= (std::size_t{4} << 20) && squadra.fili() > 1;
    const int parti = grande ? squadra.fili() : 1;

    std::vector<std::size_t> nul(static_cast<std::size_t>(parti), n);
    auto cercaNul = [&](int parte, int numero) {
        const Intervallo mio = Parte(static_cast<long long>(n - inizio), parte, numero);
        if (const void* trovato = std::memchr(d + inizio + mio.inizio, 0, static_cast<std::size_t>(mio.fine - mio.inizio)))
            nul[static_cast<std::size_t>(parte)] = static_cast<std::size_t>(static_cast<const char*>(trovato) - d);
    };
    if (grande)
        squadra.esegui(cercaNul);
    else
        cercaNul(0, 1);
    const std::size_t fine = *std::min_element(nul.begin(), nul.end());

    // Room for lines of 16 bytes and more on average, so that a large file is not copied over and
    // over as the lists grow; room never used costs no memory pages.
    inizi.reserve((fine - inizio) / 16 + 1);
    fini.reserve((fine - inizio) / 16 + 1);
    if (!grande) {
        TagliaTratto(d, inizio, fine, fine, inizi, fini);
        return fine;
    }
    std::vector<std::size_t> confini(static_cast<std::size_t>(parti) + 1, fine);
    confini[0] = inizio;
    for (int parte = 1; parte < parti; ++parte) {
        const std::size_t m = inizio + static_cast<std::size_t>(Parte(static_cast<long long>(fine - inizio), parte, parti).inizio);
        confini[static_cast<std::size_t>(parte)] =
            std::max(confini[static_cast<std::size_t>(parte) - 1], m > inizio && m < fine ? InizioRigaDa(d, m, fine) : fine);
    }
    // The first part cuts straight into the lists, the others into their own, appended after.
    std::vector<std::vector<std::size_t>> altriInizi(static_cast<std::size_t>(parti));
    std::vector<std::vector<std::size_t>> altriFini(static_cast<std::size_t>(parti));
    squadra.esegui([&](int parte, int) {
        const std::size_t i = static_cast<std::size_t>(parte);
        if (parte == 0)
            TagliaTratto(d, confini[0], confini[1], fine, inizi, fini);
        else
            TagliaTratto(d, confini[i], confini[i + 1], fine, altriInizi[i], altriFini[i]);
    });
    for (std::size_t i = 1; i < altriInizi.size(); ++i) {
        inizi.insert(inizi.end(), altriInizi[i].begin(), altriInizi[i].end());
        fini.insert(fini.end(), altriFini[i].begin(), altriFini[i].end());
    }
    return fine;
}

ListaRighe RigheDaTesto(std::string testo, std::size_t inizio)
{
    std::vector<std::size_t> inizi;
    std::vector<std::size_t> fini;
    testo.resize(TagliaRighe(testo.data(), inizio, testo.size(), inizi, fini));
    return ListaRighe(std::move(testo), std::move(inizi), std::move(fini));
}

// The position of the first byte from 0x80 up, or the size; a large text is searched in parts at once.
std::size_t PrimoNonAsciiInParti(std::string_view testo)
{
    Squadra& squadra = SquadraComune();
    if (testo.size() < (std::size_t{4} << 20) || squadra.fili() == 1)
        return PrimoNonAscii(testo.data(), testo.size());
    std::vector<std::size_t> primi(static_cast<std::size_t>(squadra.fili()), testo.size());
    squadra.esegui([&](int parte, int parti) {
        const Intervallo mio = Parte(static_cast<long long>(testo.size()), parte, parti);
        const std::size_t n = static_cast<std::size_t>(mio.fine - mio.inizio);
        const std::size_t primo = PrimoNonAscii(testo.data() + mio.inizio, n);
        if (primo < n)
            primi[static_cast<std::size_t>(parte)] = static_cast<std::size_t>(mio.inizio) + primo;
    });
    return *std::min_element(primi.begin(), primi.end());
}

ListaRighe RigheDaByte(Byte byte)
{
    const std::string_view vista = byte.vista();
    const auto* u = reinterpret_cast<const unsigned char*>(vista.data());
    const std::size_t n = vista.size();
    if (n >= 2 && u[0] == 0xFFu && u[1] == 0xFEu)
        return RigheDaTesto(DaUtf16(vista, false), 0);
    if (n >= 2 && u[0] == 0xFEu && u[1] == 0xFFu)
        return RigheDaTesto(DaUtf16(vista, true), 0);
    std::size_t inizio = 0;
    if (n >= 3 && u[0] == 0xEFu && u[1] == 0xBBu && u[2] == 0xBFu) {
        if (!Utf8Valido(vista, 3))
            throw Errore(kNessunaCorrispondenza);
        inizio = 3; // already the text; the mark stays outside the lines
    } else if (PrimoNonAsciiInParti(vista) != n) {
        return RigheDaTesto(DaWindows1252(vista), 0);
    }
    // The bytes are the text: the lines point into the buffer as it was read.
    std::vector<std::size_t> inizi;
    std::vector<std::size_t> fini;
    const std::size_t fine = TagliaRighe(byte.dati.get(), inizio, n, inizi, fini);
    return ListaRighe(std::move(byte.dati), fine, std::move(inizi), std::move(fini));
}

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
    return RigheDaByte(LeggiFile(percorso));
}

ListaRighe DecodificaRighe(std::string_view byte)
{
    Byte copia;
    copia.riserva(byte.size() + 1);
    if (!byte.empty())
        std::memcpy(copia.dati.get(), byte.data(), byte.size());
    copia.dimensione = byte.size();
    return RigheDaByte(std::move(copia));
}

bool IniziaCon(std::string_view riga, std::string_view prefisso)
{
    return riga.size() >= prefisso.size() && riga.compare(0, prefisso.size(), prefisso) == 0;
}

void DividiCampi(std::string_view riga, char delimitatore, ListaCampi& campi)
{
    campi.svuota();
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
            const std::string_view coda = riga.substr(inizio, q - inizio);
            if (doppie) {
                conDoppie.append(coda.data(), coda.size());
                campi.aggiungi(conDoppie);
            } else {
                campi.aggiungi(coda);
            }
            p = q < n ? q + 1 : n; // past the closing quote
            if (p < n && riga[p] == delimitatore) {
                ++p;
                if (p == n)
                    campi.aggiungi({});
            }
            // Any other character begins a further field right here.
            continue;
        }
        std::size_t q = riga.find(delimitatore, p);
        if (q == std::string_view::npos)
            q = n;
        campi.aggiungi(riga.substr(p, q - p));
        if (q == n)
            break;
        p = q + 1;
        if (p == n)
            campi.aggiungi({}); // a final delimiter adds an empty field
    }
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
