#include "entityoutline.h"

#include "ui/services/guarded.h"

#include "engine/model/entity.h"
#include "engine/model/field.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace mx::ui {
namespace {

// Every row one height, the outline's.
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

} // namespace

TEntityOutline::TEntityOutline(QWidget* parent)
    : QTreeView(parent), m_model(new TEntityOutlineModel(this)), OnEntityAdded(m_model->OnEntityAdded),
      OnFieldAdded(m_model->OnFieldAdded)
{
    setObjectName(QStringLiteral("EntityOutline"));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TFixedHeightDelegate(this));
    QTreeView::setModel(m_model);
    // What the last press selected goes with its row, or with all rows.
    Connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_selectedEntity.reset();
        m_selectedField.reset();
    });
    Connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex& parent, int first, int last, auto&&...) {
        if (parent.isValid() || !m_selectedEntity)
            return;
        for (int row = first; row <= last; ++row)
            if (m_model->EntityAt(m_model->index(row, 0)) == m_selectedEntity.get())
                m_selectedEntity.reset();
    });
    applyItemHeight();
}

TEntityOutline::~TEntityOutline()
{
    // Detaches without replaying: the tree goes with the window.
    m_model->SetEntities(nullptr);
}

void TEntityOutline::setModel(QAbstractItemModel* model)
{
    // The rows are the outline's model's: another model would show rows
    // the outline knows nothing of.
    if (model == m_model)
        QTreeView::setModel(model);
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
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        applyItemHeight();
}

TMxEntityList* TEntityOutline::Entities() const
{
    return m_model->Entities();
}

void TEntityOutline::SetEntities(TMxEntityList* entities)
{
    if (entities == Entities() && (entities || !m_model->rowCount()))
        return;
    setUpdatesEnabled(false);
    struct Show {
        TEntityOutline* o;
        ~Show() { o->setUpdatesEnabled(true); }
    } show{this};
    m_selectedEntity.reset();
    m_selectedField.reset();
    m_model->SetEntities(entities);
}

void TEntityOutline::RemoveEmptyEntities()
{
    m_model->RemoveEmptyEntities();
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

QModelIndex TEntityOutline::IndexOf(const TMxItem* item) const
{
    return m_model->IndexOf(item);
}

TMxItem* TEntityOutline::ItemAt(const QModelIndex& index) const
{
    return m_model->ItemAt(index);
}

TMxEntity* TEntityOutline::EntityAt(const QModelIndex& index) const
{
    return m_model->EntityAt(index);
}

void TEntityOutline::mousePressEvent(QMouseEvent* event)
{
    bool passOn = false;
    Guard(this, [&] {
        m_selectedEntity.reset();
        m_selectedField.reset();
        const QPoint pos = event->position().toPoint();
        const QModelIndex index = indexAt(pos);
        // Nothing under the mouse: nothing at all happens.
        if (!index.isValid())
            return;
        m_selectedEntity.reset(EntityAt(index));
        if (!index.parent().isValid()) {
            if (pos.x() < ItemHeight()) {
                setExpanded(index, !isExpanded(index));
                return;
            }
        } else {
            m_selectedField.reset(m_model->FieldAt(index));
        }
        passOn = true;
    });
    if (passOn)
        QTreeView::mousePressEvent(event);
}

void TEntityOutline::mouseMoveEvent(QMouseEvent* event)
{
    QTreeView::mouseMoveEvent(event);
    Guard(this, [&] { emit mouseMoved(event->buttons(), event->position().toPoint()); });
}

} // namespace mx::ui

#include "entityoutline.moc"
