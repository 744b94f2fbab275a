#include "ddeprotocol.h"

#include "platform/core/privatefolder.h"

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
    location.folder = platform::userRuntimeFolder();
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
    return platform::checkPrivateFolder(folder, create, error);
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
