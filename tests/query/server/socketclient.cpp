#include "socketclient.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace mxtest {

RawClient::RawClient(const QString& socketPath)
{
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Close();
}

RawClient::~RawClient()
{
    Close();
}

void RawClient::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool RawClient::Send(const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return m_fd >= 0;
}

bool RawClient::fill(size_t bytes, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (size_t(m_buffer.size()) < bytes && !m_eof && m_fd >= 0) {
        pollfd p {m_fd, POLLIN, 0};
        const int left = int(std::max<qint64>(0, timeoutMs - clock.elapsed()));
        if (::poll(&p, 1, left) <= 0)
            return false;
        char chunk[65536];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            m_eof = true;
        else
            m_buffer.append(chunk, n);
    }
    return size_t(m_buffer.size()) >= bytes;
}

std::optional<mx::dde::TFrame> RawClient::Read(int timeoutMs)
{
    if (!fill(mx::dde::kHeaderSize, timeoutMs))
        return std::nullopt;
    const quint32 length = mx::dde::PayloadLength(m_buffer.constData());
    if (!fill(mx::dde::kHeaderSize + size_t(length), timeoutMs))
        return std::nullopt;
    mx::dde::TFrame frame;
    frame.op = m_buffer[0];
    frame.payload = m_buffer.mid(mx::dde::kHeaderSize, length);
    m_buffer.remove(0, mx::dde::kHeaderSize + length);
    return frame;
}

bool RawClient::ClosedByServer(int timeoutMs)
{
    fill(m_buffer.size() + 1, timeoutMs);
    return m_eof;
}

} // namespace mxtest
