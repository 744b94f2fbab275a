// The database parameters dialog: the databases the tables use, the
// passwords typed twice, the drivers that must exist, and Annuler leaving
// the model as it was.

#include "admintest.h"

#include "admin/dialogs/adminhooks.h"
#include "admin/dialogs/fmdbparams.h"

#include "engine/core/hookslot.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/table.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace admintest {
namespace {

using mx::TMxDatabaseItem;
using mx::ui::test::Child;

class DatabaseParams : public AdminDialogTest {
protected:
    // The sample model with a second table on a folder, and one database
    // item per database.
    DatabaseParams()
    {
        mxtest::AddModelTable(model.get(), 7, QStringLiteral("STOCK"), QStringLiteral("Stock"), QStringLiteral("/data/Stock"),
            {{"REF", "N", "Référence"}});
        TMxDatabaseItem* folder = model->Databases()->AddNew();
        folder->SetName(QStringLiteral("/data/Stock"));
        folder->SetDriverName(QStringLiteral("STANDARD"));
        folder->SetId(2);
    }
    mx::TItemPtr<mx::TMxDataModel> model{mxtest::MakeSampleModel()};
    TMxDatabaseItem* item(int i) const { return model->Databases()->Items(i); }

    static void type(QDialog& d, const char* edit, const QString& text)
    {
        auto* e = Child<QLineEdit>(d, edit);
        e->clear();
        QTest::keyClicks(e, text);
    }
    static void clickRow(QDialog& d, int row)
    {
        auto* lb = Child<QListView>(d, "lbDatabases");
        QTest::mouseClick(lb->viewport(), Qt::LeftButton, {}, lb->visualRect(lb->model()->index(row, 0)).center());
    }
    static QString shown(QDialog& d)
    {
        const TMxDatabaseItem* item = static_cast<mx::admin::TfmDBParams&>(d).Shown();
        return item ? item->Name() : QStringLiteral("<none>");
    }
};

TEST_F(DatabaseParams, TheDatabasesOfTheTablesAreAddedUpperCasedBeforeTheDialog)
{
    model->Databases()->Clear();
    model->Tables()->FindById(mxtest::SampleModel::ClientId)->SetDatabase(QStringLiteral("ventes"));
    model->Tables()->FindById(mxtest::SampleModel::CommandeId)->SetDatabase(QStringLiteral("ventes"));
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Paramètres des bases de données"));
        EXPECT_EQ(Rows(Child<QListView>(d, "lbDatabases")), (QStringList{QStringLiteral("VENTES"), QStringLiteral("/data/Stock")}));
        EXPECT_EQ(shown(d), QStringLiteral("VENTES"));
    });
    EXPECT_FALSE(mx::admin::EditDatabaseParams(model.get()));
    EXPECT_EQ(model->Databases()->Count(), 2) << "the items added stay";
}

TEST_F(DatabaseParams, PasswordsThatDifferKeepTheSameDatabaseAndItsPassword)
{
    item(0)->SetPassword(QStringLiteral("ancien"));
    m_modal.Accept([&](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "edPassword")->echoMode(), QLineEdit::Password);
        EXPECT_EQ(Child<QLineEdit>(d, "edConfirm")->echoMode(), QLineEdit::Password);
        EXPECT_EQ(Child<QLineEdit>(d, "edConfirm")->text(), QStringLiteral("ancien"));
        type(d, "edUserName", QStringLiteral("marie"));
        type(d, "edPassword", QStringLiteral("nouveau"));
        type(d, "edConfirm", QStringLiteral("nouvaeu"));
        clickRow(d, 1);
        EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
            QStringList{QStringLiteral("Les mots de passe ne correspondent pas. Le mot de passe n'a pas été modifié.")});
        EXPECT_EQ(shown(d), item(0)->Name());
        EXPECT_EQ(Child<QListView>(d, "lbDatabases")->currentIndex().row(), 0);
        auto* copy = static_cast<mx::admin::TfmDBParams&>(d).Copy()->Items(0);
        EXPECT_EQ(copy->Password(), QStringLiteral("ancien"));
        // Ok is refused the same way.
        Child<QPushButton>(d, "btOk")->click();
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 2);
        EXPECT_TRUE(d.isVisible());
        // Typed again alike, the other line is shown.
        type(d, "edConfirm", QStringLiteral("nouveau"));
        clickRow(d, 1);
        EXPECT_EQ(shown(d), QStringLiteral("/data/Stock"));
        EXPECT_EQ(copy->Password(), QStringLiteral("nouveau"));
    });
    EXPECT_TRUE(mx::admin::EditDatabaseParams(model.get()));
    EXPECT_EQ(item(0)->Password(), QStringLiteral("nouveau"));
    EXPECT_EQ(item(0)->UserName(), QStringLiteral("marie"));
}

TEST_F(DatabaseParams, ADriverThatIsNotADatasourceBlocksOk)
{
    item(1)->SetDriverName(QStringLiteral("PILOTE_DISPARU"));
    const QByteArray before = Bytes(model.get());
    m_modal.Reject([&](QDialog& d) {
        auto* drivers = Child<QComboBox>(d, "cobDriver");
        ASSERT_GT(drivers->count(), 0);
        EXPECT_EQ(drivers->currentText(), item(0)->DriverName()) << "selected ignoring case";
        Child<QPushButton>(d, "btOk")->click();
        EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
            QStringList{QStringLiteral("Attention, le pilote de la base de données /data/Stock n'est pas valide.")});
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(shown(d), QStringLiteral("/data/Stock"));
        EXPECT_EQ(drivers->currentIndex(), -1);
        // Edits then Annuler: the model is untouched.
        type(d, "edUserName", QStringLiteral("quelqu'un"));
        drivers->setCurrentIndex(0);
    });
    EXPECT_FALSE(mx::admin::EditDatabaseParams(model.get()));
    EXPECT_EQ(Bytes(model.get()), before);

    // A valid driver chosen, Ok writes the copy.
    m_modal.Accept([&](QDialog& d) {
        clickRow(d, 1);
        auto* drivers = Child<QComboBox>(d, "cobDriver");
        drivers->setCurrentIndex(drivers->findText(QStringLiteral("STANDARD")));
    });
    EXPECT_TRUE(mx::admin::EditDatabaseParams(model.get()));
    EXPECT_EQ(m_modal.stayedOpen, 0);
    EXPECT_EQ(item(1)->DriverName(), QStringLiteral("STANDARD"));
}

TEST_F(DatabaseParams, DriversAfterTheConfigurationKeepTheShownDatabasesDriver)
{
    int asked = 0;
    mx::ScopedHook configuration(mx::admin::ConfigurationEditor, [&asked] { return ++asked, true; });
    m_modal.Reject([&](QDialog& d) {
        auto* drivers = Child<QComboBox>(d, "cobDriver");
        const int count = drivers->count();
        Child<QPushButton>(d, "btDrivers")->click();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(drivers->count(), count);
        EXPECT_EQ(drivers->currentText(), QStringLiteral("STANDARD"));
        // F1 is the form's help.
        QTest::keyClick(Child<QLineEdit>(d, "edUserName"), Qt::Key_F1);
    });
    mx::admin::EditDatabaseParams(model.get());
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("help")), QStringList{QStringLiteral("#109")});
}

} // namespace
} // namespace admintest
