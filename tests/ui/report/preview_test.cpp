// The preview of a laid-out report, driven as a user would: pages, zoom,
// saving as CSV and PDF, printing a page range.

#include "tests/ui/uitest.h"

#include "tests/support/memorydataset.h"
#include "ui/report/pageview.h"
#include "tests/platform/report/pdftools.h"
#include "ui/report/reportpreview.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"

#include "query/exportfilters/textexportfilter.h"
#include "report/pagemodel.h"
#include "report/reportparts.h"
#include "tests/support/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace mx;
using namespace mx::rpt;

namespace {

// A list of clients: one value per record, 46 records a page (6 mm
// apart: more than 1.5 lines of the 10-point font, so that a text export
// keeps one line per record).
std::unique_ptr<TQuickRep> listReport()
{
    auto report = std::make_unique<TQuickRep>();
    report->SetReportTitle(QStringLiteral("Clients"));
    report->SetHasBand(rbDetail, true);
    report->Band(rbDetail)->SetBounds(QRectF(0, 0, report->PrintableWidth(), 60));
    auto e = std::make_unique<TQRExpr>();
    e->SetExpression(QStringLiteral("NOM"));
    e->SetBounds(QRectF(0, 0, 600, 40));
    report->Band(rbDetail)->AddPart(std::move(e));
    return report;
}

// Prints into a PDF file and chooses pages 2 to 3.
class PrintToFileUi : public ui::test::TScriptedUiService {
public:
    QString file;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override
    {
        TScriptedUiService::PrintDialog(parent, printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        return true;
    }
};

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest()
    {
        ExportFilters().Clear();
        RegisterStandardFilters();
        m_report = listReport();
        m_data.reset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 20}}, 120));
        m_preview.resize(600, 700);
        m_preview.Preview(*m_report, m_data.get());
        m_preview.show();
        QCoreApplication::processEvents();
    }
    void click(QAbstractButton* b)
    {
        ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    template <class W>
    W* child(const char* name)
    {
        return ui::test::Child<W>(m_preview, name);
    }
    QString page() { return child<QLabel>("laPage")->text(); }

    QTemporaryDir m_dir;
    std::unique_ptr<TQuickRep> m_report;
    std::unique_ptr<mxtest::TMemoryDataset> m_data;
    ui::TfmReportPreview m_preview;
};

TEST_F(PreviewTest, PagesAndZoom)
{
    ASSERT_EQ(m_preview.Document()->PageCount(), 3);
    EXPECT_EQ(m_preview.objectName(), QStringLiteral("fmReportPreview"));
    auto* view = child<ui::TPageView>("PageView");
    ASSERT_TRUE(view);
    EXPECT_EQ(page(), QStringLiteral("Page 1 sur 3"));
    EXPECT_FALSE(child<QToolButton>("btFirst")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("btPrior")->isEnabled());
    click(child<QToolButton>("btNext"));
    EXPECT_EQ(page(), QStringLiteral("Page 2 sur 3"));
    EXPECT_EQ(view->PageIndex(), 1);
    click(child<QToolButton>("btLast"));
    EXPECT_EQ(page(), QStringLiteral("Page 3 sur 3"));
    EXPECT_FALSE(child<QToolButton>("btNext")->isEnabled());
    QTest::keyClick(&m_preview, Qt::Key_PageUp);
    EXPECT_EQ(page(), QStringLiteral("Page 2 sur 3"));
    click(child<QToolButton>("btFirst"));
    EXPECT_EQ(page(), QStringLiteral("Page 1 sur 3"));

    // the whole page fits the view; 100 % is the paper's size
    m_preview.SetZoomChoice(ui::TfmReportPreview::zWholePage);
    const QSize room = child<QScrollArea>("sbPages")->viewport()->size();
    const QSize sheet = view->SheetSize(m_preview.Zoom());
    EXPECT_LE(sheet.width() + 2 * ui::TPageView::kBorder, room.width());
    EXPECT_LE(sheet.height() + 2 * ui::TPageView::kBorder, room.height());
    EXPECT_GE(sheet.height() + 2 * ui::TPageView::kBorder, room.height() - 1) << "and fills it";
    child<QComboBox>("cbZoom")->setCurrentIndex(ui::TfmReportPreview::z100);
    EXPECT_DOUBLE_EQ(m_preview.Zoom(), 1.0);
    EXPECT_EQ(view->size(), view->SheetSize(1.0) + QSize(20, 20));
    EXPECT_EQ(view->SheetSize(1.0).width(), qRound(2100 * view->logicalDpiX() / 254.0));

    // drawing the page reads only the pages: the records may be gone
    m_data.reset();
    EXPECT_FALSE(m_preview.grab().isNull());
}

// A new preview shows the text at the size it prints, whatever the size
// of its window; a whole page is a choice away.
TEST_F(PreviewTest, OpensAtTheZoomTheTextPrintsAt)
{
    for (const QSize size : {QSize(600, 700), QSize(400, 300), QSize(1400, 1000)}) {
        ui::TfmReportPreview preview;
        preview.resize(size);
        preview.Preview(*m_report, m_data.get());
        preview.show();
        QCoreApplication::processEvents();
        auto* zoom = ui::test::Child<QComboBox>(preview, "cbZoom");
        ASSERT_TRUE(zoom);
        EXPECT_EQ(zoom->currentIndex(), ui::TfmReportPreview::z100) << size.width();
        EXPECT_EQ(zoom->currentText(), QStringLiteral("100 %"));
        EXPECT_DOUBLE_EQ(preview.Zoom(), 1.0) << size.width();
        preview.SetZoomChoice(ui::TfmReportPreview::zWholePage);
        EXPECT_LT(preview.Zoom(), 1.0) << "the whole page is smaller than the paper";
    }
}

TEST_F(PreviewTest, SaveOffersPdfAndTheFiltersAndWritesWhatIsChosen)
{
    ui::test::ScopedScriptedUi ui;
    const QString csv = m_dir.filePath(QStringLiteral("clients.csv"));
    const QString pdf = m_dir.filePath(QStringLiteral("clients"));
    ui.service.fileAnswers = {{csv}, {pdf}, {m_dir.filePath(QStringLiteral("clients.xyz"))}, {}};
    for (int i = 0; i < 4; ++i)
        click(child<QPushButton>("btSave"));

    ASSERT_EQ(ui.service.count(QStringLiteral("save")), 4);
    const ui::TFileRequest& request = ui.service.requests[0].file;
    EXPECT_EQ(request.filters, (QStringList{QStringLiteral("Document PDF (*.PDF *.pdf)"), QStringLiteral("HTML document (*.HTM *.htm)"),
                                   QStringLiteral("CSV comma separated (*.CSV *.csv)")}));
    EXPECT_EQ(request.fileName, QStringLiteral("Clients"));
    const QStringList lines = QString::fromUtf8(mxtest::ReadAll(csv)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 120);
    EXPECT_EQ(lines.first(), QStringLiteral("NOM1"));
    EXPECT_EQ(rtest::ReadPdfInfo(pdf + QStringLiteral(".PDF")).pages, 3) << "a name without extension is a PDF";
    // an extension nothing writes is said, and nothing is written
    bool said = false;
    for (const ui::test::TRequest& r : ui.service.requests)
        said = said || r.text.contains(QStringLiteral("Aucun format d'enregistrement ne correspond au fichier"));
    EXPECT_TRUE(said);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("clients.xyz"))));
}

// The file type chosen in the save dialog decides what is written, and a
// name typed without extension gets that type's.
TEST_F(PreviewTest, TheTypeChosenInTheSaveDialogDecidesTheFormat)
{
    ui::test::ScopedScriptedUi ui;
    struct Case {
        const char* typed;
        int type; // in the dialog's filters: PDF, HTML, CSV
        const char* written;
        const char* starts;
    };
    const Case cases[] = {
        {"rapport", 1, "rapport.HTM", "<html"},
        {"liste", 2, "liste.CSV", "NOM1\n"},
        {"document", 0, "document.PDF", "%PDF"},
        {"notes.txt", 1, "notes.txt", "<html"}, // an extension no format has: the type chosen
        {"clients.csv", 0, "clients.csv", "NOM1\n"}, // an extension a format has: that format
    };
    for (const Case& c : cases) {
        ui.service.fileAnswers = {{m_dir.filePath(QString::fromUtf8(c.typed))}};
        ui.service.fileTypeAnswers = {c.type};
        click(child<QPushButton>("btSave"));
        const QString written = m_dir.filePath(QString::fromUtf8(c.written));
        ASSERT_TRUE(QFileInfo::exists(written)) << c.typed << " -> " << c.written;
        EXPECT_TRUE(mxtest::ReadAll(written).startsWith(c.starts)) << c.written << ": " << mxtest::ReadAll(written).left(40).toStdString();
        if (QString::fromUtf8(c.written) != QString::fromUtf8(c.typed)) {
            EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QString::fromUtf8(c.typed)))) << "nothing under the bare name";
        }
    }
    EXPECT_EQ(rtest::ReadPdfInfo(m_dir.filePath(QStringLiteral("document.PDF"))).pages, 3);
    EXPECT_EQ(ui.service.count(QStringLiteral("exception")) + ui.service.count(QStringLiteral("warning")), 0);
}

TEST_F(PreviewTest, PrintGoesThroughThePrintDialogWithItsPageRange)
{
    PrintToFileUi service;
    ScopedUserService scope(&service);
    service.file = m_dir.filePath(QStringLiteral("printed.pdf"));
    click(child<QPushButton>("btPrint"));
    EXPECT_EQ(service.count(QStringLiteral("print")), 1);
    EXPECT_EQ(rtest::ReadPdfInfo(service.file).pages, 2);
    EXPECT_TRUE(rtest::PdfPageText(service.file, 1).contains(QStringLiteral("NOM52")));

    // cancelled: nothing printed
    ui::test::ScopedScriptedUi cancelled;
    cancelled.service.printAnswers = {false};
    QFile::remove(service.file);
    click(child<QPushButton>("btPrint"));
    EXPECT_EQ(cancelled.service.count(QStringLiteral("print")), 1);
    EXPECT_FALSE(QFileInfo::exists(service.file));
}

TEST_F(PreviewTest, ANewResultIsShownOnceLaidOutAgain)
{
    m_data.reset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 20}}, 10));
    m_preview.SetPageIndex(2);
    m_preview.Preview(*m_report, m_data.get());
    EXPECT_EQ(page(), QStringLiteral("Page 1 sur 1"));
    EXPECT_FALSE(child<QToolButton>("btNext")->isEnabled());
    m_preview.Preview(*m_report, nullptr);
    EXPECT_EQ(page(), QStringLiteral("Page 1 sur 1")) << "no record: the report prints empty";
}

} // namespace
