#include "fielddrag.h"

#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace mx::ui {

namespace {

constexpr qint32 kVersion = 1;
// More items than any entity list holds: a count beyond it is damage.
constexpr qint32 kMaxItems = 1 << 20;

} // namespace

QByteArray TFieldDragPayload::Encode() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kVersion << modelFile << qint32(items.size());
    for (const TFieldDragItem& item : items)
        out << qint32(item.entityId) << qint32(item.tableId) << qint32(item.fieldId);
    return bytes;
}

std::optional<TFieldDragPayload> TFieldDragPayload::Decode(const QByteArray& bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    qint32 version = 0;
    qint32 count = 0;
    TFieldDragPayload payload;
    in >> version;
    if (in.status() != QDataStream::Ok || version != kVersion)
        return std::nullopt;
    in >> payload.modelFile >> count;
    if (in.status() != QDataStream::Ok || count < 0 || count > kMaxItems)
        return std::nullopt;
    for (qint32 i = 0; i < count; ++i) {
        qint32 entity = 0, table = 0, field = 0;
        in >> entity >> table >> field;
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        payload.items.append(TFieldDragItem{entity, table, field});
    }
    if (!in.atEnd())
        return std::nullopt;
    return payload;
}

QMimeData* TFieldDragPayload::ToMimeData() const
{
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(FieldDragMimeType), Encode());
    return mime;
}

std::optional<TFieldDragPayload> TFieldDragPayload::FromMimeData(const QMimeData* mime)
{
    const QString format = QString::fromLatin1(FieldDragMimeType);
    if (!mime || !mime->hasFormat(format))
        return std::nullopt;
    return Decode(mime->data(format));
}

std::optional<TFieldDragPayload> TFieldDragPayload::FromVariant(const QVariant& data)
{
    if (data.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return Decode(data.toByteArray());
}

QString ModelFileOf(const TMxDataModel* model)
{
    return model ? model->FileName() : QString();
}

TFieldDragItem DragItemOf(const TMxEntity* entity, const TMxField* field)
{
    TFieldDragItem item;
    if (!entity)
        return item;
    item.entityId = entity->Id();
    if (field) {
        item.tableId = field->GetTableId();
        item.fieldId = field->Id();
    }
    return item;
}

TResolvedDragItem ResolveDragItem(const TMxEntityList* entities, const TFieldDragItem& item)
{
    TMxEntity* entity = entities ? entities->FindById(item.entityId) : nullptr;
    if (!entity)
        return {};
    if (item.fieldId < 0)
        return {entity, nullptr};
    for (int i = 0; i < entity->WFields()->Count(); ++i) {
        TMxField* field = entity->GetField(i);
        if (field && field->Id() == item.fieldId && field->GetTableId() == item.tableId)
            return {entity, field};
    }
    return {};
}

} // namespace mx::ui
