#pragma once
// A query's or a table's rows behind a cursor with the class library's
// semantics:
//   - after opening: on record 1, Bof true, Eof true only when empty;
//   - next() on the last record sets Eof and stays there; prior() on the
//     first sets Bof and stays there; first() sets Bof, last() sets Eof;
//   - recNo() counts from 1 (0 when empty); moveBy() is clamped to the
//     first and last records and sets Bof or Eof when it hits them.
// Rows are read from the statement when the cursor first reaches them and
// kept, so moving back costs nothing and opening reads one row whatever
// the size of the result (a server sends its rows in batches).
// recordCount() and last() read to the end.

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
    const QString& fetchError() const { return m_fetchError; }
    // Rows read from the statement so far.
    qint64 rowsFetched() const { return m_fetched; }

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

    std::unique_ptr<DbStatementCursor> m_stmt;
    QString m_sql;
    bool m_readOnly = true;
    QList<DbField> m_fields;
    QStringList m_keyFields;
    DbTextFormat m_format;
    std::vector<std::vector<QVariant>> m_rows;
    bool m_done = false;
    bool m_active = false;
    qint64 m_cur = -1;
    bool m_bof = true;
    bool m_eof = true;
    qint64 m_fetched = 0;
    QString m_fetchError;
    QStringList m_expectedCopies;
    std::unique_ptr<DbTableCopies> m_copies;
};

} // namespace platform
