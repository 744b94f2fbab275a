#include "localengine.h"

#include "dbsession.h"
#include "sqlreferences.h"
#include "tablefile.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

namespace platform {

namespace {

// Runs a query with text parameters, calling row for each result row.
bool queryRows(SqliteConnection& conn, const QString& sql, const QStringList& params,
               const std::function<void(sqlite3_stmt*)>& row, QString* error)
{
    sqlite3_stmt* stmt = conn.prepare(sql, error);
    if (!stmt)
        return false;
    for (int i = 0; i < params.size(); ++i) {
        const QByteArray b = params[i].toUtf8();
        sqlite3_bind_text(stmt, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        row(stmt);
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        *error = conn.lastMessage();
    sqlite3_finalize(stmt);
    return ok;
}

QString columnText(sqlite3_stmt* stmt, int i)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt, i)) : QString();
}

bool bindValue(sqlite3_stmt* stmt, int index, const QVariant& v)
{
    if (v.isNull())
        return sqlite3_bind_null(stmt, index) == SQLITE_OK;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return sqlite3_bind_int64(stmt, index, v.toLongLong()) == SQLITE_OK;
    case QMetaType::Bool:
        return sqlite3_bind_int(stmt, index, v.toBool() ? 1 : 0) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, index, v.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    default: {
        QString text;
        if (v.typeId() == QMetaType::QDate)
            text = isoDate(v.toDate());
        else if (v.typeId() == QMetaType::QTime)
            text = isoTime(v.toTime());
        else if (v.typeId() == QMetaType::QDateTime)
            text = isoDateTime(v.toDateTime());
        else
            text = v.toString();
        const QByteArray b = text.toUtf8();
        return sqlite3_bind_text(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

} // namespace

bool sqliteTableInfo(SqliteConnection& conn, const QString& schema, const QString& name, DbTableInfo* info,
                     QString* error)
{
    info->name = name;
    info->fields.clear();
    info->keyFields.clear();
    std::vector<std::pair<int, QString>> pk;
    if (!queryRows(conn, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?1, ?2)"), {name, schema},
                   [&](sqlite3_stmt* s) {
                       const QString col = columnText(s, 0);
                       info->fields.append(fieldFromDeclaredType(col, columnText(s, 1)));
                       const int order = sqlite3_column_int(s, 2);
                       if (order > 0)
                           pk.emplace_back(order, col);
                   },
                   error))
        return false;
    if (info->fields.isEmpty()) {
        *error = QStringLiteral("Table not found: %1").arg(name);
        return false;
    }
    if (!pk.empty()) {
        std::sort(pk.begin(), pk.end());
        for (const auto& p : pk)
            info->keyFields.append(p.second);
        return true;
    }
    // The first unique index in the order of creation.
    QStringList indexes;
    if (!queryRows(conn,
                   QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'index' AND tbl_name = ?1 "
                                  "COLLATE NOCASE ORDER BY rowid")
                       .arg(quoteIdentifier(schema)),
                   {name}, [&](sqlite3_stmt* s) { indexes.append(columnText(s, 0)); }, error))
        return false;
    QHash<QString, bool> unique;
    if (!queryRows(conn, QStringLiteral("SELECT name, \"unique\", partial FROM pragma_index_list(?1, ?2)"),
                   {name, schema},
                   [&](sqlite3_stmt* s) {
                       unique.insert(columnText(s, 0), sqlite3_column_int(s, 1) == 1 && sqlite3_column_int(s, 2) == 0);
                   },
                   error))
        return false;
    for (const QString& index : indexes) {
        if (!unique.value(index))
            continue;
        QStringList cols;
        bool expression = false;
        if (!queryRows(conn, QStringLiteral("SELECT cid, name FROM pragma_index_info(?1, ?2) ORDER BY seqno"),
                       {index, schema},
                       [&](sqlite3_stmt* s) {
                           if (sqlite3_column_int(s, 0) < 0)
                               expression = true;
                           else
                               cols.append(columnText(s, 1));
                       },
                       error))
            return false;
        if (!expression && !cols.isEmpty()) {
            info->keyFields = cols;
            break;
        }
    }
    return true;
}

DbLocalEngine::DbLocalEngine(DbSession* session, std::shared_ptr<SqliteConnection> scratch)
    : m_session(session), m_conn(std::move(scratch))
{
}

DbLocalEngine::~DbLocalEngine() = default;

bool DbLocalEngine::attachFile(const QString& path, const QString& hint, QString* schema, QString* error)
{
    const QFileInfo fi(path);
    const QString key = fi.absoluteFilePath();
    const auto it = m_attached.constFind(key);
    if (it != m_attached.constEnd()) {
        *schema = it.value();
        return true;
    }
    if (!fi.isFile()) {
        *error = QStringLiteral("Database file not found: %1").arg(path);
        return false;
    }
    QString base = QStringLiteral("db_");
    for (QChar c : hint)
        base += (c.isLetterOrNumber() && c.unicode() < 128) ? c : QLatin1Char('_');
    QString name = base;
    for (int n = 2; std::any_of(m_attached.cbegin(), m_attached.cend(),
                                [&](const QString& s) { return s.compare(quoteIdentifier(name), Qt::CaseInsensitive) == 0; });
         ++n)
        name = base + QStringLiteral("_%1").arg(n);
    sqlite3_stmt* stmt = m_conn->prepare(QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(quoteIdentifier(name)), error);
    if (!stmt)
        return false;
    const QByteArray uri = sqliteFileUri(key, QStringLiteral("mode=rw")).toUtf8();
    sqlite3_bind_text(stmt, 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        *error = QStringLiteral("Cannot attach %1: %2").arg(path, m_conn->lastMessage());
        return false;
    }
    *schema = quoteIdentifier(name);
    m_attached.insert(key, *schema);
    return true;
}

bool DbLocalEngine::importFile(const QString& path, QString* sqlName, QString* error)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    struct stat st {};
    if (::stat(QFile::encodeName(key).constData(), &st) != 0) {
        *error = QStringLiteral("Table not found: %1").arg(path);
        return false;
    }
    const qint64 mtime = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    Import imp = m_imports.value(key);
    if (imp.generation > 0 && imp.inode == quint64(st.st_ino) && imp.mtimeNs == mtime && imp.size == st.st_size) {
        *sqlName = imp.sqlName;
        return true;
    }
    auto reader = openTableFile(key, m_session->textFormat(), error);
    if (!reader)
        return false;
    const int generation = imp.generation + 1;
    // A later generation gets a new name: datasets opened on the old one
    // keep reading what they were opened on.
    const QString table = generation == 1 ? key : key + QStringLiteral("#%1").arg(generation);
    const QString qualified = QStringLiteral("temp.") + quoteIdentifier(table);
    QString create = QStringLiteral("CREATE TEMP TABLE %1 (").arg(quoteIdentifier(table));
    QString insert = QStringLiteral("INSERT INTO %1 VALUES (").arg(qualified);
    const QList<DbField>& fields = reader->fields();
    for (int i = 0; i < fields.size(); ++i) {
        if (i) {
            create += QStringLiteral(", ");
            insert += QStringLiteral(", ");
        }
        create += quoteIdentifier(fields[i].name) + QLatin1Char(' ') + declaredTypeFor(fields[i]);
        insert += QStringLiteral("?%1").arg(i + 1);
    }
    create += QLatin1Char(')');
    insert += QLatin1Char(')');
    QString ignored;
    m_conn->execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(qualified), &ignored);
    if (!m_conn->execute(create, error))
        return false;
    auto fail = [&](const QString& message) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, message);
        QString e;
        m_conn->execute(QStringLiteral("ROLLBACK"), &e);
        m_conn->execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(qualified), &e);
        return false;
    };
    if (!m_conn->execute(QStringLiteral("BEGIN"), error))
        return false;
    QString err;
    sqlite3_stmt* stmt = m_conn->prepare(insert, &err);
    if (!stmt)
        return fail(err);
    for (;;) {
        const DbFetch f = reader->next(&err);
        if (f == DbFetch::End)
            break;
        if (f == DbFetch::Failed) {
            sqlite3_finalize(stmt);
            *error = err;
            QString e;
            m_conn->execute(QStringLiteral("ROLLBACK"), &e);
            m_conn->execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(qualified), &e);
            return false;
        }
        for (int i = 0; i < fields.size(); ++i)
            bindValue(stmt, i + 1, reader->value(i));
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            err = m_conn->lastMessage();
            sqlite3_finalize(stmt);
            return fail(err);
        }
        sqlite3_reset(stmt);
        ++m_importedRows;
    }
    sqlite3_finalize(stmt);
    if (!m_conn->execute(QStringLiteral("COMMIT"), &err))
        return fail(err);
    imp.sqlName = qualified;
    imp.inode = quint64(st.st_ino);
    imp.mtimeNs = mtime;
    imp.size = st.st_size;
    imp.generation = generation;
    m_imports.insert(key, imp);
    *sqlName = qualified;
    return true;
}

bool DbLocalEngine::resolve(const QString& sql, DbDatabase* context, QString* out, QString* error)
{
    if (context && context->kind() == DbDatabase::Kind::SqliteFile) {
        QString schema;
        if (!attachFile(context->path(), context->name(), &schema, error))
            return false;
    }
    const QList<SqlTableReference> refs = findTableReferences(sql);
    QString text = sql;
    for (auto it = refs.crbegin(); it != refs.crend(); ++it) {
        const SqlTableReference& ref = *it;
        QString replacement;
        switch (ref.kind) {
        case SqlTableReference::Alias: {
            QString err;
            DbDatabase* db = m_session->openDatabase(ref.database, QString(), QString(), &err);
            if (!db) {
                *error = err;
                return false;
            }
            if (db->kind() == DbDatabase::Kind::Postgres) {
                *error = QStringLiteral("The database %1 is a PostgreSQL server: the local engine joins only "
                                        "SQLite files and table files")
                             .arg(ref.database);
                return false;
            }
            if (db->kind() == DbDatabase::Kind::SqliteFile) {
                QString schema;
                if (!attachFile(db->path(), ref.database, &schema, error))
                    return false;
                replacement = schema + QLatin1Char('.') + quoteIdentifier(ref.name);
            } else {
                const QString file = db->tableFile(ref.name);
                if (file.isEmpty()) {
                    *error = QStringLiteral("Table not found: :%1:%2").arg(ref.database, ref.name);
                    return false;
                }
                if (!importFile(file, &replacement, error))
                    return false;
            }
            break;
        }
        case SqlTableReference::Path: {
            QString p = ref.name;
            p.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (QFileInfo(p).isRelative() && context && context->kind() == DbDatabase::Kind::Folder)
                p = QDir(context->path()).filePath(p);
            const QFileInfo fi(p);
            if (fi.isFile() && isTableFileName(p)) {
                if (!importFile(p, &replacement, error))
                    return false;
                break;
            }
            const int slash = int(p.lastIndexOf(QLatin1Char('/')));
            if (slash <= 0)
                continue;
            const QString dir = p.left(slash), table = p.mid(slash + 1);
            const QFileInfo di(dir);
            if (di.isFile()) {
                QString schema;
                if (!attachFile(dir, di.completeBaseName(), &schema, error))
                    return false;
                replacement = schema + QLatin1Char('.') + quoteIdentifier(table);
            } else if (di.isDir()) {
                QString err;
                DbDatabase* db = m_session->openDatabase(dir, QString(), QString(), &err);
                const QString file = db ? db->tableFile(table) : QString();
                if (file.isEmpty()) {
                    *error = QStringLiteral("Table not found: %1").arg(ref.name);
                    return false;
                }
                if (!importFile(file, &replacement, error))
                    return false;
            } else {
                continue; // not a path after all ("Prix/Kg" as a column name)
            }
            break;
        }
        case SqlTableReference::FileName: {
            if (!context || context->kind() != DbDatabase::Kind::Folder)
                continue;
            const QString file = context->tableFile(ref.name);
            if (file.isEmpty())
                continue;
            if (!importFile(file, &replacement, error))
                return false;
            break;
        }
        }
        text.replace(ref.start, ref.length, replacement);
    }
    *out = text;
    return true;
}

std::unique_ptr<DbDataset> DbLocalEngine::openQuery(const QString& sql, DbDatabase* context, QString* error)
{
    QString resolved;
    if (!resolve(sql, context, &resolved, error))
        return nullptr;
    return openResolved(resolved, error);
}

std::unique_ptr<DbDataset> DbLocalEngine::openResolved(const QString& sql, QString* error)
{
    sqlite3_stmt* stmt = m_conn->prepare(sql, error);
    if (!stmt)
        return nullptr;
    return DbDataset::open(m_conn, sql, stmt, m_session->textFormat(), error);
}

bool DbLocalEngine::execute(const QString& sql, DbDatabase* context, QString* error)
{
    QString resolved;
    if (!resolve(sql, context, &resolved, error))
        return false;
    const qsizetype at = createViewTempPosition(resolved);
    if (at >= 0)
        resolved.insert(at, QStringLiteral("TEMP "));
    return m_conn->execute(resolved, error);
}

bool DbLocalEngine::hasTempObject(const QString& name) const
{
    QString error;
    bool found = false;
    queryRows(*m_conn,
              QStringLiteral("SELECT 1 FROM sqlite_temp_master WHERE type IN ('table', 'view') AND name = ?1 "
                             "COLLATE NOCASE"),
              {name}, [&](sqlite3_stmt*) { found = true; }, &error);
    return found;
}

bool DbLocalEngine::tempObjectInfo(const QString& name, DbTableInfo* info, QString* error)
{
    return sqliteTableInfo(*m_conn, QStringLiteral("temp"), name, info, error);
}

} // namespace platform
