// Pagination, checked on the page model: which bands land on which page,
// in which order and where, and the page count filled after the last page.

#include "reporttest.h"

#include "tests/support/memorydataset.h"

#include "engine/core/exceptions.h"
#include "report/paginator.h"
#include "report/rowsource.h"
#include "tests/support/testsupport.h"

#include <memory>

using namespace mx;
using namespace mx::rpt;
using namespace rtest;

namespace {

// A4 portrait, margins of 10 mm: the bands lie between y 100 and 2870.
// Page header 100 high, detail 50, page footer 100 with "Page N sur M":
// 51 records fit on a page (y 200 to 2720).
struct ListReport {
    TQuickRep report;
    ListReport()
    {
        TQRBand* header = AddBand(report, rbPageHeader, 100);
        AddLabel(*header, QStringLiteral("Liste des clients"), QRectF(0, 0, 800, 50));
        TQRBand* detail = AddBand(report, rbDetail, 50);
        AddExpr(*detail, QStringLiteral("NOM"), QRectF(0, 0, 400, 40));
        AddExpr(*detail, QStringLiteral("[VILLE]"), QRectF(500, 0, 400, 40));
        TQRBand* footer = AddBand(report, rbPageFooter, 100);
        auto* pages = AddControl<TQRSysData>(*footer, QRectF(1500, 20, 400, 50));
        pages->SetData(qrsPageOfPages);
        pages->SetText(QStringLiteral("Page "));
        pages->SetAlignment(taRightJustify);
    }
};

std::unique_ptr<TReportDocument> paginate(const TQuickRep& report, int records, mxtest::TMemoryDataset** data = nullptr)
{
    static std::unique_ptr<mxtest::TMemoryDataset> keep;
    keep.reset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 20}, {QStringLiteral("VILLE"), 20}}, records));
    if (data)
        *data = keep.get();
    TDatasetRows rows(*keep);
    return Paginate(report, &rows);
}

QStringList detailRows(int from, int to, int y)
{
    QStringList out;
    for (int i = from; i <= to; ++i, y += 50)
        out << QStringLiteral("100,%1 NOM%2").arg(y).arg(i) << QStringLiteral("600,%1 VILLE%2").arg(y).arg(i);
    return out;
}

TEST(Paginator, ThreeRecordsMakeOnePageOfHeaderDetailsAndFooter)
{
    ListReport r;
    auto doc = paginate(r.report, 3);
    ASSERT_EQ(doc->PageCount(), 1);
    EXPECT_EQ(doc->PageSize, QSize(2100, 2970));
    QStringList expected{QStringLiteral("100,100 Liste des clients")};
    expected << detailRows(1, 3, 200) << QStringLiteral("1600,2790 Page 1 sur 1");
    EXPECT_EQ(TextsOf(*doc, 0), expected);
    const TPageText footer = doc->Page(0).texts.back();
    EXPECT_EQ(footer.alignment, taRightJustify);
    EXPECT_EQ(footer.width, 400);
}

TEST(Paginator, RecordsOverThreePagesEachWithItsHeaderFooterAndCount)
{
    ListReport r;
    mxtest::TMemoryDataset* data = nullptr;
    auto doc = paginate(r.report, 120, &data);
    ASSERT_EQ(doc->PageCount(), 3);
    const int firsts[] = {1, 52, 103};
    const int lasts[] = {51, 102, 120};
    for (int p = 0; p < 3; ++p) {
        QStringList expected{QStringLiteral("100,100 Liste des clients")};
        expected << detailRows(firsts[p], lasts[p], 200) << QStringLiteral("1600,2790 Page %1 sur 3").arg(p + 1);
        EXPECT_EQ(TextsOf(*doc, p), expected) << "page " << p + 1;
        EXPECT_EQ(doc->Page(p).number, p + 1);
    }
    // one pass: every value read once
    EXPECT_EQ(data->Reads(), 120 * 2);
    // the mark stays in the stored text; only TextOf fills it
    EXPECT_TRUE(doc->Page(0).texts.back().text.contains(TReportDocument::PageCountMark()));
}

// A renderer reads every page into one page object: a short last page
// read after full ones holds only its own parts, the same as Page gives.
TEST(Paginator, PagesReadIntoOnePageAreEachAsWritten)
{
    ListReport r;
    auto doc = paginate(r.report, 120);
    ASSERT_EQ(doc->PageCount(), 3);
    TReportPage page;
    for (int p : {0, 1, 2, 0}) {
        doc->ReadPage(p, page);
        const TReportPage alone = doc->Page(p);
        EXPECT_EQ(page.number, p + 1);
        ASSERT_EQ(page.texts.size(), alone.texts.size()) << "page " << p + 1;
        for (size_t i = 0; i < page.texts.size(); ++i) {
            EXPECT_EQ(page.texts[i].text, alone.texts[i].text);
            EXPECT_EQ(page.texts[i].x, alone.texts[i].x);
            EXPECT_EQ(page.texts[i].y, alone.texts[i].y);
        }
        EXPECT_EQ(page.lines.size(), alone.lines.size());
        EXPECT_EQ(page.boxes.size(), alone.boxes.size());
    }
    EXPECT_EQ(page.texts.size(), 1u + 51 * 2 + 1) << "the first page again, after the short last one";
    EXPECT_THROW(doc->ReadPage(3, page), EMxInternal);
}

// With a title (200 high) and a summary (100 high), each case ending its
// records where the summary no longer fits on the first page.
TEST(Paginator, TitleSummaryAndTheHeaderAndFooterOptions)
{
    struct Case {
        const char* name;
        quint32 options;
        int records;
        QStringList page1;
        QStringList page2;
    };
    const QString header = QStringLiteral("100,100 Liste des clients");
    const Case cases[] = {
        // header, title, then 47 records from y 400; the 48th and the
        // summary on page 2
        {"both options", (1u << FirstPageHeader) | (1u << LastPageFooter), 48,
            QStringList{header, QStringLiteral("100,200 Titre")} + detailRows(1, 47, 400)
                + QStringList{QStringLiteral("1600,2790 Page 1 sur 2")},
            QStringList{header} + detailRows(48, 48, 200)
                + QStringList{QStringLiteral("100,250 Total"), QStringLiteral("1600,2790 Page 2 sur 2")}},
        // no header on the first page: 49 records from y 300; the summary
        // alone on page 2, which has no footer
        {"neither option", 0, 49,
            QStringList{QStringLiteral("100,100 Titre")} + detailRows(1, 49, 300)
                + QStringList{QStringLiteral("1600,2790 Page 1 sur 2")},
            QStringList{header, QStringLiteral("100,200 Total")}},
    };
    for (const Case& c : cases) {
        ListReport r;
        r.report.SetOptions(c.options);
        AddLabel(*AddBand(r.report, rbTitle, 200), QStringLiteral("Titre"), QRectF(0, 0, 400, 50));
        AddLabel(*AddBand(r.report, rbSummary, 100), QStringLiteral("Total"), QRectF(0, 0, 400, 50));
        auto doc = paginate(r.report, c.records);
        ASSERT_EQ(doc->PageCount(), 2) << c.name;
        EXPECT_EQ(TextsOf(*doc, 0), c.page1) << c.name;
        EXPECT_EQ(TextsOf(*doc, 1), c.page2) << c.name;
    }
}

TEST(Paginator, EmptyResultsAndBandsTallerThanThePage)
{
    ListReport r;
    auto empty = paginate(r.report, 0);
    ASSERT_EQ(empty->PageCount(), 1) << "PrintIfEmpty prints the headers";
    EXPECT_EQ(TextsOf(*empty, 0),
        (QStringList{QStringLiteral("100,100 Liste des clients"), QStringLiteral("1600,2790 Page 1 sur 1")}));
    r.report.SetPrintIfEmpty(false);
    EXPECT_EQ(paginate(r.report, 0)->PageCount(), 0);
    EXPECT_EQ(Paginate(r.report, nullptr)->PageCount(), 0);

    // a detail taller than the page: one record a page, no endless loop
    ListReport tall;
    tall.report.Band(rbDetail)->SetBounds(QRectF(0, 0, 1900, 4000));
    EXPECT_EQ(paginate(tall.report, 3)->PageCount(), 3);

    // a band that forces a new page starts one before every record but the first
    ListReport forced;
    forced.report.Band(rbDetail)->SetForceNewPage(true);
    EXPECT_EQ(paginate(forced.report, 4)->PageCount(), 4);
}

TEST(Paginator, SystemDataAndConstants)
{
    TQuickRep report;
    report.SetReportTitle(QStringLiteral("Clients"));
    TQRBand* detail = AddBand(report, rbDetail, 50);
    const std::pair<TQRSysDataType, const char*> kinds[] = {{qrsDetailNo, "n°"}, {qrsDetailCount, "sur "},
        {qrsPageNumber, "p."}, {qrsDate, ""}, {qrsTime, ""}, {qrsDateTime, ""}, {qrsReportTitle, ""}};
    double x = 0;
    for (const auto& [kind, text] : kinds) {
        auto* s = AddControl<TQRSysData>(*detail, QRectF(x, 0, 100, 40));
        s->SetData(kind);
        s->SetText(QString::fromUtf8(text));
        x += 100;
    }
    AddExpr(*detail, QStringLiteral("'l''été'"), QRectF(x, 0, 100, 40));
    std::unique_ptr<mxtest::TMemoryDataset> data(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 5}}, 2));
    TDatasetRows rows(*data);
    TPaginateOptions options;
    options.printTime = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2));
    auto doc = Paginate(report, &rows, options);
    QStringList texts;
    for (const TPageText& t : doc->Page(0).texts)
        texts << doc->TextOf(t);
    EXPECT_EQ(texts.mid(0, 8),
        (QStringList{QStringLiteral("n°1"), QStringLiteral("sur 2"), QStringLiteral("p.1"), QStringLiteral("07/03/2024"),
            QStringLiteral("09:05:02"), QStringLiteral("07/03/2024 09:05:02"), QStringLiteral("Clients"), QStringLiteral("l'été")}));
    EXPECT_EQ(texts.value(8), QStringLiteral("n°2"));
}

// Each kind of control prints what it holds: a label its caption, an
// expression its field or its constant, system data its value after its
// text, a shape a line and no text; an empty expression and a control of
// the base class print nothing.
TEST(Paginator, EachKindOfControlPrintsWhatItHolds)
{
    TQuickRep report;
    TQRBand* detail = AddBand(report, rbDetail, 50);
    AddLabel(*detail, QStringLiteral("Client"), QRectF(0, 0, 200, 40));
    AddExpr(*detail, QStringLiteral("NOM"), QRectF(200, 0, 200, 40));
    AddExpr(*detail, QStringLiteral("'fixe'"), QRectF(400, 0, 200, 40));
    AddExpr(*detail, QStringLiteral("  "), QRectF(600, 0, 200, 40));
    auto* no = AddControl<TQRSysData>(*detail, QRectF(800, 0, 200, 40));
    no->SetData(qrsDetailNo);
    no->SetText(QStringLiteral("n°"));
    auto* line = AddControl<TQRShape>(*detail, QRectF(1000, 0, 200, 40));
    line->SetShape(qrsHorLine);
    AddControl<TQRPrintable>(*detail, QRectF(1200, 0, 200, 40));

    auto doc = paginate(report, 1);
    ASSERT_EQ(doc->PageCount(), 1);
    EXPECT_EQ(TextsOf(*doc, 0), (QStringList{QStringLiteral("100,100 Client"), QStringLiteral("300,100 NOM1"),
                                    QStringLiteral("500,100 fixe"), QStringLiteral("900,100 n°1")}));
    ASSERT_EQ(doc->Page(0).lines.size(), 1u);
    EXPECT_EQ(doc->Page(0).lines[0].x1, 1100);
    EXPECT_EQ(doc->Page(0).lines[0].x2, 1300);
    EXPECT_TRUE(doc->Page(0).boxes.empty());
}

TEST(Paginator, AnExpressionOverAMissingFieldIsAnErrorNamingIt)
{
    ListReport r;
    AddExpr(*r.report.Band(rbDetail), QStringLiteral("PRENOM"), QRectF(1000, 0, 300, 40));
    r.report.SetComponentName(QStringLiteral("qrpt1"));
    EXPECT_EQ(mxtest::FailureOf([&] { paginate(r.report, 3); }),
        QStringLiteral("Le rapport qrpt1 utilise le champ PRENOM, qui n'est pas dans le résultat."));
}

TEST(Paginator, TheDatasetsRecordIsPutBack)
{
    ListReport r;
    std::unique_ptr<mxtest::TMemoryDataset> data(
        mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 20}, {QStringLiteral("VILLE"), 20}}, 10));
    data->SetRecNo(4);
    {
        TDatasetRows rows(*data);
        Paginate(r.report, &rows);
    }
    EXPECT_EQ(data->GetRecNo(), 4);
}

} // namespace
