#pragma once
// The shared objects of the report runtime connection: POSIX shared memory
// and named semaphores, made for the same user only (mode 0600). Every wait
// has a time-out.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform::rs {

enum class WaitResult { Signalled, TimedOut, Failed };

// A named POSIX semaphore.
class NamedSemaphore {
public:
    // A new semaphore of value 0. One left by a process that is gone (the
    // names hold a process id) is removed first. The name is removed again
    // when the object goes.
    static std::unique_ptr<NamedSemaphore> create(const std::string& name, QString* error);
    // An existing semaphore, made by another process.
    static std::unique_ptr<NamedSemaphore> open(const std::string& name, QString* error);
    ~NamedSemaphore();
    NamedSemaphore(const NamedSemaphore&) = delete;
    NamedSemaphore& operator=(const NamedSemaphore&) = delete;

    bool post();
    // Waits at most timeoutMs (measured on the monotonic clock).
    WaitResult wait(int timeoutMs);
    bool tryWait();
    const std::string& name() const { return m_name; }

private:
    NamedSemaphore(void* sem, std::string name, bool owner) : m_sem(sem), m_name(std::move(name)), m_owner(owner) {}
    void* m_sem;
    std::string m_name;
    bool m_owner;
};

// A POSIX shared memory object, mapped whole for reading and writing.
class SharedMemory {
public:
    // A new object of size bytes (zero-filled). One left by a process that
    // is gone is removed first. The name is removed when the object goes,
    // unless unlinkName() did it before.
    static std::unique_ptr<SharedMemory> create(const std::string& name, size_t size, QString* error);
    // An existing object made by another process of the same user, mapped
    // at the size it has now, which must lie in minSize..maxSize.
    static std::unique_ptr<SharedMemory> open(const std::string& name, size_t minSize, size_t maxSize, QString* error);
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    std::uint8_t* data() const { return m_data; }
    // The size mapped.
    size_t size() const { return m_size; }
    // The bytes that may be touched now: the size mapped, or less when the
    // other side has shrunk the object since (0 when it cannot be told).
    size_t usableSize() const;
    // Removes the name; the memory stays while it is mapped.
    void unlinkName();
    const std::string& name() const { return m_name; }

private:
    SharedMemory() = default;
    int m_fd = -1;
    std::uint8_t* m_data = nullptr;
    size_t m_size = 0;
    std::string m_name;
    bool m_unlinkOnClose = false;
};

// Removes the entries of folder (where the system keeps shared objects)
// that pidOf reads a process id from (0: not one of those sought), when
// they are regular files of this user and that process is gone (never this
// process); the number removed.
int removeObjectsOfGoneProcesses(const char* folder, const std::function<std::int32_t(const std::string&)>& pidOf);

// A name for shared objects: "/" and 1 to 250 letters, digits, ".", "_"
// or "-" (what shm_open and sem_open accept on every system).
bool isValidObjectName(const std::string& name);

} // namespace platform::rs
