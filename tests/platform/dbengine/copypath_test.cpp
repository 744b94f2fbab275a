// The fast path of table copies: numbers with fixed decimals written by
// integer scaling exactly as the exact decimal rounding writes them, text
// encoded straight into a record, and rows read ahead by a thread of their
// own (same rows, same errors, stopped cleanly).

#include "platform/dbengine/prefetchrows.h"
#include "platform/dbengine/tablecopy.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

using namespace platform;

namespace {

std::string reference(double v, int decimals)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

std::string fixed(double v, int decimals, int cap = 64)
{
    char buf[64];
    const int n = putFixed(v, decimals, buf, cap);
    return std::string(buf, size_t(n));
}

} // namespace

TEST(CopyPath, FixedDecimalsMatchTheExactRounding)
{
    // Ties and near-ties (binary values just off a half), signs, zeros,
    // values past the scaled range.
    const double values[] = {0, -0.0, 1, -1, 0.5, 2.5, 0.125, 1.0000005, 0.0000005, 0.0000015, -0.0000005,
        0.1, 0.2, 0.3, 1e-7, -1e-7, 123456.789, 999999.9999995, 4.35, 2.675, 1e9, 1.5e12, 9.9e12, 1e15,
        -8e12, 12345678901234567.0, std::nextafter(0.5, 1.0), std::nextafter(2.5e-6, 0.0)};
    for (double v : values)
        for (int d : {0, 2, 6, 9, 12})
            EXPECT_EQ(fixed(v, d), reference(v, d)) << v << " with " << d;
    // and a broad sample of ordinary amounts
    std::mt19937_64 rng(22);
    std::uniform_real_distribution<double> amounts(-1e7, 1e7);
    std::uniform_int_distribution<int> cents(-100000000, 100000000);
    for (int i = 0; i < 200000; ++i) {
        const double a = amounts(rng);
        const double b = cents(rng) / 100.0;
        ASSERT_EQ(fixed(a, 6), reference(a, 6)) << a;
        ASSERT_EQ(fixed(b, 6), reference(b, 6)) << b;
        ASSERT_EQ(fixed(b, 2), reference(b, 2)) << b;
    }
    // a field too short gets nothing
    EXPECT_EQ(putFixed(123.5, 6, nullptr, 5), 0);
    char buf[10];
    EXPECT_EQ(putFixed(123.5, 6, buf, 10), 10);
    EXPECT_EQ(std::string(buf, 10), "123.500000");
}

TEST(CopyPath, TextGoesStraightIntoTheRecordOrIsRefused)
{
    char out[8];
    char32_t bad = 0;
    const struct {
        const char* utf8;
        qsizetype cap;
        qsizetype result;
        const char* bytes;
    } cases[] = {
        {"abc", 8, 3, "abc"},
        {"\xc3\xa9t\xc3\xa9", 8, 3, "\xe9t\xe9"},          // été in Windows-1252
        {"\xe2\x82\xac", 8, 1, "\x80"},                     // the euro sign
        {"abcdefghi", 8, kTooLong, nullptr},
        {"abcdefg\xc3\xa9", 8, 8, "abcdefg\xe9"},           // exactly full
        {"abcdefgh\xc3\xa9", 8, kTooLong, nullptr},
        {"\xe4\xb8\xad", 8, kNotCp1252, nullptr},           // a Chinese character
        {"\xc3", 8, kNotCp1252, nullptr},                   // cut UTF-8
        {"", 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        const qsizetype n = putCp1252(c.utf8, qsizetype(std::strlen(c.utf8)), out, c.cap, &bad);
        EXPECT_EQ(n, c.result);
        if (c.bytes) {
            EXPECT_EQ(std::string(out, size_t(n)), c.bytes);
        }
    }
    putCp1252("x\xe4\xb8\xad", 4, out, 8, &bad);
    EXPECT_EQ(bad, char32_t(0x4E2D));
}

namespace {

// Rows whose reading fails after a number of them.
class FailingRows : public DbMemoryRows {
public:
    FailingRows(QList<DbField> fields, qsizetype failAt) : DbMemoryRows(std::move(fields)), m_failAt(failAt) {}
    bool rewind(QString* error) override
    {
        m_read = 0;
        ++rewinds;
        return DbMemoryRows::rewind(error);
    }
    DbFetch next(QString* error) override
    {
        if (m_read++ == m_failAt) {
            *error = QStringLiteral("the server went away");
            return DbFetch::Failed;
        }
        return DbMemoryRows::next(error);
    }
    int rewinds = 0;

private:
    qsizetype m_failAt;
    qsizetype m_read = 0;
};

QList<DbField> twoFields()
{
    DbField n{QStringLiteral("N"), DbFieldType::Integer, 0, {}};
    DbField t{QStringLiteral("T"), DbFieldType::String, 10, {}};
    return {n, t};
}

QStringList readAll(DbRowSource& rows, QString* error, DbFetch* end)
{
    QStringList out;
    if (!rows.rewind(error)) {
        *end = DbFetch::Failed;
        return out;
    }
    std::vector<DbCell> cells(size_t(rows.fields().size()));
    for (;;) {
        *end = rows.next(error);
        if (*end != DbFetch::Row)
            return out;
        rows.cells(cells.data());
        EXPECT_EQ(cells[0].integer, rows.cell(0).integer);
        out << rows.value(0).toString() + u'|' + rows.value(1).toString() + u'|'
                + QString::number(rows.textLength(1));
    }
}

} // namespace

TEST(CopyPath, RowsReadAheadAreTheSourcesRowsAndErrors)
{
    FailingRows source(twoFields(), 1000);
    QStringList expected;
    for (int i = 0; i < 10; ++i) {
        // texts the source gives as values (no cells of their own)
        const QVariant t = i == 4 ? QVariant() : i == 7 ? QVariant(QStringLiteral("\u00e9t\u00e9")) : QVariant(QStringLiteral("L%1").arg(i));
        source.addRow({QVariant(qint64(i)), t});
        expected << QString::number(i) + u'|' + t.toString() + u'|' + QString::number(t.isNull() ? -1 : t.toString().size());
    }
    for (int batch : {1, 3, 10, 64}) {
        SCOPED_TRACE(batch);
        DbPrefetchRows ahead(source, batch);
        QString error;
        DbFetch end = DbFetch::Row;
        EXPECT_EQ(readAll(ahead, &error, &end), expected);
        EXPECT_EQ(end, DbFetch::End);
        EXPECT_EQ(ahead.next(&error), DbFetch::End) << "the end stays the end";
        // a second pass starts again
        EXPECT_EQ(readAll(ahead, &error, &end), expected);
    }

    // batches that start small and double up to the full size: every row
    // once, in order, across the changes of size
    {
        FailingRows growing(twoFields(), 1 << 30);
        QStringList all;
        for (int i = 0; i < 5000; ++i) {
            growing.addRow({QVariant(qint64(i)), QVariant(QStringLiteral("R%1").arg(i))});
            all << QStringLiteral("%1|R%1|%2").arg(i).arg(QString::number(i).size() + 1);
        }
        DbPrefetchRows ahead(growing, 2048);
        QString error;
        DbFetch end = DbFetch::Row;
        EXPECT_EQ(readAll(ahead, &error, &end), all);
        EXPECT_EQ(end, DbFetch::End);
    }

    // an error after some rows: those rows, then the error, once per pass
    FailingRows failing(twoFields(), 5);
    for (int i = 0; i < 10; ++i)
        failing.addRow({QVariant(qint64(i)), QVariant(QStringLiteral("x"))});
    DbPrefetchRows ahead(failing, 2);
    QString error;
    DbFetch end = DbFetch::Row;
    EXPECT_EQ(readAll(ahead, &error, &end).size(), 5);
    EXPECT_EQ(end, DbFetch::Failed);
    EXPECT_EQ(error, QStringLiteral("the server went away"));

    // left in the middle of a pass, the reader stops with the wrapper
    {
        FailingRows many(twoFields(), 1 << 30);
        for (int i = 0; i < 100000; ++i)
            many.addRow({QVariant(qint64(i)), QVariant(QStringLiteral("y"))});
        DbPrefetchRows partial(many, 16);
        ASSERT_TRUE(partial.rewind(&error));
        EXPECT_EQ(partial.next(&error), DbFetch::Row);
    }
    EXPECT_EQ(failing.rewinds, 1);
}

namespace {

// Rows given as cells of every kind, with texts long enough that a batch
// ends at its size before its rows.
class CellRows : public DbRowSource {
public:
    explicit CellRows(int rows) : m_rows(rows)
    {
        for (const char* name : {"I", "F", "T", "B", "N", "V"})
            m_fields.append(DbField{QString::fromLatin1(name), DbFieldType::String, 10, {}});
    }
    const QList<DbField>& fields() const override { return m_fields; }
    bool rewind(QString*) override
    {
        m_row = -1;
        return true;
    }
    DbFetch next(QString*) override
    {
        if (++m_row >= m_rows)
            return DbFetch::End;
        // The source's bytes change at each move, as a cursor's do.
        m_text = std::string(size_t(m_row % 7 == 0 ? 300000 : m_row % 5), char('a' + m_row % 26));
        m_blob = std::string("\0\x01z", 3) + std::to_string(m_row);
        return DbFetch::Row;
    }
    QVariant value(int column) const override
    {
        return column == 5 ? QVariant(QStringLiteral("v%1").arg(m_row)) : QVariant();
    }
    DbCell cell(int column) const override
    {
        DbCell c;
        switch (column) {
        case 0:
            c.kind = DbCell::Integer;
            c.integer = -m_row;
            break;
        case 1:
            c.kind = DbCell::Float;
            c.real = m_row + 0.25;
            break;
        case 2:
            c.kind = DbCell::Text;
            c.data = m_text.data();
            c.size = int(m_text.size());
            break;
        case 3:
            c.kind = DbCell::Blob;
            c.data = m_blob.data();
            c.size = int(m_blob.size());
            break;
        case 5:
            c.kind = DbCell::Variant;
            break;
        default:
            break;
        }
        return c;
    }
    void cells(DbCell* out) const override
    {
        for (int i = 0; i < 6; ++i)
            out[i] = cell(i);
    }

private:
    QList<DbField> m_fields;
    int m_rows;
    int m_row = -1;
    std::string m_text;
    std::string m_blob;
};

} // namespace

TEST(CopyPath, RowsReadAheadKeepEveryKindOfCell)
{
    CellRows source(60);
    DbPrefetchRows ahead(source, 1 << 14);
    QString error;
    ASSERT_TRUE(ahead.rewind(&error));
    std::vector<DbCell> cells(6);
    for (int row = 0; row < 60; ++row) {
        SCOPED_TRACE(row);
        ASSERT_EQ(ahead.next(&error), DbFetch::Row);
        ahead.cells(cells.data());
        EXPECT_EQ(cells[0].kind, DbCell::Integer);
        EXPECT_EQ(cells[0].integer, -row);
        EXPECT_EQ(cells[1].kind, DbCell::Float);
        EXPECT_EQ(cells[1].real, row + 0.25);
        const std::string text(size_t(row % 7 == 0 ? 300000 : row % 5), char('a' + row % 26));
        ASSERT_EQ(cells[2].kind, DbCell::Text);
        ASSERT_NE(cells[2].data, nullptr) << "an empty text is not a null";
        EXPECT_EQ(std::string(cells[2].data, size_t(cells[2].size)), text);
        ASSERT_EQ(cells[3].kind, DbCell::Blob);
        EXPECT_EQ(std::string(cells[3].data, size_t(cells[3].size)), std::string("\0\x01z", 3) + std::to_string(row));
        EXPECT_EQ(cells[4].kind, DbCell::Null);
        EXPECT_EQ(ahead.value(4), QVariant());
        EXPECT_EQ(ahead.value(5).toString(), QStringLiteral("v%1").arg(row));
        EXPECT_EQ(ahead.textLength(2), qsizetype(text.size()));
    }
    EXPECT_EQ(ahead.next(&error), DbFetch::End);
}
