// Records read by the report runtime through a data channel, over a
// 100,000-row SQLite result: the whole exchange (semaphores, the record
// written and read back) with the answer on the server's thread, and with
// the hand-over to another thread that plays the user-interface thread.
//
//   bench_reportlink [--benchmark_filter=...]

#include "engine/bde/bdedriver.h"
#include "engine/driver/dataset.h"
#include "engine/reportlink/report.h"
#include "engine/reportlink/reportmanager.h"
#include "engine/reportlink/uidispatcher.h"

#include "platform/reportlink/dataclient.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace {

constexpr int kRows = 100000;

// Runs the call where it is asked for: no hand-over.
class InlineDispatcher : public mx::TUiDispatcher {
public:
    bool Call(const std::function<void()>& call, int) override
    {
        call();
        return true;
    }
    bool WaitLoop(int, int) override { return false; }
};

// A thread of its own plays the user-interface thread.
class ThreadDispatcher : public mx::TUiDispatcher {
public:
    ThreadDispatcher()
        : m_thread([this] {
              std::unique_lock lock(m_mutex);
              for (;;) {
                  m_changed.wait(lock, [this] { return m_stop || m_call; });
                  if (m_stop)
                      return;
                  (*m_call)();
                  m_call = nullptr;
                  m_changed.notify_all();
              }
          })
    {
    }
    ~ThreadDispatcher() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    bool Call(const std::function<void()>& call, int) override
    {
        std::unique_lock lock(m_mutex);
        m_call = &call;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_call; });
        return true;
    }
    bool WaitLoop(int, int) override { return false; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const std::function<void()>* m_call = nullptr;
    bool m_stop = false;
    std::thread m_thread;
};

struct Fixture {
    QTemporaryDir dir;
    QString db;
    mx::TMxBdeDriver* driver = nullptr;
    mx::TIMxDataset* dataset = nullptr;
    std::unique_ptr<mx::TReport> report;

    Fixture()
    {
        db = dir.filePath(QStringLiteral("bench.sqlite"));
        sqlite3* h = nullptr;
        sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(h,
            "CREATE TABLE VENTE(ID INTEGER, NOM VARCHAR(30), MONTANT MONEY, NE DATE, VILLE VARCHAR(20));"
            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000)"
            " INSERT INTO VENTE SELECT i, 'Client n° ' || i, i * 1.25, date('2000-01-01', '+' || (i % 9000) || ' days'),"
            " CASE i % 3 WHEN 0 THEN 'Lyon' WHEN 1 THEN 'Orléans' ELSE NULL END FROM c;",
            nullptr, nullptr, nullptr);
        sqlite3_close(h);
        driver = new mx::TMxBdeDriver(nullptr);
        dataset = driver->ExecuteQuery(QStringLiteral("SELECT * FROM VENTE"), QString(), QString(), QString(), db);
        dataset->Last(); // every row read once: the bench measures the exchange
        report = std::make_unique<mx::TReport>();
        report->OfferDataset(QStringLiteral("Ventes"), dataset);
        QString error;
        if (!mx::ReportManager()->StartServer(&error))
            qFatal("%s", qPrintable(error));
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void readAll(benchmark::State& state, mx::TUiDispatcher& dispatcher)
{
    fixture();
    mx::ScopedUiDispatcher scope(&dispatcher);
    QString error;
    auto client = platform::rs::DataClient::connect(getpid(), &error);
    for (auto _ : state) {
        auto channel = platform::rs::Channel::open(*client, 0, QStringLiteral("Ventes"), &error);
        int rows = 0;
        while (channel && !channel->atEnd()) {
            ++rows;
            if (!channel->next(&error))
                break;
        }
        if (rows != kRows)
            state.SkipWithError(qPrintable(error));
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_RecordsAnsweredOnTheServerThread(benchmark::State& state)
{
    InlineDispatcher d;
    readAll(state, d);
}
BENCHMARK(BM_RecordsAnsweredOnTheServerThread)->Unit(benchmark::kMillisecond);

void BM_RecordsHandedOverToTheUserInterfaceThread(benchmark::State& state)
{
    ThreadDispatcher d;
    readAll(state, d);
}
BENCHMARK(BM_RecordsHandedOverToTheUserInterfaceThread)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
