// PostgreSQL aliases against a real server: opening and logins, table
// metadata, datasets read in batches, views, table copies, the local
// engine's refusal of servers, lost connections and time-outs, and the SQL
// generation's injection table run on the server.

#include "tests/engine/bde/bdefixture.h"
#include "pgtestserver.h"

#include "engine/bde/bdesession.h"
#include "engine/core/exceptions.h"
#include "engine/driver/dataset.h"
#include "engine/driver/progresshook.h"

#include "platform/dbengine/dbprogress.h"
#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/pqlibrary.h"
#include "platform/dbengine/tablefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace bdetest;
using pgtest::AliasSection;
using pgtest::Psql;
using pgtest::TheServer;

namespace {

// A server on the loopback that accepts connections and never answers, for
// as long as the object lives. Port() is 0 when it could not be set up.
class SilentServer {
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (m_fd < 0) {
            ADD_FAILURE() << "socket";
            return;
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_fd, 4) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            ADD_FAILURE() << "cannot listen on the loopback";
            return;
        }
        m_port = ntohs(addr.sin_port);
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    quint16 Port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

// The tables every test of this program may read; made once.
void LoadFixture()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    Psql(QStringLiteral(R"(
        CREATE TABLE "CLIENT" ("ID" integer PRIMARY KEY, "NOM" varchar(30), "VILLE" varchar(20), "NE" date,
                               "SOLDE" numeric(10,2));
        INSERT INTO "CLIENT" VALUES (1, 'Dupont', 'Lyon', '1970-03-05', 120.5), (2, 'Müller', 'Genève', '1985-12-31', -3.25),
                                    (3, 'Martin', 'Lyon', NULL, NULL);
        CREATE TABLE "LIGNE" ("CMD" integer, "QTE" integer, "NUM" smallint, PRIMARY KEY ("NUM", "CMD"));
        CREATE TABLE "CODE" ("A" integer, "B" integer, "C" integer);
        CREATE INDEX "CODE_A" ON "CODE" ("A");
        CREATE UNIQUE INDEX "CODE_CB" ON "CODE" ("C", "B");
        CREATE UNIQUE INDEX "CODE_AU" ON "CODE" ("A");
        CREATE TABLE "NOTE" ("TXT" text);
        CREATE TABLE "TYPES" ("I2" smallint, "I4" integer, "I8" bigint, "B" boolean, "F4" real, "F8" double precision,
            "M" money, "N" numeric(12,3), "D" date, "T" time, "TS" timestamp, "TSZ" timestamptz, "C" char(4),
            "V" varchar(17), "X" text, "BY" bytea, "J" jsonb, "U" uuid);
        INSERT INTO "TYPES" VALUES (-2, 7, 9000000000, true, 1.5, 0.1, 12.34, 1234.567, '2024-03-05', '10:30:15.25',
            '2024-03-05 10:30:15', '2024-03-05 10:30:15+00', 'ab', 'été', 'x', '\x41ff', '{"a": 1}',
            'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11');
        CREATE VIEW "VILLES_LYON" AS SELECT "NOM" FROM "CLIENT" WHERE "VILLE" = 'Lyon';
        CREATE VIEW minuscule AS SELECT 1 AS un;
        CREATE TABLE "SERIE" ("N" integer PRIMARY KEY, "LIB" varchar(10));
        INSERT INTO "SERIE" SELECT n, 'L' || n FROM generate_series(1, 1000) n;
    )"));
}

class PgTest : public BdeTest {
protected:
    PgTest()
    {
        LoadFixture();
        WriteAliases(AliasSection(QStringLiteral("PG")) + AliasSection(QStringLiteral("PGNOLOGIN"), {}, false));
    }

    platform::DbDatabase* Open(const QString& alias = QStringLiteral("PG"), const QString& user = {},
        const QString& password = {})
    {
        QString error;
        platform::DbDatabase* db = mx::BdeSession().openDatabase(alias, user, password, &error);
        EXPECT_NE(db, nullptr) << error.toStdString();
        return db;
    }

    // Every message shown so far, joined, and forgets them.
    QString Shown() { return TakeMessages().join(u'\n'); }
};

QStringList rowsOf(platform::DbDataset& ds)
{
    QStringList rows;
    for (ds.first(); !ds.eof(); ds.next()) {
        QStringList cells;
        for (int i = 0; i < ds.fieldCount(); ++i)
            cells << ds.text(i);
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace

TEST_F(PgTest, AnAliasLogsInWithTheAliasOrTheDatabaseItemsLoginAndNeverShowsThePassword)
{
    const pgtest::Server& s = TheServer();
    EXPECT_EQ(Driver().GetDatabaseType(QStringLiteral("PG")), QStringLiteral("POSTGRESQL"));
    EXPECT_TRUE(Driver().DriverNameList().contains(QStringLiteral("POSTGRESQL")));
    EXPECT_TRUE(Driver().AliasNameList().contains(QStringLiteral("PGNOLOGIN")));

    // the login of the database item when the alias has none
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("PGNOLOGIN"), s.user, s.password));
    EXPECT_EQ(Driver().GetDatabaseUserName(QStringLiteral("PGNOLOGIN")), s.user);
    // a second open with other values returns the open one
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("PGNOLOGIN"), s.user, QStringLiteral("autre")));
    EXPECT_EQ(Shown(), QString());

    // a wrong password is refused, says so, and is never echoed; nothing is
    // kept, so the right one then opens
    const QString wrong = QStringLiteral("Faux-mot-2-passe");
    mx::ResetBdeSession();
    EXPECT_FALSE(Driver().OpenDatabase(QStringLiteral("PGNOLOGIN"), s.user, wrong));
    const QString shown = Shown();
    EXPECT_TRUE(shown.contains(u"password authentication failed")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"PGNOLOGIN")) << shown.toStdString();
    EXPECT_FALSE(shown.contains(wrong)) << shown.toStdString();
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("PGNOLOGIN"), s.user, s.password)) << Shown().toStdString();

    // DATABASE may be a libpq connection string, password included; one
    // that cannot be read is reported without libpq's text, which quotes it
    const QString conninfo = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 password='%5'")
                                 .arg(s.folder, s.port, s.database, s.user, s.password);
    WriteAliases(QStringLiteral("[CS]\nTYPE=POSTGRESQL\nDATABASE=%1\n[CSBAD]\nTYPE=POSTGRESQL\nDATABASE=%2\n"
                                "[CSWRONG]\nTYPE=POSTGRESQL\nDATABASE=%3\n")
                     .arg(conninfo, QStringLiteral("host=%1 password='Secret9 dbname").arg(s.folder),
                         QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 password=Secret9")
                             .arg(s.folder, s.port, s.database, s.user)));
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("CS"), {}, {})) << Shown().toStdString();
    EXPECT_EQ(Driver().TableNameList(QStringLiteral("CS")).contains(QStringLiteral("CLIENT")), true);
    for (const char* alias : {"CSBAD", "CSWRONG"}) {
        SCOPED_TRACE(alias);
        EXPECT_FALSE(Driver().OpenDatabase(QString::fromLatin1(alias), {}, {}));
        const QString text = Shown();
        EXPECT_TRUE(text.contains(QString::fromLatin1(alias))) << text.toStdString();
        EXPECT_FALSE(text.contains(u"Secret9")) << text.toStdString();
    }
    // an error of a statement does not carry it either
    mx::TIMxDataset* none = Driver().ExecuteQuery(QStringLiteral("SELECT '%1' FROM nulle_part").arg(s.password),
        QString(), QString(), QString(), QStringLiteral("PG"));
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(Shown().contains(s.password));
}

TEST_F(PgTest, AClientLibraryThatCannotBeLoadedFailsTheOpenAndLeavesOpenServersWorking)
{
    platform::DbDatabase* db = Open();
    ASSERT_NE(db, nullptr);
    platform::setPqLibraryFile("libpq-absent.so.5");
    // the server already open goes on with the library it loaded
    QString error;
    EXPECT_TRUE(db->openQuery(QStringLiteral("SELECT 1"), &error)) << error.toStdString();
    // a new open loads again, fails, and says why in the system's words
    mx::ResetBdeSession();
    EXPECT_FALSE(Driver().OpenDatabase(QStringLiteral("PG"), {}, {}));
    const QString shown = Shown();
    EXPECT_TRUE(shown.contains(u"Cannot connect to the database PG")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"libpq-absent.so.5: cannot open shared object file")) << shown.toStdString();
    // the library back, the same alias opens
    platform::setPqLibraryFile({});
    EXPECT_TRUE(Driver().OpenDatabase(QStringLiteral("PG"), {}, {})) << Shown().toStdString();
    EXPECT_TRUE(Driver().TableNameList(QStringLiteral("PG")).contains(QStringLiteral("CLIENT")));
}

TEST_F(PgTest, TableMetadataMapsTheServersTypesAndFindsTheKeys)
{
    platform::DbDatabase* db = Open();
    ASSERT_NE(db, nullptr);
    platform::DbTableInfo info;
    QString error;
    ASSERT_TRUE(db->tableInfo(QStringLiteral("TYPES"), &info, &error)) << error.toStdString();
    const struct {
        const char* name;
        platform::DbFieldType type;
        int size;
        const char* typeName;
    } expected[] = {
        {"I2", platform::DbFieldType::Smallint, 0, "NUMBER"},
        {"I4", platform::DbFieldType::Integer, 0, "NUMBER"},
        {"I8", platform::DbFieldType::Integer, 0, "NUMBER"},
        {"B", platform::DbFieldType::Boolean, 0, "LOGICAL"},
        {"F4", platform::DbFieldType::Float, 0, "NUMBER"},
        {"F8", platform::DbFieldType::Float, 0, "NUMBER"},
        {"M", platform::DbFieldType::Currency, 0, "MONEY"},
        {"N", platform::DbFieldType::BCD, 0, "BCD"},
        {"D", platform::DbFieldType::Date, 0, "DATE"},
        {"T", platform::DbFieldType::Time, 0, "TIME"},
        {"TS", platform::DbFieldType::DateTime, 0, "TIMESTAMP"},
        {"TSZ", platform::DbFieldType::DateTime, 0, "TIMESTAMP"},
        {"C", platform::DbFieldType::String, 4, "ALPHA"},
        {"V", platform::DbFieldType::String, 17, "ALPHA"},
        {"X", platform::DbFieldType::String, 255, "ALPHA"},
        {"BY", platform::DbFieldType::Blob, 0, "BLOB"},
        {"J", platform::DbFieldType::Memo, 0, "MEMO"},
        {"U", platform::DbFieldType::String, 36, "ALPHA"},
    };
    ASSERT_EQ(info.fields.size(), int(std::size(expected)));
    for (int i = 0; i < info.fields.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(info.fields[i].name, QString::fromLatin1(expected[i].name));
        EXPECT_EQ(info.fields[i].type, expected[i].type);
        EXPECT_EQ(info.fields[i].size, expected[i].size);
        EXPECT_EQ(platform::fieldTypeName(int(info.fields[i].type)), QString::fromLatin1(expected[i].typeName));
    }
    // a query's columns map the same way, with their values' text forms
    auto ds = db->openQuery(QStringLiteral("SELECT * FROM \"TYPES\""), &error);
    ASSERT_TRUE(ds) << error.toStdString();
    for (int i = 0; i < ds->fieldCount(); ++i) {
        EXPECT_EQ(ds->fields()[i].type, info.fields[i].type) << info.fields[i].name.toStdString();
        EXPECT_EQ(ds->fields()[i].size, info.fields[i].size) << info.fields[i].name.toStdString();
    }
    QStringList cells = rowsOf(*ds).value(0).split(u'|');
    ASSERT_EQ(cells.size(), 18);
    EXPECT_TRUE(cells[11].startsWith(u"05/03/2024 ")) << "the zone's time as the server gives it";
    cells[11] = QStringLiteral("*");
    EXPECT_EQ(cells.join(u'|'), QStringLiteral("-2|7|9000000000|True|1.5|0.1|12.34|1234.567|05/03/2024|10:30:15.250|"
                                               "05/03/2024 10:30:15|*|ab  |été|x|%1|{\"a\": 1}|"
                                               "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11")
                                    .arg(cells[15]));
    EXPECT_EQ(ds->value(15).toByteArray(), QByteArray("\x41\xff", 2));

    // keys: the primary key in its order, else the first unique index
    // created, else none; a view has none
    const struct {
        const char* table;
        QStringList keys;
    } keys[] = {
        {"LIGNE", {QStringLiteral("NUM"), QStringLiteral("CMD")}},
        {"CODE", {QStringLiteral("C"), QStringLiteral("B")}},
        {"NOTE", {}},
        {"VILLES_LYON", {}},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.table);
        Dataset t(Driver().GetTable(QStringLiteral("PG"), QString::fromLatin1(k.table)));
        ASSERT_TRUE(t) << Shown().toStdString();
        EXPECT_EQ(KeyNames(t.get()), k.keys);
    }
    // names: tables and views of the search path, no catalogue, sorted
    // without regard to case; a name is found as written, or as the server
    // folds an unquoted one
    const QStringList names = Driver().TableNameList(QStringLiteral("PG"));
    for (const char* name : {"CLIENT", "CODE", "minuscule", "SERIE", "TYPES", "VILLES_LYON"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(names.contains(QStringLiteral("pg_class")));
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(names, sorted);
    Dataset folded(Driver().GetTable(QStringLiteral("PG"), QStringLiteral("MINUSCULE")));
    ASSERT_TRUE(folded);
    EXPECT_EQ(FieldNames(folded.get()), QStringList{QStringLiteral("un")});
    EXPECT_EQ(Driver().GetTable(QStringLiteral("PG"), QStringLiteral("ABSENTE")), nullptr);
    EXPECT_TRUE(Shown().contains(u"Table not found: ABSENTE"));
}

TEST_F(PgTest, DatasetsReadTheirRowsInBatchesWithTheCursorsSemantics)
{
    platform::DbDatabase* db = Open();
    ASSERT_NE(db, nullptr);
    db->server()->setBatchRows(3);
    QString error;
    // 0, 1 and 7 rows, the last across batches of 3 after the first one
    const struct {
        int rows;
    } sizes[] = {{0}, {1}, {7}};
    for (const auto& c : sizes) {
        SCOPED_TRACE(c.rows);
        auto ds = db->openQuery(
            QStringLiteral("SELECT \"N\", \"LIB\" FROM \"SERIE\" WHERE \"N\" <= %1 ORDER BY \"N\"").arg(c.rows), &error);
        ASSERT_TRUE(ds) << error.toStdString();
        EXPECT_EQ(ds->rowsFetched(), c.rows ? 1 : 0) << "opening reads one row";
        EXPECT_TRUE(ds->bof());
        EXPECT_EQ(ds->eof(), c.rows == 0);
        EXPECT_EQ(ds->recNo(), c.rows ? 1 : 0);
        if (c.rows == 0) {
            ds->next();
            EXPECT_TRUE(ds->eof());
            EXPECT_EQ(ds->recordCount(), 0);
            continue;
        }
        int seen = 1;
        while (true) {
            ds->next();
            if (ds->eof())
                break;
            ++seen;
            EXPECT_EQ(ds->text(0), QString::number(seen));
        }
        EXPECT_EQ(seen, c.rows);
        EXPECT_EQ(ds->recNo(), c.rows) << "Next on the last record stays there";
        ds->prior();
        EXPECT_EQ(ds->recNo(), std::max(c.rows - 1, 1));
        EXPECT_EQ(ds->bof(), c.rows == 1);
        EXPECT_EQ(ds->moveBy(-100), -(std::max(c.rows - 1, 1) - 1));
        EXPECT_TRUE(ds->bof());
        ds->last();
        EXPECT_TRUE(ds->eof());
        EXPECT_EQ(ds->text(1), QStringLiteral("L%1").arg(c.rows));
        EXPECT_EQ(ds->recordCount(), c.rows);
        EXPECT_EQ(ds->fetchError(), QString());
    }
    // a large result stays on the server until it is read
    auto big = db->openQuery(QStringLiteral("SELECT n FROM generate_series(1, 100000) n"), &error);
    ASSERT_TRUE(big);
    big->setRecNo(5);
    EXPECT_EQ(big->rowsFetched(), 5);
    // two datasets read at once, each on its own connection
    auto other = db->openQuery(QStringLiteral("SELECT \"NOM\" FROM \"CLIENT\" ORDER BY \"ID\""), &error);
    ASSERT_TRUE(other);
    big->setRecNo(9);
    EXPECT_EQ(rowsOf(*other), (QStringList{QStringLiteral("Dupont"), QStringLiteral("Müller"), QStringLiteral("Martin")}));
    EXPECT_EQ(big->text(0), QStringLiteral("9"));
}

TEST_F(PgTest, OneStatementPerCallAndViewsWithTheirDrop)
{
    platform::DbDatabase* db = Open();
    ASSERT_NE(db, nullptr);
    QString error;
    EXPECT_FALSE(db->openQuery(QStringLiteral("SELECT 1; DROP TABLE \"NOTE\""), &error));
    EXPECT_EQ(error, QStringLiteral("Only one SQL statement may be executed at a time"));
    EXPECT_FALSE(db->execute(QStringLiteral("CREATE VIEW V1 AS SELECT 1; DROP TABLE \"NOTE\""), &error));
    EXPECT_FALSE(db->openQuery(QStringLiteral("UPDATE \"NOTE\" SET \"TXT\" = 'x'; DROP TABLE \"NOTE\""), &error));
    EXPECT_EQ(Psql(QStringLiteral("SELECT count(*) FROM \"NOTE\"")), QStringLiteral("0")) << "the table is still there";
    EXPECT_TRUE(db->openQuery(QStringLiteral("SELECT 1;"), &error)) << error.toStdString();

    // a step with a view: the old one is dropped (none is no error), the
    // new one made and opened as a table; made again, it is replaced
    const QString create = QStringLiteral("CREATE VIEW MXV_PG AS SELECT \"NOM\", \"VILLE\" FROM \"CLIENT\" WHERE \"VILLE\" = '%1'");
    for (const char* town : {"Lyon", "Genève"}) {
        SCOPED_TRACE(town);
        Dataset view(Driver().ExecuteQuery(create.arg(QString::fromUtf8(town)), QString(), QString(),
            QStringLiteral("MXV_PG"), QStringLiteral("PG")));
        ASSERT_TRUE(view) << Shown().toStdString();
        EXPECT_EQ(FieldNames(view.get()), (QStringList{QStringLiteral("NOM"), QStringLiteral("VILLE")}));
        EXPECT_EQ(RowsOf(view.get()).size(), QString::fromUtf8(town) == u"Lyon" ? 2 : 1);
    }
    EXPECT_EQ(Shown(), QString());
    // a failing view tells its error and the drop's
    Dataset bad(Driver().ExecuteQuery(QStringLiteral("CREATE VIEW MXV_BAD AS SELECT absente FROM \"CLIENT\""),
        QString(), QString(), QStringLiteral("MXV_BAD"), QStringLiteral("PG")));
    EXPECT_FALSE(bad);
    const QString shown = Shown();
    EXPECT_TRUE(shown.startsWith(u"Erreur lors de l'éxecution de la requête : Error : column \"absente\" does not exist\nDrop view error = "))
        << shown.toStdString();
    // the name is checked before anything reaches the server
    EXPECT_FALSE(Driver().ExecuteQuery(create.arg(u"Lyon"), QString(), QString(), QStringLiteral("V; DROP TABLE \"NOTE\""),
        QStringLiteral("PG")));
    Driver().DropView(QStringLiteral("PG"), QStringLiteral("MXV_PG"), QString(), QString());
    EXPECT_FALSE(Driver().TableNameList(QStringLiteral("PG")).contains(QStringLiteral("mxv_pg")));
    EXPECT_EQ(Psql(QStringLiteral("SELECT count(*) FROM \"NOTE\"")), QStringLiteral("0"));
}

TEST_F(PgTest, AStepsResultIsCopiedToTableFilesWholeAcrossBatches)
{
    platform::DbDatabase* db = Open();
    ASSERT_NE(db, nullptr);
    db->server()->setBatchRows(64);
    Dataset ds(Driver().ExecuteQuery(
        QStringLiteral("SELECT \"N\", \"LIB\", \"N\" * 0.5 AS \"MOITIE\", DATE '2024-01-01' + \"N\" AS \"JOUR\" FROM \"SERIE\" ORDER BY \"N\""),
        QString(), QString(), QString(), QStringLiteral("PG")));
    ASSERT_TRUE(ds) << Shown().toStdString();
    ds->MoveBy(3);
    for (const char* ext : {"DBF", "TXT", "DB"}) {
        SCOPED_TRACE(ext);
        const QString file = Path(QStringLiteral("COPIE.") + QString::fromLatin1(ext));
        ds->DumpTable(file);
        EXPECT_EQ(Shown(), QString());
        QString error;
        auto reader = platform::openTableFile(file, {}, &error);
        ASSERT_TRUE(reader) << error.toStdString();
        platform::DbMemoryRows rows;
        ASSERT_TRUE(platform::readAllRows(*reader, &rows, &error)) << error.toStdString();
        ASSERT_EQ(rows.rowCount(), 1000u);
        for (size_t i : {size_t(0), size_t(63), size_t(64), size_t(999)}) {
            EXPECT_EQ(rows.row(i)[0].toLongLong(), qint64(i + 1));
            EXPECT_EQ(rows.row(i)[1].toString(), QStringLiteral("L%1").arg(i + 1));
            EXPECT_DOUBLE_EQ(rows.row(i)[2].toDouble(), 0.5 * double(i + 1));
            EXPECT_EQ(rows.row(i)[3].toDate(), QDate(2024, 1, 1).addDays(qint64(i + 1)));
        }
    }
    EXPECT_EQ(ds->GetRecNo(), 4) << "the cursor does not move";
}

TEST_F(PgTest, TheLocalEngineJoinsNoServer)
{
    const QString sqlite = MakeDemo();
    WriteAliases(AliasSection(QStringLiteral("PG")) + QStringLiteral("[DEMO]\nTYPE=SQLITE\nPATH=%1\n").arg(sqlite));
    const struct {
        const char* database;
        const char* sql;
    } cases[] = {
        {"PG", "SELECT * FROM \"CLIENT\" C, \":DEMO:COMMANDE\" D WHERE C.\"ID\" = D.CLIENT"},
        {"PG", "SELECT * FROM \"/tmp/ailleurs/T.DBF\""},
        {"DEMO", "SELECT * FROM CLIENT C, \":PG:CLIENT\" D WHERE C.ID = D.\"ID\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_FALSE(Driver().ExecuteQuery(QString::fromUtf8(c.sql), QString(), QString(), QString(),
            QString::fromLatin1(c.database)));
        const QString shown = Shown();
        EXPECT_TRUE(shown.contains(u"PostgreSQL server")) << shown.toStdString();
        EXPECT_TRUE(shown.contains(u"the local engine joins only SQLite files and table files")) << shown.toStdString();
    }
}

TEST_F(PgTest, ALostConnectionIsToldOnceKeepsTheRowsReadAndTheNextOpenReconnects)
{
    platform::DbDatabase* db = Open();
    ASSERT_NE(db, nullptr);
    db->server()->setBatchRows(100);
    Dataset ds(Driver().ExecuteQuery(QStringLiteral("SELECT n FROM generate_series(1, 100000) n"), QString(),
        QString(), QString(), QStringLiteral("PG")));
    ASSERT_TRUE(ds) << Shown().toStdString();
    ds->MoveBy(150);
    EXPECT_EQ(ds->GetFieldValue(0), QStringLiteral("151"));
    // the server ends every connection of ours, as when it stops
    Psql(QStringLiteral("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE application_name = 'Morvelin'"));
    const int opened = db->server()->connectionsOpened();
    ds->Last();
    ds->Next();
    const QString shown = Shown();
    EXPECT_TRUE(shown.contains(u"terminat") || shown.contains(u"closed the connection") || shown.contains(u"lost"))
        << shown.toStdString();
    EXPECT_EQ(shown.count(u"TMxDataset"), 1) << "told once: " << shown.toStdString();
    EXPECT_EQ(ds->GetRecordCount(), 200) << "the rows read stay";
    EXPECT_EQ(ds->GetFieldValue(0), QStringLiteral("200"));
    ds->First();
    EXPECT_EQ(ds->GetFieldValue(0), QStringLiteral("1"));
    EXPECT_EQ(Shown(), QString());

    // the next open reconnects (the pooled connection died too)
    Dataset again(Driver().ExecuteQuery(QStringLiteral("SELECT count(*) FROM \"SERIE\""), QString(), QString(),
        QString(), QStringLiteral("PG")));
    ASSERT_TRUE(again) << Shown().toStdString();
    EXPECT_EQ(again->GetFieldValue(0), QStringLiteral("1000"));
    EXPECT_GT(db->server()->connectionsOpened(), opened);
    EXPECT_TRUE(Driver().GetTable(QStringLiteral("PG"), QStringLiteral("CLIENT")) != nullptr);
}

TEST_F(PgTest, NothingWaitsWithoutEnd)
{
    // a statement past the alias's time-out is ended by the server
    WriteAliases(AliasSection(QStringLiteral("PG"), QStringLiteral("QUERY TIMEOUT=1\n")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Driver().ExecuteQuery(QStringLiteral("SELECT pg_sleep(4)"), QString(), QString(), QString(),
        QStringLiteral("PG")));
    EXPECT_LT(clock.elapsed(), 3500);
    EXPECT_TRUE(Shown().contains(u"statement timeout"));

    // a server that stops answering in the middle of a result: the client
    // gives up past the time-out and a margin, and tells it
    {
        platform::DbDatabase* db = Open();
        ASSERT_NE(db, nullptr);
        db->server()->setBatchRows(100);
        QString error;
        auto ds = db->openQuery(QStringLiteral("SELECT n FROM generate_series(1, 100000) n"), &error);
        ASSERT_TRUE(ds) << error.toStdString();
        const QString pid = Psql(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE application_name = 'Morvelin' "
                                                "AND state = 'idle in transaction'"));
        ASSERT_FALSE(pid.isEmpty());
        ASSERT_EQ(::kill(pid_t(pid.toLongLong()), SIGSTOP), 0);
        clock.restart();
        ds->last();
        const qint64 waited = clock.elapsed();
        ::kill(pid_t(pid.toLongLong()), SIGCONT);
        EXPECT_LT(waited, 5000);
        EXPECT_TRUE(ds->fetchError().contains(u"did not answer")) << ds->fetchError().toStdString();
        EXPECT_EQ(ds->recordCount(), 100) << "the first batch stays";
        auto next = db->openQuery(QStringLiteral("SELECT 1"), &error);
        EXPECT_TRUE(next) << error.toStdString();
    }

    // a server that accepts the connection and never answers
    const SilentServer silent;
    ASSERT_NE(silent.Port(), 0);
    WriteAliases(QStringLiteral("[MUET]\nTYPE=POSTGRESQL\nHOST=127.0.0.1\nPORT=%1\nDATABASE=x\nUSERNAME=u\nPASSWORD=p\nTIMEOUT=1\n")
                     .arg(silent.Port()));
    clock.restart();
    EXPECT_FALSE(Driver().OpenDatabase(QStringLiteral("MUET"), QString(), QString()));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(Shown().contains(u"MUET"));
}

TEST_F(PgTest, TheProgressHookCancelsAStatementOnTheServerAndGivesUpAConnection)
{
    // No statement time-out: only the hook can end the statement.
    WriteAliases(AliasSection(QStringLiteral("PG"), QStringLiteral("QUERY TIMEOUT=0\n")));
    const QString cancelled = platform::dbCancelledMessage();
    int calls = 0;
    {
        // the hook says stop at its fourth call: the statement was under way
        mx::TDbProgressScope hook([&calls] { return ++calls > 3; });
        // the database fails the call as cancelled...
        platform::DbDatabase* db = Open();
        ASSERT_NE(db, nullptr);
        QString error;
        EXPECT_FALSE(db->openQuery(QStringLiteral("SELECT pg_sleep(60)"), &error));
        EXPECT_EQ(error, cancelled);
    }
    EXPECT_EQ(calls, 4) << "asked while the statement ran, and not again once it was cancelled";
    calls = 0;
    {
        mx::TDbProgressScope hook([&calls] { return ++calls > 3; });
        // ...and the driver tells nothing of it: the run that was stopped
        // tells its cancellation alone
        EXPECT_THROW(Driver().ExecuteQuery(QStringLiteral("SELECT pg_sleep(60)"), QString(), QString(), QString(),
                         QStringLiteral("PG")),
            mx::EAbort);
    }
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(Shown(), QString());
    // the server ended the statement itself (the connection was not just dropped)
    EXPECT_EQ(Psql(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE query LIKE 'FETCH%' "
                                  "AND state = 'active' AND application_name = 'Morvelin'")),
        QStringLiteral("0"));
    {
        platform::DbDatabase* db = Open();
        ASSERT_NE(db, nullptr);
        const int opened = db->server()->connectionsOpened();
        QString error;
        auto ds = db->openQuery(QStringLiteral("SELECT 41 + 1"), &error);
        ASSERT_TRUE(ds) << error.toStdString();
        EXPECT_EQ(ds->text(0), QStringLiteral("42"));
        EXPECT_EQ(db->server()->connectionsOpened(), opened) << "the cancelled statement's connection serves again";
    }

    // a server that accepts the connection and never answers, within a
    // long time-out: the hook gives the connection up
    const SilentServer silent;
    ASSERT_NE(silent.Port(), 0);
    WriteAliases(QStringLiteral("[MUET]\nTYPE=POSTGRESQL\nHOST=127.0.0.1\nPORT=%1\nDATABASE=x\nUSERNAME=u\nPASSWORD=p\nTIMEOUT=60\n")
                     .arg(silent.Port()));
    calls = 0;
    {
        mx::TDbProgressScope hook([&calls] { return ++calls > 3; });
        QString error;
        EXPECT_EQ(mx::BdeSession().openDatabase(QStringLiteral("MUET"), QString(), QString(), &error), nullptr);
        EXPECT_TRUE(error.contains(u"MUET") && error.contains(cancelled)) << error.toStdString();
    }
    EXPECT_EQ(calls, 4);
    calls = 0;
    {
        mx::TDbProgressScope hook([&calls] { return ++calls > 3; });
        EXPECT_THROW(Driver().OpenDatabase(QStringLiteral("MUET"), QString(), QString()), mx::EAbort);
    }
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(Shown(), QString());
}
