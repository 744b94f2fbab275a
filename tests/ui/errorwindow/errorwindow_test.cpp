#include "tests/ui/uitest.h"

#include "tests/support/ui/scriptedmodal.h"

#include "tests/engine/settings/settingsfixture.h"

#include "engine/errors/errorhandler.h"
#include "ui/errorwindow/errorwindow.h"
#include "engine/settings/dlllang.h"
#include "engine/settings/lang.h"
#include "engine/tools/messages.h"
#include "ui/errorwindow/uiservice.h"
#include "ui/services/dialogservice.h"
#include "ui/services/modalrunner.h"

#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QTabWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>

using namespace mx;
using namespace mx::ui;

namespace {

class Thrower : public QObject {
    Q_OBJECT
public:
    std::function<void()> action;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            action();
            return true;
        }
        return QObject::event(e);
    }
};

class ErrorWindowTest : public mxtest::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        InstallUserInterface(); // replaces the recorder by the widget service
        InstallExceptionHandler();
    }
    void TearDown() override
    {
        RemoveExceptionHandler();
        SetUserService(&m_service);
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        SettingsTest::TearDown();
    }
    mx::ui::test::TScriptedModal m_modal;
};

// The window's parts, found by their names.
template <class T = QWidget>
T* part(QWidget* w, const char* name)
{
    T* found = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
QLabel* label(QWidget* w, const char* name)
{
    return part<QLabel>(w, name);
}
QPushButton* button(QWidget* w, const char* name)
{
    return part<QPushButton>(w, name);
}

struct Seen {
    QString title, details, ignore, abort, detail, userInfo;
    bool detailsVisibleBefore = true, detailsVisibleAfter = false, detailEnabledAfter = true;
};

void answerErrorWindow(mx::ui::test::TScriptedModal& modal, Seen& s, bool abort = false)
{
    modal.AsFilled([&s, abort](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = qobject_cast<TfmErrorHandler2*>(w);
        if (!f) {
            ADD_FAILURE() << "not the error window: " << w->metaObject()->className();
            w->close();
            return;
        }
        s.title = f->windowTitle();
        s.details = label(f, "laDetailInfo")->text();
        s.ignore = button(f, "bbIgnore")->text();
        s.abort = button(f, "bbAbort")->text();
        s.detail = button(f, "bbDetail")->text();
        s.userInfo = label(f, "laUserInfo")->text();
        s.detailsVisibleBefore = label(f, "laDetailInfo")->isVisible();
        QTest::mouseClick(button(f, "bbDetail"), Qt::LeftButton);
        s.detailsVisibleAfter = label(f, "laDetailInfo")->isVisible();
        s.detailEnabledAfter = button(f, "bbDetail")->isEnabled();
        button(f, abort ? "bbAbort" : "bbIgnore")->click();
    });
}

} // namespace

TEST_F(ErrorWindowTest, AClickThatThrowsShowsTheWindowAndTheProgramGoesOn)
{
    QPushButton button("Go");
    button.show();
    int clicks = 0;
    // Slots hand their exceptions to the handler themselves (Guard);
    // nothing crosses Qt's event dispatch.
    QObject::connect(&button, &QPushButton::clicked, [&] {
        Guard(&button, [&] {
            ++clicks;
            throw std::runtime_error("boom");
        });
    });
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Seen s;
        answerErrorWindow(m_modal, s);
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(s.title, "Erreur de l'application");
        EXPECT_EQ(s.details, "Un objet de classe QPushButton a déclenché l'erreur suivante (std::runtime_error): boom");
        EXPECT_EQ(s.ignore, "Ignorer") << "no language component: French, cookie stripped";
        EXPECT_EQ(s.abort, "&Abandon");
        EXPECT_EQ(s.detail, "&Détails...");
        EXPECT_FALSE(s.detailsVisibleBefore);
        EXPECT_TRUE(s.detailsVisibleAfter);
        EXPECT_FALSE(s.detailEnabledAfter);
        EXPECT_TRUE(ExceptionHandlerInstalled());
    }
    EXPECT_EQ(clicks, 2);
}

TEST_F(ErrorWindowTest, EngineErrorsAreWarningsAndTheSilentAbortShowsNothing)
{
    QPushButton button("Go");
    button.show();
    std::function<void()> raise;
    QObject::connect(&button, &QPushButton::clicked, [&] { Guard(&button, raise); });

    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    raise = [] { throw EMxAbort("Accès refusé."); };
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(text, "Accès refusé.");
    EXPECT_EQ(icon, QMessageBox::Warning);

    raise = [] { throw EAbort("cancelled"); };
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("dlgMessage")}) << "only the warning's box opened";
    EXPECT_EQ(m_modal.unexpected, 0);
}

TEST_F(ErrorWindowTest, NotifyCatchesWhatAnEventHandlerLetsOut)
{
    Thrower t;
    t.setObjectName("thrower");
    t.action = [] { throw EConvertError("'abc' is not a valid integer value"); };
    Seen s;
    answerErrorWindow(m_modal, s);
    QEvent e(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&t, &e));
    EXPECT_EQ(s.details, "Un objet de classe Thrower a déclenché l'erreur suivante (EConvertError): 'abc' is not a valid integer value");
    // The program goes on: the next event is delivered normally.
    t.action = [] {};
    EXPECT_TRUE(QCoreApplication::sendEvent(&t, &e));
}

TEST_F(ErrorWindowTest, AnErrorWhileTheWindowIsOpenGetsAPlainBox)
{
    Thrower t;
    t.action = [] { throw std::logic_error("second"); };
    QString plain;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = qobject_cast<TfmErrorHandler2*>(w);
        ASSERT_NE(f, nullptr);
        m_modal.AsFilled([&](QDialog& inner) {
            auto* box = qobject_cast<QMessageBox*>(&inner);
            ASSERT_NE(box, nullptr);
            plain = box->text();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        QEvent e(QEvent::User);
        QCoreApplication::sendEvent(&t, &e); // through notify, which still catches
        button(f, "bbIgnore")->click();
    });
    Thrower first;
    first.action = [] { throw std::runtime_error("first"); };
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&first, &e);
    EXPECT_EQ(plain, "second");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_TRUE(ExceptionHandlerInstalled());
}

// The window is laid out from its font: icon and message side by side,
// the buttons in a column on the right, each text whole; its size follows
// its parts, the details below the message when asked for, within bounds.
TEST_F(ErrorWindowTest, LayoutAndAbortChoice)
{
    TfmErrorHandler2 w;
    w.adjustSize();
    w.show();
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed border";
    for (const char* name : {"laUserInfo", "im", "laDetailInfo", "bbIgnore", "bbAbort", "bbDetail"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
    QLabel* im = label(&w, "im");
    QLabel* info = label(&w, "laUserInfo");
    QLabel* details = label(&w, "laDetailInfo");
    QPushButton* ignore = button(&w, "bbIgnore");
    QPushButton* abort = button(&w, "bbAbort");
    QPushButton* detail = button(&w, "bbDetail");
    EXPECT_FALSE(im->pixmap().isNull());
    EXPECT_LE(im->geometry().right(), info->geometry().left()) << "the icon on the left of the message";
    EXPECT_LT(info->geometry().right(), ignore->geometry().left()) << "the buttons on the right";
    EXPECT_LT(ignore->geometry().bottom(), abort->geometry().top());
    EXPECT_LT(abort->geometry().bottom(), detail->geometry().top());
    EXPECT_EQ(ignore->width(), abort->width());
    EXPECT_EQ(abort->width(), detail->width());
    for (QPushButton* b : {ignore, abort, detail})
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->objectName().toStdString();
    EXPECT_GE(info->height(), info->heightForWidth(info->width())) << "the whole message shows";
    EXPECT_TRUE(w.rect().contains(detail->geometry()));
    EXPECT_FALSE(details->isVisible());
    const int before = w.height();

    w.SetDetails(QString(2000, u'x').replace(QRegularExpression("(.{40})"), "\\1 "));
    m_modal.AsFilled([&](QDialog&) {
        QTest::mouseClick(detail, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_TRUE(details->isVisible());
        EXPECT_FALSE(detail->isEnabled());
        EXPECT_GT(w.height(), before) << "long details get more room";
        EXPECT_LE(w.height(), w.fontMetrics().lineSpacing() * 30) << "within bounds: past them they scroll";
        EXPECT_GE(details->mapTo(&w, QPoint()).y(), info->geometry().bottom()) << "below the message";
        abort->click();
    });
    EXPECT_EQ(w.Run(), mrAbort);
}

TEST_F(ErrorWindowTest, TranslatedWhenTheLanguageLibraryIsThere)
{
    InstallLanguageLibrary();
    CreateAppGlobal();
    TfmErrorHandler2 w;
    EXPECT_EQ(w.windowTitle(), "Application error");
    EXPECT_EQ(button(&w, "bbIgnore")->text(), "Ignore");
    EXPECT_EQ(button(&w, "bbAbort")->text(), "&Abort");
    EXPECT_EQ(button(&w, "bbDetail")->text(), "&Details...");
    EXPECT_EQ(label(&w, "laUserInfo")->text(), "The application caused an unexpected error. You can go on or quit the program.");
}

TEST_F(ErrorWindowTest, SettingsInstallTheHandlerAndTheHints)
{
    RemoveExceptionHandler();
    CreateAppGlobal();
    EXPECT_TRUE(ExceptionHandlerInstalled());
    EXPECT_EQ(QApplication::palette("QToolTip").color(QPalette::ToolTipBase), QColor(255, 255, 192));
    EXPECT_EQ(QApplication::palette().color(QPalette::ToolTipBase), QColor(255, 255, 192));
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
}

TEST_F(ErrorWindowTest, ServiceBusyCursorAndMessageButtons)
{
    SetBusyCursor();
    SetBusyCursor();
    RestoreCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    RestoreCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "nested use ends at the normal cursor";

    m_modal.AsFilled([](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(box->button(QMessageBox::Cancel), nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(UserService().MessageDlg("Télécharger ?", TMsgDlgType::mtInformation, mbYes | mbCancel), mrYes);
}

// Every picker of the service runs its dialog through the modal runner,
// and the program stays held while the dialog is open; a cancelled picker
// answers nothing.
TEST_F(ErrorWindowTest, ThePickersRunThroughTheModalRunnerAndHoldTheProgram)
{
    std::weak_ptr<void> hold;
    int made = 0;
    struct Restore {
        TModalHold old;
        ~Restore() { SetModalHold(std::move(old)); }
    } restore{SetModalHold([&]() -> std::shared_ptr<void> {
        auto h = std::make_shared<int>(0);
        hold = h;
        ++made;
        return h;
    })};
    TUiService& service = UiService();
    TFileRequest request;
    request.caption = "Ouvrir";
    request.directory = QDir::tempPath();
    const struct {
        const char* name;
        std::function<bool()> run;
    } cases[] = {
        {"open", [&] { return !service.OpenFileName(nullptr, request).isEmpty(); }},
        {"open files", [&] { return !service.OpenFileNames(nullptr, request).isEmpty(); }},
        {"save", [&] { return !service.SaveFileName(nullptr, request).isEmpty(); }},
        {"save with a type", [&] { return !service.SaveFileAs(nullptr, request).fileName.isEmpty(); }},
        {"directory", [&] { return !service.BrowseDirectory(nullptr, "Dossier", QDir::tempPath()).isEmpty(); }},
        {"font", [&] {
             QFont font;
             return service.PickFont(nullptr, font);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool heldWhileOpen = false;
        m_modal.Reject([&](QDialog&) { heldWhileOpen = !hold.expired(); });
        EXPECT_FALSE(c.run()) << "cancelled: nothing chosen";
        EXPECT_TRUE(heldWhileOpen);
        EXPECT_TRUE(hold.expired()) << "released once the dialog has closed";
    }
    EXPECT_EQ(made, int(std::size(cases)));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(m_modal.unexpected, 0);
}

TEST_F(ErrorWindowTest, StatusTextLetsPendingEventsThrough)
{
    TGlobal& g = CreateAppGlobal();
    QLabel status;
    g.SetStatusControl(&status);
    bool ran = false;
    QMetaObject::invokeMethod(&status, [&] { ran = true; }, Qt::QueuedConnection);
    g.SetStatusText("Exécution de l'étape 1");
    EXPECT_EQ(status.text(), "Exécution de l'étape 1");
    EXPECT_TRUE(ran);
}

TEST_F(ErrorWindowTest, TabAndItemTextsOfWindowsLoseTheirMarkToo)
{
    // What the user interface installs reaches texts that are no
    // properties: a window without a language component shows them plain.
    QWidget form;
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, QStringLiteral("|Général"));
    auto* box = new QComboBox(&form);
    box->addItems({QStringLiteral("|Portrait"), QStringLiteral("Paysage")});
    LangClientLoadedOrPlain(&form);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Général"));
    EXPECT_EQ(box->itemText(0), QStringLiteral("Portrait"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("Paysage"));
}

#include "errorwindow_test.moc"
