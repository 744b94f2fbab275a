#include "entityoutline.h"
#include "entitymodel.h"
#include "fielddrag.h"

#include "ui/services/guarded.h"
#include "pictures.h"

#include "engine/errors/errorhandler.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace mx::ui {
namespace {


// Every node one height, the outline's.
class TFixedHeightDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TFixedHeightDelegate(TEntityOutline* outline) : QStyledItemDelegate(outline), m_outline(outline) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(m_outline->ItemHeight());
        return s;
    }

private:
    TEntityOutline* m_outline;
};

// A node holds the identifiers of what it shows, under the roles of the
// entity model: the entity's Id, and for a field its table's Id and its own.
void setIds(QTreeWidgetItem* node, const TMxEntity* entity, const TMxField* field, bool isField)
{
    const TFieldDragItem ids = DragItemOf(entity, field);
    node->setData(0, TEntityOutlineModel::EntityIdRole, ids.entityId);
    node->setData(0, TEntityOutlineModel::TableIdRole, isField && field ? QVariant(ids.tableId) : QVariant());
    node->setData(0, TEntityOutlineModel::FieldIdRole, isField ? (field ? QVariant(ids.fieldId) : QVariant()) : QVariant(-1));
}

} // namespace

TEntityOutline::TEntityOutline(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("EntityOutline"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TFixedHeightDelegate(this));
    applyItemHeight();
}

TEntityOutline::~TEntityOutline()
{
    // Detaches without replaying: the tree goes with the window.
    const auto keys = m_followed.keys();
    for (const TMxItem* item : keys)
        forget(item, false);
    delete m_list;
}

int TEntityOutline::ItemHeight() const
{
    return std::max(iconSize().height() + 2, fontMetrics().height() + 2);
}

void TEntityOutline::applyItemHeight()
{
    setIndentation(ItemHeight());
}

void TEntityOutline::changeEvent(QEvent* event)
{
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        applyItemHeight();
}

TMxEntityList* TEntityOutline::Entities() const
{
    return m_list ? m_list->ItemAs<TMxEntityList>() : nullptr;
}

void TEntityOutline::SetEntities(TMxEntityList* entities)
{
    if (m_list ? m_list->Item() && m_list->Item() == entities : !entities)
        return;
    setUpdatesEnabled(false);
    struct Show {
        TEntityOutline* o;
        ~Show() { o->setUpdatesEnabled(true); }
    } show{this};
    if (m_list) {
        // The list reports each entity as removed, last first.
        m_list->Release(true);
        delete m_list;
        m_list = nullptr;
    }
    // Whatever the list did not report (a list freed under the tree).
    const auto keys = m_followed.keys();
    for (const TMxItem* item : keys)
        forget(item, false);
    clear();
    m_items.clear();
    m_selectedEntity.reset();
    m_selectedField.reset();
    if (!entities)
        return;
    m_list = new TItemObserver(this);
    Connect(m_list, &TItemObserver::added, this, [this](TMxItem* item) { entityAdded(item); });
    Connect(m_list, &TItemObserver::removed, this, [this](TMxItem* item) { entityRemoved(item); });
    m_list->Observe(entities);
}

void TEntityOutline::entityAdded(TMxItem* item)
{
    auto* entity = item_cast<TMxEntity>(item);
    if (!entity || m_followed.contains(entity))
        return;
    if (OnEntityAdded) {
        bool accept = true;
        OnEntityAdded(entity, accept);
        if (!accept)
            return;
    }
    auto* node = new QTreeWidgetItem(this, QStringList(entity->Name()));
    node->setIcon(0, Picture(TPicture::Entity));
    setIds(node, entity, nullptr, false);
    m_items.insert(node, entity);
    Followed f;
    f.node = node;
    f.self = new TItemObserver(this);
    f.other = new TItemObserver(this);
    m_followed.insert(entity, f);
    Connect(f.self, &TItemObserver::changed, this, [this, entity](TMxItem*) {
        if (QTreeWidgetItem* n = NodeOf(entity))
            n->setText(0, entity->Name());
    });
    Connect(f.other, &TItemObserver::added, this, [this, entity](TMxItem* added) { fieldAdded(entity, added); });
    Connect(f.other, &TItemObserver::removed, this, [this](TMxItem* gone) { fieldRemoved(gone); });
    f.self->Observe(entity);
    // Replays the entity's fields.
    f.other->Observe(entity->WFields());
}

void TEntityOutline::entityRemoved(TMxItem* item)
{
    QTreeWidgetItem* node = NodeOf(item);
    if (!node)
        return;
    node->setExpanded(false);
    forget(item, true);
}

void TEntityOutline::fieldAdded(TMxEntity* entity, TMxItem* item)
{
    QTreeWidgetItem* parent = NodeOf(entity);
    if (!parent || !item)
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
    if (m_followed.contains(entry))
        return;
    TMxField* field = FieldOfItem(entry);
    if (OnFieldAdded) {
        bool accept = true;
        OnFieldAdded(field ? static_cast<TMxItem*>(field) : entry, accept);
        if (!accept)
            return;
    }
    auto* node = new QTreeWidgetItem(parent, QStringList(field ? field->FullName() : entry->Name()));
    node->setIcon(0, Picture(TPicture::Field));
    setIds(node, entity, field, true);
    m_items.insert(node, entry);
    Followed f;
    f.node = node;
    f.self = new TItemObserver(this);
    f.other = new TItemObserver(this);
    m_followed.insert(entry, f);
    // The text follows the entry (which field it names) and the field
    // itself (its FullName).
    Connect(f.self, &TItemObserver::changed, this, [this, entry](TMxItem*) { refreshField(entry); });
    Connect(f.other, &TItemObserver::changed, this, [this, entry](TMxItem*) { refreshField(entry); });
    f.self->Observe(entry);
    f.other->Observe(field);
}

void TEntityOutline::refreshField(TMxItem* entry)
{
    auto it = m_followed.find(entry);
    if (it == m_followed.end())
        return;
    TMxField* field = FieldOfItem(entry);
    it->node->setText(0, field ? field->FullName() : entry->Name());
    setIds(it->node, EntityOf(it->node), field, true);
    // An entry may come to name another field.
    if (it->other->Item() != field)
        it->other->Observe(field);
}

void TEntityOutline::fieldRemoved(TMxItem* item)
{
    if (NodeOf(item))
        forget(item, false);
}

void TEntityOutline::forget(const TMxItem* item, bool replay)
{
    auto it = m_followed.find(item);
    if (it == m_followed.end())
        return;
    Followed f = *it;
    // Out of the table first: a replayed removal must not find it again.
    m_followed.erase(it);
    if (m_selectedEntity.address() == item)
        m_selectedEntity.reset();
    // An entity's field nodes go with it, each through its removal.
    if (replay && f.other)
        f.other->Release(true);
    for (int i = f.node->childCount() - 1; i >= 0; --i)
        forget(m_items.value(f.node->child(i)), false);
    m_items.remove(f.node);
    delete f.self;
    delete f.other;
    delete f.node;
}

void TEntityOutline::RemoveEmptyEntities()
{
    for (int i = topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* node = topLevelItem(i);
        if (node->childCount() == 0)
            forget(m_items.value(node), false);
    }
}

TMxField* TEntityOutline::FieldOfItem(TMxItem* item)
{
    if (!item)
        return nullptr;
    TMxList* entries = item->OwnerList();
    auto* entity = entries ? item_cast<TMxEntity>(entries->Owner()) : nullptr;
    if (!entity || entity->WFields() != entries)
        return nullptr;
    const int index = entries->IndexOf(item);
    return index < 0 ? nullptr : entity->GetField(index);
}

TMxItem* TEntityOutline::ItemOf(const QTreeWidgetItem* node) const
{
    return m_items.value(node);
}

TMxEntity* TEntityOutline::EntityOf(const QTreeWidgetItem* node) const
{
    if (!node)
        return nullptr;
    const QTreeWidgetItem* top = node->parent() ? node->parent() : node;
    return item_cast<TMxEntity>(ItemOf(top));
}

void TEntityOutline::mousePressEvent(QMouseEvent* event)
{
    bool passOn = false;
    Guard(this, [&] {
        m_selectedEntity.reset();
        m_selectedField.reset();
        const QPoint pos = event->position().toPoint();
        QTreeWidgetItem* node = itemAt(pos);
        // Nothing under the mouse: nothing at all happens.
        if (!node)
            return;
        if (!node->parent()) {
            m_selectedEntity.reset(EntityOf(node));
            if (pos.x() < ItemHeight()) {
                node->setExpanded(!node->isExpanded());
                return;
            }
        } else {
            m_selectedEntity.reset(EntityOf(node));
            m_selectedField.reset(FieldOfItem(ItemOf(node)));
        }
        passOn = true;
    });
    if (passOn)
        QTreeWidget::mousePressEvent(event);
}

void TEntityOutline::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidget::mouseMoveEvent(event);
    Guard(this, [&] { emit mouseMoved(event->buttons(), event->position().toPoint()); });
}

} // namespace mx::ui

#include "entityoutline.moc"
