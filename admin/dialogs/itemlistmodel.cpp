#include "itemlistmodel.h"

#include "engine/core/list.h"

#include <algorithm>

namespace mx::admin {

TItemListModel::TItemListModel(QObject* parent) : QAbstractListModel(parent) {}

void TItemListModel::SetList(const TMxList* list, bool sorted)
{
    std::vector<TMxItem*> items;
    if (list)
        items = list->AsVector();
    if (sorted)
        std::stable_sort(items.begin(), items.end(), [](const TMxItem* a, const TMxItem* b) {
            return a->Name().compare(b->Name(), Qt::CaseInsensitive) < 0;
        });
    SetItems(std::move(items));
}

void TItemListModel::SetItems(std::vector<TMxItem*> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

void TItemListModel::Refresh()
{
    if (!m_items.empty())
        emit dataChanged(index(0), index(int(m_items.size()) - 1), {Qt::DisplayRole, Qt::DecorationRole});
}

TMxItem* TItemListModel::ItemAt(int row) const
{
    return row >= 0 && row < int(m_items.size()) ? m_items[size_t(row)] : nullptr;
}

int TItemListModel::RowOfId(int id) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->Id() == id)
            return int(i);
    return -1;
}

int TItemListModel::RowOf(const TMxItem* item) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), item);
    return it == m_items.end() ? -1 : int(it - m_items.begin());
}

int TItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant TItemListModel::data(const QModelIndex& index, int role) const
{
    const TMxItem* item = index.isValid() && !index.parent().isValid() ? ItemAt(index.row()) : nullptr;
    if (!item || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return item->Name();
    case IdRole:
        return item->Id();
    case Qt::DecorationRole:
        return m_decoration ? m_decoration(item) : QVariant();
    default:
        return {};
    }
}

} // namespace mx::admin
