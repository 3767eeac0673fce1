#pragma once
// The grid: an ordered list of columns (header, width, read-only flag), a row count and the cell
// texts. A 100 MB file gives some twenty million cells, most of them a few bytes long, which must
// cost little more than their bytes: a column keeps its texts back to back in one buffer, with one
// length byte per row and the start of every sixteenth row.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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
    void impostaIntestazione(int colonna, std::string testo)
    {
        colonnaDi(colonna).intestazione = std::move(testo);
    }
    int larghezza(int colonna) const { return colonnaDi(colonna).larghezza; }
    void impostaLarghezza(int colonna, int larghezza) { colonnaDi(colonna).larghezza = larghezza; }
    bool solaLettura(int colonna) const { return colonnaDi(colonna).solaLettura; }
    void impostaSolaLettura(int colonna, bool valore) { colonnaDi(colonna).solaLettura = valore; }

    void rimuoviColonna(int colonna);
    // Removes several columns in one pass over the grid; the indices are those before the call.
    // Fails with "Column index, %d, out of bounds" for the first index outside the grid, and then
    // removes nothing.
    void rimuoviColonne(const std::vector<int>& colonne);
    void aggiungiColonna();           // empty header, width 100, editable
    void riservaColonne(int colonne); // room for this many columns in all, without adding any
    // Moves column da to index a, with its texts; the columns between shift one place towards da.
    // Fails with "Column index, %d, out of bounds" for da, then for a.
    void spostaColonna(int da, int a);

    // Outside the grid: the empty text. The view stays valid until the grid changes.
    std::string_view cella(int colonna, int riga) const
    {
        if (colonna < 0 || colonna >= numeroColonne())
            return {};
        return colonne_[static_cast<std::size_t>(colonna)].testo(riga);
    }
    // impostaCella(colonna, primaRiga + i, testi[i]) for every i in turn, with the same result and
    // failure; rows appended at the end of a column cost little more than their texts.
    void impostaCelle(int colonna, int primaRiga, const std::vector<std::string_view>& testi);
    // The texts of rows prima..fine-1 of a column, as cella gives them, in one pass down it: a column
    // read cell by cell costs more. The views stay valid until the grid changes.
    void testiColonna(int colonna, int prima, int fine, std::vector<std::string_view>& testi) const;
    // Fails with "Column index, %d, out of bounds" (tested first) or "Row index, %d, out of bounds",
    // and with "Too much text in one grid column" beyond 4 GB of text in a column; a failed write
    // changes nothing. Writing the rows of a column in order, as an import does, costs the text.
    void impostaCella(int colonna, int riga, std::string_view testo);

    // Puts the rows of altra below this grid's, column by column: its texts, not its headers, widths
    // or flags. Fails, changing nothing, with "Column index, %d, out of bounds" when altra has
    // another number of columns, and with "Too much text in one grid column" beyond 4 GB of text
    // in a column or more than two billion rows in all (the columns before stay appended then).
    void accodaRighe(const Griglia& altra);

    // Makes room in every column for `righe` rows written in order, judging their texts by the rows
    // already there: a long fill then does not copy its columns over and over as they grow. Room
    // that is never written costs address space, not memory. Changes no text.
    void riservaRighe(int righe);

  private:
    struct Colonna
    {
        static constexpr int kRigheBlocco = 16;
        static constexpr std::uint8_t kLunga = 255; // the length byte of a text of 255 bytes or more

        std::string intestazione;
        int larghezza = 100;
        bool solaLettura = false;
        std::string testi;                             // the texts of the rows written, back to back
        std::vector<std::uint8_t> lunghezze;           // per row written: its length, or kLunga
        std::vector<std::uint32_t> inizi;              // where rows 0, 16, 32, ... start in testi
        std::unordered_map<int, std::uint32_t> lunghe; // the lengths of the rows of kLunga
        // When above 0, rows 0..righeUguali-1 all hold uguale (not empty) and the buffers are empty:
        // a column of one text (the section numbers of a travel-time table, a third of its cells)
        // keeps it once, until a row differs.
        int righeUguali = 0;
        std::string uguale;

        int righe() const { return static_cast<int>(lunghezze.size()); }
        std::size_t lunghezza(int riga) const
        {
            const std::uint8_t n = lunghezze[static_cast<std::size_t>(riga)];
            return n == kLunga ? lunghe.at(riga) : n;
        }
        std::size_t inizio(int riga) const
        {
            std::size_t posto = inizi[static_cast<std::size_t>(riga / kRigheBlocco)];
            for (int r = riga - riga % kRigheBlocco; r < riga; ++r)
                posto += lunghezza(r);
            return posto;
        }
        std::string_view testo(int riga) const
        {
            if (righeUguali > 0)
                return riga >= 0 && riga < righeUguali ? std::string_view(uguale) : std::string_view();
            if (riga < 0 || riga >= righe())
                return {};
            return std::string_view(testi.data() + inizio(riga), lunghezza(riga));
        }
        void accoda(std::string_view testo);
        // Counts in the next row, of n bytes that start at posto in testi.
        void contaRiga(std::size_t posto, std::size_t n);
        // The rows of one text written out into the buffers, for any change but more of the same.
        void materializza();
        void sostituisci(int riga, std::string_view testo);
        // The rows of altra after the first `prima` rows, those not written read as empty.
        void accodaColonna(int prima, const Colonna& altra);
        void tronca(int righe);
    };

    Colonna& colonnaDi(int colonna);
    const Colonna& colonnaDi(int colonna) const;

    std::vector<Colonna> colonne_;
    int righe_ = 100;
};

// Empties the grid and gives it the row count (unchanged when negative) and new, empty columns.
void PreparaGriglia(Griglia& griglia, int righe, int colonne, bool solaLettura);

} // namespace marvento
