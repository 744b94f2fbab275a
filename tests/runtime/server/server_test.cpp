// The runtime answering its socket in the test's own process: what a
// request's handling raises is answered as an error, reported to the error
// handler, and the runtime goes on answering.

#include "runtime/runtimeserver.h"

#include "tests/support/testsupport.h"

#include "platform/reportlink/rendezvous.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

#include <sys/socket.h>
#include <unistd.h>

namespace rs = platform::rs;

namespace {

class RuntimeServerTest : public mxtest::EngineTest {
protected:
    RuntimeServerTest()
    {
        static int argc = 1;
        static char name[] = "runtime-server-test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QApplication(argc, argv);
        // A socket folder of this test's own: no runtime of another test
        // answers in its place.
        m_oldRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_sockets.path().toLocal8Bit());
    }
    ~RuntimeServerTest() override
    {
        for (int fd : m_fds)
            ::close(fd);
        qputenv("XDG_RUNTIME_DIR", m_oldRuntimeDir);
    }

    int Connect(const morvrs::RuntimeServer& server)
    {
        QString error;
        const int fd = rs::connectSocket(rs::socketPath(server.kind(), &error), &error);
        EXPECT_GE(fd, 0) << error.toStdString();
        if (fd >= 0)
            m_fds << fd;
        return fd;
    }

    // Sends one request and lets the event loop serve it; the answer's
    // fields, none when no answer came.
    QStringList Ask(int fd, const QStringList& request)
    {
        if (!rs::sendAll(fd, rs::encodeLine(request), 5000))
            return {};
        rs::LineBuffer& buffer = m_buffers[fd];
        QByteArray line;
        // Each round serves what the sockets hold (the accept, then the
        // request): a few rounds are plenty, and none of them waits.
        for (int round = 0; round < 100 && !buffer.takeLine(&line); ++round) {
            QCoreApplication::processEvents();
            char chunk[4096];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n > 0)
                buffer.append(chunk, n);
        }
        QStringList fields;
        if (line.isEmpty() || !rs::decodeLine(line, &fields))
            return {};
        return fields;
    }

    // A report file of one column printed as PDF into the scratch folder.
    QString ReportFile()
    {
        const QString file = Path(QStringLiteral("ventes.rpt"));
        mxtest::WriteAll(file,
            QStringLiteral("[Report]\nTitle=Ventes\nFields=Produit\nOutput=pdf\nFile=%1\n")
                .arg(Path(QStringLiteral("ventes.pdf")))
                .toUtf8());
        return file;
    }

    QStringList Load(int fd)
    {
        return Ask(fd, {QStringLiteral("LOAD"), ReportFile(), QStringLiteral("\"\",\"#%1\"").arg(getpid(), 0, 16),
                           QStringLiteral("0"), QStringLiteral("0")});
    }

private:
    QTemporaryDir m_sockets;
    QByteArray m_oldRuntimeDir;
    QList<int> m_fds;
    std::map<int, rs::LineBuffer> m_buffers;
};

} // namespace

TEST_F(RuntimeServerTest, AnExceptionInADataRequestIsAnsweredAndReportedAndTheRuntimeGoesOn)
{
    morvrs::RuntimeServer server(false, false);
    int reads = 0;
    server.setDataReader([&](qint64 pid, const morvrs::ReportFile&, int, morvrs::ReportData* data, QString*) {
        EXPECT_EQ(pid, getpid());
        if (++reads == 1)
            throw std::runtime_error("la lecture a échoué");
        data->dataset = QStringLiteral("Ventes");
        data->columns.push_back({QStringLiteral("Produit"), QStringLiteral("Produit"), 1, false});
        data->rows.push_back({QStringLiteral("Café")});
        return true;
    });
    QString error;
    ASSERT_EQ(server.listen(&error), morvrs::RuntimeServer::Listens) << error.toStdString();

    const int fd = Connect(server);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(Ask(fd, {QStringLiteral("CONNECT")}).value(0), QStringLiteral("OK"));

    const QStringList failed = Load(fd);
    ASSERT_EQ(failed.value(0), QStringLiteral("ERR")) << "the caller is answered, not left waiting";
    EXPECT_TRUE(failed.value(2).contains(QStringLiteral("la lecture a échoué"))) << failed.join(u'|').toStdString();
    QCoreApplication::processEvents(); // the error handler runs once the answer is sent
    ASSERT_EQ(m_service.messages.size(), 1) << "the error handler was told";
    EXPECT_TRUE(m_service.messages.value(0).contains(QStringLiteral("la lecture a échoué")));

    // The same connection and a new one are still served.
    EXPECT_EQ(Load(fd).value(0), QStringLiteral("OK"));
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(Ask(fd, {QStringLiteral("PRINT"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                  QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")})
                  .value(0),
        QStringLiteral("OK"));
    const int other = Connect(server);
    ASSERT_GE(other, 0);
    EXPECT_EQ(Ask(other, {QStringLiteral("CONNECT")}).value(0), QStringLiteral("OK"));
}
