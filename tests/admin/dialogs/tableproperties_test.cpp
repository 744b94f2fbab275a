// The table properties dialog over the sample model: the full names typed
// in the grid, the duplicate check on Ok, the keys, and the writing back
// into the model's own table objects.

#include "admintest.h"

#include "admin/dialogs/adminhooks.h"
#include "admin/dialogs/fieldgridmodel.h"
#include "admin/dialogs/fmtableproperties.h"

#include "engine/model/field.h"
#include "engine/model/table.h"

#include "ui/controls/pictures.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace admintest {
namespace {

using mx::TMxTable;
using mx::ui::test::Child;
using Grid = mx::admin::TFieldGridModel;

class TableProperties : public AdminDialogTest {
protected:
    mx::TItemPtr<mx::TMxDataModel> model{mxtest::MakeSampleModel()};
    TMxTable* client() const { return model->Tables()->FindById(mxtest::SampleModel::ClientId); }
    TMxTable* commande() const { return model->Tables()->FindById(mxtest::SampleModel::CommandeId); }

    static QTableView* grid(QDialog& d) { return Child<QTableView>(d, "grdFields"); }
    // The row of a field in the grid shown.
    static int rowOf(QDialog& d, const char* field)
    {
        QAbstractItemModel* m = grid(d)->model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, Grid::ColName).data().toString() == QLatin1String(field))
                return r;
        ADD_FAILURE() << "no field " << field;
        return -1;
    }
    // Types a full name into the grid's cell as a user would, the editor
    // left open.
    static void typeFullName(QDialog& d, const char* field, const QString& text)
    {
        QTableView* g = grid(d);
        const QModelIndex cell = g->model()->index(rowOf(d, field), Grid::ColFullName);
        g->setCurrentIndex(cell);
        g->edit(cell);
        // Editors closed before are hidden until they are deleted.
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                editor = e;
        ASSERT_NE(editor, nullptr) << "the full name is edited in place";
        editor->setText(text);
    }
    static QString shownName(QDialog& d) { return Child<QLineEdit>(d, "edName")->text(); }
};

TEST_F(TableProperties, AModelWithoutTablesShowsNothing)
{
    mx::TItemPtr<mx::TMxDataModel> empty(new mx::TMxDataModel(nullptr));
    EXPECT_FALSE(mx::admin::EditTableProperties(empty->Tables(), nullptr));
    EXPECT_TRUE(m_modal.shown.isEmpty());
}

TEST_F(TableProperties, ShowsTheGivenTableWithItsFieldsTypesAndFullNames)
{
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Propriétés de table"));
        EXPECT_EQ(Rows(Child<QListView>(d, "lbTables")), (QStringList{QStringLiteral("CLIENT"), QStringLiteral("COMMANDE")}));
        EXPECT_EQ(shownName(d), QStringLiteral("COMMANDE"));
        EXPECT_EQ(Child<QLineEdit>(d, "edAlias")->text(), mxtest::SampleModel::DefaultDatabase());
        QAbstractItemModel* m = grid(d)->model();
        EXPECT_EQ(m->headerData(Grid::ColName, Qt::Horizontal).toString(), QStringLiteral("Nom du champ"));
        EXPECT_EQ(m->headerData(Grid::ColFullName, Qt::Horizontal).toString(), QStringLiteral("Nom complet"));
        const int r = rowOf(d, "NUMCLI");
        EXPECT_EQ(m->index(r, Grid::ColFullName).data().toString(), QStringLiteral("Client de la commande"));
        EXPECT_FALSE(m->flags(m->index(r, Grid::ColName)) & Qt::ItemIsEditable);
        EXPECT_FALSE(m->flags(m->index(r, Grid::ColType)) & Qt::ItemIsEditable);
        EXPECT_TRUE(m->flags(m->index(r, Grid::ColFullName)) & Qt::ItemIsEditable);
        // F1 opens the form's help, as "Aide" does.
        QTest::keyClick(Child<QListView>(d, "lbTables"), Qt::Key_F1);
        Child<QPushButton>(d, "btHelp")->click();
    });
    EXPECT_FALSE(mx::admin::EditTableProperties(model->Tables(), commande()));
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("help")), (QStringList{QStringLiteral("#104"), QStringLiteral("#104")}));
}

TEST_F(TableProperties, DuplicateFullNamesTypedInTheGridAreRefusedOnOk)
{
    const QByteArray before = Bytes(model.get());
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        ASSERT_EQ(shownName(d), QStringLiteral("CLIENT"));
        // The full name of COMMANDE's NUMCLI but for the case, typed and
        // Ok pressed at once: the grid is stored before the check.
        typeFullName(d, "NOM", QStringLiteral("client DE LA commande"));
        Child<QPushButton>(d, "btOk")->click();
        ASSERT_EQ(m_ui.service.texts(QStringLiteral("message")),
            (QStringList{QStringLiteral("Les tables CLIENT et COMMANDE possèdent deux champs nommés client DE LA commande")}));
        EXPECT_TRUE(d.isVisible()) << "the dialog stays";
        EXPECT_EQ(d.result(), QDialog::Rejected);

        // Both fields are bold, both tables show the bad-table picture.
        auto* tables = Child<QListView>(d, "lbTables");
        const QImage plain = mx::ui::Picture(mx::ui::TPicture::Table).toImage();
        for (int r : {0, 1})
            EXPECT_NE(tables->model()->index(r, 0).data(Qt::DecorationRole).value<QPixmap>().toImage(), plain) << r;
        EXPECT_TRUE(grid(d)->model()->index(rowOf(d, "NOM"), Grid::ColType).data(Qt::FontRole).value<QFont>().bold());
        EXPECT_FALSE(grid(d)->model()->index(rowOf(d, "VILLE"), Grid::ColType).data(Qt::FontRole).value<QFont>().bold());
        QTest::keyClick(grid(d), Qt::Key_Down, Qt::ControlModifier);
        ASSERT_EQ(shownName(d), QStringLiteral("COMMANDE"));
        EXPECT_TRUE(grid(d)->model()->index(rowOf(d, "NUMCLI"), Grid::ColName).data(Qt::FontRole).value<QFont>().bold());
    });
    EXPECT_FALSE(mx::admin::EditTableProperties(model->Tables(), nullptr));
    EXPECT_EQ(Bytes(model.get()), before) << "Annuler leaves the model as it was";
}

TEST_F(TableProperties, CtrlUpAndDownMoveBetweenTablesAndStopAtTheEnds)
{
    m_modal.Reject([&](QDialog& d) {
        struct Step {
            Qt::Key key;
            const char* shown;
        } steps[] = {
            {Qt::Key_Up, "CLIENT"},     // on the first: the same table again
            {Qt::Key_Down, "COMMANDE"},
            {Qt::Key_Down, "COMMANDE"}, // on the last: stays
            {Qt::Key_Up, "CLIENT"},
        };
        for (const Step& s : steps) {
            QTest::keyClick(Child<QLineEdit>(d, "edFullName"), s.key, Qt::ControlModifier);
            EXPECT_EQ(shownName(d), QLatin1String(s.shown));
            EXPECT_EQ(Child<QListView>(d, "lbTables")->currentIndex().data().toString(), QLatin1String(s.shown));
        }
        // The grid typed before Ctrl+Up on the first table is stored.
        typeFullName(d, "VILLE", QStringLiteral("Ville du client"));
        QTest::keyClick(grid(d), Qt::Key_Up, Qt::ControlModifier);
        auto* dialog = static_cast<mx::admin::TfmTableProperties*>(&d);
        EXPECT_EQ(dialog->Shown()->Fields()->FindField(QStringLiteral("VILLE"))->FullName(), QStringLiteral("Ville du client"));
        // Escape is Annuler.
        QTest::keyClick(Child<QLineEdit>(d, "edName"), Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_FALSE(mx::admin::EditTableProperties(model->Tables(), nullptr));
    EXPECT_EQ(m_modal.stayedOpen, 0);
    EXPECT_EQ(client()->Fields()->FindField(QStringLiteral("VILLE"))->FullName(), QStringLiteral("Ville"));
}

TEST_F(TableProperties, OkWritesTheEditsIntoTheModelsOwnTables)
{
    TMxTable* const clientBefore = client();
    TMxTable* const commandeBefore = commande();
    int changes = 0;
    clientBefore->AddHook(this, [&changes](mx::TMxItem*) { ++changes; });
    mx::admin::RegisterAdminDialogs();
    m_modal.Accept([&](QDialog& d) {
        typeFullName(d, "NOM", QStringLiteral("Nom du client"));
        QTest::keyClick(grid(d), Qt::Key_Down); // stores the grid
        typeFullName(d, "VILLE", QStringLiteral("Ville du client"));
        auto* name = Child<QLineEdit>(d, "edFullName");
        name->clear();
        QTest::keyClicks(name, QStringLiteral("Nos clients"));
        QTest::keyClick(name, Qt::Key_Down, Qt::ControlModifier);
        typeFullName(d, "MONTANT", QStringLiteral("Montant HT"));
    });
    ASSERT_TRUE(mx::admin::TablePropertiesEditor);
    EXPECT_TRUE(mx::admin::TablePropertiesEditor(model->Tables(), nullptr));
    clientBefore->RemoveHook(this);

    // The same objects, with the new names.
    EXPECT_EQ(client(), clientBefore);
    EXPECT_EQ(commande(), commandeBefore);
    EXPECT_GT(changes, 0);
    EXPECT_EQ(client()->FullName(), QStringLiteral("Nos clients"));
    EXPECT_EQ(client()->Fields()->FindField(QStringLiteral("NOM"))->FullName(), QStringLiteral("Nom du client"));
    EXPECT_EQ(client()->Fields()->FindField(QStringLiteral("VILLE"))->FullName(), QStringLiteral("Ville du client"));
    EXPECT_EQ(commande()->Fields()->FindField(QStringLiteral("MONTANT"))->FullName(), QStringLiteral("Montant HT"));
    model->BuildAllFields();

    // A second opening shows them.
    m_modal.Reject([&](QDialog& d) {
        EXPECT_EQ(grid(d)->model()->index(rowOf(d, "NOM"), Grid::ColFullName).data().toString(), QStringLiteral("Nom du client"));
    });
    EXPECT_FALSE(mx::admin::EditTableProperties(model->Tables(), clientBefore));
    mx::admin::TablePropertiesEditor.clear();
    mx::admin::TableSelector.clear();
}

} // namespace
} // namespace admintest
