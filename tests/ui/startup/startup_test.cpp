// The shared start-up routine on the offscreen platform: what it brings
// up, how it fails, and the choice of the platform without a display.

#include "tests/ui/uitest.h"

#include "startup/startup.h"

#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/global.h"

#include "platform/core/systempaths.h"

#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <optional>

using namespace mx;

namespace {

// Sets or removes environment variables for the life of the guard.
class Env {
public:
    void set(const char* name, const std::optional<QByteArray>& value)
    {
        m_saved.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~Env()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                qputenv(it->first, *it->second);
            else
                qunsetenv(it->first);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

class StartupTest : public mxtest::EngineTest {
protected:
    StartupTest()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("root"));
        QDir(m_dir.path()).mkpath(QStringLiteral("user"));
        const QDir bin(qEnvironmentVariable("MORVELIN_BIN"));
        for (const QString& f : bin.entryList({QStringLiteral("*.MXF")}, QDir::Files))
            QFile::copy(bin.filePath(f), Path(QStringLiteral("root/") + f));
        mxtest::WriteAll(Path(QStringLiteral("user/MORVELIN.INI")), "[Options]\nPrivateQueryPath=/srv/requetes/\nLang=English\n");
        m_env.set("MORVELIN_WINDIR", Path(QStringLiteral("user")).toUtf8());
        const QString root = Path(QStringLiteral("root"));
        RootDirOverride.set([root] { return root; });
    }
    ~StartupTest() override
    {
        FreeAppGlobal();
        ShutdownEngine();
        RootDirOverride.clear();
        QDir::setCurrent(m_dir.path());
    }
    // Messages and errors shown, whatever their kind.
    QStringList Shown() const { return m_service.messages + m_service.exceptions + m_service.errorWindows; }

    Env m_env;
};

} // namespace

TEST_F(StartupTest, BringsUpTheSettingsTheDefinitionListsAndThePrivateFolder)
{
    int splashes = 0;
    ScopedHook splash(ShowSplashHook, [&](const QString&) { ++splashes; });
    ASSERT_TRUE(InitApplication(QStringLiteral("Morvelin"))) << Shown().join(u'\n').toStdString();
    EXPECT_TRUE(Shown().isEmpty()) << Shown().join(u'\n').toStdString();
    ASSERT_NE(AppGlobal(), nullptr);
    ASSERT_NE(QueryGlobal(), nullptr);
    EXPECT_GT(QueryGlobal()->FldTypes()->Count(), 0);
    EXPECT_GT(QueryGlobal()->FormulaOperator()->Count(), 0);
    QStringList types;
    for (TMxItem* t : *DestinationTypes())
        types << t->Name();
    EXPECT_EQ(types, (QStringList{"Paradox", "dBASE", "Texte", "ReportSmith", "Rapport"}));
    EXPECT_NE(Datasources()->FindDatasource(QStringLiteral("STANDARD")), nullptr);
    EXPECT_EQ(QueryGlobal()->PrivateQueryPath(), QStringLiteral("/srv/requetes/"));
    EXPECT_EQ(AppGlobal()->HelpFile(),
        HelpFileName(platform::programDirectory(), QStringLiteral("Morvelin"), AppGlobal()->LangCode()));
    EXPECT_TRUE(AppGlobal()->HelpFile().endsWith(QStringLiteral("/MorveEn.HLP"))) << AppGlobal()->HelpFile().toStdString();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Morvelin"));
    EXPECT_FALSE(qobject_cast<QGuiApplication*>(QCoreApplication::instance())->quitOnLastWindowClosed())
        << "an error box closed before any window must not end the program";
    EXPECT_EQ(splashes, 0) << "nothing is shown on a platform nobody sees";
}

TEST_F(StartupTest, AFailingStepIsShownOnceAndAnAbortSilently)
{
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* shown; // empty: nothing shown
    };
    const Case cases[] = {
        {"a missing definition file", [this] { QFile::remove(Path(QStringLiteral("root/FLDTYPES.MXF"))); }, "FLDTYPES.MXF"},
        {"an abort", [] { ApplicationSetupHook.set([] { throw EAbort(QStringLiteral("Operation aborted")); }); }, ""},
        {"an error", [] { ApplicationSetupHook.set([] { throw std::runtime_error("pas de réglages"); }); }, "pas de réglages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedHook setup(ApplicationSetupHook, nullptr);
        m_service.messages.clear();
        c.prepare();
        EXPECT_FALSE(InitApplication(QStringLiteral("Morvelin")));
        if (*c.shown) {
            ASSERT_EQ(m_service.messages.size(), 1) << m_service.messages.join(u'\n').toStdString();
            EXPECT_TRUE(m_service.messages[0].contains(QString::fromUtf8(c.shown))) << m_service.messages[0].toStdString();
            EXPECT_EQ(m_service.messageTypes[0], TMsgDlgType::mtError);
        } else {
            EXPECT_TRUE(m_service.messages.isEmpty()) << m_service.messages.join(u'\n').toStdString();
        }
        FreeAppGlobal();
        ShutdownEngine();
    }
}

TEST(HeadlessPlatform, OffscreenOnlyWhenNothingCanShowAWindow)
{
    struct Case {
        std::optional<QByteArray> platform, display, wayland;
        bool chosen;
        QByteArray result;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, true, "offscreen"},
        {QByteArray(), QByteArray(), QByteArray(), true, "offscreen"},
        {std::nullopt, QByteArray(":0"), std::nullopt, false, ""},
        {std::nullopt, std::nullopt, QByteArray("wayland-0"), false, ""},
        {QByteArray("xcb"), std::nullopt, std::nullopt, false, "xcb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform.value_or("-").constData() << " " << c.display.value_or("-").constData()
                                        << " " << c.wayland.value_or("-").constData());
        Env env;
        env.set("QT_QPA_PLATFORM", c.platform);
        env.set("DISPLAY", c.display);
        env.set("WAYLAND_DISPLAY", c.wayland);
        EXPECT_EQ(ChooseHeadlessPlatform(), c.chosen);
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), c.result);
    }
    EXPECT_FALSE(IsInteractivePlatform()) << "the tests run offscreen";
}

TEST(HeadlessPlatform, HelpFileNames)
{
    EXPECT_EQ(HelpFileName(QStringLiteral("/opt/morvelin"), QStringLiteral("Morvelin"), QStringLiteral("En")),
        QStringLiteral("/opt/morvelin/MorveEn.HLP"));
    EXPECT_EQ(HelpFileName(QStringLiteral("/opt/morvelin/"), QStringLiteral("MorvAdm"), QStringLiteral("Fr")),
        QStringLiteral("/opt/morvelin/MorvAFr.HLP"));
    EXPECT_EQ(HelpFileName(QString(), QStringLiteral("Mo"), QString()), QStringLiteral("Mo.HLP"));
}
