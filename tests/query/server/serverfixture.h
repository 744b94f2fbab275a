#pragma once
// What the tests of the local server share: an application object (the
// sockets need its event loop), the engine over the programs' folder with
// its sample, a server, and the sample's rows read with SQLite itself.

#include "query/server/ddeserver.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace mxtest {

// The rows of a statement on the sample database, as text (NULL empty).
QList<QStringList> SqliteRows(const QString& sql);
// The statement a run of the query file sends for its step.
QString StepSql(const QString& queryFile, int step = 0);

// Runs client on a thread of its own while this thread runs its event
// loop (the server answers there); fails the test after 30 s.
void WhileServing(const std::function<void()>& client);

// Spins the event loop until done() holds; false after 10 s.
bool SpinUntil(const std::function<bool()>& done);

class ServerTest : public EngineTest {
protected:
    ServerTest();
    ~ServerTest() override;

    // The sample query of one step (30 rows) and the one of two steps.
    static QString Sales() { return SampleFile(QStringLiteral("VENTES_PAR_PRODUIT.MQR")); }
    static QString Loyal() { return SampleFile(QStringLiteral("CLIENTS_FIDELES.MQR")); }

    // The current step's rows through the server, from its first record.
    QList<QStringList> Walk(const QString& name);

    std::unique_ptr<mx::TfmOleDdeServer> m_server;
};

} // namespace mxtest
