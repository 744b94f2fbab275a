#include "ddeprotocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mx::dde {

QByteArray EncodeFrame(char op, const QByteArray& payload)
{
    const auto length = quint32(payload.size());
    QByteArray frame;
    frame.reserve(kHeaderSize + payload.size());
    frame.append(op);
    for (int i = 0; i < 4; ++i)
        frame.append(char((length >> (8 * i)) & 0xFF));
    frame.append(payload);
    return frame;
}

quint32 PayloadLength(const char* header)
{
    quint32 length = 0;
    for (int i = 0; i < 4; ++i)
        length |= quint32(quint8(header[1 + i])) << (8 * i);
    return length;
}

std::optional<QString> DecodeText(const QByteArray& payload)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(payload);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

TSocketLocation SocketLocation(const QString& service)
{
    TSocketLocation location;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        location.folder = QDir::cleanPath(runtime);
    else
        location.folder = QDir(QDir::tempPath()).filePath(QStringLiteral("morvelin-%1").arg(geteuid()));
    location.path = location.folder + u'/' + service + QStringLiteral(".dde");
    return location;
}

QString ProgramServiceName()
{
    const QString file = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(file).completeBaseName();
}

bool CheckPrivateFolder(const QString& folder, bool create, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QByteArray name = QFile::encodeName(folder);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        if (errno != ENOENT || !create)
            return fail(QStringLiteral("Le dossier %1 est inaccessible : %2.").arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return fail(QStringLiteral("Le dossier %1 n'a pas pu être créé : %2.").arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        if (::lstat(name.constData(), &st) != 0)
            return fail(QStringLiteral("Le dossier %1 est inaccessible : %2.").arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (!S_ISDIR(st.st_mode))
        return fail(QStringLiteral("%1 n'est pas un dossier.").arg(folder));
    if (st.st_uid != geteuid())
        return fail(QStringLiteral("Le dossier %1 appartient à un autre utilisateur.").arg(folder));
    if ((st.st_mode & 077) != 0)
        return fail(QStringLiteral("Le dossier %1 est ouvert à d'autres utilisateurs (mode %2) : il doit avoir le mode 0700.")
                .arg(folder)
                .arg(QString::number(st.st_mode & 07777, 8).rightJustified(4, u'0')));
    return true;
}

std::optional<uid_t> PeerUid(qintptr descriptor)
{
    if (descriptor < 0)
        return std::nullopt;
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

} // namespace mx::dde
