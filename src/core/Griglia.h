#pragma once
// The grid: an ordered list of columns (header, width, read-only flag), a row count and the cell
// texts. Cells are kept per column in compact storage, so that removing, appending or moving a
// column costs in the number of columns, never in the number of cells.

#include "ColonnaGriglia.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

class Griglia
{
  public:
    Griglia(); // no columns, 100 rows
    ~Griglia();
    Griglia(Griglia&&) noexcept;
    Griglia& operator=(Griglia&&) noexcept;
    Griglia(const Griglia&) = delete;
    Griglia& operator=(const Griglia&) = delete;

    int numeroColonne() const { return static_cast<int>(colonne_.size()); }
    int numeroRighe() const { return righe_; }
    // A negative count or the current one changes nothing; lowering drops the texts beyond.
    void impostaNumeroRighe(int righe);

    // Column access fails with "Column index, %d, out of bounds".
    const std::string& intestazione(int colonna) const;
    void impostaIntestazione(int colonna, std::string testo);
    int larghezza(int colonna) const;
    void impostaLarghezza(int colonna, int larghezza);
    bool solaLettura(int colonna) const;
    void impostaSolaLettura(int colonna, bool valore);

    void rimuoviColonna(int colonna);
    // Removes several columns in one pass over the grid; the indices are those before the call.
    // Fails with "Column index, %d, out of bounds" for the first index outside the grid, and then
    // removes nothing. The same as rimuoviColonna on each index from the highest down.
    void rimuoviColonne(const std::vector<int>& colonne);
    void aggiungiColonna(); // empty header, width 100, editable
    void riservaColonne(int colonne); // room for this many columns in all, without adding any
    // Moves column da to index a, with its texts; the columns between shift one place towards da.
    // Fails with "Column index, %d, out of bounds" for da, then for a.
    void spostaColonna(int da, int a);

    // Outside the grid: the empty text. The view stays valid until the grid changes.
    std::string_view cella(int colonna, int riga) const;
    // Fails with "Column index, %d, out of bounds" (tested first) or "Row index, %d, out of bounds".
    // Inline: an import writes tens of millions of cells.
    void impostaCella(int colonna, int riga, std::string_view testo)
    {
        if (colonna < 0 || colonna >= numeroColonne())
            erroreColonna(colonna);
        if (riga < 0 || riga >= righe_)
            erroreRiga(riga);
        colonne_[static_cast<std::size_t>(colonna)]->imposta(riga, testo);
    }

    // impostaCella(colonna, primaRiga + i, testi[i]) for i = 0..quante-1 in turn, failing where that
    // would; cheaper for a run of rows of one column, and cheaper still conMargine: every text can
    // be read kMargine bytes beyond its end.
    void impostaCelle(int colonna, int primaRiga, const std::string_view* testi, std::size_t quante,
                      bool conMargine = false);
    // impostaCella(colonna, primaRiga + i, testo) for i = 0..quante-1 in turn, failing where that
    // would; a column filled this way from its first row on keeps the text once.
    void impostaCelleUguali(int colonna, int primaRiga, std::string_view testo, std::size_t quante);
    // Calls fai(i, text) for the rows primaRiga + i, i = 0..quante-1, of a column, in order (the rows
    // within the grid), without building the list of texts. Fails with "Column index, %d, out of bounds".
    template <typename Fai> void perOgniTestoColonna(int colonna, int primaRiga, int quante, Fai&& fai) const
    {
        if (colonna < 0 || colonna >= numeroColonne())
            erroreColonna(colonna);
        colonne_[static_cast<std::size_t>(colonna)]->perOgniTesto(primaRiga, quante, fai);
    }
    // True when every text of the column can be read kMargine bytes beyond its end (see
    // ColonnaGriglia::tuttoNelBuffer). Fails with "Column index, %d, out of bounds".
    bool colonnaNelBuffer(int colonna) const;

    // The texts of rows 0..numeroRighe()-1 of a column, in one pass down it (much cheaper than
    // reading cell by cell). Fails with "Column index, %d, out of bounds". The views stay valid
    // until the grid changes.
    void testiColonna(int colonna, std::vector<std::string_view>& testi) const;
    // The same for the rows primaRiga..primaRiga+quante-1, which must lie within the grid.
    void testiColonna(int colonna, int primaRiga, int quante, std::vector<std::string_view>& testi) const;
    // Makes room in every column for about `righe` rows appended in order, judging their texts by
    // those the column already holds; worth calling once the first rows of a long fill are in. The
    // texts and the row count stay the same.
    void riservaRighe(int righe);
    // The same for the columns primaColonna..fineColonna-1 only (clipped to the grid): threads that
    // each fill their own columns make their room at once.
    void riservaRighe(int righe, int primaColonna, int fineColonna);
    // Adds the byte length of the text of rows primaRiga..primaRiga+quante-1 of a column (within the
    // grid) to lunghezze[0..quante). Fails with "Column index, %d, out of bounds".
    void aggiungiLunghezzeColonna(int colonna, int primaRiga, int quante, std::vector<std::size_t>& lunghezze) const;
    // Folds pending out-of-order writes into the columns' buffers and trims their spare capacity.
    // Never needed for correctness. The texts stay the same; views returned earlier become invalid.
    void compatta();

  private:
    [[noreturn]] static void erroreColonna(int colonna);
    // Fails as impostaCella does for a column outside the grid; true when rows
    // primaRiga..primaRiga+quante-1 all lie within it.
    bool serieDentro(int colonna, int primaRiga, std::size_t quante) const;
    [[noreturn]] static void erroreRiga(int riga);

    std::vector<std::unique_ptr<ColonnaGriglia>> colonne_;
    int righe_ = 100;
};

// Empties the grid and gives it the row count (unchanged when negative) and new, empty columns.
void PreparaGriglia(Griglia& griglia, int righe, int colonne, bool solaLettura);

} // namespace marvento
