// Where a report destination prints, and a step's report printed to PDF.

#include "reporttest.h"

#include "pdftools.h"

#include "tests/support/memorydataset.h"
#include "tests/engine/query/queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/destination/querydestination.h"
#include "report/defaultreport.h"
#include "report/reportdestination.h"
#include "engine/query/querystep.h"
#include "tests/support/testsupport.h"

#include <QDir>

using namespace mx;
using namespace mx::rpt;
using namespace rtest;

namespace {

TEST(PrintTarget, TheRule)
{
    struct Case {
        const char* name;
        const char* pdfFolder;
        const char* printer;
        const char* stored;
        const char* typeFile;
        QStringList outputs;
        TPrintTarget::Kind kind;
        const char* expected; // the printer or the PDF
    };
    const QStringList outputs{QStringLiteral("/res/VENTES.TXT"), QStringLiteral("/tables/VENTES.DBF")};
    const Case cases[] = {
        {"the variable first", "/pdf", "Bureau", "VENTES", "/q/VENTES.PDF", outputs, TPrintTarget::Pdf, "/pdf/VENTES.PDF"},
        {"a folder in the name is left for the variable", "/pdf", "", "/rap/ventes", "/rap/ventes.PDF", {}, TPrintTarget::Pdf,
            "/pdf/ventes.PDF"},
        {"then a printer", "", "Bureau", "VENTES", "/q/VENTES.PDF", outputs, TPrintTarget::Printer, "Bureau"},
        {"no printer: beside the first file output", "", "", "VENTES", "/q/VENTES.PDF", outputs, TPrintTarget::Pdf,
            "/res/VENTES.PDF"},
        {"no printer, no file output: the destination's file", "", "", "VENTES", "/q/VENTES.PDF", {}, TPrintTarget::Pdf,
            "/q/VENTES.PDF"},
        {"a name with a folder is the PDF's", "", "", "/rap/ventes", "/rap/ventes.PDF", outputs, TPrintTarget::Pdf,
            "/rap/ventes.PDF"},
        {"whatever the type's extension", "", "", "/rap/ventes", "/rap/ventes.QRP", {}, TPrintTarget::Pdf, "/rap/ventes.PDF"},
    };
    for (const Case& c : cases) {
        const TPrintTarget t = ChoosePrintTarget(QString::fromLatin1(c.pdfFolder), QString::fromLatin1(c.printer),
            QString::fromLatin1(c.stored), QString::fromLatin1(c.typeFile), c.outputs);
        EXPECT_EQ(t.kind, c.kind) << c.name;
        EXPECT_EQ(t.kind == TPrintTarget::Printer ? t.printer : t.pdfFile, QString::fromLatin1(c.expected)) << c.name;
    }
}

// A step of the query fixture, its report printed to PDF into a folder of
// the test's (MORVELIN_PRINT_PDF).
class StepReportPrint : public qtest::QueryTest {
protected:
    StepReportPrint()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("pdf"));
        m_oldVariable = qgetenv(kPrintPdfVariable);
        qputenv(kPrintPdfVariable, Path(QStringLiteral("pdf")).toLocal8Bit());
    }
    ~StepReportPrint() override
    {
        if (m_oldVariable.isEmpty())
            qunsetenv(kPrintPdfVariable);
        else
            qputenv(kPrintPdfVariable, m_oldVariable);
    }
    TQueryDestinationItem* Destination()
    {
        auto* d = m_step->Destinations()->FindByName(QStringLiteral("Rapport"));
        d->SetFileName(QStringLiteral("VENTES"));
        return d;
    }
    void Print() { PrintStepReport(*m_step, *Destination(), QStringLiteral("/nowhere/VENTES.RPT"), m_step->Dataset()); }
    QString Pdf() const { return Path(QStringLiteral("pdf/VENTES.PDF")); }
    QByteArray m_oldVariable;
};

TEST_F(StepReportPrint, AReportNobodyDesignedPrintsTheDefaultReportOfTheCurrentResult)
{
    auto* report = dynamic_cast<TQuickRep*>(m_step->QuickReport());
    ASSERT_TRUE(report);
    m_step->SetDataset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 12}, {QStringLiteral("VILLE"), 12}}, 3));
    Print();
    ASSERT_EQ(ReadPdfInfo(Pdf()).pages, 1);
    const QString text = PdfPageText(Pdf(), 1);
    for (const char* s : {"NOM", "VILLE", "NOM1", "VILLE3"})
        EXPECT_TRUE(text.contains(QLatin1String(s))) << s << "\n" << text.toStdString();
    EXPECT_TRUE(IsUndesigned(*report)) << "the step's own report is left as it was";
    ASSERT_FALSE(m_service.messages.isEmpty());
    EXPECT_EQ(m_service.messages.last(), QStringLiteral("Etape 1 : rapport écrit dans %1 (1 page).").arg(Pdf()));
    EXPECT_EQ(m_service.messageTypes.last(), TMsgDlgType::mtInformation);

    // The next run frees that result: the report prints the new one (48
    // records a page).
    m_step->SetDataset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 12}}, 120));
    Print();
    EXPECT_EQ(ReadPdfInfo(Pdf()).pages, 3);
    EXPECT_TRUE(PdfPageText(Pdf(), 3).contains(QStringLiteral("NOM120")));
}

TEST_F(StepReportPrint, ADesignedReportPrintsAsDesigned)
{
    auto* report = dynamic_cast<TQuickRep*>(m_step->QuickReport());
    AddExpr(*AddBand(*report, rbDetail, 50), QStringLiteral("VILLE"), QRectF(0, 0, 400, 40));
    m_step->SetDataset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 12}, {QStringLiteral("VILLE"), 12}}, 2));
    Print();
    const QString text = PdfPageText(Pdf(), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("VILLE2")));
    EXPECT_FALSE(text.contains(QStringLiteral("NOM"))) << text.toStdString();
}

TEST_F(StepReportPrint, WhatCannotBePrintedIsAnErrorThatSaysWhy)
{
    // no result
    EXPECT_EQ(mxtest::FailureOf([&] { Print(); }), QStringLiteral("Etape 1 : l'étape n'a pas de résultat à imprimer."));
    // a folder that does not exist
    m_step->SetDataset(mxtest::MakeNumberedDataset({{QStringLiteral("NOM"), 12}}, 2));
    qputenv(kPrintPdfVariable, Path(QStringLiteral("absent")).toLocal8Bit());
    EXPECT_EQ(mxtest::FailureOf([&] { Print(); }),
        QStringLiteral("Le dossier %1 n'existe pas : le rapport %2 n'est pas écrit.")
            .arg(Path(QStringLiteral("absent")), Path(QStringLiteral("absent/VENTES.PDF"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("absent"))));
}

} // namespace
