#include "CartellaExcel.h"

#include "Errore.h"
#include "Esportazione.h"
#include "Numeri.h"
#include "Parallelo.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

#ifndef _WIN32
#include <clocale>
#include <locale.h>
#endif

namespace marvento {

namespace {

bool Cifra(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<NumeroCella> NumeroDellaCella(std::string_view testo, char separatore)
{
    // Most texts that are no number hold a character that no number has: they are told at once.
    bool cifra = false;
    for (const char c : testo) {
        if (Cifra(c))
            cifra = true;
        else if (c != ' ' && c != '+' && c != '-' && c != 'e' && c != 'E' && c != separatore && c != ',')
            return std::nullopt;
    }
    if (!cifra)
        return std::nullopt;
    NumeroCella numero;
    char usato = separatore;
    if (!ProvaDecimale(testo, separatore, numero.valore)) {
        if (separatore == ',' || !ProvaDecimale(testo, ',', numero.valore))
            return std::nullopt;
        usato = ',';
    }
    const std::size_t e = testo.find_first_of("eE");
    const std::string_view mantissa = testo.substr(0, e);
    if (std::none_of(mantissa.begin(), mantissa.end(), Cifra))
        return std::nullopt;
    numero.esponente = e != std::string_view::npos;
    const std::size_t punto = mantissa.find(usato);
    if (punto != std::string_view::npos)
        for (std::size_t i = punto + 1; i < mantissa.size() && Cifra(mantissa[i]); ++i)
            ++numero.decimali;
    return numero;
}

namespace {

bool FinisceCon(const std::string& percorso, std::string_view estensione)
{
    if (percorso.size() < estensione.size())
        return false;
    return std::equal(estensione.begin(), estensione.end(),
                      percorso.end() - static_cast<std::ptrdiff_t>(estensione.size()),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

} // namespace

bool NomeCartellaExcel(const std::string& percorso)
{
    return FinisceCon(percorso, ".xlsx");
}

bool FormatoCartellaExcel(const std::string& percorso, bool tipoCartellaScelto)
{
    if (NomeCartellaExcel(percorso))
        return true;
    return FinisceCon(percorso, ".txt") ? false : tipoCartellaScelto;
}

void ControllaFoglioExcel(const Griglia& griglia)
{
    griglia.intestazione(0); // a grid without columns fails here
    if (griglia.numeroColonne() > kColonneFoglio)
        throw Errore("La griglia ha " + std::to_string(griglia.numeroColonne()) +
                     " colonne e un foglio di Excel ne contiene al massimo " +
                     std::to_string(kColonneFoglio) + ": salvala come testo delimitato da tabulatura");
    if (griglia.numeroRighe() > kRigheFoglio - 1)
        throw Errore("La griglia ha " + std::to_string(griglia.numeroRighe()) +
                     " righe e un foglio di Excel ne contiene al massimo " +
                     std::to_string(kRigheFoglio - 1) +
                     " oltre all'intestazione: salvala come testo delimitato da tabulatura");
}

namespace {

// The most decimals that a number format of Excel shows.
constexpr int kMassimoDecimali = 30;
// The characters of a cell's text in Excel.
constexpr std::size_t kMassimoCaratteri = 32'767;

std::size_t Caratteri(std::string_view testo)
{
    return static_cast<std::size_t>(std::count_if(
        testo.begin(), testo.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

[[noreturn]] void ErroreTestoLungo(int riga, int colonna)
{
    throw Errore("La cella della riga " + std::to_string(riga) + ", colonna " + std::to_string(colonna + 1) +
                 " ha piu' di " + std::to_string(kMassimoCaratteri) +
                 " caratteri, quanti ne contiene una cella di Excel");
}

#ifndef _WIN32
// The library writes numbers with printf, which follows the C locale: a "," there would spoil the
// workbook. The thread that writes uses the "C" locale for numbers meanwhile; nothing else changes.
class NumeriAllaC
{
  public:
    NumeriAllaC() : c_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr)))
    {
        if (c_ != static_cast<locale_t>(nullptr))
            prima_ = uselocale(c_);
    }
    NumeriAllaC(const NumeriAllaC&) = delete;
    NumeriAllaC& operator=(const NumeriAllaC&) = delete;
    ~NumeriAllaC()
    {
        if (c_ != static_cast<locale_t>(nullptr)) {
            uselocale(prima_);
            freelocale(c_);
        }
    }

  private:
    locale_t c_;
    locale_t prima_ = static_cast<locale_t>(nullptr);
};
#else
// The Windows build's library writes numbers without the C locale (its own conversion).
struct NumeriAllaC
{
};
#endif

bool Esadecimale(char c)
{
    return Cifra(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Appends the text as a sheet keeps it. A reader takes "_xHHHH_" in a cell for the character
// U+HHHH (the library writes control characters so): a text that holds it as such gets the
// underscore's own escape in front, "_x005F_", and reads back unchanged.
void AccodaTesto(std::string& testi, std::string_view testo)
{
    for (std::size_t p = testo.find("_x"); p != std::string_view::npos; p = testo.find("_x")) {
        const bool escape = p + 7 <= testo.size() &&
                            std::all_of(testo.begin() + static_cast<std::ptrdiff_t>(p) + 2,
                                        testo.begin() + static_cast<std::ptrdiff_t>(p) + 6, Esadecimale) &&
                            testo[p + 6] == '_';
        testi.append(testo.substr(0, p));
        if (escape)
            testi += "_x005F";
        testi += '_';
        testo.remove_prefix(p + 1);
    }
    testi.append(testo);
}

// A cell of a block as the sheet receives it.
struct CellaFoglio
{
    enum class Tipo : std::uint8_t { Vuota, Numero, Testo };
    Tipo tipo = Tipo::Vuota;
    std::uint8_t formato = 0; // numbers: index into the workbook's number formats
    std::size_t testo = 0;    // texts: where the text starts in the block's texts
    double valore = 0.0;
};

// Rows prima..fine-1 of a grid, row after row; texts back to back, each ended by a NUL.
struct BloccoFoglio
{
    int prima = 0;
    int fine = 0;
    std::vector<CellaFoglio> celle;
    std::string testi;
};

// The workbook being written, freed unwritten unless closed.
class Cartella
{
  public:
    Cartella(const std::string& percorso, long long celle)
    {
        cartellaTemporanea_ = std::filesystem::u8path(percorso).parent_path().u8string();
        lxw_workbook_options opzioni{};
        // Each row goes to the library's temporary file once written: memory stays that of a row.
        opzioni.constant_memory = LXW_TRUE;
        opzioni.tmpdir = cartellaTemporanea_.empty() ? nullptr : cartellaTemporanea_.data();
        // Beyond 4 GB of a sheet's XML the zip needs its 64-bit extension; smaller files do without.
        opzioni.use_zip64 = celle > 40'000'000 ? LXW_TRUE : LXW_FALSE;
        cartella_ = workbook_new_opt(percorso.c_str(), &opzioni);
        if (cartella_ == nullptr)
            throw std::bad_alloc();
        grassetto_ = workbook_add_format(cartella_);
        format_set_bold(grassetto_);
    }
    Cartella(const Cartella&) = delete;
    Cartella& operator=(const Cartella&) = delete;
    ~Cartella()
    {
        if (cartella_ == nullptr)
            return;
        // Freed unwritten, the library leaves its sheets' temporary files open (and, on Windows,
        // on disk): they are closed here.
        for (lxw_worksheet* foglio : fogli_)
            if (foglio->optimize_tmpfile != nullptr) {
                std::fclose(foglio->optimize_tmpfile);
                foglio->optimize_tmpfile = nullptr;
                foglio->file = nullptr;
            }
        lxw_workbook_free(cartella_);
    }

    lxw_worksheet* foglio(const std::string& nome)
    {
        lxw_worksheet* foglio = workbook_add_worksheet(cartella_, nome.c_str());
        if (foglio == nullptr)
            throw Errore("Nome di foglio non valido: " + nome);
        fogli_.push_back(foglio);
        return foglio;
    }
    lxw_format* grassetto() const { return grassetto_; }
    // The format that shows the decimals; made the first time it is asked for.
    lxw_format* formato(std::uint8_t indice)
    {
        lxw_format*& f = formati_[indice];
        if (f == nullptr) {
            const int decimali = indice % (kMassimoDecimali + 1);
            std::string schema = "0";
            if (decimali > 0)
                schema += '.' + std::string(static_cast<std::size_t>(decimali), '0');
            if (indice > kMassimoDecimali)
                schema += "E+00";
            f = workbook_add_format(cartella_);
            format_set_num_format(f, schema.c_str());
        }
        return f;
    }
    // The library writes a sheet's rows to a temporary file of its own without looking at the
    // result: a full disk there would pass for a workbook written. The file's state tells.
    void righeScritte(lxw_worksheet* foglio)
    {
        std::FILE* righe = foglio->optimize_tmpfile;
        if (righe == nullptr)
            return;
        if (std::fflush(righe) != 0 || std::ferror(righe) != 0)
            throw Errore("Stream write error");
        const long byte = std::ftell(righe);
        if (byte > 0)
            byteRighe_ += static_cast<std::uintmax_t>(byte);
    }
    void chiudi(const std::string& destinazione)
    {
        // Closing copies each sheet's rows into one more temporary file, again without looking at
        // the writes, then packs the workbook: the room for both is there first, or no workbook.
        std::error_code codice;
        const std::filesystem::space_info spazio = std::filesystem::space(
            std::filesystem::u8path(cartellaTemporanea_.empty() ? "." : cartellaTemporanea_), codice);
        if (!codice && spazio.available < byteRighe_ + byteRighe_ / 2 + (1u << 20))
            throw Errore("Cannot create file \"" + destinazione + "\". No space left on device");
        const lxw_error esito = workbook_close(cartella_);
        cartella_ = nullptr;
        if (esito != LXW_NO_ERROR)
            throw Errore("Cannot create file \"" + destinazione + "\". " + lxw_strerror(esito));
    }

  private:
    std::string cartellaTemporanea_;
    std::uintmax_t byteRighe_ = 0;
    lxw_workbook* cartella_ = nullptr;
    std::vector<lxw_worksheet*> fogli_;
    lxw_format* grassetto_ = nullptr;
    std::array<lxw_format*, 2 * (kMassimoDecimali + 1)> formati_{};
};

std::uint8_t IndiceFormato(const NumeroCella& numero)
{
    const int decimali = std::min(numero.decimali, kMassimoDecimali);
    return static_cast<std::uint8_t>(decimali + (numero.esponente ? kMassimoDecimali + 1 : 0));
}

// Reads rows prima..fine-1 of the grid into the block, each cell told a number or a text.
void PreparaBlocco(const Griglia& griglia, int prima, int fine, char separatore, BloccoFoglio& blocco)
{
    const int colonne = griglia.numeroColonne();
    blocco.prima = prima;
    blocco.fine = fine;
    blocco.celle.assign(static_cast<std::size_t>(fine - prima) * static_cast<std::size_t>(colonne), {});
    blocco.testi.clear();
    std::vector<std::string_view> testi;
    for (int c = 0; c < colonne; ++c) {
        griglia.testiColonna(c, prima, fine, testi);
        for (std::size_t r = 0; r < testi.size(); ++r) {
            const std::string_view testo = testi[r];
            if (testo.empty())
                continue;
            CellaFoglio& cella =
                blocco.celle[r * static_cast<std::size_t>(colonne) + static_cast<std::size_t>(c)];
            if (const std::optional<NumeroCella> numero = NumeroDellaCella(testo, separatore)) {
                cella.tipo = CellaFoglio::Tipo::Numero;
                cella.valore = numero->valore;
                cella.formato = IndiceFormato(*numero);
                continue;
            }
            if (testo.size() > kMassimoCaratteri && Caratteri(testo) > kMassimoCaratteri)
                ErroreTestoLungo(prima + static_cast<int>(r) + 1, c);
            cella.tipo = CellaFoglio::Tipo::Testo;
            cella.testo = blocco.testi.size();
            AccodaTesto(blocco.testi, testo);
            blocco.testi += '\0';
        }
    }
}

void Verifica(lxw_error esito)
{
    if (esito != LXW_NO_ERROR)
        throw Errore(std::string("Errore nella scrittura del foglio: ") + lxw_strerror(esito));
}

void ScriviBlocco(Cartella& cartella, lxw_worksheet* foglio, int colonne, const BloccoFoglio& blocco)
{
    const CellaFoglio* cella = blocco.celle.data();
    for (int r = blocco.prima; r < blocco.fine; ++r) {
        const auto riga = static_cast<lxw_row_t>(r + 1);
        for (int c = 0; c < colonne; ++c, ++cella) {
            const auto colonna = static_cast<lxw_col_t>(c);
            if (cella->tipo == CellaFoglio::Tipo::Numero)
                Verifica(worksheet_write_number(foglio, riga, colonna, cella->valore,
                                                cartella.formato(cella->formato)));
            else if (cella->tipo == CellaFoglio::Tipo::Testo)
                Verifica(worksheet_write_string(foglio, riga, colonna, blocco.testi.data() + cella->testo,
                                                nullptr));
        }
    }
}

// The header row, the column widths and the frozen header, then the rows in blocks: with a second
// processor the next block is read from the grid while one goes to the sheet.
void ScriviFoglio(Cartella& cartella, const FoglioExcel& dati, char separatore)
{
    const Griglia& griglia = dati.griglia;
    lxw_worksheet* foglio = cartella.foglio(dati.nome);
    const int colonne = griglia.numeroColonne();
    for (int c = 0; c < colonne; ++c) {
        const auto colonna = static_cast<lxw_col_t>(c);
        Verifica(worksheet_set_column_pixels(foglio, colonna, colonna,
                                             static_cast<std::uint32_t>(std::max(0, griglia.larghezza(c))),
                                             nullptr));
        const std::string& intestazione = griglia.intestazione(c);
        if (intestazione.size() > kMassimoCaratteri && Caratteri(intestazione) > kMassimoCaratteri)
            ErroreTestoLungo(0, c);
        std::string testo;
        AccodaTesto(testo, intestazione);
        Verifica(worksheet_write_string(foglio, 0, colonna, testo.c_str(), cartella.grassetto()));
    }
    worksheet_freeze_panes(foglio, 1, 0);

    const int righe = griglia.numeroRighe();
    const int perBlocco = std::max(1, (1 << 18) / colonne);
    const long long passate = (static_cast<long long>(righe) + perBlocco - 1) / perBlocco;
    std::array<BloccoFoglio, 2> blocchi;
    APassate(
        passate, static_cast<long long>(righe) * colonne,
        [&](long long k, int b) {
            const long long prima = k * perBlocco;
            PreparaBlocco(griglia, static_cast<int>(prima),
                          static_cast<int>(std::min<long long>(prima + perBlocco, righe)), separatore,
                          blocchi[static_cast<std::size_t>(b)]);
        },
        [&](long long, int b) {
            ScriviBlocco(cartella, foglio, colonne, blocchi[static_cast<std::size_t>(b)]);
        });
    cartella.righeScritte(foglio);
}

} // namespace

void ScriviCartellaExcel(const std::vector<FoglioExcel>& fogli, const std::string& percorso, char separatore)
{
    long long celle = 0;
    for (const FoglioExcel& foglio : fogli) {
        ControllaFoglioExcel(foglio.griglia);
        celle += static_cast<long long>(foglio.griglia.numeroRighe()) * foglio.griglia.numeroColonne();
    }
    std::error_code codice;
    std::string assoluto = std::filesystem::absolute(std::filesystem::u8path(percorso), codice).u8string();
    if (codice)
        assoluto = percorso;
    ScriviFileTramite(percorso, [&](const std::string& temporaneo) {
        [[maybe_unused]] const NumeriAllaC numeriAllaC;
        Cartella cartella(temporaneo, celle);
        for (const FoglioExcel& foglio : fogli)
            ScriviFoglio(cartella, foglio, separatore);
        cartella.chiudi(assoluto);
    });
}

} // namespace marvento
