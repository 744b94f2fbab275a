#include "sqliteconnection.h"

#include "dbprogress.h"

#include "dbvalue.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace platform {

namespace {

// Skips blanks, comments and semicolons; returns where something else starts.
const char* skipInsignificant(const char* p, const char* end)
{
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ';') {
            ++p;
        } else if (c == '-' && p + 1 < end && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (c == '/' && p + 1 < end && p[1] == '*') {
            p += 2;
            while (p + 1 < end && !(p[0] == '*' && p[1] == '/'))
                ++p;
            p = p + 1 < end ? p + 2 : end;
        } else {
            break;
        }
    }
    return p;
}

} // namespace

namespace {

int progressHandler(void*)
{
    return DbProgress() ? 1 : 0;
}

} // namespace

std::shared_ptr<SqliteConnection> SqliteConnection::openFile(const QString& path, QString* error)
{
    const QFileInfo fi(path);
    if (!fi.exists()) {
        *error = QStringLiteral("Database file not found: %1").arg(path);
        return {};
    }
    if (!fi.isFile()) {
        *error = QStringLiteral("Not a database file: %1").arg(path);
        return {};
    }
    sqlite3* db = nullptr;
    // Connections are used by one thread only: no locking on every call.
    const int rc = sqlite3_open_v2(QFile::encodeName(fi.absoluteFilePath()).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("Cannot open database %1: %2")
                     .arg(path, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        return {};
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_progress_handler(db, 1000, progressHandler, nullptr);
    // Opening is lazy: read the schema now, so that a damaged file or one
    // that is not a database fails here and not at the first query.
    char* msg = nullptr;
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &msg) != SQLITE_OK) {
        *error = QStringLiteral("Cannot open database %1: %2")
                     .arg(path, QString::fromUtf8(msg ? msg : sqlite3_errmsg(db)));
        sqlite3_free(msg);
        sqlite3_close_v2(db);
        return {};
    }
    return std::shared_ptr<SqliteConnection>(new SqliteConnection(db, fi.absoluteFilePath()));
}

std::shared_ptr<SqliteConnection> SqliteConnection::openScratch(QString* error)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX
                                       | SQLITE_OPEN_MEMORY,
                                   nullptr);
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("Cannot open the local engine: %1")
                     .arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        return {};
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_progress_handler(db, 1000, progressHandler, nullptr);
    return std::shared_ptr<SqliteConnection>(new SqliteConnection(db, QString()));
}

SqliteConnection::~SqliteConnection()
{
    sqlite3_close_v2(m_db);
}

QString SqliteConnection::lastMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

sqlite3_stmt* SqliteConnection::prepare(const QString& sql, QString* error)
{
    const QByteArray text = sql.toUtf8();
    const char* begin = text.constData();
    const char* end = begin + text.size();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, begin, int(text.size()), &stmt, &tail) != SQLITE_OK) {
        *error = lastMessage();
        sqlite3_finalize(stmt);
        return nullptr;
    }
    if (!stmt) {
        *error = QStringLiteral("The SQL text holds no statement");
        return nullptr;
    }
    if (tail && skipInsignificant(tail, end) != end) {
        sqlite3_finalize(stmt);
        *error = QStringLiteral("Only one SQL statement may be executed at a time");
        return nullptr;
    }
    return stmt;
}

bool SqliteConnection::execute(const QString& sql, QString* error)
{
    sqlite3_stmt* stmt = prepare(sql, error);
    if (!stmt)
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    bool ok = rc == SQLITE_DONE;
    if (!ok)
        *error = (rc & 0xff) == SQLITE_INTERRUPT ? dbCancelledMessage() : lastMessage();
    sqlite3_finalize(stmt);
    return ok;
}

QVariant SqliteConnection::scalar(const QString& sql, QString* error)
{
    QString dummy;
    QString* err = error ? error : &dummy;
    sqlite3_stmt* stmt = prepare(sql, err);
    if (!stmt)
        return {};
    std::shared_ptr<SqliteConnection> none;
    SqliteStatement st(none, stmt);
    if (st.step(err) != DbFetch::Row)
        return {};
    return st.value(0);
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& o) noexcept
{
    if (this != &o) {
        reset();
        m_conn = std::move(o.m_conn);
        m_stmt = o.m_stmt;
        o.m_stmt = nullptr;
    }
    return *this;
}

void SqliteStatement::reset()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_conn.reset();
}

DbFetch SqliteStatement::step(QString* error)
{
    if (!m_stmt) {
        *error = QStringLiteral("The statement is closed");
        return DbFetch::Failed;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return DbFetch::Row;
    if (rc == SQLITE_DONE)
        return DbFetch::End;
    // A statement the progress hook stopped says so in the system's words.
    *error = (rc & 0xff) == SQLITE_INTERRUPT ? dbCancelledMessage()
                                             : QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
    return DbFetch::Failed;
}

int SqliteStatement::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QVariant SqliteStatement::value(int column) const
{
    if (!m_stmt || column < 0 || column >= sqlite3_column_count(m_stmt))
        return {};
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(p, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return {};
    }
}

qsizetype SqliteStatement::textLength(int column) const
{
    if (!m_stmt || column < 0 || column >= sqlite3_column_count(m_stmt))
        return -1;
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return -1;
    case SQLITE_TEXT: {
        // Characters of the UTF-8 text (4-byte sequences count twice, as
        // UTF-16 does); every byte but continuation bytes starts one.
        const auto* p = sqlite3_column_text(m_stmt, column);
        const int n = sqlite3_column_bytes(m_stmt, column);
        qsizetype count = 0;
        for (int i = 0; i < n; ++i) {
            const unsigned char c = p[i];
            if ((c & 0xC0) != 0x80)
                ++count;
            if (c >= 0xF0)
                ++count;
        }
        return count;
    }
    case SQLITE_BLOB:
        return sqlite3_column_bytes(m_stmt, column);
    default:
        return toText(value(column)).size();
    }
}

namespace {

inline void readCell(sqlite3_stmt* stmt, int column, DbCell& c)
{
    // One look-up of the column's value, then its parts (the connection is
    // used by one thread at a time).
    sqlite3_value* v = sqlite3_column_value(stmt, column);
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        c.kind = DbCell::Integer;
        c.integer = sqlite3_value_int64(v);
        break;
    case SQLITE_FLOAT:
        c.kind = DbCell::Float;
        c.real = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT:
        c.kind = DbCell::Text;
        c.data = reinterpret_cast<const char*>(sqlite3_value_text(v));
        c.size = sqlite3_value_bytes(v);
        break;
    case SQLITE_BLOB:
        c.kind = DbCell::Blob;
        c.data = static_cast<const char*>(sqlite3_value_blob(v));
        c.size = sqlite3_value_bytes(v);
        break;
    default:
        c.kind = DbCell::Null;
        break;
    }
}

} // namespace

void SqliteStatement::cells(DbCell* out, int count) const
{
    const int n = m_stmt ? std::min(count, sqlite3_column_count(m_stmt)) : 0;
    for (int i = 0; i < n; ++i)
        readCell(m_stmt, i, out[i]);
    for (int i = n; i < count; ++i)
        out[i] = DbCell();
}

DbCell SqliteStatement::cell(int column) const
{
    DbCell c;
    if (!m_stmt || column < 0 || column >= sqlite3_column_count(m_stmt))
        return c;
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        c.kind = DbCell::Integer;
        c.integer = sqlite3_column_int64(m_stmt, column);
        break;
    case SQLITE_FLOAT:
        c.kind = DbCell::Float;
        c.real = sqlite3_column_double(m_stmt, column);
        break;
    case SQLITE_TEXT:
        c.kind = DbCell::Text;
        c.data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        c.size = sqlite3_column_bytes(m_stmt, column);
        break;
    case SQLITE_BLOB:
        c.kind = DbCell::Blob;
        c.data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        c.size = sqlite3_column_bytes(m_stmt, column);
        break;
    default:
        break;
    }
    return c;
}

QList<DbField> SqliteStatement::fields(bool onRow) const
{
    QList<DbField> out;
    const int n = columnCount();
    for (int i = 0; i < n; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(m_stmt, i));
        const char* decl = sqlite3_column_decltype(m_stmt, i);
        if (decl || sqlite3_column_table_name(m_stmt, i)) {
            out.append(fieldFromDeclaredType(name, decl ? QString::fromUtf8(decl) : QString()));
            continue;
        }
        DbField f;
        f.name = name;
        const int type = onRow ? sqlite3_column_type(m_stmt, i) : SQLITE_TEXT;
        switch (type) {
        case SQLITE_INTEGER:
            f.type = DbFieldType::Integer;
            break;
        case SQLITE_FLOAT:
            f.type = DbFieldType::Float;
            break;
        case SQLITE_BLOB:
            f.type = DbFieldType::Blob;
            break;
        default:
            f.type = DbFieldType::String;
            f.size = 255;
            break;
        }
        out.append(f);
    }
    return out;
}

SqliteRows::SqliteRows(std::shared_ptr<SqliteConnection> conn, QString sql, QList<DbField> fields)
    : m_conn(std::move(conn)), m_sql(std::move(sql)), m_fields(std::move(fields))
{
}

bool SqliteRows::rewind(QString* error)
{
    m_stmt.reset();
    m_onRow = false;
    sqlite3_stmt* stmt = m_conn->prepare(m_sql, error);
    if (!stmt)
        return false;
    m_stmt = SqliteStatement(m_conn, stmt);
    if (m_stmt.columnCount() != m_fields.size()) {
        *error = QStringLiteral("The query's columns changed since it was opened");
        m_stmt.reset();
        return false;
    }
    return true;
}

DbFetch SqliteRows::next(QString* error)
{
    if (!m_stmt) {
        *error = QStringLiteral("The rows are not open");
        return DbFetch::Failed;
    }
    const DbFetch f = m_stmt.step(error);
    m_onRow = f == DbFetch::Row;
    return f;
}

QVariant SqliteRows::value(int column) const
{
    return m_onRow ? m_stmt.value(column) : QVariant();
}

qsizetype SqliteRows::textLength(int column) const
{
    return m_onRow ? m_stmt.textLength(column) : -1;
}

DbCell SqliteRows::cell(int column) const
{
    return m_onRow ? m_stmt.cell(column) : DbCell();
}

void SqliteRows::cells(DbCell* out) const
{
    if (m_onRow) {
        m_stmt.cells(out, int(m_fields.size()));
        return;
    }
    for (int i = 0; i < m_fields.size(); ++i)
        out[i] = DbCell();
}

QString quoteIdentifier(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString quoteLiteral(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString sqliteFileUri(const QString& path, const QString& query)
{
    const QByteArray enc = QFile::encodeName(path).toPercentEncoding("/");
    QString uri = QStringLiteral("file:") + QString::fromLatin1(enc);
    if (!query.isEmpty())
        uri += QLatin1Char('?') + query;
    return uri;
}

} // namespace platform
