// Users and groups: the first user protected, names unique without regard
// to case, passwords typed twice and never shown, a new user cancelled
// removed, renamed and deleted users and groups followed in the groups and
// the sets, Annuler leaving the model as it was, and a set restricted to a
// group offered alone to that group's user once the model is saved and
// opened again with their login.

#include "modeldialogtest.h"

#include "admin/modeldialogs/fmsets.h"
#include "admin/modeldialogs/fmusers.h"

#include "engine/model/domain.h"
#include "engine/model/user.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

namespace admintest {
namespace {

using mx::TMxUser;
using mx::TMxUserGroup;

class Users : public AdminDialogTest {
protected:
    mx::TItemPtr<mx::TMxDataModel> model{mxtest::MakeSampleModel()};
    TMxUser* user(const QString& name) const { return model->Users()->FindByName(name); }
    TMxUserGroup* group(const QString& name) const { return model->Groups()->FindByName(name); }
    static QStringList Names(const mx::TMxList* list)
    {
        QStringList out;
        for (const mx::TMxItem* item : *list)
            out << item->Name();
        return out;
    }
};

TEST(GroupInformations, LinesAreJoinedWithoutBlankUpToTheFirstThatDoesNotFit)
{
    const QString a(200, u'a'), b(50, u'b'), c(10, u'c');
    EXPECT_EQ(mx::admin::JoinGroupInformations({a, b, c}), a + b);
    EXPECT_EQ(mx::admin::JoinGroupInformations({a, QString(60, u'x'), c}), a) << "stops at the first that does not fit";
    EXPECT_EQ(mx::admin::JoinGroupInformations({QString(255, u'x')}), QString(255, u'x'));
}

TEST_F(Users, TheFirstUserIsNeitherDeletedNorRenamedNorGivenAnotherLevel)
{
    const QByteArray before = Bytes(model.get());
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(RowsOf(d, "lbUsers"), (QStringList{QStringLiteral("Admin"), QStringLiteral("Marie")}));
        ClickRow(d, "lbUsers", QStringLiteral("Marie"));
        EXPECT_TRUE(Enabled(d, "btUserDelete"));
        ClickRow(d, "lbUsers", QStringLiteral("Admin"));
        EXPECT_FALSE(Enabled(d, "btUserDelete"));
        m_ui.service.messageAnswers << mx::mrYes;
        QTest::keyClick(Child<QListView>(d, "lbUsers"), Qt::Key_Delete);
        EXPECT_EQ(RowsOf(d, "lbUsers").size(), 2);
        EXPECT_EQ(m_ui.service.count(QStringLiteral("message")), 0) << "not even asked";
        DoubleClickRow(d, "lbUsers", QStringLiteral("Admin"));
    });
    m_modal.Reject([&](QDialog& d) {
        EXPECT_FALSE(Enabled(d, "edName"));
        EXPECT_FALSE(Enabled(d, "cobLevel"));
        EXPECT_TRUE(Enabled(d, "edPassword"));
    });
    EXPECT_FALSE(mx::admin::EditUsers(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(Bytes(model.get()), before);
}

TEST_F(Users, TheOkOfTheUserEditorRefusesWhatCouldNotLogIn)
{
    struct Case {
        const char* name;
        const char* password;
        const char* confirm;
        const char* message; // none: accepted
    } cases[] = {
        {"", "Kq7z", "Kq7z", "Le nom ne peut être vide."},
        {"Admin", "Kq7z", "Kq7z", "Ce nom appartient déjà à un autre utilisateur."},
        {"marie", "Kq7z", "Kq7z", "Ce nom appartient déjà à un autre utilisateur."},
        {"ADMIN", "Kq7z", "Kq7z", "Ce nom appartient déjà à un autre utilisateur."},
        {"Paul", "secret", "secreT", "Les mots de passe ne correspondent pas."},
        {"Paul", "s3cret", "s3cret", nullptr},
    };
    for (const Case& k : cases) {
        mx::TItemPtr<mx::TMxDataModel> m(mxtest::MakeSampleModel());
        m_ui.service.requests.clear();
        mx::ui::test::TScriptedModal modal;
        modal.Accept([&](QDialog& d) { Click(d, "btUserAdd"); });
        modal.Accept([&](QDialog& d) {
            Type(d, "edName", QString::fromUtf8(k.name));
            Type(d, "edPassword", QString::fromUtf8(k.password));
            Type(d, "edConfirm", QString::fromUtf8(k.confirm));
        });
        EXPECT_TRUE(mx::admin::EditUsers(m.get()));
        const QStringList messages = m_ui.service.texts(QStringLiteral("message"));
        if (k.message) {
            EXPECT_EQ(modal.stayedOpen, 1) << k.name;
            EXPECT_EQ(messages, QStringList{QString::fromUtf8(k.message)}) << k.name;
            EXPECT_EQ(m->Users()->Count(), 2) << "the refused new user is removed";
        } else {
            EXPECT_EQ(modal.stayedOpen, 0);
            EXPECT_TRUE(messages.isEmpty());
            ASSERT_EQ(m->Users()->Count(), 3);
            EXPECT_EQ(m->Users()->Items(2)->Name(), QStringLiteral("Paul"));
            EXPECT_EQ(m->Users()->Items(2)->Password(), QStringLiteral("s3cret"));
        }
        // No message ever carries a password.
        for (const mx::ui::test::TRequest& r : m_ui.service.requests)
            EXPECT_FALSE(r.text.contains(QString::fromUtf8(k.password))) << r.text.toStdString();
    }
}

TEST_F(Users, PasswordsAreNeverShownInClear)
{
    m_modal.Reject([&](QDialog& d) { DoubleClickRow(d, "lbUsers", QStringLiteral("Marie")); });
    m_modal.Reject([&](QDialog& d) {
        for (const char* name : {"edPassword", "edConfirm"}) {
            auto* e = Child<QLineEdit>(d, name);
            EXPECT_EQ(e->echoMode(), QLineEdit::Password);
            EXPECT_EQ(e->text(), QStringLiteral("Marie1"));
            EXPECT_NE(e->displayText(), QStringLiteral("Marie1"));
        }
        EXPECT_FALSE(user(QStringLiteral("Marie"))->GetDebugText().contains(QStringLiteral("Marie1")));
    });
    EXPECT_FALSE(mx::admin::EditUsers(model.get()));
}

TEST_F(Users, AUserIsAddedWithRightsAndLevelAndAGroupHoldingThem)
{
    m_modal.Accept([&](QDialog& d) {
        Click(d, "btUserAdd");
        EXPECT_EQ(RowsOf(d, "lbUsers").back(), QStringLiteral("Paul"));
        Click(d, "btGroupAdd");
        EXPECT_EQ(RowsOf(d, "lbGroups").back(), QStringLiteral("Compta"));
    });
    m_modal.Accept([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(Child<QComboBox>(d, "cobLevel")->currentIndex(), 1) << "a new user is a user";
        Type(d, "edName", QStringLiteral("Paul"));
        Type(d, "edPassword", QStringLiteral("pw"));
        Type(d, "edConfirm", QStringLiteral("pw"));
        Child<QCheckBox>(d, "cbCreateQueries")->click();
    });
    m_modal.Accept([&](QDialog& d) {
        CheckModels(d);
        Type(d, "edName", QStringLiteral("Compta"));
        Child<QPlainTextEdit>(d, "moInformations")->setPlainText(QStringLiteral("La comptabilité\n et la paie"));
        Click(d, "btAddMember");
        EXPECT_EQ(RowsOf(d, "lbMembers"), (QStringList{QStringLiteral("Marie"), QStringLiteral("Paul")}));
        Click(d, "btAddMember");
        EXPECT_EQ(RowsOf(d, "lbMembers"), (QStringList{QStringLiteral("Marie"), QStringLiteral("Paul")})) << "a member is not added twice";
    });
    m_modal.Accept(Pick({QStringLiteral("Paul"), QStringLiteral("Marie")}));
    m_modal.Accept(Pick({QStringLiteral("Paul")}));
    EXPECT_TRUE(mx::admin::EditUsers(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    const TMxUser* paul = user(QStringLiteral("Paul"));
    ASSERT_NE(paul, nullptr);
    EXPECT_EQ(paul->Level(), 1);
    EXPECT_EQ(paul->Rights(), mx::UserRight(mx::urCreateQueries));
    const TMxUserGroup* compta = group(QStringLiteral("Compta"));
    ASSERT_NE(compta, nullptr);
    EXPECT_EQ(compta->Informations(), QStringLiteral("La comptabilité et la paie"));
    EXPECT_EQ(Names(compta->Users()), (QStringList{QStringLiteral("Marie"), QStringLiteral("Paul")}));
}

TEST_F(Users, RenamedAndDeletedUsersAndGroupsAreFollowedInGroupsAndSets)
{
    mx::TMxDomain* sales = model->Domains()->FindById(mxtest::SampleModel::SalesSetId);
    // Admins and Ventes swap names; Marie becomes Marion; the group
    // "Disparus" that a set names does not exist and stays named.
    m_modal.Accept([&](QDialog& d) {
        DoubleClickRow(d, "lbUsers", QStringLiteral("Marie"));
        Child<QListView>(d, "lbGroups")->setFocus();
        DoubleClickRow(d, "lbGroups", QStringLiteral("Admins"));
        DoubleClickRow(d, "lbGroups", QStringLiteral("Ventes"));
        DoubleClickRow(d, "lbGroups", QStringLiteral("tmp"));
    });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Marion")); });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("tmp")); });
    m_modal.Accept([&](QDialog& d) {
        EXPECT_EQ(RowsOf(d, "lbMembers"), QStringList{QStringLiteral("Marion")}) << "the member follows at once";
        Type(d, "edName", QStringLiteral("Admins"));
    });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Ventes")); });
    EXPECT_TRUE(mx::admin::EditUsers(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(Names(group(QStringLiteral("Admins"))->Users()), QStringList{QStringLiteral("Marion")});
    EXPECT_EQ(Names(group(QStringLiteral("Ventes"))->Users()), QStringList{QStringLiteral("Admin")});
    EXPECT_EQ(Names(model->Domains()->Items(0)->Groups()), QStringList{QStringLiteral("Ventes")});
    EXPECT_EQ(Names(sales->Groups()), (QStringList{QStringLiteral("Admins"), QStringLiteral("Disparus")}));

    // Deleting Marion and the group Admins.
    m_modal.Accept([&](QDialog& d) {
        m_ui.service.messageAnswers << mx::mrYes << mx::mrYes;
        ClickRow(d, "lbUsers", QStringLiteral("Marion"));
        QTest::keyClick(Child<QListView>(d, "lbUsers"), Qt::Key_Delete);
        ClickRow(d, "lbGroups", QStringLiteral("Admins"));
        QTest::keyClick(Child<QListView>(d, "lbGroups"), Qt::Key_Delete);
        EXPECT_EQ(RowsOf(d, "lbUsers"), QStringList{QStringLiteral("Admin")});
        EXPECT_EQ(RowsOf(d, "lbGroups"), QStringList{QStringLiteral("Ventes")});
    });
    EXPECT_TRUE(mx::admin::EditUsers(model.get()));
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
        (QStringList{QStringLiteral("Voulez-vous supprimer l'utilisateur 'Marion' ?"),
            QStringLiteral("Voulez-vous supprimer le groupe d'utilisateurs 'Admins' ?")}));
    EXPECT_EQ(user(QStringLiteral("Marion")), nullptr);
    EXPECT_EQ(Names(sales->Groups()), QStringList{QStringLiteral("Disparus")}) << "no set names a group gone";
}

TEST_F(Users, TheUserLoggedInIsNeitherDeletedNorLostWhenRenamed)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ventes.mdd"));
    model->SaveToFile(file);
    model->Open(file, QStringLiteral("marie"), QStringLiteral("Marie1"));
    ASSERT_NE(model->CurrentUser(), nullptr);
    m_modal.Accept([&](QDialog& d) {
        ClickRow(d, "lbUsers", QStringLiteral("Marie"));
        m_ui.service.messageAnswers << mx::mrYes;
        Click(d, "btUserDelete");
        EXPECT_EQ(RowsOf(d, "lbUsers").size(), 2);
        DoubleClickRow(d, "lbUsers", QStringLiteral("Marie"));
    });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Marion")); });
    EXPECT_TRUE(mx::admin::EditUsers(model.get()));
    EXPECT_TRUE(m_ui.service.texts(QStringLiteral("message"))
                    .contains(QStringLiteral("L'utilisateur 'Marie' est l'utilisateur connecté : il ne peut être supprimé.")));
    ASSERT_NE(model->CurrentUser(), nullptr);
    EXPECT_EQ(model->CurrentUser()->Name(), QStringLiteral("Marion"));
}

TEST_F(Users, CancelLeavesTheModelAsItWasAfterEveryKindOfEdit)
{
    const QByteArray before = Bytes(model.get());
    m_modal.Reject([&](QDialog& d) {
        m_ui.service.messageAnswers << mx::mrYes;
        Click(d, "btUserAdd");
        DoubleClickRow(d, "lbUsers", QStringLiteral("Marie"));
        ClickRow(d, "lbGroups", QStringLiteral("Admins"));
        Click(d, "btGroupDelete");
    });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Paul")); });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Marion")); Child<QComboBox>(d, "cobLevel")->setCurrentIndex(0); });
    EXPECT_FALSE(mx::admin::EditUsers(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(Bytes(model.get()), before);
}

TEST_F(Users, ASetRestrictedToAGroupIsTheOnlyOneItsUserIsOfferedOnceTheModelIsOpenedAgain)
{
    // The administrator adds Paul and the group Compta holding him, then a
    // set open to Compta alone.
    m_modal.Accept([&](QDialog& d) { Click(d, "btUserAdd"); Click(d, "btGroupAdd"); });
    m_modal.Accept([&](QDialog& d) {
        Type(d, "edName", QStringLiteral("Paul"));
        Type(d, "edPassword", QStringLiteral("pw"));
        Type(d, "edConfirm", QStringLiteral("pw"));
        Child<QCheckBox>(d, "cbCreateQueries")->click();
    });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Compta")); Click(d, "btAddMember"); });
    m_modal.Accept(Pick({QStringLiteral("Paul")}));
    ASSERT_TRUE(mx::admin::EditUsers(model.get()));
    m_modal.Accept([&](QDialog& d) { Click(d, "btSetAdd"); });
    m_modal.Accept([&](QDialog& d) { Type(d, "edName", QStringLiteral("Comptabilité")); Click(d, "btGroupAdd"); });
    m_modal.Accept(Pick({QStringLiteral("Compta")}));
    ASSERT_TRUE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ventes.mdd"));
    model->SaveToFile(file);
    mx::TItemPtr<mx::TMxDataModel> opened(new mx::TMxDataModel(nullptr));
    opened->Open(file, QStringLiteral("paul"), QStringLiteral("pw"));
    ASSERT_NE(opened->CurrentUser(), nullptr);
    EXPECT_EQ(opened->CurrentUser()->Name(), QStringLiteral("Paul"));
    EXPECT_EQ(opened->CurrentUser()->Level(), 1);
    EXPECT_TRUE(opened->CurrentUser()->HasRight(mx::urCreateQueries));
    EXPECT_EQ(Names(opened->AccessibleDomains()), QStringList{QStringLiteral("Comptabilité")});
    // Marie still sees her own set only.
    mx::TItemPtr<mx::TMxDataModel> marie(new mx::TMxDataModel(nullptr));
    marie->Open(file, QStringLiteral("Marie"), QStringLiteral("Marie1"));
    EXPECT_EQ(Names(marie->AccessibleDomains()), QStringList{QStringLiteral("Ventes")});
}

} // namespace
} // namespace admintest
