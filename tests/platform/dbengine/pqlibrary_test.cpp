// PostgreSQL's client library is loaded by the first server database
// opened: one that cannot be loaded fails that open with the loader's
// reason, and leaves SQLite files and table folders working.

#include "dbtestutil.h"

#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/pqlibrary.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>

#include <dlfcn.h>

using namespace platform;

namespace {

class PqLibraryTest : public dbtest::DbTest {
protected:
    void SetUp() override
    {
        dbtest::MakeDatabase(Path(QStringLiteral("demo.sqlite")),
                             QStringLiteral("CREATE TABLE t(x); INSERT INTO t VALUES (1);"));
        QDir().mkpath(Path(QStringLiteral("files")));
        // A server whose socket folder holds no socket: once libpq is
        // there, connecting fails at once.
        QFile f(Path(QStringLiteral("ALIASES.INI")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Server]\r\nTYPE=POSTGRESQL\r\nHOST=%1\r\nPORT=5999\r\nDATABASE=ventes\r\n"
                               "[Demo]\r\nTYPE=SQLITE\r\nPATH=demo.sqlite\r\n"
                               "[Files]\r\nTYPE=STANDARD\r\nPATH=files\r\n")
                    .arg(m_dir.path())
                    .toUtf8());
        f.close();
        m_session.setAliasFolders(m_dir.path(), {});
    }
    void TearDown() override { setPqLibraryFile({}); }
    DbSession m_session;
};

// The file of the SQLite library this program links: a library that is
// there but holds none of libpq's functions.
QByteArray sqliteLibraryFile()
{
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info) || !info.dli_fname)
        return {};
    return QByteArray(info.dli_fname);
}

TEST_F(PqLibraryTest, ALibraryThatCannotBeLoadedFailsServerOpensOnlyWithTheLoadersReason)
{
    const QByteArray sqlite = sqliteLibraryFile();
    ASSERT_FALSE(sqlite.isEmpty());
    const struct {
        QByteArray file;
        QString reason;
    } cases[] = {
        {"libpq-absent.so.5", QStringLiteral("libpq-absent.so.5: cannot open shared object file")},
        {sqlite, QStringLiteral("undefined symbol: PQ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        setPqLibraryFile(c.file);
        // every attempt fails the same way, and nothing is kept
        for (int attempt = 0; attempt < 2; ++attempt) {
            QString error;
            EXPECT_FALSE(m_session.openDatabase(QStringLiteral("server"), {}, {}, &error));
            EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot connect to the database Server: PostgreSQL's client "
                                                        "library %1 cannot be loaded (")
                                             .arg(QString::fromLocal8Bit(c.file))))
                << error.toStdString();
            EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
            EXPECT_FALSE(m_session.findDatabase(QStringLiteral("server")));
        }
        // SQLite files and table folders need no libpq
        QString error;
        DbDatabase* demo = m_session.openDatabase(QStringLiteral("demo"), {}, {}, &error);
        ASSERT_TRUE(demo) << error.toStdString();
        auto rows = demo->openQuery(QStringLiteral("SELECT x FROM t"), &error);
        ASSERT_TRUE(rows) << error.toStdString();
        EXPECT_EQ(rows->recordCount(), 1);
        EXPECT_TRUE(m_session.openDatabase(QStringLiteral("files"), {}, {}, &error)) << error.toStdString();
        EXPECT_TRUE(m_session.openDatabase(Path(QStringLiteral("demo.sqlite")), {}, {}, &error))
            << error.toStdString();
    }

    // The library back, the open gets as far as the server (absent here).
    setPqLibraryFile({});
    QString error;
    EXPECT_FALSE(m_session.openDatabase(QStringLiteral("server"), {}, {}, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot connect to the database Server: "))) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("cannot be loaded"))) << error.toStdString();
    EXPECT_TRUE(error.contains(m_dir.path())) << "libpq names the socket it tried: " << error.toStdString();
}

} // namespace
