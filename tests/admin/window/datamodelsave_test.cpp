// Saving a model from its window: the checks before every save, each
// opening the dialog that mends what it found and leaving the file as it
// was; Save As under ".mdd" with the window's size; a save that fails; and
// the question on closing, asked once.

#include "windowtest.h"

#include "engine/core/strings.h"
#include "engine/model/database.h"
#include "engine/model/field.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/stream/safefile.h"

#include <QDialog>
#include <QTest>

namespace admintest {
namespace {

using mx::admin::TfmDataModel;

const QString kTitle = QStringLiteral("Morvelin Administration");

class DataModelSave : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_file = SampleFile();
        m_bytes = FileBytes(m_file);
    }
    mx::TMxTable* table(TfmDataModel* w, const char* name)
    {
        return w->Model()->Tables()->FindByName(QString::fromLatin1(name));
    }
    QString m_file;
    QByteArray m_bytes;
};

TEST_F(DataModelSave, EachCheckThatFailsOpensItsDialogAndLeavesTheFileAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(mx::TMxDataModel*)> spoil;
        QList<int> answers;      // to the questions asked
        QStringList messages;    // what the boxes said
        int tableDialogs, rightsDialogs, databaseDialogs;
        bool saved;
    };
    const Case cases[] = {
        {"two fields with one full name",
            [](mx::TMxDataModel* m) {
                m->Tables()->FindByName(QStringLiteral("COMMANDE"))->Fields()->Items(2)->SetFullName(QStringLiteral("Nom"));
            },
            {}, {QStringLiteral("Les tables CLIENT et COMMANDE possèdent deux champs nommés Nom")}, 1, 0, 0, false},
        {"no groups, No", [](mx::TMxDataModel* m) { m->Groups()->Clear(); }, {mx::mrNo},
            {QStringLiteral("La définition des utilisateurs et des groupes est incomplète.\nSouhaitez-vous enregistrer le modèle de données ?")},
            0, 1, 0, false},
        {"no groups, Cancel", [](mx::TMxDataModel* m) { m->Groups()->Clear(); }, {mx::mrCancel},
            {QStringLiteral("La définition des utilisateurs et des groupes est incomplète.\nSouhaitez-vous enregistrer le modèle de données ?")},
            0, 0, 0, false},
        {"no groups, Yes: its users have none", [](mx::TMxDataModel* m) { m->Groups()->Clear(); }, {mx::mrYes},
            {QStringLiteral("La définition des utilisateurs et des groupes est incomplète.\nSouhaitez-vous enregistrer le modèle de données ?"),
                QStringLiteral("L'utilisateur Admin n'appartient à aucun groupe")},
            0, 1, 0, false},
        {"a user without group",
            [](mx::TMxDataModel* m) { m->Groups()->FindByName(QStringLiteral("Ventes"))->Users()->Clear(); }, {},
            {QStringLiteral("L'utilisateur Marie n'appartient à aucun groupe")}, 0, 1, 0, false},
        {"a database without driver",
            [](mx::TMxDataModel* m) { m->Databases()->Items(0)->SetDriverName(QStringLiteral("INCONNU")); }, {},
            {QStringLiteral("La base de données VENTES n'a pas de pilote")}, 0, 0, 1, false},
        {"a server database without password, No",
            [](mx::TMxDataModel* m) {
                mx::TMxDatabaseItem* db = m->Databases()->Items(0);
                db->SetDriverName(QStringLiteral("SQLITE"));
                db->SetUserName(QString());
                db->SetPassword(QString());
            },
            {mx::mrNo},
            {QStringLiteral("La définition des mots de passe est incomplète.\nSouhaitez-vous enregistrer le modèle de données ?")},
            0, 0, 1, false},
        {"a server database without password, Yes",
            [](mx::TMxDataModel* m) {
                mx::TMxDatabaseItem* db = m->Databases()->Items(0);
                db->SetDriverName(QStringLiteral("SQLITE"));
                db->SetUserName(QString());
                db->SetPassword(QString());
            },
            {mx::mrYes},
            {QStringLiteral("La définition des mots de passe est incomplète.\nSouhaitez-vous enregistrer le modèle de données ?")},
            0, 0, 0, true},
        {"the standard driver needs no password",
            [](mx::TMxDataModel* m) {
                m->Databases()->Items(0)->SetUserName(QString());
                m->Databases()->Items(0)->SetPassword(QString());
            },
            {}, {}, 0, 0, 0, true},
    };
    int tableDialogs = 0;
    int rightsDialogs = 0;
    mx::ScopedHook tables(mx::admin::TablePropertiesEditor, [&](mx::TMxTableList*, mx::TMxItem* first) {
        ++tableDialogs;
        EXPECT_EQ(first, nullptr);
        return false;
    });
    mx::ScopedHook rights(mx::admin::UsersEditor, [&](mx::TMxDataModel*) {
        ++rightsDialogs;
        return false;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mxtest::SaveSampleModel(m_file);
        const QByteArray before = FileBytes(m_file);
        TfmDataModel* w = WindowOnSample(m_file);
        ASSERT_TRUE(w->Model());
        // What a dialog's Ok would leave: the change, and the model marked.
        c.spoil(w->Model());
        w->Model()->MarkModified();
        ui().requests.clear();
        ui().messageAnswers = c.answers;
        tableDialogs = rightsDialogs = 0;
        m_modal.shown.clear();
        for (int i = 0; i < c.databaseDialogs; ++i)
            m_modal.Reject();
        Trigger(w, "miSave");
        EXPECT_EQ(ui().texts(QStringLiteral("message")), c.messages);
        EXPECT_EQ(tableDialogs, c.tableDialogs);
        EXPECT_EQ(rightsDialogs, c.rightsDialogs);
        EXPECT_EQ(m_modal.shown.count(QStringLiteral("fmDBParams")), c.databaseDialogs);
        EXPECT_EQ(m_modal.pending(), 0);
        if (c.saved) {
            EXPECT_NE(FileBytes(m_file), before);
            EXPECT_FALSE(w->Model()->Modified());
        } else {
            EXPECT_EQ(FileBytes(m_file), before) << "not saved";
            EXPECT_TRUE(w->Model()->Modified());
        }
        CloseWindow(w);
        ui().messageAnswers = {mx::mrNo};
    }
}

TEST_F(DataModelSave, SaveAsWritesAnMddFileWithTheWindowsSizeAndRemembersIt)
{
    TfmDataModel* w = WindowOnSample(m_file);
    ASSERT_TRUE(w->Model());
    w->resize(820, 610);
    QCoreApplication::processEvents();
    const QSize client = w->centralWidget()->size();
    ui().fileAnswers = {{Path(QStringLiteral("copie.txt"))}};
    Trigger(w, "miSaveAs");
    ASSERT_EQ(ui().count(QStringLiteral("save")), 1);
    const mx::ui::TFileRequest r = ui().requests.last().file;
    EXPECT_EQ(r.caption, QStringLiteral("Enregistrer le modèle de données"));
    EXPECT_EQ(r.filters, QStringList{QStringLiteral("Dict. de données (*.MDD *.mdd)")});
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("mdd"));
    const QString saved = Path(QStringLiteral("copie.mdd"));
    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("copie.txt"))));
    EXPECT_EQ(w->Model()->FileName(), saved);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("copie - ") + kTitle);
    EXPECT_EQ(mx::AppGlobal()->History(11)->Items().value(0), saved);
    EXPECT_EQ(FileBytes(m_file), m_bytes) << "the former file is left alone";

    mx::TItemPtr<mx::TMxDataModel> back(new mx::TMxDataModel(nullptr));
    back->LoadFromFile(saved);
    EXPECT_EQ(back->DesignW(), client.width());
    EXPECT_EQ(back->DesignH(), client.height());
    EXPECT_EQ(back->WindowState(), 0);

    // A second window on that file takes its size back.
    TfmDataModel* other = WindowOnSample(saved);
    QCoreApplication::processEvents();
    EXPECT_EQ(other->centralWidget()->size(), client);

    // Every later save is checked still.
    table(w, "COMMANDE")->Fields()->Items(2)->SetFullName(QStringLiteral("Nom"));
    w->Model()->MarkModified();
    const QByteArray copy = FileBytes(saved);
    mx::ScopedHook tables(mx::admin::TablePropertiesEditor, [](mx::TMxTableList*, mx::TMxItem*) { return false; });
    Trigger(w, "miSave");
    EXPECT_EQ(FileBytes(saved), copy);
    EXPECT_TRUE(ui().texts(QStringLiteral("message")).contains(
        QStringLiteral("Les tables CLIENT et COMMANDE possèdent deux champs nommés Nom")));
}

TEST_F(DataModelSave, ASaveThatFailsLeavesTheFileAndItsBackupAndSaysSo)
{
    TfmDataModel* w = WindowOnSample(m_file);
    ASSERT_TRUE(w->Model());
    w->Model()->MarkModified();
    Trigger(w, "miSave"); // a backup now exists
    const QString backup = mx::BackupFileName(m_file);
    ASSERT_TRUE(QFileInfo::exists(backup));
    const QByteArray file = FileBytes(m_file);
    const QByteArray old = FileBytes(backup);
    // Where the new content would be written first, a folder stands.
    ASSERT_TRUE(QDir().mkpath(m_file + QStringLiteral(".tmp~")));
    w->Model()->Tables()->Items(0)->SetFullName(QStringLiteral("Les clients"));
    w->Model()->MarkModified();
    ui().requests.clear();
    Trigger(w, "miSave");
    const QStringList said = ui().texts(QStringLiteral("message"));
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].startsWith(QStringLiteral("Le modèle VENTES.MDD n'a pas été enregistré :\n"))) << said[0].toStdString();
    EXPECT_EQ(FileBytes(m_file), file);
    EXPECT_EQ(FileBytes(backup), old);
    EXPECT_TRUE(w->Model()->Modified());
    EXPECT_EQ(w->Model()->FileName(), m_file);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("VENTES* - ") + kTitle);

    // Closing: Yes, the save fails once more, the window stays, and the
    // question is not asked again.
    ui().requests.clear();
    ui().messageAnswers = {mx::mrYes};
    QPointer<TfmDataModel> kept = w;
    CloseWindow(w);
    ASSERT_FALSE(kept.isNull());
    EXPECT_TRUE(kept->isVisible());
    EXPECT_TRUE(kept->Model());
    const QStringList asked = ui().texts(QStringLiteral("message"));
    ASSERT_EQ(asked.size(), 2) << asked.join(u'|').toStdString();
    EXPECT_EQ(asked[0], m_file + QStringLiteral("\nVoulez-vous sauvegarder le modèle de données ?"));
    EXPECT_TRUE(asked[1].startsWith(QStringLiteral("Le modèle VENTES.MDD n'a pas été enregistré")));
    EXPECT_EQ(FileBytes(m_file), file);

    // "Fermer" with a refused save keeps the model too, asking once.
    ui().requests.clear();
    ui().messageAnswers = {mx::mrYes};
    Trigger(w, "miClose");
    EXPECT_TRUE(w->Model());
    EXPECT_EQ(ui().texts(QStringLiteral("message")).filter(QStringLiteral("Voulez-vous sauvegarder")).size(), 1);
}

TEST_F(DataModelSave, ClosingAsksOnceAndCancelKeepsTheWindowAndTheModel)
{
    TfmDataModel* w = WindowOnSample(m_file);
    ASSERT_TRUE(w->Model());
    w->Model()->MarkModified();
    QPointer<TfmDataModel> kept = w;
    ui().messageAnswers = {mx::mrCancel};
    CloseWindow(w);
    ASSERT_FALSE(kept.isNull());
    EXPECT_TRUE(w->Model());
    EXPECT_EQ(quits, 0);
    ui().messageAnswers = {mx::mrNo};
    CloseWindow(w);
    EXPECT_TRUE(kept.isNull());
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(FileBytes(m_file), m_bytes);
    EXPECT_EQ(ui().texts(QStringLiteral("message")).filter(QStringLiteral("Voulez-vous sauvegarder")).size(), 2);
}

} // namespace
} // namespace admintest
