#include "tests/ui/uitest.h"

#include "tests/engine/settings/settingsfixture.h"

#include "engine/errors/errorhandler.h"
#include "ui/langwidgets/langwidgets.h"
#include "ui/mrumenu/mrumenu.h"
#include "engine/settings/dlllang.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <stdexcept>

using namespace mx;
using namespace mx::ui;

namespace {

class MenuTest : public mxtest::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        MRUs().SetIniFileName(QStringLiteral("MORVELIN.INI"));
        MRUs().SetMaxCount(20);
        InstallExceptionHandler();
    }
    void TearDown() override
    {
        RemoveExceptionHandler();
        SettingsTest::TearDown();
    }
};

QStringList captions(QMenu& m)
{
    QStringList out;
    for (QAction* a : m.actions())
        out << (a->isSeparator() ? QStringLiteral("--") : a->text());
    return out;
}

} // namespace

TEST_F(MenuTest, EntriesAboveTheFixedOnesRebuiltOnEveryChange)
{
    QMenu menu;
    menu.addSeparator();
    menu.addAction("Quitter");
    TMRU* l = MRUs().GetMRU("History_10");
    for (int i = 11; i >= 1; --i)
        l->Add(QStringLiteral("/data/FILE%1.MQR").arg(i));
    QStringList opened;
    BindMRUMenu(l, &menu, [&](const QString& f) { opened << f; });
    const QStringList c = captions(menu);
    ASSERT_EQ(c.size(), 13);
    EXPECT_EQ(c[0], "&1. File1");
    EXPECT_EQ(c[9], "&0. File10");
    EXPECT_EQ(c[10], "11. File11");
    EXPECT_EQ(c.mid(11), QStringList({"--", "Quitter"}));
    EXPECT_EQ(menu.actions()[0]->statusTip(), "/data/FILE1.MQR");
    EXPECT_TRUE(menu.menuAction()->isEnabled());

    l->Add("/data/NEW.mqr");
    EXPECT_EQ(captions(menu)[0], "&1. New");
    EXPECT_EQ(captions(menu).size(), 14);
    MRUs().SetMaxCount(2);
    EXPECT_EQ(captions(menu), QStringList({"&1. New", "&2. File1", "--", "Quitter"}));

    menu.actions()[1]->trigger();
    EXPECT_EQ(opened, QStringList({"/data/FILE1.MQR"}));
}

TEST_F(MenuTest, EnabledStateAndAMenuThatWentAway)
{
    auto* menu = new QMenu;
    TMRU* l = MRUs().GetMRU("History_11");
    BindMRUMenu(l, menu, {});
    EXPECT_FALSE(menu->menuAction()->isEnabled()) << "nothing to show";
    l->Add("/m/a.mdd");
    EXPECT_TRUE(menu->menuAction()->isEnabled());
    delete menu; // a window closed without unbinding
    l->Add("/m/b.mdd");
    FreeMRUs(); // saves, notifies: nothing touches the menu
    SUCCEED();
}

TEST_F(MenuTest, AnOpenThatThrowsGoesToTheErrorHandler)
{
    QMenu menu;
    TMRU* l = MRUs().GetMRU("History_10");
    l->Add("/q/gone.mqr");
    BindMRUMenu(l, &menu, [](const QString& f) { throw EMxFileNotFound("Fichier introuvable : " + f); });
    menu.actions()[0]->trigger();
    EXPECT_EQ(m_service.messages, QStringList({"Fichier introuvable : /q/gone.mqr"}));
}

TEST_F(MenuTest, WidgetTextsThroughTheLanguageComponent)
{
    InstallWidgetTranslation();
    InstallLanguageLibrary();
    CreateAppGlobal();
    QWidget form;
    form.setWindowTitle("|Erreur");
    auto* label = new QLabel("|Erreur", &form);
    auto* plain = new QLabel("Erreur", &form);
    auto* bare = new QLabel("|", &form);
    auto* button = new QPushButton("|Annuler", &form);
    button->setToolTip("|Ok");
    auto* combo = new QComboBox(&form);
    combo->addItems({"|Ok", "Erreur", "|Annuler"});
    auto* list = new QListWidget(&form);
    list->addItem("|Erreur");
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, "|Annuler");
    auto* action = new QAction("|Ok", &form);

    LangClientLoaded(&form);
    EXPECT_EQ(form.windowTitle(), "Error");
    EXPECT_EQ(label->text(), "Error");
    EXPECT_EQ(plain->text(), "Erreur");
    EXPECT_EQ(bare->text(), "(empty key)");
    EXPECT_EQ(button->text(), "Cancel");
    EXPECT_EQ(button->toolTip(), "OK");
    EXPECT_EQ(combo->itemText(0), "OK");
    EXPECT_EQ(combo->itemText(1), "Erreur");
    EXPECT_EQ(combo->itemText(2), "Cancel");
    EXPECT_EQ(list->item(0)->text(), "Error");
    EXPECT_EQ(tabs->tabText(0), "Cancel");
    EXPECT_EQ(action->text(), "OK");

    LangClientLoaded(&form); // a second time changes nothing
    EXPECT_EQ(label->text(), "Error");
    EXPECT_EQ(combo->itemText(0), "OK");
}

TEST_F(MenuTest, CookieChangeOnAFormOfWidgets)
{
    InstallWidgetTranslation();
    QWidget form;
    auto* combo = new QComboBox(&form);
    combo->addItems({"|Ok", "Fait"});
    auto* label = new QLabel("|Ok", &form);
    TDllLang lang(label);
    lang.SetActive(true);
    lang.SetLanguage("English");
    lang.SetCookie("#");
    EXPECT_EQ(combo->itemText(0), "#Ok");
    EXPECT_EQ(combo->itemText(1), "Fait");
    EXPECT_EQ(label->text(), "#Ok");
}

#include "widgets_test.moc"
