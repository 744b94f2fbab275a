// The built program started on a query, as a user starts it: a designer
// window opens (offscreen), the local server serves it, and the program
// ends cleanly, with status 0 and its settings saved, when its windows are
// closed.

#include "designerfixture.h"

#include "platform/core/inifile.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <csignal>

namespace {

class Morv32Designer : public ::testing::Test {
protected:
    Morv32Designer()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
        mxtest::WriteAll(m_dir.filePath(QStringLiteral("settings/MORVELIN.INI")),
            QStringLiteral("[Options]\nShowTips=0\nPrivateQueryPath=%1/\n").arg(m_dir.path()).toUtf8());
        m_env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
            m_env.remove(QString::fromLatin1(name));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.insert(QStringLiteral("MORVELIN_WINDIR"), m_dir.filePath(QStringLiteral("settings")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    }

    QString program(const char* name) const { return QDir(mxtest::BinDir()).filePath(QString::fromLatin1(name)); }

    // Sends macros to the running program; its exit status.
    int send(const QStringList& macros)
    {
        QProcess client;
        client.setProcessEnvironment(m_env);
        client.start(program("morvdde"), macros);
        if (!client.waitForFinished(10000))
            return -1;
        return client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    }

    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

} // namespace

TEST_F(Morv32Designer, OpensTheQueryServesOtherProgramsAndEndsCleanlyWhenItsWindowsClose)
{
    const QString query = mxtest::SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR"));
    QProcess morv32;
    morv32.setProcessEnvironment(m_env);
    morv32.setWorkingDirectory(m_dir.path());
    morv32.start(program("morv32"), {query});
    ASSERT_TRUE(morv32.waitForStarted(10000));

    // The window is open and the loop runs once the server answers; a
    // new query window asked by another program joins it.
    QElapsedTimer clock;
    clock.start();
    int served = -1;
    while (clock.elapsed() < 30000 && morv32.state() == QProcess::Running) {
        served = send({QStringLiteral("NEWQUERY")});
        if (served == 0)
            break;
        QThread::msleep(100);
    }
    ASSERT_EQ(served, 0) << morv32.readAllStandardError().toStdString();
    EXPECT_EQ(morv32.state(), QProcess::Running) << "the program waits for its windows";

    // The system asks the program to end: its windows close as the user
    // would close them.
    ::kill(pid_t(morv32.processId()), SIGTERM);
    ASSERT_TRUE(morv32.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(morv32.readAllStandardError());
    EXPECT_EQ(morv32.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(morv32.exitCode(), 0) << err.toStdString();

    auto ini = platform::IniFile::open(m_dir.filePath(QStringLiteral("settings/MORVELIN.INI")));
    ini->reload();
    QStringList recent;
    for (const auto& kv : ini->sectionValues(QStringLiteral("History_10")))
        recent << kv.second;
    EXPECT_TRUE(recent.join(u'|').contains(u"VENTES_PAR_PRODUIT.MQR")) << "the recent files are saved: " << recent.join(u' ').toStdString();
    EXPECT_TRUE(ini->valueExists(QStringLiteral("Options"), QStringLiteral("LargeIcons")));
}

TEST_F(Morv32Designer, AQueryThatCannotBeLoadedLeavesAnEmptyWindow)
{
    QProcess morv32;
    morv32.setProcessEnvironment(m_env);
    morv32.start(program("morv32"), {m_dir.filePath(QStringLiteral("absente.MQR"))});
    ASSERT_TRUE(morv32.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    int served = -1;
    while (clock.elapsed() < 30000 && morv32.state() == QProcess::Running) {
        served = send({QStringLiteral("GETEOF(AUCUNE)")});
        if (served == 0)
            break;
        QThread::msleep(100);
    }
    ASSERT_EQ(served, 0);
    ::kill(pid_t(morv32.processId()), SIGTERM);
    ASSERT_TRUE(morv32.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(morv32.readAllStandardError());
    EXPECT_EQ(morv32.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(u"absente.MQR")) << "the load's error is told once: " << err.toStdString();
}
