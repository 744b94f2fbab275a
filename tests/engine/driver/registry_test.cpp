// The engine choice, the driver registry and the destination-driver lookup.

#include "pluginfixture.h"
#include "stubdriver.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destfactories.h"
#include "engine/driver/destproperties.h"
#include "engine/driver/driverclasses.h"
#include "engine/driver/dllloader.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"

#include "platform/core/inifile.h"
#include "platform/core/sharedlibrary.h"

using namespace mx;

namespace {

class TTestEngineDriver : public TStubDriver {
    MX_CLASS(TTestEngineDriver)
public:
    using TStubDriver::TStubDriver;
    static bool AcceptsEngine(const QString& name) { return name.toUpper() == u"MX32TEST"; }
};

// A built-in destination driver that counts what it made.
class TCountingDestDriver : public TIMxDestDriver {
public:
    explicit TCountingDestDriver(QStringList& log) : m_log(log) {}
    ~TCountingDestDriver() override { m_log << QStringLiteral("destroy"); }
    void Print(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void Customize(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void View(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void Export(TIMxDestProperties*, const QString&, TIMxDataset*) override {}

private:
    QStringList& m_log;
};

using mxtest::FailureOf;

} // namespace

MX_DEFINE_CLASS(TTestEngineDriver, TIMxDriver, nullptr)

class RegistryTest : public PluginTest {
protected:
    RegistryTest()
    {
        RegisterMxDriver<TTestEngineDriver>([] { return QStringLiteral("TSTDRIV.MXF"); },
            [] { return QStringLiteral("TSTDST.MXF"); });
    }
    ~RegistryTest() override
    {
        ShutdownEngine();
        UnregisterMxDriver(&TTestEngineDriver::staticClass());
        UnregisterDestDriver(QStringLiteral("MX32TEST"));
    }
    void WriteIni(const QString& text) { mxtest::WriteAll(Root() + QStringLiteral("MORVELIN.INI"), text.toUtf8()); }
};

TEST_F(RegistryTest, EngineNameFromTheCommandLineTheInstallationFileOrTheDefault)
{
    const struct {
        QStringList args;
        const char* ini;
        const char* engine;
    } cases[] = {
        {{}, "", "MX32BDE"},
        {{}, "[Config]\nDbEngine32=\n", "MX32BDE"},
        {{}, "[config]\ndbengine32 = MX32ORA\n", "MX32ORA"},
        {{QStringLiteral("-dbeng"), QStringLiteral("BDE")}, "", "MX32BDE"},
        {{QStringLiteral("-DBENG"), QStringLiteral("PG")}, "[Config]\nDbEngine32=MX32ORA\n", "MX32PG"},
    };
    for (const auto& c : cases) {
        SetArguments(c.args);
        WriteIni(QString::fromUtf8(c.ini));
        platform::IniFile::open(Root() + QStringLiteral("MORVELIN.INI"))->reload();
        EXPECT_EQ(GetEngineName(), QString::fromLatin1(c.engine)) << c.ini << c.args.join(u' ').toStdString();
    }
    // The value becomes a module name: no folders, no dots.
    for (const char* bad : {"../lib/X", "PG.so", "P G"}) {
        SetArguments({QStringLiteral("-dbeng"), QString::fromLatin1(bad)});
        EXPECT_THROW(GetEngineName(), EMxException) << bad;
    }
}

TEST_F(RegistryTest, ARegisteredClassMakesTheDriverOnceAndNamesTheFiles)
{
    SetArguments({QStringLiteral("-dbeng"), QStringLiteral("test")});
    const int loads = platform::SharedLibrary::loadAttempts();
    EXPECT_EQ(FindEngineDriverClass(), &TTestEngineDriver::staticClass());
    EXPECT_EQ(GetEngineDatasourceFileName(), QStringLiteral("TSTDRIV.MXF"));
    EXPECT_EQ(GetEngineDestFileName(), QStringLiteral("TSTDST.MXF"));
    EXPECT_EQ(DbEngine(), nullptr);
    InitDbEngine();
    TIMxDriver* driver = DbEngine();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->className(), QStringLiteral("TTestEngineDriver"));
    InitDbEngine();
    EXPECT_EQ(DbEngine(), driver);
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), loads);
}

TEST_F(RegistryTest, AnEngineLibraryGivesTheDriverAndTheFileNames)
{
    const QString file = Install(QStringLiteral("engine"), QStringLiteral("MX32ENG.so"));
    SetArguments({QStringLiteral("-dbeng"), QStringLiteral("ENG")});
    EXPECT_EQ(FindEngineDriverClass(), nullptr);
    EXPECT_EQ(GetEngineDestFileName(), QStringLiteral("TESTDST.MXF")); // loads the library
    EXPECT_EQ(GetEngineDatasourceFileName(), QStringLiteral("TESTDRV.MXF"));
    ASSERT_NE(DbEngine(), nullptr);
    EXPECT_EQ(DbEngine()->GetDescription(), QStringLiteral("Test engine"));
    EXPECT_EQ(DllLoaders().Count(), 1);
    ShutdownEngine();
    EXPECT_EQ(DbEngine(), nullptr);
    EXPECT_EQ(PluginEvents(), QStringList{QStringLiteral("driver freed")});
    EXPECT_FALSE(IsMapped(file));
}

TEST_F(RegistryTest, AnEngineLibraryThatGivesNoDriverIsAnError)
{
    Install(QStringLiteral("nullengine"), QStringLiteral("MX32NUL.so"));
    SetArguments({QStringLiteral("-dbeng"), QStringLiteral("NUL")});
    EXPECT_EQ(FailureOf([] { InitDbEngine(); }), QStringLiteral("driver not available : MX32NUL"));
    EXPECT_EQ(DbEngine(), nullptr);
    // A missing engine library: its loading error.
    ShutdownEngine();
    SetArguments({QStringLiteral("-dbeng"), QStringLiteral("NONE")});
    EXPECT_TRUE(FailureOf([] { InitDbEngine(); }).startsWith(QStringLiteral("Can not load library MX32NONE.so")));
}

TEST_F(RegistryTest, DestinationDriversComeFromFactoriesThenFromLibraries)
{
    QStringList log;
    RegisterDestDriver(QStringLiteral("MX32TEST"), [&log](const QString& dest) -> TIMxDestDriver* {
        log << QStringLiteral("factory ") + dest;
        return dest == u"Paradox" ? new TCountingDestDriver(log) : nullptr;
    });
    // The module name is found in any case; the factory's answer wins.
    for (const char* module : {"MX32TEST", "mx32test", "Mx32Test"})
        EXPECT_TRUE(GetDestDriver(QString::fromLatin1(module), QStringLiteral("Paradox"))) << module;
    EXPECT_EQ(log.count(QStringLiteral("destroy")), 3);
    EXPECT_EQ(DllLoadersIfAny() ? DllLoadersIfAny()->Count() : 0, 0);

    // No answer from the factory: the library of that module name.
    Install(QStringLiteral("dest"), QStringLiteral("MX32TEST.so"));
    std::shared_ptr<TIMxDestDriver> fromLibrary = GetDestDriver(QStringLiteral("MX32TEST"), QStringLiteral("Texte"));
    EXPECT_TRUE(fromLibrary);
    EXPECT_EQ(log.last(), QStringLiteral("factory Texte"));
    ASSERT_EQ(DllLoaders().Count(), 1);
    auto* loader = dynamic_cast<TMxDestDllLoader*>(DllLoaders().GetItem(0));
    ASSERT_NE(loader, nullptr);
    // Once loaded the library is asked again without a second loader.
    EXPECT_EQ(GetDestDriver(QStringLiteral("MX32TEST.DLL"), QStringLiteral("Unknown")), nullptr);
    EXPECT_EQ(DllLoaders().Count(), 1);
}

TEST_F(RegistryTest, ShutdownFreesWhatLibrariesMadeBeforeUnloadingThem)
{
    const QString engine = Install(QStringLiteral("engine"), QStringLiteral("MX32ENG.so"));
    SetArguments({QStringLiteral("-dbeng"), QStringLiteral("ENG")});
    InitDbEngine();
    // A destination type of the engine library, and a query destination
    // holding settings its driver made.
    auto* global = new TMxQueryGlobal(nullptr);
    (void)global;
    TDestinationItem* type = DestinationTypes()->AddNew();
    type->SetName(QStringLiteral("Paradox"));
    type->SetOutput(doTable);
    type->SetExtension(QStringLiteral("DB"));
    type->SetDllName(QStringLiteral("MX32ENG"));
    TQueryDestinationList* destinations = DestinationTypes()->CreateQueryDestinations(nullptr);
    destinations->GetItem(0)->GetDestinationType();
    ASSERT_NE(destinations->GetItem(0)->Settings(), nullptr);
    ASSERT_TRUE(IsMapped(engine));

    ShutdownEngine();
    EXPECT_EQ(PluginEvents(),
        (QStringList{QStringLiteral("FreeProperties"), QStringLiteral("destroy Paradox"), QStringLiteral("driver freed")}));
    EXPECT_FALSE(IsMapped(engine));
    // The query outlived the engine: freeing it now runs no library code.
    EXPECT_EQ(destinations->GetItem(0)->Settings(), nullptr);
    destinations->Free();
}
