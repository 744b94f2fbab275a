// The configuration window over a scratch installation folder: the SQL
// preview following each dialect option, the preview files missing, the
// row count, the destination grid, the refresh of the drivers, deleting a
// driver, Driver Config., and Ok writing both definition files (or, when
// one cannot be written, leaving both and the process's lists as they
// were), and Annuler leaving everything as it was.

#include "modeldialogtest.h"

#include "admin/dialogs/adminhooks.h"
#include "admin/modeldialogs/fmconfig.h"
#include "admin/modeldialogs/modeldialogs.h"

#include "engine/core/hookslot.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/rootdir.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/stream/safefile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

namespace admintest {
namespace {

using mx::TDbEngDatasource;
using mx::admin::TfmConfig;

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Config : public AdminDialogTest {
protected:
    Config()
        : root(dir.path() + u'/'), rootHook(mx::RootDirOverride, [this] { return root; }),
          previewHook(mx::admin::PreviewFolderOverride, [this] { return preview; }),
          driversHook(mx::admin::InstalledDriverNames, [this] { return installed; })
    {
        const QString bin = mxtest::BinDir() + u'/';
        for (const QString& name : {mx::GetEngineDestFileName(), mx::GetEngineDatasourceFileName(), QStringLiteral("MORVELIN.INI"),
                 QStringLiteral("ALIASES.INI")})
            EXPECT_TRUE(QFile::copy(bin + name, root + name)) << name.toStdString();
        destFile = root + mx::GetEngineDestFileName();
        dsFile = root + mx::GetEngineDatasourceFileName();
        preview = bin;
    }
    QTemporaryDir dir;
    QString root;
    QString preview;
    QStringList installed{QStringLiteral("STANDARD"), QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL")};
    mx::ScopedHook<decltype(mx::RootDirOverride)> rootHook;
    mx::ScopedHook<decltype(mx::admin::PreviewFolderOverride)> previewHook;
    mx::ScopedHook<decltype(mx::admin::InstalledDriverNames)> driversHook;
    QString destFile;
    QString dsFile;

    static TfmConfig& form(QDialog& d) { return static_cast<TfmConfig&>(d); }
    static QString sql(QDialog& d) { return Child<QPlainTextEdit>(d, "moPreview")->toPlainText(); }
    static void showDriver(QDialog& d, const QString& name)
    {
        Child<QTabWidget>(d, "pcMain")->setCurrentIndex(1);
        ClickRow(d, "lbDrivers", name);
        ASSERT_NE(form(d).Selected(), nullptr);
        ASSERT_EQ(form(d).Selected()->Name(), name);
    }
    static void choose(QDialog& d, const char* combo, const QString& text)
    {
        auto* box = Child<QComboBox>(d, combo);
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << combo << " offers no " << text.toStdString();
        box->setCurrentIndex(i);
    }
    static void enter(QDialog& d, const QString& text)
    {
        auto* e = Child<QLineEdit>(d, "edLimitRowCount");
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
        // The edit is left (focus changes are not delivered offscreen).
        form(d).LeaveRowCount();
    }
};

TEST_F(Config, ThePreviewFollowsEachDialectOption)
{
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 0);
        showDriver(d, QStringLiteral("STANDARD"));
        QString text = sql(d);
        for (const char* piece : {"\"CLIENTS\"", "\"NOM\"", "||", "sum(", "'2024-01-01'"})
            EXPECT_TRUE(text.contains(QString::fromLatin1(piece))) << piece << "\n" << text.toStdString();

        Child<QCheckBox>(d, "cbQuoteTableName")->click();
        text = sql(d);
        EXPECT_FALSE(text.contains(QStringLiteral("\"CLIENTS\""))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("CLIENTS")));

        choose(d, "cbxFieldQuoter", QStringLiteral("`"));
        EXPECT_TRUE(sql(d).contains(QStringLiteral("`NOM`"))) << sql(d).toStdString();
        EXPECT_EQ(form(d).Selected()->FieldQuoter(), QStringLiteral("`"));

        choose(d, "cbxConcatOperator", QStringLiteral("+"));
        EXPECT_FALSE(sql(d).contains(QStringLiteral("||"))) << sql(d).toStdString();

        choose(d, "cbxDateFormater", QStringLiteral("%d/%m/%y"));
        EXPECT_TRUE(sql(d).contains(QStringLiteral("'01/01/2024'"))) << sql(d).toStdString();
        Child<QCheckBox>(d, "cbQuoteDates")->click();
        EXPECT_TRUE(sql(d).contains(QStringLiteral("01/01/2024")));
        EXPECT_FALSE(sql(d).contains(QStringLiteral("'01/01/2024'"))) << sql(d).toStdString();

        Child<QCheckBox>(d, "cbCalculatedSum")->click();
        EXPECT_NE(sql(d), text);
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 0);
    });
    const QByteArray globals = mx::Datasources()->SaveToBytes();
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
    EXPECT_EQ(mx::Datasources()->SaveToBytes(), globals) << "Annuler leaves the process's dialects";
}

TEST_F(Config, ThePreviewWorksWhateverDatasourceComesFirst)
{
    // The preview takes a copy of the first datasource; its steps look
    // for the dialect of their database's driver, STANDARD.
    mx::Datasources()->Exchange(0, 2);
    ASSERT_EQ(mx::Datasources()->Items(0)->Name(), QStringLiteral("POSTGRESQL"));
    m_modal.Reject([&](QDialog& d) {
        showDriver(d, QStringLiteral("POSTGRESQL"));
        EXPECT_TRUE(sql(d).startsWith(QStringLiteral("SELECT"))) << sql(d).toStdString();
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 0);
    });
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
}

TEST_F(Config, WithoutThePreviewFilesOneWarningAndTheRestWorks)
{
    QTemporaryDir empty;
    preview = empty.path() + u'/';
    m_modal.Reject([&](QDialog& d) {
        EXPECT_FALSE(form(d).HasPreview());
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 1);
        showDriver(d, QStringLiteral("SQLITE"));
        EXPECT_EQ(sql(d), QStringLiteral("Aperçu non disponible"));
        Child<QCheckBox>(d, "cbQuoteTableName")->click();
        EXPECT_EQ(sql(d), QStringLiteral("Aperçu non disponible"));
    });
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
    EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 1);
}

TEST_F(Config, TheRowCountStaysAWholeNumberAtOrAboveZero)
{
    mx::Datasources()->FindDatasource(QStringLiteral("STANDARD"))->SetSQLLimitRowsSyntax(QString());
    m_modal.Reject([&](QDialog& d) {
        showDriver(d, QStringLiteral("STANDARD"));
        TDbEngDatasource* s = form(d).Selected();
        EXPECT_FALSE(Enabled(d, "edLimitRowCount")) << "rows are not limited";
        Child<QCheckBox>(d, "cbLimitRows")->click();
        EXPECT_EQ(Child<QComboBox>(d, "cbxLimitRowsSyntax")->currentText(), QStringLiteral("LIMIT TO %d ROWS"));
        EXPECT_EQ(s->SQLLimitRowsSyntax(), QStringLiteral("LIMIT TO %d ROWS"));
        for (const char* w : {"cbxLimitRowsSyntax", "laLimitRowCount", "edLimitRowCount", "btRowsUp", "btRowsDown"})
            EXPECT_TRUE(Enabled(d, w)) << w;
        EXPECT_TRUE(sql(d).contains(QStringLiteral("LIMIT TO 5000 ROWS"))) << sql(d).toStdString();

        struct Case {
            const char* typed;
            const char* button; // none: the edit is left
            int expected;
        } cases[] = {{"", nullptr, 1}, {"50", "btRowsDown", 50}, {"150", "btRowsDown", 50}, {"150", "btRowsUp", 250},
            {"12ab3", nullptr, 123}, {"9999999999", nullptr, 123}, {"2147483600", "btRowsUp", 2147483647}};
        for (const Case& k : cases) {
            enter(d, QString::fromLatin1(k.typed));
            if (k.button)
                Child<QToolButton>(d, k.button)->click();
            EXPECT_EQ(s->SQLLimitRowCount(), k.expected) << k.typed;
            EXPECT_EQ(Child<QLineEdit>(d, "edLimitRowCount")->text(), QString::number(k.expected)) << k.typed;
        }
        EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
            QStringList{QStringLiteral("9999999999 n'est pas un nombre de lignes valide.")});
        EXPECT_TRUE(sql(d).contains(QStringLiteral("LIMIT TO 2147483647 ROWS"))) << "the preview follows the count";
    });
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
}

TEST_F(Config, RefreshMarksTheMissingDriversAndAddsTheNewOnes)
{
    mx::Datasources()->AddNew()->SetName(QStringLiteral("OLDDRV"));
    installed = {QStringLiteral("STANDARD"), QStringLiteral("NEWDRV"), QStringLiteral("sqlite"), QStringLiteral("POSTGRESQL")};
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        showDriver(d, QStringLiteral("SQLITE"));
        Click(d, "btRefresh");
        auto* list = Child<QListView>(d, "lbDrivers");
        EXPECT_EQ(Rows(list), (QStringList{QStringLiteral("STANDARD"), QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL"),
                                  QStringLiteral("OLDDRV"), QStringLiteral("NEWDRV")}));
        for (int r = 0; r < list->model()->rowCount(); ++r) {
            const QModelIndex i = list->model()->index(r, 0);
            EXPECT_EQ(!i.data(Qt::DecorationRole).value<QIcon>().isNull(), i.data().toString() == QStringLiteral("OLDDRV"))
                << i.data().toString().toStdString();
        }
        EXPECT_EQ(form(d).MissingDrivers(), QStringList{QStringLiteral("OLDDRV")});
        EXPECT_EQ(form(d).Selected()->Name(), QStringLiteral("SQLITE")) << "the same line stays shown";
    });
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
        QStringList{QStringLiteral("Attention, certains pilotes sont introuvables sur ce poste.\n"
                                   "Veuillez vérifier votre configuration de bases de données.")});
    EXPECT_EQ(mx::Datasources()->FindDatasource(QStringLiteral("NEWDRV")), nullptr) << "Annuler";
}

TEST_F(Config, StandardIsNeverDeletedWhateverItsCaseAndAnotherDriverAsks)
{
    mx::Datasources()->FindDatasource(QStringLiteral("STANDARD"))->SetName(QStringLiteral("standard"));
    m_modal.Reject([&](QDialog& d) {
        showDriver(d, QStringLiteral("standard"));
        EXPECT_FALSE(Enabled(d, "btDeleteDriver"));
        m_ui.service.messageAnswers << mx::mrYes;
        form(d).DeleteDriver();
        EXPECT_EQ(RowsOf(d, "lbDrivers").size(), 3);
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 0);
        showDriver(d, QStringLiteral("SQLITE"));
        Click(d, "btDeleteDriver");
        EXPECT_EQ(RowsOf(d, "lbDrivers"), (QStringList{QStringLiteral("standard"), QStringLiteral("POSTGRESQL")}));
        EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
            QStringList{QStringLiteral("Confirmez-vous la suppression du driver SQLITE ?\n"
                                       "Attention, la suppression d'un driver peut entrainer le non-fonctionnement du logiciel.")});
        EXPECT_EQ(form(d).Selected()->Name(), QStringLiteral("POSTGRESQL"));
    });
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
}

TEST_F(Config, AnEmptyDriverListAndAnEmptyDestinationListOpenAndSave)
{
    mx::Datasources()->Clear();
    mx::DestinationTypes()->Clear();
    m_modal.Accept([&](QDialog& d) {
        auto* grid = Child<QTableWidget>(d, "grdDest");
        ASSERT_EQ(grid->rowCount(), 1);
        grid->setCurrentCell(0, 1);
        Click(d, "btRemoveDest");
        EXPECT_EQ(grid->rowCount(), 1) << "the one empty row stays";
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 0);
        grid->item(0, 1)->setText(QStringLiteral("Rapport"));
        grid->item(0, 2)->setText(QStringLiteral("xyz"));
        Child<QTabWidget>(d, "pcMain")->setCurrentIndex(1);
        EXPECT_EQ(d.property("helpContext").toInt(), 105);
        EXPECT_TRUE(RowsOf(d, "lbDrivers").isEmpty());
        EXPECT_EQ(form(d).Selected(), nullptr);
        EXPECT_FALSE(Enabled(d, "btDeleteDriver"));
        Child<QToolButton>(d, "btRowsUp")->click();
        Click(d, "btDriverConfig");
    });
    EXPECT_TRUE(mx::admin::EditConfigurationWindow());
    mx::TItemPtr<mx::TDestinationList> saved(new mx::TDestinationList(nullptr));
    saved->LoadFromFile(destFile);
    ASSERT_EQ(saved->Count(), 1);
    EXPECT_EQ(saved->Items(0)->Name(), QStringLiteral("Rapport"));
    EXPECT_EQ(saved->Items(0)->Output(), mx::doReport) << "an unknown type is a report";
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("shell")), QStringList{root + QStringLiteral("ALIASES.INI")});
}

TEST_F(Config, OkWritesBothFilesAndTheListsTakeTheCopiesAndCancelChangesNothing)
{
    const QByteArray destBefore = ReadBytes(destFile);
    const QByteArray dsBefore = ReadBytes(dsFile);
    auto edit = [&](QDialog& d) {
        auto* grid = Child<QTableWidget>(d, "grdDest");
        ASSERT_GT(grid->rowCount(), 0);
        grid->item(0, 1)->setText(QStringLiteral("Rapport maison"));
        // The second type chosen in the cell's list, its editor left open.
        ASSERT_GT(grid->rowCount(), 1);
        grid->setCurrentCell(1, 2);
        grid->editItem(grid->item(1, 2));
        auto* type = grid->viewport()->findChild<QComboBox*>();
        ASSERT_NE(type, nullptr);
        type->setCurrentIndex(type->findText(QStringLiteral("Dest_File")));
        showDriver(d, QStringLiteral("SQLITE"));
        Child<QCheckBox>(d, "cbQuoteTableName")->click();
        choose(d, "cbxDateEditor", QStringLiteral("y-m-d"));
        // A count typed and never left is taken all the same.
        auto* count = Child<QLineEdit>(d, "edLimitRowCount");
        count->selectAll();
        QTest::keyClicks(count, QStringLiteral("777"));
    };
    m_modal.Reject(edit);
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
    EXPECT_EQ(ReadBytes(destFile), destBefore);
    EXPECT_EQ(ReadBytes(dsFile), dsBefore);
    EXPECT_NE(mx::DestinationTypes()->Items(0)->Name(), QStringLiteral("Rapport maison"));

    m_modal.Accept(edit);
    EXPECT_TRUE(mx::admin::EditConfigurationWindow());
    EXPECT_EQ(m_modal.stayedOpen, 0);
    EXPECT_TRUE(QFile::exists(mx::BackupFileName(destFile)));
    EXPECT_TRUE(QFile::exists(mx::BackupFileName(dsFile)));
    EXPECT_EQ(ReadBytes(mx::BackupFileName(dsFile)), dsBefore);
    mx::TItemPtr<mx::TDestinationList> dest(new mx::TDestinationList(nullptr));
    dest->LoadFromFile(destFile);
    mx::TItemPtr<mx::TDbEngDatasourceList> ds(new mx::TDbEngDatasourceList(nullptr));
    ds->LoadFromFile(dsFile);
    EXPECT_EQ(dest->Items(0)->Name(), QStringLiteral("Rapport maison"));
    EXPECT_EQ(dest->Items(1)->Output(), mx::doFile);
    const TDbEngDatasource* sqlite = ds->FindDatasource(QStringLiteral("SQLITE"));
    ASSERT_NE(sqlite, nullptr);
    EXPECT_FALSE(mx::HasCap(sqlite->SQLCapabilities(), mx::scQuoteTableName));
    EXPECT_EQ(sqlite->SQLDateEditor(), QStringLiteral("y-m-d"));
    EXPECT_EQ(sqlite->SQLLimitRowCount(), 777);
    EXPECT_EQ(dest->SaveToBytes(), mx::DestinationTypes()->SaveToBytes()) << "the process's list is the file's";
    EXPECT_EQ(ds->SaveToBytes(), mx::Datasources()->SaveToBytes());
}

TEST_F(Config, AFileThatCannotBeWrittenLeavesBothFilesAndTheListsAsTheyWere)
{
    const QByteArray destBefore = ReadBytes(destFile);
    const QByteArray dsBefore = ReadBytes(dsFile);
    const QByteArray destGlobal = mx::DestinationTypes()->SaveToBytes();
    const QByteArray dsGlobal = mx::Datasources()->SaveToBytes();
    // The datasource file's temporary name is taken by a folder: that
    // write is refused after the destination file was written.
    ASSERT_TRUE(QDir(root).mkdir(mx::GetEngineDatasourceFileName() + QStringLiteral(".tmp~")));
    m_modal.Accept([&](QDialog& d) {
        Child<QTableWidget>(d, "grdDest")->item(0, 1)->setText(QStringLiteral("Rapport maison"));
        showDriver(d, QStringLiteral("SQLITE"));
        Child<QCheckBox>(d, "cbQuoteTableName")->click();
    });
    EXPECT_FALSE(mx::admin::EditConfigurationWindow());
    EXPECT_EQ(m_modal.stayedOpen, 1) << "the window stays with what was typed";
    const QStringList messages = m_ui.service.texts(QStringLiteral("message"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("La configuration n'a pas été enregistrée"))) << messages[0].toStdString();
    EXPECT_EQ(ReadBytes(destFile), destBefore);
    EXPECT_EQ(ReadBytes(dsFile), dsBefore);
    EXPECT_EQ(mx::DestinationTypes()->SaveToBytes(), destGlobal);
    EXPECT_EQ(mx::Datasources()->SaveToBytes(), dsGlobal);
}

} // namespace
} // namespace admintest

namespace admintest {
namespace {

TEST_F(Config, TheDataModelWindowsEntryOpensTheConfigurationWindow)
{
    const auto former = mx::admin::ConfigurationEditor.get();
    mx::admin::RegisterModelDialogs();
    m_modal.Reject();
    EXPECT_FALSE(mx::admin::EditConfiguration());
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmConfig")});
    mx::admin::ConfigurationEditor.set(former);
}

} // namespace
} // namespace admintest
