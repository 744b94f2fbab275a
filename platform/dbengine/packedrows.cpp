#include "packedrows.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstring>
#include <limits>

namespace platform {
namespace {

enum Kind : quint8 {
    kNull,
    kInt8,
    kInt16,
    kInt32,
    kInt64,
    kFloat,
    kText,
    kBlob,
    kFalse,
    kTrue,
    kDate,     // 4-byte Julian day
    kTime,     // 4-byte milliseconds of the day
    kDateTime, // local time: 4-byte Julian day, 4-byte milliseconds
    kVariant,  // 4-byte index of a value kept aside
};

template <class T>
T read(const char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// A length: 7 bits a byte, low bits first.
const char* readLength(const char* p, quint64* out)
{
    quint64 v = 0;
    int shift = 0;
    for (;;) {
        const quint8 b = quint8(*p++);
        v |= quint64(b & 0x7f) << shift;
        if (!(b & 0x80))
            break;
        shift += 7;
    }
    *out = v;
    return p;
}

bool fitsInt32(qint64 v)
{
    return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
}

// Where the cell after the one at p begins.
const char* skipCell(const char* p)
{
    switch (quint8(*p++)) {
    case kInt8:
        return p + 1;
    case kInt16:
        return p + 2;
    case kInt32:
    case kDate:
    case kTime:
    case kVariant:
        return p + 4;
    case kInt64:
    case kFloat:
    case kDateTime:
        return p + 8;
    case kText:
    case kBlob: {
        quint64 n = 0;
        p = readLength(p, &n);
        return p + n;
    }
    default:
        return p;
    }
}

} // namespace

void DbPackedRows::beginRow()
{
    if (m_chunks.empty() || m_chunks.back()->offsets.size() == size_t(kChunkRows)) {
        if (!m_chunks.empty()) {
            // A full chunk gives back what its growth reserved.
            m_chunks.back()->bytes.shrink_to_fit();
        }
        auto chunk = std::make_unique<Chunk>();
        chunk->offsets.reserve(kChunkRows);
        m_chunks.push_back(std::move(chunk));
    }
    Chunk& c = *m_chunks.back();
    c.offsets.push_back(quint32(c.bytes.size()));
}

void DbPackedRows::endRow()
{
    ++m_count;
}

void DbPackedRows::put(const void* data, size_t size)
{
    std::vector<char>& b = m_chunks.back()->bytes;
    const char* p = static_cast<const char*>(data);
    b.insert(b.end(), p, p + size);
}

void DbPackedRows::packText(quint8 kind, const char* data, qsizetype size)
{
    // Rows are found by 32-bit offsets in their chunk: a value that would
    // take a chunk past 2 GiB is kept aside.
    if (m_chunks.back()->bytes.size() + size_t(size) > (size_t(1) << 31)) {
        packAside(kind == kText ? QVariant(QString::fromUtf8(data, size)) : QVariant(QByteArray(data, size)));
        return;
    }
    char head[11];
    int n = 0;
    head[n++] = char(kind);
    quint64 v = quint64(size);
    do {
        quint8 b = quint8(v & 0x7f);
        v >>= 7;
        if (v)
            b |= 0x80;
        head[n++] = char(b);
    } while (v);
    put(head, size_t(n));
    if (size > 0)
        put(data, size_t(size));
}

void DbPackedRows::packCell(const DbCell& cell)
{
    switch (cell.kind) {
    case DbCell::Null: {
        const char k = char(kNull);
        put(&k, 1);
        return;
    }
    case DbCell::Integer: {
        const qint64 v = cell.integer;
        char b[9];
        if (v >= -128 && v <= 127) {
            b[0] = char(kInt8);
            b[1] = char(qint8(v));
            put(b, 2);
        } else if (v >= -32768 && v <= 32767) {
            b[0] = char(kInt16);
            const qint16 s = qint16(v);
            std::memcpy(b + 1, &s, 2);
            put(b, 3);
        } else if (fitsInt32(v)) {
            b[0] = char(kInt32);
            const qint32 s = qint32(v);
            std::memcpy(b + 1, &s, 4);
            put(b, 5);
        } else {
            b[0] = char(kInt64);
            std::memcpy(b + 1, &v, 8);
            put(b, 9);
        }
        return;
    }
    case DbCell::Float: {
        char b[9];
        b[0] = char(kFloat);
        std::memcpy(b + 1, &cell.real, 8);
        put(b, 9);
        return;
    }
    case DbCell::Text:
        packText(kText, cell.data, cell.size);
        return;
    case DbCell::Blob:
        packText(kBlob, cell.data, cell.size);
        return;
    case DbCell::Variant:
        packValue(QVariant()); // a caller gives the value instead (append)
        return;
    }
}

void DbPackedRows::packValue(const QVariant& value)
{
    auto packWord = [this](quint8 kind, qint32 word) {
        char b[5];
        b[0] = char(kind);
        std::memcpy(b + 1, &word, 4);
        put(b, 5);
    };
    if (!value.isValid() || value.isNull()) {
        const char k = char(kNull);
        put(&k, 1);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong: {
        DbCell c;
        c.kind = DbCell::Integer;
        c.integer = value.toLongLong();
        packCell(c);
        return;
    }
    case QMetaType::Double: {
        DbCell c;
        c.kind = DbCell::Float;
        c.real = value.toDouble();
        packCell(c);
        return;
    }
    case QMetaType::QString: {
        const QByteArray utf8 = value.toString().toUtf8();
        packText(kText, utf8.constData(), utf8.size());
        return;
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        packText(kBlob, bytes.constData(), bytes.size());
        return;
    }
    case QMetaType::Bool: {
        const char k = char(value.toBool() ? kTrue : kFalse);
        put(&k, 1);
        return;
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (d.isValid() && fitsInt32(d.toJulianDay())) {
            packWord(kDate, qint32(d.toJulianDay()));
            return;
        }
        break;
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        if (t.isValid()) {
            packWord(kTime, qint32(t.msecsSinceStartOfDay()));
            return;
        }
        break;
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.isValid() && dt.timeSpec() == Qt::LocalTime && fitsInt32(dt.date().toJulianDay())) {
            char b[9];
            b[0] = char(kDateTime);
            const qint32 day = qint32(dt.date().toJulianDay());
            const qint32 ms = qint32(dt.time().msecsSinceStartOfDay());
            std::memcpy(b + 1, &day, 4);
            std::memcpy(b + 5, &ms, 4);
            put(b, 9);
            return;
        }
        break;
    }
    default:
        break;
    }
    // Anything else is kept as it came.
    packAside(value);
}

void DbPackedRows::packAside(const QVariant& value)
{
    char b[5];
    b[0] = char(kVariant);
    const quint32 index = quint32(m_variants.size());
    std::memcpy(b + 1, &index, 4);
    put(b, 5);
    m_variants.push_back(value);
}

const char* DbPackedRows::rowStart(qint64 row) const
{
    const Chunk& c = *m_chunks[size_t(row / kChunkRows)];
    return c.bytes.data() + c.offsets[size_t(row % kChunkRows)];
}

const char* DbPackedRows::cellStart(qint64 row, int column) const
{
    if (row < 0 || row >= m_count || column < 0 || column >= m_columns)
        return nullptr;
    const char* p = rowStart(row);
    for (int i = 0; i < column; ++i)
        p = skipCell(p);
    return p;
}

QVariant DbPackedRows::value(qint64 row, int column) const
{
    const char* p = cellStart(row, column);
    if (!p)
        return {};
    const quint8 kind = quint8(*p++);
    switch (kind) {
    case kInt8:
        return QVariant(qint64(qint8(*p)));
    case kInt16:
        return QVariant(qint64(read<qint16>(p)));
    case kInt32:
        return QVariant(qint64(read<qint32>(p)));
    case kInt64:
        return QVariant(read<qint64>(p));
    case kFloat:
        return QVariant(read<double>(p));
    case kText:
    case kBlob: {
        quint64 n = 0;
        p = readLength(p, &n);
        if (kind == kText)
            return QVariant(QString::fromUtf8(p, qsizetype(n)));
        return QVariant(QByteArray(p, qsizetype(n)));
    }
    case kFalse:
        return QVariant(false);
    case kTrue:
        return QVariant(true);
    case kDate:
        return QVariant(QDate::fromJulianDay(read<qint32>(p)));
    case kTime:
        return QVariant(QTime::fromMSecsSinceStartOfDay(read<qint32>(p)));
    case kDateTime:
        return QVariant(QDateTime(QDate::fromJulianDay(read<qint32>(p)),
                                  QTime::fromMSecsSinceStartOfDay(read<qint32>(p + 4))));
    case kVariant:
        return m_variants[size_t(read<quint32>(p))];
    default:
        return {};
    }
}

DbCell DbPackedRows::cell(qint64 row, int column) const
{
    DbCell c;
    const char* p = cellStart(row, column);
    if (!p)
        return c;
    const quint8 kind = quint8(*p++);
    switch (kind) {
    case kNull:
        break;
    case kInt8:
        c.kind = DbCell::Integer;
        c.integer = qint8(*p);
        break;
    case kInt16:
        c.kind = DbCell::Integer;
        c.integer = read<qint16>(p);
        break;
    case kInt32:
        c.kind = DbCell::Integer;
        c.integer = read<qint32>(p);
        break;
    case kInt64:
        c.kind = DbCell::Integer;
        c.integer = read<qint64>(p);
        break;
    case kFloat:
        c.kind = DbCell::Float;
        c.real = read<double>(p);
        break;
    case kText:
    case kBlob: {
        quint64 n = 0;
        c.data = readLength(p, &n);
        c.size = int(n);
        c.kind = kind == kText ? DbCell::Text : DbCell::Blob;
        break;
    }
    default:
        c.kind = DbCell::Variant;
        break;
    }
    return c;
}

size_t DbPackedRows::memoryBytes() const
{
    size_t n = m_chunks.capacity() * sizeof(void*);
    for (const auto& c : m_chunks)
        n += sizeof(Chunk) + c->bytes.capacity() + c->offsets.capacity() * sizeof(quint32);
    n += m_variants.capacity() * sizeof(QVariant);
    return n;
}

} // namespace platform
