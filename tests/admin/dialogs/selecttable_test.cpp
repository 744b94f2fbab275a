// Picking tables: over the sample's SQLite alias, over an alias whose name
// is in mixed case, and over a folder of table files.

#include "admintest.h"

#include "admin/dialogs/adminhooks.h"
#include "admin/dialogs/fmselecttable.h"

#include "engine/core/hookslot.h"
#include "engine/core/strings.h"
#include "engine/driver/rootdir.h"
#include "engine/model/database.h"

#include "tests/support/testsupport.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace admintest {
namespace {

using mx::ui::test::Child;

class SelectTable : public AdminDialogTest {
protected:
    mx::TStrings lines;
    mx::TItemPtr<mx::TMxDatabaseItem> database{new mx::TMxDatabaseItem(nullptr)};

    static void chooseDatabase(QDialog& d, const QString& name)
    {
        auto* box = Child<QComboBox>(d, "cobDatabases");
        const int i = box->findText(name);
        ASSERT_GT(i, 0) << name.toStdString();
        box->setCurrentIndex(i);
    }
};

TEST_F(SelectTable, TablesOfTheSamplesAlias)
{
    m_modal.Accept([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Ouvrir une table"));
        auto* box = Child<QComboBox>(d, "cobDatabases");
        EXPECT_EQ(box->itemText(0), QStringLiteral("<Select Database>"));
        EXPECT_EQ(box->currentIndex(), 0);
        auto* ok = Child<QPushButton>(d, "btOk");
        EXPECT_FALSE(ok->isEnabled()) << "no database chosen";
        chooseDatabase(d, QStringLiteral("MORVELIN"));
        EXPECT_TRUE(ok->isEnabled());
        auto* tables = Child<QListView>(d, "lbDbTables");
        const QStringList names = Rows(tables);
        ASSERT_TRUE(names.contains(QStringLiteral("CLIENTS"))) << names.join(u',').toStdString();
        ASSERT_GE(names.size(), 2);
        SelectRows(tables, {names[0], names[1]});
        // Back to the first line: no table, no Ok.
        box->setCurrentIndex(0);
        EXPECT_TRUE(Rows(tables).isEmpty());
        EXPECT_FALSE(ok->isEnabled());
        chooseDatabase(d, QStringLiteral("MORVELIN"));
        SelectRows(tables, {QStringLiteral("CLIENTS")});
    });
    EXPECT_TRUE(mx::admin::SelectTables(&lines, database.get()));
    EXPECT_EQ(lines.toStringList(), QStringList{QStringLiteral(":MORVELIN:CLIENTS")});
    EXPECT_EQ(database->Name(), QStringLiteral("MORVELIN"));
    EXPECT_EQ(database->DriverName(), QStringLiteral("SQLITE"));
}

TEST_F(SelectTable, AnAliasInMixedCaseGivesAnUpperCaseItemAndTheNamesAsListed)
{
    const QString root = Path(QStringLiteral("root"));
    QDir().mkpath(root);
    mxtest::MakeSqliteDatabase(Path(QStringLiteral("ventes.sqlite")),
        QStringLiteral("CREATE TABLE Clients (ID INTEGER PRIMARY KEY, NOM VARCHAR(30));"
                       "CREATE TABLE Commandes (NUM INTEGER PRIMARY KEY, CLIENT INTEGER);"
                       "CREATE TABLE Stock (REF INTEGER PRIMARY KEY);"));
    mxtest::WriteAll(root + QStringLiteral("/ALIASES.INI"),
        QStringLiteral("[Ventes]\nTYPE=SQLITE\nPATH=%1\n").arg(Path(QStringLiteral("ventes.sqlite"))).toUtf8());
    mx::ScopedHook rootDir(mx::RootDirOverride, [root] { return root + u'/'; });
    mx::ResetBdeSession();
    lines.Add(QStringLiteral("an old line"));
    mx::admin::RegisterAdminDialogs();
    m_modal.Accept([&](QDialog& d) {
        chooseDatabase(d, QStringLiteral("Ventes"));
        auto* tables = Child<QListView>(d, "lbDbTables");
        EXPECT_EQ(Rows(tables), (QStringList{QStringLiteral("Clients"), QStringLiteral("Commandes"), QStringLiteral("Stock")}));
        SelectRows(tables, {QStringLiteral("Stock"), QStringLiteral("Clients")});
    });
    ASSERT_TRUE(mx::admin::TableSelector);
    EXPECT_TRUE(mx::admin::TableSelector(&lines, database.get()));
    EXPECT_EQ(lines.toStringList(), (QStringList{QStringLiteral(":Ventes:Clients"), QStringLiteral(":Ventes:Stock")}));
    EXPECT_EQ(database->Name(), QStringLiteral("VENTES"));
    mx::admin::TableSelector.clear();
    mx::admin::TablePropertiesEditor.clear();
}

TEST_F(SelectTable, TableFilesOfAFolderKeepTheFoldersSpelling)
{
    const QString folder = Path(QStringLiteral("Données/Stock"));
    QDir().mkpath(folder + QStringLiteral("/Archives"));
    for (const char* f : {"a.DB", "b.db", "c.DBF", "lisez-moi.md"})
        mxtest::WriteAll(folder + u'/' + QString::fromUtf8(f), QByteArray());
    m_modal.Accept([&](QDialog& d) {
        CheckModels(d);
        auto* page = Child<QPushButton>(d, "btPage");
        EXPECT_EQ(page->text(), QStringLiteral("Standard..."));
        page->click();
        EXPECT_EQ(page->text(), QStringLiteral("Bases..."));
        EXPECT_TRUE(Child<QPushButton>(d, "btOk")->isEnabled());
        // The folder typed in the name box, then Enter.
        auto* name = Child<QLineEdit>(d, "edFileName");
        name->setText(folder);
        QTest::keyClick(name, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible()) << "a folder is entered, not Ok";
        EXPECT_EQ(Child<QLabel>(d, "laDirectory")->text(), folder);
        EXPECT_EQ(Rows(Child<QListView>(d, "lbDirectories")), (QStringList{QStringLiteral(".."), QStringLiteral("Archives")}));
        auto* filter = Child<QComboBox>(d, "cobFilter");
        EXPECT_EQ(Rows(Child<QListView>(d, "lbFiles")).size(), 4);
        filter->setCurrentIndex(filter->findText(QStringLiteral("Paradox (*.DB)")));
        auto* files = Child<QListView>(d, "lbFiles");
        EXPECT_EQ(Rows(files), (QStringList{QStringLiteral("a.DB"), QStringLiteral("b.db")}));
        SelectRows(files, {QStringLiteral("a.DB"), QStringLiteral("b.db")});
    });
    EXPECT_TRUE(mx::admin::SelectTables(&lines, database.get()));
    EXPECT_EQ(lines.toStringList(), (QStringList{folder + QStringLiteral("/a.DB"), folder + QStringLiteral("/b.db")}));
    EXPECT_EQ(database->Name(), folder);
}

TEST_F(SelectTable, CancelAndAnEmptyChoice)
{
    lines.Add(QStringLiteral("kept"));
    m_modal.Reject([&](QDialog& d) {
        chooseDatabase(d, QStringLiteral("MORVELIN"));
        SelectRows(Child<QListView>(d, "lbDbTables"), {QStringLiteral("CLIENTS")});
    });
    EXPECT_FALSE(mx::admin::SelectTables(&lines, database.get()));
    EXPECT_EQ(lines.toStringList(), QStringList{QStringLiteral("kept")});
    EXPECT_TRUE(database->Name().isEmpty());

    // Ok with no table chosen: True, and no line.
    m_modal.Accept([&](QDialog& d) { chooseDatabase(d, QStringLiteral("MORVELIN")); });
    EXPECT_TRUE(mx::admin::SelectTables(&lines, database.get()));
    EXPECT_EQ(lines.Count(), 0);
}

} // namespace
} // namespace admintest
