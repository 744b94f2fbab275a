// The exported query functions: C entry points over the process's server.
// Inside the query program the server exists already; in any other
// program the first call brings up, without windows, what the server
// needs.

#include "morvelin_mxi.h"

#include "query/dde/ddemacro.h"
#include "query/server/ddeserver.h"
#include "query/server/enginebusy.h"
#include "query/server/serverglobal.h"

#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/global.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QStringEncoder>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

using namespace mx;

namespace {

std::mutex g_bringUpMutex;
bool g_bringUpFailed = false;

// Why the calling thread's last call failed (mxiLastError).
thread_local QString t_lastError;

void setError(const QString& text)
{
    t_lastError = text;
}

// The server's thread: whether it has ended, and whether it was ever seen
// running its event loop (other threads' calls are served there).
std::atomic<bool> g_serverThreadEnded{false};
std::atomic<bool> g_serverLoopSeen{false};
// The server was made here, not by the query program, whose thread runs
// the program's event loop.
std::atomic<bool> g_madeHere{false};

struct TServerThreadWatch {
    bool armed = false;
    ~TServerThreadWatch()
    {
        if (armed)
            g_serverThreadEnded = true;
    }
};

// On the server's thread, once.
void watchServerThread()
{
    thread_local TServerThreadWatch watch;
    watch.armed = true;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [] { g_serverLoopSeen = true; });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] { g_serverLoopSeen = true; });
    }
}

// What the query program's start-up does for the engine, without its
// windows: the settings object, the definition lists, the private folder.
void bringUpEngine()
{
    if (!AppGlobal())
        CreateAppGlobal();
    RegisterEngineShutdown();
    if (!QueryGlobal()) {
        new TMxQueryGlobal(nullptr);
        QueryGlobal()->LoadGlobals();
        QueryGlobal()->SetPrivateQueryPath(AppGlobal()->GetConfigStr(csPrivateQueryPath));
    }
}

TfmOleDdeServer* bringUpServer()
{
    if (TfmOleDdeServer* server = DdeServer()) {
        if (!g_madeHere)
            g_serverLoopSeen = true;
        return server;
    }
    std::lock_guard<std::mutex> lock(g_bringUpMutex);
    if (TfmOleDdeServer* server = DdeServer())
        return server;
    if (g_bringUpFailed)
        return nullptr;
    try {
        if (!QCoreApplication::instance()) {
            // Kept for the life of the process: Qt holds on to argv.
            static int argc = 1;
            static char name[] = "morvelin_mxi";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
        auto make = [] {
            bringUpEngine();
            g_madeHere = true;
            CreateDdeServer();
            watchServerThread();
        };
        QCoreApplication* app = QCoreApplication::instance();
        if (QThread::currentThread() == app->thread())
            make();
        else
            QMetaObject::invokeMethod(app, make, Qt::BlockingQueuedConnection);
    } catch (const std::exception& e) {
        g_bringUpFailed = true;
        setError(QStringLiteral("Le moteur de requêtes n'a pas pu démarrer : %1").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        g_bringUpFailed = true;
    }
    if (!DdeServer())
        g_bringUpFailed = true;
    return DdeServer();
}

// Calls from another thread wait here while the server's thread is busy.
std::mutex g_idleMutex;
std::condition_variable g_idle;
unsigned g_idleGeneration = 0;

void watchIdleOnce()
{
    // On the server's thread.
    static bool watching = false;
    if (watching)
        return;
    watching = true;
    AddEngineIdleListener([] {
        {
            std::lock_guard<std::mutex> lock(g_idleMutex);
            ++g_idleGeneration;
        }
        g_idle.notify_all();
    });
}

// What a call from another thread leaves for the server's thread.
template <class R>
struct TQueuedCall {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;   // the server's thread took it
    bool finished = false;  // it ran, or found the engine busy
    bool done = false;      // it ran
    bool abandoned = false; // the caller gave up before it was taken
    unsigned generation = 0;
    R result{};
};

// How long a call from another thread waits for a server's thread that
// was never seen running its event loop before it says so.
constexpr auto kFirstLoopWait = std::chrono::seconds(2);

// Runs f on the server's thread when the engine is idle there. A call
// made inside a run or a load (a plug-in called back from it) is refused:
// it would work on a query under its own run. A call from another thread
// fails at once when the server's thread has ended, and when that thread
// does not take it and was never seen running its event loop: it would
// wait for ever.
template <class R, class F>
R onServer(R failure, F&& f)
{
    t_lastError.clear();
    try {
        TfmOleDdeServer* server = bringUpServer();
        if (!server) {
            if (t_lastError.isEmpty())
                setError(QStringLiteral("Le moteur de requêtes n'a pas pu démarrer."));
            return failure;
        }
        if (QThread::currentThread() == server->thread()) {
            if (EngineBusy()) {
                setError(QStringLiteral("Appel refusé : une requête est en cours d'exécution ou de chargement sur ce fil."));
                return failure;
            }
            return f(*server);
        }
        for (;;) {
            if (g_serverThreadEnded) {
                setError(QStringLiteral("Le fil qui a fait le premier appel est terminé : "
                                        "les appels sont servis sur ce fil, aucun ne peut plus l'être."));
                return failure;
            }
            auto call = std::make_shared<TQueuedCall<R>>();
            call->result = failure;
            QMetaObject::invokeMethod(
                server,
                [call, &f, server, failure] {
                    g_serverLoopSeen = true;
                    {
                        std::lock_guard<std::mutex> lock(call->mutex);
                        if (call->abandoned)
                            return;
                        call->started = true;
                    }
                    watchIdleOnce();
                    {
                        std::lock_guard<std::mutex> lock(g_idleMutex);
                        call->generation = g_idleGeneration;
                    }
                    R result = failure;
                    bool ran = false;
                    if (!EngineBusy()) {
                        ran = true;
                        try {
                            result = f(*server);
                        } catch (...) {
                        }
                    }
                    {
                        std::lock_guard<std::mutex> lock(call->mutex);
                        call->done = ran;
                        call->result = result;
                        call->finished = true;
                    }
                    call->changed.notify_all();
                },
                Qt::QueuedConnection);
            std::unique_lock<std::mutex> lock(call->mutex);
            // A thread seen running its loop takes the call once it is
            // free again.
            while (!call->changed.wait_for(lock, kFirstLoopWait, [&] { return call->started; })) {
                if (!g_serverLoopSeen || g_serverThreadEnded) {
                    call->abandoned = true;
                    setError(g_serverThreadEnded
                            ? QStringLiteral("Le fil qui a fait le premier appel est terminé : "
                                             "les appels sont servis sur ce fil, aucun ne peut plus l'être.")
                            : QStringLiteral("Le fil qui a fait le premier appel ne traite pas ses événements : "
                                             "un appel d'un autre fil y attendrait sans fin. Faites tous les appels "
                                             "depuis ce fil, ou faites-lui exécuter sa boucle d'événements."));
                    return failure;
                }
            }
            call->changed.wait(lock, [&] { return call->finished; });
            if (call->done)
                return call->result;
            const unsigned generation = call->generation;
            lock.unlock();
            std::unique_lock<std::mutex> idle(g_idleMutex);
            g_idle.wait_for(idle, std::chrono::seconds(1), [&] { return g_idleGeneration != generation; });
        }
    } catch (...) {
        return failure;
    }
}

QString text(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

// The name of the last call, kept per thread: a walk gives the same name
// to every call, which then costs no conversion.
const QString& cachedName(const char* s)
{
    thread_local std::string bytes;
    thread_local QString name;
    if (bytes != s) {
        bytes = s;
        name = QString::fromUtf8(s);
    }
    return name;
}

} // namespace

extern "C" {

int32_t mxiSetQueryStep(const char* name, int32_t index)
{
    if (!name)
        return 0;
    const QString n = text(name);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.SelectStep(n, index); });
}

int32_t mxiFieldCount(const char* name)
{
    if (!name)
        return 0;
    const QString n = text(name);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.FieldCount(n); });
}

int32_t mxiRunQuery(const char* name)
{
    if (!name) {
        setError(QStringLiteral("Aucun nom de requête n'est donné."));
        return 0;
    }
    const QString n = text(name);
    QString why; // filled on the server's thread
    const int32_t ran = onServer<int32_t>(0, [&](TfmOleDdeServer& s) {
        const int32_t r = s.RunQuery(n);
        why = s.LastError();
        return r;
    });
    if (!ran && !why.isEmpty())
        setError(why);
    return ran;
}

int32_t mxiCloseQuery(const char* name)
{
    if (!name)
        return 0;
    const QString n = text(name);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.CloseQuery(n); });
}

int32_t mxiNext(const char* name)
{
    if (!name)
        return 0;
    const QString& n = cachedName(name);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.NextRecord(n); });
}

int32_t mxiFirst(const char* name)
{
    if (!name)
        return 0;
    const QString n = text(name);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.FirstRecord(n); });
}

int32_t mxiGetField(const char* name, int32_t index, char* buffer, int32_t bufferSize)
{
    // Nothing is written where there is no room for the final zero.
    if (!buffer || bufferSize < 1)
        return 0;
    buffer[0] = '\0';
    if (!name)
        return 0;
    try {
        const QString& n = cachedName(name);
        thread_local QString value;
        const bool found = onServer<bool>(false, [&](TfmOleDdeServer& s) { return s.FieldValue(n, index, value); });
        if (!found)
            return 0;
        // Encoded straight into a buffer kept for the thread.
        thread_local QByteArray utf8;
        utf8.resize(value.size() * 3);
        QStringEncoder encoder(QStringEncoder::Utf8);
        const qsizetype length = encoder.appendToBuffer(utf8.data(), value) - utf8.data();
        qsizetype size = std::min<qsizetype>(length, qsizetype(bufferSize) - 1);
        // Never half a character.
        while (size > 0 && size < length && (quint8(utf8[size]) & 0xC0) == 0x80)
            --size;
        std::memcpy(buffer, utf8.constData(), size_t(size));
        buffer[size] = '\0';
        return 1;
    } catch (...) {
        buffer[0] = '\0';
        return 0;
    }
}

int32_t mxiEof(const char* name)
{
    if (!name)
        return 1;
    const QString& n = cachedName(name);
    return onServer<int32_t>(1, [&](TfmOleDdeServer& s) { return s.IsEof(n) ? 1 : 0; });
}

int32_t mxiLoadQuery(const char* name, const char* file, const char* user, const char* password)
{
    if (!name || !file) {
        setError(QStringLiteral("Le nom de la requête et son fichier doivent être donnés."));
        return 0;
    }
    const QString n = text(name);
    const QString f = text(file);
    const QString u = text(user);
    QString p = text(password);
    QString why; // filled on the server's thread
    const int32_t loaded = onServer<int32_t>(0, [&](TfmOleDdeServer& s) {
        const int32_t r = s.LoadQuery(n, f, u, p);
        why = s.LastError();
        return r;
    });
    dde::WipeText(p);
    if (!loaded && !why.isEmpty())
        setError(why);
    return loaded;
}

int32_t mxiLastError(char* buffer, int32_t bufferSize)
{
    if (!buffer || bufferSize < 1)
        return 0;
    const QByteArray utf8 = t_lastError.toUtf8();
    qsizetype size = std::min<qsizetype>(utf8.size(), qsizetype(bufferSize) - 1);
    // Never half a character.
    while (size > 0 && size < utf8.size() && (quint8(utf8[size]) & 0xC0) == 0x80)
        --size;
    std::memcpy(buffer, utf8.constData(), size_t(size));
    buffer[size] = '\0';
    return utf8.isEmpty() ? 0 : 1;
}

int32_t mxiNewQuery(void)
{
    return onServer<int32_t>(0, [](TfmOleDdeServer& s) { return s.NewQuery(); });
}

} // extern "C"
