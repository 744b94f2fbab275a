// The stored form of reports: what another tool wrote comes back byte for
// byte, what the layer knows is read, what was edited is written anew.

#include "reporttest.h"

#include "tests/engine/query/queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"
#include "tests/support/testsupport.h"

using namespace mx;
using namespace mx::rpt;
using namespace rtest;

namespace {

void floats(TMxWriter& w, std::initializer_list<double> values)
{
    w.WriteListBegin();
    for (double v : values)
        w.WriteFloat(v);
    w.WriteListEnd();
}

// A report as the band-report library writes it: properties this layer
// knows and some it does not, a value of a type it does not expect, a
// control class and a band class it has no part for.
QByteArray foreignReport()
{
    QByteArray b;
    TMxWriter w(b);
    w.WriteStr(QStringLiteral("TQuickRep"));
    w.WriteStr(QStringLiteral("qrpt1"));
    w.WriteStr(QStringLiteral("Left"));
    w.WriteInteger(-2);
    w.WriteStr(QStringLiteral("Tag"));
    w.WriteInteger(1);
    w.WriteStr(QStringLiteral("Frame.Color"));
    w.WriteInteger(0);
    w.WriteStr(QStringLiteral("Bands.HasTitle"));
    w.WriteBoolean(true);
    w.WriteStr(QStringLiteral("Font.Charset"));
    w.WriteIdent(QStringLiteral("DEFAULT_CHARSET"));
    w.WriteStr(QStringLiteral("Font.Height"));
    w.WriteInteger(-11);
    w.WriteStr(QStringLiteral("Font.Name"));
    w.WriteString(QStringLiteral("Arial"));
    w.WriteStr(QStringLiteral("Functions.DATA"));
    w.WriteListBegin();
    w.WriteString(QStringLiteral("0"));
    w.WriteString(QStringLiteral("''"));
    w.WriteListEnd();
    w.WriteStr(QStringLiteral("Page.Orientation"));
    w.WriteIdent(QStringLiteral("poLandscape"));
    w.WriteStr(QStringLiteral("Page.PaperSize"));
    w.WriteIdent(QStringLiteral("A4"));
    w.WriteStr(QStringLiteral("Page.Values"));
    floats(w, {150, 2970, 120, 2100, 100, 80, 0});
    w.WriteStr(QStringLiteral("Units"));
    w.WriteIdent(QStringLiteral("MM"));
    w.WriteStr(QStringLiteral("Zoom"));
    w.WriteInteger(100);
    w.WriteListEnd();
    // the title band
    w.WriteStr(QStringLiteral("TQRBand"));
    w.WriteStr(QStringLiteral("TitleBand1"));
    w.WriteStr(QStringLiteral("Left"));
    w.WriteInteger(38);
    w.WriteStr(QStringLiteral("Height"));
    w.WriteInteger(40);
    w.WriteStr(QStringLiteral("Frame.DrawBottom"));
    w.WriteBoolean(true);
    w.WriteStr(QStringLiteral("AlignToBottom"));
    w.WriteBoolean(false);
    w.WriteStr(QStringLiteral("Size.Values"));
    floats(w, {105.83333333333333, 1899.7083333333333});
    w.WriteStr(QStringLiteral("BandType"));
    w.WriteIdent(QStringLiteral("rbTitle"));
    w.WriteListEnd();
    {
        w.WriteStr(QStringLiteral("TQRLabel"));
        w.WriteStr(QStringLiteral("QRLabel1"));
        w.WriteStr(QStringLiteral("Left"));
        w.WriteInteger(20);
        w.WriteStr(QStringLiteral("AutoSize"));
        w.WriteInteger(1); // a boolean written as a number: kept as it is
        w.WriteStr(QStringLiteral("Size.Values"));
        floats(w, {44.979166666666667, 52.916666666666667, 13.229166666666667, 171.97916666666667});
        w.WriteStr(QStringLiteral("Caption"));
        w.WriteString(QStringLiteral("Ventes de l'été"));
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteStr(QStringLiteral("TQRDBText"));
        w.WriteStr(QStringLiteral("QRDBText1"));
        w.WriteStr(QStringLiteral("DataField"));
        w.WriteString(QStringLiteral("NOM"));
        w.WriteListEnd();
        w.WriteListEnd();
    }
    w.WriteListEnd();
    // a band kind with no part, holding a control of its own
    w.WriteStr(QStringLiteral("TQRChildBand"));
    w.WriteStr(QStringLiteral("ChildBand1"));
    w.WriteStr(QStringLiteral("ParentBand"));
    w.WriteIdent(QStringLiteral("TitleBand1"));
    w.WriteListEnd();
    w.WriteStr(QStringLiteral("TQRLabel"));
    w.WriteStr(QStringLiteral("QRLabel2"));
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
    return b;
}

QByteArray written(TQuickRep& report)
{
    QByteArray b;
    TMxWriter w(b);
    report.WriteReport(w);
    return b;
}

void read(TQuickRep& report, const QByteArray& bytes)
{
    TMxReader r(bytes);
    report.ReadReport(r);
    EXPECT_EQ(r.Position(), bytes.size());
}

TEST(ReportStream, AForeignReportIsReadAndComesBackByteForByte)
{
    const QByteArray record = foreignReport();
    TQuickRep report;
    read(report, record);

    EXPECT_EQ(report.ComponentName(), QStringLiteral("qrpt1"));
    EXPECT_EQ(report.Tag(), 1);
    EXPECT_EQ(report.Orientation(), poLandscape);
    EXPECT_EQ(report.PageSizeTenthMm(), QSizeF(2970, 2100));
    EXPECT_EQ(report.TopMargin, 80);
    EXPECT_EQ(report.LeftMargin, 120);
    EXPECT_EQ(report.Font()->Size(), 8) << "from Font.Height";
    ASSERT_EQ(report.Bands().size(), 1u);
    TQRBand* title = report.Band(rbTitle);
    ASSERT_TRUE(title);
    EXPECT_TRUE(report.HasBand(rbTitle));
    EXPECT_DOUBLE_EQ(title->Bounds().height(), 105.83333333333333) << "Size.Values wins over Height";
    EXPECT_TRUE(title->Frame()->DrawBottom);
    ASSERT_EQ(title->Controls().size(), 1u);
    auto* label = dynamic_cast<TQRLabel*>(title->Controls()[0]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Caption(), QStringLiteral("Ventes de l'été"));
    EXPECT_DOUBLE_EQ(label->Bounds().left(), 52.916666666666667);
    EXPECT_EQ(label->Left(), 20);
    EXPECT_EQ(title->ChildRecords().size(), 2u) << "the unknown control is kept in its place";
    EXPECT_EQ(report.ChildRecords().size(), 2u) << "and so is the unknown band";

    EXPECT_EQ(mxtest::Hex(written(report)), mxtest::Hex(record));
    // a copy keeps everything as well
    EXPECT_EQ(mxtest::Hex(written(*report.CloneReport())), mxtest::Hex(record));
}

TEST(ReportStream, EditsRewriteOnlyWhatChanged)
{
    TQuickRep report;
    read(report, foreignReport());
    TQRBand* title = report.Band(rbTitle);
    auto* label = static_cast<TQRLabel*>(title->Controls()[0]);
    label->SetCaption(QStringLiteral("Ventes d'hiver"));
    title->SetHeight(60);
    title->Frame()->DrawBottom = false; // back to the default: left out
    report.SetHasBand(rbPageFooter, true);

    const QByteArray bytes = written(report);
    TQuickRep again;
    read(again, bytes);
    EXPECT_EQ(static_cast<TQRLabel*>(again.Band(rbTitle)->Controls()[0])->Caption(), QStringLiteral("Ventes d'hiver"));
    EXPECT_EQ(again.Band(rbTitle)->Height(), 60);
    EXPECT_FALSE(again.Band(rbTitle)->Frame()->DrawBottom);
    EXPECT_TRUE(again.HasBand(rbPageFooter));
    EXPECT_EQ(again.Orientation(), poLandscape);
    // what the layer does not know is still there, in its place
    for (const char* kept : {"Units", "Zoom", "Functions.DATA", "AlignToBottom", "TQRDBText", "DataField", "TQRChildBand",
             "ParentBand", "QRLabel2"})
        EXPECT_TRUE(bytes.contains(kept)) << kept;
    EXPECT_FALSE(bytes.contains("Frame.DrawBottom"));
    EXPECT_FALSE(bytes.contains("Ventes de l"));
    // and a second write of what was read gives the same bytes
    EXPECT_EQ(written(again), bytes);
}

TEST(ReportStream, APropertyGivenTwiceIsKeptTwiceUntilChanged)
{
    QByteArray record;
    TMxWriter w(record);
    w.WriteStr(QStringLiteral("TQuickRep"));
    w.WriteStr(QStringLiteral("qrpt1"));
    w.WriteStr(QStringLiteral("Tag"));
    w.WriteInteger(1);
    w.WriteStr(QStringLiteral("ReportTitle"));
    w.WriteString(QStringLiteral("a"));
    w.WriteStr(QStringLiteral("Tag"));
    w.WriteInteger(1);
    w.WriteListEnd();
    w.WriteListEnd();
    TQuickRep report;
    read(report, record);
    EXPECT_EQ(written(report), record);
    report.SetReportTitle(QStringLiteral("b"));
    const QByteArray retitled = written(report);
    EXPECT_EQ(retitled.count("Tag"), 2);
    report.SetTag(2);
    TQuickRep back;
    read(back, written(report));
    EXPECT_EQ(back.Tag(), 2) << "a change is written once, where the value first was";
    EXPECT_EQ(written(report).count("Tag"), 1);
    EXPECT_EQ(back.ReportTitle(), QStringLiteral("b"));
}

TEST(ReportStream, AReportMadeHereReadsBackTheSame)
{
    TQuickRep report;
    report.SetComponentName(QStringLiteral("qrpt2"));
    report.SetOrientation(poLandscape);
    report.Font()->SetSize(8);
    AddLabel(*AddBand(report, rbPageHeader, 100), QStringLiteral("Titre"), QRectF(10, 5, 400, 40));
    auto* value = AddExpr(*AddBand(report, rbDetail, 50), QStringLiteral("NOM"), QRectF(10, 0, 400, 40));
    value->Font()->SetSize(12);
    auto* shape = AddControl<TQRShape>(*report.Band(rbDetail), QRectF(500, 0, 300, 20));
    shape->SetShape(qrsHorLine);
    auto* sys = AddControl<TQRSysData>(*AddBand(report, rbPageFooter, 60), QRectF(0, 0, 300, 40));
    sys->SetData(qrsPageOfPages);

    const QByteArray bytes = written(report);
    TQuickRep back;
    read(back, bytes);
    EXPECT_EQ(written(back), bytes);
    EXPECT_EQ(back.Orientation(), poLandscape);
    EXPECT_EQ(back.Font()->Size(), 8);
    ASSERT_EQ(back.Bands().size(), 3u);
    auto* backValue = static_cast<TQRExpr*>(back.Band(rbDetail)->Controls()[0]);
    EXPECT_EQ(backValue->Expression(), QStringLiteral("NOM"));
    EXPECT_EQ(backValue->Bounds(), QRectF(10, 0, 400, 40));
    EXPECT_FALSE(backValue->ParentFont());
    EXPECT_EQ(backValue->EffectiveFont().Size(), 12);
    EXPECT_TRUE(static_cast<TQRPrintable*>(back.Band(rbPageHeader)->Controls()[0])->ParentFont());
    EXPECT_EQ(static_cast<TQRShape*>(back.Band(rbDetail)->Controls()[1])->Shape(), qrsHorLine);
    EXPECT_EQ(static_cast<TQRSysData*>(back.Band(rbPageFooter)->Controls()[0])->Data(), qrsPageOfPages);
}

TEST(ReportStream, DamagedRecordsFailToLoadWithoutHarm)
{
    const QByteArray record = foreignReport();
    for (qsizetype cut : {qsizetype(1), qsizetype(20), record.size() / 2, record.size() - 1}) {
        TQuickRep report;
        TMxReader r(record.left(cut));
        EXPECT_THROW(report.ReadReport(r), EReadError) << "cut at " << cut;
    }
    // records nested past any sensible depth
    QByteArray deep;
    TMxWriter w(deep);
    w.WriteStr(QStringLiteral("TQuickRep"));
    w.WriteStr(QString());
    w.WriteListEnd();
    for (int i = 0; i < 100; ++i) {
        w.WriteStr(QStringLiteral("TQRBand"));
        w.WriteStr(QString());
        w.WriteListEnd();
    }
    for (int i = 0; i < 102; ++i)
        w.WriteListEnd();
    TQuickRep report;
    TMxReader r(deep);
    EXPECT_THROW(report.ReadReport(r), EReadError);
}

// The report inside a query file: saved, loaded and saved again, the file
// and the report are the same bytes.
class ReportInQuery : public qtest::QueryTest {};

TEST_F(ReportInQuery, AStepsReportSurvivesSaveAndLoad)
{
    const QString model = Path(QStringLiteral("BOUTIQUE.MDD"));
    m_query->DataModel()->SaveToFile(model);
    m_query->DataModel()->SetFileName(model);
    Add(3, QStringLiteral("NOM"));
    auto* report = dynamic_cast<TQuickRep*>(m_step->QuickReport());
    ASSERT_TRUE(report) << "steps hold the report layer's reports";
    EXPECT_EQ(report->Step(), m_step);
    const QByteArray record = foreignReport();
    read(*report, record);
    m_query->SaveToFile(Path(QStringLiteral("r.mqr")));
    const QByteArray first = mxtest::ReadAll(Path(QStringLiteral("r.mqr")));

    auto* q = new TMxQuery(nullptr);
    q->SetLogin(QStringLiteral("Admin"), QString());
    q->LoadFromFile(Path(QStringLiteral("r.mqr")));
    auto* loaded = dynamic_cast<TQuickRep*>(q->Steps()->GetItem(0)->QuickReport());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(mxtest::Hex(written(*loaded)), mxtest::Hex(record));
    EXPECT_EQ(loaded->Band(rbTitle)->Controls().size(), 1u);
    q->SaveToFile(Path(QStringLiteral("r2.mqr")));
    EXPECT_EQ(mxtest::ReadAll(Path(QStringLiteral("r2.mqr"))), first);

    // a step copied from another gets the whole report
    TMxQueryStep* copy = q->AddStep();
    copy->Assign(q->Steps()->GetItem(0));
    EXPECT_EQ(mxtest::Hex(written(*dynamic_cast<TQuickRep*>(copy->QuickReport()))), mxtest::Hex(record));
    q->Free();
}

// Every caller reaches a step's report the same way; a step whose report
// is the engine's null one (made while no report factory was installed)
// has none of this layer's.
TEST_F(ReportInQuery, AStepsReportIsReachedThroughItsStep)
{
    TQuickRep* report = StepReport(m_step);
    ASSERT_TRUE(report);
    EXPECT_EQ(static_cast<TComponent*>(report), m_step->QuickReport());
    EXPECT_EQ(report->Step(), m_step);
    EXPECT_EQ(StepReport(nullptr), nullptr);

    TMxQueryStep* bare = nullptr;
    {
        ScopedHook noFactory(StepReportFactoryHook, nullptr);
        bare = m_query->AddStep();
    }
    ASSERT_TRUE(dynamic_cast<TNullStepReport*>(bare->QuickReport()));
    EXPECT_EQ(StepReport(bare), nullptr);
}

} // namespace
