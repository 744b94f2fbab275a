// Plug-in loaders over the real test libraries.

#include "pluginfixture.h"

#include "engine/core/exceptions.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/dllloader.h"

#include "platform/core/sharedlibrary.h"

using namespace mx;

namespace {

QString pluginLog(const TDllLoader* loader)
{
    auto fn = reinterpret_cast<const char* (*)()>(loader->GetProc("TestPluginLog"));
    return QString::fromUtf8(fn());
}

template <class Loader>
Loader* newLoader(const QString& name)
{
    auto* loader = new Loader(&DllLoaders());
    loader->SetName(name);
    return loader;
}

using mxtest::FailureOf;

} // namespace

TEST(PluginNames, ModuleNamesStandForSharedObjects)
{
    const struct {
        const char* module;
        const char* file;
    } cases[] = {
        {"MX32BDE", "MX32BDE.so"},
        {"MX32BDE.DLL", "MX32BDE.so"},
        {"mx32bde.dll", "mx32bde.so"},
        {"MX32BDE.so", "MX32BDE.so"},
        {"/opt/my.dir/MX32PG", "/opt/my.dir/MX32PG.so"},
        {"/opt/my.dir/MX32PG.DLL", "/opt/my.dir/MX32PG.so"},
        {"plugin.bin", "plugin.bin"},
        {"", ""},
        {".DLL", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PluginModuleFileName(QString::fromUtf8(c.module)), QString::fromUtf8(c.file)) << c.module;
}

TEST_F(PluginTest, BareNameLoadsFromTheRootAndIsFoundUnderEachSpelling)
{
    const QString file = Install(QStringLiteral("dest"), QStringLiteral("MX32DST.so"));
    auto* loader = newLoader<TMxDestDllLoader>(QStringLiteral("MX32DST"));
    loader->Load();
    EXPECT_EQ(loader->GetName(), QStringLiteral("MX32DST.so"));
    EXPECT_EQ(loader->FileName(), file);
    EXPECT_EQ(loader->GetDllName(), QStringLiteral("Test plug-in"));
    EXPECT_EQ(loader->GetDllVersion(), QStringLiteral("2.5"));
    EXPECT_EQ(loader->GetDllDescription(), QStringLiteral("Destinations d'essai"));
    for (const char* spelling : {"MX32DST", "MX32DST.DLL", "MX32DST.dll", "MX32DST.so"})
        EXPECT_EQ(DllLoaders().FindLoader(QString::fromLatin1(spelling)), loader) << spelling;
    EXPECT_EQ(DllLoaders().FindLoader(QStringLiteral("mx32dst")), nullptr); // file names keep their case
    EXPECT_EQ(DllLoaders().FindLoader(QStringLiteral("MX32OTHER")), nullptr);

    std::shared_ptr<TIMxDestDriver> driver = loader->GetDestDriver(QStringLiteral("Paradox"));
    ASSERT_TRUE(driver);
    EXPECT_EQ(loader->GetDestDriver(QStringLiteral("Unknown")), nullptr);
    EXPECT_EQ(pluginLog(loader), QStringLiteral("MxGetDestDriver Paradox\ncreate Paradox\nMxGetDestDriver Unknown\n"));
}

TEST_F(PluginTest, NameWithAFolderLoadsFromThatFolder)
{
    const QString elsewhere = m_dir.path() + QStringLiteral("/elsewhere.d/");
    const QString file = Install(QStringLiteral("dest"), QStringLiteral("MX32DST.so"), elsewhere);
    auto* loader = newLoader<TMxDllLoader>(elsewhere + QStringLiteral("MX32DST.DLL"));
    loader->Load();
    EXPECT_EQ(loader->FileName(), file);
    EXPECT_EQ(DllLoaders().FindLoader(elsewhere + QStringLiteral("MX32DST")), loader);
    // The root folder has no such library: a bare name is not this one.
    EXPECT_EQ(DllLoaders().FindLoader(QStringLiteral("MX32DST")), nullptr);
}

TEST_F(PluginTest, AMissingLibraryKeepsItsErrorForLaterCalls)
{
    auto* loader = newLoader<TMxDestDllLoader>(QStringLiteral("MX32NONE"));
    const QString first = FailureOf([&] { loader->Load(); });
    EXPECT_TRUE(first.startsWith(QStringLiteral("Can not load library MX32NONE.so\nExit code="))) << first.toStdString();
    EXPECT_FALSE(loader->Loaded());
    EXPECT_EQ(loader->LoadError(), first);
    EXPECT_EQ(loader->GetDllName(), QString()); // description getters answer empty
    const QString later = FailureOf([&] { loader->GetDestDriver(QStringLiteral("Paradox")); });
    EXPECT_EQ(later, QStringLiteral("Function not initialized : MxDestDriver\n") + first);
}

TEST_F(PluginTest, ALibraryWithoutItsLanguageExportCannotBeUsed)
{
    Install(QStringLiteral("nolang"), QStringLiteral("MX32NOL.so"));
    auto* loader = newLoader<TMxDestDllLoader>(QStringLiteral("MX32NOL.DLL"));
    EXPECT_EQ(FailureOf([&] { loader->Load(); }), QStringLiteral("Proc MxDllLanguage not found in module MX32NOL.so"));
    EXPECT_EQ(loader->GetDllName(), QStringLiteral("Test plug-in")); // bound before the failure
    EXPECT_TRUE(FailureOf([&] { loader->GetDestDriver(QStringLiteral("Paradox")); })
                    .startsWith(QStringLiteral("Function not initialized : MxDestDriver\nProc MxDllLanguage")));
}

TEST_F(PluginTest, ASecondEngineLibraryIsRefused)
{
    Install(QStringLiteral("engine"), QStringLiteral("MX32ENG.so"));
    Install(QStringLiteral("engine"), QStringLiteral("MX32ENG2.so"));
    auto* first = newLoader<TMxDBEngDllLoader>(QStringLiteral("MX32ENG"));
    first->Load();
    EXPECT_EQ(first->GetDestFileName(), QStringLiteral("TESTDST.MXF"));
    EXPECT_EQ(first->GetDatasourceFileName(), QStringLiteral("TESTDRV.MXF"));
    EXPECT_EQ(FailureOf([] { newLoader<TMxDBEngDllLoader>(QStringLiteral("MX32ENG2")); }),
        QStringLiteral("Try to load more than one database driver"));
    EXPECT_EQ(DllLoaders().Count(), 1);
    EXPECT_EQ(TMxDBEngDllLoader::Instance(), first);
    first->Free();
    EXPECT_EQ(TMxDBEngDllLoader::Instance(), nullptr);
    newLoader<TMxDBEngDllLoader>(QStringLiteral("MX32ENG2"))->Load(); // once the first is gone
}

TEST_F(PluginTest, ALibraryStaysLoadedWhileAnObjectOfItLives)
{
    const QString file = Install(QStringLiteral("dest"), QStringLiteral("MX32DST.so"));
    auto* loader = newLoader<TMxDestDllLoader>(QStringLiteral("MX32DST"));
    loader->Load();
    std::shared_ptr<TIMxDestDriver> driver = loader->GetDestDriver(QStringLiteral("dBASE"));
    ASSERT_TRUE(IsMapped(file));
    FreeDllLoaders();
    EXPECT_TRUE(IsMapped(file)) << "unloaded under a live driver";
    driver.reset(); // its destructor is the library's code
    EXPECT_EQ(PluginEvents(), QStringList{QStringLiteral("destroy dBASE")});
    EXPECT_FALSE(IsMapped(file));
}

TEST_F(PluginTest, WithoutAnInstallationFolderNoLibraryIsOpened)
{
    mx::ScopedHook<mx::THookSlot<QString()>> noRoot(RootDirOverride, [] { return QString(); });
    const int attempts = platform::SharedLibrary::loadAttempts();
    auto* loader = newLoader<TMxDllLoader>(QStringLiteral("MX32DST"));
    EXPECT_EQ(FailureOf([&] { loader->Load(); }),
        QStringLiteral("Can not load library MX32DST.so\nExit code=no installation folder"));
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), attempts);
}
