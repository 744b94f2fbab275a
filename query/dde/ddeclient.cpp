#include "ddeclient.h"
#include "ddemacro.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace mx::dde {

TClient::TClient() = default;

TClient::~TClient()
{
    Close();
}

void TClient::Close()
{
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
}

bool TClient::fail(const QString& text)
{
    m_error = text;
    return false;
}

bool TClient::ConnectToService(const QString& service, int timeoutMs)
{
    return Connect(SocketLocation(service).path, timeoutMs);
}

bool TClient::Connect(const QString& socketPath, int timeoutMs)
{
    Close();
    m_error.clear();
    m_noServer = false;
    const QString folder = QFileInfo(socketPath).absolutePath();
    auto noServer = [this, &socketPath] {
        m_noServer = true;
        return fail(QStringLiteral("Aucun serveur Morvelin ne fonctionne pour cet utilisateur (%1 n'existe pas).").arg(socketPath));
    };
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        return noServer();
    QString why;
    if (!CheckPrivateFolder(folder, false, &why))
        return fail(why + QStringLiteral(" Connexion refusée."));
    if (::lstat(QFile::encodeName(socketPath).constData(), &st) != 0)
        return noServer();
    if (!S_ISSOCK(st.st_mode) || st.st_uid != geteuid())
        return fail(QStringLiteral("%1 n'est pas le serveur de cet utilisateur. Connexion refusée.").arg(socketPath));

    m_socket = std::make_unique<QLocalSocket>();
    m_socket->connectToServer(socketPath);
    if (!m_socket->waitForConnected(timeoutMs)) {
        const auto error = m_socket->error();
        m_noServer = error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError;
        const QString text = m_noServer
            ? QStringLiteral("Aucun serveur Morvelin ne fonctionne pour cet utilisateur (%1 : %2).").arg(socketPath, m_socket->errorString())
            : QStringLiteral("Connexion impossible à %1 : %2.").arg(socketPath, m_socket->errorString());
        Close();
        return fail(text);
    }
    const std::optional<uid_t> peer = PeerUid(m_socket->socketDescriptor());
    if (!peer || *peer != geteuid()) {
        Close();
        return fail(QStringLiteral("Le serveur de %1 appartient à un autre utilisateur. Connexion refusée.").arg(socketPath));
    }
    const std::optional<TFrame> answer = Call(kOpConnect, QString::fromLatin1(kTopic), timeoutMs);
    if (!answer)
        return false;
    if (answer->op != kOpAck) {
        const QString text = QString::fromUtf8(answer->payload);
        Close();
        return fail(text);
    }
    return true;
}

bool TClient::Send(char op, const QString& payload)
{
    QByteArray bytes = payload.toUtf8();
    const bool sent = Send(op, bytes);
    // Macros may hold a password.
    WipeText(bytes);
    return sent;
}

bool TClient::Send(char op, const QByteArray& payload)
{
    if (!m_socket)
        return fail(QStringLiteral("Pas de connexion au serveur."));
    QByteArray frame = EncodeFrame(op, payload);
    const qint64 written = m_socket->write(frame);
    WipeText(frame);
    if (written < 0)
        return fail(QStringLiteral("La connexion au serveur a été perdue : %1.").arg(m_socket->errorString()));
    // Out to the system at once, without waiting: pipelined requests reach
    // the server while the answers are read.
    m_socket->flush();
    return true;
}

bool TClient::Flush(int timeoutMs)
{
    if (!m_socket)
        return fail(QStringLiteral("Pas de connexion au serveur."));
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(int(std::min<qint64>(deadline.remainingTime() < 0 ? 1000 : deadline.remainingTime(), 1000)))) {
            if (m_socket->state() != QLocalSocket::ConnectedState)
                return fail(QStringLiteral("La connexion au serveur a été perdue."));
            if (deadline.hasExpired())
                return fail(QStringLiteral("Le serveur ne lit plus ses demandes."));
        }
    }
    return true;
}

bool TClient::waitFor(qint64 bytes, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (m_socket->bytesAvailable() < bytes) {
        // Short waits, so that a closed connection is seen at once.
        const qint64 left = deadline.remainingTime();
        if (!m_socket->waitForReadyRead(int(left < 0 ? 1000 : std::min<qint64>(left, 1000)))) {
            if (m_socket->bytesAvailable() >= bytes)
                break;
            if (m_socket->state() != QLocalSocket::ConnectedState)
                return fail(QStringLiteral("La connexion au serveur a été perdue."));
            if (deadline.hasExpired())
                return fail(QStringLiteral("Le serveur n'a pas répondu à temps."));
        }
    }
    return true;
}

std::optional<TFrame> TClient::Receive(int timeoutMs)
{
    if (!m_socket) {
        fail(QStringLiteral("Pas de connexion au serveur."));
        return std::nullopt;
    }
    if (!waitFor(kHeaderSize, timeoutMs))
        return std::nullopt;
    char header[kHeaderSize];
    m_socket->peek(header, kHeaderSize);
    const quint32 length = PayloadLength(header);
    if (length > kMaxAnswerPayload) {
        fail(QStringLiteral("Le serveur a envoyé une réponse trop longue (%1 octets).").arg(length));
        Close();
        return std::nullopt;
    }
    if (!waitFor(kHeaderSize + qint64(length), timeoutMs))
        return std::nullopt;
    m_socket->read(header, kHeaderSize);
    TFrame frame;
    frame.op = header[0];
    frame.payload = m_socket->read(length);
    return frame;
}

std::optional<TFrame> TClient::Call(char op, const QString& payload, int timeoutMs)
{
    if (!Send(op, payload) || !Flush(timeoutMs))
        return std::nullopt;
    return Receive(timeoutMs);
}

std::optional<QString> TClient::Execute(const QString& macros, bool readData)
{
    std::optional<TFrame> answer = Call(kOpExecute, macros);
    if (!answer)
        return std::nullopt;
    if (answer->op != kOpAck) {
        fail(QString::fromUtf8(answer->payload));
        return std::nullopt;
    }
    if (!readData)
        return QString();
    answer = Call(kOpRequest, QString::fromLatin1(kDataItem));
    if (!answer)
        return std::nullopt;
    if (answer->op != kOpData) {
        fail(QString::fromUtf8(answer->payload));
        return std::nullopt;
    }
    return QString::fromUtf8(answer->payload);
}

} // namespace mx::dde
