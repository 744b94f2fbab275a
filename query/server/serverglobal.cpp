#include "serverglobal.h"

#include "ddelistener.h"
#include "ddeserver.h"

#include "query/dde/ddeprotocol.h"

#include "engine/core/exitprocs.h"

#include <QCoreApplication>

namespace mx {
namespace {

TfmOleDdeServer* g_server = nullptr;
TDdeListener* g_listener = nullptr;

// Before the settings object (100) and the engine.
constexpr int kServerExitRank = 90;

} // namespace

TfmOleDdeServer* DdeServer()
{
    return g_server;
}

TDdeListener* DdeListener()
{
    return g_listener;
}

TfmOleDdeServer& CreateDdeServer()
{
    if (!g_server) {
        g_server = new TfmOleDdeServer();
        AddExitProc(kServerExitRank, QStringLiteral("DdeServer"), [] { FreeDdeServer(); });
    }
    return *g_server;
}

bool StartDdeServer(const QString& service, QString* error)
{
    TfmOleDdeServer& server = CreateDdeServer();
    if (!QCoreApplication::instance()) {
        if (error)
            *error = QStringLiteral("Le serveur local n'est pas ouvert : le programme n'a pas de boucle d'événements.");
        return false;
    }
    if (!g_listener)
        g_listener = new TDdeListener(&server, &server);
    if (g_listener->IsListening())
        return true;
    if (g_listener->Listen(service.isEmpty() ? dde::ProgramServiceName() : service))
        return true;
    if (error)
        *error = g_listener->ErrorString();
    return false;
}

void FreeDdeServer() noexcept
{
    g_listener = nullptr;
    delete std::exchange(g_server, nullptr);
}

} // namespace mx
