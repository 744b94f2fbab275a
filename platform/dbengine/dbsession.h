#pragma once
// The session of the database engine: the databases opened by name (an
// alias of the alias files, or a path), kept open for the process, and the
// local engine that runs SQL over table files and over several databases.
//
// A database name holding "/" (or "\" or ":") is a path: a SQLite file or
// a folder of table files. Other names are aliases: of those kinds, or of
// a PostgreSQL server. A database that fails
// to open is not kept: the next call tries again and reports the real
// reason. Opening a database a second time, whatever the login values,
// returns the open one. Errors are returned as texts; nothing here shows
// a window.

#include "dbaliases.h"
#include "dbdataset.h"
#include "dbfield.h"
#include "dbvalue.h"
#include "pgserver.h"
#include "sqliteconnection.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

namespace platform {

class DbLocalEngine;
class DbSession;

struct DbTableInfo {
    QString name;
    QList<DbField> fields;
    QStringList keyFields; // the primary key in order, else the first unique index, else none
};

class DbDatabase {
public:
    enum class Kind { SqliteFile, Folder, Postgres };

    const QString& name() const { return m_name; }
    Kind kind() const { return m_kind; }
    const QString& path() const { return m_path; }
    // "SQLITE", "STANDARD" or "POSTGRESQL".
    QString type() const;
    const QString& userName() const { return m_userName; }
    const QString& password() const { return m_password; }
    // The database's own connection (none for a folder or a server).
    const std::shared_ptr<SqliteConnection>& connection() const { return m_conn; }
    // The server of a PostgreSQL database.
    const std::shared_ptr<PgServer>& server() const { return m_server; }

    // Tables and views without the system tables; for a folder, its table
    // files with their extensions. Sorted without regard to case.
    QStringList tableNames(QString* error);

    // Field and key definitions of a table, a view or a table file,
    // without reading its rows.
    bool tableInfo(const QString& table, DbTableInfo* info, QString* error);

    // Runs one SELECT statement and returns its rows behind a cursor.
    // Text naming table files or other databases runs in the local engine;
    // a server database refuses it (the local engine joins only SQLite
    // files and table files).
    std::unique_ptr<DbDataset> openQuery(const QString& sql, QString* error);

    // Runs one statement that returns no rows (CREATE VIEW...). In the
    // local engine a view is a temporary view.
    bool execute(const QString& sql, QString* error);

    // The rows of a table, view or table file, with its key fields.
    std::unique_ptr<DbDataset> openTable(const QString& table, QString* error);

    // "DROP VIEW name"; the name must be letters, digits and "_" only.
    bool dropView(const QString& view, QString* error);

    // The table file of a folder database named name (with or without its
    // extension, without regard to case), or an empty string.
    QString tableFile(const QString& name) const;

private:
    friend class DbSession;
    DbDatabase(DbSession* session, QString name, Kind kind, QString path, std::shared_ptr<SqliteConnection> conn,
               QString userName, QString password);
    DbLocalEngine* local(QString* error) const;
    bool usesLocal(const QString& sql) const;

    DbSession* m_session;
    QString m_name;
    Kind m_kind;
    QString m_path;
    bool refuseForeign(const QString& sql, QString* error) const;

    std::shared_ptr<SqliteConnection> m_conn;
    std::shared_ptr<PgServer> m_server;
    QString m_userName;
    QString m_password;
};

class DbSession {
public:
    DbSession();
    ~DbSession();
    DbSession(const DbSession&) = delete;
    DbSession& operator=(const DbSession&) = delete;

    // The folders holding ALIASES.INI (root directory, then the user's
    // Windows directory, which overrides it). Reads them at once.
    void setAliasFolders(const QString& rootDir, const QString& userDir);
    void reloadAliases();

    void setTextFormat(const DbTextFormat& format) { m_format = format; }
    const DbTextFormat& textFormat() const { return m_format; }

    QStringList aliasNames() const { return m_aliases.names(); }
    std::optional<DbAlias> alias(const QString& name) const { return m_aliases.find(name); }
    // "STANDARD", "SQLITE" and "POSTGRESQL".
    QStringList driverNames() const;

    // The open database of that name, or opens it (user name and password
    // are kept for the alias's defaults; SQLite asks for no login).
    DbDatabase* openDatabase(const QString& name, const QString& userName, const QString& password,
                             QString* error);
    DbDatabase* findDatabase(const QString& name) const;
    // "SQLITE", "STANDARD" or "POSTGRESQL" for an alias or a path, opening
    // the database.
    QString databaseType(const QString& name, QString* error);

    // The local engine, made on first use.
    DbLocalEngine* localEngine(QString* error);
    // Closes every database and the local engine. Datasets still open keep
    // their connection until they are freed.
    void closeAll();

    // The key under which a database name is kept (the cleaned path, or
    // the alias in upper case).
    static QString databaseKey(const QString& name);
    static bool isPathName(const QString& name);

private:
    QString m_rootDir, m_userDir;
    DbAliasList m_aliases;
    DbTextFormat m_format;
    std::map<QString, std::unique_ptr<DbDatabase>> m_databases;
    std::unique_ptr<DbLocalEngine> m_local;
};

} // namespace platform
