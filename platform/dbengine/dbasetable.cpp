#include "dbasetable.h"

#include "dbvalue.h"
#include "tablecopy.h"

#include "platform/core/cp1252.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr int kMemoBlock = 512;
constexpr quint8 kLanguageDriverAnsi = 0x57;

struct DbfColumn {
    DbField field;
    DbValueKind kind;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0; // in the record, after the deletion flag
    QString name;
};

// The layout of the fields; without a scan (null), from the declarations,
// integers guessed at 11 digits (writing answers Retry when that fails).
bool buildColumns(const QList<DbField>& fields, const DbRowScan* scan, std::vector<DbfColumn>* out, QString* error)
{
    QStringList taken;
    int offset = 1;
    for (int i = 0; i < fields.size(); ++i) {
        const DbField& f = fields[i];
        const DbColumnScan s = scan ? scan->columns[size_t(i)] : DbColumnScan();
        DbfColumn c;
        c.field = f;
        c.kind = valueKind(f.type);
        switch (c.kind) {
        case DbValueKind::Text: {
            const qsizetype longest = scan ? s.longestText : f.size;
            if (longest > 254) {
                c.type = 'M';
                c.length = 10;
                c.kind = DbValueKind::Memo;
                break;
            }
            qsizetype width = longest;
            if (hasDeclaredWidth(f) && f.size > width && f.size <= 254)
                width = f.size;
            c.type = 'C';
            c.length = int(std::max<qsizetype>(width, 1));
            break;
        }
        case DbValueKind::Memo:
            c.type = 'M';
            c.length = 10;
            break;
        case DbValueKind::Integer:
            if (!s.allInteger) {
                c.type = 'N';
                c.length = 20;
                c.decimals = 6;
                c.kind = DbValueKind::Float;
            } else {
                const int need = int(std::max(QString::number(s.minInteger).size(), QString::number(s.maxInteger).size()));
                c.type = 'N';
                c.length = std::max(11, need);
            }
            break;
        case DbValueKind::Float:
            c.type = 'N';
            c.length = 20;
            c.decimals = 6;
            break;
        case DbValueKind::Boolean:
            c.type = 'L';
            c.length = 1;
            break;
        case DbValueKind::Date:
            c.type = 'D';
            c.length = 8;
            break;
        case DbValueKind::Time:
            c.type = 'C';
            c.length = 8;
            break;
        case DbValueKind::DateTime:
            c.type = 'C';
            c.length = 19;
            break;
        case DbValueKind::Binary:
            *error = QStringLiteral("Field %1: binary values cannot be written to a dBASE table").arg(f.name);
            return false;
        }
        c.offset = offset;
        offset += c.length;
        c.name = dBaseFieldName(f.name, taken);
        out->push_back(c);
    }
    if (offset > 65535) {
        *error = QStringLiteral("A dBASE record holds at most 65,535 bytes; these fields need %1").arg(offset);
        return false;
    }
    return true;
}

class DbtWriter {
public:
    explicit DbtWriter(QFile* f) : m_file(f) {}

    bool start(QString* error)
    {
        QByteArray h(kMemoBlock, 0);
        h[16] = 0x03;
        return write(h, error);
    }

    // Appends a memo; returns its first block.
    bool put(const QByteArray& text, quint32* block, QString* error)
    {
        QByteArray data = text;
        data.append("\x1A\x1A", 2);
        const qsizetype blocks = (data.size() + kMemoBlock - 1) / kMemoBlock;
        if (qint64(m_next) + blocks > 0x7FFFFFFF / kMemoBlock) {
            *error = QStringLiteral("The dBASE memo file would pass 2 GB");
            return false;
        }
        data.resize(blocks * kMemoBlock, '\0');
        *block = m_next;
        m_next += quint32(blocks);
        return write(data, error);
    }

    bool finish(QString* error)
    {
        char next[4];
        putLE32(next, m_next);
        if (!writeFullyAt(m_file, 0, next, 4)) {
            *error = QStringLiteral("Cannot write the memo file: %1").arg(m_file->errorString());
            return false;
        }
        return true;
    }

private:
    bool write(const QByteArray& b, QString* error)
    {
        if (!writeFully(m_file, b)) {
            *error = QStringLiteral("Cannot write the memo file: %1").arg(m_file->errorString());
            return false;
        }
        return true;
    }
    QFile* m_file;
    quint32 m_next = 1;
};

void putPadded(char* out, const QByteArray& b, int length, bool right)
{
    std::memset(out, ' ', size_t(length));
    if (right)
        std::memcpy(out + length - b.size(), b.constData(), size_t(b.size()));
    else
        std::memcpy(out, b.constData(), size_t(b.size()));
}

DbPut encodeValue(const DbfColumn& c, const DbRowSource& rows, const DbCell& cell, int column, qint64 record,
                  char* out, DbtWriter* dbt, bool guessed, QString* error)
{
    std::memset(out, ' ', size_t(c.length));
    if (cell.kind == DbCell::Null) {
        if (c.type == 'L')
            out[0] = '?';
        return DbPut::Ok;
    }
    auto bad = [&](const QString& what) {
        *error = fieldError(c.field, record, what);
        return DbPut::Failed;
    };
    auto notA = [&](const char* what) {
        return bad(QStringLiteral("\"%1\" is not %2").arg(toText(cellValue(rows, column, cell)), QLatin1String(what)));
    };
    switch (c.kind) {
    case DbValueKind::Text: {
        if (cell.kind == DbCell::Text) {
            // Straight into the record.
            char32_t badChar = 0;
            const qsizetype n = putCp1252(cell.data, cell.size, out, c.length, &badChar);
            if (n >= 0)
                return DbPut::Ok;
            std::memset(out, ' ', size_t(c.length));
            if (n == kTooLong) {
                if (guessed)
                    return DbPut::Retry;
                return bad(QStringLiteral("the text is longer than the field"));
            }
            if (n == kHasNul)
                return bad(QStringLiteral("the text holds a NUL character"));
            return bad(QStringLiteral("the character U+%1 has no place in Windows-1252")
                           .arg(QString::number(uint(badChar), 16).rightJustified(4, QLatin1Char('0')).toUpper()));
        }
        QByteArray b;
        if (!cellText(rows, column, cell, c.field, record, &b, error))
            return DbPut::Failed;
        if (b.size() > c.length) {
            if (guessed)
                return DbPut::Retry;
            return bad(QStringLiteral("the text is longer than the field"));
        }
        std::memcpy(out, b.constData(), size_t(b.size()));
        return DbPut::Ok;
    }
    case DbValueKind::Memo: {
        QByteArray b;
        if (!cellText(rows, column, cell, c.field, record, &b, error))
            return DbPut::Failed;
        if (b.isEmpty())
            return DbPut::Ok;
        if (b.contains('\x1A'))
            return bad(QStringLiteral("a memo cannot hold the character 0x1A"));
        quint32 block = 0;
        if (!dbt->put(b, &block, error))
            return DbPut::Failed;
        putPadded(out, QByteArray::number(block), c.length, true);
        return DbPut::Ok;
    }
    case DbValueKind::Integer: {
        qint64 n = 0;
        if (!cellInteger(rows, column, cell, &n)) {
            if (guessed)
                return DbPut::Retry; // a fraction: the sizing pass makes the field N(20,6)
            return notA("an integer");
        }
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, n);
        const int len = int(r.ptr - buf);
        if (len > c.length) {
            if (guessed)
                return DbPut::Retry;
            return bad(QStringLiteral("the number is too large for the field"));
        }
        std::memcpy(out + c.length - len, buf, size_t(len));
        return DbPut::Ok;
    }
    case DbValueKind::Float: {
        double d = 0;
        if (!cellDouble(rows, column, cell, &d))
            return notA("a number");
        if (d == 0)
            d = 0;
        char buf[64];
        const int len = putFixed(d, c.decimals, buf, std::min<int>(c.length, int(sizeof buf)));
        if (len == 0)
            return bad(QStringLiteral("the number %1 is too large for a dBASE numeric field").arg(formatNumber(d)));
        std::memcpy(out + c.length - len, buf, size_t(len));
        return DbPut::Ok;
    }
    case DbValueKind::Boolean: {
        bool b = false;
        if (!toBoolean(cellValue(rows, column, cell), &b))
            return notA("a logical value");
        out[0] = b ? 'T' : 'F';
        return DbPut::Ok;
    }
    case DbValueKind::Date: {
        QDate d;
        if (!cellDate(rows, column, cell, &d))
            return notA("a date");
        if (d.year() < 1 || d.year() > 9999)
            return bad(QStringLiteral("the year %1 cannot be written").arg(d.year()));
        char buf[9];
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year(), d.month(), d.day());
        std::memcpy(out, buf, 8);
        return DbPut::Ok;
    }
    case DbValueKind::Time: {
        QTime t;
        if (!toTime(cellValue(rows, column, cell), &t))
            return notA("a time");
        if (t.msec())
            return bad(QStringLiteral("milliseconds cannot be kept in a dBASE time"));
        putPadded(out, isoTime(t).toLatin1(), c.length, false);
        return DbPut::Ok;
    }
    case DbValueKind::DateTime: {
        QDateTime dt;
        if (!toDateTime(cellValue(rows, column, cell), &dt))
            return notA("a timestamp");
        if (dt.time().msec())
            return bad(QStringLiteral("milliseconds cannot be kept in a dBASE timestamp"));
        if (dt.date().year() < 1 || dt.date().year() > 9999)
            return bad(QStringLiteral("the year %1 cannot be written").arg(dt.date().year()));
        putPadded(out, isoDateTime(dt).toLatin1(), c.length, false);
        return DbPut::Ok;
    }
    case DbValueKind::Binary:
        break;
    }
    return notA("a storable value");
}

// A dBASE table being written: without a scan, its layout is guessed from
// the declarations (put() answers Retry when a value does not fit it).
class DbfSink : public TableSink {
public:
    DbfSink(const QString& fileName, const DbRowScan* scan) : m_fileName(fileName), m_files(fileName), m_scan(scan) {}

    bool open(const QList<DbField>& fields, QString* error)
    {
        if (!buildColumns(fields, m_scan, &m_cols, error))
            return false;
        for (const DbfColumn& c : m_cols) {
            m_recordLength += c.length;
            m_hasMemo = m_hasMemo || c.type == 'M';
        }
        m_dbf = m_files.create(m_fileName, error);
        if (!m_dbf)
            return false;
        if (m_hasMemo) {
            QFile* f = m_files.create(m_files.companionName(QStringLiteral("DBT")), error);
            if (!f)
                return false;
            m_dbt = std::make_unique<DbtWriter>(f);
            if (!m_dbt->start(error))
                return false;
        }
        m_headerLength = 32 + 32 * int(m_cols.size()) + 1;
        if (!m_dbf->seek(m_headerLength))
            return writeFailed(error);
        m_out = std::make_unique<TableFileBuffer>(m_dbf);
        return true;
    }

    DbPut put(const DbRowSource& rows, const DbCell* cells, qint64 record, QString* error) override
    {
        if ((m_scan && record > m_scan->rowCount) || record > 0xFFFFFFFFll) {
            *error = record > 0xFFFFFFFFll ? QStringLiteral("Too many records for a dBASE table")
                                           : QStringLiteral("The rows changed while they were copied");
            return DbPut::Failed;
        }
        char* rec = m_out->grow(m_recordLength);
        rec[0] = ' ';
        for (size_t i = 0; i < m_cols.size(); ++i) {
            const DbPut put = encodeValue(m_cols[i], rows, cells[i], int(i), record, rec + m_cols[i].offset,
                                          m_dbt.get(), !m_scan, error);
            if (put != DbPut::Ok) {
                m_out->shrink(m_recordLength);
                return put;
            }
        }
        if (!m_out->maybeFlush()) {
            writeFailed(error);
            return DbPut::Failed;
        }
        return DbPut::Ok;
    }

    bool finish(qint64 records, QString* error) override
    {
        if (m_scan && records != m_scan->rowCount) {
            *error = QStringLiteral("The rows changed while they were copied");
            return false;
        }
        m_out->append('\x1A');
        if (!m_out->flush())
            return writeFailed(error);
        const QByteArray h = header(records);
        if (!writeFullyAt(m_dbf, 0, h))
            return writeFailed(error);
        return !m_dbt || m_dbt->finish(error);
    }

    bool commit(QString* error) override
    {
        return m_files.commit(
            {QStringLiteral("DBT"), QStringLiteral("MDX"), QStringLiteral("FPT"), QStringLiteral("CDX")}, error);
    }

private:
    bool writeFailed(QString* error)
    {
        *error = QStringLiteral("Cannot write %1: %2").arg(m_fileName, m_dbf->errorString());
        return false;
    }

    QByteArray header(qint64 count) const
    {
        QByteArray h(m_headerLength, 0);
        char* p = h.data();
        p[0] = char(m_hasMemo ? 0x83 : 0x03);
        const QDate today = QDate::currentDate();
        p[1] = char(today.year() - 1900);
        p[2] = char(today.month());
        p[3] = char(today.day());
        putLE32(p + 4, quint32(count));
        putLE16(p + 8, quint16(m_headerLength));
        putLE16(p + 10, quint16(m_recordLength));
        p[29] = char(kLanguageDriverAnsi);
        for (size_t i = 0; i < m_cols.size(); ++i) {
            char* d = p + 32 + 32 * i;
            const QByteArray name = m_cols[i].name.toLatin1();
            std::memcpy(d, name.constData(), size_t(name.size()));
            d[11] = m_cols[i].type;
            d[16] = char(m_cols[i].length);
            d[17] = char(m_cols[i].decimals);
        }
        p[m_headerLength - 1] = 0x0D;
        return h;
    }

    QString m_fileName;
    TableFileReplacement m_files;
    const DbRowScan* m_scan;
    std::vector<DbfColumn> m_cols;
    int m_recordLength = 1;
    int m_headerLength = 0;
    bool m_hasMemo = false;
    QFile* m_dbf = nullptr;
    std::unique_ptr<DbtWriter> m_dbt;
    std::unique_ptr<TableFileBuffer> m_out;
};

DbPut writeOnce(DbRowSource& rows, const QString& fileName, const DbRowScan* scan, QString* error)
{
    DbfSink sink(fileName, scan);
    if (!sink.open(rows.fields(), error))
        return DbPut::Failed;
    return writeSink(rows, sink, error);
}

} // namespace

QString dBaseFieldName(const QString& name, QStringList& taken)
{
    QString clean;
    for (QChar c : name.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const char l = c.toUpper().toLatin1();
        if ((l >= 'A' && l <= 'Z') || (l >= '0' && l <= '9') || l == '_')
            clean += QLatin1Char(l);
        else if (c.unicode() == 0xC6 || c.unicode() == 0xE6)
            clean += QStringLiteral("AE");
        else if (c.unicode() == 0x152 || c.unicode() == 0x153)
            clean += QStringLiteral("OE");
        else
            clean += QLatin1Char('_');
    }
    if (clean.isEmpty() || !(clean[0] >= QLatin1Char('A') && clean[0] <= QLatin1Char('Z')))
        clean.prepend(QLatin1Char('F'));
    clean = clean.left(10);
    QString candidate = clean;
    for (int n = 1; taken.contains(candidate); ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        candidate = clean.left(10 - suffix.size()) + suffix;
    }
    taken.append(candidate);
    return candidate;
}

bool writeDBaseTable(DbRowSource& rows, const QString& fileName, QString* error)
{
    return writeSizedTable(
        rows, "dBASE", 255, [&](const DbRowScan* scan) { return writeOnce(rows, fileName, scan, error); }, error);
}

bool dBaseLayoutFromDeclarations(const QList<DbField>& fields)
{
    return !fields.isEmpty() && fields.size() <= 255 && layoutFromDeclarations(fields);
}

std::unique_ptr<TableSink> openDBaseSink(const QList<DbField>& fields, const QString& fileName, QString* error)
{
    auto sink = std::make_unique<DbfSink>(fileName, nullptr);
    if (!sink->open(fields, error))
        return nullptr;
    return sink;
}

// ---------------------------------------------------------------- reader

namespace {

class DBaseReader : public DbRowSource {
public:
    bool open(const QString& fileName, QString* error)
    {
        m_file.setFileName(fileName);
        if (!m_file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot open %1: %2").arg(fileName, m_file.errorString());
            return false;
        }
        auto damaged = [&](const QString& what) {
            *error = QStringLiteral("%1 is not a valid dBASE table (%2)").arg(fileName, what);
            return false;
        };
        const QByteArray head = m_file.read(32);
        if (head.size() < 32)
            return damaged(QStringLiteral("too short"));
        const quint8 version = quint8(head[0]);
        static const quint8 known[] = {0x02, 0x03, 0x04, 0x05, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0xCB, 0xF5, 0xFB};
        if (std::find(std::begin(known), std::end(known), version) == std::end(known))
            return damaged(QStringLiteral("unknown version byte 0x%1").arg(version, 2, 16, QLatin1Char('0')));
        m_foxPro = version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5 || version == 0xFB;
        m_dBase4Memo = version == 0x8B || version == 0xCB;
        m_count = getLE32(head.constData() + 4);
        m_headerLength = getLE16(head.constData() + 8);
        m_recordLength = getLE16(head.constData() + 10);
        if (m_headerLength < 33 || m_recordLength < 1)
            return damaged(QStringLiteral("bad sizes"));
        if (!m_file.seek(0))
            return damaged(m_file.errorString());
        const QByteArray all = m_file.read(m_headerLength);
        if (all.size() < m_headerLength)
            return damaged(QStringLiteral("truncated header"));
        int offset = 1;
        for (int at = 32; at + 32 <= m_headerLength && all[at] != '\x0D'; at += 32) {
            const char* d = all.constData() + at;
            DbfColumn c;
            int n = 0;
            while (n < 11 && d[n])
                ++n;
            c.name = QString::fromLatin1(d, n).trimmed();
            c.type = char(QChar::fromLatin1(d[11]).toUpper().toLatin1());
            c.length = quint8(d[16]);
            c.decimals = quint8(d[17]);
            if (c.type == 'C' && m_foxPro) {
                c.length |= c.decimals << 8;
                c.decimals = 0;
            }
            c.offset = offset;
            offset += c.length;
            if (c.length == 0)
                return damaged(QStringLiteral("field %1 has no size").arg(c.name));
            DbField f;
            f.name = c.name;
            switch (c.type) {
            case 'C':
                f.type = DbFieldType::String;
                f.size = c.length;
                break;
            case 'N':
            case 'F':
                f.type = c.decimals == 0 && c.type == 'N' && c.length <= 20 ? DbFieldType::Integer : DbFieldType::Float;
                break;
            case 'L':
                f.type = DbFieldType::Boolean;
                break;
            case 'D':
                f.type = DbFieldType::Date;
                break;
            case 'M':
                f.type = DbFieldType::Memo;
                break;
            case 'I':
                f.type = DbFieldType::Integer;
                break;
            case 'Y':
                f.type = DbFieldType::Currency;
                break;
            case 'T':
                f.type = DbFieldType::DateTime;
                break;
            case '0': // FoxPro's hidden null flags
                continue;
            default:
                *error = QStringLiteral("%1: field %2 has the unsupported type %3")
                             .arg(fileName, c.name, QChar::fromLatin1(c.type));
                return false;
            }
            if ((c.type == 'I' && c.length != 4) || ((c.type == 'Y' || c.type == 'T') && c.length != 8))
                return damaged(QStringLiteral("field %1 has a bad size").arg(c.name));
            c.field = f;
            m_cols.push_back(c);
            m_fields.append(f);
        }
        if (m_cols.empty())
            return damaged(QStringLiteral("no fields"));
        if (offset > m_recordLength)
            return damaged(QStringLiteral("fields pass the record length"));
        m_row.resize(m_cols.size());
        return true;
    }

    const QList<DbField>& fields() const override { return m_fields; }

    bool rewind(QString*) override
    {
        m_read = 0;
        m_pending.clear();
        m_pendingAt = 0;
        m_onRow = false;
        m_filePos = m_headerLength;
        return true;
    }

    DbFetch next(QString* error) override
    {
        m_onRow = false;
        for (;;) {
            if (m_read >= m_count)
                return DbFetch::End;
            if (m_pendingAt + m_recordLength > m_pending.size()) {
                if (!m_file.seek(m_filePos)) {
                    *error = QStringLiteral("%1 is damaged (%2)").arg(m_file.fileName(), m_file.errorString());
                    return DbFetch::Failed;
                }
                const qint64 want = std::min<qint64>(qint64(m_recordLength) * 4096, qint64(m_count - m_read) * m_recordLength);
                m_pending = m_file.read(want);
                m_pendingAt = 0;
                m_filePos += m_pending.size();
                if (m_pending.size() < m_recordLength) {
                    *error = QStringLiteral("%1 is damaged (it holds fewer records than its header says)")
                                 .arg(m_file.fileName());
                    return DbFetch::Failed;
                }
            }
            const char* rec = m_pending.constData() + m_pendingAt;
            m_pendingAt += m_recordLength;
            ++m_read;
            if (rec[0] == '*')
                continue;
            for (size_t i = 0; i < m_cols.size(); ++i)
                if (!decode(m_cols[i], rec + m_cols[i].offset, &m_row[i], error))
                    return DbFetch::Failed;
            m_onRow = true;
            return DbFetch::Row;
        }
    }

    QVariant value(int column) const override
    {
        return m_onRow && column >= 0 && size_t(column) < m_row.size() ? m_row[size_t(column)] : QVariant();
    }

private:
    bool openMemo(QString* error)
    {
        if (m_memo.isOpen())
            return true;
        QString path = findCompanion(m_file.fileName(), QStringLiteral("DBT"));
        m_fpt = false;
        if (path.isEmpty()) {
            path = findCompanion(m_file.fileName(), QStringLiteral("FPT"));
            m_fpt = !path.isEmpty();
        }
        if (path.isEmpty()) {
            *error = QStringLiteral("%1: the memo file (.DBT) is missing").arg(m_file.fileName());
            return false;
        }
        m_memo.setFileName(path);
        if (!m_memo.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot open %1: %2").arg(path, m_memo.errorString());
            return false;
        }
        const QByteArray h = m_memo.read(32);
        m_memoBlock = kMemoBlock;
        if (m_fpt && h.size() >= 8)
            m_memoBlock = (quint8(h[6]) << 8) | quint8(h[7]);
        else if (m_dBase4Memo && h.size() >= 22 && getLE16(h.constData() + 20))
            m_memoBlock = getLE16(h.constData() + 20);
        if (m_memoBlock <= 0)
            m_memoBlock = kMemoBlock;
        return true;
    }

    bool readMemo(quint32 block, QByteArray* out, QString* error)
    {
        if (!openMemo(error))
            return false;
        auto bad = [&](const QString& what) {
            *error = QStringLiteral("%1 is damaged (%2)").arg(m_memo.fileName(), what);
            return false;
        };
        const qint64 pos = qint64(block) * m_memoBlock;
        if (pos >= m_memo.size() || !m_memo.seek(pos))
            return bad(QStringLiteral("memo block %1 is missing").arg(block));
        if (m_fpt) {
            const QByteArray h = m_memo.read(8);
            if (h.size() < 8)
                return bad(QStringLiteral("truncated memo"));
            const quint32 len = (quint32(quint8(h[4])) << 24) | (quint32(quint8(h[5])) << 16)
                                | (quint32(quint8(h[6])) << 8) | quint8(h[7]);
            if (pos + 8 + len > m_memo.size())
                return bad(QStringLiteral("truncated memo"));
            *out = m_memo.read(len);
            return true;
        }
        QByteArray first = m_memo.read(8);
        if (first.size() == 8 && quint8(first[0]) == 0xFF && quint8(first[1]) == 0xFF && first[2] == 0x08
            && first[3] == 0x00) {
            const quint32 len = getLE32(first.constData() + 4);
            if (len < 8 || pos + len > m_memo.size())
                return bad(QStringLiteral("truncated memo"));
            *out = m_memo.read(len - 8);
            return true;
        }
        // dBASE III: up to the first 0x1A.
        QByteArray data = first;
        for (;;) {
            const int end = int(data.indexOf('\x1A'));
            if (end >= 0) {
                data.truncate(end);
                break;
            }
            const QByteArray more = m_memo.read(64 * 1024);
            if (more.isEmpty())
                break; // the end of the file ends the memo
            data += more;
        }
        *out = data;
        return true;
    }

    bool decode(const DbfColumn& c, const char* p, QVariant* out, QString* error)
    {
        *out = QVariant();
        auto trimmed = [&]() {
            int b = 0, e = c.length;
            while (e > 0 && (p[e - 1] == ' ' || p[e - 1] == '\0'))
                --e;
            while (b < e && p[b] == ' ')
                ++b;
            return QByteArray(p + b, e - b);
        };
        switch (c.type) {
        case 'C': {
            int e = c.length;
            while (e > 0 && (p[e - 1] == ' ' || p[e - 1] == '\0'))
                --e;
            if (e > 0)
                *out = cp1252::decode(p, e);
            return true;
        }
        case 'N':
        case 'F': {
            const QByteArray t = trimmed();
            if (t.isEmpty() || t.startsWith('*'))
                return true;
            bool ok = false;
            if (c.field.type == DbFieldType::Integer) {
                const qint64 n = t.toLongLong(&ok);
                if (ok) {
                    *out = n;
                    return true;
                }
            }
            const double d = t.toDouble(&ok);
            if (ok)
                *out = d;
            return true;
        }
        case 'L': {
            const char ch = p[0];
            if (ch == 'T' || ch == 't' || ch == 'Y' || ch == 'y')
                *out = true;
            else if (ch == 'F' || ch == 'f' || ch == 'N' || ch == 'n')
                *out = false;
            return true;
        }
        case 'D': {
            const QByteArray t = trimmed();
            if (t.size() == 8) {
                const QDate d = QDate::fromString(QString::fromLatin1(t), QStringLiteral("yyyyMMdd"));
                if (d.isValid())
                    *out = d;
            }
            return true;
        }
        case 'I':
            *out = qint64(qint32(getLE32(p)));
            return true;
        case 'Y': {
            const qint64 v = qint64(quint64(getLE32(p)) | (quint64(getLE32(p + 4)) << 32));
            *out = double(v) / 10000.0;
            return true;
        }
        case 'T': {
            const qint32 day = qint32(getLE32(p));
            const qint32 ms = qint32(getLE32(p + 4));
            if (day > 0 && ms >= 0 && ms < 86400000)
                *out = QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(ms));
            return true;
        }
        case 'M': {
            quint32 block = 0;
            if (c.length == 4) {
                block = getLE32(p);
            } else {
                const QByteArray t = trimmed();
                if (t.isEmpty())
                    return true;
                bool ok = false;
                block = t.toUInt(&ok);
                if (!ok)
                    return true;
            }
            if (block == 0)
                return true;
            QByteArray b;
            if (!readMemo(block, &b, error))
                return false;
            if (!b.isEmpty())
                *out = cp1252::decode(b);
            return true;
        }
        default:
            return true;
        }
    }

    QFile m_file;
    QFile m_memo;
    bool m_fpt = false;
    bool m_foxPro = false;
    bool m_dBase4Memo = false;
    int m_memoBlock = kMemoBlock;
    quint32 m_count = 0;
    int m_headerLength = 0;
    int m_recordLength = 0;
    std::vector<DbfColumn> m_cols;
    QList<DbField> m_fields;
    quint32 m_read = 0;
    qint64 m_filePos = 0;
    QByteArray m_pending;
    qsizetype m_pendingAt = 0;
    bool m_onRow = false;
    std::vector<QVariant> m_row;
};

} // namespace

std::unique_ptr<DbRowSource> openDBaseTable(const QString& fileName, QString* error)
{
    auto reader = std::make_unique<DBaseReader>();
    if (!reader->open(fileName, error))
        return nullptr;
    reader->rewind(error);
    return reader;
}

} // namespace platform
