// Pop-up menus run through the replaceable runner: the scripted runner
// answers as the user's choice would (by name or accelerator, never a
// disabled item), and the program's modal hold is kept while one is open.

#include "ui/services/modalrunner.h"
#include "ui/services/popuprunner.h"
#include "tests/support/ui/scriptedpopup.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <memory>

#include <gtest/gtest.h>

namespace mx::ui {
namespace {

void needApplication()
{
    static int argc = 1;
    static char arg0[] = "test";
    static char* argv[] = {arg0, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

struct ApplicationMade {
    ApplicationMade() { needApplication(); }
};

// "&Somme", "&Moyenne" (disabled), "Mi&nimum", "Ma&ximum", "Mas&qué"
// (hidden), "&Aucun" and a separator.
struct TotalsMenu : ApplicationMade {
    TotalsMenu()
    {
        menu.setObjectName(QStringLiteral("pmTotals"));
        for (const auto& [name, text] : {std::pair{"miSum", "&Somme"}, {"miAverage", "&Moyenne"}, {"miMin", "Mi&nimum"},
                 {"miMax", "Ma&ximum"}, {"miHidden", "Mas&qué"}, {"miNone", "&Aucun"}}) {
            QAction* a = menu.addAction(QString::fromUtf8(text));
            a->setObjectName(QString::fromLatin1(name));
        }
        menu.addSeparator()->setObjectName(QStringLiteral("miLine"));
        Action("miAverage")->setEnabled(false);
        Action("miHidden")->setVisible(false);
        QObject::connect(&menu, &QMenu::triggered, &menu, [this](QAction* a) { triggered << a->objectName(); });
    }
    QAction* Action(const char* name) const { return menu.findChild<QAction*>(QString::fromLatin1(name)); }
    QMenu menu;
    QStringList triggered;
};

TEST(ScriptedPopup, ChoosesAsTheUserWouldAndTriggersTheChoice)
{
    using TQueue = std::function<void(test::TScriptedPopup&)>;
    const struct {
        const char* what;
        TQueue queue;
        const char* chosen; // none: nothing chosen
        int refused;
    } cases[] = {
        {"by name", [](test::TScriptedPopup& p) { p.Choose(QStringLiteral("miMin")); }, "miMin", 0},
        {"by key", [](test::TScriptedPopup& p) { p.Key(u's'); }, "miSum", 0},
        {"the key of the disabled item", [](test::TScriptedPopup& p) { p.Key(u'M'); }, nullptr, 1},
        {"a key in lower case", [](test::TScriptedPopup& p) { p.Key(u'x'); }, "miMax", 0},
        {"a key only a hidden item has", [](test::TScriptedPopup& p) { p.Key(u'Q'); }, nullptr, 1},
        {"a disabled item by name", [](test::TScriptedPopup& p) { p.Choose(QStringLiteral("miAverage")); }, nullptr, 1},
        {"a separator", [](test::TScriptedPopup& p) { p.Choose(QStringLiteral("miLine")); }, nullptr, 1},
        {"a name the menu lacks", [](test::TScriptedPopup& p) { p.Choose(QStringLiteral("miMedian")); }, nullptr, 1},
        {"a key no item has", [](test::TScriptedPopup& p) { p.Key(u'Z'); }, nullptr, 1},
        {"closed", [](test::TScriptedPopup& p) { p.Dismiss(); }, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TotalsMenu m;
        test::TScriptedPopup popup;
        c.queue(popup);
        QAction* chosen = RunPopup(m.menu, QPoint(40, 50));
        EXPECT_EQ(chosen, c.chosen ? m.Action(c.chosen) : nullptr);
        EXPECT_EQ(m.triggered, c.chosen ? QStringList{QString::fromLatin1(c.chosen)} : QStringList());
        EXPECT_EQ(popup.refused, c.refused);
        EXPECT_EQ(popup.unexpected, 0);
        EXPECT_EQ(popup.shown, QStringList{QStringLiteral("pmTotals")});
        EXPECT_EQ(popup.positions, QList<QPoint>{QPoint(40, 50)});
    }
}

TEST(ScriptedPopup, TwoItemsSharingAKeyAndAMenuNobodyExpected)
{
    TotalsMenu m;
    m.menu.addAction(QStringLiteral("&Somme cumulée"))->setObjectName(QStringLiteral("miRunning"));
    QAction* count = m.menu.addAction(QStringLiteral("&Nombre"));
    count->setEnabled(false);
    test::TScriptedPopup popup;
    popup.Key(u'S').Key(u'N');
    EXPECT_EQ(RunPopup(m.menu, QPoint()), nullptr);
    EXPECT_EQ(RunPopup(m.menu, QPoint()), nullptr) << "a disabled item shares the key";
    EXPECT_EQ(popup.refused, 2);
    // with nothing queued the menu closes without a choice
    EXPECT_EQ(RunPopup(m.menu, QPoint()), nullptr);
    EXPECT_EQ(popup.unexpected, 1);
    EXPECT_TRUE(m.triggered.isEmpty());
    EXPECT_EQ(popup.shown.size(), 3);
}

// A menu filled when it is about to show offers its items to the answer.
TEST(ScriptedPopup, AMenuFilledWhenShownIsAnsweredOnItsItems)
{
    needApplication();
    QMenu menu;
    int hidden = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&menu] {
        menu.clear();
        menu.addAction(QStringLiteral("&Clients"))->setObjectName(QStringLiteral("miRecent0"));
    });
    QObject::connect(&menu, &QMenu::aboutToHide, &menu, [&hidden] { ++hidden; });
    test::TScriptedPopup popup;
    popup.Key(u'C');
    QAction* chosen = RunPopup(menu, QPoint());
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->objectName(), QStringLiteral("miRecent0"));
    EXPECT_EQ(popup.items, QList<QStringList>{QStringList{QStringLiteral("miRecent0")}});
    EXPECT_EQ(hidden, 1);
}

// While a menu waits for the user's choice, the program's hold is kept (the
// query program's engine is busy for other programs), then let go.
TEST(PopupRunner, TheModalHoldIsKeptWhileTheMenuIsOpen)
{
    TotalsMenu m;
    int held = 0;
    const TModalHold old = SetModalHold([&held]() -> std::shared_ptr<void> {
        ++held;
        return std::shared_ptr<void>(nullptr, [&held](void*) { --held; });
    });
    int heldInside = -1;
    {
        test::TScriptedPopup popup;
        popup.Answer([&](QMenu&) -> QAction* {
            heldInside = held;
            return m.Action("miSum");
        });
        EXPECT_EQ(RunPopup(m.menu, QPoint()), m.Action("miSum"));
    }
    SetModalHold(old);
    EXPECT_EQ(heldInside, 1);
    EXPECT_EQ(held, 0);
}

} // namespace
} // namespace mx::ui
