// The about box, the splash at start, help pages and hints.

#include "dialogstest.h"

#include "ui/dialogs/about.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/logindialog.h"
#include "ui/dialogs/logo.h"
#include "ui/dialogs/splash.h"

#include "ui/services/helpsystem.h"
#include "ui/errorwindow/uiservice.h"
#include "ui/services/hints.h"

#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"
#include "engine/tools/hooks.h"
#include "engine/tools/installation.h"
#include "engine/core/file.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBrowser>
#include <QWindow>

using namespace mx;
using namespace mx::ui;

namespace {

class AboutTest : public mxtest::DialogsTest {};

TEST_F(AboutTest, ShowsTheVersionTheLibrariesAndOpensTheLinks)
{
    TfmAbout about;
    about.Fill({{QStringLiteral("MX32PG"), QStringLiteral("1.2"), QStringLiteral("Pilote PostgreSQL")},
        {QStringLiteral("MXDEST"), QStringLiteral("2.0"), QStringLiteral("Destinations fichiers")}});
    EXPECT_EQ(about.objectName(), QStringLiteral("fmAbout"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("A propos"));
    EXPECT_EQ(test::Child<QPlainTextEdit>(about, "mo")->toPlainText().split(u'\n'),
        (QStringList{QStringLiteral("MX32PG v1.2"), QStringLiteral("Pilote PostgreSQL"), QString(), QStringLiteral("MXDEST v2.0"),
            QStringLiteral("Destinations fichiers"), QString()}));
    EXPECT_EQ(test::Child<QLabel>(about, "laVersion")->text(), QStringLiteral("Version 1.0.17"));
    EXPECT_EQ(test::Child<QLabel>(about, "laDate")->text(), QStringLiteral("26/04/1998"));
    EXPECT_TRUE(test::Child<QPlainTextEdit>(about, "mo")->isReadOnly());
    about.show();
    QTest::mouseClick(test::Child<QLabel>(about, "laWebLink"), Qt::LeftButton);
    QTest::mouseClick(test::Child<QLabel>(about, "imProgramIcon"), Qt::LeftButton);
    EXPECT_EQ(ui().texts(QStringLiteral("url")), (QStringList{MakerAddresses().home, MakerAddresses().product}));

    // The box of the program, shown modally and closed with Esc.
    QString shown;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        shown = w->objectName();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    ShowAboutBox();
    EXPECT_EQ(shown, QStringLiteral("fmAbout"));
}

class SplashTest : public mxtest::DialogsTest {
protected:
    void SetUp() override
    {
        DialogsTest::SetUp();
        m_delay = std::make_unique<ScopedHook<decltype(SplashDelay)>>(SplashDelay, [this](int ms) {
            m_delays << ms;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == u"fmSplash" && w->isVisible()) {
                    m_splash = w->geometry();
                    // The logo is on the screen before the wait begins.
                    const auto* splash = static_cast<TfmSplash*>(w);
                    m_paintedBeforeWait = splash->PaintCount() > 0 && w->windowHandle() && w->windowHandle()->isExposed();
                }
        });
    }
    void TearDown() override
    {
        m_delay.reset();
        DialogsTest::TearDown();
    }
    QList<int> m_delays;
    QRect m_splash;
    bool m_paintedBeforeWait = false;
    std::unique_ptr<ScopedHook<decltype(SplashDelay)>> m_delay;
};

TEST_F(SplashTest, TheLogoIsShownCentredAtItsSizePlusTheFrameThenWaited)
{
    QDir().mkpath(Path(QStringLiteral("root")));
    const QImage logo = DrawLogo(QStringLiteral("Fr"));
    ASSERT_TRUE(logo.save(Path(QStringLiteral("root/LOGOFr.BMP")), "BMP"));
    const QSize size = ShowSplash(Path(QStringLiteral("root")), QStringLiteral("Fr"), QStringLiteral("Morvelin"));
    EXPECT_EQ(size, logo.size() + QSize(2, 2));
    EXPECT_EQ(m_delays, QList<int>{3000});
    EXPECT_TRUE(m_paintedBeforeWait);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(m_splash.size(), size);
    EXPECT_EQ(m_splash.topLeft(), QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->objectName() == u"fmSplash" && w->isVisible()) << "closed after the wait";

    // No picture of that language, or no root folder: nothing, no wait.
    m_delays.clear();
    EXPECT_EQ(ShowSplash(Path(QStringLiteral("root")), QStringLiteral("En"), QString()), QSize());
    EXPECT_EQ(ShowSplash(QString(), QStringLiteral("Fr"), QString()), QSize());
    EXPECT_TRUE(m_delays.isEmpty());
}

// The start-up with the programs' dialogs, over a root made of the build's
// definition files and splash pictures.
class StartupSplashTest : public SplashTest {
protected:
    void SetUp() override
    {
        SplashTest::SetUp();
        QDir().mkpath(Path(QStringLiteral("root")));
        const QDir bin(qEnvironmentVariable("MORVELIN_BIN"));
        for (const QString& f : bin.entryList({QStringLiteral("*.MXF"), QStringLiteral("*.BMP")}, QDir::Files))
            QFile::copy(bin.filePath(f), Path(QStringLiteral("root/") + f));
        mxtest::WriteAll(Path(QStringLiteral("win/MORVELIN.INI")), "[Options]\nLang=Francais\n");
        const QString root = Path(QStringLiteral("root"));
        RootDirOverride.set([root] { return root; });
        ResetRootDir();
        InstallDialogs();
    }
    void TearDown() override
    {
        ShowSplashHook.clear();
        LoginPromptHook.clear();
        PromptStringHook.clear();
        PromptStringSimpleHook.clear();
        LocateFileHook.clear();
        FreeAppGlobal();
        ShutdownEngine();
        RootDirOverride.clear();
        ResetRootDir();
        ResetStartParams();
        ClearCommandLineArguments();
        SplashTest::TearDown();
    }
};

TEST_F(StartupSplashTest, QuietSwitchesSkipTheSplashAndItsWait)
{
    struct Case {
        QStringList args;
        int delays;
    };
    const Case cases[] = {
        {{}, 1},
        {{QStringLiteral("/NOSPLASH")}, 0},
        {{QStringLiteral("/SRV")}, 0},
        {{QStringLiteral("/regserver")}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        m_delays.clear();
        SetCommandLineArguments(c.args);
        ResetStartParams();
        ASSERT_TRUE(InitApplication(QStringLiteral("Morvelin")));
        EXPECT_EQ(m_delays.size(), c.delays);
        EXPECT_TRUE(ui().requests.isEmpty());
        FreeAppGlobal();
        ShutdownEngine();
    }
    // Nobody watching: no splash either.
    InteractivePlatformOverride.set([] { return false; });
    m_delays.clear();
    SetCommandLineArguments({});
    ResetStartParams();
    ASSERT_TRUE(InitApplication(QStringLiteral("Morvelin")));
    EXPECT_TRUE(m_delays.isEmpty());
}

TEST_F(StartupSplashTest, HelpPagesByContextWithTheContentsAsFallback)
{
    const QString bin = qEnvironmentVariable("MORVELIN_BIN");
    const QString help = bin + QStringLiteral("/MorveFr.HLP");
    EXPECT_EQ(HelpFolder(help), bin + QStringLiteral("/MorveFr"));
    // Every context the built windows use has its page, in both programs
    // and both languages.
    for (const char* program : {"Morve", "MorvA"})
        for (const char* lang : {"Fr", "En"})
            for (int context : {2, 3, 7, 16}) {
                const QString file = bin + u'/' + QString::fromLatin1(program) + QString::fromLatin1(lang) + QStringLiteral(".HLP");
                EXPECT_EQ(HelpPage(file, context), HelpFolder(file) + u'/' + QString::number(context) + QStringLiteral(".html"))
                    << file.toStdString() << " " << context;
            }
    EXPECT_EQ(HelpPage(help, 9999), bin + QStringLiteral("/MorveFr/index.html"));
    EXPECT_EQ(HelpPage(help, 0), bin + QStringLiteral("/MorveFr/index.html"));
    EXPECT_EQ(HelpPage(Path(QStringLiteral("nulle/part.HLP")), 16), QString());

    // The login's help button opens the login's page in the help window.
    ASSERT_TRUE(InitApplication(QStringLiteral("Morvelin")));
    AppGlobal()->SetHelpFile(help);
    TWidgetUserService widgets; // the real service: the help window itself
    ScopedUserService scope(&widgets);
    TfmPassword login;
    login.show();
    QTest::mouseClick(test::Child<QPushButton>(login, "btHelp"), Qt::LeftButton);
    QWidget* window = HelpWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->objectName(), QStringLiteral("fmHelp"));
    auto* browser = window->findChild<QTextBrowser*>(QStringLiteral("tbPage"));
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->source().toLocalFile(), bin + QStringLiteral("/MorveFr/16.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Mot de passe")));
    window->close();
}

TEST(Hints, ShortPartAsToolTipLongPartInTheStatusPanel)
{
    EXPECT_EQ(GetShortHint(QStringLiteral("Ouvrir|Ouvrir une requête")), QStringLiteral("Ouvrir"));
    EXPECT_EQ(GetLongHint(QStringLiteral("Ouvrir|Ouvrir une requête")), QStringLiteral("Ouvrir une requête"));
    EXPECT_EQ(GetShortHint(QStringLiteral("Exécuter")), QStringLiteral("Exécuter"));
    EXPECT_EQ(GetLongHint(QStringLiteral("Exécuter")), QStringLiteral("Exécuter"));
    EXPECT_EQ(GetShortHint(QStringLiteral("|*Exécuter")), QString());

    QWidget window;
    auto* button = new QPushButton(&window);
    auto* other = new QPushButton(&window);
    auto* panel = new QLabel(&window);
    button->setToolTip(QStringLiteral("Ouvrir|Ouvrir une requête"));
    SetHint(other, QStringLiteral("Grand|*Grand bouton"));
    ApplyHints(&window);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Ouvrir"));
    EXPECT_EQ(button->statusTip(), QStringLiteral("Ouvrir une requête"));
    EXPECT_EQ(other->toolTip(), QStringLiteral("Grand"));
    new TStatusHints(&window, panel);
    QStatusTipEvent tip(button->statusTip());
    QApplication::sendEvent(button, &tip);
    EXPECT_EQ(panel->text(), QStringLiteral(" Ouvrir une requête"));
    QStatusTipEvent star(other->statusTip());
    QApplication::sendEvent(other, &star);
    EXPECT_EQ(panel->text(), QStringLiteral(" Ouvrir une requête")) << "a tip beginning with * stays out of the panel";
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(button, &none);
    EXPECT_EQ(panel->text(), QString());
}

} // namespace
