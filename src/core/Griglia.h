#pragma once
// The grid: an ordered list of columns (header, width, read-only flag), a row count and the cell
// texts. A column keeps its texts back to back in one buffer with the end of each row's text:
// a 100 MB file gives some twenty million cells, which must cost little more than their bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marvento {

class Griglia
{
  public:
    int numeroColonne() const { return static_cast<int>(colonne_.size()); }
    int numeroRighe() const { return righe_; }
    // A negative count or the current one changes nothing; lowering drops the texts beyond.
    void impostaNumeroRighe(int righe);

    // Column access fails with "Column index, %d, out of bounds".
    const std::string& intestazione(int colonna) const { return colonnaDi(colonna).intestazione; }
    void impostaIntestazione(int colonna, std::string testo) { colonnaDi(colonna).intestazione = std::move(testo); }
    int larghezza(int colonna) const { return colonnaDi(colonna).larghezza; }
    void impostaLarghezza(int colonna, int larghezza) { colonnaDi(colonna).larghezza = larghezza; }
    bool solaLettura(int colonna) const { return colonnaDi(colonna).solaLettura; }
    void impostaSolaLettura(int colonna, bool valore) { colonnaDi(colonna).solaLettura = valore; }

    void rimuoviColonna(int colonna);
    // Removes several columns in one pass over the grid; the indices are those before the call.
    // Fails with "Column index, %d, out of bounds" for the first index outside the grid, and then
    // removes nothing.
    void rimuoviColonne(const std::vector<int>& colonne);
    void aggiungiColonna(); // empty header, width 100, editable
    // Moves column da to index a, with its texts; the columns between shift one place towards da.
    // Fails with "Column index, %d, out of bounds" for da, then for a.
    void spostaColonna(int da, int a);

    // Outside the grid: the empty text. The view stays valid until the grid changes.
    std::string_view cella(int colonna, int riga) const
    {
        if (colonna < 0 || colonna >= numeroColonne() || riga < 0)
            return {};
        const Colonna& c = colonne_[static_cast<std::size_t>(colonna)];
        const std::size_t r = static_cast<std::size_t>(riga);
        if (r >= c.fini.size())
            return {};
        const std::size_t inizio = r == 0 ? 0 : c.fini[r - 1];
        return std::string_view(c.testi.data() + inizio, c.fini[r] - inizio);
    }
    // Fails with "Column index, %d, out of bounds" (tested first) or "Row index, %d, out of bounds",
    // and with "Too much text in one grid column" beyond 4 GB of text in a column; a failed write
    // changes nothing. Writing the rows of a column in order, as an import does, costs the text.
    void impostaCella(int colonna, int riga, std::string_view testo);

    // Makes room in every column for `righe` rows written in order, judging their texts by the rows
    // already there: a long fill then does not copy its columns over and over as they grow. Room
    // that is never written costs address space, not memory. Changes no text.
    void riservaRighe(int righe);

    // Appends the rows of altra, which has the same number of columns, below the rows of this grid,
    // column by column: parts of a table filled at once are put together this way. Headers, widths
    // and flags stay this grid's; altra is left empty.
    void accodaRighe(Griglia&& altra);

  private:
    struct Colonna
    {
        std::string intestazione;
        int larghezza = 100;
        bool solaLettura = false;
        std::string testi;               // the texts of rows 0..fini.size()-1, back to back
        std::vector<std::uint32_t> fini; // where each of those rows' text ends in testi
    };

    Colonna& colonnaDi(int colonna);
    const Colonna& colonnaDi(int colonna) const;

    std::vector<Colonna> colonne_;
    int righe_ = 100;
};

// Empties the grid and gives it the row count (unchanged when negative) and new, empty columns.
void PreparaGriglia(Griglia& griglia, int righe, int colonne, bool solaLettura);

} // namespace marvento
