#pragma once
// A client that writes exactly the bytes it is given on the server's
// socket and reads what comes back, for the tests of malformed input.

#include "query/dde/ddeprotocol.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace mxtest {

class RawClient {
public:
    explicit RawClient(const QString& socketPath);
    ~RawClient();
    bool Connected() const { return m_fd >= 0; }
    bool Send(const QByteArray& bytes);
    // The next whole frame; none when the server closed the connection
    // (or nothing came within timeoutMs).
    std::optional<mx::dde::TFrame> Read(int timeoutMs = 5000);
    // True when the server closed the connection (within timeoutMs).
    bool ClosedByServer(int timeoutMs = 5000);
    void Close();

private:
    bool fill(size_t bytes, int timeoutMs);
    int m_fd = -1;
    QByteArray m_buffer;
    bool m_eof = false;
};

} // namespace mxtest
