#pragma once
// A scratch world for the settings: the user's settings folder, a registry
// file and an installation folder (with OPER.MXF) in a temporary folder,
// never the real home. The command line is replaced, and every process-wide
// object of the settings is freed again after the test.

#include "tests/support/testsupport.h"

#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"
#include "engine/tools/installation.h"

#include "platform/core/inifile.h"

#include <QDir>
#include <QFile>

namespace mxtest {

class SettingsTest : public EngineTest {
protected:
    void SetUp() override
    {
        m_savedCwd = QDir::currentPath();
        m_savedWindir = qgetenv("MORVELIN_WINDIR");
        m_savedRegistry = qgetenv("MORVELIN_REGISTRY");
        QDir().mkpath(Path("win"));
        QDir().mkpath(Path("root"));
        QDir().mkpath(Path("work"));
        WriteAll(Path("root/OPER.MXF"), "TPF0 fixture");
        qputenv("MORVELIN_WINDIR", Path("win").toLocal8Bit());
        qputenv("MORVELIN_REGISTRY", Path("registry.ini").toLocal8Bit());
        SetRegistryRoot(Path("root"));
        SetArgs({QStringLiteral("-CurrentDir"), Path("work")});
        mx::FreeMRUs();
    }

    void TearDown() override
    {
        mx::FreeAppGlobal();
        mx::FreeMRUs();
        mx::ResetStartParams();
        mx::ClearCommandLineArguments();
        mx::ResetRootDir();
        restore("MORVELIN_WINDIR", m_savedWindir);
        restore("MORVELIN_REGISTRY", m_savedRegistry);
        QDir::setCurrent(m_savedCwd);
    }

    void SetArgs(const QStringList& args)
    {
        mx::SetCommandLineArguments(args);
        mx::ResetStartParams();
    }

    void SetRegistryRoot(const QString& dir)
    {
        WriteAll(Path("registry.ini"),
            (QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\1.0]\nRootDir=") + dir + u'\n').toUtf8());
        mx::ResetRootDir();
    }

    // Puts the test language library into the installation folder.
    QString InstallLanguageLibrary()
    {
        const QString target = Path("root/MXTR32.so");
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(QStringLiteral(MX_TEST_LANGLIB), target));
        return target;
    }

    QString UserIni() const { return m_dir.filePath(QStringLiteral("win/MORVELIN.INI")); }
    void WriteUserIni(const QByteArray& text) { WriteAll(UserIni(), text); }
    std::shared_ptr<platform::IniFile> OpenUserIni() const { return platform::IniFile::open(UserIni()); }

private:
    static void restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QString m_savedCwd;
    QByteArray m_savedWindir;
    QByteArray m_savedRegistry;
};

} // namespace mxtest
