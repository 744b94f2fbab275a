#pragma once
// PostgreSQL databases through libpq, which the first server database
// opened loads (pqlibrary.h); when it cannot, opening fails with the
// loader's reason.
//
// A server database keeps a small pool of connections: a dataset reading
// its rows holds one for as long as it reads (a cursor inside a
// transaction of its own, fetched in batches), every other call takes one
// for the call. Every statement goes through the extended protocol, which
// runs exactly one statement per call. A connection found dead is dropped
// and the next call opens a new one. Nothing waits without end: connecting
// has its time-out, every statement the server's statement_timeout and a
// client-side limit a little above it. Messages never hold the password:
// every text from libpq is cleaned of it, and a connection string that
// cannot be read is reported without libpq's text (which quotes it).

#include "dbdataset.h"
#include "dbfield.h"
#include "dbrowsource.h"
#include "dbvalue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct pg_conn;
struct pg_result;

namespace platform {

struct DbTableInfo;

struct PgParameters {
    QString aliasName;       // for messages
    QString host;            // host name, address or socket folder
    QString port;
    QString database;        // a database name, or a libpq connection string
    QString userName;
    QString password;
    int connectTimeout = 10;  // seconds
    int statementTimeout = 0; // seconds, 0: none
};

struct PgResultDeleter {
    void operator()(pg_result* r) const;
};
using PgResult = std::unique_ptr<pg_result, PgResultDeleter>;

class PgServer;

// One connection taken from its server's pool; given back when freed
// (dropped when it is no longer sound).
class PgLease {
public:
    PgLease(std::shared_ptr<PgServer> server, pg_conn* conn) : m_server(std::move(server)), m_conn(conn) {}
    ~PgLease();
    PgLease(const PgLease&) = delete;
    PgLease& operator=(const PgLease&) = delete;

    pg_conn* handle() const { return m_conn; }
    PgServer& server() const { return *m_server; }

    // Runs one statement with text parameters and waits for its result
    // within the time-outs. A result that is not a success gives nullptr
    // and *error (the server's message, without the password).
    PgResult exec(const QString& sql, const QList<QByteArray>& params, QString* error);
    // True when the connection broke (the server went away).
    bool broken() const;
    // True when the last statement was given up by the client (no answer
    // in time, or none to a cancel), which drops the connection: the
    // statement may have run, so it is never sent again.
    bool gaveUp() const { return m_gaveUp; }

private:
    std::shared_ptr<PgServer> m_server;
    pg_conn* m_conn;
    bool m_gaveUp = false;
};

class PgServer : public std::enable_shared_from_this<PgServer> {
public:
    // Connects once, so that a wrong address or login fails here.
    static std::shared_ptr<PgServer> open(const PgParameters& parameters, QString* error);
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    const PgParameters& parameters() const { return m_params; }

    // A connection of the pool, or a new one.
    std::unique_ptr<PgLease> lease(QString* error);

    // Runs one statement on a pooled connection; a connection found
    // broken before any result is replaced once.
    PgResult exec(const QString& sql, const QList<QByteArray>& params, QString* error);

    // Message text without the password (and without any password of the
    // connection string).
    QString clean(const QString& message) const;

    // Rows fetched per batch after the first.
    int batchRows() const { return m_batchRows; }
    void setBatchRows(int rows) { m_batchRows = rows > 0 ? rows : 1; }

    // Connections opened so far (tests see reconnections).
    int connectionsOpened() const { return m_opened; }

    // Tables and views of the schemas on the search path, sorted.
    QStringList tableNames(QString* error);
    // Fields and keys of a table or view: the name as written, else the
    // name as the server folds an unquoted one (lower case), else the one
    // name that matches without regard to case.
    bool tableInfo(const QString& table, DbTableInfo* info, QString* error);
    // The relation's name as the server knows it (see tableInfo).
    QString resolveName(const QString& table, QString* error);

    // One statement's rows behind a cursor: a query (SELECT, WITH, VALUES,
    // TABLE) is read in batches; any other statement runs at once and its
    // rows, if any, are held.
    std::unique_ptr<DbDataset> openQuery(const QString& sql, const DbTextFormat& format, QString* error);
    // One statement that returns no rows.
    bool execute(const QString& sql, QString* error);

private:
    friend class PgLease;
    explicit PgServer(PgParameters parameters);
    pg_conn* connect(QString* error);
    void giveBack(pg_conn* conn);

    PgParameters m_params;
    std::vector<QByteArray> m_keywords, m_values; // connection parameters
    QStringList m_secrets;                        // texts never to show
    std::vector<pg_conn*> m_idle;
    int m_batchRows = 5000;
    int m_opened = 0;
};

// The field of a result column: the server's type, with its modifier
// (sizes of character types), mapped to the field-type codes.
DbField pgField(const QString& name, unsigned int typeOid, int typeModifier);
// A value sent as text by the server, read as its type gives it.
QVariant pgValue(const char* text, int length, unsigned int typeOid);

// Quotes an identifier for the server ("a""b").
QString pgQuoteIdentifier(const QString& name);

} // namespace platform
