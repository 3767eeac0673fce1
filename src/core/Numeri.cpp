#include "Numeri.h"

#include "Errore.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace marvento {

namespace {

bool Cifra(char c)
{
    return c >= '0' && c <= '9';
}

int CifraEsadecimale(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void ErroreIntero(std::string_view testo)
{
    throw Errore(Messaggio("'%s' is not a valid integer value", std::string(testo)));
}

[[noreturn]] void ErroreDecimale(std::string_view testo)
{
    throw Errore(Messaggio("'%s' is not a valid floating point value", std::string(testo)));
}

// The 32-bit pattern as a signed value, without relying on implementation-defined conversion.
std::int32_t DaSchema(std::uint32_t schema)
{
    if (schema <= 0x7FFFFFFFu)
        return static_cast<std::int32_t>(schema);
    return -static_cast<std::int32_t>(~schema) - 1;
}

// The decimal order of magnitude of the first non-zero digit, used only to tell an overflow from
// an underflow when the value does not fit a double. Digits are known to hold a non-zero one.
long long OrdineDiGrandezza(std::string_view intere, std::string_view decimali, long long esponente)
{
    for (std::size_t k = 0; k < intere.size(); ++k)
        if (intere[k] != '0')
            return static_cast<long long>(intere.size() - k - 1) + esponente;
    for (std::size_t k = 0; k < decimali.size(); ++k)
        if (decimali[k] != '0')
            return esponente - static_cast<long long>(k + 1);
    return 0;
}

// Moves p past the leading blanks and a sign; true for "-".
bool SaltaSegno(std::string_view testo, std::size_t& p)
{
    while (p < testo.size() && testo[p] == ' ')
        ++p;
    if (p < testo.size() && (testo[p] == '+' || testo[p] == '-'))
        return testo[p++] == '-';
    return false;
}

} // namespace

std::int32_t LeggiIntero(std::string_view testo)
{
    const std::size_t n = testo.size();
    std::size_t p = 0;
    const bool negativo = SaltaSegno(testo, p);
    bool esadecimale = false;
    if (p < n && (testo[p] == '$' || testo[p] == 'x' || testo[p] == 'X')) {
        esadecimale = true;
        ++p;
    } else if (p + 1 < n && testo[p] == '0' && (testo[p + 1] == 'x' || testo[p + 1] == 'X')) {
        esadecimale = true;
        p += 2;
    }
    if (p == n)
        ErroreIntero(testo);

    if (esadecimale) {
        // At most eight significant digits, taken as the 32-bit pattern; leading zeros are free.
        std::uint32_t schema = 0;
        int significative = 0;
        for (; p < n; ++p) {
            const int cifra = CifraEsadecimale(testo[p]);
            if (cifra < 0)
                ErroreIntero(testo);
            if (schema != 0 || cifra != 0)
                ++significative;
            if (significative > 8)
                ErroreIntero(testo);
            schema = (schema << 4) | static_cast<std::uint32_t>(cifra);
        }
        return DaSchema(negativo ? 0u - schema : schema);
    }

    const std::uint64_t limite = negativo ? 2147483648ull : 2147483647ull;
    std::uint64_t valore = 0;
    for (; p < n; ++p) {
        if (!Cifra(testo[p]))
            ErroreIntero(testo);
        valore = valore * 10 + static_cast<std::uint64_t>(testo[p] - '0');
        if (valore > limite)
            ErroreIntero(testo);
    }
    return negativo ? DaSchema(0u - static_cast<std::uint32_t>(valore)) : static_cast<std::int32_t>(valore);
}

bool ProvaDecimale(std::string_view testo, char separatore, double& valore)
{
    const std::size_t n = testo.size();
    std::size_t p = 0;
    const bool negativo = SaltaSegno(testo, p);
    const std::size_t inizioIntere = p;
    while (p < n && Cifra(testo[p]))
        ++p;
    const std::string_view intere = testo.substr(inizioIntere, p - inizioIntere);
    bool conSeparatore = false;
    std::string_view decimali;
    if (p < n && testo[p] == separatore) {
        conSeparatore = true;
        const std::size_t inizioDecimali = ++p;
        while (p < n && Cifra(testo[p]))
            ++p;
        decimali = testo.substr(inizioDecimali, p - inizioDecimali);
    }
    if (intere.empty() && !conSeparatore)
        return false;

    bool esponenteNegativo = false;
    std::string_view cifreEsponente;
    if (p < n && (testo[p] == 'e' || testo[p] == 'E')) {
        ++p;
        if (p < n && (testo[p] == '+' || testo[p] == '-')) {
            esponenteNegativo = testo[p] == '-';
            ++p;
        }
        const std::size_t inizioEsponente = p;
        while (p < n && Cifra(testo[p]))
            ++p;
        cifreEsponente = testo.substr(inizioEsponente, p - inizioEsponente); // none: exponent 0
    }
    while (p < n && testo[p] == ' ')
        ++p;
    if (p != n)
        return false;

    // Rewritten in the one form that from_chars takes, which rounds correctly and knows no locale.
    std::string forma;
    forma.reserve(intere.size() + decimali.size() + cifreEsponente.size() + 4);
    if (negativo)
        forma += '-';
    if (intere.empty())
        forma += '0';
    else
        forma.append(intere.data(), intere.size());
    if (!decimali.empty()) {
        forma += '.';
        forma.append(decimali.data(), decimali.size());
    }
    if (!cifreEsponente.empty()) {
        forma += esponenteNegativo ? "e-" : "e";
        forma.append(cifreEsponente.data(), cifreEsponente.size());
    }

    valore = 0.0;
    const auto esito =
        std::from_chars(forma.data(), forma.data() + forma.size(), valore, std::chars_format::general);
    if (esito.ec == std::errc::result_out_of_range) {
        long long esponente = 0;
        for (const char c : cifreEsponente)
            if (esponente < 1000000000)
                esponente = esponente * 10 + (c - '0');
        if (esponenteNegativo)
            esponente = -esponente;
        // Too large for a double is no valid value; too small is zero.
        if (OrdineDiGrandezza(intere, decimali, esponente) > 0)
            return false;
        valore = negativo ? -0.0 : 0.0;
        return true;
    }
    return esito.ec == std::errc() && esito.ptr == forma.data() + forma.size();
}

double LeggiDecimale(std::string_view testo, char separatore)
{
    double valore = 0.0;
    if (!ProvaDecimale(testo, separatore, valore))
        ErroreDecimale(testo);
    return valore;
}

std::string FormattaDecimale(long double valore, char separatore)
{
    if (std::isnan(valore))
        return "NAN";
    if (std::isinf(valore))
        return valore < 0 ? "-INF" : "INF";

    const bool negativo = std::signbit(valore);
    // 18 significant digits, the 18th rounded to nearest: d.ddddddddddddddddde±x.
    char scientifica[64];
    const auto esito = std::to_chars(scientifica, scientifica + sizeof scientifica, std::fabs(valore),
                                     std::chars_format::scientific, 17);
    if (esito.ec != std::errc())
        throw Errore("FormattaDecimale: valore non rappresentabile");
    char cifre[18];
    cifre[0] = scientifica[0];
    std::memcpy(cifre + 1, scientifica + 2, 17);
    const char* e = static_cast<const char*>(
        std::memchr(scientifica, 'e', static_cast<std::size_t>(esito.ptr - scientifica)));
    int esponente = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), esito.ptr, esponente);

    // The digits of the magnitude in thousandths: the integer digits and three decimals, then
    // half away from zero on the next digit.
    const long long tenute = static_cast<long long>(esponente) + 4;
    std::string millesimi;
    if (tenute >= 18) {
        millesimi.assign(cifre, 18);
        millesimi.append(static_cast<std::size_t>(tenute - 18), '0');
    } else if (tenute > 0) {
        millesimi.assign(cifre, static_cast<std::size_t>(tenute));
        if (cifre[tenute] >= '5') {
            std::size_t i = millesimi.size();
            while (i > 0 && millesimi[i - 1] == '9')
                millesimi[--i] = '0';
            if (i == 0)
                millesimi.insert(millesimi.begin(), '1');
            else
                ++millesimi[i - 1];
        }
    } else if (tenute == 0) {
        millesimi = cifre[0] >= '5' ? "1" : "0";
    } else {
        millesimi = "0";
    }
    if (millesimi.size() < 4)
        millesimi.insert(0, 4 - millesimi.size(), '0');
    const bool zero = millesimi.find_first_not_of('0') == std::string::npos;

    std::string testo;
    testo.reserve(millesimi.size() + 2);
    if (negativo && !zero)
        testo += '-';
    testo.append(millesimi, 0, millesimi.size() - 3);
    testo += separatore;
    testo.append(millesimi, millesimi.size() - 3, 3);
    return testo;
}

std::string FormattaIntero(std::int32_t valore)
{
    char cifre[16];
    const auto fine = std::to_chars(cifre, cifre + sizeof cifre, valore).ptr;
    return std::string(cifre, fine);
}

} // namespace marvento
