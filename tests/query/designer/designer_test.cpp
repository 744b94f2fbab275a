// The designer window driven offscreen as a user would, over the bundled
// sample.

#include "designerfixture.h"

#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/core/sqlsyntax.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/tools/hooks.h"

#include "query/commands/designerstates.h"
#include "query/designer/designerlogic.h"
#include "ui/controls/docklayout.h"
#include "ui/controls/entityoutline.h"
#include "ui/controls/mxgrid.h"
#include "ui/controls/nrpanel.h"
#include "ui/controls/picturelistbox.h"
#include "query/editor/stepeditor.h"
#include "ui/report/designsurface.h"
#include "ui/report/reporteditor.h"
#include "query/reports/queryreports.h"
#include "report/reportparts.h"
#include "query/editor/vpanels.h"

#include "platform/core/inifile.h"
#include "tests/support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QToolButton>

using namespace mx;
using mx::ui::test::Child;
using mxtest::SampleFile;

class DesignerWindow : public mxtest::DesignerTest {};

TEST_F(DesignerWindow, ToolBarGeometryForSmallAndLargeButtons)
{
    platform::IniFile::open(UserIni())->writeBool(QStringLiteral("Options"), QStringLiteral("LargeIcons"), false);
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateFromFile(QString());
    w->resize(900, 600);
    Settle();
    EXPECT_FALSE(w->LargeIcons()) << "LargeIcons=0 in the user's settings";
    // Where the bar's rule puts the buttons for the window's metrics.
    const TToolBarLayout small = LayoutToolBar(false);
    EXPECT_EQ(Child<QWidget>(*w, "nrpaBoard")->height(), small.height);
    EXPECT_EQ(mxtest::DesignerButton(w, "fbNewQuery")->geometry(), small.buttons[0]);
    EXPECT_EQ(mxtest::DesignerButton(w, "fbOpenQuery")->x(), small.buttons[1].x());
    EXPECT_EQ(mxtest::DesignerButton(w, "fbRun")->x(), small.buttons[2].x());
    EXPECT_TRUE(mxtest::DesignerButton(w, "fbRun")->text().isEmpty());
    EXPECT_TRUE(Child<QAction>(*w, "miSmallIcons")->isChecked());

    Child<QAction>(*w, "miSmallIcons")->trigger();
    Settle();
    EXPECT_TRUE(w->LargeIcons());
    const TToolBarLayout large = LayoutToolBar(true);
    EXPECT_EQ(Child<QWidget>(*w, "nrpaBoard")->height(), large.height);
    EXPECT_EQ(mxtest::DesignerButton(w, "fbNewQuery")->geometry(), large.buttons[0]);
    EXPECT_EQ(mxtest::DesignerButton(w, "fbRun")->text(), QStringLiteral("Exécuter"));
    EXPECT_EQ(mxtest::DesignerButton(w, "fbRun")->toolTip(), QStringLiteral("Exécuter l'étape"));
    QToolButton* about = mxtest::DesignerButton(w, "fbAbout");
    EXPECT_EQ(about->x(), std::max(Child<QWidget>(*w, "nrpaBoard")->width() - about->width() - 8, w->AboutLeft()));
    w->resize(400, 600);
    Settle();
    EXPECT_EQ(about->x(), w->AboutLeft()) << "never left of the last group";

    w->close();
    Settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(platform::IniFile::open(UserIni())->readBool(QStringLiteral("Options"), QStringLiteral("LargeIcons"), false))
        << "the choice is written back when the window closes";
}

// The status panel shows the hint of what is under the mouse, except a
// caption of the large buttons (a hint beginning with "*").
TEST_F(DesignerWindow, TheStatusPanelShowsTheHintUnderTheMouse)
{
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr);
    const struct {
        const char* tip;
        const char* shown;
    } cases[] = {{"Exécuter la requête", " Exécuter la requête"}, {"*Exécuter", " Exécuter la requête"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        QStatusTipEvent tip(QString::fromUtf8(c.tip));
        QCoreApplication::sendEvent(w, &tip);
        EXPECT_EQ(Child<QLabel>(*w, "paMiddle")->text(), QString::fromUtf8(c.shown));
    }
}

TEST_F(DesignerWindow, HideSQLInTheUsersSettingsHidesTheSQLPane)
{
    platform::IniFile::open(UserIni())->writeInteger(QStringLiteral("Options"), QStringLiteral("HideSQL"), 1);
    auto* hidden = new TfmQueryDesigner;
    EXPECT_FALSE(Child<QPlainTextEdit>(*hidden, "moSQL")->isVisible());
    EXPECT_TRUE(Child<QPlainTextEdit>(*hidden, "moSQL")->isHidden());
    platform::IniFile::open(UserIni())->writeInteger(QStringLiteral("Options"), QStringLiteral("HideSQL"), 0);
    auto* shown = new TfmQueryDesigner;
    EXPECT_FALSE(Child<QPlainTextEdit>(*shown, "moSQL")->isHidden());
}

TEST_F(DesignerWindow, AnEmptyWindowShowsNoQueryCommands)
{
    auto* w = TfmQueryDesigner::CreateFromFile(QString());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Morvelin"));
    EXPECT_FALSE(Child<QAction>(*w, "miQuery")->isVisible());
    EXPECT_FALSE(Child<QAction>(*w, "miStep")->isVisible());
    EXPECT_FALSE(Child<QAction>(*w, "miSaveQueryAs")->isEnabled());
    EXPECT_FALSE(mxtest::DesignerButton(w, "fbRun")->isEnabled());
    EXPECT_FALSE(Child<QComboBox>(*w, "cobDomain")->isEnabled());
    EXPECT_TRUE(mxtest::DesignerButton(w, "fbNewQuery")->isEnabled());
}

TEST_F(DesignerWindow, CommandStatesFollowANewQueryAsItGrows)
{
    auto* w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Nouvelle Requête (conception) - Morvelin"));
    EXPECT_TRUE(Child<QAction>(*w, "miQuery")->isVisible());
    EXPECT_TRUE(Child<QComboBox>(*w, "cobDomain")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(*w, "cobDomain")->count(), 2) << "the sample's two sets";
    EXPECT_FALSE(mxtest::DesignerButton(w, "fbRun")->isEnabled());
    EXPECT_FALSE(Child<QAction>(*w, "miSaveQuery")->isEnabled());
    EXPECT_TRUE(mxtest::DesignerButton(w, "fbSort")->isEnabled());

    mxtest::AddFirstFields(w, 1);
    EXPECT_TRUE(mxtest::DesignerButton(w, "fbRun")->isEnabled());
    EXPECT_TRUE(Child<QAction>(*w, "miQueryRun")->isEnabled());
    EXPECT_FALSE(Child<QComboBox>(*w, "cobDomain")->isEnabled()) << "an entity is chosen: the set cannot change any more";
    EXPECT_TRUE(Child<QAction>(*w, "miSaveQuery")->isEnabled());
    const QString statement = Child<QPlainTextEdit>(*w, "moSQL")->toPlainText();
    EXPECT_TRUE(statement.contains(u"SELECT")) << statement.toStdString();
    EXPECT_TRUE(w->windowTitle().startsWith(u"Nouvelle Requête* (conception)"));

    TMxQueryStep* second = w->GetQuery()->AddStep();
    w->Editor().SetStep(second);
    EXPECT_TRUE(Child<QAction>(*w, "miStepDelete")->isEnabled());
    EXPECT_TRUE(Child<QAction>(*w, "miDeleteStep")->isEnabled());
    w->Editor().SetStep(w->GetQuery()->Steps()->Items(0));
    EXPECT_FALSE(Child<QAction>(*w, "miStepDelete")->isEnabled()) << "the first step cannot be deleted";
    EXPECT_EQ(Child<QAbstractItemView>(*w, "plbSteps")->model()->rowCount(), 2);

    Child<QLineEdit>(*w, "edQueryName")->setText(QStringLiteral("Ventes"));
    emit Child<QLineEdit>(*w, "edQueryName")->editingFinished();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Ventes* (conception) - Morvelin"));
}

TEST_F(DesignerWindow, NewQueryRunSaveAsAndReopen)
{
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr);
    mxtest::AddFirstFields(w, 2);
    Child<QLineEdit>(*w, "edQueryName")->setText(QStringLiteral("Ventes"));
    emit Child<QLineEdit>(*w, "edQueryName")->editingFinished();

    mxtest::DesignerButton(w, "fbRun")->click();
    auto* grid = w->findChild<ui::TMxGrid*>();
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(grid->DataSet(), nullptr) << "the grid shows the result: " << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    EXPECT_EQ(grid->Columns.size(), 2);
    const QString sql = Child<QPlainTextEdit>(*w, "moSQL")->toPlainText();
    EXPECT_FALSE(sql.isEmpty());

    QWidget* left = Child<QWidget>(*w, "nrpaLeft");
    ui::TDockLayout::Of(left->parentWidget())->SetExtent(left, 230);
    ui.service.fileAnswers << QStringList{Path(QStringLiteral("requetes/ventes.txt"))};
    Child<QAction>(*w, "miSaveQuery")->trigger(); // never saved: asks for a name
    const QString saved = Path(QStringLiteral("requetes/ventes.mqr"));
    ASSERT_TRUE(QFileInfo::exists(saved)) << "stored under .mqr";
    EXPECT_EQ(ui.service.count(QStringLiteral("save")), 1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Ventes (conception) - Morvelin"));
    EXPECT_FALSE(Child<QAction>(*w, "miSaveQuery")->isEnabled());
    EXPECT_EQ(History(10).value(0), saved);
    EXPECT_TRUE(History(11).value(0).endsWith(u"EXEMPLE.MDD")) << History(11).join(u' ').toStdString();
    EXPECT_EQ(w->GetQuery()->PositionStrings()->Values(QStringLiteral("nrpaLeft")), QStringLiteral("230"));

    auto* again = TfmQueryDesigner::CreateFromFile(saved);
    ASSERT_NE(again->GetQuery(), nullptr);
    EXPECT_EQ(again->GetQuery()->Steps()->Count(), 1);
    EXPECT_EQ(Child<QLineEdit>(*again, "edQueryName")->text(), QStringLiteral("Ventes"));
    EXPECT_EQ(Child<QPlainTextEdit>(*again, "moSQL")->toPlainText(), sql);
    EXPECT_EQ(Child<QWidget>(*again, "nrpaLeft")->width(), 230);
    EXPECT_EQ(Child<QAbstractItemView>(*again, "plbSteps")->height(), Child<QAbstractItemView>(*w, "plbSteps")->height());
    EXPECT_EQ(again->windowTitle(), QStringLiteral("Ventes (conception) - Morvelin"));
    EXPECT_EQ(History(10).value(0), saved);
    EXPECT_EQ(ui.service.count(QStringLiteral("message")), 0) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
}

// The window's parts are reached by their objectName only: every element
// the state tables name, and every tool button the commands are connected
// to, is in the window under that name, or its state and its command
// would be lost without a word.
TEST_F(DesignerWindow, EveryPartTheStateTablesAndCommandsNameIsInTheWindow)
{
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr);
    QSet<QString> names;
    for (const bool hasQuery : {false, true}) {
        TDesignerSituation s;
        s.hasQuery = s.hasModel = s.hasStep = hasQuery;
        s.stepCount = hasQuery ? 2 : 0;
        s.stepIndex = hasQuery ? 1 : -1;
        s.entityCount = hasQuery ? 1 : 0;
        for (const TElementState& e : DesignerElementStates(s))
            names << e.name;
        TDesignerFacts facts;
        facts.query = facts.step = hasQuery;
        for (const QString& name : DesignerCommandStates(facts).keys())
            names << name;
    }
    for (const char* button : kToolButtons)
        names << QString::fromLatin1(button);
    ASSERT_GT(names.size(), kToolButtonCount);
    for (const QString& name : std::as_const(names)) {
        const bool found = w->findChild<QAction*>(name) || w->findChild<QWidget*>(name);
        EXPECT_TRUE(found) << name.toStdString();
    }
}

TEST_F(DesignerWindow, TheSaveQuestionIsAskedOnceAndCancelKeepsTheWindow)
{
    struct Case {
        const char* what;
        int answer;
        QStringList file; // the save dialog's answer (asked only after Yes)
        bool closes;
        bool written;
    };
    const Case cases[] = {
        {"No", mrNo, {}, true, false},
        {"Cancel", mrCancel, {}, false, false},
        {"Yes, then the name is not given", mrYes, {}, false, false},
        {"Yes, with a name", mrYes, {QStringLiteral("oui")}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.service.requests.clear();
        const QString file = Path(QStringLiteral("requetes/%1.mqr").arg(QString::fromLatin1(c.what).section(u',', 0, 0)));
        QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
        ASSERT_NE(w->GetQuery(), nullptr);
        mxtest::AddFirstFields(w, 1);
        TMxQuery* q = w->GetQuery();
        ui.service.messageAnswers << c.answer;
        if (!c.file.isEmpty())
            ui.service.fileAnswers << QStringList{file};
        else if (c.answer == mrYes)
            ui.service.fileAnswers << QStringList{};
        w->close();
        Settle();
        EXPECT_EQ(ui.service.count(QStringLiteral("message")), 1) << "asked once";
        EXPECT_EQ(w.isNull(), c.closes);
        EXPECT_EQ(QFileInfo::exists(file), c.written);
        if (!c.closes) {
            EXPECT_EQ(w->GetQuery(), q) << "nothing lost";
            EXPECT_TRUE(q->Modified());
            EXPECT_EQ(q->Steps()->Items(0)->Entities()->Count(), 1);
            q->SetModified(false);
            w->close();
            Settle();
            EXPECT_TRUE(w.isNull());
        }
    }
    EXPECT_EQ(quits, 4) << "each case ends with its only window";
}

TEST_F(DesignerWindow, TheProgramEndsOnlyWhenTheLastWindowCloses)
{
    QPointer<TfmQueryDesigner> first = TfmQueryDesigner::CreateFromFile(QString());
    Child<QAction>(*first, "miNewWindow")->trigger();
    ASSERT_EQ(DesignerCount().Count(), 2);
    ASSERT_EQ(DesignerRegistry().Count(), 2);
    first->close();
    Settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(quits, 0);
    ASSERT_EQ(DesignerRegistry().Count(), 1);
    auto* last = dynamic_cast<TfmQueryDesigner*>(DesignerRegistry().Designers().value(0));
    ASSERT_NE(last, nullptr);
    Child<QAction>(*last, "miExit")->trigger();
    Settle();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(DesignerCount().Count(), 0);
}

TEST_F(DesignerWindow, AFailedModelLoadSaysSoOnceAndTheWindowStaysUsable)
{
    const QString bad = Path(QStringLiteral("ABIME.MDD"));
    mxtest::WriteAll(bad, "ceci n'est pas un modèle");
    auto* w = TfmQueryDesigner::CreateOnModel(bad);
    EXPECT_EQ(w->GetQuery(), nullptr);
    ASSERT_EQ(ui.service.count(QStringLiteral("message")), 1) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    EXPECT_TRUE(ui.service.texts(QStringLiteral("message"))[0].startsWith(u"Impossible de charger le modèle ABIME.MDD:"));
    EXPECT_EQ(History(11).value(0), bad) << "a model that failed still goes to the top of the history";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Morvelin"));

    w->NewQuery(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    EXPECT_NE(w->GetQuery(), nullptr);
    EXPECT_EQ(ui.service.count(QStringLiteral("message")), 1);
}

// The leak checker of the sanitizer builds sees any model or query that a
// new query leaves behind.
TEST_F(DesignerWindow, NewQueriesFreeTheQueryAndTheModelTheyReplace)
{
    auto* w = TfmQueryDesigner::CreateFromFile(QString());
    QPointer<QObject> guard(w);
    for (int i = 0; i < 3; ++i) {
        w->NewQuery(SampleFile(QStringLiteral("EXEMPLE.MDD")));
        ASSERT_NE(w->GetQuery(), nullptr);
        EXPECT_TRUE(w->GetQuery()->OwnsDataModel()) << "the query frees its model with itself";
    }
    w->CloseQuery();
    EXPECT_EQ(w->GetQuery(), nullptr);
    ui.service.fileAnswers << QStringList{SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR"))};
    Child<QAction>(*w, "miOpenQuery")->trigger();
    ASSERT_NE(w->GetQuery(), nullptr);
    EXPECT_EQ(History(10).value(0), SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")));
    EXPECT_EQ(ui.service.count(QStringLiteral("message")), 0);
}

// The steps list acts on the line's own step: a click, the arrow keys and
// a double click, over a query of several steps.
TEST_F(DesignerWindow, TheStepsListShowsAndRenamesTheStepOfItsLine)
{
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateFromFile(SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR")));
    ASSERT_NE(w->GetQuery(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    TMxQuery* q = w->GetQuery();
    ASSERT_GE(q->Steps()->Count(), 2);
    QAbstractItemView* steps = Child<QAbstractItemView>(*w, "plbSteps");
    ASSERT_NE(steps, nullptr);
    QPlainTextEdit* sql = Child<QPlainTextEdit>(*w, "moSQL");
    ASSERT_NE(sql, nullptr);
    QAction* deleteStep = Child<QAction>(*w, "miStepDelete");
    ASSERT_NE(deleteStep, nullptr);
    ASSERT_EQ(steps->model()->rowCount(), q->Steps()->Count());
    auto* first = static_cast<TMxQueryStep*>(q->Steps()->Items(0));
    auto* second = static_cast<TMxQueryStep*>(q->Steps()->Items(1));
    ASSERT_EQ(w->CurrentStep(), first);
    auto* editor = w->findChild<ui::TMxStepEditor*>();
    ASSERT_NE(editor, nullptr);
    // As the pane shows it: its own line ends, no final one.
    const auto sqlOf = [](TMxQueryStep* step) {
        return step->SQL() ? step->SQL()->Text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed() : QString();
    };
    const auto lineCentre = [&](int line) { return steps->visualRect(steps->model()->index(line, 0)).center(); };
    const auto expectShown = [&](TMxQueryStep* step, const char* how) {
        SCOPED_TRACE(how);
        EXPECT_EQ(w->CurrentStep(), step);
        EXPECT_EQ(editor->Step(), step);
        EXPECT_EQ(steps->currentIndex().row(), q->Steps()->IndexOf(step));
        EXPECT_EQ(editor->VEntities()->Count(), step->Entities()->Count()) << "the step's own panels";
        EXPECT_EQ(sql->toPlainText().trimmed(), sqlOf(step));
        EXPECT_EQ(deleteStep->isEnabled(), step != first) << "the first step is never deleted";
    };
    EXPECT_NE(sqlOf(first), sqlOf(second)) << "the two steps can be told apart";

    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, lineCentre(1));
    expectShown(second, "a click on the second line");
    steps->setFocus();
    QTest::keyClick(steps, Qt::Key_Up);
    expectShown(first, "the up arrow");
    QTest::keyClick(steps, Qt::Key_Down);
    expectShown(second, "the down arrow");
    // The line's popup acts on its step too: the right button shows it.
    QTest::mouseClick(steps->viewport(), Qt::RightButton, {}, lineCentre(0));
    expectShown(first, "a right click on the first line");
    QTest::mouseClick(steps->viewport(), Qt::RightButton, {}, lineCentre(1));
    expectShown(second, "a right click on the second line");

    // A double click on the first line while the second is shown renames
    // the first.
    ScopedHook prompt(PromptStringSimpleHook, [](const QString&, const QString&, QString& value) {
        value = QStringLiteral("Clients choisis");
        return true;
    });
    const QString secondName = second->GetName();
    // A user's double click: press and release, then the double click.
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, lineCentre(0));
    QTest::mouseDClick(steps->viewport(), Qt::LeftButton, {}, lineCentre(0));
    QTest::mouseRelease(steps->viewport(), Qt::LeftButton, {}, lineCentre(0));
    EXPECT_EQ(first->GetName(), QStringLiteral("Clients choisis"));
    EXPECT_EQ(second->GetName(), secondName);
    EXPECT_EQ(steps->model()->index(0, 0).data().toString(), QStringLiteral("Clients choisis"));
    expectShown(first, "after the double click");
}

// The recent-model list keeps the path the model was loaded from, once,
// in place of a bare stored name; choosing the entry opens the model
// without a question.
TEST_F(DesignerWindow, TheModelHistoryKeepsThePathTheModelWasLoadedFrom)
{
    // Whatever earlier tests of the program left in the history goes: only
    // an entry of an earlier version is there.
    AppGlobal()->History(11)->Clear();
    AppGlobal()->History(11)->AddFile(QStringLiteral("EXEMPLE.MDD"));
    const QString model = QFileInfo(SampleFile(QStringLiteral("EXEMPLE.MDD"))).absoluteFilePath();
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateFromFile(SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR")));
    ASSERT_NE(w->GetQuery(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    EXPECT_EQ(History(11), QStringList{model});

    ui.service.fileAnswers << QStringList{SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR"))};
    Child<QAction>(*w, "miOpenQuery")->trigger();
    EXPECT_EQ(History(11), QStringList{model}) << "opened again: still one entry";

    w->NewQuery(History(11).value(0));
    ASSERT_NE(w->GetQuery(), nullptr);
    EXPECT_EQ(w->GetQuery()->DataModel()->FileName(), model);
    EXPECT_EQ(History(11), QStringList{model});
    EXPECT_EQ(ui.service.count(QStringLiteral("message")), 0) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    EXPECT_EQ(ui.service.count(QStringLiteral("open")), 1) << "no relocation asked";
}

// The status line says how many records the grid holds as soon as it is
// known (a move to the end), and never the count of a former result.
TEST_F(DesignerWindow, TheStatusLineFollowsTheRecordCountOfEachRun)
{
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr);
    mxtest::AddFirstFields(w, 2);
    auto* grid = w->findChild<ui::TMxGrid*>();
    ASSERT_NE(grid, nullptr);
    const auto expected = [&] {
        return grid->RecordCount() < 0 ? QString() : QStringLiteral("%1 Enregistrements").arg(grid->RecordCount());
    };
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        mxtest::DesignerButton(w, "fbRun")->click();
        ASSERT_NE(grid->DataSet(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
        EXPECT_EQ(Child<QLabel>(*w, "paMiddle")->text().trimmed(), expected()) << "just after the run";
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End);
        ASSERT_GT(grid->RecordCount(), 0);
        EXPECT_EQ(Child<QLabel>(*w, "paMiddle")->text().trimmed(), expected()) << "at the end of the grid";
    }
}

// "Conception" opened while the step had no result shows the default
// report once a run has made it.
TEST_F(DesignerWindow, TheDesignTabShowsTheReportMadeAfterARun)
{
    InstallQueryReports(); // steps get their report, as in the program
    QPointer<TfmQueryDesigner> w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr);
    mxtest::AddFirstFields(w, 2);
    auto* editor = w->findChild<ui::TMxStepEditor*>();
    ASSERT_NE(editor, nullptr);
    editor->TabSet()->setCurrentIndex(ui::TMxStepEditor::tabDesign);
    ASSERT_NE(editor->ReportEditor(), nullptr);
    auto* detail = editor->ReportEditor()->findChild<QCheckBox*>(QStringLiteral("cbDetail"));
    ASSERT_NE(detail, nullptr);
    EXPECT_FALSE(detail->isChecked()) << "no result yet: no report";

    mxtest::DesignerButton(w, "fbRun")->click();
    ASSERT_NE(editor->Grid()->DataSet(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    editor->TabSet()->setCurrentIndex(ui::TMxStepEditor::tabDesign);
    ASSERT_EQ(static_cast<void*>(editor->ReportEditor()->Report()), static_cast<void*>(dynamic_cast<rpt::TQuickRep*>(w->CurrentStep()->QuickReport())));
    EXPECT_TRUE(detail->isChecked()) << "the default report's bands are shown";
    auto* surface = editor->ReportEditor()->findChild<ui::TDesignSurface*>(QStringLiteral("DesignSurface"));
    ASSERT_NE(surface, nullptr);
    ASSERT_NE(surface->Layout(), nullptr);
    EXPECT_FALSE(surface->Layout()->Bands().empty());
}

// New windows open wholly on the screen, each a little off the window it
// was opened from, even from a window at the screen's corner.
TEST_F(DesignerWindow, NewWindowsOpenWhollyOnTheScreen)
{
    const auto designers = [] {
        QSet<TfmQueryDesigner*> all;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TfmQueryDesigner*>(w))
                all << d;
        return all;
    };
    QPointer<TfmQueryDesigner> first = new TfmQueryDesigner;
    const QRect available = first->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(first->geometry())) << "the first window";
    for (const QPoint& at : {first->pos(), available.bottomRight() - QPoint(first->width(), first->height()) / 2}) {
        SCOPED_TRACE(at.x());
        first->move(at);
        QApplication::setActiveWindow(first);
        const QSet<TfmQueryDesigner*> before = designers();
        Child<QAction>(*first, "miNewWindow")->trigger();
        const QSet<TfmQueryDesigner*> added = designers() - before;
        ASSERT_EQ(added.size(), 1);
        TfmQueryDesigner* next = *added.begin();
        EXPECT_TRUE(available.contains(next->geometry())) << "the new window";
        EXPECT_NE(next->pos(), first->pos());
    }
}
