// The progress-and-cancel hook as SQLite calls it: asked while a statement
// runs, which stops when told to, and never called from another thread,
// where a statement stops on the hook's last answer instead.

#include "dbtestutil.h"

#include "platform/dbengine/dbprogress.h"
#include "platform/dbengine/sqliteconnection.h"

#include <thread>

using namespace platform;

namespace {

// Counts to limit through SQLite's virtual machine.
QString counting(qint64 limit)
{
    return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                          "SELECT count(*) FROM c")
        .arg(limit);
}

struct HookReset {
    ~HookReset() { SetDbProgressHook({}); }
};

TEST(ProgressHookTest, AStatementAsksTheHookStopsWhenToldAndOtherThreadsTakeTheLastAnswer)
{
    HookReset reset;
    QString error;
    auto conn = SqliteConnection::openScratch(&error);
    ASSERT_TRUE(conn) << error.toStdString();

    // a hook that lets the statement go is asked and changes nothing
    int calls = 0;
    bool stop = false;
    const std::thread::id installer = std::this_thread::get_id();
    bool calledElsewhere = false;
    SetDbProgressHook([&] {
        calledElsewhere = calledElsewhere || std::this_thread::get_id() != installer;
        ++calls;
        return stop;
    });
    EXPECT_EQ(conn->scalar(counting(200000), &error), QVariant(qint64(200000))) << error.toStdString();
    EXPECT_GT(calls, 0);

    // told to stop, a statement that would run for minutes fails as cancelled
    stop = true;
    calls = 0;
    EXPECT_FALSE(conn->execute(counting(4000000000LL), &error));
    EXPECT_EQ(error, dbCancelledMessage());
    EXPECT_EQ(calls, 1);

    // a statement in another thread (rows read ahead) never calls the hook
    // and stops on its last answer
    QString otherError;
    bool otherOk = true;
    std::thread other([&] {
        QString e;
        auto c = SqliteConnection::openScratch(&e);
        otherOk = c && c->execute(counting(4000000000LL), &otherError);
    });
    other.join();
    EXPECT_FALSE(otherOk);
    EXPECT_EQ(otherError, dbCancelledMessage());
    EXPECT_FALSE(calledElsewhere);
    EXPECT_EQ(calls, 1);

    // without a hook nothing stops
    SetDbProgressHook({});
    EXPECT_EQ(conn->scalar(counting(100000), &error), QVariant(qint64(100000))) << error.toStdString();
}

} // namespace
