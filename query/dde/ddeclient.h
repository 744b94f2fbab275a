#pragma once
// A client of the query program's local server, with blocking calls: the
// command-line client, scripts' helpers and the tests use it. Every call
// waits on the socket itself, so it needs no event loop and works in any
// one thread.

#include "ddeprotocol.h"

#include <QLocalSocket>

#include <memory>
#include <optional>

namespace mx::dde {

class TClient {
public:
    TClient();
    ~TClient();
    TClient(const TClient&) = delete;
    TClient& operator=(const TClient&) = delete;

    // Connects to the socket at socketPath and opens the topic "System".
    // Refuses a socket whose folder is not private to the user (see
    // CheckPrivateFolder), a file that is not a socket of the user, and a
    // server run by another user. False with Error() telling why;
    // NoServer() when nothing listens there.
    bool Connect(const QString& socketPath, int timeoutMs = 5000);
    // The same on the service's socket for this user (SocketLocation).
    bool ConnectToService(const QString& service, int timeoutMs = 5000);

    // One request and its answer; none when the connection failed
    // (Error() says why). timeoutMs -1 waits as long as it takes.
    std::optional<TFrame> Call(char op, const QString& payload, int timeoutMs = -1);

    // For pipelining: requests go out at once, answers are read in order.
    bool Send(char op, const QByteArray& payload);
    bool Send(char op, const QString& payload);
    bool Flush(int timeoutMs = -1);
    std::optional<TFrame> Receive(int timeoutMs = -1);

    // Runs macros (one a line) and, with readData, reads the item "Data"
    // afterwards. None when the server refused or the connection failed.
    std::optional<QString> Execute(const QString& macros, bool readData);

    const QString& Error() const { return m_error; }
    bool NoServer() const { return m_noServer; }
    void Close();

    // The longest answer a client accepts.
    static constexpr quint32 kMaxAnswerPayload = 256u << 20;

private:
    bool fail(const QString& text);
    bool waitFor(qint64 bytes, int timeoutMs);

    std::unique_ptr<QLocalSocket> m_socket;
    QString m_error;
    bool m_noServer = false;
};

} // namespace mx::dde
