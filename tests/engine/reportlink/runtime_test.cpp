// Reports run on the report runtime program (morvrs, started as a
// subprocess by the report as the program would), reading real results
// through the data server; the PDF files it writes are read back with
// poppler's pdfinfo and pdftotext.

#include "linkfixture.h"
#include "tests/support/samplefiles.h"

#include "engine/bde/bdedestdrivers.h"
#include "engine/core/exceptions.h"
#include "engine/driver/destproperties.h"

#include "platform/reportlink/rendezvous.h"
#include "platform/reportlink/rsapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

using namespace mx;
namespace rs = platform::rs;

namespace {

struct Pdf {
    int pages = 0;
    QString size; // "595 x 842 pts (A4)"
    QString text;
};

Pdf ReadPdf(const QString& file)
{
    Pdf pdf;
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    if (!info.waitForFinished(30000) || info.exitCode() != 0) {
        ADD_FAILURE() << "pdfinfo " << file.toStdString() << ": " << info.readAllStandardError().toStdString();
        return pdf;
    }
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    pdf.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out).captured(1).toInt();
    pdf.size = QRegularExpression(QStringLiteral("Page size:\\s+(.*)")).match(out).captured(1).trimmed();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    text.waitForFinished(30000);
    pdf.text = QString::fromUtf8(text.readAllStandardOutput());
    return pdf;
}

class RuntimeTest : public linktest::RuntimeLinkTest {
protected:
    // A report file of the test's folder.
    QString WriteReport(const QString& name, const QString& text)
    {
        const QString file = Path(name);
        mxtest::WriteAll(file, text.toUtf8());
        return file;
    }

    static bool RuntimeAnswers(const char* kind = rs::kRuntimeKind)
    {
        return rs::RsApi::findRuntime(QString::fromLatin1(kind));
    }

    // Waits a little for a runtime to end after it was told to.
    static bool RuntimeEnds()
    {
        QElapsedTimer t;
        t.start();
        while (RuntimeAnswers() && t.elapsed() < 5000)
            QThread::msleep(20);
        return !RuntimeAnswers();
    }

    // The lines report of n rows, to a PDF of the test's folder.
    QString LinesReport()
    {
        return WriteReport(QStringLiteral("LIGNES.rpt"),
            QStringLiteral("[Report]\nTitle=Les lignes\nDataset=Lignes\nFields=N;LIBELLE\nOutput=pdf\nFile=%1\n")
                .arg(Path(QStringLiteral("out/LIGNES.pdf"))));
    }
};

} // namespace

TEST_F(RuntimeTest, PrintsASampleReportFromAQueryResultAsPdf)
{
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("CLIENTS.rpt")), Path(QStringLiteral("CLIENTS.rpt"))));
    m_db = mxtest::SampleFile(QStringLiteral("MORVELIN.DB"));
    linktest::Dataset clients = Query(QStringLiteral(
        "SELECT D1.REGION AS \"Région\", D1.NOM AS \"Ville\", D2.NOM AS \"Nom\", D2.PRENOM AS \"Prénom\", "
        "D2.SOCIETE AS \"Société\", D2.TELEPHONE AS \"Téléphone\", D2.DATE_CREATION AS \"Client depuis\" "
        "FROM VILLES D1, CLIENTS D2 WHERE D1.CODE_VILLE = D2.CODE_VILLE AND D1.REGION = 'Bretagne' "
        "ORDER BY D1.NOM, D2.NOM"));
    ASSERT_TRUE(clients);
    const int rows = clients->GetRecordCount();
    ASSERT_GT(rows, 0);
    clients->First();
    const QString firstName = clients->GetFieldValueByName(QStringLiteral("Nom"));
    clients->SetRecNo(rows);
    const QString lastName = clients->GetFieldValueByName(QStringLiteral("Nom"));

    TReport report;
    report.SetUseRunTime(true);
    report.SetAutoUnload(true);
    report.SetReportDir(m_dir.path());
    report.SetReportName(QStringLiteral("CLIENTS"));
    // ", " inside a value reaches the runtime whole.
    report.InitialValues() << QStringLiteral("Region>de Bretagne, Finistère compris");
    ASSERT_TRUE(report.OfferDataset(QStringLiteral("Clients par ville"), clients.get()));
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    EXPECT_TRUE(RuntimeEnds()) << "started for this report and unloaded after it";
    EXPECT_EQ(clients->GetRecNo(), rows) << "the runtime read through a cursor of its own";

    // The relative file of the report goes into the private query folder.
    const Pdf pdf = ReadPdf(Path(QStringLiteral("out/CLIENTS.pdf")));
    ASSERT_GE(pdf.pages, 1);
    // the program learns where the pages went, to tell the user
    EXPECT_EQ(report.PrintedPdf(), QFileInfo(Path(QStringLiteral("out/CLIENTS.pdf"))).absoluteFilePath());
    EXPECT_EQ(report.PrintedPages(), pdf.pages);
    EXPECT_TRUE(pdf.size.startsWith(u"842 x 595")) << "landscape: " << pdf.size.toStdString();
    EXPECT_TRUE(pdf.text.contains(u"Clients de Bretagne, Finistère compris")) << "the variable set: " << pdf.text.left(300).toStdString();
    EXPECT_TRUE(pdf.text.contains(u"Depuis le")) << "a caption of the report";
    EXPECT_TRUE(pdf.text.contains(firstName)) << firstName.toStdString();
    EXPECT_TRUE(pdf.text.contains(lastName)) << lastName.toStdString();
    EXPECT_TRUE(pdf.text.contains(QStringLiteral("Page %1 sur %1").arg(pdf.pages))) << pdf.text.right(200).toStdString();
    EXPECT_FALSE(pdf.text.contains(u"Île-de-France")) << "only the rows offered";
}

TEST_F(RuntimeTest, PrintsTheAskedPagesWithinTheRecordLimitAndFindsTheRunningRuntime)
{
    MakeDatabase(400);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES ORDER BY N"));
    ASSERT_TRUE(lines);
    LinesReport();
    const QString pdfFile = Path(QStringLiteral("out/LIGNES.pdf"));

    TReport report;
    report.SetUseRunTime(true);
    report.SetReportDir(m_dir.path());
    report.SetReportName(QStringLiteral("LIGNES.rpt"));
    ASSERT_TRUE(report.OfferDataset(QStringLiteral("Lignes"), lines.get()));

    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    const Pdf all = ReadPdf(pdfFile);
    ASSERT_GT(all.pages, 3);
    EXPECT_TRUE(all.text.contains(u"Libellé numéro 400"));
    EXPECT_TRUE(report.StartedEngine());
    EXPECT_TRUE(RuntimeAnswers()) << "no AutoUnload: the runtime stays";

    report.SetStartPage(2);
    report.SetEndPage(3);
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    const Pdf range = ReadPdf(pdfFile);
    EXPECT_EQ(range.pages, 2);
    EXPECT_TRUE(range.text.contains(QStringLiteral("Page 2 sur %1").arg(all.pages)));
    EXPECT_TRUE(range.text.contains(QStringLiteral("Page 3 sur %1").arg(all.pages)));
    EXPECT_FALSE(range.text.contains(u"Libellé numéro 1\n")) << "page 1 left out";

    report.SetStartPage(1);
    report.SetEndPage(9999);
    report.SetMaxRecords(10);
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    const Pdf limited = ReadPdf(pdfFile);
    EXPECT_EQ(limited.pages, 1);
    EXPECT_TRUE(limited.text.contains(u"Libellé numéro 10"));
    EXPECT_FALSE(limited.text.contains(u"Libellé numéro 11"));

    // Another report finds the runtime running and does not start one.
    TReport other;
    other.SetUseRunTime(true);
    other.SetReportDir(m_dir.path());
    other.SetReportName(QStringLiteral("LIGNES"));
    ASSERT_TRUE(other.OfferDataset(QStringLiteral("Lignes"), lines.get()));
    ASSERT_EQ(other.Run(), 0) << other.LastApiError().toStdString();
    EXPECT_FALSE(other.StartedEngine());
}

TEST_F(RuntimeTest, TheReportThatStartedTheRuntimeClosesItWhenItGoes)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    LinesReport();
    {
        TReport report;
        report.SetUseRunTime(true);
        report.SetPreview(true); // preview: loaded, not printed, kept
        report.SetReportDir(m_dir.path());
        report.SetReportName(QStringLiteral("LIGNES"));
        ASSERT_TRUE(report.OfferDataset(QStringLiteral("Lignes"), lines.get()));
        ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/LIGNES.pdf")))) << "a preview prints nothing";
        EXPECT_TRUE(RuntimeAnswers());
    }
    EXPECT_TRUE(RuntimeEnds());
}

TEST_F(RuntimeTest, FailuresOfTheRuntimeComeBackWithTheirReason)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    LinesReport();
    WriteReport(QStringLiteral("CHAMP.rpt"), QStringLiteral("[Report]\nDataset=Lignes\nFields=N;PRIX\nOutput=pdf\nFile=%1\n")
                                                  .arg(Path(QStringLiteral("out/CHAMP.pdf"))));
    WriteReport(QStringLiteral("CASSE.rpt"), QStringLiteral("[Report]\nOutput=fax\n"));
    const struct {
        const char* report;
        QStringList initialValues;
        int result; // -1: raises
        const char* reason;
    } cases[] = {
        {"ABSENT", {}, -1, "Rapport "},
        {"CHAMP", {}, 11, "PRIX"},
        {"CASSE", {}, 10, "Output=fax"},
        {"LIGNES", {QStringLiteral("Inconnue>1")}, 10, "Inconnue"},
        {"LIGNES", {QString(300, u'x') + u'>'}, -1, "255"},
    };
    TReport report;
    report.SetUseRunTime(true);
    report.SetReportDir(m_dir.path());
    ASSERT_TRUE(report.OfferDataset(QStringLiteral("Lignes"), lines.get()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        report.SetReportName(QString::fromLatin1(c.report));
        report.InitialValues() = c.initialValues;
        if (c.result < 0) {
            EXPECT_TRUE(mxtest::FailureOf([&] { report.Run(); }).contains(QString::fromUtf8(c.reason)));
            continue;
        }
        EXPECT_EQ(report.Run(), c.result);
        EXPECT_TRUE(report.LastApiError().contains(QString::fromUtf8(c.reason))) << report.LastApiError().toStdString();
    }

    // The destination says so with "Error : ", for the run to count it.
    TMxReportSmithDestDriver driver;
    const QString message = mxtest::FailureOf([&] { driver.Print(nullptr, Path(QStringLiteral("CHAMP.rpt")), lines.get()); });
    EXPECT_TRUE(message.startsWith(u"Error : ") && message.contains(u"PRIX")) << message.toStdString();
}

TEST_F(RuntimeTest, ARuntimeKilledMidRequestLeavesTheProgramResponsive)
{
    MakeDatabase(50);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES ORDER BY N"));
    LinesReport();
    mxtest::TTestDispatcher dispatcher(mxtest::TTestDispatcher::CallersWaitLoop);
    ScopedUiDispatcher scope(&dispatcher);

    TReport report;
    report.SetUseRunTime(true);
    report.SetAutoUnload(true);
    report.SetReportDir(m_dir.path());
    report.SetReportName(QStringLiteral("LIGNES"));
    ASSERT_TRUE(report.OfferDataset(QStringLiteral("Lignes"), lines.get()));
    // The third request (the first records) is being answered when the
    // runtime is killed; it holds the request record's lock then.
    dispatcher.SetBeforeCall([&](int n) {
        if (n != 3)
            return;
        const pid_t pid = pid_t(report.ConnectionValue());
        ASSERT_GT(pid, 0);
        ::kill(pid, SIGKILL);
        QElapsedTimer t;
        t.start();
        while (rs::RsApi::processAlive(pid) && t.elapsed() < 5000)
            QThread::msleep(5);
        ASSERT_FALSE(rs::RsApi::processAlive(pid));
    });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(report.Run(), rs::RsApi::kGone);
    EXPECT_LT(elapsed.elapsed(), 10000) << "told at once, not after a time-out";
    EXPECT_TRUE(report.LastApiError().contains(u"ended")) << report.LastApiError().toStdString();
    EXPECT_FALSE(report.Connected());
    EXPECT_EQ(ReportManager()->ChannelCursor(0), nullptr) << "the dead runtime's channel is let go";

    // A new runtime is started, and the request record serves it.
    dispatcher.SetBeforeCall(nullptr);
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    EXPECT_TRUE(ReadPdf(Path(QStringLiteral("out/LIGNES.pdf"))).text.contains(u"Libellé numéro 50"));
}

TEST_F(RuntimeTest, ARunFromInsideAWaitingCallFindsTheApiBusy)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    LinesReport();
    mxtest::TTestDispatcher dispatcher(mxtest::TTestDispatcher::CallersWaitLoop);
    ScopedUiDispatcher scope(&dispatcher);
    TReport report;
    TReport other;
    for (TReport* r : {&report, &other}) {
        r->SetUseRunTime(true);
        r->SetReportDir(m_dir.path());
        r->SetReportName(QStringLiteral("LIGNES"));
        ASSERT_TRUE(r->OfferDataset(QStringLiteral("Lignes"), lines.get()));
    }
    int inner = -1;
    dispatcher.SetBeforeCall([&](int n) {
        if (n == 1)
            inner = other.Run(); // the program waits inside report.Run
    });
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    EXPECT_EQ(inner, 1);
    EXPECT_TRUE(other.LastApiError().contains(u"occupé")) << other.LastApiError().toStdString();
}

TEST_F(RuntimeTest, MemoTextsAreReadInChunksAndPrinted)
{
    MakeDatabase();
    linktest::Dataset notes = Query(QStringLiteral("SELECT ID, NOTE FROM T WHERE ID < 3 ORDER BY ID"));
    WriteReport(QStringLiteral("NOTES.rpt"),
        QStringLiteral("[Report]\nTitle=Notes\nOutput=pdf\nFile=%1\n").arg(Path(QStringLiteral("out/NOTES.pdf"))));
    TReport report;
    report.SetUseRunTime(true);
    report.SetAutoUnload(true);
    report.SetReportDir(m_dir.path());
    report.SetReportName(QStringLiteral("NOTES"));
    // No dataset named in the report: the first offered.
    ASSERT_TRUE(report.OfferDataset(QStringLiteral("Notes"), notes.get()));
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    const Pdf pdf = ReadPdf(Path(QStringLiteral("out/NOTES.pdf")));
    EXPECT_TRUE(pdf.text.contains(u"court"));
    EXPECT_TRUE(pdf.text.contains(u"Ligne 0 : été, hiver")) << "the 70,000-byte note, its start shown: " << pdf.text.toStdString();
}
