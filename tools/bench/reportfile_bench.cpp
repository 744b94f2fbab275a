// The runtime's report file reader over files of many keys: a file of n
// variables and n captions read, and n / 10 initial values set, for n from
// 1,000 to 100,000. The time per key stays flat as n grows (the reader
// walks the file once); a reader that compares every key with those before
// it shows as a time per key growing with n.
//
//   bench_reportfile [--benchmark_filter=...]

#include "runtime/reportfile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QString WriteReport(const QTemporaryDir& dir, int n)
{
    QByteArray text = "[Report]\nTitle=Total {V0}\nOutput=pdf\nFile=" + QFile::encodeName(dir.filePath("r.pdf"))
        + "\n[Captions]\n";
    for (int i = 0; i < n; ++i)
        text += "F" + QByteArray::number(i) + "=Colonne " + QByteArray::number(i) + "\n";
    text += "[Variables]\n";
    for (int i = 0; i < n; ++i)
        text += "V" + QByteArray::number(i) + "=d" + QByteArray::number(i) + "\n";
    const QString file = dir.filePath(QStringLiteral("R%1.rpt").arg(n));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return {};
    return file;
}

void BM_ReadReportFile(benchmark::State& state)
{
    const int n = int(state.range(0));
    QTemporaryDir dir;
    const QString file = WriteReport(dir, n);
    QList<QPair<QString, QString>> values;
    for (int i = 0; i < n; i += 10)
        values.append({QStringLiteral("v%1").arg(i), QStringLiteral("x")});
    for (auto _ : state) {
        morvrs::ReportFile report;
        QString error;
        QString unknown;
        if (!report.load(file, &error) || !report.setVariables(values, &unknown)) {
            state.SkipWithError("the report file was not read");
            break;
        }
        benchmark::DoNotOptimize(report.caption(QStringLiteral("F%1").arg(n - 1)));
    }
    state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_ReadReportFile)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
