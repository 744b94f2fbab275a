#pragma once
// The tree of a data model's entities and their fields, kept in step with
// an entity list through observers: an entity or field added, renamed or
// removed changes its one node. Top-level nodes are the entities (text:
// the entity's Name); under each, its fields (text: the field's FullName;
// the node stands for the entity's WFields entry). The source the user
// drags fields from into a step, and the formula editor's field picker.
//
// A press selects what is under the mouse (SelectedEntity, SelectedField);
// on an entity node, a press left of x = ItemHeight() (its plus or minus
// sign) opens or closes the node and selects nothing else.
//
// Each node's item data holds identifiers, under the roles of
// TEntityOutlineModel: the entity's Id, and on a field node the field's
// table Id and Id (none when the entry names no field); never pointers.

#include "itemobserver.h"

#include <QHash>
#include <QTreeWidget>

#include <functional>

namespace mx {
class TMxEntity;
class TMxEntityList;
class TMxField;
} // namespace mx

namespace mx::ui {

// Asked before a node is added; accept false leaves the item out.
using TMxAskEvent = std::function<void(TMxItem* sender, bool& accept)>;

class TEntityOutline : public QTreeWidget {
    Q_OBJECT
public:
    explicit TEntityOutline(QWidget* parent = nullptr);
    ~TEntityOutline() override;

    // The list shown, or none. Setting empties the tree and builds it
    // again from the new list's entities.
    TMxEntityList* Entities() const;
    void SetEntities(TMxEntityList* entities);

    // Asked with the entity, and with the field (or the WFields entry when
    // it names no field) before their nodes are made.
    TMxAskEvent OnEntityAdded;
    TMxAskEvent OnFieldAdded;

    // What the last press was on (none when it was on no node).
    TMxEntity* SelectedEntity() const { return m_selectedEntity.get(); }
    TMxField* SelectedField() const { return m_selectedField.get(); }

    // Frees the entity nodes that have no field node (their entities are
    // no longer followed).
    void RemoveEmptyEntities();

    // The field a WFields entry names (its entity's field at the entry's
    // index), or none.
    static TMxField* FieldOfItem(TMxItem* item);
    // The node of an entity or of a WFields entry, and back.
    QTreeWidgetItem* NodeOf(const TMxItem* item) const { return m_followed.value(item).node; }
    TMxItem* ItemOf(const QTreeWidgetItem* node) const;
    // The entity of an entity node or of a field node.
    TMxEntity* EntityOf(const QTreeWidgetItem* node) const;

    // The height of every node; also the indentation, so that the plus or
    // minus sign of an entity lies left of it.
    int ItemHeight() const;

signals:
    // The mouse moved over the tree (buttons held, position in the
    // viewport): where a drag of a field starts.
    void mouseMoved(Qt::MouseButtons buttons, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Followed {
        QTreeWidgetItem* node = nullptr;
        TItemObserver* self = nullptr;  // the entity or the entry
        TItemObserver* other = nullptr; // the entity's WFields, or the entry's field
    };
    void entityAdded(TMxItem* item);
    void entityRemoved(TMxItem* item);
    void fieldAdded(TMxEntity* entity, TMxItem* item);
    void fieldRemoved(TMxItem* item);
    void refreshField(TMxItem* entry);
    void forget(const TMxItem* item, bool replay);
    void applyItemHeight();

    TItemObserver* m_list = nullptr;
    QHash<const TMxItem*, Followed> m_followed;
    // What each node stands for, while it is followed.
    QHash<const QTreeWidgetItem*, TMxItem*> m_items;
    TItemRef<TMxEntity> m_selectedEntity;
    TItemRef<TMxField> m_selectedField;
};

} // namespace mx::ui
