// Feeds arbitrary bytes to the local server as one client's conversation:
// they are written on a connection of its socket as they stand, and the
// server's answers are read until it closes the connection or has nothing
// more to say. Any crash, leak, hang or sanitizer report is a fault, and
// so is an answer that is not a whole frame of the protocol (A, D or N),
// more answers than requests, or a server that stops serving a
// well-behaved client afterwards. With MORVELIN_FUZZ_SEEDS set, the first
// call writes a few conversations there as the starting corpus.

#include "query/dde/ddeprotocol.h"
#include "query/server/ddelistener.h"
#include "query/server/ddeserver.h"

#include "engine/core/hookslot.h"
#include "engine/core/userservice.h"
#include "engine/tools/hooks.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace mx;
using namespace mx::dde;

namespace {

class QuietService : public TUserService {
public:
    int MessageDlg(const QString&, TMsgDlgType, int) override { return mrOk; }
    void Warning(const QString&) override {}
};

struct TState {
    QTemporaryDir folder;
    TfmOleDdeServer* server = nullptr;
    TDdeListener* listener = nullptr;
};
TState* g_state = nullptr;

[[noreturn]] void fault(const char* what)
{
    std::fprintf(stderr, "serverframes: %s\n", what);
    std::abort();
}

void writeSeeds(const QString& seeds)
{
    QDir().mkpath(seeds);
    const QByteArray system = EncodeFrame(kOpConnect, QByteArray("System"));
    const QByteArray conversations[] = {
        system + EncodeFrame(kOpExecute, QByteArray("GETEOF(V)")) + EncodeFrame(kOpRequest, QByteArray("Data")),
        system + EncodeFrame(kOpExecute, QByteArray("LOAD(V, /dev/zero)\nRUN(V)\nFIRST(V)\nGETRECORD(V)\nCLOSE(V)")),
        system + EncodeFrame(kOpExecute, QByteArray("LOAD(V, 'a', \"b\", c)\r\nNEXT(V)")) + EncodeFrame(kOpRequest, QByteArray("data")),
        EncodeFrame(kOpExecute, QByteArray("NEWQUERY")) + EncodeFrame('Z', QByteArray("x")),
        system + QByteArray("E\xff\xff\xff\x7f", 5),
    };
    int i = 0;
    for (const QByteArray& c : conversations) {
        QFile out(QDir(seeds).filePath(QStringLiteral("seed%1").arg(i++)));
        if (out.open(QIODevice::WriteOnly))
            out.write(c);
    }
}

// The number of requests in bytes the server answers: the whole ones, and
// a header whose length is over the limit (after which it reads nothing).
int requestCount(const QByteArray& bytes)
{
    int count = 0;
    qsizetype at = 0;
    while (bytes.size() - at >= kHeaderSize) {
        const quint32 length = PayloadLength(bytes.constData() + at);
        if (length > kMaxRequestPayload)
            return count + 1;
        if (bytes.size() - at - kHeaderSize < qsizetype(length))
            break;
        at += kHeaderSize + qsizetype(length);
        ++count;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QuietService service;
    SetUserService(&service);
    LoginPromptHook.set([](const QString&, QString&, QString&) { return false; });
    static QCoreApplication app(*argc, *argv);
    g_state = new TState;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(g_state->folder.path()));
    g_state->server = new TfmOleDdeServer();
    g_state->listener = new TDdeListener(g_state->server, g_state->server);
    if (!g_state->listener->Listen(QStringLiteral("fuzz")))
        fault("the server does not listen");
    if (const char* seeds = std::getenv("MORVELIN_FUZZ_SEEDS"))
        writeSeeds(QString::fromLocal8Bit(seeds));
    return 0;
}

namespace {

// Writes bytes on a new connection as the server reads them (a long input
// never fills the socket while nobody serves), serving meanwhile, and
// gives back what the server answered once it closed the connection or
// answered every whole request.
QByteArray converse(const QByteArray& bytes, bool* answeredAll)
{
    const QByteArray path = QFile::encodeName(g_state->listener->SocketPath());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        fault("no connection");
    qsizetype sent = 0;
    QByteArray answers;
    bool closed = false;
    const int requests = requestCount(bytes);
    QDeadlineTimer deadline(10000);
    while (!closed && !deadline.hasExpired()) {
        if (sent < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n > 0)
                sent += n;
            else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                sent = bytes.size(); // the server closed it
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                answers.append(buffer, n);
                continue;
            }
            if (n == 0)
                closed = true;
            break;
        }
        if (sent == bytes.size() && !closed) {
            // Every whole request answered: nothing more comes.
            int count = 0;
            for (qsizetype at = 0; answers.size() - at >= kHeaderSize; ++count) {
                const qsizetype next = at + kHeaderSize + qsizetype(PayloadLength(answers.constData() + at));
                if (next > answers.size())
                    break;
                at = next;
            }
            if (count >= requests)
                break;
        }
    }
    ::close(fd);
    *answeredAll = closed || !deadline.hasExpired();
    return answers;
}

// The answers' kinds, checking that each is a whole frame of the protocol.
QByteArray answerKinds(const QByteArray& answers)
{
    QByteArray kinds;
    qsizetype at = 0;
    while (at < answers.size()) {
        if (answers.size() - at < kHeaderSize)
            fault("half an answer's header");
        const char op = answers[at];
        if (op != kOpAck && op != kOpData && op != kOpRefused)
            fault("an answer of an unknown kind");
        const quint32 length = PayloadLength(answers.constData() + at);
        if (answers.size() - at - kHeaderSize < qsizetype(length))
            fault("an answer cut short");
        at += kHeaderSize + qsizetype(length);
        kinds.append(op);
    }
    return kinds;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    bool answeredAll = false;
    const QByteArray kinds = answerKinds(converse(bytes, &answeredAll));
    if (!answeredAll)
        fault("a whole request was never answered");
    if (kinds.size() > requestCount(bytes))
        fault("more answers than requests");

    // Whatever it was sent, the server still serves a well-behaved client,
    // and keeps nothing of it that is not a query.
    const QByteArray polite = EncodeFrame(kOpConnect, QByteArray("System")) + EncodeFrame(kOpExecute, QByteArray("GETEOF(X)"))
        + EncodeFrame(kOpRequest, QByteArray("Data"));
    if (answerKinds(converse(polite, &answeredAll)) != "AAD" || !answeredAll)
        fault("the server no longer serves");
    for (const QString& name : g_state->server->QueryNames())
        g_state->server->CloseQuery(name);
    return 0;
}
