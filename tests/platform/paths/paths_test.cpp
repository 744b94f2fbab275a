#include "tests/support/testsupport.h"

#include "platform/core/registry.h"
#include "platform/core/sharedlibrary.h"
#include "platform/core/systempaths.h"

#include <QDir>
#include <QFile>

using Env = mxtest::ScopedEnv;

TEST(SystemPaths, UserSettingsFolder)
{
    QTemporaryDir dir;
    {
        Env w("MORVELIN_WINDIR", dir.filePath("win").toLocal8Bit());
        EXPECT_EQ(platform::windowsDirectory(), dir.filePath("win"));
        EXPECT_FALSE(QDir(dir.filePath("win")).exists()) << "not created by asking";
    }
    {
        Env w("MORVELIN_WINDIR", QByteArray());
        Env x("XDG_CONFIG_HOME", dir.filePath("xdg").toLocal8Bit());
        EXPECT_EQ(platform::windowsDirectory(), dir.filePath("xdg/morvelin"));
    }
    {
        Env w("MORVELIN_WINDIR", QByteArray());
        Env x("XDG_CONFIG_HOME", QByteArray());
        EXPECT_EQ(platform::windowsDirectory(), QDir::homePath() + "/.config/morvelin");
    }
}

TEST(SystemPaths, ProgramAndLaunchFolders)
{
    const QString exe = platform::programFilePath();
    EXPECT_TRUE(QFileInfo(exe).isExecutable()) << exe.toStdString();
    EXPECT_EQ(platform::programDirectory(), QFileInfo(exe).absolutePath());
    const QString launch = platform::launchDirectory();
    const QString before = QDir::currentPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    EXPECT_EQ(platform::launchDirectory(), launch) << "the launch folder does not follow the working directory";
    QDir::setCurrent(before);
}

TEST(Registry, ReadOnlyFileOfKeysAndValues)
{
    QTemporaryDir dir;
    Env r("MORVELIN_REGISTRY", dir.filePath("registry.ini").toLocal8Bit());
    EXPECT_EQ(platform::registry::fileName(), dir.filePath("registry.ini"));
    EXPECT_EQ(platform::registry::readString("HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\1.0", "RootDir", "none"), "none")
        << "a missing file is an empty registry";
    mxtest::WriteAll(dir.filePath("registry.ini"), "[HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\1.0]\nRootDir=/opt/morvelin\n");
    EXPECT_EQ(platform::registry::readString("hkey_local_machine\\software\\brenwick\\morvelin\\1.0", "rootdir"), "/opt/morvelin");
    EXPECT_EQ(platform::registry::readString("HKEY_LOCAL_MACHINE/Software/Brenwick/Morvelin/1.0/", "RootDir"), "/opt/morvelin");
    EXPECT_TRUE(platform::registry::valueExists("HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\1.0", "RootDir"));
    EXPECT_FALSE(platform::registry::valueExists("HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\2.0", "RootDir"));
    {
        Env r2("MORVELIN_REGISTRY", QByteArray());
        EXPECT_EQ(platform::registry::fileName(), "/etc/morvelin/registry.ini");
    }
}

TEST(SharedLibrary, LoadsOnlyAbsoluteNamesOfExistingFiles)
{
    QTemporaryDir dir;
    const int before = platform::SharedLibrary::loadAttempts();
    for (const QString& name : {QString(), QStringLiteral("libc.so.6"), QStringLiteral("MXTR32.so"), dir.filePath("missing.so")}) {
        QString why;
        EXPECT_EQ(platform::SharedLibrary::load(name, &why), nullptr) << name.toStdString();
        EXPECT_FALSE(why.isEmpty());
    }
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), before) << "the loader was never asked";

    mxtest::WriteAll(dir.filePath("broken.so"), "not a library");
    QString why;
    EXPECT_EQ(platform::SharedLibrary::load(dir.filePath("broken.so"), &why), nullptr);
    EXPECT_EQ(platform::SharedLibrary::loadAttempts(), before + 1);

    // A real library, by its absolute name.
    const QString libc = QStringLiteral("/lib/x86_64-linux-gnu/libc.so.6");
    if (QFile::exists(libc)) {
        auto lib = platform::SharedLibrary::load(libc);
        ASSERT_NE(lib, nullptr);
        EXPECT_NE(lib->symbol("strlen"), nullptr);
        EXPECT_EQ(lib->symbol("no_such_symbol_here"), nullptr);
    }
}

TEST(SharedLibrary, PluginFileNames)
{
    EXPECT_EQ(platform::SharedLibrary::pluginFileName("MXTR32.DLL"), "MXTR32.so");
    EXPECT_EQ(platform::SharedLibrary::pluginFileName("mx32bde.dll"), "mx32bde.so");
    EXPECT_EQ(platform::SharedLibrary::pluginFileName("MX32BDE"), "MX32BDE.so");
    EXPECT_EQ(platform::SharedLibrary::pluginFileName("MXTR32.so"), "MXTR32.so");
    EXPECT_EQ(platform::SharedLibrary::pluginFileName(""), "");
}
