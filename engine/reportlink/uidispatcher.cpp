#include "uidispatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <poll.h>

namespace mx {

TUiDispatcher::~TUiDispatcher() = default;

namespace {

void pollFor(int fd, int maxWaitMs)
{
    pollfd p {fd, POLLIN, 0};
    ::poll(&p, 1, maxWaitMs);
}

// The application object's thread is the user-interface thread.
class TQtDispatcher : public TUiDispatcher {
public:
    bool Call(const std::function<void()>& call, int timeoutMs) override
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return false;
        if (QThread::currentThread() == app->thread()) {
            call();
            return true;
        }
        enum Phase { Pending, Running, Done, Dropped };
        struct State {
            std::mutex mutex;
            std::condition_variable changed;
            Phase phase = Pending;
        };
        auto state = std::make_shared<State>();
        const std::function<void()>* work = &call;
        QMetaObject::invokeMethod(
            app,
            [state, work] {
                {
                    std::lock_guard lock(state->mutex);
                    if (state->phase == Dropped)
                        return; // the caller has given up: work is gone
                    state->phase = Running;
                }
                try {
                    (*work)();
                } catch (...) {
                }
                {
                    std::lock_guard lock(state->mutex);
                    state->phase = Done;
                }
                state->changed.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(state->mutex);
        if (state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state->phase == Done; }))
            return true;
        if (state->phase == Pending) {
            state->phase = Dropped;
            return false;
        }
        // Started in time: it finishes (the answer is short work).
        state->changed.wait(lock, [&] { return state->phase == Done; });
        return true;
    }

    bool WaitLoop(int fd, int maxWaitMs) override
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != app->thread()) {
            pollFor(fd, maxWaitMs);
            return false;
        }
        QEventLoop loop;
        QSocketNotifier readable(qintptr(fd), QSocketNotifier::Read);
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(maxWaitMs);
        // User input too: the windows keep answering while the runtime
        // works (a run started meanwhile finds the report API busy).
        loop.exec(QEventLoop::AllEvents);
        return QCoreApplication::closingDown();
    }
};

TQtDispatcher& defaultDispatcher()
{
    static TQtDispatcher* d = new TQtDispatcher; // used until the end of the process
    return *d;
}

std::atomic<TUiDispatcher*> g_installed {nullptr};

} // namespace

TUiDispatcher& UiDispatcher()
{
    TUiDispatcher* d = g_installed.load();
    return d ? *d : defaultDispatcher();
}

TUiDispatcher* SetUiDispatcher(TUiDispatcher* dispatcher)
{
    return g_installed.exchange(dispatcher);
}

} // namespace mx
