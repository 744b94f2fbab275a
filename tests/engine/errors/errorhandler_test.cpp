#include "tests/engine/settings/settingsfixture.h"

#include "engine/errors/errorhandler.h"

#include <QProcess>

#include <stdexcept>

using namespace mx;

namespace {

class Button : public QObject {
    Q_OBJECT
};

class ErrorHandler : public mxtest::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        InstallExceptionHandler();
    }
    void TearDown() override
    {
        RemoveExceptionHandler();
        SettingsTest::TearDown();
    }
};

// A service whose error window runs a routine while it is "open".
class ReentrantService : public TRecordingUserService {
public:
    std::function<void()> whileOpen;
    int ErrorWindow(const QString& caption, const QString& details) override
    {
        const int r = TRecordingUserService::ErrorWindow(caption, details);
        if (whileOpen)
            whileOpen();
        return r;
    }
};

} // namespace

TEST_F(ErrorHandler, KindsOfException)
{
    Button button;
    HandleException(&button, EAbort("silent"));
    EXPECT_TRUE(m_service.messages.isEmpty());
    EXPECT_TRUE(m_service.errorWindows.isEmpty());

    HandleException(&button, EMxAbort("Le modèle est verrouillé"));
    HandleException(&button, EMxFileNotFound("Fichier absent"));
    ASSERT_EQ(m_service.messages, QStringList({"Le modèle est verrouillé", "Fichier absent"}));
    EXPECT_EQ(m_service.messageTypes, QList<TMsgDlgType>({TMsgDlgType::mtWarning, TMsgDlgType::mtWarning}));
    EXPECT_TRUE(m_service.errorWindows.isEmpty());

    HandleException(&button, std::runtime_error("boom"));
    HandleException(QString(), EConvertError("'x' is not a valid integer value"));
    ASSERT_EQ(m_service.errorWindows.size(), 2) << "after Ignore the next error shows the window again";
    EXPECT_EQ(m_service.errorWindows[0],
        "Erreur de l'application: Un objet de classe Button a déclenché l'erreur suivante (std::runtime_error): boom");
    EXPECT_EQ(m_service.errorWindows[1], "Erreur de l'application: 'x' is not a valid integer value");
    EXPECT_TRUE(ExceptionHandlerInstalled());
}

TEST_F(ErrorHandler, TranslatedDetailsAndCaption)
{
    InstallLanguageLibrary();
    CreateAppGlobal();
    Button button;
    HandleException(&button, EListError("List index out of bounds (3)"));
    ASSERT_EQ(m_service.errorWindows.size(), 1);
    EXPECT_EQ(m_service.errorWindows[0],
        "Application error: An object of class Button raised the following error (EListError): List index out of bounds (3)");
}

TEST_F(ErrorHandler, OutOfServiceWhileItsWindowIsOpen)
{
    ReentrantService s;
    ScopedUserService scope(&s);
    s.whileOpen = [&] {
        EXPECT_FALSE(ExceptionHandlerInstalled());
        HandleException(nullptr, std::logic_error("second"));
    };
    HandleException(nullptr, std::runtime_error("first"));
    EXPECT_EQ(s.errorWindows.size(), 1);
    EXPECT_EQ(s.messages, QStringList({"second"}));
    EXPECT_EQ(s.messageTypes, QList<TMsgDlgType>({TMsgDlgType::mtError}));
    EXPECT_TRUE(ExceptionHandlerInstalled());

    // Before the handler is installed: a plain error box too.
    RemoveExceptionHandler();
    HandleException(nullptr, std::runtime_error("early"));
    EXPECT_EQ(s.messages.last(), "early");
    EXPECT_EQ(s.errorWindows.size(), 1);
}

TEST_F(ErrorHandler, AFailingWindowFallsBackToAPlainBox)
{
    class Failing : public TRecordingUserService {
    public:
        int ErrorWindow(const QString&, const QString&) override { throw Exception("There is no Lang component available to perform translation"); }
    } s;
    ScopedUserService scope(&s);
    HandleException(nullptr, std::runtime_error("boom"));
    EXPECT_EQ(s.messages, QStringList({"boom"}));
    EXPECT_TRUE(ExceptionHandlerInstalled()) << "the handler is back in service";
}

TEST_F(ErrorHandler, GuardCatchesEverything)
{
    Button button;
    EXPECT_TRUE(Guard(&button, [] {}));
    EXPECT_FALSE(Guard(&button, [] { throw std::out_of_range("index"); }));
    EXPECT_FALSE(Guard(nullptr, [] { throw 42; }));
    EXPECT_FALSE(Guard(nullptr, [] { throw EAbort("cancelled"); }));
    ASSERT_EQ(m_service.errorWindows.size(), 2);
    EXPECT_TRUE(m_service.errorWindows[0].endsWith("(std::out_of_range): index"));
    EXPECT_EQ(m_service.errorWindows[1], "Erreur de l'application: Unknown exception");
    HandleCurrentException(nullptr); // outside a catch: nothing
    EXPECT_EQ(m_service.errorWindows.size(), 2);
}

TEST_F(ErrorHandler, AbortRunsTheShutdownListAndEndsWithCodeOne)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MORVELIN_WINDIR", Path("win"));
    env.insert("MORVELIN_REGISTRY", Path("registry.ini"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MX_TEST_PROBE), {"abort", "/q/sales.mqr"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1) << out.toStdString() << p.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("errorwindow=Erreur de l'application: Un objet de classe QPushButton a déclenché l'erreur suivante (std::runtime_error): boom"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("exitproc=ran"));
    EXPECT_FALSE(out.contains("returned"));
    auto ini = OpenUserIni();
    ini->reload();
    EXPECT_EQ(ini->readString("History_10", "0"), "/q/sales.mqr");
    EXPECT_EQ(ini->readInteger("Options", "MRUsize", 0), 3);
}

#include "errorhandler_test.moc"
