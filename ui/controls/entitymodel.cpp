#include "entitymodel.h"

#include "ui/services/guarded.h"
#include "pictures.h"

#include "engine/model/entity.h"
#include "engine/model/field.h"

#include <QMimeData>

#include <functional>

namespace mx::ui {

namespace {

// Where a row goes among count shown rows so that they keep their list's
// order: after every shown row whose place in the list (placeOf) comes
// before place. Refused and removed items take no row, so a list index is
// not a row. Most come last (a list filling, or replayed): the last row is
// asked first.
int rowFor(int place, int count, const std::function<int(int row)>& placeOf)
{
    if (count == 0 || placeOf(count - 1) <= place)
        return count;
    int at = 0;
    while (at < count && placeOf(at) < place)
        ++at;
    return at;
}

} // namespace

TEntityOutlineModel::TEntityOutlineModel(QObject* parent) : QAbstractItemModel(parent) {}

TEntityOutlineModel::~TEntityOutlineModel() = default;

TMxEntityList* TEntityOutlineModel::Entities() const
{
    return m_list ? m_list->ItemAs<TMxEntityList>() : nullptr;
}

void TEntityOutlineModel::SetEntities(TMxEntityList* entities)
{
    if (m_list ? m_list->Item() && m_list->Item() == entities : !entities)
        return;
    beginResetModel();
    // Dropped without replaying: the reset tells the views at once.
    m_list.reset();
    m_rows.clear();
    if (entities) {
        m_list = std::make_unique<TItemObserver>();
        Connect(m_list.get(), &TItemObserver::added, this, [this](TMxItem* item) { entityAdded(item); });
        Connect(m_list.get(), &TItemObserver::removed, this, [this](TMxItem* item) { entityRemoved(item); });
    }
    endResetModel();
    // The replay of the members comes as insertions, after the reset.
    if (m_list)
        m_list->Observe(entities);
}

bool TEntityOutlineModel::accepts(const TMxAskEvent& ask, TMxItem* item) const
{
    bool accept = true;
    if (ask)
        ask(item, accept);
    return accept;
}

void TEntityOutlineModel::RemoveEmptyEntities()
{
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (!m_rows[size_t(i)]->rows.empty())
            continue;
        beginRemoveRows({}, i, i);
        // Its observers go unreplayed: the entity is not followed any more.
        std::unique_ptr<EntityRow> gone = std::move(m_rows[size_t(i)]);
        m_rows.erase(m_rows.begin() + i);
        endRemoveRows();
    }
}

int TEntityOutlineModel::rowOf(const EntityRow* row) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].get() == row)
            return int(i);
    return -1;
}

TMxField* TEntityOutlineModel::fieldOf(const TMxEntity* entity, const TMxItem* entry)
{
    if (!entity || !entry)
        return nullptr;
    const int index = entity->WFields()->IndexOf(entry);
    return index >= 0 ? entity->GetField(index) : nullptr;
}

void TEntityOutlineModel::entityAdded(TMxItem* item)
{
    auto* entity = item_cast<TMxEntity>(item);
    if (!entity)
        return;
    for (const auto& r : m_rows)
        if (r->entity.get() == entity)
            return;
    if (!accepts(OnEntityAdded, entity))
        return;
    // After every row whose entity comes before it in the list: refused
    // and removed entities take no row.
    const TMxEntityList* list = Entities();
    const int place = list ? list->IndexOf(entity) : -1;
    const int at = place < 0 ? int(m_rows.size()) : rowFor(place, int(m_rows.size()), [&](int row) {
        return list->IndexOf(m_rows[size_t(row)]->entity.get());
    });
    auto row = std::make_unique<EntityRow>();
    EntityRow* r = row.get();
    r->entity.reset(entity);
    r->self = std::make_unique<TItemObserver>();
    r->fields = std::make_unique<TItemObserver>();
    beginInsertRows({}, at, at);
    m_rows.insert(m_rows.begin() + at, std::move(row));
    endInsertRows();
    Connect(r->self.get(), &TItemObserver::changed, this, [this, r](TMxItem*) {
        const QModelIndex i = index(rowOf(r), 0);
        if (i.isValid())
            emit dataChanged(i, i);
    });
    Connect(r->fields.get(), &TItemObserver::added, this, [this, r](TMxItem* added) { fieldAdded(r, added); });
    Connect(r->fields.get(), &TItemObserver::removed, this, [this, r](TMxItem* gone) { fieldRemoved(r, gone); });
    r->self->Observe(entity);
    // Replays the entity's fields.
    r->fields->Observe(entity->WFields());
}

void TEntityOutlineModel::entityRemoved(TMxItem* item)
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i]->entity.address() != item)
            continue;
        beginRemoveRows({}, int(i), int(i));
        // The field rows go with it, unreplayed.
        std::unique_ptr<EntityRow> gone = std::move(m_rows[i]);
        m_rows.erase(m_rows.begin() + qsizetype(i));
        endRemoveRows();
        return;
    }
}

void TEntityOutlineModel::fieldAdded(EntityRow* row, TMxItem* item)
{
    TMxEntity* entity = row->entity.get();
    if (!entity || !item)
        return;
    TMxList* entries = entity->WFields();
    TMxItem* entry = item;
    if (item->OwnerList() != entries) {
        // An entity adding a field reports the field, not its entry: the
        // entry is the last one naming it.
        entry = nullptr;
        auto* field = item_cast<TMxField>(item);
        for (int i = entries->Count() - 1; field && i >= 0; --i)
            if (entries->Items(i)->Name() == field->Name() && entries->Items(i)->Id() == field->GetTableId()) {
                entry = entries->Items(i);
                break;
            }
        if (!entry)
            return;
    }
    for (const auto& f : row->rows)
        if (f->entry.get() == entry)
            return;
    const int parentRow = rowOf(row);
    if (parentRow < 0)
        return;
    TMxField* named = fieldOf(entity, entry);
    if (!accepts(OnFieldAdded, named ? static_cast<TMxItem*>(named) : entry))
        return;
    // The asking may have changed the rows: the entity's row is found again.
    if (rowOf(row) != parentRow || !row->entity)
        return;
    const int place = entries->IndexOf(entry);
    if (place < 0)
        return;
    const int at = rowFor(place, int(row->rows.size()), [&](int r) {
        return entries->IndexOf(row->rows[size_t(r)]->entry.get());
    });
    auto fieldRowPtr = std::make_unique<FieldRow>();
    FieldRow* f = fieldRowPtr.get();
    f->entry.reset(entry);
    f->self = std::make_unique<TItemObserver>();
    f->field = std::make_unique<TItemObserver>();
    beginInsertRows(index(parentRow, 0), at, at);
    row->rows.insert(row->rows.begin() + at, std::move(fieldRowPtr));
    endInsertRows();
    // The text follows the entry (which field it names) and the field
    // itself (its FullName).
    Connect(f->self.get(), &TItemObserver::changed, this, [this, row, f](TMxItem*) { refreshField(row, f); });
    Connect(f->field.get(), &TItemObserver::changed, this, [this, row, f](TMxItem*) { refreshField(row, f); });
    f->self->Observe(entry);
    f->field->Observe(named);
}

void TEntityOutlineModel::fieldRemoved(EntityRow* row, TMxItem* item)
{
    const int parentRow = rowOf(row);
    if (parentRow < 0)
        return;
    for (size_t i = 0; i < row->rows.size(); ++i) {
        if (row->rows[i]->entry.address() != item)
            continue;
        beginRemoveRows(index(parentRow, 0), int(i), int(i));
        std::unique_ptr<FieldRow> gone = std::move(row->rows[i]);
        row->rows.erase(row->rows.begin() + qsizetype(i));
        endRemoveRows();
        return;
    }
}

void TEntityOutlineModel::refreshField(EntityRow* row, FieldRow* field)
{
    const int parentRow = rowOf(row);
    if (parentRow < 0)
        return;
    for (size_t i = 0; i < row->rows.size(); ++i) {
        if (row->rows[i].get() != field)
            continue;
        // An entry may come to name another field.
        TMxField* named = fieldOf(row->entity.get(), field->entry.get());
        if (field->field->Item() != named)
            field->field->Observe(named);
        const QModelIndex at = index(int(i), 0, index(parentRow, 0));
        emit dataChanged(at, at);
        return;
    }
}

TEntityOutlineModel::EntityRow* TEntityOutlineModel::entityRow(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (auto* parent = static_cast<EntityRow*>(index.internalPointer()))
        return parent;
    return index.row() < int(m_rows.size()) ? m_rows[size_t(index.row())].get() : nullptr;
}

TEntityOutlineModel::FieldRow* TEntityOutlineModel::fieldRow(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    auto* parent = static_cast<EntityRow*>(index.internalPointer());
    if (!parent || index.row() >= int(parent->rows.size()))
        return nullptr;
    return parent->rows[size_t(index.row())].get();
}

TMxEntity* TEntityOutlineModel::EntityAt(const QModelIndex& index) const
{
    const EntityRow* row = entityRow(index);
    return row ? row->entity.get() : nullptr;
}

TMxField* TEntityOutlineModel::FieldAt(const QModelIndex& index) const
{
    const FieldRow* f = fieldRow(index);
    return f ? fieldOf(EntityAt(index), f->entry.get()) : nullptr;
}

TMxItem* TEntityOutlineModel::ItemAt(const QModelIndex& index) const
{
    if (const FieldRow* f = fieldRow(index))
        return EntityAt(index) ? f->entry.get() : nullptr;
    return index.isValid() && !index.internalPointer() ? EntityAt(index) : nullptr;
}

QModelIndex TEntityOutlineModel::IndexOf(const TMxItem* item) const
{
    if (!item)
        return {};
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const EntityRow* row = m_rows[i].get();
        if (!row->entity)
            continue;
        if (row->entity.get() == item)
            return index(int(i), 0);
        for (size_t j = 0; j < row->rows.size(); ++j)
            if (row->rows[j]->entry.get() == item)
                return index(int(j), 0, index(int(i), 0));
    }
    return {};
}

TFieldDragItem TEntityOutlineModel::DragItemAt(const QModelIndex& index) const
{
    TMxEntity* entity = EntityAt(index);
    if (!entity)
        return {};
    if (!fieldRow(index))
        return DragItemOf(entity);
    TMxField* field = FieldAt(index);
    return field ? DragItemOf(entity, field) : TFieldDragItem{};
}

QModelIndex TEntityOutlineModel::IndexOf(const TFieldDragItem& item) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const TMxEntity* entity = m_rows[i]->entity.get();
        if (!entity || entity->Id() != item.entityId)
            continue;
        const QModelIndex parent = index(int(i), 0);
        if (item.fieldId < 0)
            return parent;
        for (size_t j = 0; j < m_rows[i]->rows.size(); ++j) {
            const TMxField* field = fieldOf(entity, m_rows[i]->rows[j]->entry.get());
            if (field && field->Id() == item.fieldId && field->GetTableId() == item.tableId)
                return index(int(j), 0, parent);
        }
    }
    return {};
}

QModelIndex TEntityOutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0)
        return {};
    if (!parent.isValid())
        return row < int(m_rows.size()) ? createIndex(row, 0, nullptr) : QModelIndex();
    if (parent.internalPointer() || parent.model() != this)
        return {}; // fields have no children
    EntityRow* owner = entityRow(parent);
    return owner && row < int(owner->rows.size()) ? createIndex(row, 0, owner) : QModelIndex();
}

QModelIndex TEntityOutlineModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    auto* owner = static_cast<EntityRow*>(child.internalPointer());
    if (!owner)
        return {};
    const int row = rowOf(owner);
    return row >= 0 ? createIndex(row, 0, nullptr) : QModelIndex();
}

int TEntityOutlineModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_rows.size());
    if (parent.column() != 0 || parent.internalPointer())
        return 0;
    const EntityRow* row = entityRow(parent);
    return row ? int(row->rows.size()) : 0;
}

int TEntityOutlineModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TEntityOutlineModel::data(const QModelIndex& index, int role) const
{
    TMxEntity* entity = EntityAt(index);
    if (!entity)
        return {};
    const FieldRow* f = fieldRow(index);
    if (index.internalPointer() && !f)
        return {};
    TMxField* field = f ? fieldOf(entity, f->entry.get()) : nullptr;
    switch (role) {
    case Qt::DisplayRole:
        if (!f)
            return entity->Name();
        if (field)
            return field->FullName();
        return f->entry ? f->entry->Name() : QString();
    case Qt::DecorationRole:
        return Picture(f ? TPicture::Field : TPicture::Entity);
    case EntityIdRole:
        return entity->Id();
    case TableIdRole:
        return f && field ? QVariant(field->GetTableId()) : QVariant();
    case FieldIdRole:
        return f ? (field ? QVariant(field->Id()) : QVariant()) : QVariant(-1);
    default:
        return {};
    }
}

Qt::ItemFlags TEntityOutlineModel::flags(const QModelIndex& index) const
{
    if (!EntityAt(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled
        | (index.internalPointer() ? Qt::ItemNeverHasChildren : Qt::NoItemFlags);
}

QStringList TEntityOutlineModel::mimeTypes() const
{
    return {QString::fromLatin1(FieldDragMimeType)};
}

QMimeData* TEntityOutlineModel::mimeData(const QModelIndexList& indexes) const
{
    TFieldDragPayload payload;
    payload.modelFile = m_modelFile;
    for (const QModelIndex& i : indexes) {
        const TFieldDragItem item = DragItemAt(i);
        if (EntityAt(i) && (item.fieldId >= 0 || !fieldRow(i)) && !payload.items.contains(item))
            payload.items.append(item);
    }
    if (payload.items.isEmpty())
        return nullptr;
    return payload.ToMimeData();
}

} // namespace mx::ui
