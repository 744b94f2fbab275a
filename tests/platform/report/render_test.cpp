// The default report of a result, and pages written as PDF, read back by
// an independent reader.

#include "reporttest.h"

#include "pdftools.h"

#include "tests/support/memorydataset.h"

#include "engine/core/exceptions.h"
#include "report/defaultreport.h"
#include "report/painterrender.h"
#include "report/paginator.h"
#include "report/rowsource.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <map>

#include <sys/resource.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mx;
using namespace mx::rpt;
using namespace rtest;

namespace {

// Width and height in pixels at 96 dots per inch, as the rule measures.
struct Metrics96 {
    QImage image{1, 1, QImage::Format_RGB32};
    std::unique_ptr<QFontMetrics> m;
    Metrics96(int size, bool bold = false)
    {
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        QFont f(QStringLiteral("Arial"));
        f.setPointSize(size);
        f.setBold(bold);
        m = std::make_unique<QFontMetrics>(f, &image);
    }
    int xs(int n) const { return m->horizontalAdvance(QString(n, u'X')); }
};

TEST(DefaultReport, OneTitleAndOneValuePerFieldSideBySide)
{
    TQuickRep report;
    const std::vector<TReportColumn> columns{
        {QStringLiteral("FAMILLE"), 12}, {QStringLiteral("Quantité vendue"), 8}, {QStringLiteral("VIDE"), 0}};
    BuildDefaultReport(report, 7, columns);

    EXPECT_EQ(report.ComponentName(), QStringLiteral("qrpt7"));
    EXPECT_EQ(report.Tag(), 1);
    EXPECT_FALSE(IsUndesigned(report));
    EXPECT_EQ(report.Font()->Size(), 8);
    EXPECT_EQ(report.Orientation(), poPortrait);
    ASSERT_EQ(report.Bands().size(), 3u);
    TQRBand* header = report.Band(rbPageHeader);
    TQRBand* detail = report.Band(rbDetail);
    ASSERT_TRUE(header && detail && report.Band(rbPageFooter));
    EXPECT_EQ(header->EffectiveFont().Size(), 9);
    EXPECT_TRUE(header->EffectiveFont().Style() & FontStyle(fsBold));
    EXPECT_EQ(detail->EffectiveFont().Size(), 8);
    const Metrics96 m8(8);
    ASSERT_LT(m8.m->height(), 40);
    EXPECT_EQ(detail->Height(), 20) << "halved: the text is lower than the band";
    EXPECT_EQ(header->Height(), 40);

    const auto titles = header->Controls();
    const auto values = detail->Controls();
    ASSERT_EQ(titles.size(), 3u);
    ASSERT_EQ(values.size(), 3u);
    int left = 20;
    for (size_t i = 0; i < columns.size(); ++i) {
        const int width = m8.xs(std::max(1, columns[i].width)) * 3 / 5;
        auto* title = static_cast<TQRExpr*>(titles[i]);
        auto* value = static_cast<TQRExpr*>(values[i]);
        EXPECT_EQ(TQRExpr::Constant(title->Expression()), columns[i].name);
        EXPECT_EQ(value->Expression(), columns[i].name);
        EXPECT_EQ(title->Left(), left) << i;
        EXPECT_EQ(value->Left(), left) << i;
        EXPECT_EQ(title->Top(), 5);
        EXPECT_EQ(title->Width(), width) << i;
        EXPECT_EQ(value->Width(), width) << i;
        EXPECT_GT(width, 0) << "a field 0 wide still gets a control";
        left += width + 30;
    }
    // control names run over the whole report
    EXPECT_EQ(titles[0]->ComponentName(), QStringLiteral("QRExpr1"));
    EXPECT_EQ(values[2]->ComponentName(), QStringLiteral("QRExpr6"));
}

TEST(DefaultReport, LandscapeWhenTheFieldsPassThePortraitPage)
{
    // The printable width of a portrait A4 page: 190 mm, 718 pixels.
    const Metrics96 m8(8);
    const int perField = m8.xs(30) * 3 / 5 + 30;
    const int fit = (718 - 20) / perField; // fields that end within it
    for (const auto& [count, orientation] : {std::pair{fit, poPortrait}, std::pair{fit + 1, poLandscape}}) {
        std::vector<TReportColumn> columns;
        for (int i = 0; i < count; ++i)
            columns.push_back({QStringLiteral("F%1").arg(i), 30});
        TQuickRep report;
        BuildDefaultReport(report, 1, columns);
        EXPECT_EQ(report.Orientation(), orientation) << count << " fields";
        EXPECT_DOUBLE_EQ(report.Band(rbDetail)->Bounds().width(), report.PrintableWidth());
    }
}

TEST(DefaultReport, OverAResultItPrintsTheNamesThenTheValues)
{
    std::unique_ptr<mxtest::TMemoryDataset> data(new mxtest::TMemoryDataset(
        {{QStringLiteral("NOM"), 10}, {QStringLiteral("VILLE"), 10}},
        {{QStringLiteral("Dupont"), QStringLiteral("Paris")}, {QStringLiteral("Martin"), QStringLiteral("Lyon")}}));
    TQuickRep report;
    BuildDefaultReport(report, 1, ResultColumns(*data));
    TDatasetRows rows(*data);
    auto doc = Paginate(report, &rows);
    ASSERT_EQ(doc->PageCount(), 1);
    QStringList texts;
    for (const TPageText& t : doc->Page(0).texts)
        texts << t.text;
    EXPECT_EQ(texts, (QStringList{QStringLiteral("NOM"), QStringLiteral("VILLE"), QStringLiteral("Dupont"), QStringLiteral("Paris"),
                         QStringLiteral("Martin"), QStringLiteral("Lyon")}));
    // the titles' font is the header's, 9 points bold
    EXPECT_EQ(doc->Fonts()[doc->Page(0).texts[0].font].pointSize, 9);
    EXPECT_TRUE(doc->Fonts()[doc->Page(0).texts[0].font].bold);
    EXPECT_EQ(doc->ReportFont.pointSize, 8);
}

// A computed number prints as the grid shows it, not in its exact form.
TEST(DefaultReport, NumbersPrintAsTheWindowsShowThem)
{
    std::unique_ptr<mxtest::TMemoryDataset> data(new mxtest::TMemoryDataset(
        {{QStringLiteral("PRIX"), 10, QStringLiteral("NUMBER")}, {QStringLiteral("CODE"), 10, QStringLiteral("ALPHA")}},
        {{QStringLiteral("7.319999999999999"), QStringLiteral("1.50")}, {QStringLiteral("12"), QStringLiteral("A.2")}}));
    TQuickRep report;
    BuildDefaultReport(report, 1, ResultColumns(*data));
    TDatasetRows rows(*data);
    auto doc = Paginate(report, &rows);
    QStringList texts;
    for (const TPageText& t : doc->Page(0).texts)
        texts << t.text;
    EXPECT_EQ(texts, (QStringList{QStringLiteral("PRIX"), QStringLiteral("CODE"), QStringLiteral("7,32"), QStringLiteral("1.50"),
                         QStringLiteral("12"), QStringLiteral("A.2")}));
}

// Names and values longer than their column: each text is cut at its own
// box, and the boxes of a line never overlap, so nothing is drawn over
// the next column.
TEST(DefaultReport, ATextWiderThanItsColumnIsCutAtItsEdge)
{
    std::unique_ptr<mxtest::TMemoryDataset> data(new mxtest::TMemoryDataset(
        {{QStringLiteral("Commande de la ligne"), 4}, {QStringLiteral("Numéro de ligne"), 3}, {QStringLiteral("Quantité"), 3}},
        {{QStringLiteral("1024"), QStringLiteral("1"), QStringLiteral("12")},
            {QStringLiteral("Une commande au très long libellé"), QStringLiteral("2"), QStringLiteral("3")}}));
    TQuickRep report;
    BuildDefaultReport(report, 1, ResultColumns(*data));
    TDatasetRows rows(*data);
    auto doc = Paginate(report, &rows);
    ASSERT_EQ(doc->PageCount(), 1);
    const TReportPage page = doc->Page(0);
    std::map<qint32, std::vector<TPageText>> lines;
    for (const TPageText& t : page.texts)
        lines[t.y].push_back(t);
    ASSERT_EQ(lines.size(), 3u) << "the names, then two records";
    int cut = 0;
    for (auto& [y, texts] : lines) {
        ASSERT_EQ(texts.size(), 3u) << y;
        std::sort(texts.begin(), texts.end(), [](const TPageText& a, const TPageText& b) { return a.x < b.x; });
        for (size_t i = 0; i < texts.size(); ++i) {
            const TPageText& t = texts[i];
            if (i + 1 < texts.size()) {
                EXPECT_LE(t.x + t.width, texts[i + 1].x) << t.text.toStdString();
            }
            const TReportFont& f = doc->Fonts()[t.font];
            QFont font(f.family);
            font.setPointSize(f.pointSize);
            font.setBold(f.bold);
            // 0.1 mm a unit: 254 units an inch
            const double advance = QFontMetricsF(font).horizontalAdvance(t.text) / QFontMetricsF(font).fontDpi() * 254;
            if (advance > t.width) {
                ++cut;
                EXPECT_TRUE(t.clip) << t.text.toStdString() << " is wider than its column and drawn past it";
            }
        }
    }
    EXPECT_GE(cut, 3) << "the long names and the long value do not fit";
}

// A list over three pages, in portrait and in landscape.
struct PdfCase {
    TQRPrintOrientation orientation;
    const char* size;
};

TEST(Pdf, PagesSizeAndTextAsAnotherReaderSeesThem)
{
    for (const PdfCase& c : {PdfCase{poPortrait, "595 x 842 pts (A4)"}, PdfCase{poLandscape, "842 x 595 pts (A4)"}}) {
        TQuickRep report;
        report.SetOrientation(c.orientation);
        report.SetReportTitle(QStringLiteral("Clients"));
        const double rows = c.orientation == poPortrait ? 2670 : 1800; // room for the details
        AddExpr(*AddBand(report, rbDetail, 50), QStringLiteral("NOM"), QRectF(0, 0, 600, 40));
        auto* n = AddControl<TQRSysData>(*AddBand(report, rbPageFooter, 100), QRectF(0, 20, 600, 50));
        n->SetData(qrsPageOfPages);
        n->SetText(QStringLiteral("Page "));
        const int perPage = int(rows / 50);
        std::unique_ptr<mxtest::TMemoryDataset> data(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 20}}, perPage * 2 + 1));
        TDatasetRows source(*data);
        auto doc = Paginate(report, &source);
        ASSERT_EQ(doc->PageCount(), 3);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("clients.pdf"));
        WritePdf(*doc, file);
        const PdfInfo info = ReadPdfInfo(file);
        EXPECT_EQ(info.pages, 3);
        EXPECT_EQ(info.pageSize, QString::fromLatin1(c.size));
        EXPECT_EQ(info.title, QStringLiteral("Clients"));
        const QString page2 = PdfPageText(file, 2);
        EXPECT_TRUE(page2.contains(QStringLiteral("NOM%1").arg(perPage + 1))) << page2.toStdString();
        EXPECT_TRUE(page2.contains(QStringLiteral("Page 2 sur 3"))) << page2.toStdString();
        EXPECT_FALSE(page2.contains(QStringLiteral("NOM%1\n").arg(perPage)));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("clients.pdf")}) << "no temporary file left";
    }
}

TEST(Pdf, AFileThatCannotBeWrittenIsAnErrorAndLeavesNothing)
{
    TQuickRep report;
    AddLabel(*AddBand(report, rbTitle, 100), QStringLiteral("Titre"), QRectF(0, 0, 400, 50));
    auto doc = Paginate(report, nullptr);
    ASSERT_EQ(doc->PageCount(), 1);
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("absent/r.pdf"));
    const QString error = mxtest::FailureOf([&] { WritePdf(*doc, missing); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Impossible d'écrire le fichier ") + missing)) << error.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

    // no page: nothing is written, the former file stays
    const QString old = dir.filePath(QStringLiteral("old.pdf"));
    mxtest::WriteAll(old, "former");
    report.SetPrintIfEmpty(false);
    auto none = Paginate(report, nullptr);
    EXPECT_THROW(WritePdf(*none, old), EMxException);
    EXPECT_EQ(mxtest::ReadAll(old), QByteArray("former"));
}

// A target that is there and is not a regular file is refused, and what it
// is or points to is left as it was; so is a folder that is not there,
// which is never made.
TEST(Pdf, ATargetThatIsNotARegularFileIsRefusedAndLeftAlone)
{
    TQuickRep report;
    AddLabel(*AddBand(report, rbTitle, 100), QStringLiteral("Titre"), QRectF(0, 0, 400, 50));
    auto doc = Paginate(report, nullptr);
    ASSERT_EQ(doc->PageCount(), 1);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QString other = dir.filePath(QStringLiteral("autre.txt"));
    mxtest::WriteAll(other, "le fichier d'un autre");
    ASSERT_EQ(::symlink(QFile::encodeName(other).constData(), (folder + "/lien.pdf").constData()), 0);
    ASSERT_EQ(::mkfifo((folder + "/tube.pdf").constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier.pdf")));
    // A device node, where the system lets this user make one.
    const bool device = ::mknod((folder + "/null.pdf").constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const struct {
        const char* name;
        mode_t type;
        const char* reason;
    } cases[] = {
        {"lien.pdf", S_IFLNK, "lien symbolique"},
        {"tube.pdf", S_IFIFO, "pas un fichier ordinaire"},
        {"dossier.pdf", S_IFDIR, "pas un fichier ordinaire"},
        {"null.pdf", S_IFCHR, "pas un fichier ordinaire"},
        {"absent/r.pdf", 0, "absent"},
    };
    for (const auto& c : cases) {
        if (c.type == S_IFCHR && !device)
            continue;
        SCOPED_TRACE(c.name);
        const QString target = dir.filePath(QString::fromLatin1(c.name));
        const QString error = mxtest::FailureOf([&] { WritePdf(*doc, target); });
        EXPECT_TRUE(error.startsWith(QStringLiteral("Impossible d'écrire le fichier ") + target)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        struct stat st {};
        if (c.type == 0) {
            EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("absent")))) << "no folder is made";
            continue;
        }
        ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type) << "the target stays what it was";
    }
    EXPECT_EQ(mxtest::ReadAll(other), QByteArray("le fichier d'un autre")) << "what the link points to is kept";
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    EXPECT_EQ(left.size(), device ? 5 : 4) << left.join(u' ').toStdString();
}

// A file size limit stands for a full disk: the write the system refuses
// is told with the system's reason, never "Unknown error", and the former
// file stays whole.
TEST(Pdf, AWriteTheSystemRefusesGivesTheSystemsReason)
{
    TQuickRep report;
    AddExpr(*AddBand(report, rbDetail, 50), QStringLiteral("NOM"), QRectF(0, 0, 600, 40));
    std::unique_ptr<mxtest::TMemoryDataset> data(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 20}}, 2000));
    TDatasetRows source(*data);
    auto doc = Paginate(report, &source);
    ASSERT_GT(doc->PageCount(), 10);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plein.pdf"));
    mxtest::WriteAll(file, "avant");

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QString error = mxtest::FailureOf([&] { WritePdf(*doc, file); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("Unknown error"))) << error.toStdString();
    EXPECT_EQ(mxtest::ReadAll(file), QByteArray("avant"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("plein.pdf")})
        << "no temporary file stays";
}

} // namespace
