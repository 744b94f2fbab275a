#include "systempaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {

// Read while the library is loaded, before main() runs.
const QString g_launchDirectory = QDir::currentPath();

QString absoluteFromLaunch(const QString& path)
{
    return QDir::cleanPath(QDir(launchDirectory()).absoluteFilePath(path));
}

} // namespace

QString windowsDirectory()
{
    const QString env = qEnvironmentVariable("MORVELIN_WINDIR");
    if (!env.isEmpty())
        return absoluteFromLaunch(env);
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/morvelin"));
}

QString programFilePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString programDirectory()
{
    return QFileInfo(programFilePath()).absolutePath();
}

QString launchDirectory()
{
    return g_launchDirectory.isEmpty() ? QDir::currentPath() : g_launchDirectory;
}

} // namespace platform
