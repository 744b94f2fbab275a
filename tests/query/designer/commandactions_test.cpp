// The designer's step, dialog, field, set and help commands through the
// window's actions and buttons, as a user triggers them; the dialogs are
// scripted through their slots.

#include "designerfixture.h"

#include "query/designer/commandlink.h"

#include "query/commands/designercommands.h"
#include "query/commands/designerhelp.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/settings/global.h"
#include "engine/tools/hooks.h"

#include "ui/controls/entityoutline.h"
#include "ui/controls/itemobserver.h"
#include "ui/mrumenu/mrumenu.h"
#include "ui/controls/mxgrid.h"
#include "ui/controls/picturelistbox.h"
#include "query/editor/stepeditor.h"
#include "query/editor/vpanels.h"

#include "tests/support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <functional>

using namespace mx;
using mx::ui::test::Child;
using mxtest::SampleFile;

class DesignerCommandActions : public mxtest::DesignerTest {
protected:
    TfmQueryDesigner* NewOnSample()
    {
        auto* w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
        EXPECT_NE(w->GetQuery(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
        return w;
    }
};

TEST_F(DesignerCommandActions, StepsAreAddedRenamedAndDeletedFromTheMenusAndTheSteps)
{
    TfmQueryDesigner* w = NewOnSample();
    TMxQuery* q = w->GetQuery();
    mxtest::AddFirstFields(w, 1);
    EXPECT_TRUE(Child<QAction>(*w, "miNewStep")->isEnabled());
    EXPECT_FALSE(Child<QAction>(*w, "miStepRun")->isEnabled());

    Child<QAction>(*w, "miNewStep")->trigger();
    ASSERT_EQ(q->Steps()->Count(), 2);
    EXPECT_EQ(w->CurrentStep(), q->Steps()->Items(1));
    EXPECT_EQ(Child<QAbstractItemView>(*w, "plbSteps")->model()->rowCount(), 2);
    EXPECT_TRUE(Child<QAction>(*w, "miStepDelete")->isEnabled());
    EXPECT_FALSE(Child<QComboBox>(*w, "cobDomain")->isEnabled());

    ScopedHook prompt(PromptStringSimpleHook, [](const QString&, const QString&, QString& value) {
        value = QStringLiteral("Synthèse");
        return true;
    });
    Child<QAction>(*w, "miStepDuplicate")->trigger();
    EXPECT_EQ(q->Steps()->Items(1)->GetName(), QStringLiteral("Synthèse"));
    EXPECT_EQ(Child<QAbstractItemView>(*w, "plbSteps")->model()->index(1, 0).data().toString(), QStringLiteral("Synthèse"));

    // The popup's "Nouvelle" too; then the step is deleted after Yes and
    // the one before it shown.
    Child<QAction>(*w, "miInsertStep")->trigger();
    ASSERT_EQ(q->Steps()->Count(), 3);
    ui.service.messageAnswers << mrYes;
    Child<QAction>(*w, "miDeleteStep")->trigger();
    ASSERT_EQ(q->Steps()->Count(), 2);
    EXPECT_EQ(w->CurrentStep(), q->Steps()->Items(1));
    ui.service.messageAnswers << mrNo;
    Child<QAction>(*w, "miStepDelete")->trigger();
    EXPECT_EQ(q->Steps()->Count(), 2) << "No keeps the step";
    ui.service.messageAnswers << mrYes;
    Child<QAction>(*w, "miStepDelete")->trigger();
    ASSERT_EQ(q->Steps()->Count(), 1);
    EXPECT_EQ(w->CurrentStep(), q->Steps()->Items(0));
    EXPECT_EQ(Child<QAbstractItemView>(*w, "plbSteps")->model()->rowCount(), 1);
    EXPECT_FALSE(Child<QAction>(*w, "miStepDelete")->isEnabled()) << "the first step cannot be deleted";
    EXPECT_EQ(ui.service.texts(QStringLiteral("message")),
        (QStringList{QStringLiteral("Supprimer l'étape Etape 3 ?"), QStringLiteral("Supprimer l'étape Synthèse ?"),
            QStringLiteral("Supprimer l'étape Synthèse ?")}));
}

TEST_F(DesignerCommandActions, TheStepsDialogsOpenFromTheirButtonsAndMenus)
{
    TfmQueryDesigner* w = NewOnSample();
    TMxQuery* q = w->GetQuery();
    mxtest::AddFirstFields(w, 1);
    q->SetModified(false);
    w->AtStateChange();

    int params = 0;
    ScopedHook paramsHook(ParamsEditorHook, [&](const QString& caption, TMxDataModel*, TMxParamControlList* controls, TMxParamList*) {
        ++params;
        EXPECT_EQ(caption, QStringLiteral("Paramètres de la requête"));
        EXPECT_EQ(controls, q->ParamControls());
    });
    mxtest::DesignerButton(w, "fbParams")->click();
    Child<QAction>(*w, "pmiStepParameters")->trigger();
    EXPECT_EQ(params, 2);
    EXPECT_TRUE(Child<QAction>(*w, "miSaveQuery")->isEnabled()) << "marked modified whatever the dialog said";

    QStringList opened;
    const auto stub = [&](const char* which, bool answer) {
        return [&opened, which, answer](TMxQueryStep* step) {
            opened << QString::fromUtf8(which) + u':' + step->GetName();
            return answer;
        };
    };
    ScopedHook sort(StepSortHook, stub("tri", true));
    ScopedHook dest(StepDestinationsHook, stub("résultats", false));
    ScopedHook filter(StepCriteriaHook, stub("filtre", true));
    q->SetModified(false);
    w->AtStateChange();
    mxtest::DesignerButton(w, "fbDest")->click();
    Child<QAction>(*w, "pmiStepDest")->trigger();
    EXPECT_FALSE(q->Modified()) << "a cancelled dialog changes nothing";
    mxtest::DesignerButton(w, "fbSort")->click();
    EXPECT_TRUE(q->Modified());
    Child<QAction>(*w, "miStepSort")->trigger();
    mxtest::DesignerButton(w, "fbStepFilter")->click();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("résultats:Etape 1"), QStringLiteral("résultats:Etape 1"),
                          QStringLiteral("tri:Etape 1"), QStringLiteral("tri:Etape 1"), QStringLiteral("filtre:Etape 1")}));
    EXPECT_TRUE(w->windowTitle().contains(u'*'));

    // The program fills both slots with its dialogs.
    StepSortHook.clear();
    StepDestinationsHook.clear();
    InstallDesignerDialogs();
    EXPECT_TRUE(StepSortHook);
    EXPECT_TRUE(StepDestinationsHook);
}

TEST_F(DesignerCommandActions, ACalculatedFieldMadeWithCalcIsSavedWithTheQuery)
{
    TfmQueryDesigner* w = NewOnSample();
    mxtest::AddFirstFields(w, 1);
    TMxQueryStep* step = w->CurrentStep();
    const int before = step->AllFields()->Count();
    ScopedHook formula(FieldFormulaHook, [&](TMxQuery*, int stepId, TMxDataModel* model, TMxQueryField* field) {
        EXPECT_EQ(stepId, step->Id());
        EXPECT_EQ(model, step->DataModel());
        field->SetFieldType(u'N');
        return true;
    });
    mxtest::DesignerButton(w, "fbCalcFields")->click();
    ASSERT_EQ(step->AllFields()->Count(), before + 1);
    TMxQueryField* made = step->AllFields()->FindByFullName(QStringLiteral("Formule 1"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->Calculated());

    ui.service.fileAnswers << QStringList{Path(QStringLiteral("requetes/calcul.txt"))};
    Child<QAction>(*w, "miSaveQueryAs")->trigger();
    const QString saved = Path(QStringLiteral("requetes/calcul.mqr"));
    ASSERT_TRUE(QFileInfo::exists(saved));
    auto* again = TfmQueryDesigner::CreateFromFile(saved);
    ASSERT_NE(again->GetQuery(), nullptr);
    TMxQueryField* stored = again->CurrentStep()->AllFields()->FindByFullName(QStringLiteral("Formule 1"));
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(stored->Calculated());
    EXPECT_FALSE(Child<QAction>(*again, "miFieldDelete")->isEnabled()) << "no field selected";

    // The favourites check the entry of the query's file only (the list is
    // bound here as the window's activation binds it).
    QMenu* favorites = Child<QMenu>(*again, "miFavorites");
    ASSERT_NE(favorites, nullptr);
    ui::BindMRUMenu(AppGlobal()->History(10), favorites, [](const QString&) {});
    emit favorites->aboutToShow();
    QStringList checked, unchecked;
    for (QAction* a : favorites->actions())
        if (a->property(ui::kMRUEntryProperty).toBool())
            (a->isChecked() ? checked : unchecked) << a->data().toString();
    EXPECT_EQ(checked, QStringList{saved});
    ui.service.fileAnswers << QStringList{Path(QStringLiteral("requetes/autre.mqr"))};
    Child<QAction>(*again, "miSaveQueryAs")->trigger();
    emit favorites->aboutToShow();
    checked.clear();
    unchecked.clear();
    for (QAction* a : favorites->actions())
        if (a->property(ui::kMRUEntryProperty).toBool())
            (a->isChecked() ? checked : unchecked) << a->data().toString();
    EXPECT_EQ(checked, QStringList{Path(QStringLiteral("requetes/autre.mqr"))});
    EXPECT_TRUE(unchecked.contains(saved));
}

TEST_F(DesignerCommandActions, TheSetComboMakesTheStepAgainOnTheChosenSet)
{
    TfmQueryDesigner* w = NewOnSample();
    TMxQuery* q = w->GetQuery();
    QComboBox* sets = Child<QComboBox>(*w, "cobDomain");
    ASSERT_NE(sets, nullptr);
    ASSERT_EQ(sets->count(), 2);
    const int first = q->DomId();
    // Watched by its life, not its address: a new step may take the
    // freed one's place in memory.
    const ui::TItemRef<TMxQueryStep> before(w->CurrentStep());
    ASSERT_TRUE(before);
    const int other = sets->itemData(1).toInt();
    ASSERT_NE(other, first);
    sets->setCurrentIndex(1);
    emit sets->activated(1);
    EXPECT_EQ(q->DomId(), other);
    ASSERT_EQ(q->Steps()->Count(), 1);
    EXPECT_TRUE(before.gone()) << "the step is made again";
    EXPECT_EQ(w->CurrentStep(), q->Steps()->Items(0));
    EXPECT_EQ(sets->currentData().toInt(), other);
    EXPECT_EQ(w->CurrentStep()->DataModel()->CurrentDomain()->Id(), other);
    EXPECT_TRUE(q->Modified());
    EXPECT_TRUE(sets->isEnabled());
}

TEST_F(DesignerCommandActions, ACancelledParameterPromptWarnsAndLeavesTheGridEmpty)
{
    TfmQueryDesigner* w = NewOnSample();
    mxtest::AddFirstFields(w, 2);
    new TMxParamControl(w->GetQuery()->ParamControls()); // so the run asks
    ScopedHook prompter(ParamsPrompterHook, [](TMxDataModel*, const QString&, bool& ok, TStrings*, TMxParamControlList*, bool) {
        ok = false;
    });
    mxtest::DesignerButton(w, "fbRun")->click();
    // One warning box, through the application's error handler.
    QStringList warnings;
    for (const ui::test::TRequest& r : ui.service.requests)
        if (r.kind == QStringLiteral("message") && r.type == TMsgDlgType::mtWarning)
            warnings << r.text;
    EXPECT_EQ(warnings, QStringList{QStringLiteral("Abandon par l'utilisateur")});
    auto* grid = w->findChild<ui::TMxGrid*>();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->DataSet(), nullptr);
}

TEST_F(DesignerCommandActions, TheHelpMenuAndTheOptionsMenu)
{
    TfmQueryDesigner* w = NewOnSample();
    AppGlobal()->SetHelpFile(QStringLiteral("MORV32"));
    Child<QAction>(*w, "miMainHelp")->trigger();
    Child<QAction>(*w, "Aide1")->trigger();
    EXPECT_EQ(ui.service.texts(QStringLiteral("help")).size(), 2);

    Child<QAction>(*w, "Assistanceutilisateur1")->trigger();
    Child<QAction>(*w, "miJumptoMV")->trigger();
    const QStringList opened = ui.service.texts(QStringLiteral("shell")) + ui.service.texts(QStringLiteral("url"));
    EXPECT_EQ(opened.size(), 2) << opened.join(u' ').toStdString();
    EXPECT_TRUE(opened.join(u' ').contains(MakerSupportAddress()));

    int abouts = 0;
    ScopedHook about(AboutBoxHook, [&] { ++abouts; });
    Child<QAction>(*w, "miAbout")->trigger();
    mxtest::DesignerButton(w, "fbAbout")->click();
    EXPECT_EQ(abouts, 2);

    QString manual;
    ScopedHook run(RunDocumentHook, [&](const QString& file, const QString&) {
        manual = file;
        return file;
    });
    Child<QAction>(*w, "miUserManual")->trigger();
    // The build's manual, in the session's language, goes to the desktop's
    // viewer; the runner is asked only for a missing one.
    const QString viewed = ui.service.texts(QStringLiteral("shell")).value(ui.service.texts(QStringLiteral("shell")).size() - 1);
    EXPECT_TRUE(viewed.endsWith(QStringLiteral("Morv") + AppGlobal()->LangCode() + QStringLiteral(".pdf"))) << viewed.toStdString();
    EXPECT_EQ(AppGlobal()->LangCode(), QStringLiteral("Fr"));
    EXPECT_TRUE(manual.isEmpty()) << manual.toStdString();

    // The tool-tip switch: off, then on again.
    ASSERT_TRUE(ShowHints());
    Child<QAction>(*w, "miShowHint")->trigger();
    EXPECT_FALSE(ShowHints());
    EXPECT_FALSE(Child<QAction>(*w, "miShowHint")->isChecked());
    Child<QAction>(*w, "miShowHint")->trigger();
    EXPECT_TRUE(ShowHints());
    EXPECT_TRUE(Child<QAction>(*w, "miShowHint")->isChecked());

    EXPECT_FALSE(Child<QAction>(*w, "miGeneralOptions")->isEnabled()) << "no options dialog in this program yet";
}

TEST_F(DesignerCommandActions, TheOptionsItemFollowsItsSlotAndOpensTheDialog)
{
    int options = 0;
    {
        // morv32 fills the slot before it opens its window: the item is
        // offered from the start, and whatever the window's state.
        ScopedHook dialog(OptionsDialogHook, [&] { ++options; });
        TfmQueryDesigner* w = NewOnSample();
        QAction* item = Child<QAction>(*w, "miGeneralOptions");
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_EQ(options, 1);
        mxtest::AddFirstFields(w, 1);
        Child<QAction>(*w, "miNewStep")->trigger();
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_EQ(options, 2);
        // A disabled item does nothing.
        OptionsDialogHook.clear();
        w->AtStateChange();
        EXPECT_FALSE(item->isEnabled());
        item->trigger();
        EXPECT_EQ(options, 2);
    }
    // A window made with the slot empty offers it once the slot is filled.
    TfmQueryDesigner* w = NewOnSample();
    QAction* item = Child<QAction>(*w, "miGeneralOptions");
    EXPECT_FALSE(item->isEnabled());
    ScopedHook dialog(OptionsDialogHook, [&] { ++options; });
    w->AtStateChange();
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(options, 3);
}

// The SQL pane names a field as a whole word (one field's name may begin
// another's).
static bool Names(const QString& sql, const QString& sqlName)
{
    return sql.contains(
        QRegularExpression(QStringLiteral("(^|[^\\w])") + QRegularExpression::escape(sqlName) + QStringLiteral("($|[^\\w])")));
}

TEST_F(DesignerCommandActions, TheSelectedFieldIsDeletedFromTheMenuAndWithTheDeleteKey)
{
    TfmQueryDesigner* w = NewOnSample();
    TMxQuery* q = w->GetQuery();
    mxtest::AddFirstFields(w, 3);
    TMxQueryStep* step = w->CurrentStep();
    auto* editor = w->findChild<ui::TMxStepEditor*>(QStringLiteral("MxStepEditor"));
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->VEntities()->Count(), 1);
    ASSERT_EQ(editor->VEntities()->VEntity(0)->Count(), 3);
    const auto sqlName = [&](TMxQueryField* f) { return f->GetSqlFieldName(step->SQLSyntax()); };
    auto* sqlPane = Child<QPlainTextEdit>(*w, "moSQL");
    ASSERT_NE(sqlPane, nullptr);
    const auto sqlText = [&] { return sqlPane->toPlainText(); };

    // Each way deletes the selected panel's field, not the first one.
    const struct {
        const char* how;
        std::function<void()> deleteSelected;
    } ways[] = {
        {"Supprimer le champ", [&] { Child<QAction>(*w, "miFieldDelete")->trigger(); }},
        {"the Delete key", [&] { QTest::keyClick(editor->Grid(), Qt::Key_Delete); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        const int before = step->SelectedFields()->Count();
        ui::TVEntity* ventity = editor->VEntities()->VEntity(0);
        ui::TVField* panel = ventity->VField(ventity->Count() - 1);
        TMxQueryField* field = panel->Field();
        ASSERT_NE(field, nullptr);
        const QString name = sqlName(field);
        panel->Press(Qt::LeftButton);
        ASSERT_EQ(editor->SelectedField(), panel);
        ASSERT_TRUE(Child<QAction>(*w, "miFieldDelete")->isEnabled());
        EXPECT_TRUE(Names(sqlText(), name)) << sqlText().toStdString();
        q->SetModified(false);
        w->AtStateChange();

        way.deleteSelected();

        EXPECT_EQ(step->SelectedFields()->Count(), before - 1);
        for (int i = 0; i < step->SelectedFields()->Count(); ++i)
            EXPECT_NE(sqlName(step->SelectedFields()->Items(i)), name);
        EXPECT_EQ(editor->VEntities()->VEntity(0)->Count(), before - 1);
        EXPECT_FALSE(Names(sqlText(), name)) << sqlText().toStdString();
        EXPECT_FALSE(Names(step->SQL()->Text(), name)) << step->SQL()->Text().toStdString();
        EXPECT_TRUE(q->Modified());
        EXPECT_TRUE(w->windowTitle().contains(u'*')) << w->windowTitle().toStdString();
        EXPECT_TRUE(Child<QAction>(*w, "miSaveQuery")->isEnabled());
        // The grid shows the remaining fields, laid out again (no freed
        // panel left among its columns).
        QApplication::processEvents();
        w->repaint();
    }
    // What is left is still a query: one field, named in the SQL.
    ASSERT_EQ(step->SelectedFields()->Count(), 1);
    EXPECT_TRUE(Names(sqlText(), sqlName(step->SelectedFields()->Items(0)))) << sqlText().toStdString();

    // The last field goes too; then nothing is selected and neither way
    // does anything.
    editor->VEntities()->VEntity(0)->VField(0)->Press(Qt::LeftButton);
    Child<QAction>(*w, "miFieldDelete")->trigger();
    EXPECT_EQ(step->SelectedFields()->Count(), 0);
    EXPECT_EQ(editor->SelectedField(), nullptr);
    EXPECT_FALSE(Child<QAction>(*w, "miFieldDelete")->isEnabled());
    QTest::keyClick(editor->Grid(), Qt::Key_Delete);
    Child<QAction>(*w, "miFieldDelete")->trigger();
    EXPECT_EQ(q->Steps()->Count(), 1);
    QApplication::processEvents();
    w->repaint();
}

TEST_F(DesignerCommandActions, TheFieldPanelsAreRenamedAndFilteredThroughTheCommands)
{
    TfmQueryDesigner* w = NewOnSample();
    mxtest::AddFirstFields(w, 2);
    TMxQueryStep* step = w->CurrentStep();
    auto* editor = w->findChild<ui::TMxStepEditor*>(QStringLiteral("MxStepEditor"));
    ASSERT_NE(editor, nullptr);
    ASSERT_GT(editor->VEntities()->Count(), 0);
    ui::TVField* panel = editor->VEntities()->VEntity(0)->VField(0);
    ASSERT_NE(panel, nullptr);
    TMxQueryField* field = panel->Field();
    EXPECT_FALSE(Child<QAction>(*w, "miFieldDelete")->isEnabled());
    panel->Press(Qt::LeftButton);
    EXPECT_EQ(editor->SelectedField(), panel);
    EXPECT_TRUE(Child<QAction>(*w, "miFieldDelete")->isEnabled());

    int maxLength = 0;
    ScopedHook prompt(PromptStringHook, [&](const QString&, const QString& text, TStrings*, int max, QString& value,
                                           const QString&, const QString&) {
        EXPECT_EQ(text, QStringLiteral("Veuillez entrer le nom du champ"));
        maxLength = max;
        value = QStringLiteral("Nom du client");
        return true;
    });
    panel->Rename();
    EXPECT_EQ(maxLength, 25);
    EXPECT_EQ(field->FullName(), QStringLiteral("Nom du client"));

    int filters = 0;
    ScopedHook filter(FieldFilterHook, [&](TMxQuery*, int stepId, TMxQueryField* f) {
        ++filters;
        EXPECT_EQ(stepId, step->Id());
        EXPECT_EQ(f, field);
        return false;
    });
    panel->EditFormula();
    EXPECT_EQ(filters, 1);

    // (Deleting the selected field is tested on the command itself.)
    EXPECT_TRUE(w->GetQuery()->Modified());
}
