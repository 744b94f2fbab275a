// morvdde, the command-line client, run as a script runs it against a
// server of this process on a socket folder of the test's own.

#include "serverfixture.h"

#include "socketclient.h"

#include "engine/query/query.h"
#include "query/server/ddelistener.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace mx;
using namespace mxtest;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

class MorvddeTest : public ServerTest {
protected:
    // This process's server listening as "morv32" on the socket folder
    // runtime; null, with the test failed, when it cannot listen.
    std::unique_ptr<TDdeListener> ListenIn(const QString& runtime)
    {
        const ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        auto listener = std::make_unique<TDdeListener>(m_server.get());
        if (!listener->Listen(QStringLiteral("morv32"))) {
            ADD_FAILURE() << listener->ErrorString().toStdString();
            return nullptr;
        }
        return listener;
    }

    // Runs morvdde with XDG_RUNTIME_DIR on runtime while this thread serves.
    Outcome Run(const QString& runtime, const QStringList& args, const QByteArray& input = QByteArray())
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(MORVDDE_PROGRAM), args);
        Outcome o;
        if (!process.waitForStarted(10000)) {
            ADD_FAILURE() << "morvdde did not start";
            return o;
        }
        process.write(input);
        process.closeWriteChannel();
        const bool ended = SpinUntil([&] { return process.state() == QProcess::NotRunning; });
        EXPECT_TRUE(ended) << "morvdde did not end";
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        o.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        o.out = QString::fromUtf8(process.readAllStandardOutput());
        o.err = QString::fromUtf8(process.readAllStandardError());
        return o;
    }
};

} // namespace

TEST_F(MorvddeTest, SendsEachMacroAndPrintsDataAfterThoseThatFillIt)
{
    QTemporaryDir runtime;
    const std::unique_ptr<TDdeListener> listener = ListenIn(runtime.path());
    ASSERT_TRUE(listener);

    const QList<QStringList> rows = SqliteRows(StepSql(Sales()));
    ASSERT_GE(rows.size(), 2);
    const Outcome session = Run(runtime.path(),
        {QStringLiteral("LOAD(V, %1)").arg(Sales()), QStringLiteral("RUN(V)"), QStringLiteral("FIRST(V)"), QStringLiteral("GETEOF(V)"),
            QStringLiteral("GETRECORD(V)")});
    EXPECT_EQ(session.status, 0) << session.err.toStdString();
    EXPECT_EQ(session.out, QStringLiteral("FALSE\n") + rows[0].join(u'\n') + u'\n');
    EXPECT_EQ(session.err, QString());

    // From standard input, one a line, blank lines skipped; mixed with arguments.
    const Outcome piped = Run(runtime.path(), {QStringLiteral("NEXT(V)"), QStringLiteral("-")},
        "GETRECORD(V)\r\n\n  \nGETEOF\nCLOSE(V)\nGETEOF(V)\n");
    EXPECT_EQ(piped.status, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.out, rows[1].join(u'\n') + QStringLiteral("\nTRUE\n")) << "GETEOF without a name leaves Data empty";
    EXPECT_TRUE(m_server->QueryNames().isEmpty());
}

TEST_F(MorvddeTest, SaysWhyWhenItCannotTalkToAServer)
{
    QTemporaryDir runtime;
    const Outcome none = Run(runtime.path(), {QStringLiteral("GETEOF(V)")});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("Aucun serveur Morvelin"))) << none.err.toStdString();
    EXPECT_EQ(none.out, QString());

    const Outcome usage = Run(runtime.path(), {});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("usage"))) << usage.err.toStdString();
}

TEST_F(MorvddeTest, ARefusedLoadAFullServerAndThePasswordsPlaceAreTold)
{
    QTemporaryDir runtime;
    const std::unique_ptr<TDdeListener> listener = ListenIn(runtime.path());
    ASSERT_TRUE(listener);
    ASSERT_TRUE(QFile::copy(Sales(), Path(QStringLiteral("ACCES.MQR"))));
    ASSERT_TRUE(QFile::copy(SampleFile(QStringLiteral("EXEMPLE_ACCES.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));

    // A wrong password given on standard input: the reason, status 1,
    // and what follows is not sent.
    const Outcome refused = Run(runtime.path(), {QStringLiteral("-")},
        QStringLiteral("LOAD(A, %1, Admin, faux)\nGETEOF(A)\n").arg(Path(QStringLiteral("ACCES.MQR"))).toUtf8());
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Accès refusé."))) << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains(u"faux")) << refused.err.toStdString();
    EXPECT_EQ(refused.out, QString());
    EXPECT_TRUE(m_server->QueryNames().isEmpty());

    // Accepted, the password is let go once the model is open.
    const Outcome loaded = Run(runtime.path(), {QStringLiteral("-")},
        QStringLiteral("LOAD(A, %1, admin, ADMIN)\n").arg(Path(QStringLiteral("ACCES.MQR"))).toUtf8());
    EXPECT_EQ(loaded.status, 0) << loaded.err.toStdString();
    ASSERT_NE(m_server->FindQuery(QStringLiteral("A")), nullptr);
    EXPECT_TRUE(m_server->FindQuery(QStringLiteral("A"))->LoginPassword().isEmpty());

    const Outcome usage = Run(runtime.path(), {QStringLiteral("--help")});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("mot de passe")) && usage.err.contains(QStringLiteral("morvdde -")))
        << usage.err.toStdString();

    // Every place taken: the client says that the server is full.
    std::vector<std::unique_ptr<RawClient>> taken;
    WhileServing([&] {
        for (int i = 0; i < TDdeListener::kMaxConnections; ++i) {
            taken.push_back(std::make_unique<RawClient>(listener->SocketPath()));
            taken.back()->Send(mx::dde::EncodeFrame(mx::dde::kOpConnect, QByteArray("System")));
            ASSERT_EQ(taken.back()->Read().value_or(mx::dde::TFrame{}).op, mx::dde::kOpAck);
        }
    });
    const Outcome full = Run(runtime.path(), {QStringLiteral("GETEOF(A)")});
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(full.err.contains(QStringLiteral("plein"))) << full.err.toStdString();
}
