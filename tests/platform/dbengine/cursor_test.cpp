// The dataset cursor: the class library's semantics on 0, 1 and 3 rows,
// and rows read only when the cursor reaches them.

#include "dbtestutil.h"

#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/tablefile.h"

#include <QDir>
#include <QFile>

using namespace platform;

namespace {

class CursorTest : public dbtest::DbTest {
protected:
    void SetUp() override
    {
        dbtest::MakeDatabase(Path(QStringLiteral("c.sqlite")),
                             QStringLiteral("CREATE TABLE t(n INTEGER);"
                                            "CREATE TABLE big(n INTEGER, s TEXT);"
                                            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000)"
                                            " INSERT INTO big SELECT i, 'row ' || i FROM c;"));
        QString error;
        m_db = m_session.openDatabase(Path(QStringLiteral("c.sqlite")), {}, {}, &error);
        ASSERT_TRUE(m_db) << error.toStdString();
    }

    std::unique_ptr<DbDataset> Rows(int count)
    {
        QString error;
        EXPECT_TRUE(m_db->execute(QStringLiteral("DELETE FROM t"), &error)) << error.toStdString();
        for (int i = 1; i <= count; ++i)
            EXPECT_TRUE(m_db->execute(QStringLiteral("INSERT INTO t VALUES (%1)").arg(i), &error));
        auto ds = m_db->openQuery(QStringLiteral("SELECT n FROM t ORDER BY n"), &error);
        EXPECT_TRUE(ds) << error.toStdString();
        return ds;
    }

    DbSession m_session;
    DbDatabase* m_db = nullptr;
};

// "recno bof eof" after each step of a script.
QString State(const DbDataset& ds)
{
    return QStringLiteral("%1 %2 %3").arg(ds.recNo()).arg(ds.bof() ? "B" : "-").arg(ds.eof() ? "E" : "-");
}

TEST_F(CursorTest, MovesFollowTheClassLibrary)
{
    struct Step {
        const char* op;
        int arg;
    };
    const Step script[] = {{"open", 0},  {"next", 0},   {"next", 0},   {"next", 0},   {"next", 0},
                           {"prior", 0}, {"prior", 0},  {"prior", 0},  {"prior", 0},  {"last", 0},
                           {"first", 0}, {"moveby", 2}, {"moveby", -5}, {"moveby", 9}, {"moveby", 0},
                           {"recno", 2}, {"recno", 99}, {"recno", 0}};
    // Expected states for 0, 1 and 3 rows.
    const char* expected[3][std::size(script)] = {
        {"0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E",
         "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E", "0 B E"},
        {"1 B -", "1 - E", "1 - E", "1 - E", "1 - E", "1 B -", "1 B -", "1 B -", "1 B -", "1 - E", "1 B -",
         "1 - E", "1 B -", "1 - E", "1 - E", "1 - -", "1 - -", "1 - -"},
        {"1 B -", "2 - -", "3 - -", "3 - E", "3 - E", "2 - -", "1 - -", "1 B -", "1 B -", "3 - E", "1 B -",
         "3 - -", "1 B -", "3 - E", "3 - E", "2 - -", "3 - -", "1 - -"},
    };
    const int counts[3] = {0, 1, 3};
    for (int c = 0; c < 3; ++c) {
        auto ds = Rows(counts[c]);
        ASSERT_TRUE(ds);
        EXPECT_TRUE(ds->isActive());
        EXPECT_EQ(ds->recordCount(), counts[c]);
        for (size_t i = 0; i < std::size(script); ++i) {
            const QString op = QString::fromLatin1(script[i].op);
            if (op == QLatin1String("next"))
                ds->next();
            else if (op == QLatin1String("prior"))
                ds->prior();
            else if (op == QLatin1String("first"))
                ds->first();
            else if (op == QLatin1String("last"))
                ds->last();
            else if (op == QLatin1String("moveby"))
                ds->moveBy(script[i].arg);
            else if (op == QLatin1String("recno"))
                ds->setRecNo(script[i].arg);
            EXPECT_EQ(State(*ds), QString::fromLatin1(expected[c][i]))
                << counts[c] << " rows, step " << i << " (" << script[i].op << " " << script[i].arg << ")";
            if (ds->recNo() > 0) {
                EXPECT_EQ(ds->value(0).toLongLong(), ds->recNo());
            } else {
                EXPECT_TRUE(ds->value(0).isNull());
            }
        }
        EXPECT_EQ(ds->recordCount(), counts[c]);
        ds->close();
        EXPECT_FALSE(ds->isActive());
        EXPECT_EQ(ds->recNo(), 0);
    }
}

TEST_F(CursorTest, MoveByReportsTheDistanceMoved)
{
    auto ds = Rows(3);
    EXPECT_EQ(ds->moveBy(5), 2);
    EXPECT_EQ(ds->moveBy(1), 0); // already at the end
    EXPECT_EQ(ds->moveBy(-1), -1);
    EXPECT_EQ(ds->moveBy(-5), -1);
    EXPECT_EQ(ds->moveBy(std::numeric_limits<int>::max()), 2);
    EXPECT_EQ(ds->moveBy(std::numeric_limits<int>::min()), -2);
}

TEST_F(CursorTest, OpeningReadsOneRowWhateverTheSize)
{
    QString error;
    auto ds = m_db->openQuery(QStringLiteral("SELECT n, s FROM big ORDER BY n"), &error);
    ASSERT_TRUE(ds) << error.toStdString();
    EXPECT_EQ(ds->rowsFetched(), 1);
    EXPECT_EQ(ds->text(1), QStringLiteral("row 1"));
    ds->moveBy(9);
    EXPECT_EQ(ds->rowsFetched(), 10);
    ds->first(); // back over cached rows: nothing read
    EXPECT_EQ(ds->rowsFetched(), 10);
    EXPECT_EQ(ds->textByName(QStringLiteral("S")), QStringLiteral("row 1"));

    // A copy reads in a pass of its own and leaves the cursor alone.
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("BIG.TXT")), &error)) << error.toStdString();
    EXPECT_EQ(ds->rowsFetched(), 10);
    EXPECT_EQ(ds->recNo(), 1);

    EXPECT_EQ(ds->recordCount(), 100000);
    EXPECT_EQ(ds->rowsFetched(), 100000);
    auto back = openTableFile(Path(QStringLiteral("BIG.TXT")), {}, &error);
    ASSERT_TRUE(back) << error.toStdString();
    DbMemoryRows all;
    ASSERT_TRUE(readAllRows(*back, &all, &error)) << error.toStdString();
    ASSERT_EQ(all.rowCount(), 100000u);
    EXPECT_EQ(all.row(99999)[1].toString(), QStringLiteral("row 100000"));
}

TEST_F(CursorTest, ExpressionColumnsTakeTheirTypeFromTheFirstRow)
{
    QString error;
    auto ds = m_db->openQuery(QStringLiteral("SELECT 1 + 1 AS a, 0.5 AS b, 'x' AS c, n FROM t"), &error);
    ASSERT_TRUE(ds) << error.toStdString(); // no rows: expressions are text
    EXPECT_EQ(int(ds->fields()[0].type), int(DbFieldType::String));
    ds = m_db->openQuery(QStringLiteral("SELECT 1 + 1 AS a, 0.5 AS b, 'x' AS c, n FROM big"), &error);
    ASSERT_TRUE(ds);
    EXPECT_EQ(int(ds->fields()[0].type), int(DbFieldType::Integer));
    EXPECT_EQ(int(ds->fields()[1].type), int(DbFieldType::Float));
    EXPECT_EQ(int(ds->fields()[2].type), int(DbFieldType::String));
    EXPECT_EQ(int(ds->fields()[3].type), int(DbFieldType::Integer));
    EXPECT_EQ(ds->fields()[3].declaredType, QStringLiteral("INTEGER"));
}

} // namespace

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(CursorTest, AnnouncedCopiesShareAPassAndEachIsPutInPlaceAtItsTurn)
{
    QString error;
    ASSERT_TRUE(m_db->execute(QStringLiteral("CREATE TABLE w(n INTEGER, s VARCHAR(12), d DATE)"), &error));
    ASSERT_TRUE(m_db->execute(QStringLiteral("INSERT INTO w VALUES (1, 'un \"deux\"', '2001-02-03'), (2, NULL, NULL),"
                                             " (-30, 'Orléans', '1999-12-31')"),
                              &error));
    const QString sql = QStringLiteral("SELECT n, s, d FROM w ORDER BY n");
    auto alone = m_db->openQuery(sql, &error);
    ASSERT_TRUE(alone) << error.toStdString();
    ASSERT_TRUE(alone->copyTo(Path(QStringLiteral("ALONE.TXT")), &error)) << error.toStdString();
    ASSERT_TRUE(alone->copyTo(Path(QStringLiteral("ALONE.DBF")), &error)) << error.toStdString();

    auto ds = m_db->openQuery(sql, &error);
    ASSERT_TRUE(ds) << error.toStdString();
    ds->expectCopies({Path(QStringLiteral("BOTH.TXT")), Path(QStringLiteral("BOTH.DBF"))});
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("BOTH.TXT")), &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("BOTH.DBF")))); // not before its turn
    ASSERT_TRUE(ds->copyTo(Path(QStringLiteral("BOTH.DBF")), &error)) << error.toStdString();
    EXPECT_EQ(FileBytes(Path(QStringLiteral("BOTH.TXT"))), FileBytes(Path(QStringLiteral("ALONE.TXT"))));
    EXPECT_EQ(FileBytes(Path(QStringLiteral("BOTH.DBF"))), FileBytes(Path(QStringLiteral("ALONE.DBF"))));
    auto afterName = [](const QByteArray& b) { return b.mid(b.indexOf('\n')); }; // the first line names the table
    EXPECT_EQ(afterName(FileBytes(Path(QStringLiteral("BOTH.SCH")))), afterName(FileBytes(Path(QStringLiteral("ALONE.SCH")))));

    // A number too large for a dBASE field: that copy fails on its own and
    // its old table stays; the text table is written; text longer than its
    // declaration makes the dBASE table that has room for it be written in a
    // pass of its own; nothing is left behind.
    ASSERT_TRUE(m_db->execute(QStringLiteral("CREATE TABLE v(x REAL, s VARCHAR(2))"), &error));
    ASSERT_TRUE(m_db->execute(QStringLiteral("INSERT INTO v VALUES (1.5, 'ab'), (1e30, 'longer than two')"), &error));
    const QByteArray oldDbf = FileBytes(Path(QStringLiteral("BOTH.DBF")));
    auto bad = m_db->openQuery(QStringLiteral("SELECT x FROM v"), &error);
    ASSERT_TRUE(bad) << error.toStdString();
    bad->expectCopies({Path(QStringLiteral("BOTH.DBF")), Path(QStringLiteral("BAD.TXT"))});
    EXPECT_FALSE(bad->copyTo(Path(QStringLiteral("BOTH.DBF")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("record 2"))) << error.toStdString();
    EXPECT_EQ(FileBytes(Path(QStringLiteral("BOTH.DBF"))), oldDbf);
    ASSERT_TRUE(bad->copyTo(Path(QStringLiteral("BAD.TXT")), &error)) << error.toStdString();
    EXPECT_EQ(FileBytes(Path(QStringLiteral("BAD.TXT"))), QByteArray("1.5\r\n1e+30\r\n"));

    auto wide = m_db->openQuery(QStringLiteral("SELECT s FROM v"), &error);
    ASSERT_TRUE(wide) << error.toStdString();
    wide->expectCopies({Path(QStringLiteral("WIDE.TXT")), Path(QStringLiteral("WIDE.DBF"))});
    ASSERT_TRUE(wide->copyTo(Path(QStringLiteral("WIDE.TXT")), &error)) << error.toStdString();
    ASSERT_TRUE(wide->copyTo(Path(QStringLiteral("WIDE.DBF")), &error)) << error.toStdString();
    auto back = openTableFile(Path(QStringLiteral("WIDE.DBF")), {}, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->fields()[0].size, 15);
    wide->expectCopies({});
    const QStringList hidden = QDir(Path(QString())).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(u' ').toStdString();
}
