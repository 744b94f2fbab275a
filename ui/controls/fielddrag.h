#pragma once
// What a drag of entities and fields carries: identifiers only, never
// pointers. The model file names the data model the entity belongs to;
// the entity is named by its Id, a field by its table's Id and its own Id
// (no field Id, -1, drags the whole entity). The drop finds them again
// through the engine, so a drag outlives nothing it names: an entity or a
// field freed while the mouse is held drops nothing.
//
// The payload travels as one MIME format (FieldDragMimeType), in a
// QMimeData between item views and as the same bytes in the drag
// manager's TDragInfo::data.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class QMimeData;

namespace mx {
class TMxDataModel;
class TMxEntity;
class TMxEntityList;
class TMxField;
} // namespace mx

namespace mx::ui {

inline constexpr char FieldDragMimeType[] = "application/x-morvelin-fields";

struct TFieldDragItem {
    int entityId = 0;
    int tableId = 0; // of the field; 0 for a calculated field of the set
    int fieldId = -1; // none (-1): the whole entity
    bool operator==(const TFieldDragItem&) const = default;
};

struct TFieldDragPayload {
    QString modelFile;
    QList<TFieldDragItem> items;
    bool operator==(const TFieldDragPayload&) const = default;

    QByteArray Encode() const;
    // None when the bytes are no payload (empty, truncated, another
    // format's, or a later version's).
    static std::optional<TFieldDragPayload> Decode(const QByteArray& bytes);

    // A new QMimeData holding the payload (the caller owns it).
    QMimeData* ToMimeData() const;
    static std::optional<TFieldDragPayload> FromMimeData(const QMimeData* mime);

    // The form the drag manager carries.
    QVariant ToVariant() const { return QVariant(Encode()); }
    static std::optional<TFieldDragPayload> FromVariant(const QVariant& data);
};

// The model file of a data model as a payload names it.
QString ModelFileOf(const TMxDataModel* model);

// The identifiers of an entity, or of one of its fields.
TFieldDragItem DragItemOf(const TMxEntity* entity, const TMxField* field = nullptr);

// What an item names in entities (the data model's domain entities, or
// any list of them): the entity, and the field among the entity's fields
// (none for the whole entity). Entity none when the entity or the field
// named is no longer there.
struct TResolvedDragItem {
    TMxEntity* entity = nullptr;
    TMxField* field = nullptr;
};
TResolvedDragItem ResolveDragItem(const TMxEntityList* entities, const TFieldDragItem& item);

} // namespace mx::ui
