// The local engine: folder databases of table files, steps over several
// databases, temporary views, and a later step reading an earlier one's
// table.

#include "dbtestutil.h"

#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/localengine.h"
#include "platform/dbengine/sqlreferences.h"
#include "platform/dbengine/tablefile.h"

#include <QDir>
#include <QFile>

using namespace platform;

namespace {

QStringList QueryText(DbDatabase* db, const QString& sql)
{
    QString error;
    auto ds = db->openQuery(sql, &error);
    EXPECT_TRUE(ds) << sql.toStdString() << ": " << error.toStdString();
    if (!ds)
        return {QStringLiteral("error: ") + error};
    auto rows = ds->rows();
    return dbtest::RowsText(*rows);
}

class LocalEngineTest : public dbtest::DbTest {
protected:
    void SetUp() override
    {
        dbtest::MakeDatabase(Path(QStringLiteral("ventes.sqlite")),
                             QStringLiteral("CREATE TABLE CLIENT(NUM INTEGER PRIMARY KEY, NOM VARCHAR(30));"
                                            "INSERT INTO CLIENT VALUES (1, 'Durand'), (2, 'Lefèvre'), (3, 'Martin');"));
        dbtest::MakeDatabase(Path(QStringLiteral("stock.sqlite")),
                             QStringLiteral("CREATE TABLE CMD(NUM INTEGER, CLIENT INTEGER, ART VARCHAR(10));"
                                            "INSERT INTO CMD VALUES (10, 1, 'A'), (11, 2, 'B'), (12, 2, 'C');"));
        QDir().mkpath(Path(QStringLiteral("fichiers")));
        QFile ini(Path(QStringLiteral("ALIASES.INI")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[VENTES]\r\nPATH=ventes.sqlite\r\n[STOCK]\r\nPATH=stock.sqlite\r\n[FICHIERS]\r\nPATH=fichiers\r\n");
        ini.close();
        m_session.setAliasFolders(m_dir.path(), {});
        // Article labels, as a dBASE file in the folder.
        DbMemoryRows rows({fieldFromDeclaredType(QStringLiteral("ART"), QStringLiteral("VARCHAR(10)")),
                           fieldFromDeclaredType(QStringLiteral("LIB"), QStringLiteral("VARCHAR(20)"))});
        rows.addRow({QStringLiteral("A"), QStringLiteral("Crayon")});
        rows.addRow({QStringLiteral("B"), QStringLiteral("Règle")});
        rows.addRow({QStringLiteral("C"), QStringLiteral("Équerre")});
        QString error;
        ASSERT_TRUE(writeTableFile(rows, Path(QStringLiteral("fichiers/ARTICLE.DBF")), {}, &error)) << error.toStdString();
    }

    DbDatabase* Open(const QString& name)
    {
        QString error;
        DbDatabase* db = m_session.openDatabase(name, {}, {}, &error);
        EXPECT_TRUE(db) << error.toStdString();
        return db;
    }

    DbSession m_session;
};

TEST(SqlReferences, FindsAliasPathAndFileNames)
{
    const QString sql = QStringLiteral(
        "SELECT D1.NOM, ':X:Y' AS lit, \"Prix/Kg\" FROM \":VENTES:CLIENT\" D1, :STOCK:CMD D2, "
        "\"/data/ARTICLE.DBF\" D3 -- :NOT:THIS\n JOIN /tmp/x.DB D4 ON 1 = 1, clients.db D5, \"Lignes.TXT\" D6 "
        "WHERE D1.NUM = 2 / 1");
    const QList<SqlTableReference> refs = findTableReferences(sql);
    QStringList got;
    for (const SqlTableReference& r : refs)
        got << QStringLiteral("%1:%2:%3:%4").arg(int(r.kind)).arg(r.database, r.name, sql.mid(r.start, r.length));
    EXPECT_EQ(got, (QStringList{QStringLiteral("1::Prix/Kg:\"Prix/Kg\""),
                                QStringLiteral("0:VENTES:CLIENT:\":VENTES:CLIENT\""),
                                QStringLiteral("0:STOCK:CMD::STOCK:CMD"),
                                QStringLiteral("1::/data/ARTICLE.DBF:\"/data/ARTICLE.DBF\""),
                                QStringLiteral("1::/tmp/x.DB:/tmp/x.DB"),
                                QStringLiteral("2::clients.db:clients.db"),
                                QStringLiteral("2::Lignes.TXT:\"Lignes.TXT\"")}));
    EXPECT_TRUE(hasForeignReferences(sql));
    EXPECT_FALSE(hasForeignReferences(QStringLiteral("SELECT 'a:b:c', x / 2 FROM T")));
    EXPECT_EQ(createViewTempPosition(QStringLiteral(" -- v\n create  view V AS SELECT 1")), 15);
    EXPECT_EQ(createViewTempPosition(QStringLiteral("CREATE TABLE V(x)")), -1);
}

TEST_F(LocalEngineTest, AFolderIsADatabaseOfTableFiles)
{
    DbDatabase* ventes = Open(QStringLiteral("VENTES"));
    ASSERT_TRUE(ventes);
    QString error;
    auto clients = ventes->openQuery(QStringLiteral("SELECT NUM, NOM FROM CLIENT ORDER BY NUM"), &error);
    ASSERT_TRUE(clients) << error.toStdString();
    ASSERT_TRUE(clients->copyTo(Path(QStringLiteral("fichiers/client.db")), &error)) << error.toStdString();
    QFile::copy(Path(QStringLiteral("fichiers/client.db")), Path(QStringLiteral("fichiers/notes.txt")));

    DbDatabase* folder = Open(QStringLiteral("fichiers"));
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->type(), QStringLiteral("STANDARD"));
    // A .TXT without its schema is no table.
    EXPECT_EQ(folder->tableNames(&error), (QStringList{QStringLiteral("ARTICLE.DBF"), QStringLiteral("client.db")}));
    EXPECT_EQ(QueryText(folder, QStringLiteral("SELECT C.NOM FROM \"CLIENT.DB\" C WHERE C.NUM > 1 ORDER BY 1")),
              (QStringList{QStringLiteral("Lefèvre"), QStringLiteral("Martin")}));
    EXPECT_EQ(QueryText(folder, QStringLiteral("SELECT LIB FROM article.dbf WHERE ART = 'C'")),
              (QStringList{QStringLiteral("Équerre")}));
    DbTableInfo info;
    ASSERT_TRUE(folder->tableInfo(QStringLiteral("client"), &info, &error)) << error.toStdString();
    ASSERT_EQ(info.fields.size(), 2);
    EXPECT_EQ(int(info.fields[1].type), int(DbFieldType::String));
    EXPECT_EQ(info.fields[1].size, 30);
    auto table = folder->openTable(QStringLiteral("ARTICLE"), &error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_EQ(table->recordCount(), 3);
    EXPECT_EQ(table->fields()[1].size, 20);
    EXPECT_FALSE(folder->openTable(QStringLiteral("NONE.DB"), &error));
    EXPECT_EQ(error, QStringLiteral("Table not found: NONE.DB"));
    EXPECT_FALSE(folder->openQuery(QStringLiteral("SELECT * FROM \"CLIENT.DB\"; DELETE FROM \"CLIENT.DB\""), &error));
    EXPECT_EQ(error, QStringLiteral("Only one SQL statement may be executed at a time"));
}

TEST_F(LocalEngineTest, AStepRunsOverTwoAliasesAndATableFile)
{
    DbDatabase* ventes = Open(QStringLiteral("VENTES"));
    ASSERT_TRUE(ventes);
    const QString sql = QStringLiteral(
        "SELECT D1.NOM, D2.NUM, D3.LIB FROM \":VENTES:CLIENT\" D1, :STOCK:CMD D2, \"%1\" D3 "
        "WHERE D2.CLIENT = D1.NUM AND D3.ART = D2.ART ORDER BY D2.NUM")
                            .arg(Path(QStringLiteral("fichiers/ARTICLE.DBF")));
    EXPECT_EQ(QueryText(ventes, sql), (QStringList{QStringLiteral("Durand|10|Crayon"), QStringLiteral("Lefèvre|11|Règle"),
                                                   QStringLiteral("Lefèvre|12|Équerre")}));
    // The same step with the tables of the main database left unqualified.
    EXPECT_EQ(QueryText(ventes, QStringLiteral("SELECT COUNT(*) FROM CLIENT D1, :STOCK:CMD D2 WHERE D2.CLIENT = D1.NUM")),
              (QStringList{QStringLiteral("3")}));
    // Its view is a temporary view of the local engine.
    QString error;
    ASSERT_TRUE(ventes->execute(QStringLiteral("CREATE VIEW MXV_S1 AS ") + sql, &error)) << error.toStdString();
    auto view = ventes->openTable(QStringLiteral("MXV_S1"), &error);
    ASSERT_TRUE(view) << error.toStdString();
    EXPECT_EQ(view->recordCount(), 3);
    EXPECT_TRUE(ventes->tableNames(&error).count(QStringLiteral("MXV_S1")) == 0) << "nothing written in the file";
    EXPECT_TRUE(ventes->dropView(QStringLiteral("MXV_S1"), &error)) << error.toStdString();
    EXPECT_FALSE(ventes->openTable(QStringLiteral("MXV_S1"), &error));
    // An unknown alias is the error it is.
    EXPECT_FALSE(ventes->openQuery(QStringLiteral("SELECT * FROM :NOWHERE:T"), &error));
    EXPECT_EQ(error, QStringLiteral("Unknown database alias: NOWHERE"));
}

TEST_F(LocalEngineTest, ALaterStepReadsTheTableAnEarlierStepWrote)
{
    DbDatabase* stock = Open(QStringLiteral("STOCK"));
    DbDatabase* folder = Open(QStringLiteral("FICHIERS"));
    ASSERT_TRUE(stock && folder);
    QString error;
    auto step1 = stock->openQuery(QStringLiteral("SELECT CLIENT, COUNT(*) AS N FROM CMD GROUP BY CLIENT"), &error);
    ASSERT_TRUE(step1) << error.toStdString();
    ASSERT_TRUE(step1->copyTo(Path(QStringLiteral("fichiers/RESULT.DB")), &error)) << error.toStdString();
    const QString step2 = QStringLiteral("SELECT SUM(N) FROM \"RESULT.DB\"");
    EXPECT_EQ(QueryText(folder, step2), (QStringList{QStringLiteral("3")}));
    auto before = folder->openQuery(QStringLiteral("SELECT * FROM \"RESULT.DB\""), &error);
    ASSERT_TRUE(before);

    // The first step runs again on more data: the second reads the new table.
    ASSERT_TRUE(stock->execute(QStringLiteral("INSERT INTO CMD VALUES (13, 3, 'A')"), &error));
    step1 = stock->openQuery(QStringLiteral("SELECT CLIENT, COUNT(*) AS N FROM CMD GROUP BY CLIENT"), &error);
    ASSERT_TRUE(step1->copyTo(Path(QStringLiteral("fichiers/RESULT.DB")), &error)) << error.toStdString();
    EXPECT_EQ(QueryText(folder, step2), (QStringList{QStringLiteral("4")}));
    // A dataset opened before keeps what it was opened on.
    EXPECT_EQ(before->recordCount(), 2);
    ASSERT_TRUE(before->copyTo(Path(QStringLiteral("OLD.TXT")), &error)) << error.toStdString();
    auto old = openTableFile(Path(QStringLiteral("OLD.TXT")), {}, &error);
    ASSERT_TRUE(old);
    EXPECT_EQ(dbtest::RowsText(*old).size(), 2);
    // Unchanged files are not read again.
    DbLocalEngine* engine = m_session.localEngine(&error);
    const qint64 imported = engine->importedRows();
    EXPECT_EQ(QueryText(folder, step2), (QStringList{QStringLiteral("4")}));
    EXPECT_EQ(engine->importedRows(), imported);
}

TEST_F(LocalEngineTest, AttachingNeverCreatesADatabase)
{
    DbDatabase* ventes = Open(QStringLiteral("VENTES"));
    ASSERT_TRUE(ventes);
    const QStringList before = Files();
    QString error;
    EXPECT_FALSE(ventes->openQuery(QStringLiteral("SELECT * FROM \"%1/CLIENT\"").arg(Path(QStringLiteral("none.sqlite"))), &error));
    EXPECT_FALSE(ventes->openQuery(QStringLiteral("SELECT * FROM \"%1\"").arg(Path(QStringLiteral("none.DB"))), &error));
    EXPECT_EQ(Files(), before);
    // A SQLite file named by its path.
    EXPECT_EQ(QueryText(ventes, QStringLiteral("SELECT ART FROM \"%1/CMD\" ORDER BY 1").arg(Path(QStringLiteral("stock.sqlite")))),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
}

} // namespace
