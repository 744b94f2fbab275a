#include "installation.h"

#include "hooks.h"
#include "engine/core/userservice.h"
#include "engine/stream/safefile.h"

#include "platform/core/registry.h"
#include "platform/core/sharedlibrary.h"
#include "platform/core/systempaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <cstdio>

namespace mx {
namespace {

struct RootCache {
    QMutex mutex;
    bool known = false;
    QString dir;
};

RootCache& rootCache()
{
    static RootCache c;
    return c;
}

bool holdsMarker(const QString& dir)
{
    // Matched exactly, also on a file system that folds case.
    if (dir.isEmpty())
        return false;
    const QFileInfo fi(QDir(dir).filePath(QString::fromLatin1(kRootMarker)));
    return fi.isFile() && QDir(dir).entryList(QDir::Files | QDir::Hidden).contains(QString::fromLatin1(kRootMarker), Qt::CaseSensitive);
}

} // namespace

QString FindRootDir(const QString& programDir, const QString& configuredDir,
    const std::function<bool(const QString& dir)>& hasMarker, QString* lastTried)
{
    QString tried = IncludeBackslash(programDir);
    if (!tried.isEmpty() && hasMarker(tried)) {
        if (lastTried)
            *lastTried = tried;
        return tried;
    }
    const QString configured = IncludeBackslash(configuredDir.trimmed());
    if (!configured.isEmpty()) {
        tried = configured;
        if (hasMarker(configured)) {
            if (lastTried)
                *lastTried = tried;
            return configured;
        }
    }
    if (lastTried)
        *lastTried = tried;
    return {};
}

QString GetRootDir()
{
    RootCache& c = rootCache();
    QString warning;
    {
        QMutexLocker lock(&c.mutex);
        if (c.known)
            return c.dir;
        const QString configured = platform::registry::readString(QString::fromLatin1(kRootDirKey), QString::fromLatin1(kRootDirValue));
        QString last;
        c.dir = FindRootDir(platform::programDirectory(), configured, holdsMarker, &last);
        c.known = true;
        if (c.dir.isEmpty())
            warning = QStringLiteral("Please start install again, path was ") + last;
    }
    if (!warning.isEmpty())
        UserService().Warning(warning);
    return c.dir;
}

void ResetRootDir()
{
    RootCache& c = rootCache();
    QMutexLocker lock(&c.mutex);
    c.known = false;
    c.dir.clear();
}

QString GetIniFileName()
{
    const QString root = GetRootDir();
    return root.isEmpty() ? QString() : root + QStringLiteral("MORVELIN.INI");
}

QString GetWindowsDir()
{
    return IncludeBackslash(platform::windowsDirectory());
}

QString PluginLibraryPath(const QString& name)
{
    const QString file = platform::SharedLibrary::pluginFileName(QFileInfo(name).fileName());
    if (file.isEmpty())
        return {};
    const QString root = GetRootDir();
    return root.isEmpty() ? QString() : root + file;
}

QString IncludeBackslash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

QString RemoveTrailingBackslash(const QString& path)
{
    QString p = path;
    StripTrailingBackslash(p);
    return p;
}

void StripTrailingBackslash(QString& path)
{
    if (path.endsWith(u'/') && path.size() > 1)
        path.chop(1);
}

bool BackupFile(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())
        return true;
    const QByteArray from = QFile::encodeName(fileName);
    const QByteArray to = QFile::encodeName(BackupFileName(fileName));
    // rename(2) replaces an existing backup in one step.
    return std::rename(from.constData(), to.constData()) == 0;
}

bool ShellOpen(const QString& fileName)
{
    return UserService().ShellOpen(fileName);
}

} // namespace mx
