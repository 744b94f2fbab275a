// The default report of a result printed to PDF, beside the same rows
// written to the text destination, in the same run over the same result:
// pages per second, the time of the PDF against the text file, how much
// memory the PDF takes as the page count grows (it should not grow: pages
// are laid out into a temporary file and drawn one at a time), and the
// cost of a page as the result grows from 100,000 to 1,000,000 rows (it
// should not grow either: the time is linear in the rows).
//
//   bench_report [--benchmark_filter=...]
//
// The results: 100,000 and 1,000,000 order lines (number, line, product,
// price, quantity, discount) from SQLite files made here, each read once
// by the built-in driver and kept whole, as a step's result is once the
// grid has reached its end; both outputs read the rows it keeps.

#include "engine/bde/bdedriver.h"
#include "engine/driver/dataset.h"
#include "report/defaultreport.h"
#include "report/painterrender.h"
#include "report/paginator.h"
#include "report/reportparts.h"
#include "report/rowsource.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace mx;

constexpr int kRows = 100000;
constexpr int kLargeRows = 1000000;

struct Fixture {
    QTemporaryDir dir;
    TMxBdeDriver driver;
    TIMxDataset* dataset = nullptr;

    explicit Fixture(int rows)
    {
        const QString db = dir.filePath(QStringLiteral("lignes.sqlite"));
        sqlite3* h = nullptr;
        sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        const std::string script =
            "CREATE TABLE LIGNES(NUM_COMMANDE INTEGER, NUM_LIGNE INTEGER, LIBELLE VARCHAR(40), PRIX_UNITAIRE NUMERIC(10,2),"
            " QUANTITE INTEGER, REMISE NUMERIC(4,2));"
            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < "
            + std::to_string(rows)
            + ") INSERT INTO LIGNES SELECT 100 + i / 4, 1 + i % 4, 'Produit n° ' || (1 + i * 7 % 30), 1.5 + i % 97,"
              " 1 + i * 13 % 24, CASE WHEN i % 6 = 0 THEN 0.05 END FROM c;";
        sqlite3_exec(h, script.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(h);
        dataset = driver.ExecuteQuery(QStringLiteral("SELECT * FROM LIGNES"), {}, {}, {}, db);
        if (!dataset)
            qFatal("no result");
    }
    // Every row read once and kept by the dataset, as once the grid has
    // met the end; without it the report reads the rows, as a run does.
    void ReadAll()
    {
        dataset->Last();
        dataset->First();
    }
};

// One result at a time (the former is freed before the next is read, as
// a new run frees the former result); fresh: one whose rows are not read.
Fixture& fixture(int rows = kRows, bool fresh = false)
{
    static std::unique_ptr<Fixture> f;
    static int held = 0;
    if (held != rows || fresh) {
        f.reset();
        f = std::make_unique<Fixture>(rows);
        held = rows;
        if (!fresh)
            f->ReadAll();
    }
    return *f;
}

// The processor time of the process, in seconds: the machine may be
// shared, and the work is on one thread.
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Resident memory now, and the peak since the last reset, in MB.
double statusMb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(std::string(key).size())) / 1024.0;
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::map<std::string, double> g_seconds; // best time of each benchmark
std::map<std::string, int> g_pages;       // and its page count

void record(const std::string& name, double seconds)
{
    auto it = g_seconds.find(name);
    if (it == g_seconds.end() || seconds < it->second)
        g_seconds[name] = seconds;
}

void BM_TextDestination(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString file = f.dir.filePath(QStringLiteral("LIGNES.TXT"));
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        f.dataset->DumpTable(file);
        record("text", t.nsecsElapsed() / 1e9);
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_TextDestination)->Unit(benchmark::kMillisecond)->Iterations(3);

// The default report over the first rows records of the result.
class TFirstRows : public rpt::TReportRows {
public:
    TFirstRows(TIMxDataset& d, int rows) : m_rows(d), m_limit(rows) {}
    int FieldCount() override { return m_rows.FieldCount(); }
    QString FieldName(int i) override { return m_rows.FieldName(i); }
    bool First() override
    {
        m_n = 1;
        return m_rows.First();
    }
    bool Next() override { return ++m_n <= m_limit && m_rows.Next(); }
    QString Value(int i) override { return m_rows.Value(i); }

private:
    rpt::TDatasetRows m_rows;
    int m_limit;
    int m_n = 0;
};

// The default report over the first rows records of a result of
// resultRows rows; asARun: the rows are read as the pages are laid out.
void runReport(benchmark::State& state, int resultRows, int rows, bool asARun)
{
    int pages = 0;
    double growth = 0;
    double cpu = 0;
    QString file;
    for (auto _ : state) {
        Fixture& f = fixture(resultRows, asARun);
        rpt::TQuickRep report;
        rpt::BuildDefaultReport(report, 1, rpt::ResultColumns(*f.dataset));
        file = f.dir.filePath(QStringLiteral("LIGNES.PDF"));
        const double before = statusMb("VmRSS:");
        resetPeak();
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuSeconds();
        TFirstRows source(*f.dataset, rows);
        std::unique_ptr<rpt::TReportDocument> doc = rpt::Paginate(report, &source);
        rpt::WritePdf(*doc, file);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        cpu = cpuSeconds() - cpu0;
        pages = doc->PageCount();
        growth = statusMb("VmHWM:") - before;
        const std::string key = (asARun ? "run" : "pdf") + std::to_string(resultRows) + "/" + std::to_string(rows);
        record(key, seconds);
        record("cpu-" + key, cpu);
        g_pages[key] = pages;
        state.SetIterationTime(seconds);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["cpu_ms_per_page"] = pages ? cpu * 1000 / pages : 0;
    state.counters["peak_growth_MB"] = growth;
    state.counters["rss_MB"] = statusMb("VmRSS:");
    state.counters["pdf_MB"] = double(QFile(file).size()) / 1048576.0;
}

// A part of the 100,000 rows, then all of them, over a result read to its
// end beforehand.
void BM_DefaultReportToPdf(benchmark::State& state)
{
    runReport(state, kRows, int(state.range(0)), false);
}
BENCHMARK(BM_DefaultReportToPdf)->Arg(kRows / 4)->Arg(kRows)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

// The report of a step's whole result as a run prints it (the rows read
// as the pages are laid out): 100,000 rows, then a million.
void BM_StepReportToPdf(benchmark::State& state)
{
    runReport(state, int(state.range(0)), int(state.range(0)), true);
}
BENCHMARK(BM_StepReportToPdf)->Arg(kRows)->Arg(kLargeRows)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

std::string key(const char* kind, int rows)
{
    return kind + std::to_string(rows) + "/" + std::to_string(rows);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    rpt::RegisterReportClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto text = g_seconds.find("text");
    const auto pdf = g_seconds.find(key("pdf", kRows));
    if (text != g_seconds.end() && pdf != g_seconds.end())
        std::printf("%d rows: text file %.3f s, default report to PDF %.3f s, ratio %.1f\n", kRows, text->second,
            pdf->second, pdf->second / text->second);
    for (const std::string& k : {key("pdf", kRows), key("run", kRows), key("run", kLargeRows)}) {
        const auto wall = g_seconds.find(k);
        const auto cpu = g_seconds.find("cpu-" + k);
        if (wall == g_seconds.end() || cpu == g_seconds.end())
            continue;
        const int pages = g_pages[k];
        std::printf("%s: %d pages, %.3f s (%.3f s of processor), %.0f pages per second (%.0f by the processor time), "
                    "%.2f ms a page (%.2f)\n",
            k.c_str(), pages, wall->second, cpu->second, pages / wall->second, pages / cpu->second,
            wall->second * 1000 / pages, cpu->second * 1000 / pages);
    }
    const auto a = g_seconds.find("cpu-" + key("run", kRows));
    const auto b = g_seconds.find("cpu-" + key("run", kLargeRows));
    if (a != g_seconds.end() && b != g_seconds.end())
        std::printf("the step report of %d rows takes %.1f times the processor time of %d rows (linear: 10)\n", kLargeRows,
            b->second / a->second, kRows);
    return 0;
}
