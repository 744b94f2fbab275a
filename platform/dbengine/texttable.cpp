#include "texttable.h"

#include "tablecopy.h"

#include "platform/core/cp1252.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cstring>

namespace platform {

namespace {

struct TxtColumn {
    DbField field;
    DbValueKind kind;
    QString type; // as in the schema
    qsizetype width = 0;
    int decimals = 0;
    bool isText = false;
};

QString schemaFieldName(const QString& name, QStringList& taken)
{
    QString clean;
    for (QChar c : name) {
        if (c == QLatin1Char(',') || c == QLatin1Char('=') || c.unicode() < 0x20 || cp1252::byteOf(c) < 0)
            clean += QLatin1Char('_');
        else
            clean += c;
    }
    clean = clean.trimmed();
    if (clean.isEmpty())
        clean = QStringLiteral("Field");
    QString candidate = clean;
    for (int n = 1; taken.contains(candidate, Qt::CaseInsensitive); ++n)
        candidate = clean + QStringLiteral("_%1").arg(n);
    taken.append(candidate);
    return candidate;
}

bool columnFor(const DbField& f, TxtColumn* c, QString* error)
{
    c->field = f;
    c->kind = valueKind(f.type);
    switch (c->kind) {
    case DbValueKind::Text:
    case DbValueKind::Memo: {
        c->type = QStringLiteral("Char");
        const bool explicitSize = f.declaredType.isEmpty() ? f.size > 0 : f.declaredType.contains(QLatin1Char('('));
        c->width = c->kind == DbValueKind::Text && explicitSize ? f.size : 1;
        c->isText = true;
        break;
    }
    case DbValueKind::Integer:
        c->type = f.type == DbFieldType::Smallint ? QStringLiteral("Number") : QStringLiteral("LongInt");
        c->width = f.type == DbFieldType::Smallint ? 6 : 11;
        break;
    case DbValueKind::Float:
        if (f.type == DbFieldType::Currency) {
            c->type = QStringLiteral("Currency");
            c->decimals = 2;
        } else {
            c->type = QStringLiteral("Float");
        }
        c->width = 20;
        break;
    case DbValueKind::Boolean:
        c->type = QStringLiteral("Bool");
        c->width = 5;
        break;
    case DbValueKind::Date:
        c->type = QStringLiteral("Date");
        c->width = 10;
        break;
    case DbValueKind::Time:
        c->type = QStringLiteral("Time");
        c->width = 8;
        break;
    case DbValueKind::DateTime:
        c->type = QStringLiteral("TimeStamp");
        c->width = 19;
        break;
    case DbValueKind::Binary:
        *error = QStringLiteral("Field %1: binary values cannot be written to a text table").arg(f.name);
        return false;
    }
    return true;
}

// The text of one value in the file (without quotes for strings).
bool valueToFile(TxtColumn& c, const QVariant& v, qint64 record, const DbTextFormat& format, QString* out,
                 QString* error)
{
    auto notA = [&](const char* what) {
        *error = fieldError(c.field, record, QStringLiteral("\"%1\" is not %2").arg(toText(v), QLatin1String(what)));
        return false;
    };
    switch (c.kind) {
    case DbValueKind::Integer: {
        qint64 n = 0;
        double d = 0;
        if (toInteger(v, &n)) {
            *out = QString::number(n);
        } else if (toDouble(v, &d)) {
            // A fraction in an integer field: widen the field to a float.
            c.type = QStringLiteral("Float");
            c.kind = DbValueKind::Float;
            *out = formatNumber(d);
        } else {
            return notA("a number");
        }
        break;
    }
    case DbValueKind::Float: {
        double d = 0;
        if (!toDouble(v, &d))
            return notA("a number");
        *out = formatNumber(d);
        break;
    }
    case DbValueKind::Boolean: {
        bool b = false;
        if (!toBoolean(v, &b))
            return notA("a logical value");
        *out = b ? QStringLiteral("True") : QStringLiteral("False");
        break;
    }
    case DbValueKind::Date: {
        QDate d;
        if (!toDate(v, &d))
            return notA("a date");
        *out = formatDate(d, format);
        break;
    }
    case DbValueKind::Time: {
        QTime t;
        if (!toTime(v, &t))
            return notA("a time");
        *out = formatTime(t);
        break;
    }
    case DbValueKind::DateTime: {
        QDateTime dt;
        if (!toDateTime(v, &dt))
            return notA("a timestamp");
        *out = formatDateTime(dt, format);
        break;
    }
    default:
        *out = toText(v);
        break;
    }
    c.width = std::max(c.width, out->size());
    return true;
}

} // namespace

namespace {

// A text table being written: the rows go to the .TXT as they come, the
// schema (with the widths the values needed) when they are all written.
class TxtSink : public TableSink {
public:
    TxtSink(const QString& fileName, const DbTextFormat& format)
        : m_fileName(fileName), m_format(format), m_files(fileName), m_dates(format)
    {
    }

    bool open(const QList<DbField>& fields, QString* error)
    {
        if (fields.isEmpty()) {
            *error = QStringLiteral("A table needs at least one field");
            return false;
        }
        m_cols.resize(size_t(fields.size()));
        for (int i = 0; i < fields.size(); ++i)
            if (!columnFor(fields[i], &m_cols[size_t(i)], error))
                return false;
        m_txt = m_files.create(m_fileName, error);
        if (!m_txt)
            return false;
        m_out = std::make_unique<TableFileBuffer>(m_txt);
        return true;
    }

    DbPut put(const DbRowSource& rows, const DbCell* cells, qint64 record, QString* error) override
    {
        TableFileBuffer& out = *m_out;
        for (size_t i = 0; i < m_cols.size(); ++i) {
            if (i)
                out.append(',');
            TxtColumn& c = m_cols[i];
            const DbCell& cell = cells[i];
            if (cell.kind == DbCell::Null)
                continue;
            if (c.isText) {
                if (cell.kind == DbCell::Text && plainAscii(cell.data, cell.size)) {
                    c.width = std::max<qsizetype>(c.width, cell.size);
                    char* p = out.grow(cell.size + 2);
                    p[0] = '"';
                    std::memcpy(p + 1, cell.data, size_t(cell.size));
                    p[cell.size + 1] = '"';
                    continue;
                }
                if (!cellText(rows, int(i), cell, c.field, record, &m_bytes, error))
                    return DbPut::Failed;
                c.width = std::max(c.width, m_bytes.size());
                out.append('"');
                for (const char ch : std::as_const(m_bytes)) {
                    if (ch == '"')
                        out.append('"');
                    out.append(ch);
                }
                out.append('"');
                continue;
            }
            if (c.kind == DbValueKind::Integer && cell.kind == DbCell::Integer) {
                char* p = out.grow(24);
                const auto r = std::to_chars(p, p + 24, cell.integer);
                out.shrink(24 - (r.ptr - p));
                c.width = std::max<qsizetype>(c.width, r.ptr - p);
                continue;
            }
            if (c.kind == DbValueKind::Float && (cell.kind == DbCell::Float || cell.kind == DbCell::Integer)) {
                m_bytes.resize(0); // keeps the allocation
                appendNumber(cell.kind == DbCell::Float ? cell.real : double(cell.integer), &m_bytes);
                out.append(m_bytes.constData(), m_bytes.size());
                c.width = std::max(c.width, m_bytes.size());
                continue;
            }
            if (c.kind == DbValueKind::Date) {
                QDate d;
                if (cellDate(rows, int(i), cell, &d)) {
                    m_bytes.resize(0); // keeps the allocation
                    m_dates.append(d, &m_bytes);
                    out.append(m_bytes.constData(), m_bytes.size());
                    continue;
                }
            }
            if (!valueToFile(c, cellValue(rows, int(i), cell), record, m_format, &m_text, error))
                return DbPut::Failed;
            const QByteArray latin = m_text.toLatin1(); // numbers, dates and logicals are ASCII
            out.append(latin.constData(), latin.size());
        }
        out.append("\r\n", 2);
        if (!out.maybeFlush()) {
            writeFailed(error);
            return DbPut::Failed;
        }
        return DbPut::Ok;
    }

    bool finish(qint64, QString* error) override
    {
        if (!m_out->flush())
            return writeFailed(error);
        QString schema;
        schema += QLatin1Char('[') + QFileInfo(m_fileName).completeBaseName() + QStringLiteral("]\r\n");
        schema += QStringLiteral("Filetype=VARYING\r\nDelimiter=\"\r\nSeparator=,\r\nCharSet=ANSIINTL\r\n");
        schema += QStringLiteral("DateFormat=%1\r\n").arg(m_format.dateEditor.isEmpty() ? QStringLiteral("d/m/y")
                                                                                         : m_format.dateEditor);
        QStringList names;
        qsizetype offset = 0;
        for (size_t i = 0; i < m_cols.size(); ++i) {
            const TxtColumn& c = m_cols[i];
            schema += QStringLiteral("Field%1=%2,%3,%4,%5,%6\r\n")
                          .arg(i + 1)
                          .arg(schemaFieldName(c.field.name, names), c.type)
                          .arg(c.width, 2, 10, QLatin1Char('0'))
                          .arg(c.decimals, 2, 10, QLatin1Char('0'))
                          .arg(offset, 2, 10, QLatin1Char('0'));
            offset += c.width;
        }
        QByteArray schemaBytes;
        if (!cp1252::encode(schema, schemaBytes)) {
            *error = QStringLiteral("The schema of %1 cannot be written in Windows-1252").arg(m_fileName);
            return false;
        }
        QFile* sch = m_files.create(m_files.companionName(QStringLiteral("SCH")), error);
        if (!sch)
            return false;
        if (!writeFully(sch, schemaBytes)) {
            *error = QStringLiteral("Cannot write the schema of %1: %2").arg(m_fileName, sch->errorString());
            return false;
        }
        return true;
    }

    bool commit(QString* error) override { return m_files.commit({QStringLiteral("SCH")}, error); }

private:
    // Text that goes as it is: ASCII without a quote to double.
    static bool plainAscii(const char* p, int n)
    {
        for (int i = 0; i < n; ++i)
            if (quint8(p[i]) >= 0x80 || p[i] == '"' || p[i] == '\0')
                return false;
        return true;
    }

    bool writeFailed(QString* error)
    {
        *error = QStringLiteral("Cannot write %1: %2").arg(m_fileName, m_txt->errorString());
        return false;
    }

    QString m_fileName;
    DbTextFormat m_format;
    TableFileReplacement m_files;
    DbDateFormatter m_dates;
    std::vector<TxtColumn> m_cols;
    QFile* m_txt = nullptr;
    std::unique_ptr<TableFileBuffer> m_out;
    QByteArray m_bytes;
    QString m_text;
};

} // namespace

std::unique_ptr<TableSink> openTextSink(const QList<DbField>& fields, const QString& fileName,
                                        const DbTextFormat& format, QString* error)
{
    auto sink = std::make_unique<TxtSink>(fileName, format);
    if (!sink->open(fields, error))
        return nullptr;
    return sink;
}

bool writeTextTable(DbRowSource& rows, const QString& fileName, const DbTextFormat& format, QString* error)
{
    const auto sink = openTextSink(rows.fields(), fileName, format, error);
    return sink && writeSink(rows, *sink, error) == DbPut::Ok;
}

// ---------------------------------------------------------------- reader

namespace {

struct SchField {
    DbField field;
    QString type; // upper case
    int width = 0;
    int offset = 0;
};

class TextReader : public DbRowSource {
public:
    bool open(const QString& fileName, const DbTextFormat& format, QString* error)
    {
        m_format = format;
        const QString schPath = findCompanion(fileName, QStringLiteral("SCH"));
        if (schPath.isEmpty()) {
            *error = QStringLiteral("%1: the schema file (.SCH) is missing").arg(fileName);
            return false;
        }
        QFile sch(schPath);
        if (!sch.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot open %1: %2").arg(schPath, sch.errorString());
            return false;
        }
        if (sch.size() > 1 << 20) {
            *error = QStringLiteral("%1 is not a valid schema file (too large)").arg(schPath);
            return false;
        }
        if (!parseSchema(cp1252::decode(sch.readAll()), schPath, error))
            return false;
        m_file.setFileName(fileName);
        if (!m_file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot open %1: %2").arg(fileName, m_file.errorString());
            return false;
        }
        m_row.resize(size_t(m_cols.size()));
        return true;
    }

    const QList<DbField>& fields() const override { return m_fields; }

    bool rewind(QString* error) override
    {
        if (!m_file.seek(0)) {
            *error = m_file.errorString();
            return false;
        }
        m_buf.clear();
        m_at = 0;
        m_eof = false;
        m_line = 0;
        m_onRow = false;
        return true;
    }

    DbFetch next(QString* error) override
    {
        m_onRow = false;
        if (!fill(1))
            return DbFetch::End;
        ++m_line;
        std::vector<QByteArray> raw;
        std::vector<bool> quoted;
        if (m_fixed) {
            QByteArray line;
            if (!readLine(&line))
                return DbFetch::End;
            for (const SchField& f : m_cols) {
                raw.push_back(f.offset < line.size() ? line.mid(f.offset, f.width) : QByteArray());
                quoted.push_back(false);
            }
        } else if (!readDelimited(&raw, &quoted, error)) {
            return DbFetch::Failed;
        }
        if (raw.size() != size_t(m_cols.size())) {
            *error = QStringLiteral("%1 is damaged (line %2 has %3 fields, the schema %4)")
                         .arg(m_file.fileName())
                         .arg(m_line)
                         .arg(raw.size())
                         .arg(m_cols.size());
            return DbFetch::Failed;
        }
        for (size_t i = 0; i < raw.size(); ++i)
            if (!convert(m_cols[int(i)], raw[i], quoted[i], &m_row[i], error))
                return DbFetch::Failed;
        m_onRow = true;
        return DbFetch::Row;
    }

    QVariant value(int column) const override
    {
        return m_onRow && column >= 0 && size_t(column) < m_row.size() ? m_row[size_t(column)] : QVariant();
    }

private:
    bool parseSchema(const QString& text, const QString& path, QString* error)
    {
        auto damaged = [&](const QString& what) {
            *error = QStringLiteral("%1 is not a valid schema file (%2)").arg(path, what);
            return false;
        };
        QMap<int, QString> fieldSpecs;
        QString fileType = QStringLiteral("VARYING");
        for (QString line : text.split(QLatin1Char('\n'))) {
            line = line.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char(';')))
                continue;
            const int eq = int(line.indexOf(QLatin1Char('=')));
            if (eq <= 0)
                continue;
            const QString key = line.left(eq).trimmed().toUpper();
            const QString value = line.mid(eq + 1);
            if (key == QLatin1String("FILETYPE"))
                fileType = value.trimmed().toUpper();
            else if (key == QLatin1String("DELIMITER"))
                m_delimiter = value.isEmpty() ? 0 : char(cp1252::byteOf(value.at(0)));
            else if (key == QLatin1String("SEPARATOR"))
                m_separator = value.isEmpty() ? ',' : char(cp1252::byteOf(value.at(0)));
            else if (key == QLatin1String("DATEFORMAT"))
                m_format.dateEditor = value.trimmed();
            else if (key.startsWith(QLatin1String("FIELD"))) {
                bool ok = false;
                const int n = key.mid(5).toInt(&ok);
                if (ok && n > 0 && n <= 4096)
                    fieldSpecs.insert(n, value);
            }
        }
        if (fileType != QLatin1String("VARYING") && fileType != QLatin1String("FIXED"))
            return damaged(QStringLiteral("unknown file type %1").arg(fileType));
        m_fixed = fileType == QLatin1String("FIXED");
        if (fieldSpecs.isEmpty())
            return damaged(QStringLiteral("no fields"));
        int expected = 1;
        for (auto it = fieldSpecs.cbegin(); it != fieldSpecs.cend(); ++it, ++expected) {
            if (it.key() != expected)
                return damaged(QStringLiteral("Field%1 is missing").arg(expected));
            const QStringList parts = it.value().split(QLatin1Char(','));
            if (parts.size() < 3)
                return damaged(QStringLiteral("Field%1 is incomplete").arg(expected));
            SchField f;
            f.type = parts[1].trimmed().toUpper();
            f.width = parts[2].trimmed().toInt();
            f.offset = parts.size() > 4 ? parts[4].trimmed().toInt() : 0;
            f.field.name = parts[0].trimmed();
            if (f.width < 0 || f.offset < 0)
                return damaged(QStringLiteral("Field%1 has a bad width").arg(expected));
            if (f.type == QLatin1String("CHAR")) {
                f.field.type = DbFieldType::String;
                f.field.size = std::clamp(f.width, 1, 65535);
            } else if (f.type == QLatin1String("FLOAT")) {
                f.field.type = DbFieldType::Float;
            } else if (f.type == QLatin1String("NUMBER")) {
                f.field.type = DbFieldType::Smallint;
            } else if (f.type == QLatin1String("LONGINT")) {
                f.field.type = DbFieldType::Integer;
            } else if (f.type == QLatin1String("BOOL")) {
                f.field.type = DbFieldType::Boolean;
            } else if (f.type == QLatin1String("DATE")) {
                f.field.type = DbFieldType::Date;
            } else if (f.type == QLatin1String("TIME")) {
                f.field.type = DbFieldType::Time;
            } else if (f.type == QLatin1String("TIMESTAMP")) {
                f.field.type = DbFieldType::DateTime;
            } else if (f.type == QLatin1String("CURRENCY")) {
                f.field.type = DbFieldType::Currency;
            } else {
                return damaged(QStringLiteral("Field%1 has the unknown type %2").arg(expected).arg(parts[1]));
            }
            m_cols.append(f);
            m_fields.append(f.field);
        }
        return true;
    }

    // Makes at least n bytes available from m_at, when the file has them.
    bool fill(qsizetype n)
    {
        while (m_buf.size() - m_at < n && !m_eof) {
            if (m_at > 0) {
                m_buf.remove(0, m_at);
                m_at = 0;
            }
            const QByteArray more = m_file.read(1 << 20);
            if (more.isEmpty())
                m_eof = true;
            m_buf += more;
        }
        return m_buf.size() - m_at >= n;
    }

    bool readLine(QByteArray* line)
    {
        line->clear();
        for (;;) {
            if (!fill(1))
                return !line->isEmpty();
            const qsizetype nl = m_buf.indexOf('\n', m_at);
            if (nl < 0) {
                line->append(m_buf.constData() + m_at, m_buf.size() - m_at);
                m_at = m_buf.size();
                continue;
            }
            line->append(m_buf.constData() + m_at, nl - m_at);
            m_at = nl + 1;
            if (line->endsWith('\r'))
                line->chop(1);
            return true;
        }
    }

    bool readDelimited(std::vector<QByteArray>* fields, std::vector<bool>* quoted, QString* error)
    {
        QByteArray cur;
        bool isQuoted = false;
        for (;;) {
            if (!fill(1)) {
                fields->push_back(cur);
                quoted->push_back(isQuoted);
                return true; // the file ends the last line
            }
            const char c = m_buf[m_at];
            if (m_delimiter && c == m_delimiter && cur.isEmpty() && !isQuoted) {
                ++m_at;
                isQuoted = true;
                for (;;) {
                    if (!fill(1)) {
                        *error = QStringLiteral("%1 is damaged (line %2 ends inside quotes)")
                                     .arg(m_file.fileName())
                                     .arg(m_line);
                        return false;
                    }
                    const char q = m_buf[m_at++];
                    if (q == m_delimiter) {
                        if (fill(1) && m_buf[m_at] == m_delimiter) {
                            cur += q;
                            ++m_at;
                            continue;
                        }
                        break;
                    }
                    cur += q;
                }
                continue;
            }
            ++m_at;
            if (c == m_separator) {
                fields->push_back(cur);
                quoted->push_back(isQuoted);
                cur.clear();
                isQuoted = false;
            } else if (c == '\n') {
                if (!isQuoted && cur.endsWith('\r'))
                    cur.chop(1);
                fields->push_back(cur);
                quoted->push_back(isQuoted);
                return true;
            } else if (c == '\r' && isQuoted) {
                // the CR of CR LF after a quoted field
            } else {
                cur += c;
            }
        }
    }

    bool convert(const SchField& f, const QByteArray& raw, bool quoted, QVariant* out, QString* error)
    {
        *out = QVariant();
        const QString text = cp1252::decode(raw);
        if (f.field.type == DbFieldType::String) {
            if (quoted)
                *out = text;
            else if (m_fixed) {
                QString t = text;
                while (t.endsWith(QLatin1Char(' ')))
                    t.chop(1);
                if (!t.isEmpty())
                    *out = t;
            } else if (!text.isEmpty())
                *out = text;
            return true;
        }
        const QString t = text.trimmed();
        if (t.isEmpty())
            return true;
        bool ok = true;
        switch (valueKind(f.field.type)) {
        case DbValueKind::Integer: {
            qint64 n = 0;
            ok = toInteger(QVariant(t), &n);
            if (ok)
                *out = n;
            break;
        }
        case DbValueKind::Float: {
            double d = 0;
            ok = toDouble(QVariant(t), &d);
            if (ok)
                *out = d;
            break;
        }
        case DbValueKind::Boolean: {
            bool b = false;
            ok = toBoolean(QVariant(t), &b);
            if (ok)
                *out = b;
            break;
        }
        case DbValueKind::Date: {
            QDate d;
            ok = parseDate(t, m_format, &d);
            if (ok)
                *out = d;
            break;
        }
        case DbValueKind::Time: {
            QTime tm;
            ok = toTime(QVariant(t), &tm);
            if (ok)
                *out = tm;
            break;
        }
        case DbValueKind::DateTime: {
            const int sp = int(t.indexOf(QLatin1Char(' ')));
            QDate d;
            QTime tm(0, 0);
            ok = parseDate(sp < 0 ? t : t.left(sp), m_format, &d);
            if (ok && sp >= 0)
                ok = toTime(QVariant(t.mid(sp + 1).trimmed()), &tm);
            if (ok)
                *out = QDateTime(d, tm);
            break;
        }
        default:
            *out = text;
            break;
        }
        if (!ok) {
            *error = QStringLiteral("%1 is damaged (line %2, field %3: \"%4\")")
                         .arg(m_file.fileName())
                         .arg(m_line)
                         .arg(f.field.name, t);
            return false;
        }
        return true;
    }

    QFile m_file;
    DbTextFormat m_format;
    QList<SchField> m_cols;
    QList<DbField> m_fields;
    bool m_fixed = false;
    char m_delimiter = '"';
    char m_separator = ',';
    QByteArray m_buf;
    qsizetype m_at = 0;
    bool m_eof = false;
    qint64 m_line = 0;
    bool m_onRow = false;
    std::vector<QVariant> m_row;
};

} // namespace

std::unique_ptr<DbRowSource> openTextTable(const QString& fileName, const DbTextFormat& format, QString* error)
{
    auto reader = std::make_unique<TextReader>();
    if (!reader->open(fileName, format, error))
        return nullptr;
    if (!reader->rewind(error))
        return nullptr;
    return reader;
}

} // namespace platform
