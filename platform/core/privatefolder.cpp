#include "privatefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QString homeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    if (const passwd* pw = ::getpwuid(geteuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return QDir::cleanPath(QFile::decodeName(pw->pw_dir));
    return QString();
}

QString cacheFolder()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.isEmpty() && QDir::isAbsolutePath(cache))
        return QDir::cleanPath(cache);
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + QStringLiteral("/.cache");
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// A parent of the fallback folder: made (mode 0700) when missing; one that
// another user owns, or that others may write to, is in the way: whoever
// can write there could put a folder of their own in its place.
bool checkParent(const QString& folder, bool create, QString* error)
{
    const QByteArray name = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno != ENOENT || !create)
            return fail(error, QStringLiteral("Le dossier %1 est inaccessible : %2.").arg(folder, errnoText(errno)));
        const QString parent = QFileInfo(folder).path();
        if (parent != folder && !checkParent(parent, create, error))
            return false;
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return fail(error, QStringLiteral("Le dossier %1 n'a pas pu être créé : %2.").arg(folder, errnoText(errno)));
        if (::stat(name.constData(), &st) != 0)
            return fail(error, QStringLiteral("Le dossier %1 est inaccessible : %2.").arg(folder, errnoText(errno)));
    }
    if (!S_ISDIR(st.st_mode))
        return fail(error, QStringLiteral("%1 est dans le chemin du dossier privé mais n'est pas un dossier.").arg(folder));
    // The folders above home are the system's (root's).
    if (st.st_uid != geteuid() && st.st_uid != 0)
        return fail(error, QStringLiteral("Le dossier %1, dans le chemin du dossier privé, appartient à un autre utilisateur.").arg(folder));
    if ((st.st_mode & 022) != 0 && (st.st_mode & S_ISVTX) == 0)
        return fail(error, QStringLiteral("Le dossier %1, dans le chemin du dossier privé, est ouvert en écriture à d'autres utilisateurs (mode %2).")
                .arg(folder, QString::number(st.st_mode & 07777, 8).rightJustified(4, u'0')));
    return true;
}

} // namespace

QString fallbackRuntimeFolder()
{
    const QString cache = cacheFolder();
    const QString name = QStringLiteral("morvelin-%1").arg(geteuid());
    // No home at all: the shared temporary folder, checked as strictly.
    return cache.isEmpty() ? QDir(QDir::tempPath()).filePath(name) : cache + u'/' + name;
}

QString userRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir::cleanPath(runtime);
    return fallbackRuntimeFolder();
}

bool checkPrivateFolder(const QString& folder, bool create, QString* error)
{
    const QByteArray name = QFile::encodeName(folder);
    // Whoever may write in the fallback folder's parent could put a folder
    // of their own in its place.
    if (folder == fallbackRuntimeFolder() && !checkParent(QFileInfo(folder).path(), create, error))
        return false;
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        if (errno != ENOENT || !create)
            return fail(error, QStringLiteral("Le dossier %1 est inaccessible : %2.").arg(folder, errnoText(errno)));
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return fail(error, QStringLiteral("Le dossier %1 n'a pas pu être créé : %2.").arg(folder, errnoText(errno)));
        if (::lstat(name.constData(), &st) != 0)
            return fail(error, QStringLiteral("Le dossier %1 est inaccessible : %2.").arg(folder, errnoText(errno)));
    }
    if (!S_ISDIR(st.st_mode))
        return fail(error, QStringLiteral("%1 n'est pas un dossier : il est dans le chemin du dossier privé.").arg(folder));
    if (st.st_uid != geteuid())
        return fail(error, QStringLiteral("Le dossier %1 appartient à un autre utilisateur : il est dans le chemin du dossier privé.").arg(folder));
    if ((st.st_mode & 077) != 0)
        return fail(error, QStringLiteral("Le dossier %1 est ouvert à d'autres utilisateurs (mode %2) : il doit avoir le mode 0700.")
                .arg(folder, QString::number(st.st_mode & 07777, 8).rightJustified(4, u'0')));
    return true;
}

} // namespace platform
