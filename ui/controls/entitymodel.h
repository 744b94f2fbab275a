#pragma once
// The entities of a data model and their fields as an item model, kept in
// step with an entity list through observers. Top-level rows are the
// entities (text: Name), each with its fields as children (text: the
// field's FullName, or the entry's name when it names no field); one
// column. Every row is keyed by identifiers (EntityIdRole, TableIdRole,
// FieldIdRole) and a drag of rows carries those identifiers and the model
// file, never pointers (see fielddrag.h).
//
// The model keeps its own copy of the rows it shows: an engine list has
// already changed when it tells its observers, and a view is told before
// a row comes and while a going row is still there.
//
// The model decides which rows exist: OnEntityAdded and OnFieldAdded are
// asked before a row is made, and a refused entity or field has no row and
// is not followed (a refused entity's fields are never asked about);
// RemoveEmptyEntities drops the entity rows left without a field row, and
// those entities are not followed any more until the list reports them
// again (an entity added anew, or the list set again). Rows keep the
// list's order among the rows shown.

#include "fielddrag.h"
#include "itemobserver.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

namespace mx {
class TMxEntity;
class TMxEntityList;
class TMxField;
} // namespace mx

namespace mx::ui {

// Asked before a row is made; accept false leaves the item out.
using TMxAskEvent = std::function<void(TMxItem* sender, bool& accept)>;

class TEntityOutlineModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        EntityIdRole = Qt::UserRole + 1, // the row's entity (also on a field row)
        TableIdRole,                     // a field row: its field's table
        FieldIdRole,                     // a field row: its field (-1 on an entity row)
    };

    explicit TEntityOutlineModel(QObject* parent = nullptr);
    ~TEntityOutlineModel() override;

    // The list shown, or none; setting resets the model.
    TMxEntityList* Entities() const;
    void SetEntities(TMxEntityList* entities);
    // Asked with the entity, and with the field (or the WFields entry when
    // it names no field), before their rows are made. Setting them changes
    // no row already made.
    TMxAskEvent OnEntityAdded;
    TMxAskEvent OnFieldAdded;

    // Drops the entity rows that have no field row; their entities are no
    // longer followed.
    void RemoveEmptyEntities();

    // The model file the drags name.
    const QString& ModelFile() const { return m_modelFile; }
    void SetModelFile(const QString& file) { m_modelFile = file; }

    // What a row stands for (none once it is gone, or for no row).
    TMxEntity* EntityAt(const QModelIndex& index) const;
    TMxField* FieldAt(const QModelIndex& index) const;
    // What a row stands for: the entity, or on a field row the entity's
    // WFields entry (none once it is gone, or for no row).
    TMxItem* ItemAt(const QModelIndex& index) const;
    // The row of an entity or of a WFields entry; invalid when it has none.
    QModelIndex IndexOf(const TMxItem* item) const;
    // The identifiers of a row (entity Id, field's table and Id).
    TFieldDragItem DragItemAt(const QModelIndex& index) const;
    // The row of an entity, or of one of its fields; invalid when none.
    QModelIndex IndexOf(const TFieldDragItem& item) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    struct FieldRow {
        TItemRef<TMxItem> entry;
        std::unique_ptr<TItemObserver> self;  // the entry
        std::unique_ptr<TItemObserver> field; // the field it names
    };
    struct EntityRow {
        TItemRef<TMxEntity> entity;
        std::unique_ptr<TItemObserver> self;   // the entity
        std::unique_ptr<TItemObserver> fields; // its WFields
        std::vector<std::unique_ptr<FieldRow>> rows;
    };
    void entityAdded(TMxItem* item);
    void entityRemoved(TMxItem* item);
    void fieldAdded(EntityRow* row, TMxItem* item);
    void fieldRemoved(EntityRow* row, TMxItem* item);
    void refreshField(EntityRow* row, FieldRow* field);
    int rowOf(const EntityRow* row) const;
    bool accepts(const TMxAskEvent& ask, TMxItem* item) const;
    EntityRow* entityRow(const QModelIndex& index) const;
    FieldRow* fieldRow(const QModelIndex& index) const;
    static TMxField* fieldOf(const TMxEntity* entity, const TMxItem* entry);

    std::unique_ptr<TItemObserver> m_list;
    std::vector<std::unique_ptr<EntityRow>> m_rows;
    QString m_modelFile;
};

} // namespace mx::ui
