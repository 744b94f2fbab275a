#pragma once
// What the table-file writers share: the sizing pass over the rows, the
// safe replacement of a table and its companion files, and the errors
// that name a field and a record.

#include "dbrowsource.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QDate>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

class QTemporaryFile;

namespace platform {

struct DbColumnScan {
    qsizetype longestText = 0;  // characters (text, memo, unknown fields)
    qsizetype longestBinary = 0;
    bool allInteger = true;     // every non-null value reads as an integer
    qint64 minInteger = 0, maxInteger = 0;
    bool anyValue = false;
};

struct DbRowScan {
    qint64 rowCount = 0;
    std::vector<DbColumnScan> columns;
};

// One pass over rows (after rewind) measuring what the layouts need.
bool scanRows(DbRowSource& rows, DbRowScan* scan, QString* error);

// "Field NAME, record N: " + what.
QString fieldError(const DbField& field, qint64 record, const QString& what);

// Encodes text in Windows-1252; a character outside it is an error.
bool encodeText(const QString& text, const DbField& field, qint64 record, QByteArray* out, QString* error);

// Reading the current row's values fast: a cell from the source, with
// value() only when the cell says Variant.
QVariant cellValue(const DbRowSource& rows, int column, const DbCell& cell);
// Appends UTF-8 text in Windows-1252; false (with *bad) for a character
// outside it.
bool appendCp1252(const char* utf8, qsizetype size, QByteArray* out, char32_t* bad);
// Writes UTF-8 text in Windows-1252 straight into out, at most cap bytes:
// the bytes written, kTooLong when it does not fit, kNotCp1252 (with
// *bad) for a character outside it, kHasNul for a NUL character (which no
// table format keeps).
constexpr qsizetype kTooLong = -1;
constexpr qsizetype kNotCp1252 = -2;
constexpr qsizetype kHasNul = -3;
qsizetype putCp1252(const char* utf8, qsizetype size, char* out, qsizetype cap, char32_t* bad);
// A number with a fixed count of decimals, as std::to_chars writes it
// (rounded exactly), into out: the length, or 0 when out is too short.
int putFixed(double value, int decimals, char* out, int cap);
// The text of a value in Windows-1252 (numbers in their text form).
bool cellText(const DbRowSource& rows, int column, const DbCell& cell, const DbField& field, qint64 record,
              QByteArray* out, QString* error);
bool cellInteger(const DbRowSource& rows, int column, const DbCell& cell, qint64* out);
bool cellDouble(const DbRowSource& rows, int column, const DbCell& cell, double* out);
bool cellDate(const DbRowSource& rows, int column, const DbCell& cell, QDate* out);

// True when a field's text width is known from its declaration (a
// declared size, or a table file's size), so no sizing pass is needed.
bool hasDeclaredWidth(const DbField& field);

// What writing one value gave.
enum class DbPut { Ok, Failed, Retry }; // Retry: the layout was a guess that does not hold

// The write of a format whose layout is fixed before the rows (dBASE,
// Paradox): the field count checked against the format's limit, then one
// pass when the declarations give the layout (writeOnce without a scan),
// and a sizing pass before the write otherwise or when the guess failed.
bool writeSizedTable(DbRowSource& rows, const char* formatName, int maxFields,
                     const std::function<DbPut(const DbRowScan* scan)>& writeOnce, QString* error);

// True when every text field's width is declared, so that a table of
// fixed layout can be written without a sizing pass.
bool layoutFromDeclarations(const QList<DbField>& fields);

// A table being written a row at a time: its files are made beside the
// target when the sink is made, filled by put(), completed by finish()
// and put in place by commit(). Files not committed are removed.
class TableSink {
public:
    virtual ~TableSink() = default;
    // Writes the current row of rows, whose cells (one per field) are
    // given (record counts from 1).
    virtual DbPut put(const DbRowSource& rows, const DbCell* cells, qint64 record, QString* error) = 0;
    // Completes the files after the last of records rows.
    virtual bool finish(qint64 records, QString* error) = 0;
    virtual bool commit(QString* error) = 0;
};

// Feeds every row (after rewind) to sink, finishes and commits it.
DbPut writeSink(DbRowSource& rows, TableSink& sink, QString* error);

// Writes all the bytes, at the current position or at pos. A write or a
// flush the system cuts short (a full disk) is tried again for the rest,
// so that a failure leaves the system's reason in the file's errorString()
// rather than none. False on failure.
bool writeFully(QFile* file, const char* data, qint64 size);
inline bool writeFully(QFile* file, const QByteArray& bytes) { return writeFully(file, bytes.constData(), bytes.size()); }
bool writeFullyAt(QFile* file, qint64 pos, const char* data, qint64 size);
inline bool writeFullyAt(QFile* file, qint64 pos, const QByteArray& bytes)
{
    return writeFullyAt(file, pos, bytes.constData(), bytes.size());
}
bool flushFully(QFile* file);
bool seekFully(QFile* file, qint64 pos);

// The output of a table file: bytes gathered in one large buffer that goes
// to the file when it is full. Writers encode straight into it. The buffer
// is not cleared when made: a small table touches only the pages it fills.
class TableFileBuffer {
public:
    explicit TableFileBuffer(QFile* file, qsizetype chunk = qsizetype(1) << 20);
    // Room for n more bytes at the end: the pointer to write them at.
    char* grow(qsizetype n)
    {
        if (m_size + n > m_capacity)
            reserve(std::max(m_size + n, 2 * m_capacity));
        char* p = m_data.get() + m_size;
        m_size += n;
        return p;
    }
    void append(const char* p, qsizetype n) { std::memcpy(grow(n), p, size_t(n)); }
    void append(char c) { *grow(1) = c; }
    // Gives back bytes grown but not written.
    void shrink(qsizetype n) { m_size -= n; }
    qsizetype size() const { return m_size; }
    // Writes the buffer out once it holds a chunk.
    bool maybeFlush() { return m_size < m_chunk || flush(); }
    bool flush();
    QString errorString() const;

private:
    void reserve(qsizetype capacity);

    QFile* m_file;
    qsizetype m_chunk;
    std::unique_ptr<char[]> m_data;
    qsizetype m_capacity = 0;
    qsizetype m_size = 0;
    qint64 m_waited = 0; // bytes from the start known to be on disk
};

// A table and its companions written beside the target and put in place
// together. Files not committed are removed.
class TableFileReplacement {
public:
    explicit TableFileReplacement(const QString& mainFile);
    ~TableFileReplacement();

    // The final name of the companion with extension ext ("MB", "DBT",
    // "SCH"), in the case of the main file's extension.
    QString companionName(const QString& ext) const;

    // A new temporary file that commit() renames to finalName.
    QFile* create(const QString& finalName, QString* error);

    // Flushes and syncs every file, renames companions then the main file
    // into place, and removes the old companions whose extension is in
    // staleExtensions (compared without regard to case; "?" matches any
    // character, "#" a hexadecimal digit) and which were not written now.
    bool commit(const QStringList& staleExtensions, QString* error);

private:
    QString m_main;
    struct Item {
        std::unique_ptr<QTemporaryFile> file;
        QString finalName;
    };
    std::vector<Item> m_items;
};

// The existing companion of mainFile with extension ext (its base name and
// extension matched without regard to case), or an empty string.
QString findCompanion(const QString& mainFile, const QString& ext);

// Little- and big-endian stores into a byte buffer.
inline void putLE16(char* p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void putLE32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
inline quint16 getLE16(const char* p)
{
    return quint16(quint8(p[0]) | (quint16(quint8(p[1])) << 8));
}
inline quint32 getLE32(const char* p)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

} // namespace platform
