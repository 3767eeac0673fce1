#include "QuoteRiga.h"

#include <cstdint>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MARVENTO_QUOTE_VETTORI 1
#include <immintrin.h>
#endif

namespace marvento {

namespace {

// The bytes [inizio, fine) of riga that the share starting at field `primo` covers, up to where the
// cleaned line ends (its last character that is not a blank, less a final ";"); dopo(testo, n) finds
// the place after the n-th ";". False for a line of blanks only or one with fewer fields.
template <typename Dopo>
bool EstremiQuota(std::string_view riga, std::size_t primo, Dopo dopo, std::size_t& inizio, std::size_t& fine)
{
    fine = riga.find_last_not_of(' ');
    if (fine == std::string_view::npos)
        return false;
    if (riga[fine] != ';')
        ++fine;
    inizio = primo > 0 ? dopo(riga.substr(0, fine), primo) : 0;
    return inizio != std::string_view::npos;
}

// What both cuts leave once the bytes are done: true when the share holds its fields, the last one
// running to the end of the line when no ";" closed it.
bool ChiudiQuota(std::size_t trovati, std::size_t campi, bool ultima, std::size_t uscita, std::string& pulite,
                 std::vector<std::size_t>& fini, std::size_t base)
{
    pulite.resize(uscita);
    if (trovati + (ultima ? 1 : 0) < campi)
        return false;
    if (trovati < campi)
        fini[base + trovati] = uscita;
    fini.resize(base + campi);
    return true;
}

// Eight bytes at a time, since a thread may have to pass thousands of fields to reach its share.
std::size_t DopoPuntiEVirgolaPerParole(std::string_view testo, std::size_t n)
{
    std::size_t i = 0;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr std::uint64_t kUno = 0x0101010101010101u;
    constexpr std::uint64_t kBassi = 0x7F7F7F7F7F7F7F7Fu;
    for (; i + 8 <= testo.size(); i += 8) {
        std::uint64_t parola = 0;
        std::memcpy(&parola, testo.data() + i, 8);
        const std::uint64_t x = parola ^ (kUno * static_cast<unsigned char>(';'));
        // The high bit of every byte that is ";", and of no other (no borrow crosses bytes).
        std::uint64_t trovati = ~(((x & kBassi) + kBassi) | x | kBassi);
        // One bit per byte at most: their sum, gathered in the top byte, counts them.
        const std::size_t quanti = static_cast<std::size_t>(((trovati >> 7) * kUno) >> 56);
        if (quanti < n) {
            n -= quanti;
            continue;
        }
        for (; trovati != 0; trovati &= trovati - 1) {
            // The lowest bits are the first byte: this path is built for little-endian machines only.
            const std::size_t byte = static_cast<std::size_t>(__builtin_ctzll(trovati)) / 8;
            if (--n == 0)
                return i + byte + 1;
        }
    }
#endif
    for (; i < testo.size(); ++i)
        if (testo[i] == ';' && --n == 0)
            return i + 1;
    return std::string_view::npos;
}

#ifdef MARVENTO_QUOTE_VETTORI

bool VettoriPresenti()
{
    static const bool presenti = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
    return presenti;
}

// For each 8-bit mask of the bytes to keep, the shuffle that gathers them at the front of 8 bytes.
struct TabellaRaccolta
{
    std::uint64_t indici[256];
};

constexpr TabellaRaccolta CreaTabellaRaccolta()
{
    TabellaRaccolta tabella{};
    for (unsigned maschera = 0; maschera < 256; ++maschera) {
        std::uint64_t indici = 0;
        unsigned presi = 0;
        for (unsigned byte = 0; byte < 8; ++byte)
            if ((maschera >> byte) & 1u)
                indici |= static_cast<std::uint64_t>(byte) << (8 * presi++);
        tabella.indici[maschera] = indici;
    }
    return tabella;
}

constexpr TabellaRaccolta kRaccolta = CreaTabellaRaccolta();

__attribute__((target("ssse3,popcnt"))) unsigned Maschera(__m128i byte, char c)
{
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(byte, _mm_set1_epi8(c))));
}

// Sixteen bytes at a time; the last, shorter stretch of the text is copied out first, so that no
// byte beyond the text is read.
__attribute__((target("ssse3,popcnt"))) std::size_t DopoPuntiEVirgolaVettori(std::string_view testo, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 16 <= testo.size(); i += 16) {
        unsigned trovati =
            Maschera(_mm_loadu_si128(reinterpret_cast<const __m128i*>(testo.data() + i)), ';');
        const std::size_t quanti = static_cast<std::size_t>(__builtin_popcount(trovati));
        if (quanti < n) {
            n -= quanti;
            continue;
        }
        for (; --n > 0;)
            trovati &= trovati - 1;
        return i + static_cast<std::size_t>(__builtin_ctz(trovati)) + 1;
    }
    for (; i < testo.size(); ++i)
        if (testo[i] == ';' && --n == 0)
            return i + 1;
    return std::string_view::npos;
}

// The cut of TagliaQuotaPerByte, sixteen bytes at a time: their blanks, ";" and quotes found at
// once, "." turned into the separator, the bytes that are not blanks gathered to the front with a
// shuffle, and each ";" placed by counting the bytes kept before it.
__attribute__((target("ssse3,popcnt"))) bool TagliaQuotaVettori(std::string_view riga, char separatore,
                                                                std::size_t primo, std::size_t campi,
                                                                bool ultima, std::string& pulite,
                                                                std::vector<std::size_t>& fini)
{
    std::size_t inizio = 0;
    std::size_t fine = 0;
    if (!EstremiQuota(riga, primo, DopoPuntiEVirgolaVettori, inizio, fine))
        return false;
    const std::size_t primoByte = pulite.size();
    pulite.resize(primoByte + (fine - inizio) + 16); // each stretch writes up to 16 bytes on
    const std::size_t base = fini.size();
    fini.resize(base + campi);
    std::size_t* const fineCampo = fini.data() + base;
    char* const testo = &pulite[0];
    std::size_t uscita = primoByte;
    std::size_t trovati = 0;
    const __m128i cambio = _mm_set1_epi8(static_cast<char>('.' ^ separatore));
    for (std::size_t i = inizio; i < fine; i += 16) {
        __m128i byte;
        unsigned validi = 0xFFFFu;
        if (fine - i >= 16) {
            byte = _mm_loadu_si128(reinterpret_cast<const __m128i*>(riga.data() + i));
        } else {
            char resto[16];
            std::memset(resto, ' ', sizeof resto);
            std::memcpy(resto, riga.data() + i, fine - i);
            byte = _mm_loadu_si128(reinterpret_cast<const __m128i*>(resto));
            validi = (1u << (fine - i)) - 1;
        }
        unsigned puntiEVirgola = Maschera(byte, ';') & validi;
        bool chiusa = false;
        if (!ultima && static_cast<std::size_t>(__builtin_popcount(puntiEVirgola)) >= campi - trovati) {
            // The share ends at the ";" that closes its last field.
            unsigned ultimo = puntiEVirgola;
            for (std::size_t k = campi - trovati; --k > 0;)
                ultimo &= ultimo - 1;
            ultimo &= 0u - ultimo;
            validi &= (ultimo << 1) - 1u; // up to that ";", kept
            puntiEVirgola &= validi;
            chiusa = true;
        }
        if (Maschera(byte, '"') & validi)
            return false;
        const unsigned tenuti = ~Maschera(byte, ' ') & validi;
        byte = _mm_xor_si128(byte, _mm_and_si128(_mm_cmpeq_epi8(byte, _mm_set1_epi8('.')), cambio));
        const __m128i indici =
            _mm_set_epi64x(static_cast<long long>(kRaccolta.indici[tenuti >> 8] + 0x0808080808080808u),
                           static_cast<long long>(kRaccolta.indici[tenuti & 0xFFu]));
        const __m128i raccolti = _mm_shuffle_epi8(byte, indici);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(testo + uscita), raccolti);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(testo + uscita + __builtin_popcount(tenuti & 0xFFu)),
                         _mm_srli_si128(raccolti, 8));
        for (; puntiEVirgola != 0 && trovati < campi; puntiEVirgola &= puntiEVirgola - 1) {
            const unsigned prima = (puntiEVirgola & (0u - puntiEVirgola)) - 1u; // the bytes before it
            fineCampo[trovati++] = uscita + static_cast<std::size_t>(__builtin_popcount(tenuti & prima));
        }
        uscita += static_cast<std::size_t>(__builtin_popcount(tenuti));
        if (chiusa)
            break;
    }
    return ChiudiQuota(trovati, campi, ultima, uscita, pulite, fini, base);
}

#endif

} // namespace

std::size_t DopoPuntiEVirgola(std::string_view testo, std::size_t n)
{
#ifdef MARVENTO_QUOTE_VETTORI
    if (VettoriPresenti())
        return DopoPuntiEVirgolaVettori(testo, n);
#endif
    return DopoPuntiEVirgolaPerParole(testo, n);
}

bool TagliaQuota(std::string_view riga, char separatore, std::size_t primo, std::size_t campi, bool ultima,
                 std::string& pulite, std::vector<std::size_t>& fini)
{
#ifdef MARVENTO_QUOTE_VETTORI
    if (VettoriPresenti())
        return TagliaQuotaVettori(riga, separatore, primo, campi, ultima, pulite, fini);
#endif
    return TagliaQuotaPerByte(riga, separatore, primo, campi, ultima, pulite, fini);
}

bool TagliaQuotaPerByte(std::string_view riga, char separatore, std::size_t primo, std::size_t campi,
                        bool ultima, std::string& pulite, std::vector<std::size_t>& fini)
{
    std::size_t inizio = 0;
    std::size_t fine = 0;
    if (!EstremiQuota(riga, primo, DopoPuntiEVirgolaPerParole, inizio, fine))
        return false;
    const std::size_t primoByte = pulite.size();
    pulite.resize(primoByte + (fine - inizio));
    const std::size_t base = fini.size();
    fini.resize(base + campi + 1); // one slot of scratch beyond the fields
    std::size_t* const fineCampo = fini.data() + base;
    // One pass, without branches on the characters: fields are a few characters long, and a branch
    // per delimiter would be mispredicted at every other field. Blanks are dropped by not moving
    // on; every character leaves its place as the end of the current field until a ";" closes it.
    char* const testo = &pulite[0];
    std::size_t uscita = primoByte;
    std::size_t trovati = 0;
    bool virgolette = false;
    for (std::size_t i = inizio; i < fine; ++i) {
        const char c = riga[i];
        testo[uscita] = c == '.' ? separatore : c;
        virgolette |= c == '"';
        fineCampo[trovati] = uscita;
        trovati += static_cast<std::size_t>(c == ';' && trovati < campi);
        uscita += static_cast<std::size_t>(c != ' ');
        if (!ultima && trovati == campi)
            break; // the ";" that closes the share
    }
    if (virgolette)
        return false;
    return ChiudiQuota(trovati, campi, ultima, uscita, pulite, fini, base);
}

} // namespace marvento
