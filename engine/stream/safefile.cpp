#include "safefile.h"

#include "engine/core/escape.h"
#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "filer.h"
#include "engine/core/systemerror.h"
#include "engine/core/translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtEndian>

#include <new>

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

// Writes bytes whole to a new file at path (never through a link left
// there, never into a folder) and flushes it to the disk. Returns 0, or
// the error number with nothing left at path. keepMode gives the file the
// mode whatever the process's mask (the rights of the file it replaces).
int writeNewFile(const QByteArray& path, const char* data, qsizetype size, mode_t mode, bool keepMode)
{
    // What a save that died left behind is replaced; a folder or a link
    // standing there is not followed.
    if (::unlink(path.constData()) != 0 && errno != ENOENT)
        return errno;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return errno;
    int error = 0;
    if (keepMode && ::fchmod(fd, mode) != 0)
        error = errno;
    qsizetype done = 0;
    while (error == 0 && done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        done += n;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(path.constData());
    return error;
}

// The folder's entries (the renames) reach the disk with the files.
void syncFolder(const QString& fileName)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void WriteFileWithBackup(const QString& fileName, const QByteArray& bytes, bool keepBackup)
{
    // At every moment a whole good copy stands on the disk: the new content
    // is complete in the temporary file before anything else moves, the
    // previous content is linked under a second temporary name before the
    // temporary file replaces it, and the old backup is replaced by the
    // previous content last. A step that fails puts back what the earlier
    // ones moved.
    const QByteArray path = QFile::encodeName(fileName);
    const QByteArray tmpPath = QFile::encodeName(fileName + QStringLiteral(".tmp~"));
    struct stat former {};
    const bool existed = ::stat(path.constData(), &former) == 0;
    if (existed && S_ISDIR(former.st_mode))
        fail(fileName, ErrnoReason(EISDIR));
    // The new file keeps the access rights of the one it replaces.
    const mode_t mode = existed ? (former.st_mode & 07777) : 0644;
    if (const int error = writeNewFile(tmpPath, bytes.constData(), bytes.size(), mode, existed))
        fail(fileName, ErrnoReason(error));

    const bool rotate = keepBackup && existed;
    const QString backup = BackupFileName(fileName);
    const QByteArray backupPath = QFile::encodeName(backup);
    const QByteArray previousPath = QFile::encodeName(backup + QStringLiteral(".tmp~"));
    if (rotate) {
        int error = 0;
        if (::unlink(previousPath.constData()) != 0 && errno != ENOENT)
            error = errno;
        // A hard link holds the previous content without copying it; where
        // the file system has none, a flushed copy does.
        if (error == 0 && ::link(path.constData(), previousPath.constData()) != 0) {
            QFile current(fileName);
            if (!current.open(QIODevice::ReadOnly)) {
                error = EACCES;
            } else {
                const QByteArray content = current.readAll();
                if (current.error() != QFileDevice::NoError)
                    error = EIO;
                else
                    error = writeNewFile(previousPath, content.constData(), content.size(), mode, true);
            }
        }
        if (error != 0) {
            ::unlink(tmpPath.constData());
            fail(fileName, TranslateFmt(QStringLiteral("la copie de sauvegarde %s n'a pu être faite (%s)"),
                               {backup, ErrnoReason(error)}));
        }
    }
    if (std::rename(tmpPath.constData(), path.constData()) != 0) {
        const int error = errno;
        ::unlink(tmpPath.constData());
        if (rotate)
            ::unlink(previousPath.constData());
        fail(fileName, ErrnoReason(error));
    }
    if (rotate && std::rename(previousPath.constData(), backupPath.constData()) != 0) {
        const int error = errno;
        // The file goes back to its previous content; the old backup was
        // never touched.
        std::rename(previousPath.constData(), path.constData());
        syncFolder(fileName);
        fail(fileName, TranslateFmt(QStringLiteral("la copie de sauvegarde %s n'a pu être faite (%s)"),
                           {backup, ErrnoReason(error)}));
    }
    syncFolder(fileName);
}

namespace {

// Reads up to size bytes at the file's position; fewer only at its end.
qsizetype readSome(int fd, char* into, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, into + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

struct TFd {
    int fd;
    ~TFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QByteArray ReadObjectFileBytes(const QString& fileName, qint64 maxSize)
{
    auto cannot = [&fileName](const QString& why) -> EInOutError {
        return EInOutError(EscapeControls(TranslateFmt(QStringLiteral("Impossible d'ouvrir le fichier \"%s\". %s"), {fileName, why})));
    };
    const QByteArray path = QFile::encodeName(fileName);
    // Never waiting: opening a pipe nobody writes to would block, and a
    // terminal would become the program's.
    TFd file{::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        throw cannot(errnoText());
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        throw cannot(errnoText());
    if (!S_ISREG(st.st_mode))
        throw cannot(Translate(QStringLiteral("Ce n'est pas un fichier ordinaire : seul un fichier peut être lu.")));
    const qint64 size = qint64(st.st_size);
    if (size > maxSize)
        throw cannot(TranslateFmt(QStringLiteral("Le fichier compte %d octets ; un fichier d'objets en compte au plus %d."), {size, maxSize}));

    // The resource header gives the stream's size: one over the bound is
    // refused before the data is read.
    char head[96];
    const qsizetype headSize = readSome(file.fd, head, std::min<qsizetype>(qsizetype(sizeof head), qsizetype(size)));
    if (headSize < 0)
        throw cannot(errnoText());
    bool scrambled = headSize >= qsizetype(sizeof kResourceStart);
    for (size_t i = 0; scrambled && i < sizeof kResourceStart; ++i)
        scrambled = char(head[i] ^ 1) == kResourceStart[i];
    if (scrambled)
        for (qsizetype i = 0; i < headSize; ++i)
            head[i] = char(head[i] ^ 1);
    if (headSize >= qsizetype(sizeof kResourceStart) && std::memcmp(head, kResourceStart, sizeof kResourceStart) == 0) {
        const void* zero = std::memchr(head + sizeof kResourceStart, 0, size_t(headSize) - sizeof kResourceStart);
        if (zero) {
            const qsizetype sizeAt = static_cast<const char*>(zero) - head + 1 + qsizetype(sizeof kResourceFlags);
            if (sizeAt + kResourceSizeBytes <= headSize) {
                // A file cut short is read: the reader says where its
                // stream ends.
                const qint64 stated = qFromLittleEndian<quint32>(head + sizeAt);
                if (stated > maxSize)
                    throw EReadError(EscapeControls(Format(
                        QStringLiteral("Error reading %s, byte %d: The header gives a stream of %d bytes; an object file holds at most %d"),
                        {fileName, qint64(sizeAt), stated, maxSize})));
            }
        }
    }

    QByteArray bytes;
    try {
        bytes.resize(qsizetype(size));
    } catch (const std::bad_alloc&) {
        throw cannot(TranslateFmt(QStringLiteral("Mémoire insuffisante pour lire ses %d octets."), {size}));
    }
    std::memcpy(bytes.data(), head, size_t(headSize));
    if (scrambled)
        for (qsizetype i = 0; i < headSize; ++i)
            bytes[i] = char(bytes[i] ^ 1);
    const qsizetype rest = readSome(file.fd, bytes.data() + headSize, qsizetype(size) - headSize);
    if (rest < 0)
        throw cannot(errnoText());
    // A file cut short while it was read is read as it now stands.
    bytes.truncate(headSize + rest);
    return bytes;
}

} // namespace mx
