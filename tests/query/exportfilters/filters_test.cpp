// The HTML and CSV export filters: texts given as the report layer gives
// them (X and Y in 0.1 mm), whole files compared.

#include "tests/platform/report/reporttest.h"

#include "tests/support/memorydataset.h"

#include "query/exportfilters/textexportfilter.h"

#include "engine/core/exceptions.h"
#include "report/defaultreport.h"
#include "report/paginator.h"
#include "report/rowsource.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QTemporaryDir>

using namespace mx;
using namespace mx::rpt;

namespace {

struct Out {
    double x;
    double y;
    const char* text;
};
using Page = std::vector<Out>;

// A line height at 10 points, in 0.1 mm.
constexpr double kLine = 10 * 3.5277777777777777778;

QString run(TReportExportFilter& filter, const QString& file, const std::vector<Page>& pages, int pointSize = 10)
{
    TReportFont font;
    font.pointSize = pointSize;
    filter.Start(file, 2100, 2970, font);
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            filter.NewPage();
        for (const Out& o : pages[p])
            filter.TextOut(o.x, o.y, font, Qt::white, 0, QString::fromUtf8(o.text));
        filter.EndPage();
    }
    filter.Finish();
    return QString::fromUtf8(mxtest::ReadAll(file));
}

const QString kHead = QStringLiteral("<html>\n<meta charset=\"utf-8\">\n");
const QString kTail = QStringLiteral("</HTML>\n");
const QString kTable = QStringLiteral("<TABLE BORDER=1 WIDTH=100%><TD>");

TEST(ExportFilters, TextOutputsToWholeFiles)
{
    struct Case {
        const char* name;
        std::vector<Page> pages;
        QString html; // between the head and the tail
        QString csv;
        int pointSize = 10;
    };
    const Case cases[] = {
        {"one text per line", {{{0, 0, "a"}, {0, 100, "b"}, {0, 200, "c"}}}, QStringLiteral("a<BR>\nb<BR>\nc<BR>\n"),
            QStringLiteral("a\nb\nc\n")},
        {"three texts on three lines",
            {{{0, 0, "a1"}, {300, 0, "a2"}, {600, 0, "a3"}, {0, 100, "b1"}, {300, 100, "b2"}, {600, 100, "b3"},
                {0, 200, "c1"}, {300, 200, "c2"}, {600, 200, "c3"}}},
            kTable + QStringLiteral("a1<TD>a2<TD>a3\n<TR><TD>b1<TD>b2<TD>b3\n<TR><TD>c1<TD>c2<TD>c3</TABLE>\n"),
            QStringLiteral("a1;a2;a3\nb1;b2;b3\nc1;c2;c3\n")},
        {"a table, then one text", {{{0, 0, "a"}, {300, 0, "b"}, {0, 100, "c"}}},
            kTable + QStringLiteral("a<TD>b\n</TABLE>c<BR>\n"), QStringLiteral("a;b\nc\n")},
        {"1.4 lines apart: one row", {{{0, 0, "a"}, {300, 1.4 * kLine, "b"}}}, kTable + QStringLiteral("a<TD>b</TABLE>\n"),
            QStringLiteral("a;b\n")},
        {"1.6 lines apart: two rows", {{{0, 0, "a"}, {300, 1.6 * kLine, "b"}}}, QStringLiteral("a<BR>\nb<BR>\n"),
            QStringLiteral("a\nb\n")},
        {"a text left of the row goes first", {{{300, 0, "b"}, {600, 0, "c"}, {100, 0, "a"}}},
            kTable + QStringLiteral("a<TD>b<TD>c</TABLE>\n"), QStringLiteral("a;b;c\n")},
        {"a text in the first text's column goes second", {{{100, 0, "a"}, {300, 0, "c"}, {100, 0, "b"}}},
            kTable + QStringLiteral("a<TD>b<TD>c</TABLE>\n"), QStringLiteral("a;b;c\n")},
        {"texts are escaped and quoted",
            {{{0, 0, "a<b & \"c\""}, {300, 0, "x;y"}, {0, 100, "il dit \"oui\""}, {300, 100, "deux\nlignes"}, {600, 100, "\r"}}},
            kTable + QStringLiteral("a&lt;b &amp; &quot;c&quot;<TD>x;y\n<TR><TD>il dit &quot;oui&quot;<TD>deux\nlignes<TD>\r</TABLE>\n"),
            QStringLiteral("\"a<b & \"\"c\"\"\";\"x;y\"\n\"il dit \"\"oui\"\"\";\"deux\nlignes\";\"\r\"\n")},
        {"each page stands alone", {{{0, 0, "a"}, {300, 0, "b"}}, {{0, 0, "c"}, {300, 0, "d"}}},
            kTable + QStringLiteral("a<TD>b</TABLE>\n") + kTable + QStringLiteral("c<TD>d</TABLE>\n"), QStringLiteral("a;b\nc;d\n")},
        {"a font of size 0 measures as 10 points", {{{0, 0, "a"}, {300, 1.4 * kLine, "b"}}},
            kTable + QStringLiteral("a<TD>b</TABLE>\n"), QStringLiteral("a;b\n"), 0},
        {"an empty page writes nothing", {{}}, QString(), QString()},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        TQRHtmlExportFilter html;
        EXPECT_EQ(run(html, dir.filePath(QStringLiteral("r.htm")), c.pages, c.pointSize), kHead + c.html + kTail) << c.name;
        TQRCSVExportFilter csv;
        EXPECT_EQ(run(csv, dir.filePath(QStringLiteral("r.csv")), c.pages, c.pointSize), c.csv) << c.name;
    }
}

TEST(ExportFilters, RegisteredInOrderWithTheirNames)
{
    ExportFilters().Clear();
    RegisterStandardFilters();
    RegisterStandardFilters(); // twice: still two entries
    const auto& e = ExportFilters().Entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].description, QStringLiteral("Export to HTML format"));
    EXPECT_EQ(e[0].filterName, QStringLiteral("HTML document"));
    EXPECT_EQ(e[0].extension, QStringLiteral("HTM"));
    EXPECT_EQ(e[1].description, QStringLiteral("Export to CSV format"));
    EXPECT_EQ(e[1].filterName, QStringLiteral("CSV comma separated"));
    EXPECT_EQ(e[1].extension, QStringLiteral("CSV"));
    EXPECT_EQ(ExportFilters().FindByExtension(QStringLiteral(".csv")), &e[1]);
    EXPECT_TRUE(dynamic_cast<TQRHtmlExportFilter*>(e[0].create().get()));
}

// The default report of a result of three records, saved as CSV: one line
// of titles, one line per record, an empty value keeping its column.
TEST(ExportFilters, TheDefaultReportOfThreeRecordsAsCsv)
{
    std::unique_ptr<mxtest::TMemoryDataset> data(new mxtest::TMemoryDataset(
        {{QStringLiteral("NOM"), 10}, {QStringLiteral("VILLE"), 12}, {QStringLiteral("Montant; TTC"), 8}},
        {{QStringLiteral("Dupont"), QStringLiteral("Paris"), QStringLiteral("12.5")},
            {QStringLiteral("Martin"), QStringLiteral("Lyon"), QStringLiteral("7")},
            {QStringLiteral("Durand"), QStringLiteral("Saint-Étienne"), QStringLiteral("")}}));
    TQuickRep report;
    BuildDefaultReport(report, 1, ResultColumns(*data));
    TDatasetRows rows(*data);
    auto doc = Paginate(report, &rows);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("clients.csv"));
    TQRCSVExportFilter csv;
    ExportDocument(*doc, csv, file);
    EXPECT_EQ(QString::fromUtf8(mxtest::ReadAll(file)),
        QStringLiteral("NOM;VILLE;\"Montant; TTC\"\nDupont;Paris;12.5\nMartin;Lyon;7\nDurand;Saint-Étienne;\n"));
}

// Fails on its second text.
class TFailingFilter : public TQRCSVExportFilter {
public:
    void TextOut(double x, double y, const TReportFont& font, const QColor& bg, int a, const QString& text) override
    {
        if (++m_texts == 2)
            throw EInOutError(QStringLiteral("disque plein"));
        TQRCSVExportFilter::TextOut(x, y, font, bg, a, text);
    }

private:
    int m_texts = 0;
};

TEST(ExportFilters, AFailedExportLeavesTheFormerFileAndSaysWhy)
{
    TQuickRep report;
    report.SetHasBand(rbDetail, true);
    auto* e = std::make_unique<TQRExpr>().release();
    e->SetExpression(QStringLiteral("NOM"));
    report.Band(rbDetail)->AddPart(std::unique_ptr<TQRComponent>(e));
    std::unique_ptr<mxtest::TMemoryDataset> data(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 10}}, 3));
    TDatasetRows rows(*data);
    auto doc = Paginate(report, &rows);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("old.csv"));
    mxtest::WriteAll(file, "ancien\n");
    TFailingFilter failing;
    EXPECT_EQ(mxtest::FailureOf([&] { ExportDocument(*doc, failing, file); }), QStringLiteral("disque plein"));
    EXPECT_EQ(mxtest::ReadAll(file), QByteArray("ancien\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.csv")}) << "no temporary file left";

    const QString missing = dir.filePath(QStringLiteral("absent/r.csv"));
    TQRCSVExportFilter csv;
    EXPECT_TRUE(mxtest::FailureOf([&] { ExportDocument(*doc, csv, missing); })
                    .startsWith(QStringLiteral("Impossible d'écrire le fichier ") + missing));

    // the same export done well replaces the file whole
    TQRCSVExportFilter good;
    ExportDocument(*doc, good, file);
    EXPECT_EQ(mxtest::ReadAll(file), QByteArray("NOM1\nNOM2\nNOM3\n"));
}

} // namespace
