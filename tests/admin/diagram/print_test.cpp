// Printing the diagram: the sheets of a job, the copies, a PDF with no
// printer, and the preview's zoom, fitting and page grid.

#include "diagramtest.h"

#include "admin/diagram/fmprintpreview.h"

#include "ui/controls/splitter.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

namespace diagramtest {
namespace {

using mx::TMxDataModel;
using mx::admin::TfmPrintPreview;
using mx::admin::TGraphPrintInfo;
using mx::ui::test::Child;

// Each page drawn into a picture of its own.
class TRecordingSink : public mx::admin::TPageSink {
public:
    bool Begin(const QString& title) override
    {
        this->title = title;
        pages.emplace_back(size, QImage::Format_RGB32);
        pages.back().fill(Qt::white);
        m_painter = std::make_unique<QPainter>(&pages.back());
        return true;
    }
    QSize PageSize() const override { return size; }
    QPainter& Painter() override { return *m_painter; }
    void NewPage() override
    {
        ++breaks;
        m_painter.reset();
        pages.emplace_back(size, QImage::Format_RGB32);
        pages.back().fill(Qt::white);
        m_painter = std::make_unique<QPainter>(&pages.back());
    }
    void End() override
    {
        m_painter.reset();
        ++ended;
    }

    QSize size{600, 400};
    QString title;
    std::vector<QImage> pages;
    int breaks = 0;
    int ended = 0;

private:
    std::unique_ptr<QPainter> m_painter;
};

class Printing : public DiagramTest {
protected:
    Printing()
    {
        TMxDataModel* m = NewModel();
        AddTable(m, 1, "A", {{"ID", 'N', true}, {"NOM", 'A', false}}, 20, 20);
        AddTable(m, 2, "B", {{"ID", 'N', true}, {"A_ID", 'N', false}}, 700, 20);
        AddTable(m, 3, "C", {{"ID", 'N', true}}, 300, 400);
        AddLink(m, 1, 2, {{"ID", "A_ID"}});
        m->SetFileName(QStringLiteral("VENTES.MDD"));
        graph.SetModel(m);
    }
    // The page of the grid drawn alone, as the sink's first page would be.
    QImage Alone(const TGraphPrintInfo& layout, int column, int row, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        graph.DrawPage(p, layout, column, row);
        return image;
    }
};

TEST_F(Printing, EveryCopyPrintsEveryPageOnceRowByRow)
{
    struct Case {
        int across, down, copies;
        std::vector<std::pair<int, int>> pages;
    };
    const Case cases[] = {
        {2, 1, 2, {{0, 0}, {1, 0}, {0, 0}, {1, 0}}},
        {2, 2, 1, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.across * 10 + c.down);
        TGraphPrintInfo layout;
        layout.PagesAcross = c.across;
        layout.PagesDown = c.down;
        TRecordingSink sink;
        QStringList status;
        graph.Print(sink, layout, c.copies, [&](const QString& s) { status << s; });
        ASSERT_EQ(sink.pages.size(), c.pages.size());
        EXPECT_EQ(sink.breaks, int(c.pages.size()) - 1);
        EXPECT_EQ(sink.ended, 1);
        EXPECT_EQ(sink.title, QStringLiteral("VENTES.MDD"));
        const int n = int(c.pages.size());
        EXPECT_EQ(status.first(), QStringLiteral("Impression de VENTES.MDD..."));
        EXPECT_EQ(status[status.size() - 2], QStringLiteral("Impression de VENTES.MDD...%1/%1 Page(s)").arg(n));
        EXPECT_EQ(status.last(), QStringLiteral("Impression de VENTES.MDD... terminée"));
        // each sheet is its page of the grid, shifted by the page's offset
        layout.PageWidth = sink.size.width();
        layout.PageHeight = sink.size.height();
        graph.ComputeLayout(layout, true);
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(sink.pages[size_t(i)], Alone(layout, c.pages[size_t(i)].first, c.pages[size_t(i)].second, sink.size))
                << "sheet " << i;
        EXPECT_NE(sink.pages[0], sink.pages[1]);
    }
}

TEST_F(Printing, APdfWithNoPrinterHoldsEachCopyOnceAndThePrinterIsSetToOneCopy)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = Path(QStringLiteral("diagramme.pdf"));
    printer.setOutputFileName(file);
    printer.setCopyCount(2);
    TGraphPrintInfo layout;
    layout.PagesAcross = 2;
    mx::admin::PrintDiagram(graph, printer, layout);
    EXPECT_EQ(printer.copyCount(), 1);
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // 2 copies of 2 pages, not 2 x 2 x 2
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 4);
}

TEST_F(Printing, ThePreviewZoomsAndFitsThePages)
{
    TfmPrintPreview form(&graph);
    auto* sbx = Child<QScrollArea>(form, "sbx");
    sbx->setFixedSize(400 + 2 * sbx->frameWidth(), 300 + 2 * sbx->frameWidth());
    form.SetPageWidth(300);
    form.ZoomIn();
    EXPECT_EQ(form.Info().PageWidth, 400);
    form.SetPageWidth(300);
    form.ZoomOut();
    EXPECT_EQ(form.Info().PageWidth, 225);
    // 3 x 3 from the menu: smaller by quarters until the rows fit
    form.findChild<QAction*>(QStringLiteral("miTile3"))->trigger();
    const TGraphPrintInfo& info = form.Info();
    EXPECT_EQ(info.PagesAcross, 3);
    EXPECT_LE(3 * info.PageHeight, 300);
    EXPECT_GT(3 * (info.PageHeight * 4 / 3), 300);
    EXPECT_LE(info.PageWidth, 400 / 3);
    EXPECT_GT(info.ScaleX, 0);
    EXPECT_DOUBLE_EQ(info.ScaleX, info.ScaleY);
    EXPECT_EQ(Child<QWidget>(form, "pb")->size(), QSize(info.TotalWidth, info.TotalHeight));

    // a preview with no room at all still has pages
    sbx->setFixedSize(2, 2);
    form.SetPageWidth(-1);
    EXPECT_GE(form.Info().PageWidth, 1);
    EXPECT_GT(form.Info().ScaleX, 0);
}

TEST_F(Printing, TheSplitterUnderTheToolBarAndTheMenuChooseTheIconSize)
{
    // the bar's buttons as the rule places them
    const auto small = mx::admin::PreviewToolBar(false);
    EXPECT_EQ(small.height, 42);
    EXPECT_EQ(small.buttons, (QList<QRect>{{8, 4, 38, 34}, {46, 4, 38, 34}, {92, 4, 38, 34}, {130, 4, 38, 34},
                                 {176, 4, 38, 34}}));
    const auto bare = mx::admin::PreviewToolBar(true);
    EXPECT_EQ(bare.height, 66);
    EXPECT_EQ(bare.buttons.last(), QRect(8 + 4 * 58 + 16, 8, 58, 50));
    // a caption wider than its button widens it, and moves the next ones
    const auto wide = mx::admin::PreviewToolBar(true, {0, 90, 0, 0, 0});
    EXPECT_EQ(wide.buttons[1], QRect(66, 8, 90, 50));
    EXPECT_EQ(wide.buttons[2].left(), 66 + 90 + 8);
    EXPECT_EQ(mx::admin::PreviewToolBar(false, {0, 90, 0, 0, 0}).buttons, small.buttons);

    TfmPrintPreview form(&graph);
    form.show();
    auto* board = Child<QWidget>(form, "nrpaBoard");
    auto* splitter = Child<mx::ui::TMxSplitter>(form, "Splitter1");
    auto* small_ = form.findChild<QAction*>(QStringLiteral("miSmallIcons"));
    auto* fbTile = Child<QToolButton>(form, "fbTile");
    // large at creation, captions under the pictures
    EXPECT_TRUE(form.LargeIcons());
    EXPECT_EQ(board->height(), 66);
    EXPECT_EQ(fbTile->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    // no caption is cut, and no button covers the next
    const char* names[] = {"fbPrint", "fbPrintConfig", "fbZoomIn", "fbZoomOut", "fbTile"};
    for (int i = 0; i < 5; ++i) {
        auto* b = Child<QToolButton>(form, names[i]);
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << names[i];
        if (i < 4) {
            EXPECT_LE(b->geometry().right(), Child<QToolButton>(form, names[i + 1])->x()) << names[i];
        }
    }
    EXPECT_FALSE(small_->isChecked());

    // the splitter dragged up snaps at 39: small icons; down to 63: large
    // positions in the splitter's parent, given to it in its own
    // coordinates at the time (it moves as it sizes the bar)
    auto drag = [&](int dy) {
        QWidget* parent = splitter->parentWidget();
        const QPoint start = splitter->geometry().center();
        auto send = [&](QEvent::Type type, const QPoint& inParent, Qt::MouseButton button, Qt::MouseButtons held) {
            const QPoint at = splitter->mapFrom(parent, inParent);
            QMouseEvent e(type, QPointF(at), QPointF(splitter->mapToGlobal(at)), button, held, Qt::NoModifier);
            QApplication::sendEvent(splitter, &e);
        };
        send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, start + QPoint(0, dy / 2), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, start + QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, start + QPoint(0, dy), Qt::LeftButton, Qt::NoButton);
    };
    drag(-30);
    EXPECT_FALSE(form.LargeIcons());
    EXPECT_EQ(board->height(), 39);
    EXPECT_TRUE(small_->isChecked());
    EXPECT_EQ(fbTile->geometry(), small.buttons.last());
    EXPECT_EQ(fbTile->toolButtonStyle(), Qt::ToolButtonIconOnly);
    drag(+24);
    EXPECT_TRUE(form.LargeIcons());
    EXPECT_EQ(board->height(), 63);
    EXPECT_FALSE(small_->isChecked());

    // the menu toggles them too, and the bar takes the rule's height
    small_->trigger();
    EXPECT_FALSE(form.LargeIcons());
    EXPECT_EQ(board->height(), 42);
    small_->trigger();
    EXPECT_TRUE(form.LargeIcons());
    EXPECT_EQ(board->height(), 66);
    // the picker still opens under its button
    QTest::mouseClick(fbTile, Qt::LeftButton);
    EXPECT_EQ(Child<QWidget>(form, "dg")->pos(), fbTile->mapTo(&form, QPoint(0, fbTile->height())));
    QTest::keyClick(Child<QWidget>(form, "dg"), Qt::Key_Escape);
}

TEST_F(Printing, ThePageGridPickerAppliesOnEnterAndLeavesTheGridOnEscape)
{
    TfmPrintPreview form(&graph);
    form.show();
    auto* fbTile = Child<QToolButton>(form, "fbTile");
    auto* dg = Child<QWidget>(form, "dg");
    auto* paTile = Child<QLabel>(form, "paTile");
    QTest::mouseClick(fbTile, Qt::LeftButton);
    ASSERT_TRUE(dg->isVisible());
    QTest::keyClick(dg, Qt::Key_Right);
    QTest::keyClick(dg, Qt::Key_Escape);
    EXPECT_FALSE(dg->isVisible());
    EXPECT_FALSE(fbTile->isChecked());
    EXPECT_EQ(form.Info().PagesAcross, 1);
    EXPECT_EQ(form.Info().PagesDown, 1);

    QTest::mouseClick(fbTile, Qt::LeftButton);
    QTest::keyClick(dg, Qt::Key_Right);
    QTest::keyClick(dg, Qt::Key_Right);
    QTest::keyClick(dg, Qt::Key_Down);
    EXPECT_EQ(paTile->text(), QStringLiteral("3x2 page(s)"));
    QTest::keyClick(dg, Qt::Key_Return);
    EXPECT_FALSE(dg->isVisible());
    EXPECT_EQ(form.Info().PagesAcross, 3);
    EXPECT_EQ(form.Info().PagesDown, 2);

    // the grid chosen is the one printed
    TRecordingSink sink;
    graph.Print(sink, form.Info(), 1, [](const QString&) {});
    EXPECT_EQ(sink.pages.size(), 6u);
}

TEST_F(Printing, ThePrintCommandGoesThroughThePrintDialog)
{
    QPrinter& printer = mx::admin::DiagramPrinter();
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    const QString file = Path(QStringLiteral("apercu.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    // cancelled: nothing printed
    mx::admin::ShowPrintPreview(&graph, 1);
    EXPECT_EQ(m_ui.service.count(QStringLiteral("print")), 1);
    EXPECT_FALSE(QFile::exists(file));
    // confirmed: one page, the dialog's copies drawn by the program
    m_ui.service.printAnswers = {true};
    printer.setCopyCount(3);
    mx::admin::ShowPrintPreview(&graph, 1);
    EXPECT_EQ(m_ui.service.count(QStringLiteral("print")), 2);
    EXPECT_EQ(printer.copyCount(), 1);
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 3);
    printer.setOutputFileName(QString());
    // shown: the modal runner has it; F1 asks for its help
    m_modal.Reject([this](QDialog& d) {
        QTest::keyClick(&d, Qt::Key_F1);
        EXPECT_EQ(m_ui.service.count(QStringLiteral("help")), 1);
    });
    mx::admin::ShowPrintPreview(&graph, 0);
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmPrintPreview")});
}

} // namespace
} // namespace diagramtest
