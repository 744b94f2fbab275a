#include "safefile.h"

#include "../core/exceptions.h"
#include "../core/format.h"
#include "../core/systemerror.h"
#include "../core/translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace mx {

QString BackupFileName(const QString& fileName)
{
    const QFileInfo fi(fileName);
    const QString name = fi.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString dir = fileName.left(fileName.size() - name.size());
    if (dot < 0)
        return dir + name + QStringLiteral(".~");
    return dir + name.left(dot) + QStringLiteral(".~") + name.mid(dot + 1, 2);
}

namespace {

[[noreturn]] void fail(const QString& fileName, const QString& why)
{
    throw EInOutError(TranslateFmt(QStringLiteral("Impossible d'écrire le fichier %s : %s"), {fileName, why}));
}

QString errnoText()
{
    return ErrnoReason(errno);
}

} // namespace

void WriteFileWithBackup(const QString& fileName, const QByteArray& bytes, bool keepBackup)
{
    const QString tmp = fileName + QStringLiteral(".tmp~");
    const QByteArray tmpPath = QFile::encodeName(tmp);
    const QByteArray path = QFile::encodeName(fileName);
    {
        const int fd = ::open(tmpPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            fail(fileName, errnoText());
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                const QString why = errnoText();
                ::close(fd);
                ::unlink(tmpPath.constData());
                fail(fileName, why);
            }
            done += n;
        }
        if (::fsync(fd) != 0 || ::close(fd) != 0) {
            const QString why = errnoText();
            ::unlink(tmpPath.constData());
            fail(fileName, why);
        }
    }
    if (keepBackup && QFileInfo::exists(fileName)) {
        const QByteArray backup = QFile::encodeName(BackupFileName(fileName));
        ::unlink(backup.constData());
        // a hard link keeps the old file in place until the rename below
        if (::link(path.constData(), backup.constData()) != 0) {
            if (!QFile::copy(fileName, BackupFileName(fileName))) {
                ::unlink(tmpPath.constData());
                fail(fileName, Translate("la copie de sauvegarde a échoué"));
            }
        }
    }
    if (std::rename(tmpPath.constData(), path.constData()) != 0) {
        const QString why = errnoText();
        ::unlink(tmpPath.constData());
        fail(fileName, why);
    }
}

} // namespace mx
