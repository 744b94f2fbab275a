#include "channelrecord.h"

#include "engine/core/exceptions.h"
#include "engine/driver/rowcursor.h"
#include "engine/core/translate.h"

#include "platform/dbengine/dbvalue.h"
#include "platform/reportlink/record.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstring>
#include <limits>

namespace mx {

namespace rs = platform::rs;

namespace {

[[noreturn]] void notOfType(const TChannelEntry& e, int recNo, const QVariant& value)
{
    throw EMxException(TranslateFmt(QStringLiteral("Champ %s, enregistrement %d : la valeur %s n'est pas du type du champ."),
        {QString::fromUtf8(e.name), recNo, platform::toText(value)}));
}

void putDate(std::uint8_t* v, const QDate& d, const QTime& t)
{
    const int words[7] = {d.isValid() ? d.year() : 0, d.isValid() ? d.month() : 0, d.isValid() ? d.day() : 0,
        t.isValid() ? t.hour() : 0, t.isValid() ? t.minute() : 0, t.isValid() ? t.second() : 0,
        t.isValid() ? t.msec() : 0};
    for (int i = 0; i < 7; ++i)
        rs::putU16(v + 2 * i, std::uint16_t(words[i]));
}

void writeValue(const TChannelEntry& e, const QVariant& value, int recNo, std::uint8_t* v)
{
    using platform::DbFieldType;
    switch (DbFieldType(e.type)) {
    case DbFieldType::String:
        rs::writeText(v, size_t(e.size), platform::toText(value).toUtf8());
        return;
    case DbFieldType::Smallint:
    case DbFieldType::Integer:
    case DbFieldType::Word:
    case DbFieldType::AutoInc: {
        qint64 n = 0;
        if (!platform::toInteger(value, &n))
            notOfType(e, recNo, value);
        if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
            throw EMxException(TranslateFmt(
                QStringLiteral("Champ %s, enregistrement %d : la valeur %s dépasse les entiers de 32 bits que le moteur de rapports reçoit."),
                {QString::fromUtf8(e.name), recNo, QString::number(n)}));
        rs::putI32(v, std::int32_t(n));
        return;
    }
    case DbFieldType::Boolean: {
        bool b = false;
        if (!platform::toBoolean(value, &b))
            notOfType(e, recNo, value);
        rs::putI32(v, b ? -1 : 0);
        return;
    }
    case DbFieldType::Float:
    case DbFieldType::Currency:
    case DbFieldType::BCD: {
        double d = 0;
        if (!platform::toDouble(value, &d))
            notOfType(e, recNo, value);
        rs::putF64(v, d);
        return;
    }
    case DbFieldType::Date: {
        QDate d;
        if (!platform::toDate(value, &d))
            notOfType(e, recNo, value);
        putDate(v, d, QTime());
        return;
    }
    case DbFieldType::Time: {
        QTime t;
        if (!platform::toTime(value, &t))
            notOfType(e, recNo, value);
        putDate(v, QDate(), t);
        return;
    }
    case DbFieldType::DateTime: {
        QDateTime dt;
        if (!platform::toDateTime(value, &dt))
            notOfType(e, recNo, value);
        putDate(v, dt.date(), dt.time());
        return;
    }
    default:
        return; // memos, blobs and cursors carry no value here
    }
}

} // namespace

const TChannelEntry* TChannelLayout::Find(const QByteArray& name) const
{
    for (const TChannelEntry& e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

QByteArray ChannelFieldName(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    return utf8.left(qsizetype(rs::utf8Prefix(utf8, rs::kFieldNameField - 1)));
}

TChannelLayout ChannelLayout(const std::vector<TIMxField>& fields)
{
    TChannelLayout layout;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TIMxField& f = fields[i];
        if (!rs::isTransferable(f.DataType))
            continue;
        TChannelEntry e;
        e.field = int(i);
        e.type = f.DataType;
        e.name = ChannelFieldName(f.Name);
        e.size = rs::valueSize(f.DataType, f.Size);
        e.offset = layout.bytes;
        layout.bytes += rs::kEntryHeader + size_t(e.size);
        layout.entries.push_back(std::move(e));
    }
    return layout;
}

void WriteChannelRecord(const TChannelLayout& layout, const TIMxRowCursor& cursor, bool onRow, int recNo,
    std::uint8_t* map, size_t room)
{
    if (layout.bytes > room)
        throw EMxInternal(QStringLiteral("WriteChannelRecord: the record does not fit"));
    for (const TChannelEntry& e : layout.entries) {
        std::uint8_t* p = map + e.offset;
        std::memset(p, 0, rs::kEntryHeader + size_t(e.size));
        rs::putI32(p + rs::kEntryType, e.type);
        std::memcpy(p + rs::kEntryName, e.name.constData(), size_t(e.name.size()));
        rs::putU16(p + rs::kEntrySize, std::uint16_t(e.size));
        const QVariant value = onRow ? cursor.Value(e.field) : QVariant();
        const bool null = value.isNull() || !value.isValid();
        rs::putI32(p + rs::kEntryNull, null ? -1 : 0);
        if (!null)
            writeValue(e, value, recNo, p + rs::kEntryHeader);
    }
}

QByteArray ChannelMemoText(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return platform::toText(value).toUtf8();
}

} // namespace mx
