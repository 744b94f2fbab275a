#include "testdispatcher.h"

#include <chrono>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace mxtest {

TTestDispatcher::TTestDispatcher(Mode mode) : m_mode(mode)
{
    m_eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (mode == OwnThread)
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_queued.wait(lock, [this] { return m_stop || (!m_hold && !m_jobs.empty()); });
                if (m_stop)
                    return;
                lock.unlock();
                runOne();
                lock.lock();
            }
        });
}

TTestDispatcher::~TTestDispatcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_queued.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_eventFd);
}

void TTestDispatcher::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_eventFd, &one, sizeof one);
    m_queued.notify_all();
}

void TTestDispatcher::Hold(bool hold)
{
    {
        std::lock_guard lock(m_mutex);
        m_hold = hold;
    }
    wake();
}

bool TTestDispatcher::runOne()
{
    std::shared_ptr<Job> job;
    {
        std::lock_guard lock(m_mutex);
        if (m_hold)
            return false;
        while (!m_jobs.empty() && !job) {
            job = m_jobs.front();
            m_jobs.pop_front();
            std::lock_guard jobLock(job->mutex);
            if (job->phase == 3)
                job.reset();
            else
                job->phase = 1;
        }
    }
    if (!job)
        return false;
    const int n = ++m_taken;
    if (m_beforeCall)
        m_beforeCall(n);
    (*job->call)();
    {
        std::lock_guard jobLock(job->mutex);
        job->phase = 2;
    }
    job->changed.notify_all();
    return true;
}

bool TTestDispatcher::Call(const std::function<void()>& call, int timeoutMs)
{
    ++m_made;
    auto job = std::make_shared<Job>();
    job->call = &call;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(job);
    }
    wake();
    std::unique_lock lock(job->mutex);
    if (job->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return job->phase == 2; }))
        return true;
    if (job->phase == 0) {
        job->phase = 3;
        return false;
    }
    job->changed.wait(lock, [&] { return job->phase == 2; });
    return true;
}

bool TTestDispatcher::WaitLoop(int fd, int maxWaitMs)
{
    while (runOne()) {
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_eventFd, POLLIN, 0}};
    ::poll(fds, 2, maxWaitMs);
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_eventFd, &count, sizeof count);
    while (runOne()) {
    }
    return false;
}

} // namespace mxtest
