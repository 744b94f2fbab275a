// The server over its local socket: a whole conversation against the
// sample, malformed input, requests arriving during a run, the private
// folder, the name held by a live server, and peers of another user.

#include "serverfixture.h"
#include "socketclient.h"

#include "query/dde/ddeclient.h"
#include "query/dde/ddeprotocol.h"
#include "query/server/ddelistener.h"

#include "engine/core/hookslot.h"
#include "engine/model/paramcontrol.h"
#include "engine/query/query.h"
#include "engine/tools/hooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace mx;
using namespace mx::dde;
using namespace mxtest;

namespace {

QByteArray frame(char op, const QByteArray& payload)
{
    return EncodeFrame(op, payload);
}

QByteArray header(char op, quint32 length)
{
    QByteArray h(1, op);
    for (int i = 0; i < 4; ++i)
        h.append(char((length >> (8 * i)) & 0xFF));
    return h;
}

class SocketTest : public ServerTest {
protected:
    SocketTest() : m_runtime("XDG_RUNTIME_DIR", QFile::encodeName(m_sockets.path()))
    {
        m_listener = std::make_unique<TDdeListener>(m_server.get());
    }
    ~SocketTest() override { m_listener.reset(); }

    void SetUp() override { ASSERT_TRUE(m_listener->Listen(QStringLiteral("morv32"))) << m_listener->ErrorString().toStdString(); }
    QString SocketPath() const { return m_listener->SocketPath(); }

    // A short exchange a well-behaved client has, on a connection of its own.
    void ExpectServing()
    {
        bool ok = false;
        WhileServing([&] {
            TClient client;
            ok = client.Connect(SocketPath()) && client.Execute(QStringLiteral("GETEOF(X)"), true) == QStringLiteral("TRUE\r\n");
        });
        EXPECT_TRUE(ok) << "the server still serves";
    }

    QTemporaryDir m_sockets;
    ScopedEnv m_runtime;
    std::unique_ptr<TDdeListener> m_listener;
};

} // namespace

TEST_F(SocketTest, AClientLoadsRunsAndWalksTheSampleThenCloses)
{
    EXPECT_EQ(SocketPath(), m_sockets.path() + QStringLiteral("/morv32.dde"));
    const QList<QStringList> expected = SqliteRows(StepSql(Sales()));
    ASSERT_EQ(expected.size(), 30);

    QList<QStringList> rows;
    QString afterClose;
    bool otherRefused = false;
    bool otherClosed = false;
    WhileServing([&] {
        TClient client;
        ASSERT_TRUE(client.Connect(SocketPath())) << client.Error().toStdString();
        ASSERT_TRUE(client.Execute(QStringLiteral("LOAD(q, %1)\r\nRUN(q)").arg(Sales()), false));
        ASSERT_TRUE(client.Execute(QStringLiteral("FIRST(q)"), false));
        for (int i = 0; i < 1000; ++i) {
            const std::optional<QString> eof = client.Execute(QStringLiteral("GETEOF(q)"), true);
            ASSERT_TRUE(eof) << client.Error().toStdString();
            if (*eof == u"TRUE\r\n")
                break;
            ASSERT_EQ(*eof, QStringLiteral("FALSE\r\n"));
            QString record = client.Execute(QStringLiteral("GETRECORD(q)"), true).value_or(QString());
            ASSERT_TRUE(record.endsWith(QLatin1String("\r\n")));
            record.chop(2);
            rows << record.split(QLatin1String("\r\n"));
            ASSERT_TRUE(client.Execute(QStringLiteral("NEXT(q)"), false));
        }
        ASSERT_TRUE(client.Execute(QStringLiteral("CLOSE(q)"), false));
        afterClose = client.Execute(QStringLiteral("GETEOF(q)"), true).value_or(QStringLiteral("<none>"));

        RawClient other(SocketPath());
        other.Send(frame(kOpConnect, "Other"));
        const std::optional<TFrame> answer = other.Read();
        otherRefused = answer && answer->op == kOpRefused;
        otherClosed = other.ClosedByServer();
    });
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(afterClose, QStringLiteral("TRUE\r\n"));
    EXPECT_TRUE(m_server->QueryNames().isEmpty());
    EXPECT_TRUE(otherRefused) << "only the topic System exists";
    EXPECT_TRUE(otherClosed);
    ExpectServing();
}

TEST_F(SocketTest, MalformedInputIsAnsweredOrClosedAndTheServerGoesOn)
{
    const QByteArray system = frame(kOpConnect, "System");
    struct Case {
        const char* what;
        QByteArray bytes;
        QByteArray answers; // the operations of the answers, in order
        enum { StaysOpen, ClosedByServer, ClientLeaves } after;
    };
    const Case cases[] = {
        {"unknown operation", frame('Z', "abc"), "N", Case::StaysOpen},
        {"execute before the topic", frame(kOpExecute, "NEWQUERY"), "N", Case::StaysOpen},
        {"request before the topic", frame(kOpRequest, "Data"), "N", Case::StaysOpen},
        {"another topic", frame(kOpConnect, "Other"), "N", Case::ClosedByServer},
        {"topic not UTF-8", frame(kOpConnect, "Syst\xC3"), "N", Case::StaysOpen},
        {"unknown item", system + frame(kOpRequest, "Autre"), "AN", Case::StaysOpen},
        {"macros not UTF-8", system + frame(kOpExecute, "\xFF\xFE" "CLOSE(V)"), "AN", Case::StaysOpen},
        {"unknown macro", system + frame(kOpExecute, "FOO(V)\nRUN\n(\n)"), "AA", Case::StaysOpen},
        {"empty macros", system + frame(kOpExecute, ""), "AA", Case::StaysOpen},
        {"zero bytes", system + frame(kOpExecute, QByteArray("GETEOF(V\0)\0", 11)), "AA", Case::StaysOpen},
        {"pipelined", system + frame(kOpExecute, "GETEOF(X)") + frame(kOpRequest, "data"), "AAD", Case::StaysOpen},
        {"length far over the limit", system + header(kOpExecute, 0xFFFFFFFFu), "AN", Case::ClosedByServer},
        {"length just over the limit", header(kOpExecute, kMaxRequestPayload + 1), "N", Case::ClosedByServer},
        {"half a header", system + QByteArray("E\x05", 2), "A", Case::ClientLeaves},
        {"a payload cut short", system + header(kOpExecute, 100) + "LOAD(V,/t", "A", Case::ClientLeaves},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray answers;
        bool closed = false;
        bool stillServes = false;
        WhileServing([&] {
            RawClient client(SocketPath());
            ASSERT_TRUE(client.Connected());
            client.Send(c.bytes);
            for (qsizetype i = 0; i < c.answers.size(); ++i) {
                const std::optional<TFrame> answer = client.Read();
                if (!answer)
                    break;
                answers.append(answer->op);
            }
            if (c.after == Case::ClosedByServer)
                closed = client.ClosedByServer();
            if (c.after == Case::StaysOpen) {
                // Still in step: a topic then a request are answered.
                client.Send(system + frame(kOpExecute, "GETEOF(X)") + frame(kOpRequest, "Data"));
                const auto a = client.Read(), b = client.Read(), d = client.Read();
                stillServes = a && a->op == kOpAck && b && b->op == kOpAck && d && d->payload == "TRUE\r\n";
            }
        });
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(closed, c.after == Case::ClosedByServer);
        EXPECT_EQ(stillServes, c.after == Case::StaysOpen);
        ExpectServing();
    }
    EXPECT_TRUE(m_server->QueryNames().isEmpty()) << "nothing was loaded";
    EXPECT_TRUE(SpinUntil([this] { return m_listener->ConnectionCount() == 0; })) << "every connection was let go";
}

TEST_F(SocketTest, ARequestArrivingDuringARunWaitsUntilTheRunEnds)
{
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("V"), Sales(), QString(), QString()), 1);
    new TMxParamControl(m_server->FindQuery(QStringLiteral("V"))->ParamControls()); // so the run asks

    std::atomic<bool> connected{false}, go{false}, done{false};
    std::optional<QString> closeAnswer;
    std::thread client([&] {
        TClient c;
        connected = c.Connect(SocketPath());
        while (connected && !go)
            std::this_thread::yield();
        closeAnswer = c.Execute(QStringLiteral("CLOSE(V)\nGETEOF(V)"), true);
        done = true;
    });
    ASSERT_TRUE(SpinUntil([&] { return connected.load(); }));

    bool waitedInside = false;
    bool aliveInside = false;
    ScopedHook prompter(ParamsPrompterHook, [&](TMxDataModel*, const QString&, bool& ok, TStrings*, TMxParamControlList*, bool) {
        // The prompt's own event loop: the client's CLOSE arrives here.
        go = true;
        waitedInside = SpinUntil([&] { return m_listener->WaitingRequests() == 1; });
        aliveInside = m_server->FindQuery(QStringLiteral("V")) != nullptr;
        ok = true;
    });
    EXPECT_EQ(m_server->RunQuery(QStringLiteral("V")), 1);
    EXPECT_TRUE(waitedInside);
    EXPECT_TRUE(aliveInside);
    EXPECT_NE(m_server->FindQuery(QStringLiteral("V")), nullptr) << "the CLOSE waits for the event loop";
    EXPECT_TRUE(SpinUntil([&] { return done.load(); }));
    client.join();
    EXPECT_EQ(closeAnswer, QStringLiteral("TRUE\r\n"));
    EXPECT_EQ(m_server->FindQuery(QStringLiteral("V")), nullptr) << "executed after the run";
}

TEST_F(SocketTest, APeerOfAnotherUserIsClosedBeforeAnythingIsRead)
{
    m_listener->SetAcceptedUid(geteuid() + 1);
    bool closedUnanswered = false;
    WhileServing([&] {
        RawClient client(SocketPath());
        client.Send(frame(kOpConnect, "System") + frame(kOpExecute, QStringLiteral("LOAD(V,%1)").arg(Sales()).toUtf8()));
        closedUnanswered = !client.Read() && client.ClosedByServer();
    });
    EXPECT_TRUE(closedUnanswered);
    EXPECT_TRUE(m_server->QueryNames().isEmpty()) << "nothing it sent was executed";
    m_listener->SetAcceptedUid(geteuid());
    ExpectServing();
}

TEST_F(SocketTest, TheNameOfALiveServerIsNeverTakenAndAStaleSocketIsReplaced)
{
    TDdeListener second(m_server.get());
    EXPECT_FALSE(second.Listen(QStringLiteral("morv32")));
    EXPECT_TRUE(second.ErrorString().contains(QStringLiteral("Un autre programme"))) << second.ErrorString().toStdString();
    ExpectServing();

    // The first goes away: its name is free.
    m_listener->Close();
    EXPECT_FALSE(QFile::exists(SocketPath()));
    ASSERT_TRUE(second.Listen(QStringLiteral("morv32"))) << second.ErrorString().toStdString();
    second.Close();

    // A socket left by a program that died, with nobody holding the name.
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(SocketPath()).constData(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    ASSERT_TRUE(QFile::exists(SocketPath()));
    TClient refused;
    EXPECT_FALSE(refused.Connect(SocketPath()));
    EXPECT_TRUE(refused.NoServer());
    ASSERT_TRUE(m_listener->Listen(QStringLiteral("morv32"))) << m_listener->ErrorString().toStdString();
    ExpectServing();
}

TEST_F(SocketTest, TheSocketsFolderMustBeTheUsersAlone)
{
    // A folder opened to others after the server started: clients refuse it.
    ASSERT_EQ(::chmod(QFile::encodeName(m_sockets.path()).constData(), 0755), 0);
    bool refused = false;
    QString why;
    WhileServing([&] {
        TClient client;
        refused = !client.Connect(SocketPath()) && !client.NoServer();
        why = client.Error();
    });
    EXPECT_TRUE(refused);
    EXPECT_TRUE(why.contains(QStringLiteral("0755"))) << why.toStdString();
    m_listener->Close();

    QTemporaryDir scratch;
    const QString tmp = scratch.path();
    // Without a runtime folder, the folder is in the user's cache folder.
    const QString fallback = tmp + QStringLiteral("/.cache/morvelin-%1").arg(geteuid());
    const QString elsewhere = tmp + QStringLiteral("/ailleurs");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ::chmod(QFile::encodeName(elsewhere).constData(), 0700);
    struct Case {
        const char* what;
        QByteArray runtime; // null: not set
        std::function<void()> prepare;
        bool listens;
        QString folder;
    };
    const Case cases[] = {
        {"the runtime folder opened to the group", QFile::encodeName(m_sockets.path()),
            [&] { ::chmod(QFile::encodeName(m_sockets.path()).constData(), 0750); }, false, m_sockets.path()},
        {"no runtime folder: a private one is made", QByteArray(), [] {}, true, fallback},
        {"a relative runtime folder is not used", QByteArray("run"), [] {}, true, fallback},
        {"the private folder opened to others", QByteArray(),
            [&] { ::chmod(QFile::encodeName(fallback).constData(), 0705); }, false, fallback},
        {"the private folder is a link", QByteArray(),
            [&] {
                QDir(fallback).removeRecursively();
                QFile::link(elsewhere, fallback);
            },
            false, fallback},
        {"the private folder is a file", QByteArray(),
            [&] {
                QFile::remove(fallback);
                WriteAll(fallback, "x");
            },
            false, fallback},
    };
    ScopedEnv home("HOME", QFile::encodeName(tmp));
    ScopedEnv cache("XDG_CACHE_HOME", QByteArray());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        c.prepare();
        TDdeListener listener(m_server.get());
        EXPECT_EQ(listener.Listen(QStringLiteral("morv32")), c.listens) << listener.ErrorString().toStdString();
        EXPECT_EQ(QFileInfo(listener.SocketPath()).path(), c.folder);
        if (c.listens) {
            struct stat st {};
            ASSERT_EQ(::lstat(QFile::encodeName(c.folder).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            listener.Close();
        } else {
            EXPECT_FALSE(listener.ErrorString().isEmpty());
            EXPECT_FALSE(QFile::exists(listener.SocketPath()) && QFileInfo(listener.SocketPath()).isFile());
        }
    }
}

namespace {

// One step of a client's walk: the macros of a request, then Data read on
// its own request, so that two clients' requests can be interleaved.
QString record(TClient& client, const QString& macro)
{
    const std::optional<TFrame> done = client.Call(kOpExecute, macro);
    if (!done || done->op != kOpAck)
        return QStringLiteral("<refused>");
    const std::optional<TFrame> data = client.Call(kOpRequest, QString::fromLatin1(kDataItem));
    return data ? QString::fromUtf8(data->payload) : QStringLiteral("<lost>");
}

} // namespace

TEST_F(SocketTest, TwoClientsWalkingAtOnceEachReadTheirOwnRecords)
{
    const QList<QStringList> sales = SqliteRows(StepSql(Sales()));
    // The clients' query shows dates as the session does: its rows as one
    // client alone reads them.
    const QString clientsFile = SampleFile(QStringLiteral("CLIENTS.MQR"));
    ASSERT_EQ(m_server->LoadQuery(QStringLiteral("SEUL"), clientsFile, QString(), QString()), 1);
    ASSERT_EQ(m_server->RunQuery(QStringLiteral("SEUL")), 1);
    const QList<QStringList> clients = Walk(QStringLiteral("SEUL"));
    ASSERT_EQ(m_server->CloseQuery(QStringLiteral("SEUL")), 1);
    ASSERT_EQ(sales.size(), 30);
    ASSERT_EQ(clients.size(), SqliteRows(StepSql(clientsFile)).size());

    QList<QStringList> rowsA, rowsB;
    WhileServing([&] {
        TClient a, b;
        ASSERT_TRUE(a.Connect(SocketPath())) << a.Error().toStdString();
        ASSERT_TRUE(b.Connect(SocketPath())) << b.Error().toStdString();
        ASSERT_TRUE(a.Execute(QStringLiteral("LOAD(A, %1)\nRUN(A)\nFIRST(A)").arg(Sales()), false)) << a.Error().toStdString();
        ASSERT_TRUE(b.Execute(QStringLiteral("LOAD(B, %1)\nRUN(B)\nFIRST(B)").arg(clientsFile), false)) << b.Error().toStdString();
        // Each asks for its record before the other reads its own.
        bool endA = false, endB = false;
        for (int i = 0; i < 1000 && !(endA && endB); ++i) {
            const QString eofA = endA ? QString() : record(a, QStringLiteral("GETEOF(A)"));
            const QString eofB = endB ? QString() : record(b, QStringLiteral("GETEOF(B)"));
            endA = endA || eofA == u"TRUE\r\n";
            endB = endB || eofB == u"TRUE\r\n";
            ASSERT_TRUE(endA || eofA == u"FALSE\r\n") << eofA.toStdString();
            ASSERT_TRUE(endB || eofB == u"FALSE\r\n") << eofB.toStdString();
            if (!endA)
                ASSERT_EQ(a.Call(kOpExecute, QStringLiteral("GETRECORD(A)\nNEXT(A)")).value_or(TFrame{}).op, kOpAck);
            if (!endB)
                ASSERT_EQ(b.Call(kOpExecute, QStringLiteral("GETRECORD(B)\nNEXT(B)")).value_or(TFrame{}).op, kOpAck);
            auto read = [](TClient& c, QList<QStringList>& rows) {
                QString text = QString::fromUtf8(c.Call(kOpRequest, QString::fromLatin1(kDataItem)).value_or(TFrame{}).payload);
                text.chop(2);
                rows << text.split(QLatin1String("\r\n"));
            };
            if (!endA)
                read(a, rowsA);
            if (!endB)
                read(b, rowsB);
        }
    });
    EXPECT_EQ(rowsA, sales);
    EXPECT_EQ(rowsB, clients);
}

TEST_F(SocketTest, ARefusedLoadOrAFailedRunIsToldWithItsReason)
{
    ASSERT_TRUE(QFile::copy(Sales(), Path(QStringLiteral("ACCES.MQR"))));
    ASSERT_TRUE(QFile::copy(SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));
    const QString acces = Path(QStringLiteral("ACCES.MQR"));
    struct Case {
        QString macros;
        char answer;
        QString says; // within the refusal
    };
    const Case cases[] = {
        {QStringLiteral("LOAD(A, %1, Admin, faux)").arg(acces), kOpRefused, QStringLiteral("Accès refusé.")},
        {QStringLiteral("LOAD(A, %1, Personne, x)").arg(acces), kOpRefused, QStringLiteral("Accès refusé.")},
        {QStringLiteral("LOAD(A, %1)").arg(Path(QStringLiteral("ABSENT.MQR"))), kOpRefused, QStringLiteral("ABSENT.MQR")},
        {QStringLiteral("RUN(INCONNUE)"), kOpRefused, QStringLiteral("INCONNUE")},
        // Every line runs; the refusal names the macro that failed.
        {QStringLiteral("LOAD(A, %1, admin, ADMIN)\nLOAD(a, %2)").arg(acces, Sales()), kOpRefused, QStringLiteral("LOAD(a) : ")},
        {QStringLiteral("RUN(A)\nCLOSE(A)"), kOpAck, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.macros.toStdString());
        std::optional<TFrame> answer;
        WhileServing([&] {
            TClient client;
            ASSERT_TRUE(client.Connect(SocketPath())) << client.Error().toStdString();
            answer = client.Call(kOpExecute, c.macros);
        });
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->op, c.answer);
        const QString text = QString::fromUtf8(answer->payload);
        EXPECT_TRUE(text.contains(c.says)) << text.toStdString();
        EXPECT_FALSE(text.contains(u"faux") || text.contains(u"ADMIN")) << "no password is sent back";
    }
    EXPECT_TRUE(m_server->QueryNames().isEmpty());
}

TEST_F(SocketTest, IdleConnectionsAreClosedAndAFullServerSaysSo)
{
    // Every place taken by clients that say nothing after the topic.
    std::vector<std::unique_ptr<RawClient>> idle;
    WhileServing([&] {
        for (int i = 0; i < TDdeListener::kMaxConnections; ++i) {
            idle.push_back(std::make_unique<RawClient>(SocketPath()));
            idle.back()->Send(frame(kOpConnect, "System"));
            ASSERT_EQ(idle.back()->Read().value_or(TFrame{}).op, kOpAck);
        }
    });
    ASSERT_EQ(m_listener->ConnectionCount(), TDdeListener::kMaxConnections);
    bool refused = false;
    QString why;
    WhileServing([&] {
        TClient late;
        refused = !late.Connect(SocketPath());
        why = late.Error();
    });
    EXPECT_TRUE(refused);
    EXPECT_TRUE(why.contains(u"plein")) << why.toStdString();
    EXPECT_EQ(m_listener->ConnectionCount(), TDdeListener::kMaxConnections) << "the places taken stay";

    // Idle ones go once their time is up; one in the middle of a request
    // (half a frame sent) is idle too.
    m_listener->SetIdleTimeout(100);
    idle.front()->Send(QByteArray("E\x05", 2));
    bool allClosed = true;
    WhileServing([&] {
        for (auto& c : idle)
            allClosed = c->ClosedByServer(10000) && allClosed;
    });
    EXPECT_TRUE(allClosed);
    EXPECT_TRUE(SpinUntil([this] { return m_listener->ConnectionCount() == 0; }));
    ExpectServing();
}

TEST_F(SocketTest, LoadRefusesWhatIsNotARegularFileWithoutWaiting)
{
    const QString fifo = Path(QStringLiteral("TUBE.MQR"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString big = Path(QStringLiteral("GROS.MQR"));
    {
        // 3 GB that take no room: a sparse file.
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30));
    }
    struct Case {
        QString file;
        QString says;
    };
    const Case cases[] = {
        {fifo, QStringLiteral("fichier ordinaire")},
        {QStringLiteral("/dev/zero"), QStringLiteral("fichier ordinaire")},
        {big, QStringLiteral("3221225472 octets")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        std::optional<TFrame> answer;
        WhileServing([&] {
            TClient client;
            ASSERT_TRUE(client.Connect(SocketPath()));
            answer = client.Call(kOpExecute, QStringLiteral("LOAD(F, %1)").arg(c.file));
        });
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->op, kOpRefused);
        EXPECT_TRUE(QString::fromUtf8(answer->payload).contains(c.says)) << answer->payload.toStdString();
        ExpectServing();
    }
    EXPECT_TRUE(m_server->QueryNames().isEmpty());
}
