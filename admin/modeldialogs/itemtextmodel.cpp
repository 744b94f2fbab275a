#include "itemtextmodel.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

#include <algorithm>

namespace mx::admin {

std::vector<int> SelectedRows(const QAbstractItemView* view)
{
    std::vector<int> rows;
    if (const QItemSelectionModel* s = view->selectionModel())
        for (const QModelIndex& i : s->selectedIndexes())
            if (i.column() == 0)
                rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void SelectRow(QAbstractItemView* view, int row)
{
    QAbstractItemModel* m = view->model();
    if (!m || !view->selectionModel())
        return;
    if (row < 0 || row >= m->rowCount()) {
        view->selectionModel()->clear();
        return;
    }
    view->selectionModel()->setCurrentIndex(m->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int CurrentRow(const QAbstractItemView* view)
{
    // The current line, even while a click is still selecting it (the view
    // tells the new current line before it selects it).
    const QModelIndex i = view->currentIndex();
    return i.isValid() ? i.row() : -1;
}

} // namespace mx::admin
