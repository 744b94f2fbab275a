// The runtime's report over rows as read from the program: every page has
// its title, captions and page count, each row is printed once, columns
// stay within the page, and a page range is written whole or not at all.

#include "tests/platform/report/reporttest.h"

#include "runtime/reportlayout.h"

#include "report/pagemodel.h"
#include "report/reportparts.h"

#include <QFile>
#include <QTemporaryDir>

#include <set>

using namespace mx::rpt;

namespace {

struct Fixture {
    morvrs::ReportFile report;
    morvrs::ReportData data;
};

Fixture Sample(int rows, const QString& longText = {})
{
    Fixture f;
    f.report.title = QStringLiteral("Ventes ({Periode})");
    f.report.variables = {{QStringLiteral("Periode"), QStringLiteral("mars")}};
    f.data.columns = {{QStringLiteral("Libellé"), QStringLiteral("Produit"), 1, false},
        {QStringLiteral("Quantité"), QStringLiteral("Qté"), 3, true},
        {QStringLiteral("Note"), QStringLiteral("Note"), 1, false}};
    for (int i = 1; i <= rows; ++i)
        f.data.rows.push_back({QStringLiteral("Produit %1").arg(i), QString::number(i * 7), longText});
    return f;
}

TEST(RuntimeLayout, EveryPageHasTitleCaptionsAndCountAndEachRowPrintsOnce)
{
    const Fixture f = Sample(150);
    QString error;
    const auto doc = morvrs::layOutReport(f.report, f.data, &error);
    ASSERT_TRUE(doc) << error.toStdString();
    ASSERT_GT(doc->PageCount(), 2);
    EXPECT_FALSE(doc->Landscape);
    EXPECT_EQ(doc->Title, QStringLiteral("Ventes (mars)"));
    std::multiset<QString> printed;
    for (int p = 0; p < doc->PageCount(); ++p) {
        const TReportPage page = doc->Page(p);
        QStringList texts;
        qint32 footerTop = doc->PageSize.height();
        for (const TPageText& t : page.texts) {
            texts << doc->TextOf(t);
            if (t.pageCount)
                footerTop = t.y;
        }
        EXPECT_TRUE(texts.contains(u"Ventes (mars)")) << "page " << p + 1;
        EXPECT_TRUE(texts.contains(u"Produit") && texts.contains(u"Qté")) << "page " << p + 1;
        EXPECT_TRUE(texts.contains(QStringLiteral("Page %1 sur %2").arg(p + 1).arg(doc->PageCount())));
        for (const TPageText& t : page.texts) {
            if (doc->TextOf(t).startsWith(u"Produit ")) {
                printed.insert(doc->TextOf(t));
                EXPECT_LE(t.y + t.height, footerTop) << "rows stay above the foot";
            }
            EXPECT_LE(t.x + t.width, doc->PageSize.width() - 150) << doc->TextOf(t).toStdString();
        }
    }
    EXPECT_EQ(printed.size(), 150u);
    EXPECT_EQ(std::set<QString>(printed.begin(), printed.end()).size(), 150u);
}

TEST(RuntimeLayout, NumbersAlignRightAndLongTextsAreCutWithinTheirColumn)
{
    Fixture f = Sample(3, QString(400, u'W'));
    f.report.landscape = true;
    QString error;
    const auto doc = morvrs::layOutReport(f.report, f.data, &error);
    ASSERT_TRUE(doc) << error.toStdString();
    ASSERT_EQ(doc->PageCount(), 1);
    EXPECT_TRUE(doc->Landscape);
    EXPECT_GT(doc->PageSize.width(), doc->PageSize.height());
    const TReportPage page = doc->Page(0);
    qint32 noteLeft = -1;
    for (const TPageText& t : page.texts) {
        const QString text = doc->TextOf(t);
        if (text == u"14" || text == u"Qté") {
            EXPECT_EQ(t.alignment, quint8(taRightJustify)) << text.toStdString();
        }
        if (text.startsWith(u"WWW")) {
            EXPECT_TRUE(t.clip);
            EXPECT_LE(t.x + t.width, doc->PageSize.width() - 150) << "narrowed to the page";
            noteLeft = t.x;
        }
    }
    ASSERT_GT(noteLeft, 0);
    for (const TPageText& t : page.texts) {
        if (doc->TextOf(t).startsWith(u"Produit ")) {
            EXPECT_LT(t.x + t.width, noteLeft) << "columns do not overlap";
        }
    }
}

TEST(RuntimeLayout, APageRangeOutsideTheReportWritesNothing)
{
    const Fixture f = Sample(2);
    QString error;
    const auto doc = morvrs::layOutReport(f.report, f.data, &error);
    ASSERT_TRUE(doc) << error.toStdString();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("former");
    }
    EXPECT_FALSE(morvrs::writeReportPdf(*doc, file, 3, 5, &error));
    EXPECT_TRUE(error.contains(u"Aucune page entre 3 et 5")) << error.toStdString();
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("former"));
    kept.close();
    EXPECT_TRUE(morvrs::writeReportPdf(*doc, file, 1, 0, &error)) << error.toStdString();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF"));
}

} // namespace
