#include "pqlibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace platform {

namespace {

constexpr const char* kDefaultFile = "libpq.so.5";

// Written once, by the first load that succeeds; never cleared, since the
// library is never closed.
PqFunctions g_functions;
bool g_filled = false; // under g_mutex
// A load from the current file succeeded.
std::atomic<bool> g_ready{false};
std::mutex g_mutex;

QByteArray& fileName() // under g_mutex; empty: the default
{
    static QByteArray name;
    return name;
}

} // namespace

bool loadPqLibrary(QString* error)
{
    if (g_ready.load(std::memory_order_acquire))
        return true;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_ready.load(std::memory_order_relaxed))
        return true;
    const QByteArray file = fileName().isEmpty() ? QByteArray(kDefaultFile) : fileName();
    const auto failed = [&](const QByteArray& reason) {
        *error = QStringLiteral("PostgreSQL's client library %1 cannot be loaded (%2)")
                     .arg(QString::fromLocal8Bit(file),
                          reason.isEmpty() ? QStringLiteral("no reason given") : QString::fromLocal8Bit(reason));
        return false;
    };
    void* handle = ::dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return failed(QByteArray(::dlerror()));
    PqFunctions loaded;
    QByteArray missing;
#define MX_PQ_RESOLVE(name)                                                                                        \
    if (missing.isEmpty()) {                                                                                       \
        ::dlerror();                                                                                               \
        if (void* symbol = ::dlsym(handle, #name))                                                                 \
            loaded.name = reinterpret_cast<decltype(loaded.name)>(symbol);                                         \
        else                                                                                                       \
            missing = QByteArray(::dlerror());                                                                     \
        if (missing.isEmpty() && !loaded.name)                                                                     \
            missing = QByteArray(#name " is missing");                                                             \
    }
    MX_PQ_FUNCTIONS(MX_PQ_RESOLVE)
#undef MX_PQ_RESOLVE
    if (!missing.isEmpty()) {
        ::dlclose(handle);
        return failed(missing);
    }
    if (!g_filled) {
        g_functions = loaded;
        g_filled = true;
    } else {
        // Loaded again after a test named another file: the functions
        // already in the table stay (the first handle keeps the library).
        ::dlclose(handle);
    }
    g_ready.store(true, std::memory_order_release);
    return true;
}

const PqFunctions& pq()
{
    return g_functions;
}

void setPqLibraryFile(const QByteArray& file)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    fileName() = file;
    g_ready.store(false, std::memory_order_release);
}

} // namespace platform
