#include "VistaGriglia.h"

#include "ModelloGriglia.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include <algorithm>
#include <unordered_map>

namespace marvento {

VistaGriglia::VistaGriglia(QWidget* parent) : QTableView(parent)
{
    setShowGrid(true);
    setAlternatingRowColors(true);
    setTabKeyNavigation(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    // Rows as high as a line of text with a small margin, not the roomier default of the style.
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* intestazioni = horizontalHeader();
    intestazioni->setSectionsMovable(true);
    // A click on a header selects nothing and sorts nothing.
    intestazioni->setSectionsClickable(false);
    intestazioni->setHighlightSections(false);
    intestazioni->setSectionResizeMode(QHeaderView::Interactive);
    intestazioni->setStretchLastSection(false);
    intestazioni->setDefaultSectionSize(100);

    connect(intestazioni, &QHeaderView::sectionMoved, this, &VistaGriglia::colonnaTrascinata);
    connect(intestazioni, &QHeaderView::sectionResized, this, &VistaGriglia::colonnaRidimensionata);
}

void VistaGriglia::impostaModello(ModelloGriglia* modello)
{
    if (modello_)
        disconnect(modello_, nullptr, this, nullptr);
    modello_ = modello;
    setModel(modello);
    if (modello_) {
        // While the model resets, the header rebuilds its sections with the default size: those
        // are not the user's widths and must not reach the grid.
        connect(modello_, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { applicandoLarghezze_ = true; });
        connect(modello_, &QAbstractItemModel::modelReset, this, &VistaGriglia::applicaLarghezze);
        connect(modello_, &ModelloGriglia::aggiornato, this, &VistaGriglia::applicaLarghezze);
        // Row labels, where the grid has them, stand at the left of its rows.
        connect(modello_, &ModelloGriglia::aggiornato, this,
                [this] { verticalHeader()->setVisible(modello_->haEtichetteRighe()); });
    }
    applicaLarghezze();
}

void VistaGriglia::confermaModifica()
{
    if (!inModifica())
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void VistaGriglia::applicaLarghezze()
{
    if (!modello_)
        return;
    const Griglia& griglia = modello_->griglia();
    const int colonne = std::min(griglia.numeroColonne(), model()->columnCount());
    QHeaderView* intestazioni = horizontalHeader();
    applicandoLarghezze_ = true;
    // An import leaves thousands of columns of one width, and resizing them one by one is slow:
    // that width becomes the header's default, which the sections still at the old default take
    // at once, and only the columns that differ are resized.
    std::unordered_map<int, int> quante;
    int comune = intestazioni->defaultSectionSize();
    for (int c = 0; c < colonne; ++c)
        if (++quante[griglia.larghezza(c)] > quante[comune])
            comune = griglia.larghezza(c);
    if (comune != intestazioni->defaultSectionSize() && comune >= intestazioni->minimumSectionSize())
        intestazioni->setDefaultSectionSize(comune);
    for (int c = 0; c < colonne; ++c)
        if (intestazioni->sectionSize(c) != griglia.larghezza(c))
            intestazioni->resizeSection(c, griglia.larghezza(c));
    applicandoLarghezze_ = false;
}

void VistaGriglia::colonnaTrascinata(int logica, int da, int a)
{
    Q_UNUSED(logica);
    // The header only changed its visual order: put it back and move the model's column instead,
    // so that the grid itself (and every later read by index) sees the new order.
    {
        const QSignalBlocker blocco(horizontalHeader());
        horizontalHeader()->moveSection(a, da);
    }
    if (!modello_)
        return;
    applicandoLarghezze_ = true;
    modello_->moveColumn(QModelIndex(), da, QModelIndex(), a > da ? a + 1 : a);
    applicaLarghezze();
}

void VistaGriglia::colonnaRidimensionata(int logica, int vecchia, int nuova)
{
    Q_UNUSED(vecchia);
    if (applicandoLarghezze_ || !modello_ || logica < 0 || logica >= modello_->griglia().numeroColonne())
        return;
    modello_->griglia().impostaLarghezza(logica, nuova);
}

} // namespace marvento
