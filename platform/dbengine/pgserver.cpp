#include "pgserver.h"

#include "dbprogress.h"
#include "dbsession.h"
#include "pqlibrary.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// Server type identifiers (pg_type.oid) of the built-in types.
enum : Oid {
    kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26,
    kJson = 114, kXml = 142, kFloat4 = 700, kFloat8 = 701, kMoney = 790, kBpchar = 1042, kVarchar = 1043,
    kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184, kTimeTz = 1266, kNumeric = 1700,
    kUuid = 2950, kJsonb = 3802,
};

// The cursor every reading connection declares (one per transaction).
constexpr const char* kCursor = "mx_rows";
// Rows of the first batch: opening a dataset costs little whatever its size.
constexpr int kFirstBatch = 200;
// Idle connections a server keeps.
constexpr size_t kIdleConnections = 4;
// How often a wait for the server asks the progress hook (ms).
constexpr qint64 kProgressSliceMs = 50;

QString trimmedMessage(const char* text)
{
    return QString::fromUtf8(text ? text : "").trimmed();
}

// The server's message of a failed result, in one line when it has one.
QString resultMessage(const PGresult* r, PGconn* conn)
{
    if (r) {
        const char* primary = pq().PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
        if (primary && *primary) {
            QString m = QString::fromUtf8(primary);
            if (m == QLatin1String("cannot insert multiple commands into a prepared statement"))
                return QStringLiteral("Only one SQL statement may be executed at a time");
            return m;
        }
        const QString m = trimmedMessage(pq().PQresultErrorMessage(r));
        if (!m.isEmpty())
            return m;
    }
    const QString m = trimmedMessage(pq().PQerrorMessage(conn));
    return m.isEmpty() ? QStringLiteral("The server gave no answer") : m;
}

// True when the text is a query whose rows a cursor can read.
bool isQueryText(const QString& sql)
{
    qsizetype i = 0;
    const qsizetype n = sql.size();
    for (;;) {
        while (i < n && (sql[i].isSpace() || sql[i] == QLatin1Char('(')))
            ++i;
        if (i + 1 < n && sql[i] == QLatin1Char('-') && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (i + 1 < n && sql[i] == QLatin1Char('/') && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            break;
        }
    }
    qsizetype j = i;
    while (j < n && sql[j].isLetter())
        ++j;
    const QString word = sql.mid(i, j - i).toUpper();
    return word == u"SELECT" || word == u"WITH" || word == u"VALUES" || word == u"TABLE";
}

int digitsAt(const char* p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// "YYYY-MM-DD" (the ISO date style every connection asks for).
bool parseIsoDate(const char* p, int len, QDate* out)
{
    if (len < 10 || p[4] != '-' || p[7] != '-')
        return false;
    const int y = digitsAt(p, 4), m = digitsAt(p + 5, 2), d = digitsAt(p + 8, 2);
    if (y < 0 || m < 0 || d < 0)
        return false;
    *out = QDate(y, m, d);
    return out->isValid();
}

// "HH:MM:SS[.ffffff]", a zone after it ignored.
bool parseIsoTime(const char* p, int len, QTime* out)
{
    if (len < 8 || p[2] != ':' || p[5] != ':')
        return false;
    const int h = digitsAt(p, 2), m = digitsAt(p + 3, 2), s = digitsAt(p + 6, 2);
    if (h < 0 || m < 0 || s < 0)
        return false;
    int ms = 0;
    if (len > 8 && p[8] == '.') {
        int scale = 100;
        for (int i = 9; i < len && p[i] >= '0' && p[i] <= '9'; ++i, scale /= 10)
            if (scale > 0)
                ms += (p[i] - '0') * scale;
    }
    *out = QTime(h == 24 ? 23 : h, m, s, ms);
    if (h == 24)
        *out = QTime(23, 59, 59, 999);
    return out->isValid();
}

QString declaredName(Oid type, int mod)
{
    switch (type) {
    case kBool: return QStringLiteral("boolean");
    case kBytea: return QStringLiteral("bytea");
    case kChar: return QStringLiteral("\"char\"");
    case kName: return QStringLiteral("name");
    case kInt8: return QStringLiteral("bigint");
    case kInt2: return QStringLiteral("smallint");
    case kInt4: return QStringLiteral("integer");
    case kText: return QStringLiteral("text");
    case kOid: return QStringLiteral("oid");
    case kJson: return QStringLiteral("json");
    case kJsonb: return QStringLiteral("jsonb");
    case kXml: return QStringLiteral("xml");
    case kFloat4: return QStringLiteral("real");
    case kFloat8: return QStringLiteral("double precision");
    case kMoney: return QStringLiteral("money");
    case kBpchar:
        return mod > 4 ? QStringLiteral("character(%1)").arg(mod - 4) : QStringLiteral("character");
    case kVarchar:
        return mod > 4 ? QStringLiteral("character varying(%1)").arg(mod - 4) : QStringLiteral("character varying");
    case kDate: return QStringLiteral("date");
    case kTime: return QStringLiteral("time without time zone");
    case kTimeTz: return QStringLiteral("time with time zone");
    case kTimestamp: return QStringLiteral("timestamp without time zone");
    case kTimestampTz: return QStringLiteral("timestamp with time zone");
    case kNumeric:
        if (mod >= 4)
            return QStringLiteral("numeric(%1,%2)").arg(((mod - 4) >> 16) & 0xFFFF).arg((mod - 4) & 0xFFFF);
        return QStringLiteral("numeric");
    case kUuid: return QStringLiteral("uuid");
    default: return QStringLiteral("oid %1").arg(type);
    }
}

// The statement timeout as the server reads it in a connection's options.
QByteArray sessionOptions(const QByteArray& given, int statementTimeout)
{
    QByteArray o = given;
    if (!o.isEmpty())
        o += ' ';
    o += "-c DateStyle=ISO,YMD -c IntervalStyle=postgres -c lc_monetary=C";
    if (statementTimeout > 0)
        o += " -c statement_timeout=" + QByteArray::number(qint64(statementTimeout) * 1000);
    return o;
}

bool looksLikeConnectionString(const QString& s)
{
    return s.contains(QLatin1Char('=')) || s.startsWith(QLatin1String("postgresql://"))
        || s.startsWith(QLatin1String("postgres://"));
}

// A forward pass over the rows of a cursor on a leased connection: the
// first batch comes with it, the next ones are fetched when it is used up.
class PgBatches {
public:
    PgBatches(std::unique_ptr<PgLease> lease, PgResult first) : m_lease(std::move(lease)), m_batch(std::move(first))
    {
        m_rows = pq().PQntuples(m_batch.get());
    }
    ~PgBatches() { finish(); }

    const PGresult* batch() const { return m_batch.get(); }
    int row() const { return m_row; }

    DbFetch step(QString* error)
    {
        if (m_row + 1 < m_rows) {
            ++m_row;
            return DbFetch::Row;
        }
        if (m_ended) {
            m_row = m_rows;
            return DbFetch::End;
        }
        if (!m_lease) {
            *error = QStringLiteral("The rows are not open");
            return DbFetch::Failed;
        }
        PgResult next = m_lease->exec(
            QStringLiteral("FETCH FORWARD %1 FROM %2").arg(m_lease->server().batchRows()).arg(QLatin1String(kCursor)),
            {}, error);
        if (!next) {
            // What was read stays; the connection goes (or is given back
            // when only the statement failed).
            m_ended = true;
            m_lease.reset();
            m_row = m_rows;
            return DbFetch::Failed;
        }
        // Keep the row description: the batch of zero rows still has it.
        m_batch = std::move(next);
        m_rows = pq().PQntuples(m_batch.get());
        m_row = 0;
        if (m_rows == 0) {
            m_ended = true;
            finish();
            return DbFetch::End;
        }
        return DbFetch::Row;
    }

    // Ends the transaction (which closes the cursor) and gives the
    // connection back.
    void finish()
    {
        if (!m_lease)
            return;
        if (!m_lease->broken()) {
            QString ignored;
            m_lease->exec(QStringLiteral("COMMIT"), {}, &ignored);
        }
        m_lease.reset();
    }

private:
    std::unique_ptr<PgLease> m_lease;
    PgResult m_batch;
    int m_rows = 0;
    int m_row = -1;
    bool m_ended = false;
};

QList<DbField> fieldsOf(const PGresult* r)
{
    QList<DbField> out;
    const int n = r ? pq().PQnfields(r) : 0;
    for (int i = 0; i < n; ++i)
        out.append(pgField(QString::fromUtf8(pq().PQfname(r, i)), pq().PQftype(r, i), pq().PQfmod(r, i)));
    return out;
}

QVariant valueAt(const PGresult* r, int row, int column)
{
    const PqFunctions& f = pq();
    if (!r || row < 0 || row >= f.PQntuples(r) || column < 0 || column >= f.PQnfields(r)
        || f.PQgetisnull(r, row, column))
        return {};
    return pgValue(f.PQgetvalue(r, row, column), f.PQgetlength(r, row, column), f.PQftype(r, column));
}

// A value as a cell: a value the server's text gives as it stands (every
// type pgValue does not convert) is a text cell over the result's bytes,
// read without a string; others are of kind Variant (see valueAt).
DbCell cellAt(const PGresult* r, int row, int column)
{
    const PqFunctions& f = pq();
    DbCell c;
    if (!r || row < 0 || row >= f.PQntuples(r) || column < 0 || column >= f.PQnfields(r)
        || f.PQgetisnull(r, row, column))
        return c;
    switch (f.PQftype(r, column)) {
    case kBool: case kInt2: case kInt4: case kInt8: case kOid: case kFloat4: case kFloat8: case kNumeric:
    case kMoney: case kDate: case kTime: case kTimeTz: case kTimestamp: case kTimestampTz: case kBytea:
        c.kind = DbCell::Variant;
        return c;
    default:
        c.kind = DbCell::Text;
        c.data = f.PQgetvalue(r, row, column);
        c.size = f.PQgetlength(r, row, column);
        return c;
    }
}

// Opens the cursor of sql on a pooled connection and fetches its first
// batch; a connection found broken at BEGIN is replaced once.
std::unique_ptr<PgBatches> openCursor(PgServer& server, const QString& sql, bool wholeResult, QString* error)
{
    std::unique_ptr<PgLease> lease;
    for (int attempt = 0; attempt < 2; ++attempt) {
        lease = server.lease(error);
        if (!lease)
            return nullptr;
        if (lease->exec(QStringLiteral("BEGIN"), {}, error))
            break;
        if (!lease->broken() || attempt == 1)
            return nullptr;
        lease.reset();
    }
    QString ignored;
    // A pass that reads every row asks the planner for the whole result
    // rather than for its first rows.
    if (wholeResult && !lease->exec(QStringLiteral("SET LOCAL cursor_tuple_fraction = 1"), {}, error))
        return nullptr;
    if (!lease->exec(QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR ").arg(QLatin1String(kCursor)) + sql, {}, error)) {
        if (!lease->broken())
            lease->exec(QStringLiteral("ROLLBACK"), {}, &ignored);
        return nullptr;
    }
    PgResult first = lease->exec(
        QStringLiteral("FETCH FORWARD %1 FROM %2").arg(wholeResult ? server.batchRows() : std::min(kFirstBatch, server.batchRows())).arg(QLatin1String(kCursor)),
        {}, error);
    if (!first) {
        if (!lease->broken())
            lease->exec(QStringLiteral("ROLLBACK"), {}, &ignored);
        return nullptr;
    }
    auto batches = std::make_unique<PgBatches>(std::move(lease), std::move(first));
    if (pq().PQntuples(batches->batch()) == 0) {
        QString none;
        batches->step(&none); // ends the transaction at once
    }
    return batches;
}

// A second pass over a query, for table copies: the cursor is declared
// again and read in large batches.
class PgRows : public DbRowSource {
public:
    PgRows(std::shared_ptr<PgServer> server, QString sql, QList<DbField> fields)
        : m_server(std::move(server)), m_sql(std::move(sql)), m_fields(std::move(fields)) {}

    const QList<DbField>& fields() const override { return m_fields; }

    bool rewind(QString* error) override
    {
        m_batches.reset();
        m_first = false;
        m_batches = openCursor(*m_server, m_sql, true, error);
        if (!m_batches)
            return false;
        if (pq().PQnfields(m_batches->batch()) != m_fields.size()) {
            *error = QStringLiteral("The query's columns changed since it was opened");
            m_batches.reset();
            return false;
        }
        m_first = true;
        return true;
    }

    DbFetch next(QString* error) override
    {
        if (!m_batches) {
            *error = QStringLiteral("The rows are not open");
            return DbFetch::Failed;
        }
        const DbFetch f = m_batches->step(error);
        if (f == DbFetch::Failed)
            *error = m_server->clean(*error);
        return f;
    }

    QVariant value(int column) const override
    {
        return m_batches ? valueAt(m_batches->batch(), m_batches->row(), column) : QVariant();
    }

    qsizetype textLength(int column) const override
    {
        const DbCell c = cell(column);
        if (c.kind == DbCell::Null)
            return -1;
        if (c.kind != DbCell::Text)
            return DbRowSource::textLength(column);
        qsizetype count = 0;
        for (int i = 0; i < c.size; ++i) {
            const unsigned char ch = static_cast<unsigned char>(c.data[i]);
            if ((ch & 0xC0) != 0x80)
                ++count;
            if (ch >= 0xF0)
                ++count;
        }
        return count;
    }

    DbCell cell(int column) const override
    {
        DbCell c;
        if (!m_batches)
            return c;
        const PqFunctions& f = pq();
        const PGresult* r = m_batches->batch();
        const int row = m_batches->row();
        if (row < 0 || row >= f.PQntuples(r) || column < 0 || column >= f.PQnfields(r) || f.PQgetisnull(r, row, column))
            return c;
        const char* p = f.PQgetvalue(r, row, column);
        const int len = f.PQgetlength(r, row, column);
        switch (f.PQftype(r, column)) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            c.kind = DbCell::Integer;
            c.integer = std::strtoll(p, nullptr, 10);
            break;
        case kFloat4:
        case kFloat8:
        case kNumeric:
            c.kind = DbCell::Float;
            c.real = std::strtod(p, nullptr);
            break;
        case kText:
        case kVarchar:
        case kBpchar:
        case kName:
        case kChar:
        case kUuid:
        case kJson:
        case kJsonb:
        case kXml:
            c.kind = DbCell::Text;
            c.data = p;
            c.size = len;
            break;
        case kDate:
            if (len == 10) {
                c.kind = DbCell::Text;
                c.data = p;
                c.size = len;
            } else {
                c.kind = DbCell::Variant;
            }
            break;
        default:
            c.kind = DbCell::Variant;
            break;
        }
        return c;
    }

private:
    std::shared_ptr<PgServer> m_server;
    QString m_sql;
    QList<DbField> m_fields;
    std::unique_ptr<PgBatches> m_batches;
    bool m_first = false;
};

// A dataset's cursor over a server query.
class PgCursor : public DbStatementCursor {
public:
    PgCursor(std::shared_ptr<PgServer> server, QString sql, std::unique_ptr<PgBatches> batches)
        : m_server(std::move(server)), m_sql(std::move(sql)), m_batches(std::move(batches)),
          m_fields(fieldsOf(m_batches->batch())) {}

    DbFetch step(QString* error) override
    {
        const DbFetch f = m_batches->step(error);
        if (f == DbFetch::Failed)
            *error = m_server->clean(*error);
        return f;
    }
    QList<DbField> fields(bool) const override { return m_fields; }
    QVariant value(int column) const override { return valueAt(m_batches->batch(), m_batches->row(), column); }
    DbCell cell(int column) const override { return cellAt(m_batches->batch(), m_batches->row(), column); }
    bool readOnly() const override { return true; }
    std::unique_ptr<DbRowSource> rerun(const QList<DbField>& fields) const override
    {
        return std::make_unique<PgRows>(m_server, m_sql, fields);
    }

private:
    std::shared_ptr<PgServer> m_server;
    QString m_sql;
    std::unique_ptr<PgBatches> m_batches;
    QList<DbField> m_fields;
};

// The whole result of a statement that is not a query, held.
class PgHeldResult : public DbStatementCursor {
public:
    explicit PgHeldResult(PgResult result) : m_result(std::move(result)), m_fields(fieldsOf(m_result.get())) {}
    DbFetch step(QString*) override
    {
        if (m_row + 1 < pq().PQntuples(m_result.get())) {
            ++m_row;
            return DbFetch::Row;
        }
        m_row = pq().PQntuples(m_result.get());
        return DbFetch::End;
    }
    QList<DbField> fields(bool) const override { return m_fields; }
    QVariant value(int column) const override { return valueAt(m_result.get(), m_row, column); }
    DbCell cell(int column) const override { return cellAt(m_result.get(), m_row, column); }
    bool readOnly() const override { return false; }
    std::unique_ptr<DbRowSource> rerun(const QList<DbField>& fields) const override
    {
        return std::make_unique<DbMemoryRows>(fields);
    }

private:
    PgResult m_result;
    QList<DbField> m_fields;
    int m_row = -1;
};

void sortNames(QStringList& names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

const char* const kVisibleRelations =
    "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
    "WHERE c.relkind IN ('r', 'v', 'm', 'p', 'f') AND pg_catalog.pg_table_is_visible(c.oid) "
    "AND n.nspname NOT IN ('pg_catalog', 'information_schema') AND n.nspname NOT LIKE 'pg\\_toast%' ";

} // namespace

void PgResultDeleter::operator()(pg_result* r) const
{
    pq().PQclear(r);
}

// ---------------------------------------------------------------- lease

PgLease::~PgLease()
{
    m_server->giveBack(m_conn);
}

bool PgLease::broken() const
{
    return !m_conn || pq().PQstatus(m_conn) != CONNECTION_OK;
}

PgResult PgLease::exec(const QString& sql, const QList<QByteArray>& params, QString* error)
{
    if (broken()) {
        *error = QStringLiteral("The connection to the server was lost");
        return nullptr;
    }
    const QByteArray text = sql.toUtf8();
    std::vector<const char*> values;
    values.reserve(size_t(params.size()));
    for (const QByteArray& p : params)
        values.push_back(p.isNull() ? nullptr : p.constData());
    if (!pq().PQsendQueryParams(m_conn, text.constData(), int(values.size()), nullptr, values.data(), nullptr, nullptr,
                           0)) {
        *error = m_server->clean(resultMessage(nullptr, m_conn));
        return nullptr;
    }
    // The server ends a statement past statement_timeout itself; past that
    // and a margin the client asks it to cancel, then gives up the
    // connection. Without a statement time-out only a broken connection
    // (seen by the socket, or by TCP keep-alives) ends the wait. The
    // progress hook is asked a few times per second: when it says stop,
    // the server is asked to cancel the statement, whose answer then
    // comes soon (a server that does not answer within two seconds costs
    // the connection).
    const int limit = m_server->parameters().statementTimeout;
    QElapsedTimer clock;
    clock.start();
    qint64 deadline = limit > 0 ? qint64(limit) * 1000 + 1000 : -1;
    bool cancelSent = false;
    bool userCancelled = false;
    qint64 lastProgress = 0;
    auto sendCancel = [this] {
        if (PGcancel* c = pq().PQgetCancel(m_conn)) {
            char buf[256];
            pq().PQcancel(c, buf, sizeof buf);
            pq().PQfreeCancel(c);
        }
    };
    while (pq().PQisBusy(m_conn)) {
        if (!cancelSent && clock.elapsed() - lastProgress >= kProgressSliceMs) {
            lastProgress = clock.elapsed();
            if (DbProgress()) {
                sendCancel();
                cancelSent = userCancelled = true;
                deadline = clock.elapsed() + 2000;
            }
        }
        pollfd pfd{pq().PQsocket(m_conn), POLLIN, 0};
        qint64 wait = cancelSent ? -1 : kProgressSliceMs;
        if (deadline >= 0) {
            const qint64 left = std::max<qint64>(0, deadline - clock.elapsed());
            wait = wait < 0 ? left : std::min(wait, left);
        }
        const int rc = ::poll(&pfd, 1, int(wait));
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc == 0) {
            if (deadline < 0 || clock.elapsed() < deadline)
                continue; // a slice of the wait: the hook is asked again
            if (!cancelSent) {
                sendCancel();
                cancelSent = true;
                deadline = clock.elapsed() + 1000;
                continue;
            }
            *error = userCancelled ? dbCancelledMessage()
                                   : QStringLiteral("The server did not answer within %1 seconds").arg(clock.elapsed() / 1000);
            pq().PQfinish(m_conn);
            m_conn = nullptr;
            m_gaveUp = true;
            return nullptr;
        }
        if (!pq().PQconsumeInput(m_conn))
            break;
    }
    PgResult kept;
    QString failure;
    while (PGresult* r = pq().PQgetResult(m_conn)) {
        PgResult res(r);
        const ExecStatusType st = pq().PQresultStatus(r);
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK && st != PGRES_EMPTY_QUERY) {
            if (failure.isEmpty())
                failure = resultMessage(r, m_conn);
        } else if (!kept) {
            kept = std::move(res);
        }
        if (pq().PQstatus(m_conn) != CONNECTION_OK)
            break;
    }
    if (failure.isEmpty() && pq().PQstatus(m_conn) != CONNECTION_OK)
        failure = resultMessage(nullptr, m_conn);
    if (!failure.isEmpty()) {
        // A statement stopped at the user's request says so rather than
        // with the server's words; one that ended before the request
        // reached the server keeps its result.
        *error = userCancelled ? dbCancelledMessage() : m_server->clean(failure);
        return nullptr;
    }
    if (!kept) {
        *error = QStringLiteral("The SQL text holds no statement");
        return nullptr;
    }
    if (pq().PQresultStatus(kept.get()) == PGRES_EMPTY_QUERY) {
        *error = QStringLiteral("The SQL text holds no statement");
        return nullptr;
    }
    return kept;
}

// ---------------------------------------------------------------- server

PgServer::PgServer(PgParameters parameters) : m_params(std::move(parameters)) {}

PgServer::~PgServer()
{
    for (PGconn* c : m_idle)
        pq().PQfinish(c);
}

std::shared_ptr<PgServer> PgServer::open(const PgParameters& p, QString* error)
{
    // libpq is loaded here, by the first server database opened.
    QString why;
    if (!loadPqLibrary(&why)) {
        *error = QStringLiteral("Cannot connect to the database %1: %2").arg(p.aliasName, why);
        return nullptr;
    }
    std::shared_ptr<PgServer> server(new PgServer(p));
    auto set = [&](const char* key, const QByteArray& value) {
        for (size_t i = 0; i < server->m_keywords.size(); ++i)
            if (server->m_keywords[i] == key) {
                server->m_values[i] = value;
                return;
            }
        server->m_keywords.emplace_back(key);
        server->m_values.push_back(value);
    };
    QByteArray options;
    if (looksLikeConnectionString(p.database)) {
        char* msg = nullptr;
        PQconninfoOption* opts = pq().PQconninfoParse(p.database.toUtf8().constData(), &msg);
        if (!opts) {
            // libpq's message quotes the string, which may hold a password.
            pq().PQfreemem(msg);
            *error = QStringLiteral("The connection string of the database %1 cannot be read").arg(p.aliasName);
            return nullptr;
        }
        for (PQconninfoOption* o = opts; o->keyword; ++o) {
            if (!o->val)
                continue;
            if (std::strcmp(o->keyword, "options") == 0)
                options = o->val;
            else
                set(o->keyword, o->val);
            if (std::strcmp(o->keyword, "password") == 0 && *o->val)
                server->m_secrets.append(QString::fromUtf8(o->val));
        }
        pq().PQconninfoFree(opts);
    } else if (!p.database.isEmpty()) {
        set("dbname", p.database.toUtf8());
    }
    if (!p.host.isEmpty())
        set("host", p.host.toUtf8());
    if (!p.port.isEmpty())
        set("port", p.port.toUtf8());
    if (!p.userName.isEmpty())
        set("user", p.userName.toUtf8());
    if (!p.password.isEmpty()) {
        set("password", p.password.toUtf8());
        server->m_secrets.append(p.password);
    }
    set("connect_timeout", QByteArray::number(std::max(p.connectTimeout, 1)));
    set("client_encoding", "UTF8");
    set("application_name", "Morvelin");
    set("keepalives", "1");
    set("keepalives_idle", "30");
    set("keepalives_interval", "10");
    set("keepalives_count", "3");
    set("options", sessionOptions(options, p.statementTimeout));
    // Longer texts first, so that one secret inside another goes whole.
    std::sort(server->m_secrets.begin(), server->m_secrets.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });

    PGconn* conn = server->connect(error);
    if (!conn)
        return nullptr;
    server->giveBack(conn);
    return server;
}

PGconn* PgServer::connect(QString* error)
{
    std::vector<const char*> keys, values;
    for (size_t i = 0; i < m_keywords.size(); ++i) {
        keys.push_back(m_keywords[i].constData());
        values.push_back(m_values[i].constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    // The connection is made without blocking: the caller's progress hook
    // is asked while it waits (it may give the attempt up), and TIMEOUT
    // bounds the whole of it, every address and step of the login
    // included.
    PGconn* conn = pq().PQconnectStartParams(keys.data(), values.data(), 0);
    if (!conn) {
        *error = QStringLiteral("Cannot connect to the database %1: out of memory").arg(m_params.aliasName);
        return nullptr;
    }
    QElapsedTimer clock;
    clock.start();
    const qint64 limit = qint64(std::max(m_params.connectTimeout, 1)) * 1000;
    PostgresPollingStatusType state = pq().PQstatus(conn) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
    qint64 lastProgress = 0;
    while (state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
        // A connection made at once never asks the hook.
        const bool ask = clock.elapsed() - lastProgress >= kProgressSliceMs;
        if (ask)
            lastProgress = clock.elapsed();
        if (ask && DbProgress()) {
            *error = QStringLiteral("Cannot connect to the database %1: %2").arg(m_params.aliasName, dbCancelledMessage());
            pq().PQfinish(conn);
            return nullptr;
        }
        const qint64 left = limit - clock.elapsed();
        if (left <= 0) {
            *error = QStringLiteral("Cannot connect to the database %1: the server did not answer within %2 seconds")
                         .arg(m_params.aliasName)
                         .arg(limit / 1000);
            pq().PQfinish(conn);
            return nullptr;
        }
        pollfd pfd{pq().PQsocket(conn), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int rc = ::poll(&pfd, 1, int(std::min(left, kProgressSliceMs)));
        if (rc < 0 && errno != EINTR)
            break; // PQconnectPoll tells what went wrong
        if (rc > 0 || pfd.fd < 0)
            state = pq().PQconnectPoll(conn);
    }
    if (pq().PQstatus(conn) != CONNECTION_OK) {
        *error = QStringLiteral("Cannot connect to the database %1: %2")
                     .arg(m_params.aliasName, clean(trimmedMessage(pq().PQerrorMessage(conn))));
        pq().PQfinish(conn);
        return nullptr;
    }
    // Notices (a view dropped that did not exist...) are not for the
    // user's terminal.
    pq().PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
    ++m_opened;
    return conn;
}

void PgServer::giveBack(PGconn* conn)
{
    if (!conn)
        return;
    if (pq().PQstatus(conn) == CONNECTION_OK && pq().PQtransactionStatus(conn) == PQTRANS_IDLE
        && m_idle.size() < kIdleConnections) {
        m_idle.push_back(conn);
        return;
    }
    pq().PQfinish(conn);
}

std::unique_ptr<PgLease> PgServer::lease(QString* error)
{
    while (!m_idle.empty()) {
        PGconn* c = m_idle.back();
        m_idle.pop_back();
        if (pq().PQstatus(c) == CONNECTION_OK)
            return std::make_unique<PgLease>(shared_from_this(), c);
        pq().PQfinish(c);
    }
    PGconn* c = connect(error);
    return c ? std::make_unique<PgLease>(shared_from_this(), c) : nullptr;
}

PgResult PgServer::exec(const QString& sql, const QList<QByteArray>& params, QString* error)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<PgLease> l = lease(error);
        if (!l)
            return nullptr;
        PgResult r = l->exec(sql, params, error);
        if (r || !l->broken() || l->gaveUp() || attempt == 1)
            return r;
    }
    return nullptr;
}

QString PgServer::clean(const QString& message) const
{
    QString m = message;
    for (const QString& s : m_secrets)
        if (!s.isEmpty())
            m.replace(s, QStringLiteral("********"));
    return m;
}

QStringList PgServer::tableNames(QString* error)
{
    PgResult r = exec(QStringLiteral("SELECT c.relname ") + QLatin1String(kVisibleRelations), {}, error);
    if (!r)
        return {};
    QStringList names;
    for (int i = 0; i < pq().PQntuples(r.get()); ++i)
        names.append(QString::fromUtf8(pq().PQgetvalue(r.get(), i, 0)));
    sortNames(names);
    names.removeDuplicates();
    return names;
}

QString PgServer::resolveName(const QString& table, QString* error)
{
    PgResult r = exec(QStringLiteral("SELECT c.relname ") + QLatin1String(kVisibleRelations)
                          + QStringLiteral("AND lower(c.relname) = lower($1)"),
                      {table.toUtf8()}, error);
    if (!r)
        return {};
    QStringList found;
    for (int i = 0; i < pq().PQntuples(r.get()); ++i)
        found.append(QString::fromUtf8(pq().PQgetvalue(r.get(), i, 0)));
    if (found.contains(table))
        return table;
    if (found.contains(table.toLower()))
        return table.toLower();
    if (found.size() == 1)
        return found.first();
    *error = found.isEmpty() ? QStringLiteral("Table not found: %1").arg(table)
                             : QStringLiteral("Several tables are named %1 without regard to case").arg(table);
    return {};
}

bool PgServer::tableInfo(const QString& table, DbTableInfo* info, QString* error)
{
    const QString name = resolveName(table, error);
    if (name.isEmpty())
        return false;
    const QByteArray rel = pgQuoteIdentifier(name).toUtf8();
    PgResult cols = exec(QStringLiteral(
                             "SELECT a.attname, a.atttypid, a.atttypmod, pg_catalog.format_type(a.atttypid, a.atttypmod) "
                             "FROM pg_catalog.pg_attribute a WHERE a.attrelid = $1::regclass AND a.attnum > 0 "
                             "AND NOT a.attisdropped ORDER BY a.attnum"),
                         {rel}, error);
    if (!cols)
        return false;
    info->name = table;
    info->fields.clear();
    info->keyFields.clear();
    for (int i = 0; i < pq().PQntuples(cols.get()); ++i) {
        DbField f = pgField(QString::fromUtf8(pq().PQgetvalue(cols.get(), i, 0)),
                            Oid(std::strtoul(pq().PQgetvalue(cols.get(), i, 1), nullptr, 10)),
                            int(std::strtol(pq().PQgetvalue(cols.get(), i, 2), nullptr, 10)));
        f.declaredType = QString::fromUtf8(pq().PQgetvalue(cols.get(), i, 3));
        info->fields.append(f);
    }
    // The primary key, else the first unique index (in creation order)
    // on plain columns and without a condition.
    PgResult keys = exec(QStringLiteral(
                             "SELECT (SELECT string_agg(a.attname, chr(1) ORDER BY k.o) "
                             "FROM unnest(i.indkey::int2[]) WITH ORDINALITY AS k(n, o) "
                             "JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.n) "
                             "FROM pg_catalog.pg_index i WHERE i.indrelid = $1::regclass AND i.indisunique "
                             "AND i.indpred IS NULL AND i.indexprs IS NULL "
                             "ORDER BY i.indisprimary DESC, i.indexrelid LIMIT 1"),
                         {rel}, error);
    if (!keys)
        return false;
    if (pq().PQntuples(keys.get()) == 1 && !pq().PQgetisnull(keys.get(), 0, 0))
        info->keyFields = QString::fromUtf8(pq().PQgetvalue(keys.get(), 0, 0)).split(QChar(1));
    return true;
}

std::unique_ptr<DbDataset> PgServer::openQuery(const QString& sql, const DbTextFormat& format, QString* error)
{
    if (!isQueryText(sql)) {
        PgResult r = exec(sql, {}, error);
        if (!r)
            return nullptr;
        return DbDataset::open(std::make_unique<PgHeldResult>(std::move(r)), sql, format, error);
    }
    std::unique_ptr<PgBatches> batches = openCursor(*this, sql, false, error);
    if (!batches)
        return nullptr;
    return DbDataset::open(std::make_unique<PgCursor>(shared_from_this(), sql, std::move(batches)), sql, format,
                           error);
}

bool PgServer::execute(const QString& sql, QString* error)
{
    return bool(exec(sql, {}, error));
}

// ---------------------------------------------------------------- types

DbField pgField(const QString& name, unsigned int typeOid, int mod)
{
    DbField f;
    f.name = name;
    f.declaredType = declaredName(typeOid, mod);
    switch (typeOid) {
    case kBool:
        f.type = DbFieldType::Boolean;
        break;
    case kBytea:
        f.type = DbFieldType::Blob;
        break;
    case kInt2:
        f.type = DbFieldType::Smallint;
        break;
    case kInt4:
    case kInt8:
    case kOid:
        f.type = DbFieldType::Integer;
        break;
    case kFloat4:
    case kFloat8:
        f.type = DbFieldType::Float;
        break;
    case kMoney:
        f.type = DbFieldType::Currency;
        break;
    case kNumeric:
        f.type = DbFieldType::BCD;
        break;
    case kDate:
        f.type = DbFieldType::Date;
        break;
    case kTime:
    case kTimeTz:
        f.type = DbFieldType::Time;
        break;
    case kTimestamp:
    case kTimestampTz:
        f.type = DbFieldType::DateTime;
        break;
    case kJson:
    case kJsonb:
    case kXml:
        f.type = DbFieldType::Memo;
        break;
    case kChar:
        f.type = DbFieldType::String;
        f.size = 1;
        break;
    case kName:
        f.type = DbFieldType::String;
        f.size = 63;
        break;
    case kUuid:
        f.type = DbFieldType::String;
        f.size = 36;
        break;
    case kBpchar:
    case kVarchar:
        f.type = DbFieldType::String;
        f.size = mod > 4 ? std::min(mod - 4, 65535) : 255;
        break;
    default:
        // text, and every type read as its text form.
        f.type = DbFieldType::String;
        f.size = 255;
        break;
    }
    return f;
}

QVariant pgValue(const char* p, int len, unsigned int typeOid)
{
    switch (typeOid) {
    case kBool:
        return QVariant(len > 0 && (p[0] == 't' || p[0] == 'T'));
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return QVariant(qint64(std::strtoll(p, nullptr, 10)));
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return QVariant(std::strtod(p, nullptr));
    case kMoney: {
        // lc_monetary=C: "-$1,234.56".
        QByteArray digits;
        for (int i = 0; i < len; ++i)
            if ((p[i] >= '0' && p[i] <= '9') || p[i] == '.' || p[i] == '-')
                digits.append(p[i]);
        return QVariant(std::strtod(digits.constData(), nullptr));
    }
    case kDate: {
        QDate d;
        if (parseIsoDate(p, len, &d) && len == 10)
            return QVariant(d);
        break;
    }
    case kTime:
    case kTimeTz: {
        QTime t;
        if (parseIsoTime(p, len, &t))
            return QVariant(t);
        break;
    }
    case kTimestamp:
    case kTimestampTz: {
        QDate d;
        QTime t;
        if (len >= 19 && parseIsoDate(p, len, &d) && parseIsoTime(p + 11, len - 11, &t))
            return QVariant(QDateTime(d, t));
        break;
    }
    case kBytea:
        if (len >= 2 && p[0] == '\\' && p[1] == 'x')
            return QVariant(QByteArray::fromHex(QByteArray::fromRawData(p + 2, len - 2)));
        return QVariant(QByteArray(p, len));
    default:
        break;
    }
    return QVariant(QString::fromUtf8(p, len));
}

QString pgQuoteIdentifier(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

} // namespace platform
