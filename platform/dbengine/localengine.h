#pragma once
// The local ("STANDARD") engine: one scratch in-memory SQLite database per
// session. Before a statement runs there, its table references are
// resolved (see sqlreferences.h): a table file is imported into a
// temporary table named by the file's path (again when the file changed,
// so a step reads what an earlier step wrote), a table of another SQLite
// database is read from that file attached under a schema of its own, and
// the reference is rewritten to name them. The database the text was given
// for is attached too, so that its unqualified table names resolve. Views
// created here are temporary views.

#include "dbdataset.h"
#include "dbrowsource.h"
#include "sqliteconnection.h"

#include <QHash>
#include <QString>

#include <memory>

namespace platform {

class DbDatabase;
class DbSession;
struct DbTableInfo;

class DbLocalEngine {
public:
    DbLocalEngine(DbSession* session, std::shared_ptr<SqliteConnection> scratch);
    ~DbLocalEngine();

    const std::shared_ptr<SqliteConnection>& connection() const { return m_conn; }

    // The text with its references resolved, for running on the scratch
    // database; context is the database it was given for (may be null).
    bool resolve(const QString& sql, DbDatabase* context, QString* out, QString* error);

    std::unique_ptr<DbDataset> openQuery(const QString& sql, DbDatabase* context, QString* error);
    // Runs text whose references are already resolved.
    std::unique_ptr<DbDataset> openResolved(const QString& sql, QString* error);
    bool execute(const QString& sql, DbDatabase* context, QString* error);

    // Imports a table file (again when it changed); returns the SQL name of
    // its temporary table ("temp.\"/path/CLIENT.DB\"").
    bool importFile(const QString& path, QString* sqlName, QString* error);
    // Attaches a SQLite file (once); returns its schema name, quoted.
    bool attachFile(const QString& path, const QString& hint, QString* schema, QString* error);

    // True when the scratch database has a temporary table or view of that name.
    bool hasTempObject(const QString& name) const;
    // Field and key definitions of a temporary object.
    bool tempObjectInfo(const QString& name, DbTableInfo* info, QString* error);

    // Rows read from table files so far (to check laziness and re-imports).
    qint64 importedRows() const { return m_importedRows; }

private:
    struct Import {
        QString sqlName;
        quint64 inode = 0;
        qint64 mtimeNs = 0;
        qint64 size = 0;
        int generation = 0;
    };
    DbSession* m_session;
    std::shared_ptr<SqliteConnection> m_conn;
    QHash<QString, Import> m_imports;   // by absolute path
    QHash<QString, QString> m_attached; // absolute path -> quoted schema
    qint64 m_importedRows = 0;
};

// Reads the table information of name in schema of conn: fields with their
// declared types, the primary key in order, else the first unique index.
bool sqliteTableInfo(SqliteConnection& conn, const QString& schema, const QString& name, DbTableInfo* info,
                     QString* error);

} // namespace platform
