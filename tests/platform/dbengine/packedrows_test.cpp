// The rows a dataset keeps, packed: every kind of value a database hands
// out comes back as it went in, wherever it sits in a row and however far
// the rows go, and a row costs about the size of its text.

#include "dbtestutil.h"

#include "platform/dbengine/dbdataset.h"
#include "platform/dbengine/dbsession.h"

#include <QDateTime>

#include <limits>

using namespace platform;

namespace {

// A statement over rows given as values.
class ValueCursor : public DbStatementCursor {
public:
    ValueCursor(QList<DbField> fields, std::vector<std::vector<QVariant>> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows)) {}
    DbFetch step(QString*) override
    {
        if (m_pos + 1 >= qsizetype(m_rows.size()))
            return DbFetch::End;
        ++m_pos;
        return DbFetch::Row;
    }
    QList<DbField> fields(bool) const override { return m_fields; }
    QVariant value(int column) const override { return m_rows[size_t(m_pos)][size_t(column)]; }
    bool readOnly() const override { return true; }
    std::unique_ptr<DbRowSource> rerun(const QList<DbField>& fields) const override
    {
        return std::make_unique<DbMemoryRows>(fields);
    }

private:
    QList<DbField> m_fields;
    std::vector<std::vector<QVariant>> m_rows;
    qsizetype m_pos = -1;
};

QString describe(const QVariant& v)
{
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(v.metaType().name() ? v.metaType().name() : "null"),
        v.toString());
}

TEST(PackedRowsTest, EveryKindOfValueComesBackAsItWentIn)
{
    const QVariant values[] = {
        QVariant(),
        QVariant(qint64(0)),
        QVariant(qint64(-128)),
        QVariant(qint64(127)),
        QVariant(qint64(-129)),
        QVariant(qint64(32768)),
        QVariant(qint64(-2147483648LL)),
        QVariant(qint64(2147483648LL)),
        QVariant(std::numeric_limits<qint64>::min()),
        QVariant(std::numeric_limits<qint64>::max()),
        QVariant(0.1),
        QVariant(-1e300),
        QVariant(QString()),
        QVariant(QStringLiteral("Crêperie ☃ 𝄞")),
        QVariant(QString(300, u'x')), // a length of two bytes
        QVariant(QByteArray("\0\xff\x80", 3)),
        QVariant(QByteArray()),
        QVariant(true),
        QVariant(false),
        QVariant(QDate(2024, 3, 5)),
        QVariant(QDate(1, 1, 1)),
        QVariant(QDate()),
        QVariant(QTime(10, 30, 15, 250)),
        QVariant(QTime(0, 0)),
        QVariant(QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59, 999))),
        QVariant(QDateTime(QDate(2024, 3, 5), QTime(10, 30), Qt::UTC)),
        QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")}),
    };
    const int n = int(std::size(values));
    QList<DbField> fields;
    for (int i = 0; i < n; ++i)
        fields.append(DbField{QStringLiteral("c%1").arg(i), DbFieldType::Unknown, 0, {}});
    // Row r holds the values turned by r places, over more rows than a
    // block of the packing holds.
    const int rowCount = 9000;
    std::vector<std::vector<QVariant>> rows;
    for (int r = 0; r < rowCount; ++r) {
        std::vector<QVariant> row;
        for (int i = 0; i < n; ++i)
            row.push_back(values[(i + r) % n]);
        rows.push_back(std::move(row));
    }
    QString error;
    auto ds = DbDataset::open(std::make_unique<ValueCursor>(fields, rows), QStringLiteral("values"), {}, &error);
    ASSERT_TRUE(ds) << error.toStdString();
    ASSERT_EQ(ds->recordCount(), rowCount);
    for (int r : {0, 1, 4095, 4096, 4097, 8999}) {
        ds->setRecNo(r + 1);
        for (int i = 0; i < n; ++i) {
            const QVariant& want = values[(i + r) % n];
            const QVariant got = ds->value(i);
            SCOPED_TRACE(QStringLiteral("row %1 column %2: %3").arg(r).arg(i).arg(describe(want)).toStdString());
            EXPECT_EQ(got.metaType(), want.metaType()) << describe(got).toStdString();
            EXPECT_EQ(got, want) << describe(got).toStdString();
        }
    }
    // a cursor of its own reads the same values
    auto cursor = ds->cursor();
    ASSERT_TRUE(cursor);
    ASSERT_TRUE(cursor->next());
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(cursor->value(i), values[i]) << i;
}

class PackedSqliteTest : public dbtest::DbTest {};

TEST_F(PackedSqliteTest, ARowCostsAtMostTwiceItsTextAndCopiesReadTheSameRows)
{
    dbtest::MakeDatabase(Path(QStringLiteral("p.sqlite")),
        QStringLiteral("CREATE TABLE t(n INTEGER, s VARCHAR(20), x REAL, d DATE);"
                       "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 20000)"
                       " INSERT INTO t SELECT i, 'Client ' || i, i * 0.25, CASE WHEN i % 3 THEN '2024-03-05' END FROM c;"));
    DbSession session;
    QString error;
    DbDatabase* db = session.openDatabase(Path(QStringLiteral("p.sqlite")), {}, {}, &error);
    ASSERT_TRUE(db) << error.toStdString();
    auto ds = db->openQuery(QStringLiteral("SELECT n, s, x, d FROM t ORDER BY n"), &error);
    ASSERT_TRUE(ds) << error.toStdString();
    ASSERT_EQ(ds->recordCount(), 20000);

    // the text of the rows as a CSV file holds it
    qint64 csv = 0;
    for (ds->first(); !ds->eof(); ds->next()) {
        for (int i = 0; i < ds->fieldCount(); ++i)
            csv += ds->text(i).toUtf8().size() + 1;
    }
    EXPECT_LE(qint64(ds->rowBytes()), 2 * csv) << "packed " << ds->rowBytes() << " bytes for " << csv << " of text";

    ds->setRecNo(12345);
    EXPECT_EQ(ds->value(0), QVariant(qint64(12345)));
    EXPECT_EQ(ds->value(1), QVariant(QStringLiteral("Client 12345")));
    EXPECT_EQ(ds->value(2), QVariant(12345 * 0.25));
    EXPECT_TRUE(ds->value(3).isNull());
    // a copy of the rows read to the end reads them from the packing
    auto rows = ds->rows();
    const QStringList text = dbtest::RowsText(*rows);
    ASSERT_EQ(text.size(), 20000);
    EXPECT_EQ(text[12344], QStringLiteral("12345|Client 12345|3086.25|\\N"));
    EXPECT_EQ(text[12345], QStringLiteral("12346|Client 12346|3086.5|05/03/2024"));
}

} // namespace
