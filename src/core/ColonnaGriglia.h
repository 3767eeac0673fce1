#pragma once
// One column of a grid: header, width, read-only flag and the texts of its cells.
//
// The texts are held in one character buffer with an array of 32-bit end offsets, one per row, for
// the rows written in ascending order (an importer filling row after row appends to it). A row
// rewritten out of order goes to a small side table that reads look at first; it is folded back
// into the buffer when it grows, so a column never costs much more than its bytes plus four bytes
// per row.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace marvento {

class ColonnaGriglia
{
public:
    // limiteByte caps the bytes that the column may hold (the offsets are 32-bit); lower it only
    // to exercise the cap.
    explicit ColonnaGriglia(std::size_t limiteByte = UINT32_MAX);

    const std::string& intestazione() const { return intestazione_; }
    void impostaIntestazione(std::string testo) { intestazione_ = std::move(testo); }
    int larghezza() const { return larghezza_; }
    void impostaLarghezza(int valore) { larghezza_ = valore; }
    bool solaLettura() const { return solaLettura_; }
    void impostaSolaLettura(bool valore) { solaLettura_ = valore; }

    // The text of a row, empty for a row never written or negative. The view stays valid until the
    // column changes.
    std::string_view testo(int riga) const;
    // riga must be 0 or more (the grid checks its bounds). Appending the next row costs the length
    // of the text. Fails with "Too much text in one grid column" when the column would exceed its
    // byte cap; the column is then unchanged.
    void imposta(int riga, std::string_view testo);
    // Drops the texts of every row at or beyond righe.
    void tronca(int righe);
    // Folds the side table into the buffer and gives back spare capacity.
    void compatta();

    // An upper bound of the bytes of all texts held (for sizing an output buffer).
    std::size_t byteTesti() const { return testo_.size() + byteModifiche_; }

private:
    int righeContigue() const { return static_cast<int>(fini_.size()); }
    std::size_t inizio(int riga) const { return riga == 0 ? 0 : fini_[static_cast<std::size_t>(riga) - 1]; }
    // Bytes of the texts as a fold would keep them.
    std::size_t byteVivi() const { return testo_.size() - byteSostituiti_ + byteModifiche_; }
    std::size_t lunghezzaViva(int riga) const;
    void dimenticaModifica(int riga);
    void ricostruisci();

    std::string intestazione_;
    int larghezza_ = 100;
    bool solaLettura_ = false;

    std::size_t limiteByte_;
    std::string testo_;                 // texts of rows 0..fini_.size()-1, back to back
    std::vector<std::uint32_t> fini_;   // end offset in testo_ of each of those rows
    // Rows below fini_.size() rewritten out of order; these override the buffer.
    std::unordered_map<int, std::string> modifiche_;
    std::size_t byteModifiche_ = 0;  // bytes of the texts in modifiche_
    std::size_t byteSostituiti_ = 0; // bytes in testo_ of the rows that modifiche_ overrides
};

} // namespace marvento
