// The parameter editor, driven as a user would: parameters made and
// deleted, controls placed by clicking and by dragging, tested, and the
// query's lists changed only on Ok.

#include "paramfixture.h"

#include "query/params/dialogbuilder.h"
#include "query/params/paramdialogs.h"
#include "query/params/parameditor.h"
#include "query/params/paramhooks.h"
#include "query/params/paramprop.h"

#include "engine/core/hookslot.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/tools/hooks.h"

#include "ui/controls/observedlistmodel.h"
#include "ui/controls/picturelistbox.h"
#include "tests/support/ui/scriptedservice.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace mx;
using namespace paramtest;

namespace {

template <class W>
W* child(QWidget* w, const char* name)
{
    auto* c = w->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// The editor's widgets the tests use, found by name.
struct EditorUi {
    explicit EditorUi(TfmParamEditor& f)
        : form(&f)
        , nrpaVars(mx::ui::test::Child<QWidget>(f, "nrpaVars"))
        , plbParams(mx::ui::test::Child<ui::TPictureListView>(f, "plbParams"))
        , btNew(mx::ui::test::Child<QPushButton>(f, "btNew"))
        , btEdit(mx::ui::test::Child<QPushButton>(f, "btEdit"))
        , btDelete(mx::ui::test::Child<QPushButton>(f, "btDelete"))
        , DialogBuilder(mx::ui::test::Child<TDialogBuilder>(f, "DialogBuilder"))
        , nrpaCommands(mx::ui::test::Child<QWidget>(f, "nrpaCommands"))
        , btTest(mx::ui::test::Child<QPushButton>(f, "btTest"))
        , btOk(mx::ui::test::Child<QPushButton>(f, "btOk"))
        , btCancel(mx::ui::test::Child<QPushButton>(f, "btCancel"))
        , btHelp(mx::ui::test::Child<QPushButton>(f, "btHelp"))
    {
    }
    TfmParamEditor* form;
    QWidget* nrpaVars;
    ui::TPictureListView* plbParams;
    QPushButton* btNew;
    QPushButton* btEdit;
    QPushButton* btDelete;
    TDialogBuilder* DialogBuilder;
    QWidget* nrpaCommands;
    QPushButton* btTest;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

// The program's dialogs in their slots for one test.
struct Hooks {
    ScopedHook<decltype(ParamsEditorHook)> editor{ParamsEditorHook, EditParams};
    ScopedHook<decltype(ParamControlEditorHook)> properties{ParamControlEditorHook, EditParamControl};
    ScopedHook<decltype(ParamsPrompterHook)> prompter{ParamsPrompterHook, PromptParams};
    ScopedHook<decltype(ParamTypeEditorHook)> type{ParamTypeEditorHook, EditParamType};
};

struct Lists {
    Lists()
    {
        TMxParam* p = params->AddNew();
        p->SetId(1);
        p->SetName(QStringLiteral("Ville"));
    }
    ~Lists()
    {
        params->Free();
        controls->Free();
    }
    QByteArray Saved() const { return params->SaveToBytes() + controls->SaveToBytes(); }
    void Edit(const std::function<void(EditorUi*)>& use)
    {
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            auto* form = dynamic_cast<TfmParamEditor*>(w);
            ASSERT_NE(form, nullptr);
            EditorUi widgets(*form);
            use(&widgets);
        });
        ParamsEditorHook(QStringLiteral("Requête"), nullptr, controls, params);
    }
    TMxParamList* params = new TMxParamList(nullptr);
    TMxParamControlList* controls = new TMxParamControlList(nullptr);
};

// The answer of the type dialog that opens next.
void AnswerType(const QString& name, int type, bool ok)
{
    Modal().AsFilled([=](QDialog& dialog) {
        QWidget* w = &dialog;
        EXPECT_EQ(w->objectName(), QStringLiteral("fmParamType"));
        child<QLineEdit>(w, "edParamName")->setText(name);
        child<QComboBox>(w, "cobParamType")->setCurrentIndex(type);
        child<QPushButton>(w, ok ? "btOk" : "btCancel")->click();
    });
}

} // namespace

TEST(ParamEditor, AControlPlacedByClickingIsBoundToTheSelectedParameter)
{
    Hooks hooks;
    Lists lists;
    lists.Edit([](EditorUi* f) {
        EXPECT_EQ(f->plbParams->currentIndex().row(), 0);
        child<QAbstractButton>(f->form, "sb2")->click();
        EXPECT_EQ(f->form->PaletteKind(), ckEdit);
        bool propertiesShown = false;
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            ASSERT_NE(dynamic_cast<TfmParamProp*>(w), nullptr);
            propertiesShown = true;
            EXPECT_EQ(child<QComboBox>(w, "cobParamName")->currentText(), QStringLiteral("Ville"));
            child<QLineEdit>(w, "edOneValue")->setText(QStringLiteral("Lyon"));
            child<QPushButton>(w, "btOK")->click();
        });
        Press(f->DialogBuilder->Canvas(), QPoint(40, 40));
        EXPECT_TRUE(propertiesShown);
        EXPECT_EQ(f->form->PaletteKind(), ckNone) << "the arrow is down again";
        EXPECT_TRUE(child<QAbstractButton>(f->form, "sb0")->isChecked());
        f->btOk->click();
    });
    ASSERT_EQ(lists.controls->Count(), 1);
    TMxParamControl* c = lists.controls->Items(0);
    EXPECT_EQ(c->Kind(), ckEdit);
    EXPECT_EQ(c->ParamName(), QStringLiteral("Ville"));
    EXPECT_EQ(c->Values()->toStringList(), QStringList{QStringLiteral("Lyon")});
    EXPECT_EQ(QPoint(c->DesignX(), c->DesignY()), QPoint(36, 36));
}

TEST(ParamEditor, CancelLeavesTheListsByteIdentical)
{
    Hooks hooks;
    Lists lists;
    TMxParamControl* edit = lists.controls->AddNew();
    edit->SetParamName(QStringLiteral("Ville"));
    edit->SetDesignX(18);
    edit->SetDesignY(12);
    edit->SetDesignW(133);
    edit->SetDesignH(33);
    TStrings lyon{QStringLiteral("Lyon")};
    edit->SetValues(lyon);
    const QByteArray before = lists.Saved();
    lists.Edit([](EditorUi* f) {
        // a new parameter, a parameter renamed, a control moved, one added
        AnswerType(QStringLiteral("Début"), 2, true);
        f->btNew->click();
        EXPECT_EQ(f->plbParams->model()->rowCount(), 2);
        // each line is keyed by its parameter's Id, the new one's made current
        for (int row = 0; row < 2; ++row)
            EXPECT_EQ(f->plbParams->model()->index(row, 0).data(ui::TObservedListModel::IdRole),
                QVariant(f->form->Params()->Items(row)->Id()));
        EXPECT_EQ(f->form->SelectedParam(), f->form->Params()->Items(1));
        f->plbParams->setCurrentIndex(f->plbParams->model()->index(0, 0));
        AnswerType(QStringLiteral("Cité"), 1, true);
        f->btEdit->click();
        EXPECT_EQ(f->plbParams->model()->index(0, 0).data().toString(), QStringLiteral("Cité")) << "the line follows the name";
        TVParamControl* shape = f->DialogBuilder->Shapes()[0];
        Press(shape, QPoint(66, 16));
        MoveTo(shape, QPoint(100, 40));
        Release(shape, QPoint(100, 40));
        f->DialogBuilder->AddControlAt(200, 200, ckCheck);
        f->btCancel->click();
    });
    EXPECT_EQ(lists.Saved(), before);
}

TEST(ParamEditor, ANewParameterCancelledLeavesTheListAsItWas)
{
    Hooks hooks;
    Lists lists;
    lists.Edit([](EditorUi* f) {
        AnswerType(QStringLiteral("Fin"), 2, false);
        f->btNew->click();
        EXPECT_EQ(f->plbParams->model()->rowCount(), 1);
        EXPECT_EQ(f->form->Params()->Count(), 1);
        f->btCancel->click();
    });
}

TEST(ParamEditor, DeletingAParameterInUseAsksOnOkAndStaysOpen)
{
    Hooks hooks;
    Lists lists;
    TMxParamControl* edit = lists.controls->AddNew();
    edit->SetParamName(QStringLiteral("Ville"));
    mx::ui::test::ScopedScriptedUi ui;
    ui.service.messageAnswers = {mrNo};
    bool stillOpen = false;
    lists.Edit([&](EditorUi* f) {
        f->btDelete->click();
        EXPECT_EQ(f->plbParams->model()->rowCount(), 0);
        EXPECT_FALSE(f->btDelete->isEnabled());
        f->btOk->click();
        stillOpen = f->form->isVisible();
        f->btCancel->click();
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(ui.service.count(QStringLiteral("message")), 1);
    EXPECT_TRUE(ui.service.texts(QStringLiteral("message"))[0].endsWith(QStringLiteral("Voulez-vous réassigner un autre paramètre ?")));
    EXPECT_EQ(lists.params->Count(), 1);
}

// The builder takes the design size, in room to work in: a small design
// opens in a larger area (the splitter's least width, the default design's
// height) and keeps its own size when confirmed; a larger one opens at its
// size. A resized window gives its size to the design.
TEST(ParamEditor, TheBuilderTakesTheDesignSizeInRoomToWorkIn)
{
    const struct {
        const char* what;
        QSize design;
        QSize area;
        QSize grow; // how much the user widens the window
        QSize stored;
    } cases[] = {
        {"a large design", {500, 350}, {500, 350}, {}, {500, 350}},
        {"a small design", {300, 114}, {355, 300}, {}, {300, 114}},
        {"a small design, the window widened", {300, 114}, {355, 300}, {40, 0}, {395, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Hooks hooks;
        Lists lists;
        lists.controls->SetDesignW(c.design.width());
        lists.controls->SetDesignH(c.design.height());
        // The form driven directly, shown window-modal: Ok, then what the
        // hook's caller stores on Ok.
        TfmParamEditor f(nullptr, lists.controls, lists.params);
        const EditorUi w(f);
        f.open();
        EXPECT_EQ(w.DialogBuilder->size(), c.area);
        EXPECT_EQ(w.nrpaVars->width(), 145);
        EXPECT_EQ(w.btHelp->geometry().right(), w.nrpaCommands->width() - 9);
        EXPECT_GE(w.nrpaVars->height(), w.nrpaVars->layout()->minimumSize().height()) << "the left column whole";
        if (c.grow.width() > 0 || c.grow.height() > 0)
            f.resize(f.size() + c.grow);
        w.btOk->click();
        ASSERT_EQ(f.result(), QDialog::Accepted);
        f.StoreInto(lists.controls, lists.params);
        EXPECT_EQ(QSize(lists.controls->DesignW(), lists.controls->DesignH()), c.stored);
    }
}

TEST(ParamEditor, AParameterDraggedOntoTheBuilderTestedAndConfirmed)
{
    Hooks hooks;
    Lists lists;
    lists.params->Clear();
    const QStringList towns{QStringLiteral("Lyon"), QStringLiteral("Paris")};
    bool prompted = false;
    lists.Edit([&](EditorUi* f) {
        AnswerType(QStringLiteral("Ville"), 1, true);
        f->btNew->click();
        ASSERT_EQ(f->plbParams->model()->rowCount(), 1);
        child<QAbstractButton>(f->form, "sb4")->click();
        // dragged from its line onto the builder: no properties open
        QWidget* list = f->plbParams->viewport();
        const QPoint line = f->plbParams->visualRect(f->plbParams->model()->index(0, 0)).center();
        Press(list, line);
        const QPoint target = list->mapFromGlobal(f->DialogBuilder->Canvas()->mapToGlobal(QPoint(50, 62)));
        Release(list, target);
        ASSERT_EQ(f->DialogBuilder->ParamControls()->Count(), 1);
        TVParamControl* shape = f->DialogBuilder->Shapes()[0];
        EXPECT_EQ(shape->pos(), QPoint(48, 60));
        EXPECT_EQ(shape->ParamControl()->Kind(), ckCombo);
        EXPECT_EQ(f->form->PaletteKind(), ckCombo) << "a drag keeps the palette's kind";
        // static values through the properties, by a double click
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            ASSERT_NE(dynamic_cast<TfmParamProp*>(w), nullptr);
            for (const QString& town : towns) {
                child<QComboBox>(w, "cobValue")->setEditText(town);
                child<QPushButton>(w, "btAdd")->click();
            }
            child<QPushButton>(w, "btOK")->click();
        });
        Mouse(shape, QEvent::MouseButtonDblClick, QPoint(3, 3));
        // the test shows the prompter in test mode
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            prompted = w->objectName() == QStringLiteral("fmParamPrompter");
            child<QPushButton>(w, "btOk")->click();
        });
        f->btTest->click();
        f->btOk->click();
    });
    EXPECT_TRUE(prompted);
    ASSERT_EQ(lists.params->Count(), 1);
    EXPECT_EQ(lists.params->Items(0)->Name(), QStringLiteral("Ville"));
    EXPECT_EQ(lists.params->Items(0)->ParamType(), ptString);
    ASSERT_EQ(lists.controls->Count(), 1);
    TMxParamControl* combo = lists.controls->Items(0);
    EXPECT_EQ(combo->Values()->toStringList(), towns);
    EXPECT_EQ(combo->TableId(), -1);
    EXPECT_EQ(combo->LoadedValues()->Count(), 0) << "the test's answers are not kept";

    // a run asks through the prompter
    Modal().AsFilled([](QDialog& dialog) {
        QWidget* w = &dialog;
        static_cast<QComboBox*>(child<TDialogBuilder>(w, "DialogBuilder")->Shapes()[0]->Control())->setEditText(QStringLiteral("Paris"));
        child<QPushButton>(w, "btOk")->click();
    });
    TStringList answers;
    EXPECT_TRUE(lists.controls->Execute(nullptr, QStringLiteral("Ventes"), answers, false));
    EXPECT_EQ(combo->LoadedValues()->toStringList(), QStringList{QStringLiteral("Paris")});
}

TEST(ParamEditor, TheProgramFillsTheFourSlots)
{
    ScopedHook<decltype(ParamsEditorHook)> a(ParamsEditorHook, nullptr);
    ScopedHook<decltype(ParamControlEditorHook)> b(ParamControlEditorHook, nullptr);
    ScopedHook<decltype(ParamsPrompterHook)> c(ParamsPrompterHook, nullptr);
    ScopedHook<decltype(ParamTypeEditorHook)> d(ParamTypeEditorHook, nullptr);
    RegisterParamHooks();
    EXPECT_TRUE(ParamsEditorHook && ParamControlEditorHook && ParamsPrompterHook && ParamTypeEditorHook);
}
