#include "ipc.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <csignal>

#include <dirent.h>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::rs {

namespace {

QString systemError(const char* what, const std::string& name, int err)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), QString::fromStdString(name),
        QString::fromLocal8Bit(std::strerror(err)));
}

timespec deadlineAfter(int timeoutMs)
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const long long ns = ts.tv_nsec + (long long)(timeoutMs < 0 ? 0 : timeoutMs % 1000) * 1000000LL;
    ts.tv_sec += (timeoutMs < 0 ? 0 : timeoutMs / 1000) + ns / 1000000000LL;
    ts.tv_nsec = long(ns % 1000000000LL);
    return ts;
}

} // namespace

bool isValidObjectName(const std::string& name)
{
    if (name.size() < 2 || name.size() > 251 || name[0] != '/')
        return false;
    for (size_t i = 1; i < name.size(); ++i) {
        const char c = name[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

std::unique_ptr<NamedSemaphore> NamedSemaphore::create(const std::string& name, QString* error)
{
    if (!isValidObjectName(name)) {
        *error = QStringLiteral("Invalid semaphore name %1").arg(QString::fromStdString(name));
        return nullptr;
    }
    sem_t* sem = sem_open(name.c_str(), O_CREAT | O_EXCL, 0600, 0);
    if (sem == SEM_FAILED && errno == EEXIST) {
        sem_unlink(name.c_str());
        sem = sem_open(name.c_str(), O_CREAT | O_EXCL, 0600, 0);
    }
    if (sem == SEM_FAILED) {
        *error = systemError("sem_open", name, errno);
        return nullptr;
    }
    return std::unique_ptr<NamedSemaphore>(new NamedSemaphore(sem, name, true));
}

std::unique_ptr<NamedSemaphore> NamedSemaphore::open(const std::string& name, QString* error)
{
    if (!isValidObjectName(name)) {
        *error = QStringLiteral("Invalid semaphore name %1").arg(QString::fromStdString(name));
        return nullptr;
    }
    sem_t* sem = sem_open(name.c_str(), 0);
    if (sem == SEM_FAILED) {
        *error = systemError("sem_open", name, errno);
        return nullptr;
    }
    return std::unique_ptr<NamedSemaphore>(new NamedSemaphore(sem, name, false));
}

NamedSemaphore::~NamedSemaphore()
{
    sem_close(static_cast<sem_t*>(m_sem));
    if (m_owner)
        sem_unlink(m_name.c_str());
}

bool NamedSemaphore::post()
{
    return sem_post(static_cast<sem_t*>(m_sem)) == 0;
}

WaitResult NamedSemaphore::wait(int timeoutMs)
{
    const timespec deadline = deadlineAfter(timeoutMs);
    for (;;) {
        if (sem_clockwait(static_cast<sem_t*>(m_sem), CLOCK_MONOTONIC, &deadline) == 0)
            return WaitResult::Signalled;
        if (errno == EINTR)
            continue;
        return errno == ETIMEDOUT ? WaitResult::TimedOut : WaitResult::Failed;
    }
}

bool NamedSemaphore::tryWait()
{
    for (;;) {
        if (sem_trywait(static_cast<sem_t*>(m_sem)) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

std::unique_ptr<SharedMemory> SharedMemory::create(const std::string& name, size_t size, QString* error)
{
    if (!isValidObjectName(name)) {
        *error = QStringLiteral("Invalid shared memory name %1").arg(QString::fromStdString(name));
        return nullptr;
    }
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) {
        shm_unlink(name.c_str());
        fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    }
    if (fd < 0) {
        *error = systemError("shm_open", name, errno);
        return nullptr;
    }
    if (ftruncate(fd, off_t(size)) != 0) {
        *error = systemError("ftruncate", name, errno);
        ::close(fd);
        shm_unlink(name.c_str());
        return nullptr;
    }
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        *error = systemError("mmap", name, errno);
        ::close(fd);
        shm_unlink(name.c_str());
        return nullptr;
    }
    std::unique_ptr<SharedMemory> m(new SharedMemory);
    m->m_fd = fd;
    m->m_data = static_cast<std::uint8_t*>(p);
    m->m_size = size;
    m->m_name = name;
    m->m_unlinkOnClose = true;
    return m;
}

std::unique_ptr<SharedMemory> SharedMemory::open(const std::string& name, size_t minSize, size_t maxSize,
    QString* error)
{
    if (!isValidObjectName(name)) {
        *error = QStringLiteral("Invalid shared memory name %1").arg(QString::fromStdString(name));
        return nullptr;
    }
    const int fd = shm_open(name.c_str(), O_RDWR, 0);
    if (fd < 0) {
        *error = systemError("shm_open", name, errno);
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        *error = systemError("fstat", name, errno);
        ::close(fd);
        return nullptr;
    }
    if (st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
        *error = QStringLiteral("Shared memory %1 is not private to this user").arg(QString::fromStdString(name));
        ::close(fd);
        return nullptr;
    }
    if (st.st_size < 0 || size_t(st.st_size) < minSize || size_t(st.st_size) > maxSize) {
        *error = QStringLiteral("Shared memory %1 has %2 bytes").arg(QString::fromStdString(name)).arg(st.st_size);
        ::close(fd);
        return nullptr;
    }
    const size_t size = size_t(st.st_size);
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        *error = systemError("mmap", name, errno);
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<SharedMemory> m(new SharedMemory);
    m->m_fd = fd;
    m->m_data = static_cast<std::uint8_t*>(p);
    m->m_size = size;
    m->m_name = name;
    return m;
}

SharedMemory::~SharedMemory()
{
    if (m_data)
        munmap(m_data, m_size);
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_unlinkOnClose)
        shm_unlink(m_name.c_str());
}

size_t SharedMemory::usableSize() const
{
    struct stat st {};
    if (fstat(m_fd, &st) != 0 || st.st_size < 0)
        return 0;
    return size_t(st.st_size) < m_size ? size_t(st.st_size) : m_size;
}

void SharedMemory::unlinkName()
{
    shm_unlink(m_name.c_str());
    m_unlinkOnClose = false;
}

int removeObjectsOfGoneProcesses(const char* folder, const std::function<std::int32_t(const std::string&)>& pidOf)
{
    DIR* dir = ::opendir(folder);
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::int32_t pid = pidOf(e->d_name);
        if (pid <= 0 || pid == std::int32_t(getpid()))
            continue;
        // Only a process that is gone: one of another user (EPERM) may
        // have taken the id, but it is not the one that made the object.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != geteuid())
            continue;
        if (::unlinkat(::dirfd(dir), e->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace platform::rs
