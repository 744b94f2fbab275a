#pragma once
// A forward pass over rows with known fields: what table copies read (a
// query's result, a table file) and what the local engine imports.

#include "dbfield.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <vector>

namespace platform {

enum class DbFetch { Row, End, Failed };

// A value as the source holds it, read without building a QVariant (the
// fast path of table copies). Kind Variant means: ask value().
struct DbCell {
    enum Kind : quint8 { Null, Integer, Float, Text, Blob, Variant };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    const char* data = nullptr; // UTF-8 text or blob bytes, valid until the next move
    int size = 0;
};

class DbRowSource {
public:
    virtual ~DbRowSource() = default;

    virtual const QList<DbField>& fields() const = 0;

    // Goes back before the first row. A copy makes several passes, each
    // beginning with rewind(); a source that cannot start again fails.
    virtual bool rewind(QString* error) = 0;

    // Moves to the next row: Row, End, or Failed with *error set.
    virtual DbFetch next(QString* error) = 0;

    // The current row's value of field column.
    virtual QVariant value(int column) const = 0;

    // The number of characters of a text value (-1 for null). The default
    // converts the value; sources that hold UTF-8 count without converting.
    virtual qsizetype textLength(int column) const;

    // The current row's value of field column as a cell. The default gives
    // Null, Integer or Float from value(), else Variant.
    virtual DbCell cell(int column) const;

    // Every cell of the current row, one per field, into out (what table
    // copies hand to each of their writers).
    virtual void cells(DbCell* out) const;
};

// Rows held in memory, for table files built by hand and for tests.
class DbMemoryRows : public DbRowSource {
public:
    DbMemoryRows() = default;
    explicit DbMemoryRows(QList<DbField> fields) : m_fields(std::move(fields)) {}

    void setFields(QList<DbField> fields) { m_fields = std::move(fields); }
    void addRow(std::vector<QVariant> row) { m_rows.push_back(std::move(row)); }
    size_t rowCount() const { return m_rows.size(); }
    const std::vector<QVariant>& row(size_t i) const { return m_rows[i]; }

    const QList<DbField>& fields() const override { return m_fields; }
    bool rewind(QString*) override
    {
        m_pos = -1;
        return true;
    }
    DbFetch next(QString*) override
    {
        if (m_pos + 1 >= qsizetype(m_rows.size())) {
            m_pos = qsizetype(m_rows.size());
            return DbFetch::End;
        }
        ++m_pos;
        return DbFetch::Row;
    }
    QVariant value(int column) const override
    {
        if (m_pos < 0 || m_pos >= qsizetype(m_rows.size()) || column < 0
            || size_t(column) >= m_rows[size_t(m_pos)].size())
            return {};
        return m_rows[size_t(m_pos)][size_t(column)];
    }

private:
    QList<DbField> m_fields;
    std::vector<std::vector<QVariant>> m_rows;
    qsizetype m_pos = -1;
};

// Reads every row of source into memory (for tests and small tables).
bool readAllRows(DbRowSource& source, DbMemoryRows* out, QString* error);

} // namespace platform
