#pragma once
// A query's or a table's rows behind a cursor with the class library's
// semantics:
//   - after opening: on record 1, Bof true, Eof true only when empty;
//   - next() on the last record sets Eof and stays there; prior() on the
//     first sets Bof and stays there; first() sets Bof, last() sets Eof;
//   - recNo() counts from 1 (0 when empty); moveBy() is clamped to the
//     first and last records and sets Bof or Eof when it hits them.
// Rows are read from the statement when the cursor first reaches them and
// kept, packed (packedrows.h: a value is decoded when it is asked for), so
// moving back costs nothing and opening reads one row whatever the size of
// the result (a server sends its rows in batches).
// recordCount() and last() read to the end.
//
// The rows read are shared with the dataset's cursors (cursor()): each
// reads forward on its own, never moves the dataset's record, and keeps the
// rows it needs when the dataset is closed or freed.

#include "dbfield.h"
#include "dbvalue.h"
#include "sqliteconnection.h"

#include <QStringList>
#include <QVariant>

#include <climits>
#include <limits>
#include <memory>
#include <vector>

namespace platform {

class DbTableCopies;
struct DbRowCache;
class DbCursor;

// The statement behind a dataset: one forward pass over a query's rows,
// on whatever database runs it.
class DbStatementCursor {
public:
    virtual ~DbStatementCursor() = default;
    // Moves to the next row: Row, End, or Failed with *error set.
    virtual DbFetch step(QString* error) = 0;
    // The result's fields; onRow says that step() gave a row (an
    // expression column may take its type from the first value).
    virtual QList<DbField> fields(bool onRow) const = 0;
    virtual QVariant value(int column) const = 0;
    // The value as a cell, read without a variant where the database can
    // (see DbCell); the default is of kind Variant (ask value()).
    virtual DbCell cell(int column) const;
    // False for a statement that changes data: it never runs twice.
    virtual bool readOnly() const = 0;
    // A new forward pass over the same query (it runs again).
    virtual std::unique_ptr<DbRowSource> rerun(const QList<DbField>& fields) const = 0;
};

class DbDataset {
public:
    // Takes a statement prepared on conn from sql, and reads its first row.
    // On a failing first step, returns nullptr with *error set.
    static std::unique_ptr<DbDataset> open(std::shared_ptr<SqliteConnection> conn, const QString& sql,
                                           sqlite3_stmt* stmt, const DbTextFormat& format, QString* error);
    // The same over any statement cursor.
    static std::unique_ptr<DbDataset> open(std::unique_ptr<DbStatementCursor> cursor, const QString& sql,
                                           const DbTextFormat& format, QString* error);

    ~DbDataset();
    DbDataset(const DbDataset&) = delete;
    DbDataset& operator=(const DbDataset&) = delete;

    const QList<DbField>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    int fieldIndex(const QString& name) const { return indexOfField(m_fields, name); }
    const QStringList& keyFields() const { return m_keyFields; }
    void setKeyFields(const QStringList& names) { m_keyFields = names; }
    // Replaces the descriptions (a table's declared fields); same count only.
    void setFields(const QList<DbField>& fields);
    // Replaces the description of one field (out of range is ignored).
    void setField(int index, const DbField& field);
    const QString& sql() const { return m_sql; }

    bool isActive() const { return m_active; }
    void close();

    void first();
    void last();
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    int moveBy(int distance); // the number of records actually moved
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    int recNo() const;
    void setRecNo(int recNo);
    int recordCount();

    // The current record's value (null when there is none or out of range).
    QVariant value(int field) const;
    QString text(int field) const;
    QString textByName(const QString& name) const;
    const DbTextFormat& textFormat() const { return m_format; }

    // The error that ended reading early (the rows read before it stay).
    const QString& fetchError() const;
    // Rows read from the statement so far.
    qint64 rowsFetched() const;
    // The bytes the rows read so far take in memory.
    size_t rowBytes() const;

    // A forward reading of the rows of its own, before the first row; none
    // when the dataset is closed.
    std::unique_ptr<DbCursor> cursor() const;

    // Every row of the dataset, from the first, in a forward pass of its
    // own: the cursor does not move and rows not read yet are not cached
    // (the query runs again; a statement that changes data is read to the
    // end once instead). The source must not outlive the dataset.
    std::unique_ptr<DbRowSource> rows();

    // Writes every row into a table file, in the format that its extension
    // names (see tablefile.h). The cursor does not move.
    bool copyTo(const QString& fileName, QString* error);

    // Announces the table files that copyTo() is about to be asked for, in
    // turn: the first of them that is asked for writes all those that can
    // share its pass over the rows, and each is put in place when its own
    // copyTo() comes. An empty list (or close()) drops what is not taken.
    void expectCopies(const QStringList& fileNames);

private:
    DbDataset() = default;
    void fetchUpTo(qint64 index);
    void fetchAll() { fetchUpTo(std::numeric_limits<qint64>::max()); }
    qint64 rowCount() const;

    QString m_sql;
    bool m_readOnly = true;
    QList<DbField> m_fields;
    QStringList m_keyFields;
    DbTextFormat m_format;
    std::shared_ptr<DbRowCache> m_cache; // the statement and its rows; none once closed
    bool m_active = false;
    qint64 m_cur = -1;
    bool m_bof = true;
    bool m_eof = true;
    qint64 m_closedFetched = 0;
    QString m_closedFetchError;
    QStringList m_expectedCopies;
    std::unique_ptr<DbTableCopies> m_copies;
};

// A forward reading of a dataset's rows that shares the rows already read
// and reads the others on demand. Before the first row when made; next()
// on the last row returns false and stays there.
class DbCursor {
public:
    DbCursor(std::shared_ptr<DbRowCache> cache, QList<DbField> fields);
    ~DbCursor();
    DbCursor(const DbCursor&) = delete;
    DbCursor& operator=(const DbCursor&) = delete;

    const QList<DbField>& fields() const { return m_fields; }
    // Moves to the next row; false when there is none (the current row,
    // when there is one, stays).
    bool next();
    bool onRow() const { return m_pos >= 0; }
    // The current row's value; null before the first row.
    QVariant value(int field) const;
    // The error that ended the reading of the rows early, if any.
    const QString& fetchError() const;
    // A new cursor over the same rows, before the first.
    std::unique_ptr<DbCursor> clone() const;

private:
    std::shared_ptr<DbRowCache> m_cache;
    QList<DbField> m_fields;
    qint64 m_pos = -1;
};

} // namespace platform
