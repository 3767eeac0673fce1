#pragma once
// The table model that shows a core grid in a view. The grid owns the data; the model owns
// nothing and only reads and writes through the grid.
//
// The model keeps its own copy of the column and row counts, so that a view asking between a
// change of the grid and the next aggiorna() (for instance while a modal box runs in the middle of
// an operation) still gets consistent answers: cells and headers outside the grid read as empty.

#include "Griglia.h"

#include <QAbstractTableModel>

#include <string>
#include <utility>
#include <vector>

namespace marvento {

class ModelloGriglia : public QAbstractTableModel
{
    Q_OBJECT

  public:
    // griglia must outlive the model.
    explicit ModelloGriglia(Griglia& griglia, QObject* parent = nullptr);

    Griglia& griglia() { return griglia_; }
    const Griglia& griglia() const { return griglia_; }

    // Tells the views that the grid changed under the model (columns, rows, texts, widths). When
    // the grid kept its shape, the views keep their current cell and selection; otherwise the
    // model is reset. Either way aggiornato() follows, for views to take the widths from the grid.
    void aggiorna();

    // The rows' labels in the vertical header (a summary's measurements or sections by their own
    // number and name); rows beyond them show their number. Shown from the next aggiorna().
    void impostaEtichetteRighe(std::vector<std::string> etichette) { etichetteRighe_ = std::move(etichette); }
    bool haEtichetteRighe() const { return !etichetteRighe_.empty(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores a text typed by the user; refused (false) for a read-only column.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Moves one column with its header, width and texts; destinationChild as in beginMoveColumns.
    bool moveColumns(const QModelIndex& sourceParent, int sourceColumn, int count,
                     const QModelIndex& destinationParent, int destinationChild) override;

  signals:
    void aggiornato();

  private:
    bool colonnaValida(int colonna) const;

    Griglia& griglia_;
    int righe_ = 0;
    int colonne_ = 0;
    std::vector<std::string> etichetteRighe_;
};

} // namespace marvento
