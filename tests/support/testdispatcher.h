#pragma once
// A dispatcher for tests of the report runtime connection, without Qt's
// event loop: handed-over calls wait in a queue, and either a thread of the
// dispatcher's own plays the user-interface thread, or the calls run on the
// thread that waits in WaitLoop (a test running a report).

#include "engine/reportlink/uidispatcher.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace mxtest {

class TTestDispatcher : public mx::TUiDispatcher {
public:
    enum Mode { OwnThread, CallersWaitLoop };
    explicit TTestDispatcher(Mode mode);
    ~TTestDispatcher() override;

    bool Call(const std::function<void()>& call, int timeoutMs) override;
    bool WaitLoop(int fd, int maxWaitMs) override;

    // While held, calls are not taken (a user-interface thread that is
    // stuck); they are dropped when their time-out passes.
    void Hold(bool hold);
    // Runs on the user-interface thread before each call, with the number
    // of calls taken so far (from 1).
    void SetBeforeCall(std::function<void(int)> hook) { m_beforeCall = std::move(hook); }
    int CallsTaken() const { return m_taken; }
    // Calls handed over so far, taken or not.
    int CallsMade() const { return m_made; }

private:
    struct Job {
        const std::function<void()>* call = nullptr; // valid until dropped or done
        std::mutex mutex;
        std::condition_variable changed;
        int phase = 0; // 0 waiting, 1 running, 2 done, 3 dropped
    };
    bool runOne();
    void wake();

    Mode m_mode;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::shared_ptr<Job>> m_jobs;
    bool m_hold = false;
    bool m_stop = false;
    int m_eventFd = -1;
    std::atomic<int> m_taken {0};
    std::atomic<int> m_made {0};
    std::function<void(int)> m_beforeCall;
    std::thread m_thread;
};

} // namespace mxtest
