#pragma once
// The tree of a data model's entities and their fields: a view over a
// TEntityOutlineModel it owns, which follows the entity list through
// observers and alone decides which rows exist (the filters, the removal
// of empty entities); the view holds no rows of its own. Top-level rows are
// the entities (text: the entity's Name); under each, its fields (text: the
// field's FullName; the row stands for the entity's WFields entry). The
// source the user drags fields from into a step, and the formula editor's
// field picker.
//
// A press selects what is under the mouse (SelectedEntity, SelectedField);
// on an entity row, a press left of x = ItemHeight() (its plus or minus
// sign) opens or closes the row and selects nothing else.
//
// Each row's item data holds identifiers, under the roles of
// TEntityOutlineModel: the entity's Id, and on a field row the field's
// table Id and Id (none when the entry names no field); never pointers.

#include "entitymodel.h"
#include "itemobserver.h"

#include <QTreeView>

namespace mx {
class TMxEntity;
class TMxEntityList;
class TMxField;
} // namespace mx

namespace mx::ui {

class TEntityOutline : public QTreeView {
    Q_OBJECT
    // First: the filters below refer to it.
    TEntityOutlineModel* const m_model;

public:
    explicit TEntityOutline(QWidget* parent = nullptr);
    ~TEntityOutline() override;

    // The model shown, the outline's own for its whole life.
    TEntityOutlineModel* Model() const { return m_model; }
    // Only the outline's own model is shown: any other is refused.
    void setModel(QAbstractItemModel* model) override;

    // The list shown, or none. Setting empties the tree and builds it
    // again from the new list's entities.
    TMxEntityList* Entities() const;
    void SetEntities(TMxEntityList* entities);

    // The model's filters: asked with the entity, and with the field (or
    // the WFields entry when it names no field) before their rows are made.
    TMxAskEvent& OnEntityAdded;
    TMxAskEvent& OnFieldAdded;

    // What the last press was on (none when it was on no row).
    TMxEntity* SelectedEntity() const { return m_selectedEntity.get(); }
    TMxField* SelectedField() const { return m_selectedField.get(); }

    // Drops the entity rows that have no field row (their entities are no
    // longer followed).
    void RemoveEmptyEntities();

    // The field a WFields entry names (its entity's field at the entry's
    // index), or none.
    static TMxField* FieldOfItem(TMxItem* item);
    // The row of an entity or of a WFields entry, and back.
    QModelIndex IndexOf(const TMxItem* item) const;
    TMxItem* ItemAt(const QModelIndex& index) const;
    // The entity of an entity row or of a field row.
    TMxEntity* EntityAt(const QModelIndex& index) const;

    // The height of every row; also the indentation, so that the plus or
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
    void applyItemHeight();

    TItemRef<TMxEntity> m_selectedEntity;
    TItemRef<TMxField> m_selectedField;
};

} // namespace mx::ui
