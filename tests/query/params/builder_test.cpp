// The dialog builder: controls dropped on the grid, selected, moved and
// resized with the mouse, streamed and shown again at run time.

#include "paramfixture.h"

#include "query/params/dialogbuilder.h"

#include "engine/core/hookslot.h"
#include "engine/core/itemptr.h"
#include "engine/model/fontspec.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/tools/hooks.h"

#include "tests/support/ui/scriptedpopup.h"
#include "tests/support/ui/scriptedservice.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

#include <gtest/gtest.h>

using namespace mx;
using namespace paramtest;

namespace {

struct Builder {
    explicit Builder(bool designing = true)
    {
        builder.SetDesigning(designing);
        builder.resize(400, 300);
        builder.show();
    }
    TDialogBuilder builder;
};

QRect designRect(const TMxParamControl* c)
{
    return QRect(c->DesignX(), c->DesignY(), c->DesignW(), c->DesignH());
}

} // namespace

TEST(DialogBuilder, DroppedControlsLandOnTheGridWithTheirLabels)
{
    const struct {
        TDlgControlKind kind;
        bool label;
    } kinds[] = {{ckLabel, false}, {ckEdit, true}, {ckListBox, true}, {ckCombo, true}, {ckCheck, false},
        {ckRadio, false}, {ckBevel, false}, {ckImage, false}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        Builder b;
        TVParamControl* shape = b.builder.AddControlAt(20, 15, k.kind);
        ASSERT_NE(shape, nullptr);
        TMxParamControl* c = shape->ParamControl();
        EXPECT_EQ(shape->pos(), QPoint(18, 12));
        EXPECT_EQ(designRect(c), shape->geometry());
        ASSERT_NE(shape->Control(), nullptr);
        EXPECT_EQ(shape->Control()->geometry(), ControlRectOf(shape->geometry()));
        EXPECT_EQ(shape->Control()->pos(), QPoint(24, 18));
        EXPECT_EQ(shape->CaptionLabel() != nullptr, k.label);
        EXPECT_FALSE(shape->Control()->isEnabled()) << "live controls are inert in design";
        EXPECT_EQ(b.builder.Current(), shape);
        EXPECT_EQ(b.builder.SelectedCount(), 1);
        EXPECT_FALSE(b.builder.Dropping());
    }
    Builder b;
    EXPECT_EQ(b.builder.AddControlAt(-20, -3, ckEdit)->pos(), QPoint(0, 0)) << "negative points clamp to 0";
}

TEST(DialogBuilder, TheCaptionSitsBesideItsControlAsAligned)
{
    Builder b;
    TVParamControl* shape = b.builder.AddControlAt(120, 120, ckEdit);
    TMxParamControl* c = shape->ParamControl();
    c->SetCaption(QStringLiteral("Ville :"));
    for (TCaptionAlign align : {caLeft, caRight, caTop, caBottom}) {
        c->SetCaptionAlign(align);
        QLabel* label = shape->CaptionLabel();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QStringLiteral("Ville :"));
        EXPECT_EQ(label->pos(), CaptionPos(align, shape->Control()->geometry(), label->size())) << align;
        EXPECT_EQ(designRect(c), shape->geometry()) << "a rebuilt control keeps its place";
    }
}

// A control placed nearer the left or top edge than its caption needs
// moves so that the caption is drawn inside the area, beside it still.
TEST(DialogBuilder, ACaptionIsNeverDrawnOutsideTheArea)
{
    for (TCaptionAlign align : {caLeft, caTop}) {
        SCOPED_TRACE(align);
        Builder b;
        TVParamControl* shape = b.builder.AddControlAt(6, 6, ckEdit);
        TMxParamControl* c = shape->ParamControl();
        c->SetCaptionAlign(align);
        c->SetCaption(QStringLiteral("Date de début :"));
        QLabel* label = shape->CaptionLabel();
        ASSERT_NE(label, nullptr);
        EXPECT_GE(label->x(), 0);
        EXPECT_GE(label->y(), 0);
        EXPECT_EQ(label->pos(), CaptionPos(align, shape->Control()->geometry(), label->size()));
        EXPECT_EQ(designRect(c), shape->geometry()) << "the design keeps where it is shown";
        EXPECT_EQ(shape->Control()->geometry(), ControlRectOf(shape->geometry()));
    }
}

TEST(DialogBuilder, AComboDoesNotTakeTheControlsFont)
{
    Builder b;
    TFontSpec bold;
    bold.SetName(QStringLiteral("DejaVu Sans"));
    bold.SetSize(14);
    bold.SetStyle(FontStyle(fsBold));
    for (TDlgControlKind kind : {ckEdit, ckCombo, ckCheck}) {
        TVParamControl* shape = b.builder.AddControlAt(0, 0, kind);
        shape->ParamControl()->SetFont(bold);
        EXPECT_EQ(shape->Control()->font().bold(), kind != ckCombo) << kind;
    }
}

TEST(DialogBuilder, MouseSelectsMovesAndResizesOnTheGrid)
{
    Builder b;
    TVParamControl* a = b.builder.AddControlAt(18, 12, ckEdit);
    TVParamControl* c = b.builder.AddControlAt(18, 120, ckEdit);
    const QRect ra = a->geometry(), rc = c->geometry();
    ASSERT_EQ(ra.size(), QSize(133, 33));

    // A press and a release without a move change nothing.
    Press(a, QPoint(66, 16));
    Release(a, QPoint(66, 16));
    EXPECT_EQ(a->geometry(), ra);
    EXPECT_TRUE(a->Selected());
    EXPECT_FALSE(c->Selected());

    // Shift adds the second; dragging the first by its centre moves both
    // by the same multiple of 6.
    Press(c, QPoint(66, 16), Qt::ShiftModifier);
    Release(c, QPoint(66, 16));
    EXPECT_EQ(b.builder.SelectedCount(), 2);
    Press(a, QPoint(66, 16));
    MoveTo(a, QPoint(79, 23));
    Release(a, QPoint(79, 23));
    EXPECT_EQ(a->geometry(), ra.translated(12, 6));
    EXPECT_EQ(c->geometry(), rc.translated(12, 6));
    EXPECT_EQ(designRect(c->ParamControl()), c->geometry());

    // Shift again takes the second out; the right-edge handle widens the
    // first only, by multiples of 6.
    Press(c, QPoint(66, 16), Qt::ShiftModifier);
    EXPECT_EQ(b.builder.SelectedCount(), 1);
    const QRect before = a->geometry();
    const QPoint handle = HandleRect(a->size(), 2, 1).center();
    Press(a, handle);
    MoveTo(a, handle + QPoint(20, 9));
    Release(a, handle + QPoint(20, 9));
    EXPECT_EQ(a->geometry().topLeft(), before.topLeft());
    EXPECT_EQ(a->height(), before.height());
    EXPECT_GT(a->width(), before.width());
    EXPECT_EQ((a->width() - before.width()) % 6, 0);
    EXPECT_EQ(a->ParamControl()->DesignW(), a->width());
    EXPECT_EQ(c->geometry(), rc.translated(12, 6));

    // Delete removes the selected controls and their shapes.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    EXPECT_TRUE(b.builder.EditorKeyDown(&del));
    EXPECT_EQ(b.builder.ParamControls()->Count(), 1);
    EXPECT_EQ(b.builder.Shapes(), QList<TVParamControl*>{c});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(DialogBuilder, ThePopupIsOfferedInDesignOnly)
{
    for (bool designing : {true, false}) {
        SCOPED_TRACE(designing);
        auto list = TItemPtr<TMxParamControlList>(new TMxParamControlList(nullptr));
        TMxParamControl* edit = list->AddNew();
        edit->SetParamName(QStringLiteral("Ville"));
        edit->SetDesignX(18);
        edit->SetDesignY(12);
        edit->SetDesignW(133);
        edit->SetDesignH(33);
        Builder b(designing);
        b.builder.SetTesting(true);
        b.builder.SetParamControls(list.get());
        TVParamControl* shape = b.builder.Shapes().value(0);
        ASSERT_NE(shape, nullptr);
        QString title;
        mx::ui::test::TScriptedPopup popup;
        popup.Answer([&title](QMenu& menu) -> QAction* {
            if (QAction* caption = menu.actions().value(0))
                title = caption->text();
            return nullptr;
        });
        // the 6-pixel border of the shape is outside the live control
        Mouse(shape, QEvent::MouseButtonPress, QPoint(2, 16), Qt::RightButton, Qt::RightButton);
        EXPECT_EQ(popup.shown.size(), designing ? 1 : 0);
        EXPECT_EQ(popup.pending(), designing ? 0 : 1);
        if (designing) {
            EXPECT_EQ(title, QStringLiteral("Ville (Saisie)"));
        }
        // nor is anything selected or moved at run time
        Press(shape, QPoint(2, 16));
        MoveTo(shape, QPoint(40, 40));
        Release(shape, QPoint(40, 40));
        EXPECT_EQ(shape->Selected(), designing);
        EXPECT_EQ(shape->pos() == QPoint(18, 12), !designing);
    }
}

TEST(DialogBuilder, ADesignStreamedAndShownAgainKeepsItsPlacesAndValues)
{
    QByteArray stored;
    QList<QRect> rects;
    {
        Builder b;
        b.builder.resize(360, 240);
        const struct {
            TDlgControlKind kind;
            QStringList values;
        } kinds[] = {{ckEdit, {QStringLiteral("01/01/2023")}},
            {ckListBox, {QStringLiteral("Lyon"), QStringLiteral("Paris"), QStringLiteral("Nice")}},
            {ckCheck, {QStringLiteral("non"), QStringLiteral("oui")}},
            {ckLabel, {}}};
        int y = 0;
        for (const auto& k : kinds) {
            TVParamControl* shape = b.builder.AddControlAt(100, y, k.kind);
            TMxParamControl* c = shape->ParamControl();
            c->SetParamName(QStringLiteral("P%1").arg(int(k.kind)));
            c->SetCaption(QStringLiteral("Légende %1").arg(int(k.kind)));
            TStrings values;
            values.setStringList(k.values);
            c->SetValues(values);
            c->SetTableId(-1);
            y += 60;
        }
        // the list is moved by the mouse
        TVParamControl* list = b.builder.Shapes()[1];
        const QPoint centre(list->width() / 2, list->height() / 2);
        Press(list, centre);
        MoveTo(list, centre + QPoint(30, 0));
        Release(list, centre + QPoint(30, 0));
        for (TVParamControl* s : b.builder.Shapes())
            rects << s->geometry();
        b.builder.StoreDesignSize();
        stored = b.builder.ParamControls()->SaveToBytes();
    }
    auto read = TItemPtr<TMxParamControlList>(new TMxParamControlList(nullptr));
    read->LoadFromStream(stored);
    EXPECT_EQ(read->DesignW(), 360);
    EXPECT_EQ(read->DesignH(), 240);

    Builder run(false);
    run.builder.SetParamControls(read.get());
    EXPECT_EQ(run.builder.size(), QSize(360, 240));
    ASSERT_EQ(run.builder.Shapes().size(), 4);
    for (int i = 0; i < 4; ++i) {
        TVParamControl* s = run.builder.Shapes()[i];
        EXPECT_EQ(s->Control()->geometry(), rects[i].adjusted(6, 6, -6, -6)) << i;
        EXPECT_TRUE(s->Control()->isEnabled());
        if (s->CaptionLabel()) {
            EXPECT_EQ(s->CaptionLabel()->text(), s->ParamControl()->Caption());
        }
    }
    EXPECT_EQ(static_cast<QLineEdit*>(run.builder.Shapes()[0]->Control())->text(), QStringLiteral("01/01/2023"));
    EXPECT_EQ(static_cast<QListWidget*>(run.builder.Shapes()[1]->Control())->count(), 3);
    EXPECT_EQ(static_cast<QCheckBox*>(run.builder.Shapes()[2]->Control())->text(), QStringLiteral("Légende 5"));
    EXPECT_EQ(static_cast<QLabel*>(run.builder.Shapes()[3]->Control())->text(), QStringLiteral("Légende 1"));
}

TEST(DialogBuilder, FieldBoundListsLoadAtMost2500ValuesAtRunTimeAndNothingInTest)
{
    FakeDriver driver;
    driver.rows = Numbered(3000);
    auto list = TItemPtr<TMxParamControlList>(new TMxParamControlList(nullptr));
    TMxParamControl* c = list->AddNew();
    c->SetKind(ckListBox);
    c->SetTableId(mxtest::SampleModel::ClientId);
    c->SetFieldName(QStringLiteral("VILLE"));
    TStrings stored{QStringLiteral("Lyon"), QStringLiteral("Paris")};
    c->SetValues(stored);

    for (bool testing : {true, false}) {
        SCOPED_TRACE(testing);
        driver.requests.clear();
        Builder b(false);
        b.builder.DataModel = driver.model;
        b.builder.SetTesting(testing);
        b.builder.SetParamControls(list.get());
        auto* shown = static_cast<QListWidget*>(b.builder.Shapes()[0]->Control());
        EXPECT_EQ(shown->count(), testing ? 2 : 2500);
        EXPECT_EQ(driver.requests.size(), testing ? 0 : 1);
    }
    EXPECT_EQ(c->Values()->Count(), 2) << "the caller's list is not touched";
}
