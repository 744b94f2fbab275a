#include "dbsession.h"

#include "localengine.h"
#include "sqlreferences.h"
#include "tablecopy.h"
#include "tablefile.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace platform {

namespace {

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

QString cleanPath(const QString& name)
{
    QString p = name;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    p = QDir::cleanPath(QFileInfo(p).absoluteFilePath());
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

} // namespace

// ---------------------------------------------------------------- database

DbDatabase::DbDatabase(DbSession* session, QString name, Kind kind, QString path,
                       std::shared_ptr<SqliteConnection> conn, QString userName, QString password)
    : m_session(session), m_name(std::move(name)), m_kind(kind), m_path(std::move(path)), m_conn(std::move(conn)),
      m_userName(std::move(userName)), m_password(std::move(password))
{
}

QString DbDatabase::type() const
{
    switch (m_kind) {
    case Kind::Folder:
        return QStringLiteral("STANDARD");
    case Kind::Postgres:
        return QStringLiteral("POSTGRESQL");
    case Kind::SqliteFile:
        break;
    }
    return QStringLiteral("SQLITE");
}

bool DbDatabase::refuseForeign(const QString& sql, QString* error) const
{
    if (!hasForeignReferences(sql))
        return false;
    *error = QStringLiteral("The database %1 is a PostgreSQL server: its SQL cannot name tables of other "
                            "databases or table files (the local engine joins only SQLite files and table files)")
                 .arg(m_name);
    return true;
}

DbLocalEngine* DbDatabase::local(QString* error) const
{
    return m_session->localEngine(error);
}

bool DbDatabase::usesLocal(const QString& sql) const
{
    return m_kind == Kind::Folder || (m_kind == Kind::SqliteFile && hasForeignReferences(sql));
}

QString DbDatabase::tableFile(const QString& name) const
{
    if (m_kind != Kind::Folder || name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    const QDir dir(m_path);
    const QStringList files = dir.entryList(QDir::Files);
    if (isTableFileName(name)) {
        if (QFileInfo(dir.filePath(name)).isFile())
            return dir.filePath(name);
        for (const QString& f : files)
            if (f.compare(name, Qt::CaseInsensitive) == 0)
                return dir.filePath(f);
        return {};
    }
    for (const char* ext : {".DB", ".DBF", ".TXT"})
        for (const QString& f : files)
            if (f.compare(name + QLatin1String(ext), Qt::CaseInsensitive) == 0)
                return dir.filePath(f);
    return {};
}

QStringList DbDatabase::tableNames(QString* error)
{
    QStringList names;
    if (m_kind == Kind::Folder) {
        const QDir dir(m_path);
        if (!dir.exists()) {
            *error = QStringLiteral("Folder not found: %1").arg(m_path);
            return {};
        }
        for (const QString& f : dir.entryList(QDir::Files)) {
            const auto type = tableFormatOf(f);
            if (!type)
                continue;
            // A text file is a table only with its schema.
            if (*type == DbTableFormat::Text && findCompanion(dir.filePath(f), QStringLiteral("SCH")).isEmpty())
                continue;
            names.append(f);
        }
    } else if (m_kind == Kind::Postgres) {
        return m_server->tableNames(error);
    } else {
        sqlite3_stmt* stmt = m_conn->prepare(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                           "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
            error);
        if (!stmt)
            return {};
        SqliteStatement st(m_conn, stmt);
        for (;;) {
            const DbFetch f = st.step(error);
            if (f == DbFetch::Failed)
                return {};
            if (f == DbFetch::End)
                break;
            names.append(st.value(0).toString());
        }
    }
    sortNames(names);
    return names;
}

bool DbDatabase::tableInfo(const QString& table, DbTableInfo* info, QString* error)
{
    if (m_kind == Kind::Folder) {
        const QString file = tableFile(table);
        if (!file.isEmpty()) {
            auto reader = openTableFile(file, m_session->textFormat(), error);
            if (!reader)
                return false;
            info->name = table;
            info->fields = reader->fields();
            info->keyFields = tableFileKeys(file);
            return true;
        }
        DbLocalEngine* engine = local(error);
        if (engine && engine->hasTempObject(table))
            return engine->tempObjectInfo(table, info, error);
        *error = QStringLiteral("Table not found: %1").arg(table);
        return false;
    }
    if (m_kind == Kind::Postgres)
        return m_server->tableInfo(table, info, error);
    if (DbLocalEngine* engine = m_session->localEngine(error); engine && engine->hasTempObject(table))
        return engine->tempObjectInfo(table, info, error);
    return sqliteTableInfo(*m_conn, QStringLiteral("main"), table, info, error);
}

std::unique_ptr<DbDataset> DbDatabase::openQuery(const QString& sql, QString* error)
{
    if (m_kind == Kind::Postgres) {
        if (refuseForeign(sql, error))
            return nullptr;
        return m_server->openQuery(sql, m_session->textFormat(), error);
    }
    if (usesLocal(sql)) {
        DbLocalEngine* engine = local(error);
        return engine ? engine->openQuery(sql, this, error) : nullptr;
    }
    sqlite3_stmt* stmt = m_conn->prepare(sql, error);
    if (!stmt)
        return nullptr;
    return DbDataset::open(m_conn, sql, stmt, m_session->textFormat(), error);
}

bool DbDatabase::execute(const QString& sql, QString* error)
{
    if (m_kind == Kind::Postgres)
        return !refuseForeign(sql, error) && m_server->execute(sql, error);
    if (usesLocal(sql)) {
        DbLocalEngine* engine = local(error);
        return engine && engine->execute(sql, this, error);
    }
    return m_conn->execute(sql, error);
}

std::unique_ptr<DbDataset> DbDatabase::openTable(const QString& table, QString* error)
{
    DbTableInfo info;
    if (!tableInfo(table, &info, error))
        return nullptr;
    std::unique_ptr<DbDataset> ds;
    DbLocalEngine* engine = nullptr;
    if (m_kind == Kind::Folder) {
        engine = local(error);
        if (!engine)
            return nullptr;
        const QString file = tableFile(table);
        QString sqlName = quoteIdentifier(table);
        if (!file.isEmpty() && !engine->importFile(file, &sqlName, error))
            return nullptr;
        ds = engine->openResolved(QStringLiteral("SELECT * FROM %1").arg(sqlName), error);
    } else if (m_kind == Kind::Postgres) {
        const QString name = m_server->resolveName(table, error);
        if (name.isEmpty())
            return nullptr;
        ds = m_server->openQuery(QStringLiteral("SELECT * FROM %1").arg(pgQuoteIdentifier(name)),
                                 m_session->textFormat(), error);
    } else {
        QString ignored;
        engine = m_session->localEngine(&ignored);
        if (engine && engine->hasTempObject(table))
            ds = engine->openResolved(QStringLiteral("SELECT * FROM temp.%1").arg(quoteIdentifier(table)), error);
        else if (sqlite3_stmt* stmt = m_conn->prepare(
                     QStringLiteral("SELECT * FROM main.%1").arg(quoteIdentifier(table)), error))
            ds = DbDataset::open(m_conn, QStringLiteral("SELECT * FROM main.%1").arg(quoteIdentifier(table)), stmt,
                                 m_session->textFormat(), error);
    }
    if (!ds)
        return nullptr;
    if (ds->fields().size() == info.fields.size()) {
        // The declared fields (a table file's sizes and types), under the
        // names the query reports.
        QList<DbField> fields = info.fields;
        for (int i = 0; i < fields.size(); ++i)
            fields[i].name = ds->fields()[i].name;
        ds->setFields(fields);
    }
    ds->setKeyFields(info.keyFields);
    return ds;
}

bool DbDatabase::dropView(const QString& view, QString* error)
{
    if (!isPlainViewName(view)) {
        *error = QStringLiteral("Invalid view name: \"%1\" (letters, digits and \"_\" only)").arg(view);
        return false;
    }
    const QString sql = QStringLiteral("DROP VIEW %1").arg(view);
    if (m_kind == Kind::Postgres)
        return m_server->execute(sql, error);
    if (m_kind == Kind::Folder) {
        DbLocalEngine* engine = local(error);
        return engine && engine->execute(sql, this, error);
    }
    QString ignored;
    DbLocalEngine* engine = m_session->localEngine(&ignored);
    if (engine && engine->hasTempObject(view))
        return engine->connection()->execute(sql, error);
    return m_conn->execute(sql, error);
}

// ---------------------------------------------------------------- session

DbSession::DbSession() = default;

DbSession::~DbSession()
{
    closeAll();
}

void DbSession::setAliasFolders(const QString& rootDir, const QString& userDir)
{
    m_rootDir = rootDir;
    m_userDir = userDir;
    reloadAliases();
}

void DbSession::reloadAliases()
{
    m_aliases.load(m_rootDir, m_userDir);
}

QStringList DbSession::driverNames() const
{
    return {QStringLiteral("STANDARD"), QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL")};
}

bool DbSession::isPathName(const QString& name)
{
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':'));
}

QString DbSession::databaseKey(const QString& name)
{
    return isPathName(name) ? cleanPath(name) : name.trimmed().toUpper();
}

DbDatabase* DbSession::findDatabase(const QString& name) const
{
    const auto it = m_databases.find(databaseKey(name));
    return it == m_databases.end() ? nullptr : it->second.get();
}

DbDatabase* DbSession::openDatabase(const QString& name, const QString& userName, const QString& password,
                                    QString* error)
{
    if (name.trimmed().isEmpty()) {
        *error = QStringLiteral("No database name");
        return nullptr;
    }
    if (DbDatabase* open = findDatabase(name))
        return open;
    QString path, type, user = userName, pass = password;
    if (isPathName(name)) {
        path = cleanPath(name);
        const QFileInfo fi(path);
        if (!fi.exists()) {
            *error = QStringLiteral("Database not found: %1").arg(name);
            return nullptr;
        }
        type = fi.isDir() ? QStringLiteral("STANDARD") : QStringLiteral("SQLITE");
    } else {
        const auto a = m_aliases.find(name.trimmed());
        if (!a) {
            *error = QStringLiteral("Unknown database alias: %1").arg(name);
            return nullptr;
        }
        type = a->type;
        if (user.isEmpty())
            user = a->userName;
        if (pass.isEmpty())
            pass = a->password;
        if (type == QLatin1String("POSTGRESQL")) {
            PgParameters p;
            p.aliasName = a->name;
            p.host = a->host;
            p.port = a->port;
            p.database = a->database;
            p.userName = user;
            p.password = pass;
            p.connectTimeout = a->connectTimeout;
            p.statementTimeout = a->queryTimeout;
            QString err;
            auto server = PgServer::open(p, &err);
            if (!server) {
                *error = err;
                return nullptr;
            }
            std::unique_ptr<DbDatabase> db(
                new DbDatabase(this, name, DbDatabase::Kind::Postgres, QString(), nullptr, user, pass));
            db->m_server = std::move(server);
            DbDatabase* raw = db.get();
            m_databases.emplace(databaseKey(name), std::move(db));
            return raw;
        }
        if (a->path.isEmpty()) {
            *error = QStringLiteral("The alias %1 has no PATH").arg(a->name);
            return nullptr;
        }
        path = a->path;
    }
    std::unique_ptr<DbDatabase> db;
    if (type == QLatin1String("STANDARD")) {
        if (!QFileInfo(path).isDir()) {
            *error = QStringLiteral("Folder not found for database %1: %2").arg(name, path);
            return nullptr;
        }
        db.reset(new DbDatabase(this, name, DbDatabase::Kind::Folder, path, nullptr, user, pass));
    } else if (type == QLatin1String("SQLITE")) {
        QString err;
        auto conn = SqliteConnection::openFile(path, &err);
        if (!conn) {
            *error = err;
            return nullptr;
        }
        db.reset(new DbDatabase(this, name, DbDatabase::Kind::SqliteFile, path, std::move(conn), user, pass));
    } else {
        *error = QStringLiteral("The alias %1 has the unknown TYPE %2 (SQLITE, STANDARD or POSTGRESQL)")
                     .arg(name, type);
        return nullptr;
    }
    DbDatabase* raw = db.get();
    m_databases.emplace(databaseKey(name), std::move(db));
    return raw;
}

QString DbSession::databaseType(const QString& name, QString* error)
{
    DbDatabase* db = openDatabase(name, QString(), QString(), error);
    return db ? db->type() : QString();
}

DbLocalEngine* DbSession::localEngine(QString* error)
{
    if (!m_local) {
        auto conn = SqliteConnection::openScratch(error);
        if (!conn)
            return nullptr;
        m_local = std::make_unique<DbLocalEngine>(this, std::move(conn));
    }
    return m_local.get();
}

void DbSession::closeAll()
{
    m_local.reset();
    m_databases.clear();
}

} // namespace platform
