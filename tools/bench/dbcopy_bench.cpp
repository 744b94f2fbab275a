// Table copies of a one-million-row SQLite result into each table format,
// beside SQLite's own shell writing the same rows as CSV, and the time to
// open a dataset by the size of its result (it should not depend on it).
//
//   bench_dbcopy [--benchmark_filter=...]
// Needs the sqlite3 program on the PATH for the CSV reference.

#include "platform/dbengine/dbsession.h"
#include "platform/dbengine/tablefile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace {

constexpr int kRows = 1000000;
const char* kQuery = "SELECT ID, NOM, MONTANT, NE, VILLE FROM VENTE";

struct Fixture {
    QTemporaryDir dir;
    QString db;
    platform::DbSession session;
    platform::DbDatabase* database = nullptr;

    Fixture()
    {
        db = dir.filePath(QStringLiteral("bench.sqlite"));
        sqlite3* h = nullptr;
        sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(h,
                     "CREATE TABLE VENTE(ID INTEGER, NOM VARCHAR(30), MONTANT MONEY, NE DATE, VILLE VARCHAR(20));"
                     "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 1000000)"
                     " INSERT INTO VENTE SELECT i, 'Client n° ' || i, i * 1.25, date('2000-01-01', '+' || (i % 9000) || ' days'),"
                     " CASE i % 3 WHEN 0 THEN 'Lyon' WHEN 1 THEN 'Orléans' ELSE NULL END FROM c;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(h);
        QString error;
        database = session.openDatabase(db, {}, {}, &error);
        if (!database)
            qFatal("%s", qPrintable(error));
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_OpenDataset(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString sql = QStringLiteral("SELECT ID, NOM, MONTANT, NE, VILLE FROM VENTE WHERE ID <= %1").arg(state.range(0));
    for (auto _ : state) {
        QString error;
        auto ds = f.database->openQuery(sql, &error);
        benchmark::DoNotOptimize(ds.get());
    }
}
BENCHMARK(BM_OpenDataset)->Arg(1000)->Arg(kRows)->Unit(benchmark::kMicrosecond);

void BM_CopyTable(benchmark::State& state, const char* name)
{
    Fixture& f = fixture();
    const QString file = f.dir.filePath(QString::fromLatin1(name));
    for (auto _ : state) {
        QString error;
        auto ds = f.database->openQuery(QString::fromLatin1(kQuery), &error);
        if (!ds || !ds->copyTo(file, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK_CAPTURE(BM_CopyTable, paradox, "COPY.DB")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_CopyTable, dbase, "COPY.DBF")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_CopyTable, text, "COPY.TXT")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Sqlite3ShellCsv(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString out = f.dir.filePath(QStringLiteral("COPY.CSV"));
    for (auto _ : state) {
        QProcess p;
        p.setStandardOutputFile(out);
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), f.db, QString::fromLatin1(kQuery)});
        if (!p.waitForFinished(600000) || p.exitCode() != 0)
            state.SkipWithError("sqlite3 did not run");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Sqlite3ShellCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
