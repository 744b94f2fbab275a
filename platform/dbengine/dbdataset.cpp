#include "dbdataset.h"

#include "packedrows.h"
#include "prefetchrows.h"
#include "tablefile.h"

#include <sqlite3.h>

#include <algorithm>

namespace platform {

// The rows a dataset has read from its statement, shared with its cursors.
// Rows are only ever appended, so a position in it stays valid.
struct DbRowCache {
    std::unique_ptr<DbStatementCursor> stmt; // none once read to the end
    DbPackedRows rows;
    std::vector<DbCell> cells; // the row being appended
    bool done = false;
    qint64 fetched = 0;
    QString fetchError;

    void setColumns(int columns)
    {
        rows.setColumns(columns);
        cells.assign(size_t(columns), DbCell());
    }

    void appendCurrent()
    {
        ++fetched;
        const DbStatementCursor& s = *stmt;
        for (size_t i = 0; i < cells.size(); ++i)
            cells[i] = s.cell(int(i));
        rows.append(cells.data(), [&s](int column) { return s.value(column); });
    }

    void fetchUpTo(qint64 index)
    {
        while (!done && rows.size() <= index) {
            QString err;
            const DbFetch f = stmt->step(&err);
            if (f != DbFetch::Row) {
                if (f == DbFetch::Failed)
                    fetchError = err;
                done = true;
                stmt.reset();
                break;
            }
            appendCurrent();
        }
    }
};

namespace {

// A forward pass over rows already held by a dataset.
class CachedRows : public DbRowSource {
public:
    CachedRows(const QList<DbField>& fields, std::shared_ptr<const DbRowCache> cache)
        : m_fields(fields), m_cache(std::move(cache)), m_rows(m_cache->rows) {}
    const QList<DbField>& fields() const override { return m_fields; }
    bool rewind(QString*) override
    {
        m_pos = -1;
        return true;
    }
    DbFetch next(QString*) override
    {
        if (m_pos + 1 >= m_rows.size()) {
            m_pos = m_rows.size();
            return DbFetch::End;
        }
        ++m_pos;
        return DbFetch::Row;
    }
    QVariant value(int column) const override { return m_rows.value(m_pos, column); }
    // Texts straight from the packed rows (they are read to the end, so
    // they stay where they are).
    DbCell cell(int column) const override { return m_rows.cell(m_pos, column); }

private:
    QList<DbField> m_fields;
    std::shared_ptr<const DbRowCache> m_cache;
    const DbPackedRows& m_rows;
    qint64 m_pos = -1;
};

} // namespace

namespace {

// A SQLite statement as a dataset's cursor.
class SqliteCursor : public DbStatementCursor {
public:
    SqliteCursor(std::shared_ptr<SqliteConnection> conn, QString sql, sqlite3_stmt* stmt)
        : m_conn(conn), m_sql(std::move(sql)), m_stmt(std::move(conn), stmt) {}
    DbFetch step(QString* error) override { return m_stmt.step(error); }
    QList<DbField> fields(bool onRow) const override { return m_stmt.fields(onRow); }
    QVariant value(int column) const override { return m_stmt.value(column); }
    DbCell cell(int column) const override { return m_stmt.cell(column); }
    bool readOnly() const override { return sqlite3_stmt_readonly(m_stmt.get()) != 0; }
    std::unique_ptr<DbRowSource> rerun(const QList<DbField>& fields) const override
    {
        return std::make_unique<SqliteRows>(m_conn, m_sql, fields);
    }

private:
    std::shared_ptr<SqliteConnection> m_conn;
    QString m_sql;
    SqliteStatement m_stmt;
};

} // namespace

std::unique_ptr<DbDataset> DbDataset::open(std::shared_ptr<SqliteConnection> conn, const QString& sql,
                                           sqlite3_stmt* stmt, const DbTextFormat& format, QString* error)
{
    return open(std::make_unique<SqliteCursor>(std::move(conn), sql, stmt), sql, format, error);
}

std::unique_ptr<DbDataset> DbDataset::open(std::unique_ptr<DbStatementCursor> cursor, const QString& sql,
                                           const DbTextFormat& format, QString* error)
{
    std::unique_ptr<DbDataset> ds(new DbDataset);
    auto cache = std::make_shared<DbRowCache>();
    cache->stmt = std::move(cursor);
    ds->m_sql = sql;
    ds->m_readOnly = cache->stmt->readOnly();
    ds->m_format = format;
    ds->m_active = true;
    const DbFetch f = cache->stmt->step(error);
    if (f == DbFetch::Failed)
        return nullptr;
    ds->m_fields = cache->stmt->fields(f == DbFetch::Row);
    cache->setColumns(int(ds->m_fields.size()));
    if (f == DbFetch::Row) {
        cache->appendCurrent();
        ds->m_cur = 0;
        ds->m_eof = false;
    } else {
        cache->done = true;
        cache->stmt.reset();
    }
    ds->m_bof = true;
    ds->m_cache = std::move(cache);
    return ds;
}

DbCell DbStatementCursor::cell(int) const
{
    DbCell c;
    c.kind = DbCell::Variant;
    return c;
}

DbDataset::~DbDataset() = default;

void DbDataset::setFields(const QList<DbField>& fields)
{
    if (fields.size() == m_fields.size())
        m_fields = fields;
}

void DbDataset::setField(int index, const DbField& field)
{
    if (index >= 0 && index < m_fields.size())
        m_fields[index] = field;
}

void DbDataset::close()
{
    m_copies.reset();
    m_expectedCopies.clear();
    if (m_cache) {
        m_closedFetched = m_cache->fetched;
        m_closedFetchError = m_cache->fetchError;
    }
    // The cursors still reading keep the rows and the statement.
    m_cache.reset();
    m_active = false;
    m_cur = -1;
    m_bof = m_eof = true;
}

void DbDataset::fetchUpTo(qint64 index)
{
    if (m_cache)
        m_cache->fetchUpTo(index);
}

qint64 DbDataset::rowCount() const
{
    return m_cache ? m_cache->rows.size() : 0;
}

size_t DbDataset::rowBytes() const
{
    return m_cache ? m_cache->rows.memoryBytes() : 0;
}

const QString& DbDataset::fetchError() const
{
    return m_cache ? m_cache->fetchError : m_closedFetchError;
}

qint64 DbDataset::rowsFetched() const
{
    return m_cache ? m_cache->fetched : m_closedFetched;
}

std::unique_ptr<DbCursor> DbDataset::cursor() const
{
    if (!m_active || !m_cache)
        return nullptr;
    return std::make_unique<DbCursor>(m_cache, m_fields);
}

void DbDataset::first()
{
    if (!m_active)
        return;
    fetchUpTo(0);
    m_cur = rowCount() == 0 ? -1 : 0;
    m_bof = true;
    m_eof = rowCount() == 0;
}

void DbDataset::last()
{
    if (!m_active)
        return;
    fetchAll();
    m_cur = rowCount() - 1;
    m_eof = true;
    m_bof = rowCount() == 0;
}

int DbDataset::moveBy(int distance)
{
    if (!m_active || distance == 0 || rowCount() == 0)
        return 0;
    if ((distance > 0 && m_eof) || (distance < 0 && m_bof))
        return 0;
    m_bof = m_eof = false;
    const qint64 target = m_cur + distance;
    qint64 reached = target;
    if (distance > 0) {
        fetchUpTo(target);
        if (target >= rowCount()) {
            reached = rowCount() - 1;
            m_eof = true;
        }
    } else if (target < 0) {
        reached = 0;
        m_bof = true;
    }
    const int moved = int(reached - m_cur);
    m_cur = reached;
    return moved;
}

int DbDataset::recNo() const
{
    return m_active && m_cur >= 0 ? int(std::min<qint64>(m_cur + 1, INT_MAX)) : 0;
}

void DbDataset::setRecNo(int recNo)
{
    if (!m_active || rowCount() == 0)
        return;
    const qint64 target = std::max(recNo, 1) - 1;
    fetchUpTo(target);
    m_cur = std::min(target, rowCount() - 1);
    m_bof = m_eof = false;
}

int DbDataset::recordCount()
{
    if (!m_active)
        return 0;
    fetchAll();
    return int(std::min<qint64>(rowCount(), INT_MAX));
}

QVariant DbDataset::value(int field) const
{
    if (!m_active || m_cur < 0 || m_cur >= rowCount())
        return {};
    return m_cache->rows.value(m_cur, field);
}

QString DbDataset::text(int field) const
{
    if (field < 0 || field >= m_fields.size())
        return {};
    return valueText(value(field), m_fields[field].type, m_format);
}

QString DbDataset::textByName(const QString& name) const
{
    return text(fieldIndex(name));
}

std::unique_ptr<DbRowSource> DbDataset::rows()
{
    if (!m_active)
        return std::make_unique<DbMemoryRows>(m_fields);
    // A statement that changes data never runs twice: read it to the end.
    if (!m_cache->done && !m_readOnly)
        fetchAll();
    if (m_cache->done)
        return std::make_unique<CachedRows>(m_fields, m_cache);
    return m_cache->stmt->rerun(m_fields);
}

bool DbDataset::copyTo(const QString& fileName, QString* error)
{
    if (!m_active) {
        *error = QStringLiteral("The dataset is closed");
        return false;
    }
    auto live = rows();
    if (!fetchError().isEmpty()) {
        *error = QStringLiteral("Reading the rows failed: %1").arg(fetchError());
        return false;
    }
    // The rows are read by a thread of their own while they are written.
    auto ahead = std::make_unique<DbPrefetchRows>(*live);
    DbRowSource* source = ahead.get();
    if (m_expectedCopies.contains(fileName)) {
        // The first of the announced copies writes those that can share its pass.
        if (!m_copies) {
            m_copies = std::make_unique<DbTableCopies>();
            m_copies->prepare(*source, m_expectedCopies, m_format);
        }
        m_expectedCopies.removeOne(fileName);
        if (m_copies->holds(fileName))
            return m_copies->take(fileName, error);
    }
    return writeTableFile(*source, fileName, m_format, error);
}

void DbDataset::expectCopies(const QStringList& fileNames)
{
    m_copies.reset();
    m_expectedCopies = fileNames;
}

DbCursor::DbCursor(std::shared_ptr<DbRowCache> cache, QList<DbField> fields)
    : m_cache(std::move(cache)), m_fields(std::move(fields))
{
}

DbCursor::~DbCursor() = default;

bool DbCursor::next()
{
    m_cache->fetchUpTo(m_pos + 1);
    if (m_pos + 1 >= m_cache->rows.size())
        return false;
    ++m_pos;
    return true;
}

QVariant DbCursor::value(int field) const
{
    return m_cache->rows.value(m_pos, field);
}

const QString& DbCursor::fetchError() const
{
    return m_cache->fetchError;
}

std::unique_ptr<DbCursor> DbCursor::clone() const
{
    return std::make_unique<DbCursor>(m_cache, m_fields);
}

} // namespace platform
