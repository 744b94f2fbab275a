// The modal runner, the INI combo box, the pick lists and the text viewer.

#include "admintest.h"

#include "admin/dialogs/fmmxlistselect.h"
#include "admin/dialogs/fmviewstrings.h"
#include "admin/dialogs/inicombobox.h"

#include "engine/core/hookslot.h"
#include "engine/core/list.h"
#include "engine/tools/hooks.h"

#include "tests/support/testsupport.h"

#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace admintest {
namespace {

using mx::TItemPtr;
using mx::TMxItem;
using mx::TMxList;
using mx::ui::test::Child;

TEST(ModalRunner, DialogsGoThroughTheInstalledRunnerAndTheOldOneComesBack)
{
    QDialog dialog;
    int outer = 0;
    mx::ui::ScopedModalRunner first([&outer](QDialog&) { return ++outer, 7; });
    {
        mx::ui::ScopedModalRunner second([](QDialog& d) { return d.objectName().size(); });
        dialog.setObjectName(QStringLiteral("abc"));
        EXPECT_EQ(mx::ui::RunModal(dialog), 3);
    }
    EXPECT_EQ(mx::ui::RunModal(dialog), 7);
    EXPECT_EQ(outer, 1);
}

class IniCombo : public mxtest::EngineTest {};

TEST_F(IniCombo, ItemsAreTheSectionValuesInFileOrder)
{
    const QString ini = Path(QStringLiteral("MORVELIN.INI"));
    mxtest::WriteAll(ini, QByteArrayLiteral("[Autre]\nx=Non\n[Valeurs]\nzeta=Zèbre\nalpha=Alpha\n; une remarque\nmu=a=b\n"));
    mx::admin::TIniComboBox box;
    box.SetIniAutoFind(false);
    box.SetIniFileName(ini);
    box.SetIniSection(QStringLiteral("valeurs"));
    box.LoadItems();
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("Zèbre"), QStringLiteral("Alpha"), QStringLiteral("a=b")}));
    // Any text may still be typed.
    EXPECT_TRUE(box.isEditable());

    // A missing section or file gives no items; without a section nothing
    // is read at all.
    box.SetIniSection(QStringLiteral("Absente"));
    box.LoadItems();
    EXPECT_EQ(box.count(), 0);
    box.SetIniSection(QStringLiteral("Valeurs"));
    box.SetIniFileName(Path(QStringLiteral("absent.ini")));
    box.LoadItems();
    EXPECT_EQ(box.count(), 0);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("absent.ini")))) << "the box only reads";
}

TEST_F(IniCombo, TheFormLoadedTakesTheInstallationsFileOnlyWithAutoFind)
{
    const QString ini = Path(QStringLiteral("MORVELIN.INI"));
    mxtest::WriteAll(ini, QByteArrayLiteral("[Valeurs]\n2=Deux\n1=Un\n"));
    mx::ScopedHook hook(mx::IniFileNameHook, [ini](QString& name) { name = ini; });
    mx::admin::TIniComboBox automatic;
    automatic.SetIniSection(QStringLiteral("Valeurs"));
    automatic.FormLoaded();
    EXPECT_EQ(automatic.IniFileName(), ini);
    ASSERT_EQ(automatic.count(), 2);
    EXPECT_EQ(automatic.itemText(0), QStringLiteral("Deux"));

    mx::admin::TIniComboBox manual;
    manual.SetIniAutoFind(false);
    manual.SetIniSection(QStringLiteral("Valeurs"));
    manual.FormLoaded();
    EXPECT_TRUE(manual.IniFileName().isEmpty());
    EXPECT_EQ(manual.count(), 0);
}

// A list of named items, in an order that is not the names'.
struct NamedItems {
    TItemPtr<TMxList> list{new TMxList(nullptr)};
    explicit NamedItems(std::initializer_list<const char*> names)
    {
        int id = 10;
        for (const char* n : names) {
            TMxItem* item = list->AddNew();
            item->SetName(QString::fromUtf8(n));
            item->SetId(id--);
        }
    }
    TMxItem* byName(const char* n) const { return list->FindByName(QString::fromUtf8(n)); }
};

class PickList : public AdminDialogTest {};

TEST_F(PickList, SelectItemsReturnsTheChosenItemsInNameOrderWithoutOwningThem)
{
    NamedItems items({"Ventes", "achats", "Stock", "Clients"});
    m_modal.Accept([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Choisir des ensembles"));
        auto* lb = Child<QListView>(d, "lbItems");
        EXPECT_EQ(Rows(lb), (QStringList{QStringLiteral("achats"), QStringLiteral("Clients"), QStringLiteral("Stock"),
                                QStringLiteral("Ventes")}));
        EXPECT_EQ(lb->selectionMode(), QAbstractItemView::ExtendedSelection);
        // Chosen bottom first: the result still follows the display.
        SelectRows(lb, {QStringLiteral("Ventes")});
        lb->selectionModel()->select(lb->model()->index(0, 0), QItemSelectionModel::Select);
    });
    TItemPtr<TMxList> chosen = mx::admin::SelectItems(QStringLiteral("Choisir des ensembles"), items.list.get());
    ASSERT_EQ(chosen->Count(), 2);
    EXPECT_EQ(chosen->Items(0), items.byName("achats"));
    EXPECT_EQ(chosen->Items(1), items.byName("Ventes"));
    EXPECT_FALSE(chosen->OwnsItems());
    chosen.reset();
    EXPECT_EQ(items.list->Count(), 4) << "the items stay their list's";

    m_modal.Reject([](QDialog& d) { SelectRows(Child<QListView>(d, "lbItems"), {QStringLiteral("Stock")}); });
    EXPECT_EQ(mx::admin::SelectItems(QStringLiteral("x"), items.list.get())->Count(), 0);
}

TEST_F(PickList, SelectItemIsNoneAfterCancelAndAfterOkWithNothingChosen)
{
    NamedItems items({"Ventes", "Clients"});
    struct Case {
        const char* what;
        bool accept;
        const char* select;
        const char* expected;
    } cases[] = {
        {"cancel with a line chosen", false, "Clients", nullptr},
        {"ok with nothing chosen", true, nullptr, nullptr},
        {"ok with a line chosen", true, "Ventes", "Ventes"},
    };
    for (const Case& c : cases) {
        auto fill = [&c](QDialog& d) {
            auto* lb = Child<QListView>(d, "lbItems");
            EXPECT_EQ(lb->selectionMode(), QAbstractItemView::SingleSelection);
            if (c.select)
                SelectRows(lb, {QString::fromUtf8(c.select)});
        };
        c.accept ? m_modal.Accept(fill) : m_modal.Reject(fill);
        TMxItem* got = mx::admin::SelectItem(QStringLiteral("Table"), items.list.get());
        EXPECT_EQ(got, c.expected ? items.byName(c.expected) : nullptr) << c.what;
    }
}

TEST_F(PickList, ADoubleClickOnALineIsOk)
{
    NamedItems items({"Ventes", "Clients"});
    m_modal.AsFilled([](QDialog& d) {
        auto* lb = Child<QListView>(d, "lbItems");
        const QModelIndex ventes = lb->model()->index(1, 0);
        const QPoint at = lb->visualRect(ventes).center();
        QTest::mouseClick(lb->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(lb->viewport(), Qt::LeftButton, {}, at);
    });
    EXPECT_EQ(mx::admin::SelectItem(QStringLiteral("Table"), items.list.get()), items.byName("Ventes"));
    EXPECT_EQ(m_modal.stayedOpen, 0);
}

class TextViewer : public AdminDialogTest {};

TEST_F(TextViewer, ResultsOfEachWayOut)
{
    const QStringList lines = {QStringLiteral("Analyse de la table CLIENT"), QStringLiteral("Champ supprimé : VILLE")};
    struct Case {
        const char* what;
        std::function<void(QDialog&)> close;
        int expected;
    } cases[] = {
        {"Vider", [](QDialog& d) { Child<QPushButton>(d, "btClear")->click(); }, 2},
        {"Fermer", [](QDialog& d) { Child<QPushButton>(d, "btClose")->click(); }, 1},
        // The title bar's close clears nothing.
        {"title bar", [](QDialog& d) { d.close(); }, 1},
        {"Escape", [](QDialog& d) { QTest::keyClick(Child<QPlainTextEdit>(d, "moLines"), Qt::Key_Escape); }, 1},
    };
    for (const Case& c : cases) {
        m_modal.AsFilled([&](QDialog& d) {
            auto* memo = Child<QPlainTextEdit>(d, "moLines");
            EXPECT_TRUE(memo->isReadOnly());
            EXPECT_EQ(memo->toPlainText(), lines.join(QLatin1Char('\n')));
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Rapport d'analyse"));
            c.close(d);
        });
        EXPECT_EQ(mx::admin::ViewStrings(QStringLiteral("Rapport d'analyse"), lines), c.expected) << c.what;
    }
    EXPECT_EQ(m_modal.stayedOpen, 0);
}

TEST_F(TextViewer, SaveWritesTheLinesToTheFileChosen)
{
    const QStringList lines = {QStringLiteral("Première ligne"), QString(), QStringLiteral("Troisième")};
    const QString file = Path(QStringLiteral("rapport.txt"));
    m_ui.service.fileAnswers = {{file}, {}};
    m_modal.Accept([](QDialog& d) {
        Child<QPushButton>(d, "btSave")->click();
        Child<QPushButton>(d, "btSave")->click(); // cancelled: nothing written
    });
    mx::admin::ViewStrings(QStringLiteral("Rapport"), lines);
    ASSERT_EQ(m_ui.service.count(QStringLiteral("save")), 2);
    EXPECT_TRUE(m_ui.service.requests.front().file.filters.join(QString()).contains(QStringLiteral("*.TXT")));
    EXPECT_EQ(mxtest::ReadAll(file), QStringLiteral("Première ligne\n\nTroisième\n").toUtf8());
}

} // namespace
} // namespace admintest
