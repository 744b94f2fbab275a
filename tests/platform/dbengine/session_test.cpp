// The session: aliases, opening databases, one statement per call, table
// metadata and name lists, views.

#include "dbtestutil.h"

#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/localengine.h"

#include <QDir>
#include <QFile>

using namespace platform;

namespace {

const char* kDemo =
    "CREATE TABLE CLIENT(NUM INTEGER PRIMARY KEY, NOM VARCHAR(30), VILLE TEXT);"
    "INSERT INTO CLIENT VALUES (1, 'Durand', 'Lyon'), (2, 'Lefèvre', 'Orléans'), (3, 'Martin', NULL);"
    "CREATE TABLE LIGNE(CDE INTEGER, POS SMALLINT, ART VARCHAR(10), QTE INTEGER, PRIMARY KEY (POS, CDE));"
    "CREATE TABLE CODE(ID INTEGER, CODE CHAR(4), LIB TEXT, UNIQUE (LIB), UNIQUE (CODE, ID));"
    "CREATE TABLE NOTE(TXT MEMO, BIN BLOB);"
    "CREATE INDEX NOTE_TXT ON NOTE(TXT);";

void WriteText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

class SessionTest : public dbtest::DbTest {
protected:
    void SetUp() override { dbtest::MakeDatabase(Path(QStringLiteral("demo.sqlite")), QString::fromUtf8(kDemo)); }
    DbDatabase* Open(const QString& name)
    {
        QString error;
        DbDatabase* db = m_session.openDatabase(name, {}, {}, &error);
        EXPECT_TRUE(db) << name.toStdString() << ": " << error.toStdString();
        return db;
    }
    DbSession m_session;
};

TEST_F(SessionTest, AliasesComeFromBothFilesTheUsersWinning)
{
    WriteText(Path(QStringLiteral("root/ALIASES.INI")),
              "[Demo]\r\nTYPE=SQLITE\r\nPATH=../demo.sqlite\r\nUSERNAME=admin\r\n"
              "[Files]\r\nPATH=../files\r\n"
              "[Shared]\r\nTYPE=STANDARD\r\nPATH=/nowhere\r\n");
    WriteText(Path(QStringLiteral("user/aliases.ini")), "[SHARED]\r\nTYPE=STANDARD\r\nPATH=../files\r\nPASSWORD=pw\r\n");
    QDir().mkpath(Path(QStringLiteral("files")));
    m_session.setAliasFolders(Path(QStringLiteral("root")), Path(QStringLiteral("user")));

    EXPECT_EQ(m_session.aliasNames(), (QStringList{QStringLiteral("Demo"), QStringLiteral("Files"), QStringLiteral("SHARED")}));
    const auto demo = m_session.alias(QStringLiteral("DEMO"));
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->path, QDir::cleanPath(Path(QStringLiteral("demo.sqlite"))));
    EXPECT_EQ(demo->userName, QStringLiteral("admin"));
    EXPECT_EQ(m_session.alias(QStringLiteral("files"))->type, QStringLiteral("STANDARD")); // a folder without TYPE
    EXPECT_EQ(m_session.alias(QStringLiteral("shared"))->password, QStringLiteral("pw"));
    EXPECT_EQ(m_session.driverNames(), (QStringList{QStringLiteral("STANDARD"), QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL")}));

    QString error;
    EXPECT_EQ(m_session.databaseType(QStringLiteral("demo"), &error), QStringLiteral("SQLITE"));
    EXPECT_EQ(m_session.databaseType(QStringLiteral("Shared"), &error), QStringLiteral("STANDARD"));
    EXPECT_EQ(m_session.databaseType(QStringLiteral("nothing"), &error), QString());
    EXPECT_TRUE(error.contains(QStringLiteral("nothing")));
    DbDatabase* db = Open(QStringLiteral("demo"));
    ASSERT_TRUE(db);
    EXPECT_EQ(db->userName(), QStringLiteral("admin"));
    // A second open, whatever its login, is the first one.
    EXPECT_EQ(m_session.openDatabase(QStringLiteral("DEMO"), QStringLiteral("x"), QStringLiteral("y"), &error), db);
}

TEST_F(SessionTest, AMissingDatabaseFailsEveryTimeAndCreatesNothing)
{
    const QStringList before = Files();
    WriteText(Path(QStringLiteral("ALIASES.INI")), "[Lost]\r\nTYPE=SQLITE\r\nPATH=lost.sqlite\r\n");
    m_session.setAliasFolders(m_dir.path(), {});
    for (const QString& name : {QStringLiteral("LOST"), Path(QStringLiteral("missing.sqlite")),
                                Path(QStringLiteral("sub/missing.sqlite"))}) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            QString error;
            EXPECT_FALSE(m_session.openDatabase(name, {}, {}, &error)) << name.toStdString();
            EXPECT_TRUE(error.contains(QStringLiteral("not found"))) << error.toStdString();
            EXPECT_FALSE(m_session.findDatabase(name));
        }
    }
    QStringList expected = before + QStringList{QStringLiteral("ALIASES.INI")};
    expected.sort();
    EXPECT_EQ(Files(), expected);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("sub"))));

    // Once the file is there, the same name opens.
    dbtest::MakeDatabase(Path(QStringLiteral("lost.sqlite")), QStringLiteral("CREATE TABLE t(x);"));
    EXPECT_TRUE(Open(QStringLiteral("lost")));
}

TEST_F(SessionTest, AFileThatIsNotADatabaseFailsAtOpening)
{
    WriteText(Path(QStringLiteral("junk.sqlite")), QByteArray(4096, 'x'));
    QString error;
    EXPECT_FALSE(m_session.openDatabase(Path(QStringLiteral("junk.sqlite")), {}, {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a database"))) << error.toStdString();
    WriteText(Path(QStringLiteral("bad.ini")), "[X]\r\nTYPE=ORACLE\r\nPATH=demo.sqlite\r\n");
    QFile::rename(Path(QStringLiteral("bad.ini")), Path(QStringLiteral("ALIASES.INI")));
    m_session.setAliasFolders(m_dir.path(), {});
    EXPECT_FALSE(m_session.openDatabase(QStringLiteral("x"), {}, {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ORACLE"))) << error.toStdString();
}

TEST_F(SessionTest, OneStatementPerCall)
{
    DbDatabase* db = Open(Path(QStringLiteral("demo.sqlite")));
    ASSERT_TRUE(db);
    struct Case {
        const char* sql;
        bool ok;
    } cases[] = {
        {"SELECT NOM FROM CLIENT", true},
        {"SELECT NOM FROM CLIENT;", true},
        {"SELECT NOM FROM CLIENT ; ;\n -- done\n /* end */ ", true},
        {"SELECT ';' FROM CLIENT", true},
        {"SELECT NOM FROM CLIENT; DROP TABLE CLIENT", false},
        {"SELECT NOM FROM CLIENT; SELECT 1", false},
        {"SELECT NOM FROM CLIENT; garbage", false},
        {"", false},
        {" -- nothing\n", false},
    };
    for (const Case& c : cases) {
        QString error;
        auto ds = db->openQuery(QString::fromLatin1(c.sql), &error);
        EXPECT_EQ(bool(ds), c.ok) << c.sql << ": " << error.toStdString();
        EXPECT_EQ(db->execute(QString::fromLatin1(c.sql), &error), c.ok) << c.sql;
        if (!c.ok) {
            EXPECT_FALSE(error.isEmpty());
        }
    }
    QString error;
    EXPECT_FALSE(db->execute(QStringLiteral("SELECT 1; DROP TABLE CLIENT"), &error));
    EXPECT_EQ(error, QStringLiteral("Only one SQL statement may be executed at a time"));
    DbTableInfo info;
    EXPECT_TRUE(db->tableInfo(QStringLiteral("CLIENT"), &info, &error)) << "the table survived";
    auto bad = db->openQuery(QStringLiteral("SELECT NOPE FROM CLIENT"), &error);
    EXPECT_FALSE(bad);
    EXPECT_EQ(error, QStringLiteral("no such column: NOPE"));
}

TEST_F(SessionTest, KeysArePrimaryThenFirstUniqueThenNone)
{
    DbDatabase* db = Open(Path(QStringLiteral("demo.sqlite")));
    ASSERT_TRUE(db);
    struct Case {
        const char* table;
        QStringList keys;
    } cases[] = {
        {"CLIENT", {QStringLiteral("NUM")}},
        {"ligne", {QStringLiteral("POS"), QStringLiteral("CDE")}},
        {"CODE", {QStringLiteral("LIB")}},
        {"NOTE", {}},
    };
    for (const Case& c : cases) {
        DbTableInfo info;
        QString error;
        ASSERT_TRUE(db->tableInfo(QString::fromLatin1(c.table), &info, &error)) << error.toStdString();
        EXPECT_EQ(info.keyFields, c.keys) << c.table;
        auto ds = db->openTable(QString::fromLatin1(c.table), &error);
        ASSERT_TRUE(ds) << error.toStdString();
        EXPECT_EQ(ds->keyFields(), c.keys) << c.table;
    }
    DbTableInfo info;
    QString error;
    ASSERT_TRUE(db->tableInfo(QStringLiteral("CLIENT"), &info, &error));
    ASSERT_EQ(info.fields.size(), 3);
    EXPECT_EQ(info.fields[1].name, QStringLiteral("NOM"));
    EXPECT_EQ(int(info.fields[1].type), int(DbFieldType::String));
    EXPECT_EQ(info.fields[1].size, 30);
    EXPECT_EQ(info.fields[2].size, 255);
    EXPECT_FALSE(db->tableInfo(QStringLiteral("MISSING"), &info, &error));
    EXPECT_EQ(error, QStringLiteral("Table not found: MISSING"));
    EXPECT_FALSE(db->openTable(QStringLiteral("MISSING"), &error));
}

TEST_F(SessionTest, TableNamesHaveNoLimit)
{
    QString script;
    for (int i = 0; i < 500; ++i)
        script += QStringLiteral("CREATE TABLE T%1_A_RATHER_LONG_TABLE_NAME_TO_FILL_BUFFERS(x);").arg(i, 3, 10, QLatin1Char('0'));
    script += QStringLiteral("CREATE VIEW V AS SELECT 1; CREATE TABLE t(x INTEGER PRIMARY KEY AUTOINCREMENT);");
    dbtest::MakeDatabase(Path(QStringLiteral("many.sqlite")), script);
    DbDatabase* db = Open(Path(QStringLiteral("many.sqlite")));
    ASSERT_TRUE(db);
    QString error;
    const QStringList names = db->tableNames(&error);
    ASSERT_EQ(names.size(), 502) << error.toStdString(); // no sqlite_sequence
    EXPECT_EQ(names.first(), QStringLiteral("t"));
    EXPECT_EQ(names[1], QStringLiteral("T000_A_RATHER_LONG_TABLE_NAME_TO_FILL_BUFFERS"));
    EXPECT_EQ(names.last(), QStringLiteral("V"));
}

TEST_F(SessionTest, ViewsAreCreatedDroppedAndOpenedAsTables)
{
    DbDatabase* db = Open(Path(QStringLiteral("demo.sqlite")));
    ASSERT_TRUE(db);
    QString error;
    EXPECT_FALSE(db->dropView(QStringLiteral("MXV_1"), &error)); // none yet: the caller keeps the text
    EXPECT_TRUE(error.contains(QStringLiteral("no such view"))) << error.toStdString();
    ASSERT_TRUE(db->execute(QStringLiteral("CREATE VIEW MXV_1 AS SELECT NUM, NOM FROM CLIENT WHERE NUM > 1"), &error))
        << error.toStdString();
    auto ds = db->openTable(QStringLiteral("MXV_1"), &error);
    ASSERT_TRUE(ds) << error.toStdString();
    EXPECT_EQ(ds->recordCount(), 2);
    EXPECT_EQ(ds->text(1), QStringLiteral("Lefèvre"));
    EXPECT_EQ(db->tableNames(&error).count(QStringLiteral("MXV_1")), 1);
    EXPECT_TRUE(db->dropView(QStringLiteral("MXV_1"), &error)) << error.toStdString();
    for (const QString& bad : {QStringLiteral("V; DROP TABLE CLIENT"), QStringLiteral("a-b"), QStringLiteral(""),
                               QStringLiteral("\"V\"")}) {
        EXPECT_FALSE(db->dropView(bad, &error)) << bad.toStdString();
        EXPECT_TRUE(error.startsWith(QStringLiteral("Invalid view name"))) << error.toStdString();
    }
    DbTableInfo info;
    EXPECT_TRUE(db->tableInfo(QStringLiteral("CLIENT"), &info, &error));
}

} // namespace
