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
