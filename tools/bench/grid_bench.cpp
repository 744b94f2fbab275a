// The result grid over a large result: the time to show the first screen
// of rows, the time to jump to the last row, and the memory the process
// holds, beside the dataset read to its end on its own and SQLite stepping
// through the same rows. Run by grid_bench.sh, one measure per process so
// that each peak is its own:
//
//   bench_grid grid DATABASE SQLFILE      first screen, jump to the end
//   bench_grid dataset DATABASE SQLFILE   the dataset read to its end alone
//   bench_grid sqlite DATABASE SQLFILE    sqlite3_step over every row
//
// Each prints "key value" lines: times in milliseconds, memory in KiB (the
// resident size above the process's size before the query, and the peak).

#include "engine/bde/bdedriver.h"
#include "engine/bde/bdesession.h"
#include "engine/driver/dataset.h"

#include "ui/controls/mxgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace {

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void print(const char* key, double value)
{
    std::printf("%s %.2f\n", key, value);
}

int sqliteStep(const QString& db, const QString& sql)
{
    const long base = residentKiB();
    QElapsedTimer t;
    t.start();
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
        return 1;
    qint64 rows = 0, bytes = 0;
    const int cols = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < cols; ++c)
            bytes += sqlite3_column_bytes(stmt, c) + (sqlite3_column_text(stmt, c) ? 1 : 0);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(h);
    print("rows", double(rows));
    print("read_all_ms", double(t.nsecsElapsed()) / 1e6);
    print("resident_above_base_kib", double(residentKiB() - base));
    print("peak_kib", double(peakKiB()));
    return bytes >= 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: bench_grid grid|dataset|sqlite DATABASE SQLFILE\n");
        return 2;
    }
    const QString mode = args[1];
    const QString db = args[2];
    QFile sqlFile(args[3]);
    if (!sqlFile.open(QIODevice::ReadOnly))
        return 2;
    const QString sql = QString::fromUtf8(sqlFile.readAll()).trimmed();
    if (mode == u"sqlite")
        return sqliteStep(db, sql);

    auto* driver = new mx::TMxBdeDriver(nullptr);
    mx::ui::TMxGrid grid;
    grid.resize(1000, 700);
    grid.SetShowHeaders(true);
    grid.show();
    QCoreApplication::processEvents();
    const long base = residentKiB();

    QElapsedTimer t;
    t.start();
    mx::TIMxDataset* ds = driver->ExecuteQuery(sql, {}, {}, {}, db);
    if (!ds) {
        std::fprintf(stderr, "the query failed\n");
        return 1;
    }
    if (mode == u"dataset") {
        ds->Last();
        const double readAll = double(t.nsecsElapsed()) / 1e6;
        const long held = residentKiB() - base;
        print("rows", ds->GetRecNo());
        print("read_all_ms", readAll);
        print("resident_above_base_kib", double(held));
        print("bytes_per_row", ds->GetRecNo() > 0 ? double(held) * 1024 / ds->GetRecNo() : 0);
        print("peak_kib", double(peakKiB()));
        driver->FreeDataset(ds);
        driver->Free();
        return 0;
    }

    // One column per field of the result; the texts straight from it.
    static mx::TMxItem columnItem(nullptr);
    for (int i = 0; i < ds->GetFieldCount(); ++i)
        grid.Columns << &columnItem;
    grid.OnGetInfo = [ds](mx::ui::TMxGrid& g, int col, mx::ui::TMxGridDrawInfoKind kind) {
        switch (kind) {
        case mx::ui::dikWidth:
            g.InfoWidth = 120;
            break;
        case mx::ui::dikColors:
            break;
        case mx::ui::dikHeader:
            g.InfoText = ds->GetFieldName(col);
            break;
        case mx::ui::dikText:
            g.InfoText = ds->GetFieldValue(col);
            break;
        }
    };
    grid.SetDataSet(ds);
    grid.viewport()->repaint();
    const double first = double(t.nsecsElapsed()) / 1e6;
    const long afterFirst = residentKiB();

    t.restart();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(&grid, &end);
    grid.viewport()->repaint();
    const double last = double(t.nsecsElapsed()) / 1e6;

    print("rows", grid.RecordCount());
    print("visible_rows", grid.VisibleRowCount());
    print("first_screen_ms", first);
    print("resident_after_first_screen_kib", double(afterFirst - base));
    print("jump_to_last_ms", last);
    print("resident_above_base_kib", double(residentKiB() - base));
    print("peak_kib", double(peakKiB()));
    grid.SetDataSet(nullptr);
    driver->FreeDataset(ds);
    driver->Free();
    mx::ResetBdeSession();
    return 0;
}
