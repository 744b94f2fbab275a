#include "rsapi.h"

#include "rendezvous.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::rs {

std::atomic<std::int64_t> RsApi::s_activity {0};

namespace {

std::int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

RsApi& RsApi::instance()
{
    static RsApi* api = new RsApi; // used until the very end of the process
    return *api;
}

void RsApi::noteActivity()
{
    s_activity = nowMs();
}

QString RsApi::kindName() const
{
    return QString::fromLatin1(m_kind == kFullProgram ? kFullKind : kRuntimeKind);
}

bool RsApi::isPresent()
{
    if (m_fd < 0)
        return false;
    pollfd p {m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return true;
    if (p.revents & (POLLHUP | POLLERR)) {
        disconnect();
        return false;
    }
    if (p.revents & POLLIN) {
        char c;
        const ssize_t n = ::recv(m_fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n == 0) {
            disconnect();
            return false;
        }
    }
    return true;
}

void RsApi::initiate(int kind)
{
    m_kind = kind == kFullProgram ? kFullProgram : kRunTime;
}

void RsApi::disconnect()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int RsApi::fail(int code, const QString& text)
{
    m_lastError = text;
    return code;
}

int RsApi::connect(std::uint32_t* connection, int)
{
    *connection = 0;
    if (m_busy)
        return fail(kBusy, QStringLiteral("The report API is busy"));
    if (m_fd >= 0 && (m_connectedKind != m_kind || !isPresent()))
        disconnect();
    if (m_fd < 0) {
        QString error;
        const QString path = socketPath(kindName(), &error);
        if (path.isEmpty())
            return fail(kNotConnected, error);
        m_fd = connectSocket(path, &error);
        if (m_fd < 0)
            return fail(kNotConnected, error);
        m_connectedKind = m_kind;
    }
    QStringList answer;
    const int r = call({QStringLiteral("CONNECT")}, &answer);
    if (r != kOk)
        return r;
    bool ok = false;
    const uint value = answer.value(1).toUInt(&ok);
    if (!ok)
        return fail(kBadAnswer, QStringLiteral("Bad answer to CONNECT"));
    *connection = value;
    return kOk;
}

int RsApi::setRecordLimit(int maxRecords)
{
    QStringList answer;
    return call({QStringLiteral("LIMIT"), QString::number(maxRecords)}, &answer);
}

int RsApi::loadReport(const QString& fileName, const QString& initialValues, int a, int b, const QString& outputFolder)
{
    QStringList answer;
    QStringList request {QStringLiteral("LOAD"), fileName, initialValues, QString::number(a), QString::number(b)};
    if (!outputFolder.isEmpty())
        request << outputFolder;
    return call(request, &answer);
}

int RsApi::printReport(int startPage, int endPage, int a, int b, int c, int copies)
{
    QStringList answer;
    return call({QStringLiteral("PRINT"), QString::number(startPage), QString::number(endPage), QString::number(a),
                    QString::number(b), QString::number(c), QString::number(copies)},
        &answer);
}

int RsApi::closeRS(int close)
{
    QStringList answer;
    const int r = call({QStringLiteral("CLOSE"), QString::number(close)}, &answer);
    if (r == kOk)
        disconnect();
    return r;
}

int RsApi::call(const QStringList& request, QStringList* answer)
{
    if (m_busy)
        return fail(kBusy, QStringLiteral("The report API is busy"));
    m_lastAnswer.clear();
    if (m_fd < 0)
        return fail(kNotConnected, QStringLiteral("Not connected to the report runtime"));
    m_busy = true;
    struct Idle {
        bool* busy;
        ~Idle() { *busy = false; }
    } idle {&m_busy};

    if (!sendAll(m_fd, encodeLine(request), m_answerTimeoutMs)) {
        disconnect();
        return fail(kGone, QStringLiteral("The report runtime has ended"));
    }
    const std::int64_t start = nowMs();
    LineBuffer buffer;
    QByteArray line;
    while (!buffer.takeLine(&line)) {
        const std::int64_t left = std::max(start, s_activity.load()) + m_answerTimeoutMs - nowMs();
        if (left <= 0) {
            // The exchange is out of step now: the next call starts afresh.
            disconnect();
            return fail(kTimedOut, QStringLiteral("The report runtime did not answer in time"));
        }
        const int slice = int(std::min<std::int64_t>(left, 250));
        bool terminating = false;
        if (m_waitLoop) {
            terminating = m_waitLoop(m_fd, slice);
        } else {
            pollfd p {m_fd, POLLIN, 0};
            ::poll(&p, 1, slice);
        }
        char chunk[4096];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            disconnect();
            return fail(kGone, QStringLiteral("The report runtime has ended"));
        }
        if (n > 0)
            buffer.append(chunk, n);
        if (terminating && !buffer.takeLine(&line)) {
            disconnect();
            return fail(kTerminating, QStringLiteral("The program is ending"));
        }
        if (terminating)
            break;
    }
    if (!decodeLine(line, answer) || answer->isEmpty()) {
        disconnect();
        return fail(kBadAnswer, QStringLiteral("Bad answer of the report runtime"));
    }
    if (answer->first() == u"OK") {
        m_lastError.clear();
        m_lastAnswer = answer->mid(1);
        return kOk;
    }
    if (answer->first() == u"ERR") {
        bool ok = false;
        const int code = answer->value(1).toInt(&ok);
        return fail(ok && code != 0 ? code : kBadAnswer, answer->value(2));
    }
    disconnect();
    return fail(kBadAnswer, QStringLiteral("Bad answer of the report runtime"));
}

bool RsApi::findRuntime(const QString& kindName)
{
    QString error;
    const QString path = socketPath(kindName, &error);
    return !path.isEmpty() && socketAnswers(path);
}

bool RsApi::launch(const QString& program, const QStringList& args, std::int64_t* pid, QString* error)
{
    qint64 started = 0;
    if (!QProcess::startDetached(program, args, QString(), &started) || started <= 0) {
        *error = QStringLiteral("Cannot start %1").arg(program);
        return false;
    }
    *pid = started;
    return true;
}

bool RsApi::processAlive(std::int64_t pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // "pid (name) S ...": the state follows the last ")".
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || close + 2 >= line.size() || (line[close + 2] != 'Z' && line[close + 2] != 'X');
}

bool RsApi::waitUntilReady(const QString& kindName, std::int64_t pid, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (findRuntime(kindName))
            return true;
        // A runtime started together with another ends once the other
        // answers: that one serves.
        if (pid > 0 && !processAlive(pid))
            return findRuntime(kindName);
        if (timer.elapsed() >= timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace platform::rs
