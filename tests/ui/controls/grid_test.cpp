// The result grid: rows read only as they are shown, the record count
// found at the end, the owner's callback, failures and freed datasets.

#include "controlstest.h"

#include "ui/controls/mxgrid.h"

#include "engine/bde/bdedriver.h"
#include "engine/bde/bdesession.h"
#include "engine/driver/rootdir.h"

#include <QDir>
#include <QImage>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>

#include <climits>
#include <set>
#include <stdexcept>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace {

// Records with the class library's cursor: on the first after opening,
// Next on the last sets Eof and stays there. Counts every move.
class CountingDataset : public TIMxDataset {
public:
    explicit CountingDataset(int records, int fields = 2) : m_records(records), m_fields(fields) {}
    int GetFieldCount() override { return m_fields; }
    QString GetFieldValue(int index) override
    {
        ++reads;
        return QStringLiteral("r%1c%2").arg(m_cur).arg(index);
    }
    QString GetFieldValueByName(const QString&) override { return {}; }
    QString GetFieldName(int index) override { return QStringLiteral("F%1").arg(index); }
    int GetFieldWidth(int) override { return 10; }
    int GetFieldSize(int) override { return 10; }
    int GetRecordCount() override { return m_records; }
    bool GetActive() override { return true; }
    QString GetFieldTypeName(int) override { return QStringLiteral("A"); }
    void First() override
    {
        ++firsts;
        m_cur = 0;
        m_bof = true;
        m_eof = m_records == 0;
    }
    void Last() override
    {
        ++lasts;
        m_cur = std::max(0, m_records - 1);
        m_eof = true;
    }
    void Next() override
    {
        ++nexts;
        m_bof = false;
        if (m_cur + 1 >= m_records)
            m_eof = true;
        else
            ++m_cur;
    }
    void Prior() override
    {
        ++priors;
        m_eof = false;
        if (m_cur == 0)
            m_bof = true;
        else
            --m_cur;
    }
    bool Bof() override { return m_bof; }
    bool Eof() override { return m_eof; }
    void Close() override {}
    void MoveBy(int) override { ++moveBys; }
    int GetRecNo() override { return m_cur + 1; }
    void SetRecNo(int) override { ++moveBys; }
    void DumpTable(const QString&) override {}

    int Current() const { return m_cur; }
    int nexts = 0, priors = 0, firsts = 0, lasts = 0, moveBys = 0, reads = 0;

private:
    int m_records;
    int m_fields;
    int m_cur = 0;
    bool m_bof = true;
    bool m_eof = false;
};

struct Request {
    int col;
    TMxGridDrawInfoKind kind;
    int record; // where the dataset's cursor was
};

// A grid of two columns with headers, 300 x 200, whose callback answers
// from the dataset and records every request.
struct GridFixture : ControlsTest {
    TMxGrid grid;
    TMxItem columns[2]{TMxItem(nullptr), TMxItem(nullptr)};
    CountingDataset* ds = nullptr;
    QList<Request> requests;
    std::function<void(int col, TMxGridDrawInfoKind kind)> also;

    GridFixture()
    {
        grid.resize(300, 200);
        grid.SetShowHeaders(true);
        grid.Columns = {&columns[0], &columns[1]};
        grid.OnGetInfo = [this](TMxGrid& g, int col, TMxGridDrawInfoKind kind) {
            requests.append({col, kind, ds ? ds->Current() : -1});
            if (also)
                also(col, kind);
            switch (kind) {
            case dikWidth:
                g.InfoWidth = 80 + col;
                break;
            case dikColors:
                g.InfoStyle.brush = Qt::yellow;
                break;
            case dikHeader:
                g.InfoText = QStringLiteral("H%1").arg(col);
                break;
            case dikText:
                g.InfoText = g.DataSet()->GetFieldValue(col);
                break;
            }
        };
        grid.show();
    }
    ~GridFixture() override
    {
        grid.SetDataSet(nullptr);
        TMxItem::Free(ds);
    }
    void bind(int records)
    {
        TMxItem::Free(ds);
        ds = new CountingDataset(records);
        grid.SetDataSet(ds);
    }
    std::set<int> recordsAsked(TMxGridDrawInfoKind kind) const
    {
        std::set<int> out;
        for (const Request& r : requests)
            if (r.kind == kind)
                out.insert(r.record);
        return out;
    }
};

TEST_F(GridFixture, ThreeRecordsPaintedFromTheTop)
{
    QSignalSpy counted(&grid, &TMxGrid::OnRecordCountChange);
    bind(3);
    EXPECT_EQ(grid.RowCount(), INT_MAX);
    EXPECT_EQ(grid.RecordCount(), -1);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.ColWidth(0), 34);
    EXPECT_EQ(grid.ColWidth(1), 79); // the callback's width less the grid line
    EXPECT_EQ(grid.ColWidth(2), 80);
    counted.clear();
    requests.clear();
    const int nextsBefore = ds->nexts;

    grid.grab();
    EXPECT_EQ(grid.RowCount(), 1 + 3);
    EXPECT_EQ(grid.RecordCount(), 3);
    EXPECT_EQ(grid.LastRecord(), 2);
    EXPECT_EQ(counted.count(), 1);
    // Texts were asked for the three records only, walking forward.
    EXPECT_EQ(recordsAsked(dikText), std::set<int>({0, 1, 2}));
    EXPECT_EQ(ds->priors, 0);
    EXPECT_EQ(ds->moveBys, 0);
    EXPECT_EQ(ds->nexts - nextsBefore, 3); // two steps, and the one that met the end
    EXPECT_EQ(recordsAsked(dikHeader).size(), 1u);
    // Painting again reads nothing new and moves only back to the top.
    const int nexts = ds->nexts;
    grid.grab();
    EXPECT_EQ(ds->nexts, nexts + 2);
    EXPECT_EQ(counted.count(), 1);
    EXPECT_EQ(grid.CellRect(1, 1), QRect(35, grid.DefaultRowHeight() + 1, 79, grid.DefaultRowHeight()));
}

TEST_F(GridFixture, ReadsOnlyTheRowsShownAndFindsTheEndOnDemand)
{
    bind(100000);
    grid.grab();
    const int visible = grid.VisibleRowCount();
    ASSERT_GT(visible, 3);
    // The rows on screen, and the partly shown one below them.
    EXPECT_LE(ds->nexts, visible + 1);
    EXPECT_EQ(grid.RecordCount(), -1);
    EXPECT_EQ(recordsAsked(dikText).size(), size_t(ds->nexts + 1));

    grid.SetTopRow(500);
    grid.grab();
    EXPECT_LE(ds->nexts, 500 + visible + 1);
    EXPECT_EQ(ds->priors, 0);

    // End: read on to the end once; the count is then known.
    grid.setFocus();
    Key(&grid, Qt::Key_End);
    EXPECT_EQ(grid.RecordCount(), 100000);
    EXPECT_EQ(grid.Row(), 100000); // the header is row 0
    EXPECT_EQ(grid.TopRow(), 100000 - visible);
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 100000 - visible);
    EXPECT_EQ(ds->nexts, 100000); // every step once, the last meeting the end
    grid.grab();
    // The last screen: back to its top row and down again, nothing more.
    EXPECT_LE(ds->nexts, 100000 + visible + 1);
    // Home goes back in one move, not a hundred thousand.
    Key(&grid, Qt::Key_Home);
    grid.grab();
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TopRow(), 0);
    EXPECT_LT(ds->priors, visible + 2);
    // Up and down move the current row; the cursor follows only as painted.
    Key(&grid, Qt::Key_Down);
    Key(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 3);
    Key(&grid, Qt::Key_PageDown);
    EXPECT_EQ(grid.Row(), 3 + visible);
    Key(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.Row(), 2 + visible);
}

TEST_F(GridFixture, EmptyResultNoColumnsAndAColumnTheCallbackDoesNotKnow)
{
    bind(0);
    EXPECT_EQ(grid.RecordCount(), 0);
    EXPECT_EQ(grid.LastRecord(), -1);
    EXPECT_EQ(grid.RowCount(), 2); // the header and one blank row
    requests.clear();
    grid.grab();
    EXPECT_TRUE(recordsAsked(dikText).empty());
    EXPECT_EQ(ds->nexts, 0);

    // Without columns: one column and header + 1 rows, dataset or not.
    grid.Columns.clear();
    bind(5);
    EXPECT_EQ(grid.ColCount(), 1);
    EXPECT_EQ(grid.RowCount(), 2);
    requests.clear();
    grid.grab();
    EXPECT_TRUE(requests.isEmpty());

    // A column the owner dropped without telling: the grid's own defaults,
    // never the callback with an index it does not know.
    grid.Columns = {&columns[0], &columns[1]};
    bind(5);
    grid.Columns.removeLast();
    requests.clear();
    grid.grab();
    for (const Request& r : requests)
        EXPECT_EQ(r.col, 0);
    EXPECT_FALSE(requests.isEmpty());
}

TEST_F(GridFixture, RaisingCallbackUnbindsAndIsReportedOnce)
{
    bind(10);
    also = [](int col, TMxGridDrawInfoKind kind) {
        if (kind == dikText && col == 1)
            throw std::runtime_error("cursor broken");
    };
    grid.grab();
    EXPECT_EQ(grid.DataSet(), nullptr);
    EXPECT_EQ(ui.service.count("error window"), 0); // not inside the paint
    RunPosted();
    ASSERT_EQ(ui.service.count("error window"), 1);
    EXPECT_TRUE(ui.service.texts("error window")[0].contains("cursor broken"));
    // The broken callback is not asked again until the owner binds anew.
    requests.clear();
    grid.grab();
    grid.grab();
    RunPosted();
    EXPECT_TRUE(requests.isEmpty());
    EXPECT_EQ(ui.service.count("error window"), 1);

    also = nullptr;
    grid.SetDataSet(ds);
    grid.grab();
    EXPECT_EQ(grid.DataSet(), ds);
    EXPECT_FALSE(recordsAsked(dikText).empty());
    RunPosted();
    EXPECT_EQ(ui.service.count("error window"), 1);
}

TEST_F(GridFixture, AFreedResultIsNeverReadAgain)
{
    bind(50);
    grid.grab();
    // A run frees the previous result before the owner binds the new one.
    ds->Free();
    ds = nullptr;
    requests.clear();
    grid.grab();
    EXPECT_EQ(grid.DataSet(), nullptr);
    EXPECT_EQ(grid.RecordCount(), -1);
    EXPECT_EQ(grid.RowCount(), 2);
    for (const Request& r : requests)
        EXPECT_NE(r.kind, dikText);
    Key(&grid, Qt::Key_End); // reads nothing either
    RunPosted();
    EXPECT_EQ(ui.service.requests.size(), 0);

    bind(4);
    grid.grab();
    EXPECT_EQ(grid.RecordCount(), 4);
}

TEST_F(GridFixture, RecordCountSetByTheOwner)
{
    QSignalSpy counted(&grid, &TMxGrid::OnRecordCountChange);
    bind(20);
    grid.SetRow(5);
    grid.SetRecordCount(2); // three records
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Row(), 3); // kept, within the rows
    EXPECT_EQ(ds->Current(), 0);
    grid.SetRecordCount(-1);
    EXPECT_EQ(grid.RowCount(), INT_MAX);
    EXPECT_EQ(counted.count(), 3);
    grid.SetShowHeaders(false);
    EXPECT_EQ(grid.HeaderRows(), 0);
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(GridFixture, HeaderLinesResizeColumnsAndRowsSelectByMouse)
{
    bind(30);
    grid.grab();
    QWidget* vp = grid.viewport();
    const QRect header = grid.CellRect(1, 0);
    const QPoint edge(header.right() + 1, header.center().y());
    Press(vp, edge);
    MoveHeld(vp, edge + QPoint(25, 0));
    Release(vp, edge + QPoint(25, 0));
    EXPECT_EQ(grid.ColWidth(1), 79 + 25);
    EXPECT_EQ(grid.Row(), 1); // a press on the header selects no row

    const QRect third = grid.CellRect(2, 3);
    Press(vp, third.center());
    Release(vp, third.center());
    EXPECT_EQ(grid.Row(), 3);
    // Without headers there is nothing to resize on.
    grid.SetShowHeaders(false);
    const int before = grid.ColWidth(1);
    const QRect top = grid.CellRect(1, 0);
    Press(vp, QPoint(top.right() + 1, top.center().y()));
    MoveHeld(vp, QPoint(top.right() + 30, top.center().y()));
    Release(vp, QPoint(top.right() + 30, top.center().y()));
    EXPECT_EQ(grid.ColWidth(1), before);
}

// The sample's database through the built-in driver.
class SampleGrid : public GridFixture {
protected:
    QTemporaryDir dir;
    ScopedHook<THookSlot<QString()>> root{RootDirOverride, [this] { return dir.path() + u'/'; }};
    TMxBdeDriver* driver = nullptr;

    void SetUp() override
    {
        const QString sample = qEnvironmentVariable("MORVELIN_BIN") + QStringLiteral("/sample/MORVELIN.DB");
        if (!QFile::exists(sample))
            GTEST_SKIP() << "no sample database at " << sample.toStdString();
        ASSERT_TRUE(QFile::copy(sample, dir.filePath(QStringLiteral("MORVELIN.DB"))));
        ResetBdeSession();
        driver = new TMxBdeDriver(nullptr);
    }
    void TearDown() override
    {
        grid.SetDataSet(nullptr);
        if (driver) {
            driver->FreeDataset(ds2);
            driver->Free();
        }
        ResetBdeSession();
    }
    TIMxDataset* ds2 = nullptr;
};

TEST_F(SampleGrid, ClientsOfTheSample)
{
    const QString db = dir.filePath(QStringLiteral("MORVELIN.DB"));
    TIMxDataset* count = driver->ExecuteQuery(QStringLiteral("SELECT COUNT(*) FROM CLIENTS"), {}, {}, {}, db);
    ASSERT_TRUE(count);
    const int clients = count->GetFieldValue(0).toInt();
    driver->FreeDataset(count);
    ASSERT_GT(clients, 3);
    ds2 = driver->ExecuteQuery(QStringLiteral("SELECT NOM, PRENOM FROM CLIENTS ORDER BY NUM_CLIENT"), {}, {}, {}, db);
    ASSERT_TRUE(ds2);
    QStringList texts;
    also = [&](int, TMxGridDrawInfoKind kind) {
        if (kind == dikText)
            texts << ds2->GetFieldValue(0);
    };
    grid.SetDataSet(ds2);
    grid.grab();
    const int visible = grid.VisibleRowCount();
    EXPECT_EQ(grid.RecordCount(), -1);
    EXPECT_GE(texts.size(), 2 * visible);
    EXPECT_FALSE(texts.contains(QString()));
    Key(&grid, Qt::Key_End);
    EXPECT_EQ(grid.RecordCount(), clients);
    EXPECT_EQ(grid.RowCount(), 1 + clients);
    texts.clear();
    grid.grab();
    EXPECT_GE(texts.size(), 2 * visible);
    EXPECT_FALSE(texts.contains(QString()));
    EXPECT_EQ(ui.service.requests.size(), 0);
}

} // namespace

namespace {

bool showsHighlight(QWidget& w)
{
    const QImage image = w.grab().toImage();
    const QRgb highlight = w.palette().color(QPalette::Highlight).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == highlight)
                return true;
    return false;
}

// The owner's questions through the source interface, answered by a fake
// that records them: widths when bound, then headers, styles and texts of
// the rows painted, each text asked with the dataset on its record.
struct FakeGridSource : TMxGridSource {
    mutable QList<Request> asked;
    CountingDataset* ds = nullptr;
    int ColumnWidth(const TMxGrid&, int col) const override
    {
        asked.append({col, dikWidth, -1});
        return 60 + 10 * col;
    }
    void CellStyle(const TMxGrid&, int col, TMxGridCellStyle& style) const override
    {
        asked.append({col, dikColors, ds->Current()});
        style.brush = col == 0 ? QColor(Qt::cyan) : style.brush;
    }
    QString HeaderText(const TMxGrid&, int col) const override
    {
        asked.append({col, dikHeader, -1});
        return QStringLiteral("Colonne %1").arg(col);
    }
    QString CellText(const TMxGrid& grid, int col) const override
    {
        asked.append({col, dikText, ds->Current()});
        return grid.DataSet()->GetFieldValue(col);
    }
};

TEST_F(GridFixture, AFakeSourceAnswersTheGridsQuestions)
{
    FakeGridSource source;
    grid.SetSource(&source);
    TMxItem::Free(ds);
    ds = new CountingDataset(2);
    source.ds = ds;
    grid.SetDataSet(ds);
    ASSERT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.ColWidth(1), 59); // the source's width less the grid line
    EXPECT_EQ(grid.ColWidth(2), 69);
    EXPECT_TRUE(requests.isEmpty()); // the fixture's callback is replaced

    source.asked.clear();
    grid.grab();
    std::set<std::pair<int, int>> texts, headers;
    for (const Request& r : source.asked) {
        if (r.kind == dikText)
            texts.insert({r.col, r.record});
        if (r.kind == dikHeader)
            headers.insert({r.col, r.record});
    }
    EXPECT_EQ(texts, (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    EXPECT_EQ(headers, (std::set<std::pair<int, int>>{{0, -1}, {1, -1}}));
    EXPECT_EQ(grid.RecordCount(), 2);

    grid.SetSource(nullptr);
    EXPECT_FALSE(grid.OnGetInfo);
}

} // namespace

// Only a record is shown selected: a grid with nothing to show (no
// columns, no result, an empty result) has no highlighted cell.
TEST_F(GridFixture, AnEmptyGridShowsNoSelectedCell)
{
    grid.Columns.clear();
    grid.SetDataSet(nullptr);
    EXPECT_FALSE(showsHighlight(grid)) << "no columns, no result";
    grid.Columns = {&columns[0], &columns[1]};
    grid.SetDataSet(nullptr);
    EXPECT_FALSE(showsHighlight(grid)) << "columns, no result";
    bind(0);
    EXPECT_FALSE(showsHighlight(grid)) << "an empty result";
    bind(3);
    EXPECT_TRUE(showsHighlight(grid)) << "a result: its current record";
}
