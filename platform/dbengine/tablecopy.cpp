#include "tablecopy.h"

#include "dbvalue.h"

#include "platform/core/cp1252.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform {

bool scanRows(DbRowSource& rows, DbRowScan* scan, QString* error)
{
    const QList<DbField>& fields = rows.fields();
    scan->rowCount = 0;
    scan->columns.assign(size_t(fields.size()), DbColumnScan());
    std::vector<DbValueKind> kinds;
    for (const DbField& f : fields)
        kinds.push_back(valueKind(f.type));
    if (!rows.rewind(error))
        return false;
    for (;;) {
        const DbFetch f = rows.next(error);
        if (f == DbFetch::Failed)
            return false;
        if (f == DbFetch::End)
            return true;
        ++scan->rowCount;
        for (int c = 0; c < fields.size(); ++c) {
            DbColumnScan& col = scan->columns[size_t(c)];
            switch (kinds[size_t(c)]) {
            case DbValueKind::Text:
            case DbValueKind::Memo: {
                const qsizetype n = rows.textLength(c);
                if (n >= 0) {
                    col.anyValue = true;
                    col.longestText = std::max(col.longestText, n);
                }
                break;
            }
            case DbValueKind::Integer: {
                const QVariant v = rows.value(c);
                if (v.isNull())
                    break;
                qint64 n = 0;
                if (!toInteger(v, &n)) {
                    col.allInteger = false;
                    break;
                }
                if (!col.anyValue) {
                    col.minInteger = col.maxInteger = n;
                } else {
                    col.minInteger = std::min(col.minInteger, n);
                    col.maxInteger = std::max(col.maxInteger, n);
                }
                col.anyValue = true;
                break;
            }
            case DbValueKind::Binary: {
                const QVariant v = rows.value(c);
                if (v.isNull())
                    break;
                col.anyValue = true;
                const qsizetype n = v.typeId() == QMetaType::QByteArray ? v.toByteArray().size()
                                                                        : toText(v).toUtf8().size();
                col.longestBinary = std::max(col.longestBinary, n);
                break;
            }
            default:
                break;
            }
        }
    }
}

QString fieldError(const DbField& field, qint64 record, const QString& what)
{
    return QStringLiteral("Field %1, record %2: %3").arg(field.name).arg(record).arg(what);
}

bool encodeText(const QString& text, const DbField& field, qint64 record, QByteArray* out, QString* error)
{
    QChar bad;
    if (cp1252::encode(text, *out, &bad))
        return true;
    *error = fieldError(field, record,
                        QStringLiteral("the character U+%1 has no place in Windows-1252")
                            .arg(QString::number(bad.unicode(), 16).rightJustified(4, QLatin1Char('0')).toUpper()));
    return false;
}

QVariant cellValue(const DbRowSource& rows, int column, const DbCell& cell)
{
    switch (cell.kind) {
    case DbCell::Null:
        return {};
    case DbCell::Integer:
        return QVariant(cell.integer);
    case DbCell::Float:
        return QVariant(cell.real);
    case DbCell::Text:
        return QVariant(QString::fromUtf8(cell.data, cell.size));
    case DbCell::Blob:
        return QVariant(QByteArray(cell.data, cell.size));
    case DbCell::Variant:
        break;
    }
    return rows.value(column);
}

bool appendCp1252(const char* utf8, qsizetype size, QByteArray* out, char32_t* bad)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    const auto* end = p + size;
    while (p < end) {
        // Runs of ASCII go as they are.
        const auto* run = p;
        while (p < end && *p < 0x80)
            ++p;
        if (p > run)
            out->append(reinterpret_cast<const char*>(run), p - run);
        if (p >= end)
            break;
        char32_t cp = 0;
        int extra = 0;
        if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            *bad = 0xFFFD;
            return false;
        }
        if (end - p <= extra) {
            *bad = 0xFFFD;
            return false;
        }
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                *bad = 0xFFFD;
                return false;
            }
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        p += extra + 1;
        const int b = cp <= 0xFFFF ? cp1252::byteOf(QChar(char16_t(cp))) : -1;
        if (b < 0) {
            *bad = cp;
            return false;
        }
        out->append(char(b));
    }
    return true;
}

namespace {

// No table format keeps a NUL inside a text: Paradox and dBASE end the
// value there, a text file would hand it to readers that do the same.
bool refuseNul(const QByteArray& bytes, const DbField& field, qint64 record, QString* error)
{
    if (!std::memchr(bytes.constData(), 0, size_t(bytes.size())))
        return true;
    *error = fieldError(field, record, QStringLiteral("the text holds a NUL character"));
    return false;
}

} // namespace

qsizetype putCp1252(const char* utf8, qsizetype size, char* out, qsizetype cap, char32_t* bad)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    const auto* end = p + size;
    qsizetype n = 0;
    while (p < end) {
        if (*p < 0x80) {
            if (*p == 0)
                return kHasNul;
            if (n == cap)
                return kTooLong;
            out[n++] = char(*p++);
            continue;
        }
        char32_t cp = 0;
        int extra = 0;
        if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            *bad = 0xFFFD;
            return kNotCp1252;
        }
        if (end - p <= extra) {
            *bad = 0xFFFD;
            return kNotCp1252;
        }
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                *bad = 0xFFFD;
                return kNotCp1252;
            }
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        p += extra + 1;
        const int b = cp <= 0xFFFF ? cp1252::byteOf(QChar(char16_t(cp))) : -1;
        if (b < 0) {
            *bad = cp;
            return kNotCp1252;
        }
        if (n == cap)
            return kTooLong;
        out[n++] = char(b);
    }
    return n;
}

int putFixed(double value, int decimals, char* out, int cap)
{
    static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    // Scaled to an integer and written digit by digit, unless the scaling
    // may round otherwise than the exact decimal value would. Below 2^43
    // the product is within 0.001 of the exact one, so away from a tie
    // (a fraction near one half) both round alike.
    const double scaled = decimals >= 0 && decimals <= 9 ? value * kScale[decimals] : 0;
    if (decimals >= 0 && decimals <= 9 && std::fabs(scaled) < 8.0e12) {
        const double whole = std::nearbyint(scaled);
        const double off = std::fabs(scaled - whole);
        if (off < 0.49) {
            qint64 n = qint64(whole);
            const bool negative = std::signbit(value);
            if (n < 0)
                n = -n;
            char digits[32];
            int len = 0;
            do {
                digits[len++] = char('0' + n % 10);
                n /= 10;
            } while (n);
            while (len <= decimals)
                digits[len++] = '0';
            const int total = (negative ? 1 : 0) + len + (decimals ? 1 : 0);
            if (total > cap)
                return 0;
            char* p = out;
            if (negative)
                *p++ = '-';
            for (int i = len - 1; i >= 0; --i) {
                *p++ = digits[i];
                if (i == decimals && decimals)
                    *p++ = '.';
            }
            return total;
        }
    }
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc() || r.ptr - buf > cap)
        return 0;
    std::memcpy(out, buf, size_t(r.ptr - buf));
    return int(r.ptr - buf);
}

bool cellText(const DbRowSource& rows, int column, const DbCell& cell, const DbField& field, qint64 record,
              QByteArray* out, QString* error)
{
    out->resize(0); // keeps the allocation for the next value
    switch (cell.kind) {
    case DbCell::Null:
        return true;
    case DbCell::Integer:
        *out = QByteArray::number(cell.integer);
        return true;
    case DbCell::Text: {
        char32_t bad = 0;
        if (appendCp1252(cell.data, cell.size, out, &bad))
            return refuseNul(*out, field, record, error);
        *error = fieldError(field, record,
                            QStringLiteral("the character U+%1 has no place in Windows-1252")
                                .arg(QString::number(uint(bad), 16).rightJustified(4, QLatin1Char('0')).toUpper()));
        return false;
    }
    default:
        return encodeText(toText(cellValue(rows, column, cell)), field, record, out, error)
            && refuseNul(*out, field, record, error);
    }
}

bool cellInteger(const DbRowSource& rows, int column, const DbCell& cell, qint64* out)
{
    if (cell.kind == DbCell::Integer) {
        *out = cell.integer;
        return true;
    }
    return toInteger(cellValue(rows, column, cell), out);
}

bool cellDouble(const DbRowSource& rows, int column, const DbCell& cell, double* out)
{
    if (cell.kind == DbCell::Float) {
        *out = cell.real;
        return std::isfinite(cell.real);
    }
    if (cell.kind == DbCell::Integer) {
        *out = double(cell.integer);
        return true;
    }
    return toDouble(cellValue(rows, column, cell), out);
}

bool cellDate(const DbRowSource& rows, int column, const DbCell& cell, QDate* out)
{
    if (cell.kind == DbCell::Text && cell.size == 10 && cell.data[4] == '-' && cell.data[7] == '-') {
        auto digits = [&](int from, int n) {
            int v = 0;
            for (int i = from; i < from + n; ++i) {
                if (cell.data[i] < '0' || cell.data[i] > '9')
                    return -1;
                v = v * 10 + (cell.data[i] - '0');
            }
            return v;
        };
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0) {
            *out = QDate(y, m, d);
            return out->isValid();
        }
    }
    return toDate(cellValue(rows, column, cell), out);
}

bool hasDeclaredWidth(const DbField& field)
{
    return field.declaredType.isEmpty() ? field.size > 0 : field.declaredType.contains(QLatin1Char('('));
}

bool layoutFromDeclarations(const QList<DbField>& fields)
{
    for (const DbField& f : fields)
        if (valueKind(f.type) == DbValueKind::Text && !hasDeclaredWidth(f))
            return false;
    return true;
}

bool writeSizedTable(DbRowSource& rows, const char* formatName, int maxFields,
                     const std::function<DbPut(const DbRowScan* scan)>& writeOnce, QString* error)
{
    const QList<DbField>& fields = rows.fields();
    if (fields.isEmpty()) {
        *error = QStringLiteral("A table needs at least one field");
        return false;
    }
    if (fields.size() > maxFields) {
        *error = QStringLiteral("A %1 table holds at most %2 fields, not %3")
                     .arg(QLatin1String(formatName))
                     .arg(maxFields)
                     .arg(fields.size());
        return false;
    }
    // One pass when the declarations give the layout; a sizing pass first
    // otherwise, or when a value does not fit what they said.
    if (layoutFromDeclarations(fields)) {
        const DbPut put = writeOnce(nullptr);
        if (put != DbPut::Retry)
            return put == DbPut::Ok;
    }
    DbRowScan scan;
    if (!scanRows(rows, &scan, error))
        return false;
    return writeOnce(&scan) == DbPut::Ok;
}

DbPut writeSink(DbRowSource& rows, TableSink& sink, QString* error)
{
    if (!rows.rewind(error))
        return DbPut::Failed;
    qint64 record = 0;
    std::vector<DbCell> cells(size_t(rows.fields().size()));
    for (;;) {
        const DbFetch f = rows.next(error);
        if (f == DbFetch::Failed)
            return DbPut::Failed;
        if (f == DbFetch::End)
            break;
        rows.cells(cells.data());
        const DbPut put = sink.put(rows, cells.data(), ++record, error);
        if (put != DbPut::Ok)
            return put;
    }
    return sink.finish(record, error) && sink.commit(error) ? DbPut::Ok : DbPut::Failed;
}

bool flushFully(QFile* file)
{
    if (file->flush())
        return true;
    // What was not written stays buffered, without a reason; writing it
    // again fails with the system's.
    return file->flush();
}

bool seekFully(QFile* file, qint64 pos)
{
    // A seek writes out the buffer first.
    return flushFully(file) && file->seek(pos);
}

bool writeFully(QFile* file, const char* data, qint64 size)
{
    bool retried = false;
    while (size > 0) {
        const qint64 n = file->write(data, size);
        if (n <= 0) {
            // The buffer written out before may have been cut short.
            if (retried || !flushFully(file))
                return false;
            retried = true;
            continue;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool writeFullyAt(QFile* file, qint64 pos, const char* data, qint64 size)
{
    return seekFully(file, pos) && writeFully(file, data, size);
}

TableFileBuffer::TableFileBuffer(QFile* file, qsizetype chunk) : m_file(file), m_chunk(chunk)
{
    reserve(chunk + (chunk >> 4) + 4096);
}

void TableFileBuffer::reserve(qsizetype capacity)
{
    // Left uninitialised: the bytes are written before they are read.
    std::unique_ptr<char[]> data(new char[size_t(capacity)]);
    if (m_size)
        std::memcpy(data.get(), m_data.get(), size_t(m_size));
    m_data = std::move(data);
    m_capacity = capacity;
}

bool TableFileBuffer::flush()
{
    if (m_size) {
        const qint64 at = m_file->pos();
        if (!writeFully(m_file, m_data.get(), m_size))
            return false;
        // The kernel starts writing these bytes to disk now, while the
        // copy goes on, so the sync that completes the table (which stays)
        // finds little left to wait for.
        if (m_file->flush() && m_file->handle() >= 0) {
            const int fd = m_file->handle();
            ::sync_file_range(fd, at, m_size, SYNC_FILE_RANGE_WRITE);
            // Bytes well behind are waited for, so the final sync has at
            // most the last few chunks left.
            const qint64 behind = at - 8 * m_chunk;
            if (behind > m_waited) {
                ::sync_file_range(fd, m_waited, behind - m_waited,
                                  SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
                m_waited = behind;
            }
        }
    }
    m_size = 0;
    return true;
}

QString TableFileBuffer::errorString() const
{
    return m_file->errorString();
}

TableFileReplacement::TableFileReplacement(const QString& mainFile) : m_main(QFileInfo(mainFile).absoluteFilePath())
{
}

TableFileReplacement::~TableFileReplacement() = default; // the temporary files remove themselves

QString TableFileReplacement::companionName(const QString& ext) const
{
    const QFileInfo fi(m_main);
    const QString suffix = fi.suffix();
    const bool lower = !suffix.isEmpty() && suffix == suffix.toLower() && suffix != suffix.toUpper();
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.')
           + (lower ? ext.toLower() : ext.toUpper());
}

QFile* TableFileReplacement::create(const QString& finalName, QString* error)
{
    const QFileInfo fi(finalName);
    if (!QFileInfo(fi.absolutePath()).isDir()) {
        *error = QStringLiteral("The folder %1 does not exist").arg(fi.absolutePath());
        return nullptr;
    }
    auto file = std::make_unique<QTemporaryFile>(fi.absolutePath() + QStringLiteral("/.") + fi.fileName()
                                                 + QStringLiteral(".XXXXXX"));
    if (!file->open()) {
        *error = QStringLiteral("Cannot write in %1: %2").arg(fi.absolutePath(), file->errorString());
        return nullptr;
    }
    QFile* raw = file.get();
    m_items.push_back({std::move(file), fi.absoluteFilePath()});
    return raw;
}

namespace {

bool extensionMatches(const QString& ext, const QString& pattern)
{
    if (ext.size() != pattern.size())
        return false;
    for (int i = 0; i < ext.size(); ++i) {
        if (pattern[i] == QLatin1Char('?'))
            continue;
        if (pattern[i] == QLatin1Char('#')) {
            if (!isxdigit(ext[i].toLatin1()))
                return false;
            continue;
        }
        if (ext[i].toUpper() != pattern[i].toUpper())
            return false;
    }
    return true;
}

} // namespace

QString findCompanion(const QString& mainFile, const QString& ext)
{
    const QFileInfo fi(mainFile);
    const QString exact = fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.');
    for (const QString& e : {ext.toUpper(), ext.toLower()})
        if (QFileInfo(exact + e).isFile())
            return exact + e;
    const QDir dir(fi.absolutePath());
    const QString wanted = fi.completeBaseName() + QLatin1Char('.') + ext;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return {};
}

namespace {

// The mode a new file gets from the process's umask (temporary files are
// made private; the tables they become are ordinary files).
mode_t ordinaryFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool TableFileReplacement::commit(const QStringList& staleExtensions, QString* error)
{
    const mode_t mode = ordinaryFileMode();
    for (auto& item : m_items) {
        if (!flushFully(item.file.get())) {
            *error = QStringLiteral("Cannot write %1: %2").arg(item.finalName, item.file->errorString());
            return false;
        }
        if (::fchmod(item.file->handle(), mode) != 0 || ::fsync(item.file->handle()) != 0) {
            *error = QStringLiteral("Cannot write %1: %2").arg(item.finalName, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        item.file->close();
    }
    // Companions first, so that the main file never names missing ones.
    std::vector<Item*> order;
    for (auto& item : m_items)
        if (item.finalName != m_main)
            order.push_back(&item);
    for (auto& item : m_items)
        if (item.finalName == m_main)
            order.push_back(&item);
    QStringList written;
    for (Item* item : order) {
        if (std::rename(QFile::encodeName(item->file->fileName()).constData(),
                        QFile::encodeName(item->finalName).constData())
            != 0) {
            *error = QStringLiteral("Cannot replace %1: %2").arg(item->finalName, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        item->file->setAutoRemove(false);
        written.append(QFileInfo(item->finalName).fileName());
    }
    const QFileInfo fi(m_main);
    const QDir dir(fi.absolutePath());
    const QString base = fi.completeBaseName();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (written.contains(name))
            continue;
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0 || name.left(dot).compare(base, Qt::CaseInsensitive) != 0)
            continue;
        const QString ext = name.mid(dot + 1);
        for (const QString& pattern : staleExtensions) {
            if (extensionMatches(ext, pattern)) {
                QFile::remove(dir.filePath(name));
                break;
            }
        }
    }
    return true;
}

} // namespace platform
