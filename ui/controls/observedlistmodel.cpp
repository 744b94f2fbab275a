#include "observedlistmodel.h"

#include "ui/services/guarded.h"

#include "engine/core/list.h"

#include <algorithm>

namespace mx::ui {

TObservedListModel::TObservedListModel(QObject* parent) : QAbstractListModel(parent) {}

TObservedListModel::~TObservedListModel() = default;

TMxList* TObservedListModel::List() const
{
    return m_list ? m_list->ItemAs<TMxList>() : nullptr;
}

void TObservedListModel::SetList(TMxList* list)
{
    if (m_list ? m_list->Item() && m_list->Item() == list : !list)
        return;
    beginResetModel();
    // Dropped without replaying: the reset tells the views at once.
    m_list.reset();
    m_rows.clear();
    if (list) {
        m_list = std::make_unique<TItemObserver>();
        Connect(m_list.get(), &TItemObserver::added, this, [this](TMxItem* item) { added(item); });
        Connect(m_list.get(), &TItemObserver::removed, this, [this](TMxItem* item) { removed(item); });
        Connect(m_list.get(), &TItemObserver::changed, this, [this](TMxItem* sender) { changed(sender); });
    }
    endResetModel();
    // The replay of the members comes as insertions, after the reset.
    if (m_list)
        m_list->Observe(list);
}

void TObservedListModel::SetText(TText text)
{
    m_text = std::move(text);
    if (!m_rows.empty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1), {Qt::DisplayRole});
}

int TObservedListModel::rowOf(const TMxItem* item) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i]->item.address() == item)
            return int(i);
    return -1;
}

void TObservedListModel::added(TMxItem* item)
{
    if (!item || rowOf(item) >= 0)
        return;
    const TMxList* list = List();
    const int at = std::clamp(list ? list->IndexOf(item) : int(m_rows.size()), 0, int(m_rows.size()));
    auto row = std::make_unique<Row>();
    Row* r = row.get();
    r->item.reset(item);
    r->self = std::make_unique<TItemObserver>();
    beginInsertRows({}, at, at);
    m_rows.insert(m_rows.begin() + at, std::move(row));
    endInsertRows();
    Connect(r->self.get(), &TItemObserver::changed, this, [this, item](TMxItem*) { changed(item); });
    r->self->Observe(item);
}

void TObservedListModel::removed(TMxItem* item)
{
    const int row = rowOf(item);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    std::unique_ptr<Row> gone = std::move(m_rows[size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void TObservedListModel::changed(const TMxItem* item)
{
    // The list itself changed (two items exchanged, say): the rows follow
    // its order.
    if (!item || item == List()) {
        followOrder();
        return;
    }
    const int row = rowOf(item);
    if (row >= 0)
        emit dataChanged(index(row), index(row));
}

void TObservedListModel::followOrder()
{
    const TMxList* list = List();
    if (!list || m_rows.empty())
        return;
    // Each row's place in the list; rows the list no longer holds keep
    // their place after those it does.
    auto place = [&](const Row& r) {
        const TMxItem* item = r.item.get();
        const int at = item ? list->IndexOf(item) : -1;
        return at >= 0 ? at : list->Count();
    };
    bool sorted = true;
    for (size_t i = 1; i < m_rows.size() && sorted; ++i)
        sorted = place(*m_rows[i - 1]) <= place(*m_rows[i]);
    if (sorted)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const Row*> rowsBefore;
    for (const QModelIndex& i : before)
        rowsBefore.push_back(m_rows[size_t(i.row())].get());
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const auto& a, const auto& b) { return place(*a) < place(*b); });
    QModelIndexList after;
    for (const Row* r : rowsBefore) {
        int row = 0;
        while (m_rows[size_t(row)].get() != r)
            ++row;
        after.append(index(row));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

TMxItem* TObservedListModel::ItemAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)]->item.get() : nullptr;
}

int TObservedListModel::RowOfId(int id) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (const TMxItem* item = m_rows[i]->item.get(); item && item->Id() == id)
            return int(i);
    return -1;
}

QModelIndex TObservedListModel::IndexOfId(int id) const
{
    const int row = RowOfId(id);
    return row >= 0 ? index(row) : QModelIndex();
}

void TObservedListModel::Refresh(int row)
{
    if (row >= 0 && row < int(m_rows.size()))
        emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

int TObservedListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant TObservedListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || index.column() != 0)
        return {};
    const TMxItem* item = ItemAt(index.row());
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_text ? m_text(item) : item->Name();
    case Qt::DecorationRole:
        return m_decoration;
    case IdRole:
        return item->Id();
    default:
        return {};
    }
}

Qt::ItemFlags TObservedListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !ItemAt(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace mx::ui
