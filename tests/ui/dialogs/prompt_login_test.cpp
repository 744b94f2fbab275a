// The prompt and the login, driven as a user would: typing, clicking,
// Enter and Esc, through the scripted service.

#include "dialogstest.h"

#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/logindialog.h"
#include "ui/dialogs/promptdialog.h"

#include "engine/core/exceptions.h"
#include "engine/core/strings.h"
#include "engine/model/datamodel.h"
#include "engine/model/ownedchild.h"
#include "engine/model/user.h"
#include "engine/tools/hooks.h"

#include "tests/support/samplemodel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace mx;
using namespace mx::ui;

namespace {

class PromptTest : public mxtest::DialogsTest {};

TEST_F(PromptTest, ANumberIsCheckedOnOkAndTheDialogStaysOpenUntilItIsOne)
{
    TStrings history;
    struct Seen {
        bool okEnabledEmpty = true, visibleAfterBad = false, okEnabledTyped = false;
        QString caption, prompt;
        int maxLength = 0;
        int messagesAfterBad = 0;
    } seen;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmPromptString*>(w);
        ASSERT_TRUE(f) << w->objectName().toStdString();
        auto* laPrompt = test::Child<QLabel>(*f, "laPrompt");
        auto* ed = test::Child<QLineEdit>(*f, "ed");
        auto* btOk = test::Child<QPushButton>(*f, "btOk");
        EXPECT_EQ(f->objectName(), QStringLiteral("fmPromptString"));
        seen.caption = f->windowTitle();
        seen.prompt = laPrompt->text();
        seen.maxLength = ed->maxLength();
        seen.okEnabledEmpty = btOk->isEnabled();
        QTest::keyClicks(ed, QStringLiteral("abc"));
        seen.okEnabledTyped = btOk->isEnabled();
        QTest::mouseClick(btOk, Qt::LeftButton);
        seen.visibleAfterBad = f->isVisible();
        seen.messagesAfterBad = ui().count(QStringLiteral("message"));
        ed->clear();
        QTest::keyClicks(ed, QStringLiteral("12"));
        QTest::keyClick(ed, Qt::Key_Return);
    });
    QString value;
    EXPECT_TRUE(PromptString(QStringLiteral("Seuil"), QStringLiteral("Montant minimum :"), &history, 10, value, QString(),
        QStringLiteral("N")));
    EXPECT_EQ(seen.caption, QStringLiteral("Seuil"));
    EXPECT_EQ(seen.prompt, QStringLiteral("Montant minimum :"));
    EXPECT_EQ(seen.maxLength, 10);
    EXPECT_FALSE(seen.okEnabledEmpty) << "OK waits for a value";
    EXPECT_TRUE(seen.okEnabledTyped);
    EXPECT_TRUE(seen.visibleAfterBad) << "a bad value keeps the dialog open";
    ASSERT_EQ(seen.messagesAfterBad, 1);
    EXPECT_EQ(ui().texts(QStringLiteral("message")).value(0), QStringLiteral("La valeur abc doit être un nombre"));
    EXPECT_EQ(value, QStringLiteral("12"));
    EXPECT_EQ(history.toStringList(), QStringList{QStringLiteral("12")});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the cursor is given back";
}

TEST_F(PromptTest, KindsEscAndTheSimpleForm)
{
    struct Case {
        const char* kind;
        const char* typed;
        bool accepted; // false: a message and the dialog stays open (then Esc)
    };
    const Case cases[] = {
        {"A", "n'importe quoi", true},
        {"D", "31/12/2026", true},
        {"D", "31/02/2026", false},
        {"N", "12,5", true},
        {"N", "douze", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.typed);
        ui().requests.clear();
        bool stayed = false;
        m_modal.AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            auto* f = dynamic_cast<TfmPromptString*>(w);
            ASSERT_TRUE(f);
            auto* ed = test::Child<QLineEdit>(*f, "ed");
            ed->setText(QString::fromUtf8(c.typed));
            QTest::keyClick(ed, Qt::Key_Return);
            stayed = f->isVisible();
            if (stayed)
                QTest::keyClick(ed, Qt::Key_Escape);
        });
        QString value = QStringLiteral("avant");
        const bool ok = PromptString(QStringLiteral("Valeur"), QStringLiteral("?"), nullptr, 50, value, QString(), QString::fromLatin1(c.kind));
        EXPECT_EQ(ok, c.accepted);
        EXPECT_EQ(stayed, !c.accepted);
        EXPECT_EQ(value, c.accepted ? QString::fromUtf8(c.typed) : QStringLiteral("avant")) << "Esc leaves the value";
        EXPECT_EQ(ui().count(QStringLiteral("message")), c.accepted ? 0 : 1);
    }

    // The simple form: 255 characters of any text, OK only once typed.
    bool okEmpty = true;
    int maxLength = 0;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmPromptString*>(w);
        ASSERT_TRUE(f);
        auto* btOk = test::Child<QPushButton>(*f, "btOk");
        auto* ed = test::Child<QLineEdit>(*f, "ed");
        okEmpty = btOk->isEnabled();
        maxLength = ed->maxLength();
        QTest::keyClicks(ed, QStringLiteral("Nouvelle etape"));
        QTest::mouseClick(btOk, Qt::LeftButton);
    });
    QString name;
    EXPECT_TRUE(PromptStringSimple(QStringLiteral("Étape"), QStringLiteral("Nom :"), name));
    EXPECT_FALSE(okEmpty);
    EXPECT_EQ(maxLength, 255);
    EXPECT_EQ(name, QStringLiteral("Nouvelle etape"));
}

TEST_F(PromptTest, WithoutADisplayNothingWaits)
{
    InteractivePlatformOverride.set([] { return false; });
    QString value;
    const QString failure = mxtest::FailureOf([&] {
        PromptString(QStringLiteral("Seuil"), QStringLiteral("?"), nullptr, 10, value, QString(), QStringLiteral("N"));
    });
    EXPECT_TRUE(failure.contains(QStringLiteral("aucune fenêtre"))) << failure.toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

class LoginTest : public mxtest::DialogsTest {
protected:
    void SetUp() override
    {
        DialogsTest::SetUp();
        ForgetLogin();
    }
    void TearDown() override
    {
        ForgetLogin();
        DialogsTest::TearDown();
    }
    // Answers the next login with user and password by keys; Esc when
    // cancel. Records what the edits showed first.
    void Answer(const QString& user, const QString& password, bool cancel = false)
    {
        m_modal.AsFilled([=, this](QDialog& dialog) {
            QWidget* w = &dialog;
            auto* f = dynamic_cast<TfmPassword*>(w);
            ASSERT_TRUE(f) << w->objectName().toStdString();
            auto* edUser = test::Child<QLineEdit>(*f, "edUser");
            auto* edPassword = test::Child<QLineEdit>(*f, "edPassword");
            m_shownUser = edUser->text();
            m_shownPassword = edPassword->text();
            m_caption = f->windowTitle();
            m_echo = edPassword->echoMode();
            edUser->clear();
            edPassword->clear();
            QTest::keyClicks(edUser, user);
            QTest::keyClicks(edPassword, password);
            QTest::keyClick(edPassword, cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
    }
    QString m_shownUser, m_shownPassword, m_caption;
    QLineEdit::EchoMode m_echo = QLineEdit::Normal;
};

TEST_F(LoginTest, TheLastPairAcceptedIsProposedAndACancelKeepsIt)
{
    QString user, password;
    Answer(QStringLiteral("Marie"), QStringLiteral("Marie1"));
    EXPECT_TRUE(PromptLogin(QStringLiteral("Accès à VENTES.MDD"), user, password));
    EXPECT_EQ(m_caption, QStringLiteral("Accès à VENTES.MDD"));
    EXPECT_EQ(m_shownUser, QString());
    EXPECT_EQ(m_echo, QLineEdit::Password);
    EXPECT_EQ(user, QStringLiteral("Marie"));
    EXPECT_EQ(password, QStringLiteral("Marie1"));

    // The second login proposes that pair; a cancel still hands back what
    // was typed, and the remembered pair stays.
    Answer(QStringLiteral("Paul"), QStringLiteral("x"), true);
    EXPECT_FALSE(PromptLogin(QStringLiteral("Accès"), user, password));
    EXPECT_EQ(m_shownUser, QStringLiteral("Marie"));
    EXPECT_EQ(m_shownPassword, QStringLiteral("Marie1"));
    EXPECT_EQ(user, QStringLiteral("Paul"));
    EXPECT_EQ(RememberedUser(), QStringLiteral("Marie"));
    EXPECT_EQ(RememberedPassword(), QStringLiteral("Marie1"));
}

TEST_F(LoginTest, AModelWithUsersOpensThroughTheDialogWithTheEnginesRules)
{
    const QString file = Path(QStringLiteral("VENTES.MDD"));
    mxtest::SaveSampleModel(file);
    InstallDialogs();
    struct Case {
        const char* user;
        const char* password;
        bool cancel;
        const char* failure; // empty: opened
    };
    const Case cases[] = {
        {"Admin", "SECRET", false, ""}, // passwords without regard to case
        {"admin", "secret", false, ""}, // user names too
        {"Admin", "faux", false, "Accès refusé."},
        {"Inconnu", "secret", false, "Accès refusé."},
        {"Admin", "secret", true, "Operation aborted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password + (c.cancel ? " cancelled" : ""));
        Answer(QString::fromLatin1(c.user), QString::fromLatin1(c.password), c.cancel);
        TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
        const QString failure = mxtest::FailureOf([&] { model->LoadFromFile(file); });
        if (*c.failure) {
            EXPECT_EQ(failure, QString::fromUtf8(c.failure));
        } else {
            EXPECT_EQ(failure, QStringLiteral("<no error>"));
            ASSERT_TRUE(model->CurrentUser());
            EXPECT_EQ(model->CurrentUser()->Name(), QStringLiteral("Admin"));
        }
        EXPECT_EQ(m_caption, QStringLiteral("Accès à VENTES.MDD"));
    }
    LoginPromptHook.clear();
    PromptStringHook.clear();
    PromptStringSimpleHook.clear();
    LocateFileHook.clear();
    ShowSplashHook.clear();
}

TEST_F(LoginTest, WithoutADisplayTheLoginFailsAtOnce)
{
    InteractivePlatformOverride.set([] { return false; });
    const QString file = Path(QStringLiteral("VENTES.MDD"));
    mxtest::SaveSampleModel(file);
    ScopedHook login(LoginPromptHook, &PromptLogin);
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    const QString failure = mxtest::FailureOf([&] { model->LoadFromFile(file); });
    EXPECT_EQ(failure, QStringLiteral("Accès à VENTES.MDD : le modèle demande un nom d'utilisateur et un mot de passe, "
                                      "et aucune fenêtre ne peut s'ouvrir pour les saisir."));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
