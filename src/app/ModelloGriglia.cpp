#include "ModelloGriglia.h"

#include <exception>
#include <string_view>

namespace marvento {

namespace {

QString DaVista(std::string_view testo)
{
    return QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
}

} // namespace

ModelloGriglia::ModelloGriglia(Griglia& griglia, QObject* parent)
    : QAbstractTableModel(parent), griglia_(griglia), righe_(griglia.numeroRighe()),
      colonne_(griglia.numeroColonne())
{
}

void ModelloGriglia::aggiorna()
{
    if (righe_ == griglia_.numeroRighe() && colonne_ == griglia_.numeroColonne()) {
        // Same shape: a reset would throw away the user's current cell after every button.
        if (righe_ > 0 && colonne_ > 0)
            emit dataChanged(index(0, 0), index(righe_ - 1, colonne_ - 1));
        if (colonne_ > 0)
            emit headerDataChanged(Qt::Horizontal, 0, colonne_ - 1);
        if (righe_ > 0)
            emit headerDataChanged(Qt::Vertical, 0, righe_ - 1);
    } else {
        beginResetModel();
        righe_ = griglia_.numeroRighe();
        colonne_ = griglia_.numeroColonne();
        endResetModel();
    }
    emit aggiornato();
}

bool ModelloGriglia::colonnaValida(int colonna) const
{
    // The grid may have lost columns since the last aggiorna().
    return colonna >= 0 && colonna < griglia_.numeroColonne();
}

int ModelloGriglia::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : righe_;
}

int ModelloGriglia::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : colonne_;
}

QVariant ModelloGriglia::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    // Reading outside the grid gives the empty text, never a failure.
    return DaVista(griglia_.cella(index.column(), index.row()));
}

QVariant ModelloGriglia::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical) {
        if (section >= 0 && section < static_cast<int>(etichetteRighe_.size()))
            return DaVista(etichetteRighe_[static_cast<std::size_t>(section)]);
        return section + 1;
    }
    if (!colonnaValida(section))
        return QString();
    return QString::fromStdString(griglia_.intestazione(section));
}

Qt::ItemFlags ModelloGriglia::flags(const QModelIndex& index) const
{
    Qt::ItemFlags esito = QAbstractTableModel::flags(index);
    if (index.isValid() && colonnaValida(index.column()) && !griglia_.solaLettura(index.column()))
        esito |= Qt::ItemIsEditable;
    return esito;
}

bool ModelloGriglia::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !colonnaValida(index.column()) ||
        index.row() >= griglia_.numeroRighe() || griglia_.solaLettura(index.column()))
        return false;
    const QByteArray testo = value.toString().toUtf8();
    try {
        griglia_.impostaCella(index.column(), index.row(),
                              std::string_view(testo.constData(), static_cast<std::size_t>(testo.size())));
    } catch (const std::exception&) {
        // Called from Qt's editor machinery, where an exception would end the program: a text the
        // grid cannot hold is simply not stored.
        return false;
    }
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

bool ModelloGriglia::moveColumns(const QModelIndex& sourceParent, int sourceColumn, int count,
                                 const QModelIndex& destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || count != 1 || !colonnaValida(sourceColumn) ||
        sourceColumn >= colonne_ || destinationChild < 0 || destinationChild > colonne_ ||
        destinationChild > griglia_.numeroColonne())
        return false;
    // beginMoveColumns refuses the two destinations that leave the column where it is.
    if (!beginMoveColumns(QModelIndex(), sourceColumn, sourceColumn, QModelIndex(), destinationChild))
        return false;
    griglia_.spostaColonna(sourceColumn,
                           destinationChild > sourceColumn ? destinationChild - 1 : destinationChild);
    endMoveColumns();
    return true;
}

} // namespace marvento
