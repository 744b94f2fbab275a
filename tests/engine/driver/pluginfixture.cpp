#include "pluginfixture.h"

#include "engine/global/engineshutdown.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

PluginTest::PluginTest()
{
    const QString root = m_dir.path() + QStringLiteral("/root/");
    QDir().mkpath(root);
    m_root = std::make_unique<mx::ScopedHook<mx::THookSlot<QString()>>>(mx::RootDirOverride, [root] { return root; });
    SetArguments({});
}

PluginTest::~PluginTest()
{
    mx::ShutdownEngine();
    mx::ClearCommandLineArguments();
    mx::ResetStartParams();
}

QString PluginTest::Root() const
{
    return m_dir.path() + QStringLiteral("/root/");
}

QString PluginTest::Install(const QString& variant, const QString& fileName, const QString& folder)
{
    const QString dir = folder.isEmpty() ? Root() : folder;
    QDir().mkpath(dir);
    const QString target = QDir(dir).absoluteFilePath(fileName);
    const QString source = QStringLiteral(MX_TEST_PLUGIN_DIR "/mxtest_%1.so").arg(variant);
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(source, target)) << source.toStdString();
    return target;
}

bool PluginTest::IsMapped(const QString& absoluteFile)
{
    void* h = ::dlopen(QFile::encodeName(absoluteFile).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    ::dlclose(h);
    return true;
}

void PluginTest::SetArguments(const QStringList& args)
{
    mx::SetCommandLineArguments(args);
    mx::ResetStartParams();
}

QStringList PluginTest::PluginEvents() const
{
    QStringList events;
    for (const QString& w : m_service.warnings)
        if (w.startsWith(QLatin1String("plugin: ")))
            events << w.mid(8);
    return events;
}
