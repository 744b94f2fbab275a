#include "dataserver.h"

#include "ipc.h"
#include "record.h"

#include <pthread.h>
#include <unistd.h>

namespace platform::rs {

std::string DataServer::blockName(std::int32_t pid)
{
    return "/" + std::string(kObjectPrefix) + std::to_string(geteuid()) + "." + std::to_string(pid);
}

namespace {

// The process id of a name of this user's objects as /dev/shm lists them
// ("mxrq.<uid>.<pid>", its semaphores "sem.mxrq.<uid>.<pid>.req" and
// ".done"), or 0.
std::int32_t leftoverPid(const std::string& entry, const std::string& prefix)
{
    std::string rest;
    if (entry.rfind(prefix, 0) == 0)
        rest = entry.substr(prefix.size());
    else if (entry.rfind("sem." + prefix, 0) == 0)
        rest = entry.substr(4 + prefix.size());
    else
        return 0;
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 10 && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    const std::string tail = rest.substr(digits);
    if (digits == 0 || (!tail.empty() && tail != ".req" && tail != ".done"))
        return 0;
    const long long pid = std::stoll(rest.substr(0, digits));
    return pid > 0 && pid <= 0x7fffffff ? std::int32_t(pid) : 0;
}

} // namespace

int DataServer::removeLeftovers(const char* folder)
{
    const std::string prefix = std::string(kObjectPrefix) + std::to_string(geteuid()) + ".";
    return removeObjectsOfGoneProcesses(folder, [&prefix](const std::string& entry) { return leftoverPid(entry, prefix); });
}

std::string DataServer::requestName(std::int32_t pid)
{
    return blockName(pid) + ".req";
}

std::string DataServer::doneName(std::int32_t pid)
{
    return blockName(pid) + ".done";
}

std::unique_ptr<DataServer> DataServer::start(Answer answer, Identify identify, QString* error)
{
    std::unique_ptr<DataServer> s(new DataServer);
    s->m_pid = std::int32_t(getpid());
    removeLeftovers();
    s->m_answer = std::move(answer);
    s->m_identify = std::move(identify);
    s->m_block = SharedMemory::create(blockName(s->m_pid), kBlockSize, error);
    if (!s->m_block)
        return nullptr;
    auto* control = reinterpret_cast<RecordControl*>(s->m_block->data() + kControlOffset);
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    const int rc = pthread_mutex_init(&control->lock, &attr);
    pthread_mutexattr_destroy(&attr);
    if (rc != 0) {
        *error = QStringLiteral("pthread_mutex_init failed (%1)").arg(rc);
        return nullptr;
    }
    __atomic_store_n(&control->magic, kControlMagic, __ATOMIC_SEQ_CST);
    s->m_request = NamedSemaphore::create(requestName(s->m_pid), error);
    if (!s->m_request)
        return nullptr;
    s->m_done = NamedSemaphore::create(doneName(s->m_pid), error);
    if (!s->m_done)
        return nullptr;
    s->m_thread = std::thread([p = s.get()] { p->run(); });
    return s;
}

DataServer::~DataServer()
{
    if (m_thread.joinable()) {
        m_stop = true;
        m_request->post();
        m_thread.join();
    }
}

void DataServer::run()
{
    std::uint8_t* record = m_block->data();
    auto* control = reinterpret_cast<RecordControl*>(record + kControlOffset);
    while (!m_stop) {
        if (m_request->wait(kPollMs) != WaitResult::Signalled)
            continue;
        if (m_stop)
            break;
        const std::uint32_t seq = __atomic_load_n(&control->requestSeq, __ATOMIC_SEQ_CST);
        const std::int32_t code = getI32(record + kCodeOffset);
        if (code == rqIdentify) {
            if (m_identify && m_identify()) {
                putI32(record + kResultOffset, 0);
                putI32(record + kDataOffset, m_pid);
            }
        } else if (getI32(record + kPidOffset) == m_pid) {
            m_answer(record, m_stop);
        }
        ++m_taken;
        __atomic_store_n(&control->answeredSeq, seq, __ATOMIC_SEQ_CST);
        m_done->post();
    }
}

} // namespace platform::rs
