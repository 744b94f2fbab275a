#pragma once
// The local socket through which other programs of the same user talk to
// the server (dde/ddeprotocol.h gives the frames). One listener per
// process: the socket of the service lives in the user's private folder
// and is held with a lock for the listener's life, so a second program
// never takes the name of a live one, and a socket left by a program that
// died is replaced.
//
// Nobody else gets in: the folder must be the user's alone (mode 0700),
// the socket is the user's alone, and a connection whose peer is another
// user is closed before anything is read. Requests that arrive while the
// engine is busy (enginebusy.h) wait until it is idle; a connection that
// sends what cannot be read gets an error answer or is closed, and the
// others go on. Each connection has its own item "Data". A connection
// that sends nothing for the idle time-out while the engine is free is
// closed, so that idle clients never keep the others out; a client that
// comes when every place is taken is told that the server is full.

#include <QObject>
#include <QPointer>
#include <QString>

#include <sys/types.h>

#include <memory>
#include <vector>

class QLocalServer;
class QTimer;
class QLocalSocket;

namespace mx {

class TfmOleDdeServer;

class TDdeListener : public QObject {
    Q_OBJECT
public:
    explicit TDdeListener(TfmOleDdeServer* server, QObject* parent = nullptr);
    ~TDdeListener() override;

    // Listens on the service's socket (dde::SocketLocation). False, with
    // ErrorString(), when the folder is not private, another live program
    // serves the name, or the socket cannot be made.
    bool Listen(const QString& service);
    void Close();
    bool IsListening() const;
    const QString& SocketPath() const { return m_path; }
    const QString& ErrorString() const { return m_error; }

    // The user whose connections are served: the effective user unless
    // changed (tests).
    void SetAcceptedUid(uid_t uid) { m_acceptedUid = uid; }

    int ConnectionCount() const { return int(m_connections.size()); }
    // The connections holding a whole request not served yet (they wait
    // for the engine, or for their client to read its answers).
    int WaitingRequests() const;
    // At most this many connections at once; more are told that the
    // server is full and closed at once.
    static constexpr int kMaxConnections = 32;
    // A connection that neither sends nor is answered for this long while
    // the engine is free is closed.
    static constexpr int kDefaultIdleTimeoutMs = 60 * 1000;
    void SetIdleTimeout(int ms);
    int IdleTimeout() const { return m_idleTimeoutMs; }
    // A connection whose answers pile up past this many bytes is not
    // served until it reads them.
    static constexpr qint64 kMaxPendingAnswers = 8 << 20;

private:
    struct TConnection;
    void accept();
    void serve(TConnection* connection);
    void serveAll();
    void handle(TConnection* connection, char op, const QByteArray& payload, bool& closeAfter);
    void drop(TConnection* connection);
    bool holds(const TConnection* connection) const;
    void scheduleServeAll();
    void closeIdle();
    void touchAll();

    TfmOleDdeServer* m_server;
    QLocalServer* m_listener = nullptr;
    QString m_path;
    QString m_error;
    int m_lockFd = -1;
    uid_t m_acceptedUid;
    int m_idleListener = 0;
    bool m_serveAllPending = false;
    int m_idleTimeoutMs = kDefaultIdleTimeoutMs;
    QTimer* m_idleTimer = nullptr;
    std::vector<std::unique_ptr<TConnection>> m_connections;
};

} // namespace mx
