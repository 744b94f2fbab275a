#pragma once
// SQLite connections and statements through SQLite's C library. A
// database file is opened read-write and never created by opening; every
// call runs exactly one statement and refuses text holding a second one.

#include "dbfield.h"
#include "dbrowsource.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class SqliteConnection {
public:
    // An existing database file, read-write. A missing file, a folder or a
    // file that is not a SQLite database fails, and nothing is created.
    static std::shared_ptr<SqliteConnection> openFile(const QString& path, QString* error);
    // A private in-memory database (the local engine's scratch), which may
    // attach files by URI.
    static std::shared_ptr<SqliteConnection> openScratch(QString* error);

    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* handle() const { return m_db; }
    QString path() const { return m_path; }
    QString lastMessage() const;

    // Prepares the one statement of sql. A second statement (anything but
    // blanks, comments and ";" after the first) is refused; so is text
    // holding no statement. Returns nullptr with *error set on failure.
    sqlite3_stmt* prepare(const QString& sql, QString* error);

    // Prepares and runs one statement to its end.
    bool execute(const QString& sql, QString* error);

    // The value of a one-row, one-column query, or a null QVariant.
    QVariant scalar(const QString& sql, QString* error = nullptr);

private:
    SqliteConnection(sqlite3* db, QString path) : m_db(db), m_path(std::move(path)) {}
    sqlite3* m_db = nullptr;
    QString m_path;
};

// Owns one prepared statement and keeps its connection alive.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(std::shared_ptr<SqliteConnection> conn, sqlite3_stmt* stmt)
        : m_conn(std::move(conn)), m_stmt(stmt) {}
    ~SqliteStatement() { reset(); }
    SqliteStatement(SqliteStatement&& o) noexcept : m_conn(std::move(o.m_conn)), m_stmt(o.m_stmt) { o.m_stmt = nullptr; }
    SqliteStatement& operator=(SqliteStatement&& o) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void reset();
    sqlite3_stmt* get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }
    const std::shared_ptr<SqliteConnection>& connection() const { return m_conn; }

    // Steps once: Row, End, or Failed with *error set.
    DbFetch step(QString* error);

    int columnCount() const;
    QVariant value(int column) const;
    qsizetype textLength(int column) const;
    DbCell cell(int column) const;
    // The first count cells of the current row.
    void cells(DbCell* out, int count) const;

    // One field per column: the declared type's mapping; for a column
    // without one (an expression), the storage class of the current row's
    // value when stepped (integer, float, text of 255, blob), else text.
    QList<DbField> fields(bool onRow) const;

private:
    std::shared_ptr<SqliteConnection> m_conn;
    sqlite3_stmt* m_stmt = nullptr;
};

// A forward pass over a query's result; rewind() runs the query again.
class SqliteRows : public DbRowSource {
public:
    SqliteRows(std::shared_ptr<SqliteConnection> conn, QString sql, QList<DbField> fields);

    const QList<DbField>& fields() const override { return m_fields; }
    bool rewind(QString* error) override;
    DbFetch next(QString* error) override;
    QVariant value(int column) const override;
    qsizetype textLength(int column) const override;
    DbCell cell(int column) const override;
    void cells(DbCell* out) const override;

private:
    std::shared_ptr<SqliteConnection> m_conn;
    QString m_sql;
    QList<DbField> m_fields;
    SqliteStatement m_stmt;
    bool m_onRow = false;
};

// Quotes an SQL identifier ("a""b").
QString quoteIdentifier(const QString& name);
// Quotes an SQL string literal ('it''s').
QString quoteLiteral(const QString& text);
// The URI SQLite attaches a file by: "file:" + the percent-encoded path + query.
QString sqliteFileUri(const QString& path, const QString& query);

} // namespace platform
