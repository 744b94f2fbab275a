// The designer's rules without a window: command states, caption, tool
// bar geometry, the stored layout, HideSQL, the save question and the
// count of open designers.

#include "query/designer/designerlogic.h"

#include "engine/core/strings.h"
#include "engine/core/userservice.h"

#include "tests/support/testsupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mx;

namespace {

bool stateOf(const QList<TElementState>& states, const char* name, TElementProperty p)
{
    for (const TElementState& s : states)
        if (s.name == QLatin1String(name) && s.property == p)
            return s.value;
    ADD_FAILURE() << "no state for " << name;
    return false;
}

QString plain(const TStrings& lines)
{
    return lines.Text().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TEST(DesignerStates, FollowTheQueryTheModelTheStepTheFieldAndTheResult)
{
    using P = TElementProperty;
    struct Case {
        const char* what;
        TDesignerSituation s;
        // Q, M, S, F, R, menus shown, step delete, run, save, domain
        bool Q, M, S, F, R, del, domain;
    };
    TDesignerSituation none;
    TDesignerSituation noModel;
    noModel.hasQuery = true;
    noModel.modified = true;
    noModel.hasStep = true;
    noModel.stepCount = 1;
    noModel.stepIndex = 0;
    noModel.entityCount = 1;
    TDesignerSituation fresh;
    fresh.hasQuery = fresh.hasModel = true;
    fresh.hasStep = true;
    fresh.stepCount = 1;
    fresh.stepIndex = 0;
    TDesignerSituation withEntity = fresh;
    withEntity.entityCount = 2;
    withEntity.modified = true;
    TDesignerSituation secondStep = fresh;
    secondStep.stepCount = 2;
    secondStep.stepIndex = 1;
    TDesignerSituation firstOfTwo = secondStep;
    firstOfTwo.stepIndex = 0;
    TDesignerSituation field = withEntity;
    field.fieldSelected = true;
    TDesignerSituation noStep = fresh;
    noStep.hasStep = false;
    noStep.fieldSelected = true;
    noStep.entityCount = 3;
    const Case cases[] = {
        {"no query", none, false, false, false, false, false, false, false},
        {"a query without model counts as none", noModel, false, false, false, false, false, false, false},
        {"new query: the set can change", fresh, true, false, true, false, false, false, true},
        {"an entity chosen: run, no set change", withEntity, true, true, true, false, true, false, false},
        {"second step can be deleted", secondStep, true, false, true, false, false, true, false},
        {"first step cannot", firstOfTwo, true, false, true, false, false, false, false},
        {"a selected field", field, true, true, true, true, true, false, false},
        {"no current step", noStep, true, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TDesignerStates st = ComputeDesignerStates(c.s);
        EXPECT_EQ(st.Q, c.Q);
        EXPECT_EQ(st.M, c.M);
        EXPECT_EQ(st.S, c.S);
        EXPECT_EQ(st.F, c.F);
        EXPECT_EQ(st.R, c.R);
        const QList<TElementState> e = DesignerElementStates(c.s);
        for (const char* n : {"plbSteps", "olFields", "miSaveQueryAs", "miCloseQuery", "fbParams", "edQueryName", "laDomain",
                 "cbPrintAuto", "moQryInfos"})
            EXPECT_EQ(stateOf(e, n, P::Enabled), c.Q) << n;
        EXPECT_EQ(stateOf(e, "miQuery", P::Visible), c.Q);
        EXPECT_EQ(stateOf(e, "miStep", P::Visible), c.Q);
        EXPECT_EQ(stateOf(e, "miSaveQuery", P::Enabled), c.M);
        for (const char* n : {"fbStepFilter", "fbCalcFields", "fbSort", "fbDest"})
            EXPECT_EQ(stateOf(e, n, P::Enabled), c.S) << n;
        EXPECT_EQ(stateOf(e, "miFieldDelete", P::Enabled), c.F);
        EXPECT_EQ(stateOf(e, "fbRun", P::Enabled), c.R);
        EXPECT_EQ(stateOf(e, "miQueryRun", P::Enabled), c.R);
        EXPECT_EQ(stateOf(e, "miStepDelete", P::Enabled), c.del);
        EXPECT_EQ(stateOf(e, "miDeleteStep", P::Enabled), c.del);
        EXPECT_EQ(stateOf(e, "cobDomain", P::Enabled), c.domain);
    }
}

TEST(DesignerStates, TheOptionBoxesShowTheQueryOptionsOnlyWithAQuery)
{
    TDesignerSituation s;
    s.printAuto = s.dumpTables = true;
    EXPECT_FALSE(stateOf(DesignerElementStates(s), "cbPrintAuto", TElementProperty::Checked));
    s.hasQuery = s.hasModel = true;
    s.dumpTables = false;
    EXPECT_TRUE(stateOf(DesignerElementStates(s), "cbPrintAuto", TElementProperty::Checked));
    EXPECT_FALSE(stateOf(DesignerElementStates(s), "cbDumpTables", TElementProperty::Checked));
}

TEST(DesignerCaption, NamesTheQueryItsStateAndTheProgram)
{
    struct Case {
        bool q;
        const char* caption;
        bool modified, interactive;
        const char* expected;
    };
    const Case cases[] = {
        {true, "Ventes", true, true, "Ventes* (conception) - Morvelin"},
        {true, "Ventes", false, true, "Ventes (conception) - Morvelin"},
        {true, "Nouvelle Requête", false, false, "Nouvelle Requête - Morvelin"},
        {true, "/q/a.mqr", true, false, "/q/a.mqr* - Morvelin"},
        {false, "Ventes", true, true, "Morvelin"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DesignerCaption(c.q, QString::fromUtf8(c.caption), c.modified, c.interactive, QStringLiteral("(conception)"),
                      QStringLiteral("Morvelin")),
            QString::fromUtf8(c.expected));
}

TEST(DesignerToolBar, PlacesTheButtonsInGroupsForBothSizes)
{
    const TToolBarLayout small = LayoutToolBar(false);
    EXPECT_EQ(small.height, 42);
    ASSERT_EQ(small.buttons.size(), kToolButtonCount);
    EXPECT_EQ(small.buttons[0], QRect(8, 4, 38, 34));
    EXPECT_EQ(small.buttons[1].x(), 46);
    EXPECT_EQ(small.buttons[2].x(), 92) << "8 px between groups";
    EXPECT_EQ(small.buttons[3].x(), 92 + 38 + 8);
    EXPECT_EQ(small.buttons[7].x(), 138 + 4 * 38);
    EXPECT_EQ(small.aboutLeft, 138 + 5 * 38 + 8);
    EXPECT_EQ(small.buttons[8].x(), small.aboutLeft);

    const TToolBarLayout large = LayoutToolBar(true);
    EXPECT_EQ(large.height, 66);
    EXPECT_EQ(large.buttons[0], QRect(8, 8, 58, 50));
    EXPECT_EQ(large.buttons[2].x(), 8 + 2 * 58 + 8);
    EXPECT_EQ(large.aboutLeft, 8 + 8 * 58 + 3 * 8);

    EXPECT_EQ(AboutButtonLeft(800, 58, 300), 800 - 58 - 8);
    EXPECT_EQ(AboutButtonLeft(200, 58, 300), 300) << "never left of the last group";
}

TEST(DesignerToolBar, LargeButtonsTakeTheirCaptionFromTheLongHint)
{
    EXPECT_EQ(ToolButtonToolTip(QStringLiteral("Exécuter l'étape|*Executer")), QStringLiteral("Exécuter l'étape"));
    EXPECT_EQ(ToolButtonCaption(QStringLiteral("Exécuter l'étape|*Executer"), true), QStringLiteral("Executer"));
    EXPECT_EQ(ToolButtonCaption(QStringLiteral("Exécuter l'étape|*Executer"), false), QString());
    EXPECT_EQ(ToolButtonCaption(QStringLiteral("Sans partie longue"), true), QString());
}

TEST(DesignerLayout, RoundTripsThroughThePositionStrings)
{
    TDesignerLayout l;
    l.windowState = 0;
    l.left = 10;
    l.top = 20;
    l.width = 700;
    l.height = 500;
    l.leftPane = 200;
    l.stepsHeight = 90;
    l.sqlHeight = 70;
    TStrings lines;
    lines.Add(QStringLiteral("Stale=1"));
    WriteDesignerLayout(lines, l);
    EXPECT_EQ(plain(lines), QStringLiteral("WindowState=0\nLeft=10\nTop=20\nWidth=700\nHeight=500\nnrpaLeft=200\nplbSteps=90\nmoSQL=70\n"));
    const TDesignerLayout back = ReadDesignerLayout(lines);
    EXPECT_EQ(back.left, 10);
    EXPECT_EQ(back.height, 500);
    EXPECT_EQ(back.leftPane, 200);
    EXPECT_EQ(back.sqlHeight, 70);

    l.windowState = 2;
    WriteDesignerLayout(lines, l);
    EXPECT_EQ(plain(lines), QStringLiteral("WindowState=2\nnrpaLeft=200\nplbSteps=90\nmoSQL=70\n")) << "a maximised window stores no bounds";

    TStrings odd;
    odd.Add(QStringLiteral("moSQL=abc"));
    odd.Add(QStringLiteral("Left=-5"));
    const TDesignerLayout r = ReadDesignerLayout(odd);
    EXPECT_FALSE(r.windowState.has_value());
    EXPECT_FALSE(r.sqlHeight.has_value()) << "not a number: the current value stays";
    EXPECT_EQ(r.left, -5);
}

TEST(DesignerLayout, BoundsFromALargerScreenAreBroughtOntoThisOne)
{
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(FitOnScreen(QRect(100, 100, 600, 400), screen), QRect(100, 100, 600, 400));
    EXPECT_EQ(FitOnScreen(QRect(2500, 1300, 600, 400), screen), QRect(424, 368, 600, 400));
    EXPECT_EQ(FitOnScreen(QRect(-300, 10, 1600, 1200), screen), QRect(0, 0, 1024, 768));
}

TEST(DesignerSettings, HideSQLFromEitherFile)
{
    QTemporaryDir dir;
    struct Case {
        const char* installation; // nullptr: no file
        const char* user;
        bool hidden;
    };
    const Case cases[] = {
        {nullptr, nullptr, false},
        {"[Options]\nHideSQL=1\n", nullptr, true},
        {nullptr, "[Options]\nHideSQL=1\n", true},
        {"[Options]\nHideSQL=0\n", "[Options]\nHideSQL=1\n", true},
        {"[Options]\nHideSQL=1\n", "[Options]\nHideSQL=0\n", true},
        {"[Options]\nHideSQL=0\n", "[Options]\nHideSQL=0\n", false},
        {"[Options]\nHideSQL=2\n", "[Autre]\nHideSQL=1\n", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const auto file = [&](const char* text, const char* which) {
            if (!text)
                return QString();
            const QString name = dir.filePath(QStringLiteral("%1-%2.INI").arg(QString::fromLatin1(which)).arg(n));
            mxtest::WriteAll(name, QByteArray(text));
            return name;
        };
        EXPECT_EQ(ReadHideSQL(file(c.installation, "inst"), file(c.user, "user")), c.hidden);
        ++n;
    }
}

TEST(DesignerSaveQuestion, IsAskedAtMostOnceAndCancelKeepsEverything)
{
    struct Case {
        bool modified;
        int answer;
        bool saved;
        TSaveOutcome outcome;
        int asked, saves;
    };
    const Case cases[] = {
        {false, mrYes, true, TSaveOutcome::Proceed, 0, 0},
        {true, mrYes, true, TSaveOutcome::Proceed, 1, 1},
        {true, mrYes, false, TSaveOutcome::Keep, 1, 1}, // the save did not happen: nothing dropped, no second try
        {true, mrNo, true, TSaveOutcome::Proceed, 1, 0},
        {true, mrCancel, true, TSaveOutcome::Keep, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        int asked = 0, saves = 0;
        const TSaveOutcome o = DecideSaveIfModified(
            c.modified,
            [&] {
                ++asked;
                return c.answer;
            },
            [&] {
                ++saves;
                return c.saved;
            });
        EXPECT_EQ(o, c.outcome);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(saves, c.saves);
    }
}

TEST(DesignerCount, QuitsOnlyWhenTheLastDesignerGoes)
{
    TDesignerCount count;
    int quits = 0;
    count.Quit = [&] { ++quits; };
    count.Increase();
    count.Increase();
    count.Decrease();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(count.Count(), 1);
    count.Decrease();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(count.Count(), 0);
}
