// The rules of the parameter dialogs, apart from any widget.

#include "query/params/paramrules.h"

#include "engine/core/hookslot.h"
#include "engine/core/userservice.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/tools/hooks.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using namespace mx;

namespace {

template <class T>
struct Owned {
    T* p = new T(nullptr);
    ~Owned() { p->Free(); }
    T* operator->() const { return p; }
};

} // namespace

TEST(ParamRules, GridShapeAndLabelGeometry)
{
    // the grid rounds down, on both sides of 0
    const QList<QPair<int, int>> snaps{{20, 18}, {15, 12}, {6, 6}, {5, 0}, {0, 0}, {-1, -6}, {-6, -6}, {-7, -12}};
    for (const auto& [v, snapped] : snaps)
        EXPECT_EQ(Snap(v), snapped) << v;

    const QRect current(30, 42, 60, 36);
    EXPECT_EQ(ShapeRequest(current, -5, -1, 0, 0), QRect(0, 0, 60, 36)) << "negative bounds clamp, zero sizes keep";
    EXPECT_EQ(ShapeRequest(current, 12, 18, 48, 0), QRect(12, 18, 48, 36));
    EXPECT_EQ(ControlRectOf(QRect(18, 12, 133, 33)), QRect(24, 18, 121, 21));
    EXPECT_EQ(ShapeRectOf(QRect(24, 18, 121, 21)), QRect(18, 12, 133, 33));

    const QRect control(100, 60, 121, 21);
    const QSize label(40, 13);
    const struct {
        TCaptionAlign align;
        QPoint at;
    } labels[] = {
        {caLeft, {55, 60}},   // right edge 5 px left of the control
        {caRight, {226, 60}}, // 5 px right of it
        {caTop, {100, 42}},   // bottom edge 5 px above
        {caBottom, {100, 86}},
    };
    for (const auto& c : labels)
        EXPECT_EQ(CaptionPos(c.align, control, label), c.at) << c.align;
}

TEST(ParamRules, HandlesAndDragSteps)
{
    const QSize shape(60, 36);
    EXPECT_EQ(HandleRect(shape, 1, 2), QRect(27, 30, 6, 6));
    const struct {
        QPoint at;
        int edges;
    } presses[] = {
        {{2, 2}, deLeft | deTop}, {{58, 34}, deRight | deBottom}, {{30, 2}, deTop}, {{58, 18}, deRight},
        {{2, 16}, deLeft},        {{30, 18}, 0},                  {{30, 33}, deBottom},
    };
    for (const auto& p : presses)
        EXPECT_EQ(EdgesAt(shape, p.at), p.edges) << p.at.x() << "," << p.at.y();

    const QRect r(30, 42, 60, 36);
    const struct {
        const char* what;
        int edges;
        QPoint start, last, now;
        QRect result;
    } drags[] = {
        {"move", 0, {30, 18}, {30, 18}, {42, 24}, {42, 48, 60, 36}},
        {"right edge", deRight, {54, 18}, {60, 18}, {72, 24}, {30, 42, 72, 36}},
        {"bottom edge", deBottom, {30, 30}, {30, 30}, {36, 42}, {30, 42, 60, 48}},
        {"left edge", deLeft, {0, 18}, {0, 18}, {-12, 18}, {18, 42, 72, 36}},
        {"top-left corner", deLeft | deTop, {0, 0}, {0, 0}, {6, 6}, {36, 48, 54, 30}},
    };
    for (const auto& d : drags)
        EXPECT_EQ(ApplyDragStep(r, DragStep(d.edges, d.start, d.last, d.now)), d.result) << d.what;
}

TEST(ParamRules, PrompterSizesAndButtons)
{
    const struct {
        QSize design, client;
        QRect ok, cancel;
    } cases[] = {
        {{400, 300}, {400, 342}, {224, 308, 80, 26}, {312, 308, 80, 26}},
        {{200, 300}, {296, 300}, {208, 8, 80, 26}, {208, 42, 80, 26}},
        {{100, 100}, {196, 110}, {108, 8, 80, 26}, {108, 42, 80, 26}},
        {{200, 100}, {272, 142}, {96, 108, 80, 26}, {184, 108, 80, 26}},
        {{100, 50}, {272, 92}, {96, 58, 80, 26}, {184, 58, 80, 26}},
    };
    for (const auto& c : cases) {
        const TPrompterLayout l = PrompterLayout(c.design.width(), c.design.height());
        EXPECT_EQ(l.client, c.client) << c.design.width() << "x" << c.design.height();
        EXPECT_EQ(l.ok, c.ok) << c.design.width() << "x" << c.design.height();
        EXPECT_EQ(l.cancel, c.cancel) << c.design.width() << "x" << c.design.height();
    }
}

TEST(ParamRules, CommandBarButtonsAreRightAlignedAndNarrowBelow360)
{
    EXPECT_EQ(CommandBarLayout(400, 32),
        (QList<QRect>{{48, 3, 80, 25}, {136, 3, 80, 25}, {224, 3, 80, 25}, {312, 3, 80, 25}}));
    // (300 - 40) div 4 = 65
    EXPECT_EQ(CommandBarLayout(300, 32),
        (QList<QRect>{{8, 3, 65, 25}, {81, 3, 65, 25}, {154, 3, 65, 25}, {227, 3, 65, 25}}));
}

TEST(ParamRules, AnswersByKind)
{
    const QStringList three{QStringLiteral("Lyon"), QStringLiteral("Paris"), QStringLiteral("Nice")};
    TControlState list;
    list.lines = three;
    list.lineCount = 3;
    TControlState two = list;
    two.selected = {0, 2};
    TControlState all = list;
    all.selected = {0, 1, 2};
    TControlState text;
    text.text = QStringLiteral("12/05/2023");
    TControlState on;
    on.checked = true;
    const TControlState off;
    const QStringList yesNo{QStringLiteral("non"), QStringLiteral("oui")};
    const struct {
        const char* what;
        TDlgControlKind kind;
        QStringList values;
        TControlState state;
        QStringList answers;
    } cases[] = {
        {"edit", ckEdit, {}, text, {QStringLiteral("12/05/2023")}},
        {"combo", ckCombo, three, text, {QStringLiteral("12/05/2023")}},
        {"list, two of three", ckListBox, three, two, {QStringLiteral("Lyon"), QStringLiteral("Nice")}},
        {"list, every line: no restriction", ckListBox, three, all, {}},
        {"list, none", ckListBox, three, list, {}},
        {"check box checked", ckCheck, yesNo, on, {QStringLiteral("oui")}},
        {"check box unchecked", ckCheck, yesNo, off, {QStringLiteral("non")}},
        {"check box of one line, checked", ckCheck, {QStringLiteral("non")}, on, {}},
        {"check box of no line", ckCheck, {}, off, {}},
        {"radio checked", ckRadio, three, on, three},
        {"radio unchecked", ckRadio, three, off, {}},
        {"label", ckLabel, three, on, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ControlAnswers(c.kind, c.values, c.state), c.answers) << c.what;
}

TEST(ParamRules, CheckControlsAsksAndStopsOnCancel)
{
    Owned<TMxParamList> params;
    params->AddNew()->SetName(QStringLiteral("Ville"));
    const QString reassign = QStringLiteral("Voulez-vous réassigner un autre paramètre ?");
    const QString incomplete = QStringLiteral("Un paramètre de type liste n'est pas complètement défini.\n"
                                              "Voulez-vous modifier la définition de ce paramètre ?");
    struct Case {
        const char* what;
        std::function<void(TMxParamControl*)> make; // none: an empty dialog
        QStringList questions;
    };
    const Case cases[] = {
        {"an empty dialog", nullptr, {}},
        {"a bound edit", [](TMxParamControl* c) { c->SetParamName(QStringLiteral("Ville")); }, {}},
        {"an unbound edit", [](TMxParamControl*) {},
            {QStringLiteral("Vous n'avez pas défini de paramètre pour certains composants dans votre fiche de requête.\n") + reassign}},
        {"a renamed parameter", [](TMxParamControl* c) { c->SetParamName(QStringLiteral("Cité")); },
            {QStringLiteral("Vous utilisez le paramètre 'Cité' dans votre fiche de requête.\n"
                            "Ce paramètre n'existe plus ou a été renommé.\n") + reassign}},
        {"a label needs no parameter", [](TMxParamControl* c) { c->SetKind(ckLabel); }, {}},
        {"a list of no values",
            [](TMxParamControl* c) {
                c->SetKind(ckListBox);
                c->SetParamName(QStringLiteral("Ville"));
                c->SetTableId(-1);
            },
            {incomplete}},
        {"a list bound to no field (a new list keeps TableId 0)",
            [](TMxParamControl* c) {
                c->SetKind(ckCombo);
                c->SetParamName(QStringLiteral("Ville"));
            },
            {incomplete}},
        {"a list bound to a field", 
            [](TMxParamControl* c) {
                c->SetKind(ckListBox);
                c->SetParamName(QStringLiteral("Ville"));
                c->SetTableId(5);
                c->SetFieldName(QStringLiteral("VILLE"));
            },
            {}},
        // once a list, now an edit with no initial value: complete
        {"an edit that was a list",
            [](TMxParamControl* c) {
                c->SetParamName(QStringLiteral("Ville"));
                c->SetTableId(-1);
            },
            {}},
    };
    for (const Case& c : cases) {
        for (int answer : {mrYes, mrNo, mrCancel}) {
            SCOPED_TRACE(std::string(c.what) + " answered " + std::to_string(answer));
            Owned<TMxParamControlList> controls;
            if (c.make) {
                c.make(controls->AddNew());
                // a second control with the same fault: Cancel stops before it
                c.make(controls->AddNew());
            }
            QStringList asked;
            QList<int> repaired;
            const bool ok = CheckParamControls(
                *controls.p, params.p,
                [&](const QString& text) {
                    asked << text;
                    return answer;
                },
                [&](int i) { repaired << i; });
            EXPECT_EQ(ok, c.questions.isEmpty());
            if (c.questions.isEmpty()) {
                EXPECT_TRUE(asked.isEmpty());
                continue;
            }
            const int expected = answer == mrCancel ? 1 : 2;
            ASSERT_EQ(asked.size(), expected);
            EXPECT_EQ(asked.first(), c.questions.first());
            EXPECT_EQ(repaired, (answer == mrYes ? QList<int>{0, 1} : QList<int>{}));
        }
    }
}

TEST(ParamRules, EditParamWritesBackOnlyOnOk)
{
    Owned<TMxParamList> params;
    TMxParam* p = params->AddNew();
    p->SetName(QStringLiteral("Ville"));
    EXPECT_FALSE(EditParam(p)) << "without the dialog";

    QStringList shown;
    bool answer = false;
    ScopedHook hook(ParamTypeEditorHook, [&](QString& name, int& type, const QStringList& names) {
        shown = names;
        EXPECT_EQ(name, QStringLiteral("Ville"));
        EXPECT_EQ(type, int(ptString));
        name = QStringLiteral("Début");
        type = int(ptDate);
        return answer;
    });
    EXPECT_FALSE(EditParam(p));
    EXPECT_EQ(p->Name(), QStringLiteral("Ville"));
    EXPECT_EQ(p->ParamType(), ptString);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Date Heure"), QStringLiteral("Chaîne"), QStringLiteral("Date"),
                         QStringLiteral("Logique"), QStringLiteral("Numérique"), QStringLiteral("Heure")}));
    answer = true;
    EXPECT_TRUE(EditParam(p));
    EXPECT_EQ(p->Name(), QStringLiteral("Début"));
    EXPECT_EQ(p->ParamType(), ptDate);
}
