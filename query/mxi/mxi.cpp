// The exported query functions: C entry points over the process's server.
// Inside the query program the server exists already; in any other
// program the first call brings up, without windows, what the server
// needs.

#include "morvelin_mxi.h"

#include "server/ddeserver.h"
#include "server/enginebusy.h"
#include "server/serverglobal.h"

#include "global/engineshutdown.h"
#include "global/queryglobal.h"
#include "settings/global.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

using namespace mx;

namespace {

std::mutex g_bringUpMutex;
bool g_bringUpFailed = false;

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
    if (TfmOleDdeServer* server = DdeServer())
        return server;
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
            CreateDdeServer();
        };
        QCoreApplication* app = QCoreApplication::instance();
        if (QThread::currentThread() == app->thread())
            make();
        else
            QMetaObject::invokeMethod(app, make, Qt::BlockingQueuedConnection);
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

// Runs f on the server's thread when the engine is idle there. A call
// made inside a run or a load (a plug-in called back from it) is refused:
// it would work on a query under its own run.
template <class R, class F>
R onServer(R failure, F&& f)
{
    try {
        TfmOleDdeServer* server = bringUpServer();
        if (!server)
            return failure;
        if (QThread::currentThread() == server->thread())
            return EngineBusy() ? failure : f(*server);
        for (;;) {
            bool done = false;
            unsigned generation = 0;
            R result = failure;
            QMetaObject::invokeMethod(
                server,
                [&] {
                    watchIdleOnce();
                    {
                        std::lock_guard<std::mutex> lock(g_idleMutex);
                        generation = g_idleGeneration;
                    }
                    if (EngineBusy())
                        return;
                    done = true;
                    result = f(*server);
                },
                Qt::BlockingQueuedConnection);
            if (done)
                return result;
            std::unique_lock<std::mutex> lock(g_idleMutex);
            g_idle.wait_for(lock, std::chrono::seconds(1), [&] { return g_idleGeneration != generation; });
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
    if (!name)
        return 0;
    const QString n = text(name);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.RunQuery(n); });
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
    if (!name || !file)
        return 0;
    const QString n = text(name);
    const QString f = text(file);
    const QString u = text(user);
    const QString p = text(password);
    return onServer<int32_t>(0, [&](TfmOleDdeServer& s) { return s.LoadQuery(n, f, u, p); });
}

int32_t mxiNewQuery(void)
{
    return onServer<int32_t>(0, [](TfmOleDdeServer& s) { return s.NewQuery(); });
}

} // extern "C"
