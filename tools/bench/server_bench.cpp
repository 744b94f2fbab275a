// Walking a 100,000-row result through the local server: over its socket
// (GETEOF, GETRECORD and NEXT, one request at a time and pipelined) and
// through the exported functions, beside SQLite reading the same rows of
// the same statement as text.
//
//   bench_server [--benchmark_filter=...]
//
// Built into the programs' folder, which is its installation folder; the
// sample's order lines are grown to 100,000 in a database of its own.

#include "query/mxi/morvelin_mxi.h"

#include "query/dde/ddeclient.h"
#include "query/server/ddelistener.h"
#include "query/server/serverglobal.h"

#include "engine/core/exceptions.h"
#include "engine/query/query.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <cstdio>
#include <thread>

namespace {

constexpr int kRows = 100000;
constexpr const char* kName = "BENCH";

struct Setup {
    QTemporaryDir dir;
    QString database;
    QString query;
    QString sql;
    std::unique_ptr<mx::TDdeListener> listener;
    int fields = 0;
};

Setup& setup()
{
    static Setup s;
    return s;
}

[[noreturn]] void fatal(const QString& text)
{
    std::fprintf(stderr, "bench_server: %s\n", text.toLocal8Bit().constData());
    std::exit(1);
}

void makeDatabase(const QString& file)
{
    QFile script(QStringLiteral(MORVELIN_SAMPLE_SCRIPT));
    if (!script.open(QIODevice::ReadOnly))
        fatal(QStringLiteral("cannot read ") + script.fileName());
    const QByteArray grow = QStringLiteral(
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < %1 - (SELECT COUNT(*) FROM LIGNES_COMMANDE))"
        " INSERT INTO LIGNES_COMMANDE SELECT 1 + I % 2000, 100 + I / 2000, printf('P%03d', 1 + (I * 7) % 30), 1 + (I * 13) % 24,"
        " CASE WHEN I % 6 = 0 THEN 0.05 ELSE NULL END FROM N;")
                                .arg(kRows)
                                .toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* error = nullptr;
    if (sqlite3_exec(db, (script.readAll() + "\n" + grow).constData(), nullptr, nullptr, &error) != SQLITE_OK)
        fatal(QString::fromUtf8(error));
    sqlite3_close(db);
}

void prepare()
{
    Setup& s = setup();
    const QDir dir(s.dir.path());
    dir.mkpath(QStringLiteral("settings"));
    dir.mkpath(QStringLiteral("out"));
    dir.mkpath(QStringLiteral("run"));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    s.database = dir.filePath(QStringLiteral("big.db"));
    makeDatabase(s.database);
    auto write = [](const QString& file, const QString& text) {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
            fatal(QStringLiteral("cannot write ") + file);
    };
    write(dir.filePath(QStringLiteral("settings/ALIASES.INI")), QStringLiteral("[MORVELIN]\nTYPE=SQLITE\nPATH=%1\n").arg(s.database));
    write(dir.filePath(QStringLiteral("settings/MORVELIN.INI")),
        QStringLiteral("[Options]\nPrivateQueryPath=%1/\n").arg(dir.filePath(QStringLiteral("out"))));
    qputenv("MORVELIN_WINDIR", QFile::encodeName(dir.filePath(QStringLiteral("settings"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath(QStringLiteral("run"))));

    // The order lines with their products, one row each.
    const QString bin = QCoreApplication::applicationDirPath();
    if (QProcess::execute(QStringLiteral(MKSAMPLE_PROGRAM), {QStringLiteral("--bench"), bin, dir.path()}) != 0)
        fatal(QStringLiteral("mksample --bench failed"));
    s.query = dir.filePath(QStringLiteral("BENCH_TXT.MQR"));

    // The library brings up the engine and the server here.
    if (mxiLoadQuery(kName, QFile::encodeName(s.query).constData(), nullptr, nullptr) != 1 || mxiRunQuery(kName) != 1)
        fatal(QStringLiteral("the query did not load and run"));
    s.fields = mxiFieldCount(kName);

    auto* q = new mx::TMxQuery(nullptr);
    try {
        q->LoadFromFile(s.query);
        q->Prepare(false);
        s.sql = q->Steps()->Items(0)->SQL()->Text();
    } catch (const std::exception& e) {
        fatal(mx::ExceptionMessage(e));
    }
    q->Free();

    s.listener = std::make_unique<mx::TDdeListener>(mx::DdeServer());
    if (!s.listener->Listen(QStringLiteral("bench")))
        fatal(s.listener->ErrorString());
}

void BM_Sqlite3(benchmark::State& state)
{
    Setup& s = setup();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(s.database).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray sql = s.sql.toUtf8();
    long rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                sqlite3_column_text(st, i);
                bytes += size_t(sqlite3_column_bytes(st, i));
            }
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_Sqlite3)->Unit(benchmark::kMillisecond);

void BM_ExportedFunctions(benchmark::State& state)
{
    const int fields = setup().fields;
    long rows = 0;
    char buffer[1024];
    for (auto _ : state) {
        size_t bytes = 0;
        mxiFirst(kName);
        while (!mxiEof(kName)) {
            for (int i = 0; i < fields; ++i) {
                mxiGetField(kName, i, buffer, sizeof buffer);
                bytes += std::strlen(buffer);
            }
            mxiNext(kName);
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
    }
    if (rows != long(state.iterations()) * kRows)
        state.SkipWithError("not every row was read");
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_ExportedFunctions)->Unit(benchmark::kMillisecond);

// Runs client on a thread of its own while this thread serves.
void serving(const std::function<void()>& client)
{
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread thread([&] {
        client();
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    while (!done)
        loop.exec();
    thread.join();
}

// One walk over the socket with window rows asked ahead; the rows read.
long walkSocket(mx::dde::TClient& client, int window)
{
    using namespace mx::dde;
    const QByteArray eof = QByteArrayLiteral("GETEOF(BENCH)");
    const QByteArray record = QByteArrayLiteral("GETRECORD(BENCH)\nNEXT(BENCH)");
    const QByteArray data = QByteArrayLiteral("Data");
    auto ask = [&] {
        client.Send(kOpExecute, eof);
        client.Send(kOpRequest, data);
        client.Send(kOpExecute, record);
        client.Send(kOpRequest, data);
    };
    if (!client.Execute(QStringLiteral("FIRST(BENCH)"), false))
        return -1;
    long rows = 0;
    int asked = 0;
    bool atEnd = false;
    for (; asked < window; ++asked)
        ask();
    while (asked > 0) {
        std::optional<TFrame> answers[4];
        for (auto& a : answers)
            if (!(a = client.Receive(30000)))
                return -1;
        --asked;
        if (atEnd)
            continue;
        if (answers[1]->payload.startsWith("TRUE")) {
            atEnd = true;
            continue;
        }
        ++rows;
        benchmark::DoNotOptimize(answers[3]->payload.size());
        ask();
        ++asked;
    }
    return rows;
}

void BM_Socket(benchmark::State& state)
{
    const int window = int(state.range(0));
    long rows = 0;
    bool failed = false;
    for (auto _ : state) {
        serving([&] {
            mx::dde::TClient client;
            if (!client.Connect(setup().listener->SocketPath())) {
                failed = true;
                return;
            }
            const long walked = walkSocket(client, window);
            failed = failed || walked != kRows;
            rows += walked;
        });
    }
    if (failed)
        state.SkipWithError("the walk over the socket failed");
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_Socket)->ArgName("window")->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setup().listener.reset();
    mxiCloseQuery(kName);
    return 0;
}
