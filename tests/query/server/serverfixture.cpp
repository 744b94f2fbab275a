#include "serverfixture.h"

#include "engine/core/exceptions.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/query/query.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <thread>

namespace mxtest {
namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "server-test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
};

const bool kEnvironment = (::testing::AddGlobalTestEnvironment(new ApplicationEnvironment), true);

} // namespace

QList<QStringList> SqliteRows(const QString& sql)
{
    return SqliteRows(SampleFile(QStringLiteral("MORVELIN.DB")), sql);
}

QString StepSql(const QString& queryFile, int step)
{
    auto* query = new mx::TMxQuery(nullptr);
    QString sql;
    try {
        query->LoadFromFile(queryFile);
        query->Prepare(false);
        sql = query->Steps()->Items(step)->SQL()->Text();
    } catch (const std::exception& e) {
        ADD_FAILURE() << mx::ExceptionMessage(e).toStdString();
    }
    query->Free();
    return sql;
}

void WhileServing(const std::function<void()>& client)
{
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread thread([&] {
        client();
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    bool timedOut = false;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
        ADD_FAILURE() << "the client did not end within 30 s";
        timedOut = true;
        loop.quit();
    });
    timeout.start(30000);
    while (!done && !timedOut)
        loop.exec();
    thread.join();
}

bool SpinUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

ServerTest::ServerTest()
{
    const QString root = BinDir();
    mx::RootDirOverride.set([root] { return root; });
    auto* global = new mx::TMxQueryGlobal(nullptr);
    global->LoadGlobals();
    QDir(m_dir.path()).mkpath(QStringLiteral("out"));
    global->SetPrivateQueryPath(Path(QStringLiteral("out")));
    m_server = std::make_unique<mx::TfmOleDdeServer>();
}

ServerTest::~ServerTest()
{
    // The queries hand their results back to the driver first.
    m_server.reset();
    mx::ShutdownEngine();
    mx::RootDirOverride.clear();
}

QList<QStringList> ServerTest::Walk(const QString& name)
{
    QList<QStringList> rows;
    if (!m_server->FirstRecord(name))
        return rows;
    while (!m_server->IsEof(name) && rows.size() < 100000) {
        QString record = m_server->GetRecord(name);
        EXPECT_TRUE(record.endsWith(QLatin1String("\r\n"))) << record.toStdString();
        record.chop(2);
        rows << record.split(QLatin1String("\r\n"));
        m_server->NextRecord(name);
    }
    return rows;
}

} // namespace mxtest
