// The report editor on a step's report, driven as a user would: select,
// move, resize, edit, change fonts, bands and orientation; every change is
// the step's, and the query knows it was modified.

#include "tests/ui/uitest.h"

#include "ui/report/designsurface.h"
#include "ui/report/reporteditor.h"
#include "tests/support/samplemodel.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"

#include "engine/model/datamodel.h"
#include "report/defaultreport.h"
#include "report/designlayout.h"
#include "report/reportparts.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"
#include "tests/support/testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace mx;
using namespace mx::rpt;

namespace {

class EditorTest : public mxtest::EngineTest {
protected:
    EditorTest()
    {
        RegisterReportClasses();
        m_query = new TMxQuery(nullptr);
        m_query->SetDataModel(mxtest::MakeSampleModel(), true);
        m_query->SetDomId(mxtest::SampleModel::MainSetId);
        m_step = m_query->AddStep();
        m_report = dynamic_cast<TQuickRep*>(m_step->QuickReport());
        BuildDefaultReport(*m_report, m_step->Id(), {{QStringLiteral("NOM"), 20}, {QStringLiteral("VILLE"), 15}});
        m_query->SetModified(false);
        m_editor.resize(760, 480);
        m_editor.SetReport(m_report);
        m_editor.show();
        QCoreApplication::processEvents();
    }
    ~EditorTest() override { m_query->Free(); }

    template <class W>
    W* child(const char* name)
    {
        return ui::test::Child<W>(m_editor, name);
    }
    ui::TDesignSurface* surface() { return child<ui::TDesignSurface>("DesignSurface"); }
    QLabel* laControl() { return child<QLabel>("laControl"); }
    QLineEdit* edText() { return child<QLineEdit>("edText"); }
    QPushButton* btFont() { return child<QPushButton>("btFont"); }

    // The point of the surface at a control's centre, or at one of its handles.
    QPoint at(const TQRPrintable* c, THandle handle = hMove)
    {
        const QRectF box = surface()->Layout()->ControlRect(c);
        if (handle == hMove)
            return box.center().toPoint();
        for (const auto& [h, r] : TDesignLayout::Handles(box))
            if (h == handle)
                return r.center().toPoint();
        return {};
    }
    void drag(QPoint from, QPoint to)
    {
        QWidget* s = surface();
        QTest::mousePress(s, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), s->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(s, &move);
        QTest::mouseRelease(s, Qt::LeftButton, {}, to);
    }
    TQRPrintable* value(int i) const { return m_report->Band(rbDetail)->Controls()[size_t(i)]; }

    TMxQuery* m_query = nullptr;
    TMxQueryStep* m_step = nullptr;
    TQuickRep* m_report = nullptr;
    ui::TReportEditor m_editor;
};

TEST_F(EditorTest, SelectMoveResizeAndEditAControl)
{
    QSignalSpy changes(&m_editor, &ui::TReportEditor::changed);
    EXPECT_TRUE(child<QCheckBox>("cbPageHeader")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cbDetail")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("cbPageFooter")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cbTitle")->isChecked());
    EXPECT_FALSE(edText()->isEnabled()) << "nothing selected";

    TQRPrintable* ville = value(1);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, at(ville));
    ASSERT_EQ(m_editor.Selected(), ville);
    EXPECT_EQ(laControl()->text(), QStringLiteral("Expression (Détail) :"));
    EXPECT_EQ(edText()->text(), QStringLiteral("VILLE"));
    EXPECT_EQ(changes.count(), 0) << "selecting changes nothing";
    EXPECT_FALSE(m_query->Modified());

    // moved 30 pixels right and 4 down
    const int left = ville->Left();
    drag(at(ville), at(ville) + QPoint(30, 4));
    EXPECT_EQ(ville->Left(), left + 30);
    EXPECT_EQ(ville->Top(), 4);
    EXPECT_TRUE(m_query->Modified());
    EXPECT_EQ(changes.count(), 1);
    // widened 20 pixels from its right handle
    const int width = ville->Width();
    drag(at(ville, hRight), at(ville, hRight) + QPoint(20, 0));
    EXPECT_EQ(ville->Width(), width + 20);
    EXPECT_EQ(ville->Left(), left + 30);
    // a move never leaves the band
    drag(at(ville), at(ville) + QPoint(-2000, 300));
    EXPECT_EQ(ville->Left(), 0);
    EXPECT_EQ(ville->Top() + ville->Height(), m_report->Band(rbDetail)->Height());

    // the expression, typed
    edText()->selectAll();
    QTest::keyClicks(edText(), QStringLiteral("CODE_POSTAL"));
    QTest::keyClick(edText(), Qt::Key_Return);
    EXPECT_EQ(static_cast<TQRExpr*>(ville)->Expression(), QStringLiteral("CODE_POSTAL"));

    // the font, picked
    ui::test::ScopedScriptedUi ui;
    QFont big(QStringLiteral("DejaVu Serif"), 14);
    big.setItalic(true);
    ui.service.fontAnswers = {big};
    QTest::mouseClick(btFont(), Qt::LeftButton);
    EXPECT_EQ(ui.service.texts(QStringLiteral("font")), QStringList{QStringLiteral("Arial")}) << "it starts from the control's font";
    EXPECT_FALSE(ville->ParentFont());
    EXPECT_EQ(ville->EffectiveFont().Name(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(ville->EffectiveFont().Size(), 14);
    EXPECT_EQ(ville->EffectiveFont().Style(), FontStyle(fsItalic));

    // what was done is in the step's report as it is saved
    QByteArray bytes;
    TMxWriter w(bytes);
    m_report->WriteReport(w);
    TQuickRep back;
    TMxReader r(bytes);
    back.ReadReport(r);
    auto* saved = static_cast<TQRExpr*>(back.Band(rbDetail)->Controls()[1]);
    EXPECT_EQ(saved->Expression(), QStringLiteral("CODE_POSTAL"));
    EXPECT_EQ(saved->Bounds(), ville->Bounds());
    EXPECT_EQ(saved->EffectiveFont().Size(), 14);
}

// The line above the text box says what the control is and where it lies
// in words of the report's own, never the control's component name.
TEST_F(EditorTest, TheSelectedControlIsNamedByItsKindAndBand)
{
    struct Case {
        TQRPrintable* control;
        const char* label;
        const char* text;
    };
    TQRPrintable* title = m_report->Band(rbPageHeader)->Controls()[0];
    for (const Case& c : {Case{title, "Expression (En-tête de page) :", "'NOM'"}, Case{value(1), "Expression (Détail) :", "VILLE"}}) {
        QTest::mouseClick(surface(), Qt::LeftButton, {}, at(c.control));
        ASSERT_EQ(m_editor.Selected(), c.control);
        EXPECT_EQ(laControl()->text(), QString::fromUtf8(c.label));
        EXPECT_FALSE(laControl()->text().contains(c.control->ComponentName())) << c.label;
        EXPECT_EQ(edText()->text(), QString::fromUtf8(c.text));
        EXPECT_GE(laControl()->width(), laControl()->fontMetrics().horizontalAdvance(laControl()->text()))
            << "the whole label shows";
    }
}

// Each kind of control offers its own text: what the line above says,
// the text in the box, whether it can be typed and whether it has a font;
// what is typed goes into that control's own property.
TEST_F(EditorTest, EachKindOfControlOffersItsOwnText)
{
    TQRBand* footer = m_report->Band(rbPageFooter);
    ASSERT_TRUE(footer);
    auto add = [&](std::unique_ptr<TQRPrintable> c) {
        c->SetBounds(QRectF(0, 0, 300, 40));
        return static_cast<TQRPrintable*>(footer->AddPart(std::move(c)));
    };
    auto label = std::make_unique<TQRLabel>();
    label->SetCaption(QStringLiteral("Total"));
    auto sys = std::make_unique<TQRSysData>();
    sys->SetData(qrsPageNumber);
    sys->SetText(QStringLiteral("Page "));
    auto expr = std::make_unique<TQRExpr>();
    expr->SetExpression(QStringLiteral("VILLE"));
    struct Case {
        TQRPrintable* control;
        const char* label;
        const char* text;
        bool editable;
        bool font;
        std::function<QString()> property;
    };
    auto* l = static_cast<TQRLabel*>(add(std::move(label)));
    auto* s = static_cast<TQRSysData*>(add(std::move(sys)));
    auto* e = static_cast<TQRExpr*>(add(std::move(expr)));
    const Case cases[] = {
        {l, "Texte (Pied de page) :", "Total", true, true, [l] { return l->Caption(); }},
        {e, "Expression (Pied de page) :", "VILLE", true, true, [e] { return e->Expression(); }},
        {s, "Préfixe (Pied de page) :", "Page ", true, true, [s] { return s->Text(); }},
        {add(std::make_unique<TQRShape>()), "Forme (Pied de page)", "", false, false, nullptr},
        {add(std::make_unique<TQRPrintable>()), "Forme (Pied de page)", "", false, true, nullptr},
    };
    surface()->Relayout();
    int typed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        m_editor.Select(c.control);
        ASSERT_EQ(m_editor.Selected(), c.control);
        EXPECT_EQ(laControl()->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(edText()->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(edText()->isEnabled(), c.editable);
        EXPECT_EQ(btFont()->isEnabled(), c.font);
        if (!c.property)
            continue;
        m_query->SetModified(false);
        edText()->setFocus();
        edText()->selectAll();
        const QString text = QStringLiteral("Nouveau %1").arg(++typed);
        QTest::keyClicks(edText(), text);
        QTest::keyClick(edText(), Qt::Key_Return);
        EXPECT_EQ(c.property(), text);
        EXPECT_TRUE(m_query->Modified());
        // the same text again is no change
        m_query->SetModified(false);
        QTest::keyClick(edText(), Qt::Key_Return);
        EXPECT_FALSE(m_query->Modified());
    }
    // each control kept what was typed into it, and only that
    EXPECT_EQ(l->Caption(), QStringLiteral("Nouveau 1"));
    EXPECT_EQ(e->Expression(), QStringLiteral("Nouveau 2"));
    EXPECT_EQ(s->Text(), QStringLiteral("Nouveau 3"));
}

TEST_F(EditorTest, BandSwitchesAndOrientation)
{
    ui::test::ScopedScriptedUi ui;
    QTest::mouseClick(surface(), Qt::LeftButton, {}, at(value(0)));
    ASSERT_TRUE(m_editor.Selected());

    // the detail band holds two controls: the user is asked, and says no
    ui.service.messageAnswers = {mrNo, mrYes};
    child<QCheckBox>("cbDetail")->click();
    EXPECT_TRUE(m_report->HasBand(rbDetail));
    EXPECT_TRUE(child<QCheckBox>("cbDetail")->isChecked());
    EXPECT_FALSE(m_query->Modified());
    ASSERT_EQ(ui.service.count(QStringLiteral("message")), 1);
    EXPECT_EQ(ui.service.texts(QStringLiteral("message"))[0],
        QStringLiteral("La bande Détail contient 2 contrôles, qui seront supprimés avec elle. Continuer ?"));
    // then yes
    child<QCheckBox>("cbDetail")->click();
    EXPECT_FALSE(m_report->HasBand(rbDetail));
    EXPECT_EQ(m_editor.Selected(), nullptr) << "its control went with it";
    EXPECT_TRUE(m_query->Modified());

    // an empty band goes without a question
    child<QCheckBox>("cbTitle")->click();
    ASSERT_TRUE(m_report->HasBand(rbTitle));
    child<QCheckBox>("cbTitle")->click();
    EXPECT_FALSE(m_report->HasBand(rbTitle));
    EXPECT_EQ(ui.service.count(QStringLiteral("message")), 2);
    EXPECT_EQ(surface()->Layout()->Bands().size(), 2u);

    child<QComboBox>("cbxOrientation")->setCurrentIndex(1);
    EXPECT_EQ(m_report->Orientation(), poLandscape);
    EXPECT_DOUBLE_EQ(m_report->Band(rbPageHeader)->Bounds().width(), m_report->PrintableWidth());
    EXPECT_EQ(surface()->width(), qRound(m_report->PrintableWidth() * 96 / 254 + 2 * TDesignLayout::kMargin));
}

} // namespace
