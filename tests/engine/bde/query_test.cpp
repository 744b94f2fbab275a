// Running statements: results and their text form, SQL errors in the
// database's own words, one statement per call, the view path, distinct
// values and the cursor.

#include "bdefixture.h"

#include "engine/bde/bdedriver.h"
#include "engine/core/exceptions.h"
#include "engine/core/types.h"
#include "engine/driver/progresshook.h"

using namespace mx;
using bdetest::BdeTest;
using bdetest::Dataset;

namespace {

const QString kQueryError = QStringLiteral("Erreur lors de l'éxecution de la requête : ");

class QueryTest : public BdeTest {
protected:
    void SetUp() override { m_demo = MakeDemo(); }
    Dataset Run(const QString& sql, const QString& view = QString())
    {
        return Dataset(Driver().ExecuteQuery(sql, QString(), QString(), view, m_demo));
    }
    QStringList Tables() { return Driver().TableNameList(m_demo); }
    QString m_demo;
};

TSQLSyntaxProperties Dialect(TSetSQLCapabilities caps, const QString& dateEditor = QString())
{
    TSQLSyntaxProperties s;
    s.ConstantQuoter = QStringLiteral("'");
    s.FieldQuoter = QStringLiteral("\"");
    s.Capabilities = caps;
    s.SQLDateEditor = dateEditor;
    return s;
}

} // namespace

TEST_F(QueryTest, AResultReadsInOneTextForm)
{
    Dataset ds = Run(QStringLiteral("SELECT ID, NOM, VILLE, NE, SOLDE, SOLDE * 2 AS DOUBLE_SOLDE, NE IS NULL AS SANS "
                                    "FROM CLIENT ORDER BY ID"));
    ASSERT_TRUE(ds);
    EXPECT_TRUE(ds->GetActive());
    EXPECT_EQ(FieldNames(ds.get()), (QStringList{QStringLiteral("ID"), QStringLiteral("NOM"), QStringLiteral("VILLE"),
                                        QStringLiteral("NE"), QStringLiteral("SOLDE"), QStringLiteral("DOUBLE_SOLDE"),
                                        QStringLiteral("SANS")}));
    EXPECT_EQ(ds->GetFieldTypeName(3), QStringLiteral("DATE"));
    EXPECT_EQ(ds->GetFieldTypeName(4), QStringLiteral("MONEY"));
    EXPECT_EQ(ds->GetFieldSize(1), 30);
    // Dates in the dialect's order with four-digit years, numbers with
    // ".", NULL empty.
    EXPECT_EQ(RowsOf(ds.get()), (QStringList{QStringLiteral("1|Dupont|Lyon|05/03/1970|120.5|241|0"),
                                    QStringLiteral("2|Müller|Genève|31/12/1985|-3.25|-6.5|0"),
                                    QStringLiteral("3|Martin|Lyon||||1")}));
    ds->First();
    EXPECT_EQ(ds->GetFieldValueByName(QStringLiteral("nom")), QStringLiteral("Dupont"));
    EXPECT_EQ(ds->GetFieldValueByName(QStringLiteral("NOPE")), QString());
    EXPECT_EQ(ds->GetRecordCount(), 3);
    EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(QueryTest, FailuresAreReportedInTheDatabasesOwnWordsAndGiveNone)
{
    const struct {
        const char* sql;
        const char* reason;
    } cases[] = {
        {"SELECT * FROM NOPE", "no such table: NOPE"},
        {"SELECT NOPE FROM CLIENT", "no such column: NOPE"},
        {"SELEC 1", "near \"SELEC\": syntax error"},
        {"SELECT 1; DROP TABLE CLIENT", "Only one SQL statement may be executed at a time"},
        {"SELECT 1;\nDELETE FROM CLIENT;", "Only one SQL statement may be executed at a time"},
        {"  ;  -- nothing", "The SQL text holds no statement"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Run(QString::fromUtf8(c.sql))) << c.sql;
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), 1) << c.sql;
        EXPECT_EQ(messages[0], kQueryError + QString::fromUtf8(c.reason)) << c.sql;
        EXPECT_EQ(m_service.messageTypes.last(), TMsgDlgType::mtError);
    }
    // The second statements never ran.
    Dataset count = Run(QStringLiteral("SELECT COUNT(*) FROM CLIENT"));
    ASSERT_TRUE(count);
    EXPECT_EQ(RowsOf(count.get()), QStringList{QStringLiteral("3")});
    EXPECT_TRUE(Tables().contains(QStringLiteral("CLIENT")));
}

// A statement the user stops is no failure of the database's: nothing is
// told (the run tells its cancellation) and the silent abort ends the run
// there, so no later step starts. Without a stop, failures are told as ever.
TEST_F(QueryTest, AStatementTheUserStopsTellsNothingAndEndsTheRun)
{
    const QString endless = QStringLiteral(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000000) SELECT count(*) FROM c");
    for (const QString& view : {QString(), QStringLiteral("_MX_Q_U_9")}) {
        SCOPED_TRACE(view.toStdString());
        int asked = 0;
        TDbProgressScope stop([&] {
            ++asked;
            return true;
        });
        EXPECT_THROW(Run(endless, view), EAbort);
        EXPECT_GT(asked, 0);
        EXPECT_EQ(TakeMessages(), QStringList());
    }
    {
        TDbProgressScope goOn([] { return false; });
        EXPECT_FALSE(Run(QStringLiteral("SELECT * FROM NOPE")));
        EXPECT_EQ(TakeMessages(), QStringList{kQueryError + QStringLiteral("no such table: NOPE")});
    }
    // The hook gone, the database works and tells its errors again.
    EXPECT_FALSE(Run(QStringLiteral("SELECT * FROM NOPE")));
    EXPECT_EQ(TakeMessages(), QStringList{kQueryError + QStringLiteral("no such table: NOPE")});
    Dataset count = Run(QStringLiteral("SELECT COUNT(*) FROM CLIENT"));
    ASSERT_TRUE(count);
    EXPECT_EQ(RowsOf(count.get()), QStringList{QStringLiteral("3")});
}

TEST_F(QueryTest, AnErrorMetWhileReadingIsReportedOnceAndKeepsTheRowsRead)
{
    // The fourth row overflows: the statement fails only when it gets there.
    Dataset ds = Run(QStringLiteral("SELECT CASE WHEN value = 4 THEN abs(-9223372036854775807 - 1) ELSE value END "
                                    "FROM generate_series(1, 6)"));
    if (!ds) {
        // SQLite built without the series extension: the same with a table.
        TakeMessages();
        MakeDatabase(Path(QStringLiteral("n.sqlite")),
            QStringLiteral("CREATE TABLE N (V INTEGER); INSERT INTO N VALUES (1), (2), (3), (4), (5), (6);"));
        ds.reset(Driver().ExecuteQuery(
            QStringLiteral("SELECT CASE WHEN V = 4 THEN abs(-9223372036854775807 - 1) ELSE V END FROM N"), QString(),
            QString(), QString(), Path(QStringLiteral("n.sqlite"))));
    }
    ASSERT_TRUE(ds);
    EXPECT_EQ(RowsOf(ds.get()), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(ds->GetRecordCount(), 3);
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("TMxDataset.Next"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("integer overflow"))) << messages[0].toStdString();
}

TEST_F(QueryTest, AViewIsDroppedCreatedAndOpenedAsATable)
{
    const QString view = QStringLiteral("_MX_Q_U_1");
    // No old view: not an error.
    Dataset ds = Run(QStringLiteral("CREATE VIEW _MX_Q_U_1 AS SELECT NOM, VILLE FROM CLIENT WHERE VILLE = 'Lyon'"), view);
    ASSERT_TRUE(ds);
    EXPECT_TRUE(TakeMessages().isEmpty());
    EXPECT_TRUE(Tables().contains(view));
    EXPECT_EQ(FieldNames(ds.get()), (QStringList{QStringLiteral("NOM"), QStringLiteral("VILLE")}));
    EXPECT_EQ(RowsOf(ds.get()), (QStringList{QStringLiteral("Dupont|Lyon"), QStringLiteral("Martin|Lyon")}));
    ds.reset();

    // Again with another statement: the old view is replaced.
    ds = Run(QStringLiteral("CREATE VIEW _MX_Q_U_1 AS SELECT ID FROM CLIENT WHERE ID > 1"), view);
    ASSERT_TRUE(ds);
    EXPECT_EQ(RowsOf(ds.get()), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
    ds.reset();
    EXPECT_TRUE(TakeMessages().isEmpty());

    Driver().DropView(m_demo, view, QString(), QString());
    EXPECT_FALSE(Tables().contains(view));
    // Dropping a view that is not there: nothing said.
    Driver().DropView(m_demo, view, QString(), QString());
    EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(QueryTest, AFailingViewTellsItsErrorAndTheDropError)
{
    EXPECT_FALSE(Run(QStringLiteral("CREATE VIEW _MX_V_1 AS SELECT NOPE FROM CLIENT"), QStringLiteral("_MX_V_1")));
    QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], kQueryError + QStringLiteral("Error : no such column: NOPE\nDrop view error = no such view: _MX_V_1"));
    // SQLite made the view and only opening it failed: it is not left behind.
    EXPECT_FALSE(Tables().contains(QStringLiteral("_MX_V_1")));

    // The old view dropped well: nothing after the line break.
    ASSERT_TRUE(Run(QStringLiteral("CREATE VIEW _MX_V_1 AS SELECT 1 AS X"), QStringLiteral("_MX_V_1")));
    EXPECT_FALSE(Run(QStringLiteral("CREATE VIEW _MX_V_1 AS SELECT * FROM NOPE"), QStringLiteral("_MX_V_1")));
    messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], kQueryError + QStringLiteral("Error : no such table: main.NOPE\n"));
}

TEST_F(QueryTest, AViewNameThatIsNotPlainNeverReachesTheDatabase)
{
    for (const char* name : {"V; DROP TABLE CLIENT", "CLIENT--", "V\"X", "vue-1", "é"}) {
        const QString view = QString::fromUtf8(name);
        EXPECT_FALSE(Run(QStringLiteral("CREATE VIEW V AS SELECT 1"), view)) << name;
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), 1) << name;
        EXPECT_TRUE(messages[0].startsWith(kQueryError + QStringLiteral("Error : Invalid view name: "))) << name;
        Driver().DropView(m_demo, view, QString(), QString());
        EXPECT_TRUE(TakeMessages().isEmpty()) << name;
    }
    const QStringList tables = Tables();
    EXPECT_TRUE(tables.contains(QStringLiteral("CLIENT")));
    EXPECT_FALSE(tables.contains(QStringLiteral("V")));
}

TEST_F(QueryTest, TheDistinctStatementFollowsTheDialect)
{
    const struct {
        TSetSQLCapabilities caps;
        const char* sql;
    } cases[] = {
        {0, "SELECT DISTINCT NOM FROM CLIENT"},
        {SqlCap(scQuoteSourceField), "SELECT DISTINCT \"NOM\" FROM CLIENT"},
        {SqlCap(scQuoteTableName), "SELECT DISTINCT NOM FROM \"CLIENT\""},
        {SqlCap(scPrefixSourceField), "SELECT DISTINCT D.NOM FROM CLIENT D"},
        {SqlCap(scPrefixSourceField) | SqlCap(scQuoteSourceField) | SqlCap(scQuoteTableName),
            "SELECT DISTINCT D.\"NOM\" FROM \"CLIENT\" D"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TMxDriver::BuildDistinctSql(QStringLiteral("NOM"), QStringLiteral("CLIENT"), Dialect(c.caps)),
            QString::fromLatin1(c.sql));
    // A quoter inside a name is doubled: the name stays one identifier.
    EXPECT_EQ(TMxDriver::BuildDistinctSql(QStringLiteral("A\"B"), QStringLiteral("T"), Dialect(SqlCap(scQuoteSourceField))),
        QStringLiteral("SELECT DISTINCT \"A\"\"B\" FROM T"));
}

TEST_F(QueryTest, DistinctValuesAreWrittenInTheDialectsDateOrder)
{
    const TSetSQLCapabilities caps = SqlCap(scPrefixSourceField) | SqlCap(scQuoteSourceField) | SqlCap(scQuoteTableName);
    Dataset towns(Driver().GetQueryField(m_demo, QStringLiteral("CLIENT"), Dialect(caps), QString(), QString(),
        QStringLiteral("VILLE")));
    ASSERT_TRUE(towns);
    QStringList values = RowsOf(towns.get());
    values.sort();
    EXPECT_EQ(values, (QStringList{QStringLiteral("Genève"), QStringLiteral("Lyon")}));

    Dataset days(Driver().GetFieldVar(m_demo, QStringLiteral("COMMANDE"), Dialect(caps, QStringLiteral("m/d/y")),
        QString(), QString(), QStringLiteral("JOUR")));
    ASSERT_TRUE(days);
    EXPECT_EQ(days->GetRecNo(), 1);
    EXPECT_FALSE(days->Eof());
    values = RowsOf(days.get());
    values.sort();
    EXPECT_EQ(values, (QStringList{QStringLiteral("01/15/2024"), QStringLiteral("02/01/2024"), QStringLiteral("02/03/2024")}));
    EXPECT_TRUE(TakeMessages().isEmpty());

    EXPECT_EQ(Driver().GetFieldVar(m_demo, QStringLiteral("CLIENT"), Dialect(caps), QString(), QString(),
                  QStringLiteral("NOPE")),
        nullptr);
    EXPECT_EQ(Driver().GetQueryField(m_demo, QStringLiteral("NOPE"), Dialect(caps), QString(), QString(),
                  QStringLiteral("X")),
        nullptr);
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("TMxBdeDataset.GetFieldVar"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("no such column: D.NOPE"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[1].contains(QStringLiteral("TMxBdeDataset.GetQueryField"))) << messages[1].toStdString();
}

TEST_F(QueryTest, TheCursorFollowsTheClassLibrary)
{
    // After each step: RecNo, Bof, Eof, and the first field's value.
    struct Step {
        const char* move;
        int recNo;
        bool bof, eof;
        const char* value;
    };
    auto check = [&](int rows, std::initializer_list<Step> steps) {
        Dataset ds = Run(QStringLiteral("SELECT ID FROM CLIENT WHERE ID <= %1 ORDER BY ID").arg(rows));
        ASSERT_TRUE(ds);
        int n = 0;
        for (const Step& s : steps) {
            const QString move = QString::fromLatin1(s.move);
            if (move == u"First")
                ds->First();
            else if (move == u"Last")
                ds->Last();
            else if (move == u"Next")
                ds->Next();
            else if (move == u"Prior")
                ds->Prior();
            else if (move.startsWith(u"MoveBy"))
                ds->MoveBy(move.mid(6).toInt());
            else if (move.startsWith(u"RecNo"))
                ds->SetRecNo(move.mid(5).toInt());
            const std::string at = std::to_string(rows) + " rows, step " + std::to_string(n++) + " " + s.move;
            EXPECT_EQ(ds->GetRecNo(), s.recNo) << at;
            EXPECT_EQ(ds->Bof(), s.bof) << at;
            EXPECT_EQ(ds->Eof(), s.eof) << at;
            EXPECT_EQ(ds->GetFieldValue(0), QString::fromLatin1(s.value)) << at;
        }
        EXPECT_EQ(ds->GetRecordCount(), rows);
    };
    check(0, {{"open", 0, true, true, ""}, {"Next", 0, true, true, ""}, {"Prior", 0, true, true, ""},
                 {"Last", 0, true, true, ""}, {"MoveBy5", 0, true, true, ""}, {"First", 0, true, true, ""}});
    check(1, {{"open", 1, true, false, "1"}, {"Next", 1, false, true, "1"}, {"Next", 1, false, true, "1"},
                 {"Prior", 1, true, false, "1"}, {"Last", 1, false, true, "1"}, {"First", 1, true, false, "1"}});
    check(3, {{"open", 1, true, false, "1"}, {"Next", 2, false, false, "2"}, {"Next", 3, false, false, "3"},
                 {"Next", 3, false, true, "3"}, {"Prior", 2, false, false, "2"}, {"MoveBy-5", 1, true, false, "1"},
                 {"MoveBy7", 3, false, true, "3"}, {"MoveBy-1", 2, false, false, "2"}, {"First", 1, true, false, "1"},
                 {"Last", 3, false, true, "3"}, {"RecNo2", 2, false, false, "2"}, {"MoveBy0", 2, false, false, "2"}});

    // Closed: inactive, nothing to read, moves do nothing.
    Dataset ds = Run(QStringLiteral("SELECT ID FROM CLIENT"));
    ASSERT_TRUE(ds);
    ds->Close();
    EXPECT_FALSE(ds->GetActive());
    ds->Next();
    EXPECT_EQ(ds->GetRecNo(), 0);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->GetRecordCount(), 0);
    EXPECT_EQ(ds->GetFieldValue(0), QString());
    EXPECT_EQ(ds->GetFieldCount(), 1); // the descriptions stay
    Driver().FreeDataset(ds.release());
    Driver().FreeDataset(nullptr);
    EXPECT_TRUE(TakeMessages().isEmpty());
}
