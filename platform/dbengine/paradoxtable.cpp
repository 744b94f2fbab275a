#include "paradoxtable.h"

#include "dbvalue.h"
#include "tablecopy.h"

#include "platform/core/cp1252.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

// Field type bytes of the format.
enum PxType : quint8 {
    pxAlpha = 0x01,
    pxDate = 0x02,
    pxShort = 0x03,
    pxLong = 0x04,
    pxCurrency = 0x05,
    pxNumber = 0x06,
    pxLogical = 0x09,
    pxMemo = 0x0C,
    pxBlob = 0x0D,
    pxFmtMemo = 0x0E,
    pxOle = 0x0F,
    pxGraphic = 0x10,
    pxTime = 0x14,
    pxTimestamp = 0x15,
    pxAutoInc = 0x16,
    pxBCD = 0x17,
    pxBytes = 0x18,
};

constexpr int kHeaderBase = 0x58;     // the common header
constexpr int kDataHeaderEnd = 0x78;  // with the data header of version 4 and later
constexpr int kTableNameLen7 = 261;
constexpr int kTableNameLenOld = 79;
constexpr int kMemoLeader = 40;
constexpr qint64 kJulianDayZero = 1721425; // the day before 1 January of year 1
constexpr int kMaxBlocks = 65535;
constexpr int kMaxRecordSize = 32750;
constexpr int kMbBlock = 4096;

// ---------------------------------------------------------------- values

void putBE(char* p, quint64 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        p[i] = char(v & 0xFF);
        v >>= 8;
    }
}

quint64 getBE(const char* p, int bytes)
{
    quint64 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

bool allZero(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

void putLong(char* p, qint32 v)
{
    putBE(p, quint32(v) ^ 0x80000000u, 4);
}

qint32 getLong(const char* p)
{
    return qint32(quint32(getBE(p, 4)) ^ 0x80000000u);
}

void putShort(char* p, qint16 v)
{
    putBE(p, quint16(v) ^ 0x8000u, 2);
}

qint16 getShort(const char* p)
{
    return qint16(quint16(getBE(p, 2)) ^ 0x8000u);
}

void putDouble(char* p, double d)
{
    if (d == 0)
        d = 0; // no negative zero
    quint64 bits = std::bit_cast<quint64>(d);
    bits = (bits & 0x8000000000000000ull) ? ~bits : (bits ^ 0x8000000000000000ull);
    putBE(p, bits, 8);
}

double getDouble(const char* p)
{
    quint64 bits = getBE(p, 8);
    bits = (bits & 0x8000000000000000ull) ? (bits ^ 0x8000000000000000ull) : ~bits;
    return std::bit_cast<double>(bits);
}

double getBcd(const unsigned char* p, int decimals)
{
    const bool positive = p[0] & 0x80;
    const int sign = positive ? 0x00 : 0x0F;
    double v = 0;
    for (int i = 2; i < 34; ++i) {
        const int nibble = ((i % 2) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)) ^ sign;
        v = v * 10 + std::min(nibble, 9);
    }
    v /= std::pow(10.0, decimals);
    return positive ? v : -v;
}

// ---------------------------------------------------------------- layout

struct PxColumn {
    DbField field;     // the source field
    DbValueKind kind;  // how source values are read
    quint8 type = pxAlpha;
    int size = 0;      // bytes in the record
    int offset = 0;
    QByteArray name;   // Windows-1252, at most 25 characters
};

QByteArray paradoxFieldName(const QString& name, QList<QByteArray>& taken)
{
    QString clean;
    for (QChar c : name) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('{') || c == QLatin1Char('}')
            || c.unicode() < 0x20 || cp1252::byteOf(c) < 0)
            clean += QLatin1Char('_');
        else
            clean += c;
    }
    while (clean.startsWith(QLatin1Char(' ')))
        clean.remove(0, 1);
    clean = clean.trimmed();
    if (clean.isEmpty())
        clean = QStringLiteral("Field");
    clean = clean.left(25);
    auto isTaken = [&taken](const QString& s) {
        QByteArray b;
        cp1252::encode(s.toUpper(), b);
        for (const QByteArray& t : taken)
            if (t == b)
                return true;
        return false;
    };
    QString candidate = clean;
    for (int n = 1; isTaken(candidate); ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        candidate = clean.left(25 - suffix.size()) + suffix;
    }
    QByteArray upper, out;
    cp1252::encode(candidate.toUpper(), upper);
    taken.append(upper);
    cp1252::encode(candidate, out);
    return out;
}

// The layout of the fields. Without a scan (null), widths come from the
// declarations and integers are guessed to fit 32 bits; writing then
// answers Retry when a value does not fit the guess.
bool buildColumns(const QList<DbField>& fields, const DbRowScan* scan, std::vector<PxColumn>* out, QString* error)
{
    QList<QByteArray> taken;
    int offset = 0;
    for (int i = 0; i < fields.size(); ++i) {
        const DbField& f = fields[i];
        const DbColumnScan s = scan ? scan->columns[size_t(i)] : DbColumnScan();
        PxColumn c;
        c.field = f;
        c.kind = valueKind(f.type);
        switch (c.kind) {
        case DbValueKind::Text: {
            qsizetype width = scan ? s.longestText : f.size;
            if (width > 255 || (!scan && !hasDeclaredWidth(f))) {
                c.type = pxMemo;
                c.size = kMemoLeader + 10;
                c.kind = DbValueKind::Memo;
                break;
            }
            if (hasDeclaredWidth(f) && f.size > width && f.size <= 255)
                width = f.size;
            c.type = pxAlpha;
            c.size = int(std::max<qsizetype>(width, 1));
            break;
        }
        case DbValueKind::Memo:
            c.type = pxMemo;
            c.size = kMemoLeader + 10;
            break;
        case DbValueKind::Integer:
            if (!s.allInteger) {
                c.type = pxNumber;
                c.size = 8;
                c.kind = DbValueKind::Float;
            } else if (f.type == DbFieldType::Smallint && s.minInteger > -32768 && s.maxInteger <= 32767) {
                c.type = pxShort;
                c.size = 2;
            } else if (s.minInteger > -2147483648LL && s.maxInteger <= 2147483647LL) {
                c.type = pxLong;
                c.size = 4;
            } else if (s.minInteger >= -(1LL << 53) && s.maxInteger <= (1LL << 53)) {
                c.type = pxNumber;
                c.size = 8;
                c.kind = DbValueKind::Float;
            } else {
                *error = QStringLiteral("Field %1: the integer %2 is too large for a Paradox table")
                             .arg(f.name)
                             .arg(s.maxInteger > (1LL << 53) ? s.maxInteger : s.minInteger);
                return false;
            }
            break;
        case DbValueKind::Float:
            c.type = f.type == DbFieldType::Currency ? pxCurrency : pxNumber;
            c.size = 8;
            break;
        case DbValueKind::Boolean:
            c.type = pxLogical;
            c.size = 1;
            break;
        case DbValueKind::Date:
            c.type = pxDate;
            c.size = 4;
            break;
        case DbValueKind::Time:
            c.type = pxTime;
            c.size = 4;
            break;
        case DbValueKind::DateTime:
            c.type = pxTimestamp;
            c.size = 8;
            break;
        case DbValueKind::Binary:
            c.type = pxBlob;
            c.size = 10;
            break;
        }
        c.offset = offset;
        offset += c.size;
        c.name = paradoxFieldName(f.name, taken);
        out->push_back(c);
    }
    return true;
}

// ---------------------------------------------------------------- blob file

class MbWriter {
public:
    explicit MbWriter(QFile* file) : m_file(file) {}

    bool writeHeader(QString* error)
    {
        QByteArray h(kMbBlock, 0);
        char* p = h.data();
        p[0] = 0;
        putLE16(p + 1, 1);
        putLE16(p + 3, quint16(m_modCount));
        const char fixed[6] = {char(0x82), 0x73, 0x02, 0x00, 0x29, 0x00};
        std::memcpy(p + 5, fixed, 6);
        putLE16(p + 0x0B, 0x1000);
        putLE16(p + 0x0D, 0x1000);
        p[0x10] = 0x10;
        putLE16(p + 0x11, 0x0040);
        putLE16(p + 0x13, 0x0800);
        if (!writeFullyAt(m_file, 0, h))
            return fail(error);
        if (m_nextBlock == 0)
            m_nextBlock = 1;
        return m_file->seek(qint64(m_nextBlock) * kMbBlock) || fail(error);
    }

    // Stores data; fills the 10-byte reference (offset, length, number).
    bool put(const QByteArray& data, char* ref, QString* error)
    {
        quint32 pointer = 0;
        ++m_modCount;
        if (data.size() <= 2048) {
            const int paragraphs = int((data.size() + 15) / 16);
            if (m_subBlock < 0 || m_subEntries >= 64 || m_subNextParagraph + paragraphs > 256) {
                if (!flushSubBlock(error))
                    return false;
                m_subBlock = qint64(m_nextBlock);
                m_subBuffer = QByteArray(kMbBlock, 0);
                m_subBuffer[0] = 3;
                putLE16(m_subBuffer.data() + 1, 1);
                m_subEntries = 0;
                m_subNextParagraph = 21;
                if (!append(QByteArray(kMbBlock, 0), error))
                    return false;
            }
            char* e = m_subBuffer.data() + 12 + m_subEntries * 5;
            e[0] = char(m_subNextParagraph);
            e[1] = char(paragraphs);
            putLE16(e + 2, quint16(m_modCount));
            e[4] = char(data.size() % 16 == 0 ? 16 : data.size() % 16);
            std::memcpy(m_subBuffer.data() + m_subNextParagraph * 16, data.constData(), size_t(data.size()));
            pointer = quint32(m_subBlock * kMbBlock) | quint32(m_subEntries);
            ++m_subEntries;
            m_subNextParagraph += paragraphs;
        } else {
            const qint64 blocks = (data.size() + 9 + kMbBlock - 1) / kMbBlock;
            if (blocks > 0xFFFF) {
                *error = QStringLiteral("A value of %1 bytes is too large for a Paradox blob file").arg(data.size());
                return false;
            }
            const qint64 at = qint64(m_nextBlock);
            QByteArray block(int(blocks * kMbBlock), 0);
            block[0] = 2;
            putLE16(block.data() + 1, quint16(blocks));
            putLE32(block.data() + 3, quint32(data.size()));
            putLE16(block.data() + 7, quint16(m_modCount));
            std::memcpy(block.data() + 9, data.constData(), size_t(data.size()));
            if (!append(block, error))
                return false;
            pointer = quint32(at * kMbBlock) | 0xFF;
        }
        putLE32(ref, pointer);
        putLE32(ref + 4, quint32(data.size()));
        putLE16(ref + 8, quint16(m_modCount));
        return true;
    }

    bool finish(QString* error)
    {
        if (!flushSubBlock(error))
            return false;
        const qint64 end = qint64(m_nextBlock) * kMbBlock;
        return writeHeader(error) && m_file->seek(end);
    }

private:
    bool append(const QByteArray& bytes, QString* error)
    {
        const qint64 blocks = bytes.size() / kMbBlock;
        if (qint64(m_nextBlock) + blocks > 0xFFFFF) { // offsets keep 32 bits
            *error = QStringLiteral("The Paradox blob file would pass 4 GB");
            return false;
        }
        if (!writeFully(m_file, bytes))
            return fail(error);
        m_nextBlock += quint32(blocks);
        return true;
    }

    bool flushSubBlock(QString* error)
    {
        if (m_subBlock < 0)
            return true;
        const qint64 end = m_file->pos();
        if (!writeFullyAt(m_file, m_subBlock * kMbBlock, m_subBuffer) || !seekFully(m_file, end))
            return fail(error);
        m_subBlock = -1;
        return true;
    }

    bool fail(QString* error)
    {
        *error = QStringLiteral("Cannot write the blob file: %1").arg(m_file->errorString());
        return false;
    }

    QFile* m_file;
    quint32 m_nextBlock = 1;
    int m_modCount = 0;
    qint64 m_subBlock = -1;
    QByteArray m_subBuffer;
    int m_subEntries = 0;
    int m_subNextParagraph = 21;
};

// ---------------------------------------------------------------- header

QByteArray buildHeader(const std::vector<PxColumn>& cols, const QByteArray& tableName, int recordSize,
                       int blockSize, qint64 records, int blocks)
{
    const int n = int(cols.size());
    int sumNames = 0;
    for (const PxColumn& c : cols)
        sumNames += int(c.name.size()) + 1;
    const int real = kDataHeaderEnd + n * 2 + 4 + n * 4 + kTableNameLen7 + sumNames + n * 2 + 9;
    const int headerSize = (real + 0x7FF) / 0x800 * 0x800;
    QByteArray h(headerSize, 0);
    char* p = h.data();
    putLE16(p + 0x00, quint16(recordSize));
    putLE16(p + 0x02, quint16(headerSize));
    p[0x04] = 2; // non-indexed table
    p[0x05] = char(blockSize / 1024);
    putLE32(p + 0x06, quint32(records));
    putLE16(p + 0x0A, quint16(blocks)); // next block
    putLE16(p + 0x0C, quint16(blocks)); // file blocks
    putLE16(p + 0x0E, quint16(blocks > 0 ? 1 : 0));
    putLE16(p + 0x10, quint16(blocks)); // last block
    putLE16(p + 0x21, quint16(n));
    putLE32(p + 0x25, 0xFF00FF00u); // encryption word is in the data header (none)
    p[0x29] = 0x62;                  // sort order
    p[0x2D] = 2;                     // change counts
    p[0x2E] = 1;
    p[0x39] = 0x0C; // version 7
    putLE16(p + 0x3A, quint16(blocks));
    p[0x3E] = 0x1F;
    p[0x3F] = 0x0F;
    putLE16(p + 0x51, quint16(real));
    p[0x56] = 0x20;
    putLE16(p + 0x58, 0x010C);
    putLE16(p + 0x5A, 0x010C);
    putLE32(p + 0x60, quint32(std::time(nullptr)));
    putLE16(p + 0x64, quint16(n + 1));
    putLE16(p + 0x66, quint16(0x20 + n * 6 + 4 + kTableNameLen7 + sumNames));
    putLE16(p + 0x6A, 1252);
    p[0x6C] = 1;
    p[0x6D] = 1;
    putLE16(p + 0x6E, quint16(0x18 + n * 8 + 4 + kTableNameLen7 + sumNames + 8));
    int at = kDataHeaderEnd;
    for (const PxColumn& c : cols) {
        p[at++] = char(c.type);
        p[at++] = char(c.size);
    }
    at += 4 + n * 4; // table name pointer and field name pointers: run-time values, left zero
    std::memcpy(p + at, tableName.constData(), size_t(std::min<qsizetype>(tableName.size(), kTableNameLen7 - 1)));
    at += kTableNameLen7;
    for (const PxColumn& c : cols) {
        std::memcpy(p + at, c.name.constData(), size_t(c.name.size()));
        at += int(c.name.size()) + 1;
    }
    for (int i = 0; i < n; ++i) {
        putLE16(p + at, quint16(i + 1));
        at += 2;
    }
    std::memcpy(p + at, "ANSIINTL", 8);
    return h;
}

// Encodes one value into its place in the record (all zeros: NULL).
DbPut encodeValue(const PxColumn& c, const DbRowSource& rows, int column, qint64 record, char* out, MbWriter* mb,
                  bool guessed, QString* error)
{
    const DbCell cell = rows.cell(column);
    if (cell.kind == DbCell::Null)
        return DbPut::Ok;
    auto bad = [&](const char* what) {
        *error = fieldError(c.field, record,
                            QStringLiteral("\"%1\" is not %2").arg(toText(cellValue(rows, column, cell)), QLatin1String(what)));
        return DbPut::Failed;
    };
    switch (c.type) {
    case pxAlpha: {
        QByteArray b;
        if (!cellText(rows, column, cell, c.field, record, &b, error))
            return DbPut::Failed;
        if (b.size() > c.size) {
            if (guessed)
                return DbPut::Retry;
            *error = fieldError(c.field, record, QStringLiteral("the text is longer than the field"));
            return DbPut::Failed;
        }
        std::memcpy(out, b.constData(), size_t(b.size()));
        return DbPut::Ok;
    }
    case pxMemo:
    case pxBlob: {
        QByteArray b;
        if (c.type == pxMemo) {
            if (!cellText(rows, column, cell, c.field, record, &b, error))
                return DbPut::Failed;
        } else if (cell.kind == DbCell::Blob || cell.kind == DbCell::Text) {
            b = QByteArray(cell.data, cell.size);
        } else {
            const QVariant v = cellValue(rows, column, cell);
            b = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : toText(v).toUtf8();
        }
        if (b.isEmpty())
            return DbPut::Ok;
        const int leader = c.size - 10;
        std::memcpy(out, b.constData(), size_t(std::min<qsizetype>(b.size(), leader)));
        if (b.size() <= leader) {
            putLE32(out + leader + 4, quint32(b.size()));
            return DbPut::Ok;
        }
        return mb->put(b, out + leader, error) ? DbPut::Ok : DbPut::Failed;
    }
    case pxShort:
    case pxLong: {
        qint64 n = 0;
        if (!cellInteger(rows, column, cell, &n)) {
            if (guessed)
                return DbPut::Retry; // a fraction: the sizing pass makes it a Number
            return bad("an integer");
        }
        const bool fits = c.type == pxShort ? (n > -32768 && n <= 32767) : (n > -2147483648LL && n <= 2147483647LL);
        if (!fits) {
            if (guessed)
                return DbPut::Retry;
            return bad("an integer that fits the field");
        }
        if (c.type == pxShort)
            putShort(out, qint16(n));
        else
            putLong(out, qint32(n));
        return DbPut::Ok;
    }
    case pxNumber:
    case pxCurrency: {
        double d = 0;
        if (!cellDouble(rows, column, cell, &d))
            return bad("a number");
        putDouble(out, d);
        return DbPut::Ok;
    }
    case pxLogical: {
        bool b = false;
        if (!toBoolean(cellValue(rows, column, cell), &b))
            return bad("a logical value");
        out[0] = char(b ? 0x81 : 0x80);
        return DbPut::Ok;
    }
    case pxDate: {
        QDate d;
        if (!cellDate(rows, column, cell, &d))
            return bad("a date");
        const qint64 days = d.toJulianDay() - kJulianDayZero;
        if (days < 1 || days > 0x7FFFFFFF)
            return bad("a date a Paradox table can hold");
        putLong(out, qint32(days));
        return DbPut::Ok;
    }
    case pxTime: {
        QTime t;
        if (!toTime(cellValue(rows, column, cell), &t))
            return bad("a time");
        putLong(out, t.msecsSinceStartOfDay());
        return DbPut::Ok;
    }
    case pxTimestamp: {
        QDateTime dt;
        if (!toDateTime(cellValue(rows, column, cell), &dt))
            return bad("a timestamp");
        const qint64 days = dt.date().toJulianDay() - kJulianDayZero;
        if (days < 1)
            return bad("a timestamp a Paradox table can hold");
        putDouble(out, double(days) * 86400000.0 + dt.time().msecsSinceStartOfDay());
        return DbPut::Ok;
    }
    default:
        return bad("a storable value");
    }
}

// Writes the table once with the layout from scan, or guessed without one.
DbPut writeOnce(DbRowSource& rows, const QString& fileName, const DbRowScan* scan, QString* error)
{
    const QList<DbField>& fields = rows.fields();
    std::vector<PxColumn> cols;
    if (!buildColumns(fields, scan, &cols, error))
        return DbPut::Failed;
    int recordSize = 0;
    bool needsMb = false;
    for (const PxColumn& c : cols) {
        recordSize += c.size;
        needsMb = needsMb || c.type == pxMemo || c.type == pxBlob;
    }
    if (recordSize > kMaxRecordSize) {
        if (!scan)
            return DbPut::Retry; // declared sizes may be larger than the values
        *error = QStringLiteral("A Paradox record holds at most %1 bytes; these fields need %2")
                     .arg(kMaxRecordSize)
                     .arg(recordSize);
        return DbPut::Failed;
    }
    int blockSize = 0;
    for (int candidate : {4096, 16384, 32768}) {
        const int perBlock = (candidate - 6) / recordSize;
        if (perBlock < 1)
            continue;
        if (!scan || (scan->rowCount + perBlock - 1) / perBlock <= kMaxBlocks) {
            blockSize = candidate;
            break;
        }
    }
    if (!blockSize) {
        *error = QStringLiteral("Too many records for a Paradox table: %1 records of %2 bytes pass its %3 blocks")
                     .arg(scan->rowCount)
                     .arg(recordSize)
                     .arg(kMaxBlocks);
        return DbPut::Failed;
    }
    const int perBlock = (blockSize - 6) / recordSize;

    TableFileReplacement files(fileName);
    QFile* db = files.create(fileName, error);
    if (!db)
        return DbPut::Failed;
    std::unique_ptr<MbWriter> mb;
    if (needsMb) {
        QFile* mbFile = files.create(files.companionName(QStringLiteral("MB")), error);
        if (!mbFile)
            return DbPut::Failed;
        mb = std::make_unique<MbWriter>(mbFile);
        if (!mb->writeHeader(error))
            return DbPut::Failed;
    }
    QByteArray tableName;
    cp1252::encode(QFileInfo(fileName).fileName(), tableName);
    const qint64 headerSize = buildHeader(cols, tableName, recordSize, blockSize, 0, 0).size();
    auto writeFailed = [&]() {
        *error = QStringLiteral("Cannot write %1: %2").arg(fileName, db->errorString());
        return DbPut::Failed;
    };
    if (!db->seek(headerSize))
        return writeFailed();

    if (!rows.rewind(error))
        return DbPut::Failed;
    constexpr int kChunkBlocks = 64;
    QByteArray chunk(blockSize * kChunkBlocks, 0);
    int inChunk = 0;   // complete blocks in the chunk
    int inBlock = 0;   // records in the current block
    qint64 blocks = 0; // blocks begun
    qint64 record = 0;
    auto flushChunk = [&](int count) {
        const qint64 bytes = qint64(count) * blockSize;
        if (!writeFully(db, chunk.constData(), bytes))
            return false;
        chunk.fill(0);
        inChunk = 0;
        return true;
    };
    for (;;) {
        const DbFetch f = rows.next(error);
        if (f == DbFetch::Failed)
            return DbPut::Failed;
        if (f == DbFetch::End)
            break;
        ++record;
        if (scan && record > scan->rowCount) {
            *error = QStringLiteral("The rows changed while they were copied");
            return DbPut::Failed;
        }
        if (inBlock == 0) {
            if (++blocks > kMaxBlocks) {
                if (!scan)
                    return DbPut::Retry; // larger blocks may hold them
                *error = QStringLiteral("Too many records for a Paradox table");
                return DbPut::Failed;
            }
        }
        char* block = chunk.data() + inChunk * blockSize;
        char* rec = block + 6 + inBlock * recordSize;
        for (size_t i = 0; i < cols.size(); ++i) {
            const DbPut put = encodeValue(cols[i], rows, int(i), record, rec + cols[i].offset, mb.get(), !scan, error);
            if (put != DbPut::Ok)
                return put;
        }
        ++inBlock;
        putLE16(block + 2, quint16(blocks - 1));
        putLE16(block + 4, quint16(qint16((inBlock - 1) * recordSize)));
        putLE16(block, quint16(blocks + 1)); // the next block, cleared below for the last one
        if (inBlock == perBlock) {
            inBlock = 0;
            if (++inChunk == kChunkBlocks && !flushChunk(kChunkBlocks))
                return writeFailed();
        }
    }
    if (scan && record != scan->rowCount) {
        *error = QStringLiteral("The rows changed while they were copied");
        return DbPut::Failed;
    }
    // The last block begun ends the chain.
    const int pending = inChunk + (inBlock > 0 ? 1 : 0);
    if (pending > 0) {
        putLE16(chunk.data() + (pending - 1) * blockSize, 0);
        if (!flushChunk(pending))
            return writeFailed();
    } else if (blocks > 0) {
        // The last block was flushed with its chunk: clear its link on disk.
        const char zero[2] = {0, 0};
        if (!writeFullyAt(db, headerSize + (blocks - 1) * blockSize, zero, 2))
            return writeFailed();
    }
    const QByteArray header = buildHeader(cols, tableName, recordSize, blockSize, record, int(blocks));
    if (!writeFullyAt(db, 0, header))
        return writeFailed();
    if (mb && !mb->finish(error))
        return DbPut::Failed;
    return files.commit({QStringLiteral("PX"), QStringLiteral("MB"), QStringLiteral("VAL"), QStringLiteral("X##"),
                         QStringLiteral("Y##"), QStringLiteral("XG#"), QStringLiteral("YG#")},
                        error)
               ? DbPut::Ok
               : DbPut::Failed;
}

} // namespace

bool writeParadoxTable(DbRowSource& rows, const QString& fileName, QString* error)
{
    return writeSizedTable(
        rows, "Paradox", 255, [&](const DbRowScan* scan) { return writeOnce(rows, fileName, scan, error); }, error);
}

// ---------------------------------------------------------------- reader

namespace {

struct PxHeader {
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSize = 0;
    qint64 records = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int numFields = 0;
    int keyFields = 0;
    int version = 0;
    std::vector<quint8> types;
    std::vector<int> sizes;
    QStringList names;
};

bool readHeader(QFile& f, PxHeader* h, QString* error)
{
    const QString name = f.fileName();
    auto damaged = [&](const QString& what) {
        *error = QStringLiteral("%1 is not a valid Paradox table (%2)").arg(name, what);
        return false;
    };
    QByteArray head = f.read(kHeaderBase);
    if (head.size() < kHeaderBase)
        return damaged(QStringLiteral("too short"));
    const char* p = head.constData();
    h->recordSize = getLE16(p);
    h->headerSize = getLE16(p + 2);
    h->fileType = quint8(p[4]);
    h->blockSize = quint8(p[5]) * 1024;
    h->records = getLE32(p + 6);
    h->fileBlocks = getLE16(p + 0x0C);
    h->firstBlock = getLE16(p + 0x0E);
    h->numFields = getLE16(p + 0x21);
    h->keyFields = getLE16(p + 0x23);
    h->version = quint8(p[0x39]);
    const quint32 encryption = getLE32(p + 0x25);
    if (h->fileType != 0 && h->fileType != 2)
        return damaged(QStringLiteral("not a data table"));
    if (h->version < 3 || h->version > 12)
        return damaged(QStringLiteral("unknown version %1").arg(h->version));
    if (h->recordSize <= 0 || h->blockSize < 1024 || h->blockSize > 32768 || h->headerSize < kHeaderBase
        || h->numFields < 1 || h->numFields > 1024)
        return damaged(QStringLiteral("bad sizes"));
    if (h->recordSize > h->blockSize - 6)
        return damaged(QStringLiteral("records larger than blocks"));
    if (f.size() < h->headerSize)
        return damaged(QStringLiteral("truncated header"));
    if (!f.seek(0))
        return damaged(f.errorString());
    head = f.read(h->headerSize);
    if (head.size() < h->headerSize)
        return damaged(QStringLiteral("truncated header"));
    p = head.constData();
    const bool dataHeader = h->version >= 5;
    int at = dataHeader ? kDataHeaderEnd : kHeaderBase;
    if (encryption != 0 && !(encryption == 0xFF00FF00u && (!dataHeader || getLE32(p + 0x5C) == 0))) {
        *error = QStringLiteral("%1 is an encrypted Paradox table, which cannot be read").arg(name);
        return false;
    }
    const int tableNameLen = h->version >= 12 ? kTableNameLen7 : kTableNameLenOld;
    if (at + h->numFields * 2 + 4 + h->numFields * 4 + tableNameLen > h->headerSize)
        return damaged(QStringLiteral("truncated field list"));
    int sum = 0;
    for (int i = 0; i < h->numFields; ++i) {
        const quint8 t = quint8(p[at]);
        int size = quint8(p[at + 1]);
        if (t == pxBCD)
            size = 17;
        h->types.push_back(t);
        h->sizes.push_back(size);
        sum += size;
        at += 2;
        if (size <= 0)
            return damaged(QStringLiteral("a field of no size"));
        if ((t == pxMemo || t == pxBlob || t == pxFmtMemo || t == pxOle || t == pxGraphic) && size < 10)
            return damaged(QStringLiteral("a blob field under 10 bytes"));
    }
    if (sum != h->recordSize)
        return damaged(QStringLiteral("fields do not fill the record"));
    at += 4 + h->numFields * 4 + tableNameLen;
    for (int i = 0; i < h->numFields; ++i) {
        const int end = int(head.indexOf('\0', at));
        if (end < 0)
            return damaged(QStringLiteral("truncated field names"));
        h->names.append(cp1252::decode(p + at, end - at));
        at = end + 1;
    }
    return true;
}

DbField fieldOf(quint8 type, int size, const QString& name)
{
    DbField f;
    f.name = name;
    switch (type) {
    case pxAlpha:
        f.type = DbFieldType::String;
        f.size = size;
        break;
    case pxDate: f.type = DbFieldType::Date; break;
    case pxShort: f.type = DbFieldType::Smallint; break;
    case pxLong: f.type = DbFieldType::Integer; break;
    case pxAutoInc: f.type = DbFieldType::AutoInc; break;
    case pxCurrency: f.type = DbFieldType::Currency; break;
    case pxNumber: f.type = DbFieldType::Float; break;
    case pxBCD: f.type = DbFieldType::BCD; break;
    case pxLogical: f.type = DbFieldType::Boolean; break;
    case pxMemo: f.type = DbFieldType::Memo; break;
    case pxFmtMemo: f.type = DbFieldType::FmtMemo; break;
    case pxBlob: f.type = DbFieldType::Blob; break;
    case pxOle: f.type = DbFieldType::ParadoxOle; break;
    case pxGraphic: f.type = DbFieldType::Graphic; break;
    case pxTime: f.type = DbFieldType::Time; break;
    case pxTimestamp: f.type = DbFieldType::DateTime; break;
    case pxBytes:
        f.type = DbFieldType::Bytes;
        f.size = size;
        break;
    default: f.type = DbFieldType::Unknown; break;
    }
    return f;
}

class ParadoxReader : public DbRowSource {
public:
    bool open(const QString& fileName, QString* error)
    {
        m_file.setFileName(fileName);
        if (!m_file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot open %1: %2").arg(fileName, m_file.errorString());
            return false;
        }
        if (!readHeader(m_file, &m_h, error))
            return false;
        if (m_file.size() < qint64(m_h.headerSize) + qint64(m_h.fileBlocks) * m_h.blockSize) {
            *error = QStringLiteral("%1 is damaged (it is shorter than its %2 blocks)").arg(fileName).arg(m_h.fileBlocks);
            return false;
        }
        for (int i = 0; i < m_h.numFields; ++i) {
            const DbField f = fieldOf(m_h.types[size_t(i)], m_h.sizes[size_t(i)], m_h.names[i]);
            if (f.type == DbFieldType::Unknown) {
                *error = QStringLiteral("%1: field %2 has the unknown type %3")
                             .arg(fileName, m_h.names[i])
                             .arg(m_h.types[size_t(i)]);
                return false;
            }
            m_fields.append(f);
        }
        m_row.resize(size_t(m_h.numFields));
        return true;
    }

    const PxHeader& header() const { return m_h; }
    const QList<DbField>& fields() const override { return m_fields; }

    bool rewind(QString*) override
    {
        m_nextBlock = m_h.fileBlocks > 0 ? m_h.firstBlock : 0;
        m_visited = 0;
        m_inBlock = 0;
        m_index = 0;
        m_onRow = false;
        return true;
    }

    DbFetch next(QString* error) override
    {
        m_onRow = false;
        while (m_index >= m_inBlock) {
            if (m_nextBlock == 0)
                return DbFetch::End;
            if (!loadBlock(error))
                return DbFetch::Failed;
        }
        const char* rec = m_block.constData() + 6 + m_index * m_h.recordSize;
        ++m_index;
        int at = 0;
        for (int i = 0; i < m_h.numFields; ++i) {
            if (!decode(i, rec + at, &m_row[size_t(i)], error))
                return DbFetch::Failed;
            at += m_h.sizes[size_t(i)];
        }
        m_onRow = true;
        return DbFetch::Row;
    }

    QVariant value(int column) const override
    {
        return m_onRow && column >= 0 && column < int(m_row.size()) ? m_row[size_t(column)] : QVariant();
    }

private:
    bool damaged(QString* error, const QString& what)
    {
        *error = QStringLiteral("%1 is damaged (%2)").arg(m_file.fileName(), what);
        return false;
    }

    bool loadBlock(QString* error)
    {
        if (m_nextBlock < 1 || m_nextBlock > m_h.fileBlocks || ++m_visited > m_h.fileBlocks)
            return damaged(error, QStringLiteral("bad block chain"));
        const qint64 pos = qint64(m_h.headerSize) + qint64(m_nextBlock - 1) * m_h.blockSize;
        if (!m_file.seek(pos))
            return damaged(error, QStringLiteral("missing block %1").arg(m_nextBlock));
        m_block = m_file.read(m_h.blockSize);
        if (m_block.size() < 6)
            return damaged(error, QStringLiteral("missing block %1").arg(m_nextBlock));
        const char* p = m_block.constData();
        const int next = getLE16(p);
        const int addDataSize = qint16(getLE16(p + 4));
        int count = 0;
        if (addDataSize >= 0) {
            if (addDataSize % m_h.recordSize)
                return damaged(error, QStringLiteral("bad record count in block %1").arg(m_nextBlock));
            count = addDataSize / m_h.recordSize + 1;
        }
        if (6 + qint64(count) * m_h.recordSize > m_block.size())
            return damaged(error, QStringLiteral("block %1 is truncated").arg(m_nextBlock));
        m_inBlock = count;
        m_index = 0;
        m_nextBlock = next;
        return true;
    }

    bool openMb(QString* error)
    {
        if (m_mb.isOpen())
            return true;
        const QString path = findCompanion(m_file.fileName(), QStringLiteral("MB"));
        if (path.isEmpty()) {
            *error = QStringLiteral("%1: the blob file (.MB) is missing").arg(m_file.fileName());
            return false;
        }
        m_mb.setFileName(path);
        if (!m_mb.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot open %1: %2").arg(path, m_mb.errorString());
            return false;
        }
        return true;
    }

    bool readBlob(const char* p, int size, QByteArray* out, QString* error)
    {
        const int leader = size - 10;
        const quint32 pointer = getLE32(p + leader);
        const quint32 length = getLE32(p + leader + 4);
        if (length == 0) {
            out->clear();
            return true;
        }
        if (length <= quint32(leader)) {
            *out = QByteArray(p, int(length));
            return true;
        }
        if (!openMb(error))
            return false;
        const qint64 offset = pointer & 0xFFFFFF00u;
        const int index = int(pointer & 0xFF);
        auto bad = [&](const QString& what) {
            *error = QStringLiteral("%1 is damaged (%2)").arg(m_mb.fileName(), what);
            return false;
        };
        if (offset == 0 || offset + 3 > m_mb.size() || length > quint32(m_mb.size()))
            return bad(QStringLiteral("bad blob reference"));
        if (!m_mb.seek(offset))
            return bad(m_mb.errorString());
        const QByteArray head = m_mb.read(12);
        if (head.size() < 3)
            return bad(QStringLiteral("truncated block"));
        if (head[0] == 2) {
            if (index != 0xFF || head.size() < 9 || getLE32(head.constData() + 3) != length)
                return bad(QStringLiteral("bad single blob block"));
            if (!m_mb.seek(offset + 9))
                return bad(m_mb.errorString());
            *out = m_mb.read(qint64(length));
        } else if (head[0] == 3) {
            if (index >= 64 || !m_mb.seek(offset + 12 + index * 5))
                return bad(QStringLiteral("bad suballocated blob reference"));
            const QByteArray e = m_mb.read(5);
            if (e.size() < 5)
                return bad(QStringLiteral("truncated blob table"));
            const int start = quint8(e[0]);
            const qint64 len = (qint64(quint8(e[1])) - 1) * 16 + quint8(e[4]);
            if (len != qint64(length) || start * 16 + len > kMbBlock)
                return bad(QStringLiteral("blob size does not match"));
            if (!m_mb.seek(offset + start * 16))
                return bad(m_mb.errorString());
            *out = m_mb.read(len);
        } else {
            return bad(QStringLiteral("a blob reference to a block of type %1").arg(int(head[0])));
        }
        if (out->size() != qsizetype(length))
            return bad(QStringLiteral("truncated blob"));
        return true;
    }

    bool decode(int i, const char* p, QVariant* out, QString* error)
    {
        const int size = m_h.sizes[size_t(i)];
        const quint8 type = m_h.types[size_t(i)];
        *out = QVariant();
        if (allZero(p, size))
            return true;
        switch (type) {
        case pxAlpha: {
            int n = 0;
            while (n < size && p[n])
                ++n;
            *out = cp1252::decode(p, n);
            return true;
        }
        case pxBytes:
            *out = QByteArray(p, size);
            return true;
        case pxDate: {
            const QDate d = QDate::fromJulianDay(qint64(getLong(p)) + kJulianDayZero);
            if (d.isValid())
                *out = d;
            return true;
        }
        case pxShort:
            *out = qint64(getShort(p));
            return true;
        case pxLong:
        case pxAutoInc:
            *out = qint64(getLong(p));
            return true;
        case pxCurrency:
        case pxNumber:
            *out = getDouble(p);
            return true;
        case pxBCD:
            *out = getBcd(reinterpret_cast<const unsigned char*>(p), quint8(p[0]) & 0x3F);
            return true;
        case pxLogical:
            *out = (quint8(p[0]) & 0x7F) != 0;
            return true;
        case pxTime: {
            const qint32 ms = getLong(p);
            if (ms >= 0 && ms < 86400000)
                *out = QTime::fromMSecsSinceStartOfDay(ms);
            return true;
        }
        case pxTimestamp: {
            const double ms = getDouble(p);
            if (!std::isfinite(ms) || ms < 0 || ms > 1e17)
                return true;
            const qint64 total = qint64(ms);
            const QDate d = QDate::fromJulianDay(total / 86400000 + kJulianDayZero);
            *out = QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(total % 86400000)));
            return true;
        }
        case pxMemo:
        case pxFmtMemo:
        case pxBlob:
        case pxOle:
        case pxGraphic: {
            QByteArray b;
            if (!readBlob(p, size, &b, error))
                return false;
            if (b.isEmpty())
                return true;
            if (type == pxMemo || type == pxFmtMemo)
                *out = cp1252::decode(b);
            else
                *out = b;
            return true;
        }
        default:
            return true;
        }
    }

    QFile m_file;
    QFile m_mb;
    PxHeader m_h;
    QList<DbField> m_fields;
    QByteArray m_block;
    int m_nextBlock = 0;
    int m_visited = 0;
    int m_inBlock = 0;
    int m_index = 0;
    bool m_onRow = false;
    std::vector<QVariant> m_row;
};

} // namespace

std::unique_ptr<DbRowSource> openParadoxTable(const QString& fileName, QString* error)
{
    auto reader = std::make_unique<ParadoxReader>();
    if (!reader->open(fileName, error))
        return nullptr;
    reader->rewind(error);
    return reader;
}

QStringList paradoxTableKeys(const QString& fileName)
{
    QString error;
    ParadoxReader reader;
    if (!reader.open(fileName, &error))
        return {};
    const PxHeader& h = reader.header();
    QStringList keys;
    if (h.fileType == 0)
        for (int i = 0; i < h.keyFields && i < h.names.size(); ++i)
            keys.append(h.names[i]);
    return keys;
}

} // namespace platform
