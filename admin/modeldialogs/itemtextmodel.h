#pragma once
// A list of engine items whose rows show a text of their own (a field's
// full name, a criterion with its formula) rather than the item's name;
// rows stay keyed by the item's Id.

#include "admin/dialogs/itemlistmodel.h"

#include <functional>
#include <vector>

class QAbstractItemView;

namespace mx::admin {

class TItemTextModel : public TItemListModel {
    Q_OBJECT

public:
    using TText = std::function<QString(const TMxItem* item)>;
    TItemTextModel(TText text, QObject* parent = nullptr) : TItemListModel(parent), m_text(std::move(text)) {}

    QVariant data(const QModelIndex& index, int role) const override
    {
        if ((role == Qt::DisplayRole || role == Qt::EditRole) && index.isValid() && !index.parent().isValid())
            if (const TMxItem* item = ItemAt(index.row()))
                return m_text(item);
        return TItemListModel::data(index, role);
    }

private:
    TText m_text;
};

// The rows selected in a view, in ascending order.
std::vector<int> SelectedRows(const QAbstractItemView* view);
// Makes row current and selected alone (none for -1 or past the end).
void SelectRow(QAbstractItemView* view, int row);
// The current row, -1 when none.
int CurrentRow(const QAbstractItemView* view);

} // namespace mx::admin
