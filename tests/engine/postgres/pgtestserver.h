#pragma once
// The PostgreSQL server of this test program: made by initdb in a scratch
// folder and started with pg_ctl on a socket in that folder (as the user
// "nobody" when the tests run as root, since the server refuses to run as
// root), once for the whole program, and stopped at its end. Logins use a
// password (scram-sha-256), so wrong passwords are refused for real.

#include <QString>
#include <QStringList>

namespace pgtest {

struct Server {
    QString folder;   // the scratch folder, which holds the socket
    QString port;     // names the socket file
    QString user;
    QString password;
    QString database; // a database made for the tests
};

// The running server (started by the program's environment).
const Server& TheServer();

// Runs SQL through psql as the server's user; the output, or fails the test.
QString Psql(const QString& sql, const QString& database = QString());

// An ALIASES.INI section of TYPE=POSTGRESQL for the test database;
// extra lines are appended as they stand.
QString AliasSection(const QString& alias, const QString& extra = QString(), bool withLogin = true);

// Runs a program with arguments and an environment addition; its exit code
// (-1 when it could not start), standard output and error.
int Run(const QString& program, const QStringList& args, const QStringList& env, QString* out = nullptr,
        QString* err = nullptr, int timeoutMs = 60000);

} // namespace pgtest
