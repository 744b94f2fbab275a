// Opening databases by alias and by path, the name lists, the login
// defaults and the registration of the built-in engine.

#include "bdefixture.h"

#include "engine/bde/bdedriver.h"
#include "engine/bde/bdesession.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/destfactories.h"
#include "engine/global/engineshutdown.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"
#include "engine/tools/stringbuffer.h"

#include "platform/dbengine/dbsession.h"

#include <QDir>
#include <QFileInfo>

using namespace mx;
using bdetest::BdeTest;

namespace {

class DatabaseTest : public BdeTest {
protected:
    void SetUp() override
    {
        m_demo = MakeDemo();
        MakeDatabase(Path(QStringLiteral("stock.sqlite")), QStringLiteral("CREATE TABLE ARTICLE (REF TEXT);"));
        QDir().mkpath(Path(QStringLiteral("tables")));
        WriteAliases(QStringLiteral("[Demo]\nTYPE=SQLITE\nPATH=../demo.sqlite\nUSERNAME=marie\nPASSWORD=s3cret\n\n"
                                    "[STOCK]\nPATH=%1\n\n"
                                    "[Tables]\nTYPE=STANDARD\nPATH=../tables\n\n"
                                    "[Gone]\nTYPE=SQLITE\nPATH=../gone.sqlite\n\n"
                                    "[Odd]\nTYPE=ORACLE\nPATH=../demo.sqlite\n")
                .arg(Path(QStringLiteral("stock.sqlite"))));
    }
    QString m_demo;
};

} // namespace

TEST_F(DatabaseTest, OpensByAliasOrByPathAndRefusesWithTheRealReason)
{
    const struct {
        const char* name;
        bool opens;
        const char* type;
        const char* reason; // in the error report when it does not open
    } cases[] = {
        {"Demo", true, "SQLITE", ""},
        {"DEMO", true, "SQLITE", ""},
        {"stock", true, "SQLITE", ""},
        {"Tables", true, "STANDARD", ""},
        {"Gone", false, "", "Database file not found: "},
        {"Odd", false, "", "unknown TYPE ORACLE"},
        {"Nobody", false, "", "Unknown database alias: Nobody"},
        {"", false, "", "No database name"},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(Driver().OpenDatabase(name, QString(), QString()), c.opens) << c.name;
        EXPECT_EQ(Driver().GetDatabaseType(name), QString::fromLatin1(c.type)) << c.name;
        const QStringList messages = TakeMessages();
        if (c.opens) {
            EXPECT_TRUE(messages.isEmpty()) << c.name << messages.join(u'\n').toStdString();
        } else {
            // OpenDatabase reports once; GetDatabaseType answers empty silently.
            ASSERT_EQ(messages.size(), 1) << c.name;
            EXPECT_TRUE(messages[0].contains(QStringLiteral("TMxDataset.OpenDatabase"))) << messages[0].toStdString();
            EXPECT_TRUE(messages[0].contains(QStringLiteral("EDBEngineError"))) << messages[0].toStdString();
            EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.reason))) << messages[0].toStdString();
        }
    }
    // By path: a SQLite file, a folder of table files.
    EXPECT_TRUE(Driver().OpenDatabase(m_demo, QString(), QString()));
    EXPECT_EQ(Driver().GetDatabaseType(m_demo), QStringLiteral("SQLITE"));
    EXPECT_EQ(Driver().GetDatabaseType(Path(QStringLiteral("tables/"))), QStringLiteral("STANDARD"));
    EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(DatabaseTest, AMissingDatabaseIsNeverCreatedNorKeptAsOpen)
{
    const QString missing = Path(QStringLiteral("missing.sqlite"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(Driver().OpenDatabase(missing, QStringLiteral("u"), QStringLiteral("p"))) << attempt;
        // Every attempt fails with the real reason, not with a later SQL error.
        const QStringList messages = TakeMessages();
        ASSERT_EQ(messages.size(), 1) << attempt;
        EXPECT_TRUE(messages[0].contains(QStringLiteral("Database not found: ") + missing)) << messages[0].toStdString();
        EXPECT_EQ(Driver().ExecuteQuery(QStringLiteral("SELECT 1"), QString(), QString(), QString(), missing), nullptr);
        ASSERT_EQ(TakeMessages().size(), 1);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("gone.sqlite"))));
    EXPECT_FALSE(Driver().OpenDatabase(QStringLiteral("Gone"), QString(), QString()));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("gone.sqlite"))));

    // Once the file is there, the next call opens it.
    MakeDatabase(missing, QStringLiteral("CREATE TABLE T (X INTEGER); INSERT INTO T VALUES (7);"));
    bdetest::Dataset ds(Driver().ExecuteQuery(QStringLiteral("SELECT X FROM T"), QString(), QString(), QString(), missing));
    ASSERT_TRUE(ds);
    EXPECT_EQ(RowsOf(ds.get()), QStringList{QStringLiteral("7")});
}

TEST_F(DatabaseTest, LoginValuesComeFromTheAliasAndTheFirstOpenStays)
{
    EXPECT_EQ(Driver().GetDatabaseUserName(QStringLiteral("demo")), QStringLiteral("marie"));
    EXPECT_EQ(Driver().GetDatabasePassword(QStringLiteral("demo")), QStringLiteral("s3cret"));
    // Open already: other login values give the open database unchanged.
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("Demo"), QStringLiteral("paul"), QStringLiteral("x")));
    EXPECT_EQ(Driver().GetDatabaseUserName(QStringLiteral("Demo")), QStringLiteral("marie"));

    // Opened first with login values: those are its parameters.
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("Stock"), QStringLiteral("paul"), QStringLiteral("pw")));
    EXPECT_EQ(Driver().GetDatabaseUserName(QStringLiteral("STOCK")), QStringLiteral("paul"));
    EXPECT_EQ(Driver().GetDatabasePassword(QStringLiteral("STOCK")), QStringLiteral("pw"));

    // A database that cannot be had: empty, and no report.
    EXPECT_EQ(Driver().GetDatabaseUserName(QStringLiteral("Gone")), QString());
    EXPECT_EQ(Driver().GetDatabasePassword(QStringLiteral("Nobody")), QString());
    EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(DatabaseTest, NameListsAreWholeAndTheBufferIsNeverOverrun)
{
    // Aliases sorted without regard to case, and the three engines.
    QByteArray buffer(4096, '\0');
    Driver().GetAliasNames(buffer.data(), int(buffer.size()));
    EXPECT_EQ(FromBuffer(buffer), (QStringList{QStringLiteral("Demo"), QStringLiteral("Gone"), QStringLiteral("Odd"),
                                      QStringLiteral("STOCK"), QStringLiteral("Tables")}));
    Driver().GetDriverNames(buffer.data(), int(buffer.size()));
    EXPECT_EQ(FromBuffer(buffer), (QStringList{QStringLiteral("STANDARD"), QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL")}));

    Driver().GetTableNames(QStringLiteral("Demo"), buffer.data(), int(buffer.size()));
    EXPECT_EQ(FromBuffer(buffer), (QStringList{QStringLiteral("CLIENT"), QStringLiteral("CODE"),
                                      QStringLiteral("COMMANDE"), QStringLiteral("LIGNE"), QStringLiteral("NOTE")}));

    // 500 tables and a view: all of them, whatever their number.
    QString script = QStringLiteral("BEGIN;\n");
    for (int i = 0; i < 500; ++i)
        script += QStringLiteral("CREATE TABLE TABLE_WITH_A_LONG_NAME_%1 (X INTEGER);\n").arg(i, 3, 10, QLatin1Char('0'));
    script += QStringLiteral("CREATE VIEW V_ALL AS SELECT X FROM TABLE_WITH_A_LONG_NAME_000;\nCOMMIT;");
    const QString big = Path(QStringLiteral("big.sqlite"));
    MakeDatabase(big, script);
    const QStringList all = Driver().TableNameList(big);
    ASSERT_EQ(all.size(), 501);
    EXPECT_EQ(all.first(), QStringLiteral("TABLE_WITH_A_LONG_NAME_000"));
    EXPECT_EQ(all.last(), QStringLiteral("V_ALL"));
    QByteArray whole(StringsBufSize(all), '\0');
    Driver().GetTableNames(big, whole.data(), int(whole.size()));
    EXPECT_EQ(FromBuffer(whole), all);
    EXPECT_TRUE(TakeMessages().isEmpty());

    // A block of 4096 bytes (what the table picker gives): whole lines that
    // fit, the count saying how many, the shortfall reported, and not one
    // byte written past the block.
    QByteArray guarded(4096 + 64, '\x5A');
    Driver().GetTableNames(big, guarded.data(), 4096);
    const QStringList part = FromBuffer(guarded.left(4096));
    EXPECT_GT(part.size(), 100);
    EXPECT_LT(part.size(), 501);
    EXPECT_EQ(part, all.mid(0, part.size()));
    EXPECT_EQ(guarded.mid(4096), QByteArray(64, '\x5A'));
    EXPECT_EQ(TakeMessages().size(), 1);

    // A folder: its table files with their extensions, any case; a text
    // file without its schema is no table.
    for (const char* f : {"CLIENT.DB", "orders.dbf", "LIST.TXT", "LIST.SCH", "notes.txt", "readme.md"})
        mxtest::WriteAll(Path(QStringLiteral("tables/")) + QString::fromLatin1(f), "x");
    EXPECT_EQ(Driver().TableNameList(QStringLiteral("Tables")),
        (QStringList{QStringLiteral("CLIENT.DB"), QStringLiteral("LIST.TXT"), QStringLiteral("orders.dbf")}));

    // A database that cannot be opened: its error in a box, and an empty list.
    Driver().GetTableNames(QStringLiteral("Gone"), buffer.data(), int(buffer.size()));
    EXPECT_EQ(FromBuffer(buffer), QStringList());
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Database file not found: "))) << messages[0].toStdString();
}

TEST_F(DatabaseTest, TheBuiltInEngineIsTheDefaultAndNamesItsFiles)
{
    SetCommandLineArguments({});
    ResetStartParams();
    for (const char* name : {"MX32BDE", "mx32bde", "MXDBBDE"})
        EXPECT_TRUE(TMxBdeDriver::AcceptsEngine(QString::fromLatin1(name))) << name;
    for (const char* name : {"BDE", "MX32BDE.DLL", "MX32ORA", ""})
        EXPECT_FALSE(TMxBdeDriver::AcceptsEngine(QString::fromLatin1(name))) << name;

    EXPECT_EQ(GetEngineName(), QStringLiteral("MX32BDE"));
    EXPECT_EQ(FindEngineDriverClass(), &TMxBdeDriver::staticClass());
    EXPECT_EQ(GetEngineDatasourceFileName(), QStringLiteral("BDEDRIV.MXF"));
    EXPECT_EQ(GetEngineDestFileName(), QStringLiteral("BDEDST32.MXF"));
    InitDbEngine();
    ASSERT_NE(DbEngine(), nullptr);
    EXPECT_EQ(DbEngine()->className(), QStringLiteral("TMxBdeDriver"));
    EXPECT_EQ(DbEngine()->GetDescription(), QStringLiteral("Borland Database Engine Driver"));
    EXPECT_EQ(DbEngine()->GetVersion(), QStringLiteral("0.99b"));
    EXPECT_TRUE(HasDestDriverFactory(QStringLiteral("mx32bde")));
    ShutdownEngine();
    ClearCommandLineArguments();
    ResetStartParams();
}
