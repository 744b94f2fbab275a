#include "dbprogress.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace platform {
namespace {

struct ProgressHook {
    std::mutex mutex;
    std::function<bool()> hook;
    std::thread::id thread;
    std::atomic<bool> installed{false};
    std::atomic<bool> stop{false};
};

ProgressHook& state()
{
    static ProgressHook s;
    return s;
}

} // namespace

void SetDbProgressHook(std::function<bool()> hook)
{
    ProgressHook& s = state();
    std::lock_guard lock(s.mutex);
    s.installed = bool(hook);
    s.hook = std::move(hook);
    s.thread = std::this_thread::get_id();
    s.stop = false;
}

bool DbProgress()
{
    ProgressHook& s = state();
    if (!s.installed)
        return false;
    // The hook is called without the lock: it may let events through, and
    // one of them may install another hook.
    std::function<bool()> hook;
    {
        std::lock_guard lock(s.mutex);
        if (std::this_thread::get_id() != s.thread)
            return s.stop;
        hook = s.hook;
    }
    const bool stop = hook && hook();
    s.stop = stop;
    return stop;
}

bool DbStopAsked()
{
    ProgressHook& s = state();
    return s.installed && s.stop;
}

QString dbCancelledMessage()
{
    return QStringLiteral("The statement was cancelled by the user");
}

} // namespace platform
