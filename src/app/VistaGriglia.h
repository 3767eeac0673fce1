#pragma once
// A view of one grid of the main window: header row, grid lines, alternating rows, in-place
// editing, Tab between cells, columns resized and moved by dragging the header. A moved header
// moves the grid's column with its texts; a resized one stores its width in the grid.

#include <QTableView>

namespace marvento {

class ModelloGriglia;

class VistaGriglia : public QTableView
{
    Q_OBJECT

  public:
    explicit VistaGriglia(QWidget* parent = nullptr);

    // The model is not owned; it must outlive the view or be replaced first.
    void impostaModello(ModelloGriglia* modello);
    ModelloGriglia* modello() const { return modello_; }

    // Stores a text still being typed into a cell and closes its editor; nothing when no cell is
    // being edited.
    void confermaModifica();
    // True while a cell's editor is open.
    bool inModifica() const { return state() == QAbstractItemView::EditingState; }

  private:
    void applicaLarghezze();
    void colonnaTrascinata(int logica, int da, int a);
    void colonnaRidimensionata(int logica, int vecchia, int nuova);

    ModelloGriglia* modello_ = nullptr;
    bool applicandoLarghezze_ = false;
};

} // namespace marvento
