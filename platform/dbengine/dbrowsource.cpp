#include "dbrowsource.h"

#include "dbvalue.h"

namespace platform {

qsizetype DbRowSource::textLength(int column) const
{
    const QVariant v = value(column);
    if (v.isNull())
        return -1;
    return toText(v).size();
}

DbCell DbRowSource::cell(int column) const
{
    DbCell c;
    const QVariant v = value(column);
    if (v.isNull())
        return c;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        c.kind = DbCell::Integer;
        c.integer = v.toLongLong();
        break;
    case QMetaType::Double:
        c.kind = DbCell::Float;
        c.real = v.toDouble();
        break;
    default:
        c.kind = DbCell::Variant;
        break;
    }
    return c;
}

void DbRowSource::cells(DbCell* out) const
{
    const int n = int(fields().size());
    for (int i = 0; i < n; ++i)
        out[i] = cell(i);
}

bool readAllRows(DbRowSource& source, DbMemoryRows* out, QString* error)
{
    *out = DbMemoryRows(source.fields());
    if (!source.rewind(error))
        return false;
    const int n = int(source.fields().size());
    for (;;) {
        const DbFetch f = source.next(error);
        if (f == DbFetch::End)
            return true;
        if (f == DbFetch::Failed)
            return false;
        std::vector<QVariant> row;
        row.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            row.push_back(source.value(i));
        out->addRow(std::move(row));
    }
}

} // namespace platform
