#pragma once
// One column of a grid: header, width, read-only flag and the texts of its cells.
//
// A table of thousands of columns by thousands of rows holds tens of millions of short texts, so a
// cell must cost little more than its bytes. The rows written in ascending order (an import fills
// row after row) are kept as one character buffer, one length byte per row and one 32-bit offset
// per block of 16 rows: about 1.25 bytes per cell beyond the text. A text of 255 bytes or more is
// kept on its own. A row rewritten out of order goes to a side table that reads look at first; it
// is folded back into the buffer when it grows. A column whose rows from the first on all hold one
// text (the section numbers of a travel-time table) keeps that text once, until a row differs.

#include "CopiaBreve.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace marvento {

// The characters of a column's short texts, back to back. Unlike std::vector<char>, appending to
// spare room is a few inlined instructions: an import appends tens of millions of short texts.
// Every block has kMargine bytes beyond its capacity, so that short texts can be copied in and out
// kMargine bytes at a time, without a branch on their length.
inline constexpr std::size_t kMargine = 16;

class CaratteriColonna
{
  public:
    CaratteriColonna() = default;
    ~CaratteriColonna();
    CaratteriColonna(const CaratteriColonna&) = delete;
    CaratteriColonna& operator=(const CaratteriColonna&) = delete;

    std::size_t size() const { return usati_; }
    std::size_t capacity() const { return capacita_; }
    const char* data() const { return dati_; }
    // Room for at least n characters in all; fails with std::bad_alloc, the content unchanged.
    void reserve(std::size_t n);
    // Only ever shrinks.
    void resize(std::size_t n) { usati_ = n < usati_ ? n : usati_; }
    void shrink_to_fit();
    void swap(CaratteriColonna& altro) noexcept;
    // n characters at the end; the room must be there already (reserve).
    void aggiungi(const char* testo, std::size_t n)
    {
        CopiaBreve(dati_ + usati_, testo, n);
        usati_ += n;
    }
    // Where the next characters go, for a caller that writes a run of them itself (within the room
    // made by reserve, plus the kMargine bytes beyond it that short copies may cover) and then
    // counts them in with allunga.
    char* fine() { return dati_ + usati_; }
    void allunga(std::size_t n) { usati_ += n; }

  private:
    char* dati_ = nullptr;
    std::size_t usati_ = 0;
    std::size_t capacita_ = 0;
};

// Aligned so that what an appended row touches shares one cache line: an import writes one row
// across thousands of columns, and each column must not cost several misses.
class alignas(64) ColonnaGriglia final
{
  public:
    // limiteByte caps the bytes of the character buffer (its offsets are 32-bit); lower it only to
    // exercise the cap.
    explicit ColonnaGriglia(std::size_t limiteByte = UINT32_MAX);
    ~ColonnaGriglia();
    ColonnaGriglia(const ColonnaGriglia&) = delete;
    ColonnaGriglia& operator=(const ColonnaGriglia&) = delete;

    // Columns come and go by the thousand (an import makes 5,000 at once): each takes a place in a
    // block shared with others, and leaves it to the next column when deleted (ColonnaGriglia.cpp).
    static void* operator new(std::size_t dimensione);
    static void* operator new(std::size_t dimensione, std::align_val_t allineamento);
    static void operator delete(void* colonna) noexcept;
    static void operator delete(void* colonna, std::align_val_t allineamento) noexcept;

    const std::string& intestazione() const { return intestazione_; }
    void impostaIntestazione(std::string testo) { intestazione_ = std::move(testo); }
    int larghezza() const { return larghezza_; }
    void impostaLarghezza(int valore) { larghezza_ = valore; }
    bool solaLettura() const { return solaLettura_; }
    void impostaSolaLettura(bool valore) { solaLettura_ = valore; }

    // The text of a row, empty for a row never written or negative. The view stays valid until the
    // column changes.
    std::string_view testo(int riga) const;
    // The texts of rows 0..righe-1 into testi (resized to righe), in one pass down the column.
    void testi(int righe, std::vector<std::string_view>& testi) const { this->testi(0, righe, testi); }
    // The texts of rows primaRiga..primaRiga+quante-1 (primaRiga >= 0) into testi (resized to quante).
    void testi(int primaRiga, int quante, std::vector<std::string_view>& testi) const;
    // Calls fai(i, text) for the rows primaRiga + i, i = 0..quante-1 in order (primaRiga >= 0), with
    // the texts testi() gives, without building their list: the export walks every cell this way.
    template <typename Fai> void perOgniTesto(int primaRiga, int quante, Fai&& fai) const
    {
        if (righeUguali_ > 0) {
            for (int i = 0; i < quante; ++i)
                fai(static_cast<std::size_t>(i), primaRiga + i < righeUguali_ ? std::string_view(uguale_) : std::string_view());
            return;
        }
        if (extra_) {
            std::vector<std::string_view> elenco;
            testi(primaRiga, quante, elenco);
            for (std::size_t i = 0; i < elenco.size(); ++i)
                fai(i, elenco[i]);
            return;
        }
        const int fine = primaRiga + std::max(quante, 0);
        const int nelBuffer = std::min(fine, righeContigue());
        int riga = primaRiga;
        if (riga < nelBuffer) {
            const char* testo = testo_.data() + inizio(riga);
            for (; riga < nelBuffer; ++riga) {
                const std::size_t n = lunghezze_[static_cast<std::size_t>(riga)];
                fai(static_cast<std::size_t>(riga - primaRiga), std::string_view(testo, n));
                testo += n;
            }
        }
        for (; riga < fine; ++riga)
            fai(static_cast<std::size_t>(riga - primaRiga), std::string_view());
    }
    // Adds the length in bytes of the text of each row 0..righe-1 to somme[row], as testi() would
    // give them, without building the views.
    void aggiungiLunghezze(int righe, std::size_t* somme) const { aggiungiLunghezze(0, righe, somme); }
    // The same for rows primaRiga..primaRiga+quante-1 (primaRiga >= 0), into somme[0..quante).
    void aggiungiLunghezze(int primaRiga, int quante, std::size_t* somme) const;
    // riga must be 0 or more (the grid checks its bounds). Appending the next row costs the length
    // of the text. Fails with "Too much text in one grid column" when the buffer would exceed its
    // cap; the column is then unchanged.
    void imposta(int riga, std::string_view testo)
    {
        // The common case of an import, inlined: the next row, a short text, room in the buffers.
        const std::size_t n = testo.size();
        const bool nuovoBlocco = riga % righeBlocco == 0;
        if (riga == righeContigue() && n - 1 < std::size_t{lunga - 1} && righeUguali_ == 0 &&
            (!nuovoBlocco || basi_.size() < basi_.capacity()) && (!extra_ || extra_->modifiche.empty()) &&
            lunghezze_.size() < lunghezze_.capacity() && testo_.capacity() - testo_.size() >= n &&
            testo_.size() + n <= limiteByte_) {
            if (nuovoBlocco)
                basi_.push_back(static_cast<std::uint32_t>(testo_.size()));
            testo_.aggiungi(testo.data(), n);
            lunghezze_.push_back(static_cast<std::uint8_t>(n));
            return;
        }
        impostaGenerale(riga, testo);
    }
    // imposta(riga + i, testi[i]) for i = 0..quante-1 in turn, with the same result and failure;
    // appending a run of rows at the end costs little more than copying their texts. conMargine:
    // every text can be read kMargine bytes beyond its end (it lies in a larger buffer).
    void imposta(int riga, const std::string_view* testi, std::size_t quante, bool conMargine = false);
    // imposta(riga + i, testo) for i = 0..quante-1, with the same result and failure; a column
    // filled this way from its first row on keeps the text once.
    void impostaUguali(int riga, std::string_view testo, std::size_t quante);
    // True when every text lies in the column's buffer (no long text, no row rewritten out of
    // order) and the buffer is there: each non-empty text, as testi() gives it, can then be read
    // kMargine bytes beyond its end.
    bool tuttoNelBuffer() const
    {
        return righeUguali_ == 0 && testo_.data() &&
               (!extra_ || (extra_->lunghe.empty() && extra_->modifiche.empty()));
    }
    // Makes room for about `righe` rows appended in order, sizing the texts by those already held,
    // so that a long fill does not keep growing the buffers. Changes no text.
    void riserva(int righe);
    // Drops the texts of every row at or beyond righe.
    void tronca(int righe);
    // Folds the side table into the buffer and gives back spare capacity.
    void compatta();

  private:
    static constexpr int righeBlocco = 16;
    static constexpr std::uint8_t lunga = 255; // length byte of a text kept on its own

    // What most columns never need: texts kept on their own, and rows rewritten out of order.
    struct Extra
    {
        std::unordered_map<int, std::string> lunghe;    // contiguous rows with a long text
        std::unordered_map<int, std::string> modifiche; // contiguous rows rewritten, overriding
        std::size_t byteModifiche = 0;  // bytes of the overriding texts that a fold puts in the buffer
        std::size_t byteSostituiti = 0; // bytes in the buffer of the rows that they override
    };

    int righeContigue() const { return static_cast<int>(lunghezze_.size()); }
    std::size_t inizio(int riga) const;
    std::string_view contigua(int riga) const;
    // Bytes that the buffer would hold after a fold.
    std::size_t byteVivi() const;
    void impostaGenerale(int riga, std::string_view testo);
    void accoda(std::string_view testo);
    void togliUltima();
    void dimenticaModifica(int riga);
    void liberaExtraVuoto();
    void ricostruisci();
    // Can `righe` rows of a text of n bytes lie in the buffer within the cap?
    bool entro(std::size_t righe, std::size_t n) const { return righe * n <= limiteByte_; }
    // Turns rows kept as one text into rows of the buffer; fails with std::bad_alloc, unchanged.
    void scriviUguali();

    CaratteriColonna testo_;              // short texts of the contiguous rows, back to back
    std::vector<std::uint8_t> lunghezze_; // per contiguous row: its length, or lunga
    std::unique_ptr<Extra> extra_;        // null while there is nothing in it
    std::size_t limiteByte_;
    std::vector<std::uint32_t> basi_; // offset in testo_ of rows 0, 16, 32, ...
    // When above 0, rows 0..righeUguali_-1 all hold uguale_ (short, not empty), and the buffers and
    // the side table are empty.
    int righeUguali_ = 0;
    std::string uguale_;

    std::string intestazione_;
    int larghezza_ = 100;
    bool solaLettura_ = false;
};

} // namespace marvento
