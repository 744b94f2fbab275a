#include "ddelistener.h"

#include "ddeserver.h"
#include "enginebusy.h"

#include "query/dde/ddemacro.h"
#include "query/dde/ddeprotocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/un.h>
#include <unistd.h>

namespace mx {

using namespace dde;

struct TDdeListener::TConnection {
    QLocalSocket* socket = nullptr;
    // What its last GETEOF or GETRECORD left; shared with a macro that
    // fills it, which outlives the connection when the client leaves
    // during a run.
    std::shared_ptr<TDdeDataItem> data = std::make_shared<TDdeDataItem>();
    QElapsedTimer active;  // since it last sent or was answered
    bool open = false;    // the topic was accepted
    bool serving = false; // a request of it is being served
    bool closed = false;  // the peer went away, or the server ends it
};

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

TDdeListener::TDdeListener(TfmOleDdeServer* server, QObject* parent)
    : QObject(parent)
    , m_server(server)
    , m_acceptedUid(geteuid())
{
    setObjectName(QStringLiteral("DdeListener"));
    QPointer<TDdeListener> self(this);
    m_idleListener = AddEngineIdleListener([self] {
        if (self) {
            // Time spent waiting for the engine is nobody's idleness.
            self->touchAll();
            self->scheduleServeAll();
        }
    });
    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(std::clamp(m_idleTimeoutMs / 4, 10, 1000));
    connect(m_idleTimer, &QTimer::timeout, this, &TDdeListener::closeIdle);
}

void TDdeListener::SetIdleTimeout(int ms)
{
    m_idleTimeoutMs = std::max(1, ms);
    m_idleTimer->setInterval(std::clamp(m_idleTimeoutMs / 4, 10, 1000));
}

void TDdeListener::touchAll()
{
    for (const auto& c : m_connections)
        c->active.start();
}

void TDdeListener::closeIdle()
{
    if (m_connections.empty()) {
        m_idleTimer->stop();
        return;
    }
    // Requests wait while the engine works: their clients are not idle.
    if (EngineBusy())
        return;
    std::vector<TConnection*> idle;
    for (const auto& c : m_connections)
        if (!c->serving && !c->closed && c->active.hasExpired(m_idleTimeoutMs))
            idle.push_back(c.get());
    for (TConnection* c : idle) {
        if (!holds(c))
            continue;
        c->closed = true;
        QLocalSocket* socket = c->socket;
        socket->disconnect(this);
        socket->abort();
        drop(c);
    }
}

TDdeListener::~TDdeListener()
{
    RemoveEngineIdleListener(m_idleListener);
    Close();
}

bool TDdeListener::IsListening() const
{
    return m_listener && m_listener->isListening();
}

bool TDdeListener::Listen(const QString& service)
{
    Close();
    m_error.clear();
    const TSocketLocation location = SocketLocation(service);
    m_path = location.path;
    auto fail = [this](const QString& text) {
        m_error = text;
        Close();
        return false;
    };
    QString why;
    if (!CheckPrivateFolder(location.folder, true, &why))
        return fail(why + QStringLiteral(" Le serveur local n'est pas ouvert."));
    const QByteArray path = QFile::encodeName(m_path);
    if (size_t(path.size()) >= sizeof(sockaddr_un::sun_path))
        return fail(QStringLiteral("Le chemin du serveur local est trop long : %1.").arg(m_path));

    // The lock says that a live program serves the name; the system
    // releases it when that program ends, however it ends.
    const QByteArray lockPath = path + ".lock";
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0)
        return fail(QStringLiteral("Le verrou %1 n'a pas pu être ouvert : %2.").arg(QFile::decodeName(lockPath), systemError()));
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        return fail(taken ? QStringLiteral("Un autre programme sert déjà %1 : celui-ci fonctionne sans serveur local.").arg(m_path)
                          : QStringLiteral("Le verrou %1 n'a pas pu être pris : %2.").arg(QFile::decodeName(lockPath), systemError()));
    }
    // What is left there comes from a program that ended without closing.
    QLocalServer::removeServer(m_path);
    m_listener = new QLocalServer(this);
    m_listener->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_listener->listen(m_path))
        return fail(QStringLiteral("Le serveur local n'a pas pu écouter sur %1 : %2.").arg(m_path, m_listener->errorString()));
    connect(m_listener, &QLocalServer::newConnection, this, &TDdeListener::accept);
    return true;
}

void TDdeListener::Close()
{
    auto connections = std::move(m_connections);
    m_connections.clear();
    for (auto& c : connections) {
        c->socket->disconnect(this);
        c->socket->abort();
        // One being served is still on the stack below.
        if (c->serving)
            c->socket->deleteLater();
        else
            delete c->socket;
    }
    if (m_listener) {
        m_listener->close(); // removes the socket
        delete m_listener;
        m_listener = nullptr;
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

void TDdeListener::accept()
{
    while (m_listener && m_listener->hasPendingConnections()) {
        QLocalSocket* socket = m_listener->nextPendingConnection();
        if (!socket)
            break;
        const std::optional<uid_t> peer = PeerUid(socket->socketDescriptor());
        if (!peer || *peer != m_acceptedUid) {
            // Nothing of it is read.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (int(m_connections.size()) >= kMaxConnections) {
            // Nothing of it is read; the client reads this as the answer
            // to its topic.
            socket->write(EncodeFrame(kOpRefused,
                QStringLiteral("Le serveur local est plein (%1 connexions ouvertes) : réessayez plus tard.").arg(kMaxConnections)));
            // Closed once the client has sent its topic (closing before
            // would make its write fail before it reads the answer), or
            // after a short while.
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                socket->readAll();
                socket->disconnectFromServer();
            });
            QTimer::singleShot(2000, socket, [socket] { socket->disconnectFromServer(); });
            continue;
        }
        socket->setParent(nullptr);
        // A client that sends while the engine is busy fills this, then
        // the system's buffer, then waits.
        socket->setReadBufferSize(kHeaderSize + qint64(kMaxRequestPayload));
        auto connection = std::make_unique<TConnection>();
        connection->socket = socket;
        connection->active.start();
        if (!m_idleTimer->isActive())
            m_idleTimer->start();
        TConnection* c = connection.get();
        m_connections.push_back(std::move(connection));
        auto find = [this, socket]() -> TConnection* {
            for (const auto& c : m_connections)
                if (c->socket == socket)
                    return c.get();
            return nullptr;
        };
        connect(socket, &QLocalSocket::readyRead, this, [this, find] {
            if (TConnection* c = find()) {
                c->active.start();
                serve(c);
            }
        });
        connect(socket, &QLocalSocket::bytesWritten, this, [this, find] {
            if (TConnection* c = find()) {
                c->active.start();
                serve(c);
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, find] {
            if (TConnection* c = find()) {
                c->closed = true;
                if (!c->serving)
                    drop(c);
            }
        });
        serve(c);
    }
}

int TDdeListener::WaitingRequests() const
{
    int waiting = 0;
    for (const auto& c : m_connections) {
        char header[kHeaderSize];
        QLocalSocket* socket = c->socket;
        if (socket->bytesAvailable() >= kHeaderSize && socket->peek(header, kHeaderSize) == kHeaderSize
            && socket->bytesAvailable() >= kHeaderSize + qint64(std::min(PayloadLength(header), kMaxRequestPayload)))
            ++waiting;
    }
    return waiting;
}

bool TDdeListener::holds(const TConnection* connection) const
{
    for (const auto& c : m_connections)
        if (c.get() == connection)
            return true;
    return false;
}

void TDdeListener::drop(TConnection* connection)
{
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->get() != connection)
            continue;
        QLocalSocket* socket = connection->socket;
        m_connections.erase(it);
        socket->disconnect(this);
        socket->deleteLater();
        return;
    }
}

void TDdeListener::scheduleServeAll()
{
    if (m_serveAllPending)
        return;
    m_serveAllPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_serveAllPending = false;
            serveAll();
        },
        Qt::QueuedConnection);
}

void TDdeListener::serveAll()
{
    std::vector<QPointer<QLocalSocket>> sockets;
    for (const auto& c : m_connections)
        sockets.emplace_back(c->socket);
    for (const QPointer<QLocalSocket>& socket : sockets) {
        if (EngineBusy())
            return;
        for (const auto& c : m_connections) {
            if (socket && c->socket == socket) {
                serve(c.get());
                break;
            }
        }
    }
}

void TDdeListener::serve(TConnection* connection)
{
    if (connection->serving || connection->closed || EngineBusy())
        return;
    connection->serving = true;
    QPointer<TDdeListener> self(this);
    QPointer<QLocalSocket> socket(connection->socket);
    bool closeAfter = false;
    while (socket && socket->state() == QLocalSocket::ConnectedState && !EngineBusy()
        && socket->bytesToWrite() <= kMaxPendingAnswers) {
        char header[kHeaderSize];
        if (socket->bytesAvailable() < kHeaderSize || socket->peek(header, kHeaderSize) != kHeaderSize)
            break;
        const quint32 length = PayloadLength(header);
        if (length > kMaxRequestPayload) {
            socket->write(EncodeFrame(kOpRefused,
                QStringLiteral("Demande trop longue (%1 octets, au plus %2) : connexion fermée.").arg(length).arg(kMaxRequestPayload)));
            closeAfter = true;
            break;
        }
        if (socket->bytesAvailable() < kHeaderSize + qint64(length))
            break;
        socket->read(header, kHeaderSize);
        QByteArray payload = socket->read(length);
        handle(connection, header[0], payload, closeAfter);
        // Macros may hold a password.
        WipeText(payload);
        // Serving may have spun the event loop: the listener or the
        // connection may be gone.
        if (!self || !holds(connection))
            return;
        if (!socket || closeAfter)
            break;
    }
    connection->serving = false;
    if (socket && closeAfter) {
        // The answers already written go out first.
        connection->closed = true;
        socket->disconnectFromServer();
        // Closed at once when nothing was left to write.
        if (holds(connection) && socket && socket->state() == QLocalSocket::UnconnectedState)
            drop(connection);
        return;
    }
    if (!socket || connection->closed || socket->state() != QLocalSocket::ConnectedState)
        drop(connection);
}

void TDdeListener::handle(TConnection* connection, char op, const QByteArray& payload, bool& closeAfter)
{
    QPointer<QLocalSocket> socket(connection->socket);
    auto answer = [&socket](char answerOp, const QString& text) {
        if (socket)
            socket->write(EncodeFrame(answerOp, text));
    };
    if (op != kOpConnect && op != kOpExecute && op != kOpRequest) {
        answer(kOpRefused, QStringLiteral("Opération inconnue (code %1).").arg(int(quint8(op))));
        return;
    }
    std::optional<QString> text = DecodeText(payload);
    if (!text) {
        answer(kOpRefused, QStringLiteral("Le texte envoyé n'est pas de l'UTF-8 : rien n'a été fait."));
        return;
    }
    if (op == kOpConnect) {
        if (text->compare(QLatin1String(kTopic), Qt::CaseInsensitive) != 0) {
            answer(kOpRefused, QStringLiteral("Sujet inconnu : %1. Le seul sujet est System.").arg(*text));
            closeAfter = true;
            return;
        }
        connection->open = true;
        answer(kOpAck, QString());
        return;
    }
    if (!connection->open) {
        answer(kOpRefused, QStringLiteral("Aucune conversation ouverte : envoyez d'abord le sujet System."));
        return;
    }
    if (op == kOpRequest) {
        if (text->compare(QLatin1String(kDataItem), Qt::CaseInsensitive) != 0) {
            answer(kOpRefused, QStringLiteral("Élément inconnu : %1. Le seul élément est Data.").arg(*text));
            return;
        }
        answer(kOpData, connection->data->Text());
        return;
    }
    QPointer<TDdeListener> self(this);
    QStringList lines = text->split(u'\n');
    WipeText(*text);
    struct TWipe {
        QStringList& lines;
        ~TWipe() { WipeText(lines); }
    } wipe{lines};
    QStringList failures;
    // A run may spin the event loop, in which this connection may end.
    const std::shared_ptr<TDdeDataItem> data = connection->data;
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const bool ok = m_server->ExecuteCommand(line, *data);
        if (!self)
            return;
        if (!ok) {
            // The macro's word and query name only: a LOAD's password is
            // never sent back.
            dde::TMacro macro = ParseMacro(line);
            failures << QStringLiteral("%1(%2) : %3").arg(macro.command, macro.args.value(0), m_server->LastError());
            WipeText(macro);
        }
    }
    if (failures.isEmpty())
        answer(kOpAck, QString());
    else
        answer(kOpRefused, failures.join(u'\n'));
}

} // namespace mx
