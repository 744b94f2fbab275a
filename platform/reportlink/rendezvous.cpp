#include "rendezvous.h"

#include "platform/core/privatefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::rs {

namespace {

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool fillAddress(const QString& path, sockaddr_un* addr, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof addr->sun_path) {
        *error = QStringLiteral("Socket path too long: %1").arg(path);
        return false;
    }
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    std::memcpy(addr->sun_path, name.constData(), size_t(name.size()));
    return true;
}

} // namespace

QString socketFolder(QString* error)
{
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = runtimeDir.isEmpty() || !QDir::isAbsolutePath(runtimeDir)
        ? fallbackRuntimeFolder()
        : QDir(runtimeDir).filePath(QStringLiteral("morvelin"));
    QString why;
    if (!checkPrivateFolder(folder, true, &why)) {
        *error = QStringLiteral("%1 is not private to this user: %2").arg(folder, why);
        return {};
    }
    return folder;
}

QString socketPath(const QString& kind, QString* error)
{
    const QString folder = socketFolder(error);
    return folder.isEmpty() ? QString() : folder + u'/' + kind;
}

int connectSocket(const QString& path, QString* error)
{
    sockaddr_un addr;
    if (!fillAddress(path, &addr, error))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = errnoText(errno);
        return -1;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        *error = QStringLiteral("%1: %2").arg(path, errnoText(errno));
        ::close(fd);
        return -1;
    }
    return fd;
}

bool socketAnswers(const QString& path)
{
    QString ignored;
    const int fd = connectSocket(path, &ignored);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int listenSocket(const QString& path, QString* error)
{
    sockaddr_un addr;
    if (!fillAddress(path, &addr, error))
        return -1;
    if (socketAnswers(path)) {
        *error = QStringLiteral("A runtime already answers at %1").arg(path);
        return -1;
    }
    ::unlink(addr.sun_path); // left by a runtime that is gone
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = errnoText(errno);
        return -1;
    }
    const mode_t old = ::umask(077);
    const int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    const int err = errno;
    ::umask(old);
    if (bound != 0 || ::listen(fd, 8) != 0) {
        *error = QStringLiteral("%1: %2").arg(path, errnoText(bound != 0 ? err : errno));
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray encodeLine(const QStringList& fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += '\t';
        for (const char c : fields[i].toUtf8()) {
            switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
            }
        }
    }
    out += '\n';
    return out;
}

bool decodeLine(const QByteArray& line, QStringList* fields)
{
    fields->clear();
    QByteArray field;
    auto flush = [&]() -> bool {
        const QString text = QString::fromUtf8(field);
        if (text.toUtf8() != field)
            return false; // not valid UTF-8
        fields->append(text);
        field.clear();
        return true;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            if (!flush())
                return false;
        } else if (c == '\\') {
            if (++i >= line.size())
                return false;
            switch (line[i]) {
            case '\\':
                field += '\\';
                break;
            case 't':
                field += '\t';
                break;
            case 'n':
                field += '\n';
                break;
            case 'r':
                field += '\r';
                break;
            default:
                return false;
            }
        } else {
            field += c;
        }
    }
    return flush();
}

bool LineBuffer::takeLine(QByteArray* line)
{
    const qsizetype end = m_data.indexOf('\n');
    if (end < 0)
        return false;
    *line = m_data.left(end);
    m_data.remove(0, end + 1);
    return true;
}

bool sendAll(int fd, const QByteArray& data, int timeoutMs)
{
    qsizetype at = 0;
    while (at < data.size()) {
        pollfd p {fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0 || (p.revents & (POLLERR | POLLHUP)))
            return false;
        const ssize_t n = ::send(fd, data.constData() + at, size_t(data.size() - at), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        at += n;
    }
    return true;
}

} // namespace platform::rs
