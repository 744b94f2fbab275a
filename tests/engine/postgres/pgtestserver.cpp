#include "pgtestserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <memory>

namespace pgtest {

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

Server g_server;

// The server's programs run as "nobody" when we are root.
QStringList asServerUser(const QString& program, const QStringList& args)
{
    if (::geteuid() != 0)
        return QStringList{program} + args;
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
               QStringLiteral("--clear-groups"), QStringLiteral("--")}
        + QStringList{program} + args;
}

bool runServerTool(const QString& tool, const QStringList& args, QString* output)
{
    const QStringList cmd = asServerUser(kBin + tool, args);
    QString out, err;
    const int rc = Run(cmd.first(), cmd.mid(1), {}, &out, &err);
    *output = out + err;
    return rc == 0;
}

class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(kBin + QStringLiteral("initdb")).isExecutable())
            << "PostgreSQL 15 is needed (tools/install-deps.sh installs it)";
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/mxpg-XXXXXX"));
        ASSERT_TRUE(m_dir->isValid());
        Server& s = g_server;
        s.folder = m_dir->path();
        s.port = QStringLiteral("5432");
        s.user = QStringLiteral("morvtest");
        s.password = QStringLiteral("Zq7-p@ss word!");
        s.database = QStringLiteral("morvtest");
        QFile pw(s.folder + QStringLiteral("/pwfile"));
        ASSERT_TRUE(pw.open(QIODevice::WriteOnly));
        pw.write(s.password.toUtf8() + '\n');
        pw.close();
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            ASSERT_NE(nobody, nullptr);
            ASSERT_EQ(::chown(QFile::encodeName(s.folder).constData(), nobody->pw_uid, nobody->pw_gid), 0);
            ASSERT_EQ(::chown(QFile::encodeName(pw.fileName()).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        }
        QString out;
        const QString data = s.folder + QStringLiteral("/data");
        ASSERT_TRUE(runServerTool(QStringLiteral("initdb"),
            {QStringLiteral("-D"), data, QStringLiteral("-U"), s.user, QStringLiteral("--auth=scram-sha-256"),
                QStringLiteral("--pwfile=") + pw.fileName(), QStringLiteral("-E"), QStringLiteral("UTF8"),
                QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-N")},
            &out))
            << out.toStdString();
        // No TCP listener: only the socket in the scratch folder. Durability
        // is of no use to a server that lives for one program.
        const QString options = QStringLiteral("-k %1 -p %2 -c listen_addresses= -c fsync=off "
                                               "-c synchronous_commit=off -c full_page_writes=off")
                                    .arg(s.folder, s.port);
        ASSERT_TRUE(runServerTool(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), data, QStringLiteral("-o"), options, QStringLiteral("-w"), QStringLiteral("-l"),
                s.folder + QStringLiteral("/server.log"), QStringLiteral("start")},
            &out))
            << out.toStdString() << "\n" << QString::fromUtf8([&] {
                   QFile f(s.folder + QStringLiteral("/server.log"));
                   return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
               }()).toStdString();
        m_started = true;
        Psql(QStringLiteral("CREATE DATABASE %1").arg(s.database), QStringLiteral("postgres"));
    }

    void TearDown() override
    {
        if (m_started) {
            QString out;
            runServerTool(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), g_server.folder + QStringLiteral("/data"), QStringLiteral("-m"),
                    QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
                &out);
        }
        m_dir.reset();
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_started = false;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

} // namespace

const Server& TheServer()
{
    return g_server;
}

int Run(const QString& program, const QStringList& args, const QStringList& env, QString* out, QString* err,
        int timeoutMs)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        if (eq < 0)
            e.remove(kv);
        else
            e.insert(kv.left(eq), kv.mid(eq + 1));
    }
    p.setProcessEnvironment(e);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString Psql(const QString& sql, const QString& database)
{
    const Server& s = g_server;
    QString out, err;
    const int rc = Run(QStringLiteral("psql"),
        {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-v"),
            QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), s.folder, QStringLiteral("-p"), s.port,
            QStringLiteral("-U"), s.user, QStringLiteral("-d"), database.isEmpty() ? s.database : database,
            QStringLiteral("-c"), sql},
        {QStringLiteral("PGPASSWORD=") + s.password, QStringLiteral("PGOPTIONS=-c client_min_messages=warning")},
        &out, &err);
    EXPECT_EQ(rc, 0) << err.toStdString() << "\n" << sql.toStdString();
    return out.trimmed();
}

QString AliasSection(const QString& alias, const QString& extra, bool withLogin)
{
    const Server& s = g_server;
    QString text = QStringLiteral("[%1]\nTYPE=POSTGRESQL\nHOST=%2\nPORT=%3\nDATABASE=%4\n")
                       .arg(alias, s.folder, s.port, s.database);
    if (withLogin)
        text += QStringLiteral("USERNAME=%1\nPASSWORD=%2\n").arg(s.user, s.password);
    return text + extra;
}

} // namespace pgtest
