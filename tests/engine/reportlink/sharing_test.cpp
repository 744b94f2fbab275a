// The report runtime shared by the programs of one user, and what a run
// believes of it: each connection prints its own report, a program that
// has found the runtime is let connect, two runtimes started together
// leave one serving, a report file cannot make the runtime write where it
// should not, and a run believes a PDF only once it has checked it.

#include "linkfixture.h"

#include "engine/core/exceptions.h"
#include "tests/support/samplefiles.h"

#include "platform/reportlink/rendezvous.h"
#include "platform/reportlink/rsapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mx;
namespace rs = platform::rs;

namespace {

class SharingTest : public linktest::RuntimeLinkTest {
protected:
    // The lines report, to the PDF file given.
    void LinesReport(const QString& pdf)
    {
        mxtest::WriteAll(Path(QStringLiteral("LIGNES.rpt")),
            QStringLiteral("[Report]\nTitle=Les lignes\nDataset=Lignes\nFields=N;LIBELLE\nOutput=pdf\nFile=%1\n").arg(pdf).toUtf8());
    }

    void SetUpReport(TReport& report, TIMxDataset* lines)
    {
        report.SetUseRunTime(true);
        report.SetReportDir(m_dir.path());
        report.SetReportName(QStringLiteral("LIGNES"));
        ASSERT_TRUE(report.OfferDataset(QStringLiteral("Lignes"), lines));
    }

    QString SocketPath() const
    {
        QString error;
        return rs::socketPath(QString::fromLatin1(rs::kRuntimeKind), &error);
    }
};

// A connection of the test's own to a runtime, as another program makes.
class Line {
public:
    explicit Line(const QString& path)
    {
        QString error;
        m_fd = rs::connectSocket(path, &error);
        EXPECT_GE(m_fd, 0) << error.toStdString();
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // The answer's fields; empty when the runtime is gone.
    QStringList Call(const QStringList& request)
    {
        if (!rs::sendAll(m_fd, rs::encodeLine(request), 10000))
            return {};
        QByteArray line;
        while (!m_buffer.takeLine(&line)) {
            pollfd p {m_fd, POLLIN, 0};
            if (::poll(&p, 1, 30000) <= 0)
                return {};
            char chunk[4096];
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return {};
            m_buffer.append(chunk, n);
        }
        QStringList fields;
        rs::decodeLine(line, &fields);
        return fields;
    }

private:
    int m_fd = -1;
    rs::LineBuffer m_buffer;
};

bool WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1500 && !condition(); ++i)
        QThread::msleep(20);
    return condition();
}

} // namespace

// Another program's connection has loaded nothing: it cannot print the
// report this one loaded, and its CLOSE leaves the runtime to this one.
TEST_F(SharingTest, AConnectionPrintsOnlyTheReportItLoaded)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    const QString pdf = Path(QStringLiteral("out/LIGNES.pdf"));
    LinesReport(pdf);
    TReport report;
    SetUpReport(report, lines.get());
    report.SetPreview(true); // loaded and kept, not printed
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();

    Line other(SocketPath());
    ASSERT_EQ(other.Call({QStringLiteral("CONNECT")}).value(0), QStringLiteral("OK"));
    const QStringList printed = other.Call({QStringLiteral("PRINT"), QStringLiteral("1"), QStringLiteral("9999"),
        QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")});
    EXPECT_EQ(printed.mid(0, 2), (QStringList {QStringLiteral("ERR"), QStringLiteral("13")})) << printed.join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf)) << "the other's report is not printed";
    EXPECT_EQ(other.Call({QStringLiteral("CLOSE"), QStringLiteral("1")}).value(0), QStringLiteral("OK"));

    // This program's runtime is still there, its report too.
    report.SetPreview(false);
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(pdf));
}

// A program that has found the runtime (its connection open, CONNECT not
// yet sent) when the last program goes still gets it.
TEST_F(SharingTest, TheRuntimeWaitsForAProgramThatFoundIt)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    LinesReport(Path(QStringLiteral("out/LIGNES.pdf")));
    TReport report;
    SetUpReport(report, lines.get());
    ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
    ASSERT_TRUE(report.StartedEngine());

    Line found(SocketPath());
    rs::RsApi::instance().disconnect(); // the last program goes
    QThread::msleep(200);               // the runtime sees it go
    const QStringList answer = found.Call({QStringLiteral("CONNECT")});
    EXPECT_EQ(answer.value(0), QStringLiteral("OK")) << "the runtime ended under a program connecting";
}

// The last program's CLOSE, while another program has found the runtime
// and not yet said CONNECT, leaves the runtime to that one; it ends when
// that one closes in turn, or goes without ever connecting.
TEST_F(SharingTest, AProgramsCloseLeavesTheRuntimeToAProgramThatFoundIt)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    LinesReport(Path(QStringLiteral("out/LIGNES.pdf")));
    const auto runtimeThere = [] { return rs::RsApi::findRuntime(QString::fromLatin1(rs::kRuntimeKind)); };
    for (const bool connects : {true, false}) {
        SCOPED_TRACE(connects);
        TReport report;
        SetUpReport(report, lines.get());
        report.SetPreview(true); // loaded and kept: this program stays connected
        ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
        ASSERT_TRUE(runtimeThere());
        {
            Line found(SocketPath());
            QThread::msleep(100); // the runtime has taken the connection
            ASSERT_EQ(rs::RsApi::instance().closeRS(1), 0);
            QThread::msleep(200);
            if (connects) {
                EXPECT_EQ(found.Call({QStringLiteral("CONNECT")}).value(0), QStringLiteral("OK"))
                    << "the runtime ended under a program connecting";
                EXPECT_EQ(found.Call({QStringLiteral("CLOSE"), QStringLiteral("1")}).value(0), QStringLiteral("OK"));
            }
        }
        EXPECT_TRUE(WaitFor([&] { return !runtimeThere(); })) << "the runtime ends once nobody uses it";
    }
}

// Two runtimes started at once: one serves, the other ends without taking
// the socket from it.
TEST_F(SharingTest, TwoRuntimesStartedTogetherLeaveOneServing)
{
    QProcess first;
    QProcess second;
    const QString program = QDir(mxtest::BinDir()).filePath(QStringLiteral("morvrs"));
    first.start(program, {QStringLiteral("-minimized")});
    second.start(program, {QStringLiteral("-minimized")});
    ASSERT_TRUE(first.waitForStarted() && second.waitForStarted());
    ASSERT_TRUE(WaitFor([] { return rs::RsApi::findRuntime(QString::fromLatin1(rs::kRuntimeKind)); }));
    Line program1(SocketPath());
    ASSERT_EQ(program1.Call({QStringLiteral("CONNECT")}).value(0), QStringLiteral("OK"));
    // One of them ends at once, and says it served.
    const auto ended = [](QProcess& p) { return p.state() == QProcess::NotRunning || p.waitForFinished(0); };
    ASSERT_TRUE(WaitFor([&] { return ended(first) || ended(second); }));
    QProcess& loser = first.state() == QProcess::NotRunning ? first : second;
    QProcess& serving = &loser == &first ? second : first;
    EXPECT_EQ(loser.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(loser.exitCode(), 0) << loser.readAllStandardError().toStdString();
    EXPECT_EQ(serving.state(), QProcess::Running);
    // The socket is still the serving one's: a new program reaches it.
    Line program2(SocketPath());
    EXPECT_EQ(program2.Call({QStringLiteral("CONNECT")}).value(0), QStringLiteral("OK"));
    EXPECT_EQ(program1.Call({QStringLiteral("CLOSE"), QStringLiteral("1")}).value(0), QStringLiteral("OK"));
    EXPECT_EQ(program2.Call({QStringLiteral("CLOSE"), QStringLiteral("1")}).value(0), QStringLiteral("OK"));
    EXPECT_TRUE(serving.waitForFinished(30000));
}

// What a report file's File= names is written only as a new regular file:
// a link, a FIFO and a missing folder are refused with their reason, and
// left as they were.
TEST_F(SharingTest, TheRuntimeWritesOnlyARegularFileInAFolderThatExists)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    const QString target = Path(QStringLiteral("cible.txt"));
    mxtest::WriteAll(target, "à garder");
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(Path(QStringLiteral("lien.pdf"))).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path(QStringLiteral("tube.pdf"))).constData(), 0600), 0);
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"lien.pdf", "lien symbolique"},
        {"tube.pdf", "pas un fichier ordinaire"},
        {"absent/r.pdf", "n'existe pas"},
    };
    TReport report;
    SetUpReport(report, lines.get());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        LinesReport(Path(QString::fromLatin1(c.file)));
        EXPECT_EQ(report.Run(), 12);
        EXPECT_TRUE(report.LastApiError().contains(QString::fromUtf8(c.reason))) << report.LastApiError().toStdString();
    }
    EXPECT_EQ(mxtest::ReadAll(target), QByteArray("à garder"));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(Path(QStringLiteral("lien.pdf"))).constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::lstat(QFile::encodeName(Path(QStringLiteral("tube.pdf"))).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("absent"))));
}

// The runtime's messages on standard error show a report file's control
// characters escaped.
TEST_F(SharingTest, TheRuntimeEscapesControlCharactersOnStandardError)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    // A printer report, written as PDF for want of a printer, which the
    // runtime says with the file's name.
    const QString name = QStringLiteral("out/R\x1b]0;titre\x07.pdf");
    mxtest::WriteAll(Path(QStringLiteral("LIGNES.rpt")),
        QStringLiteral("[Report]\nDataset=Lignes\nOutput=printer\nFile=%1\n").arg(Path(name)).toUtf8());
    QProcess runtime;
    runtime.start(QDir(mxtest::BinDir()).filePath(QStringLiteral("morvrs")), {QStringLiteral("-minimized")});
    ASSERT_TRUE(WaitFor([] { return rs::RsApi::findRuntime(QString::fromLatin1(rs::kRuntimeKind)); }));
    {
        TReport report;
        SetUpReport(report, lines.get());
        ASSERT_EQ(report.Run(), 0) << report.LastApiError().toStdString();
        EXPECT_FALSE(report.StartedEngine());
    }
    rs::RsApi::instance().disconnect();
    ASSERT_TRUE(runtime.waitForFinished(30000));
    const QByteArray err = runtime.readAllStandardError();
    EXPECT_TRUE(err.contains("pas d'imprimante")) << err.toStdString();
    EXPECT_TRUE(err.contains("R\\x1b]0;titre\\x07.pdf")) << err.toStdString();
    EXPECT_FALSE(err.contains('\x1b') || err.contains('\x07')) << "no control character reaches the terminal";
}

namespace {

// A runtime that answers OK to everything, and to PRINT what the test says.
class FakeRuntime {
public:
    explicit FakeRuntime(const QString& path)
    {
        QString error;
        m_listen = rs::listenSocket(path, &error);
        EXPECT_GE(m_listen, 0) << error.toStdString();
        m_thread = std::thread([this] { run(); });
    }
    ~FakeRuntime()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    void SetPrintAnswer(QStringList answer)
    {
        std::lock_guard lock(m_mutex);
        m_print = std::move(answer);
    }
    // Runs when PRINT arrives, before the answer.
    void SetOnPrint(std::function<void()> f)
    {
        std::lock_guard lock(m_mutex);
        m_onPrint = std::move(f);
    }

private:
    void run()
    {
        std::vector<std::pair<int, rs::LineBuffer>> clients;
        while (!m_stop) {
            std::vector<pollfd> fds {{m_listen, POLLIN, 0}};
            for (auto& c : clients)
                fds.push_back({c.first, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            if (fds[0].revents & POLLIN)
                clients.push_back({::accept(m_listen, nullptr, nullptr), {}});
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP)))
                    continue;
                auto& [fd, buffer] = clients[i - 1];
                char chunk[4096];
                const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                if (n <= 0) {
                    ::close(fd);
                    fd = -1;
                    continue;
                }
                buffer.append(chunk, n);
                QByteArray line;
                while (buffer.takeLine(&line)) {
                    QStringList request;
                    rs::decodeLine(line, &request);
                    QStringList answer {QStringLiteral("OK")};
                    if (request.value(0) == u"CONNECT")
                        answer << QStringLiteral("4242");
                    if (request.value(0) == u"PRINT") {
                        std::lock_guard lock(m_mutex);
                        if (m_onPrint)
                            m_onPrint();
                        answer = m_print;
                    }
                    rs::sendAll(fd, rs::encodeLine(answer), 5000);
                }
            }
            std::erase_if(clients, [](const auto& c) { return c.first < 0; });
        }
        for (auto& c : clients)
            ::close(c.first);
    }

    int m_listen = -1;
    std::atomic<bool> m_stop {false};
    std::mutex m_mutex;
    QStringList m_print {QStringLiteral("OK")};
    std::function<void()> m_onPrint;
    std::thread m_thread;
};

} // namespace

// Told by whatever answers that the report was printed, the run checks the
// PDF it is told of: there, regular, whole, and written by this print.
TEST_F(SharingTest, ARunBelievesOnlyAWholePdfWrittenByItsPrint)
{
    MakeDatabase(3);
    linktest::Dataset lines = Query(QStringLiteral("SELECT N, LIBELLE FROM LIGNES"));
    LinesReport(Path(QStringLiteral("out/LIGNES.pdf")));
    const QString whole = Path(QStringLiteral("entier.pdf"));
    const QByteArray pdf = "%PDF-1.4\n1 0 obj\n<< >>\nendobj\ntrailer\n<< >>\n%%EOF\n";
    mxtest::WriteAll(Path(QStringLiteral("coupe.pdf")), pdf.left(pdf.size() / 2));
    mxtest::WriteAll(Path(QStringLiteral("vieux.pdf")), pdf);
    const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(Path(QStringLiteral("vieux.pdf"))).constData(), past, 0), 0);
    FakeRuntime fake(SocketPath());
    const struct {
        const char* what;
        QStringList answer;
        bool writes; // the fake writes the whole PDF as it prints
        const char* reason; // nullptr: believed
    } cases[] = {
        {"nothing said", {QStringLiteral("OK")}, false, "n'a pas dit"},
        {"no such file", {QStringLiteral("OK"), QStringLiteral("pdf"), Path(QStringLiteral("absent.pdf"))}, false, "n'existe pas"},
        {"a folder", {QStringLiteral("OK"), QStringLiteral("pdf"), m_dir.path()}, false, "pas un fichier"},
        {"cut short", {QStringLiteral("OK"), QStringLiteral("pdf"), Path(QStringLiteral("coupe.pdf"))}, false, "pas un PDF entier"},
        {"from before", {QStringLiteral("OK"), QStringLiteral("pdf"), Path(QStringLiteral("vieux.pdf"))}, false, "pas été écrit"},
        {"written whole", {QStringLiteral("OK"), QStringLiteral("pdf"), whole}, true, nullptr},
    };
    TReport report;
    SetUpReport(report, lines.get());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake.SetPrintAnswer(c.answer);
        fake.SetOnPrint(c.writes ? std::function<void()>([&] { mxtest::WriteAll(whole, pdf); }) : nullptr);
        const int result = report.Run();
        if (!c.reason) {
            EXPECT_EQ(result, 0) << report.LastApiError().toStdString();
            continue;
        }
        EXPECT_NE(result, 0);
        EXPECT_TRUE(report.LastApiError().contains(QString::fromUtf8(c.reason))) << report.LastApiError().toStdString();
    }
}
