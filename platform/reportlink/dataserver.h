#pragma once
// The program's side of the data exchange with the report runtime: the
// request record in shared memory ("/mxrq.<uid>.<pid>", mode 0600), the
// request and completion semaphores ("/mxrq.<uid>.<pid>.req" and ".done"),
// and a thread of its own that waits for requests. The user's id in the
// names keeps users apart and lets a program find what a program of its
// user left when it was killed: starting removes the objects of processes
// that are gone.
//
// The thread only waits, checks that a request is meant for this process,
// hands it to the answering routine and signals completion; every request
// it takes is signalled, answered or not. It waits with a time-out so that
// it sees its stop flag, and stopping it sets the flag, wakes it and joins
// it: it is never killed.

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform::rs {

class NamedSemaphore;
class SharedMemory;

class DataServer {
public:
    // Answers one request in place (record: the request record, kRecordSize
    // bytes). Runs on the server's thread; stopping turns true when the
    // server is being stopped, and the routine should then give up soon.
    using Answer = std::function<void(std::uint8_t* record, const std::atomic<bool>& stopping)>;
    // Whether identify requests (code 1) are answered now.
    using Identify = std::function<bool()>;

    // Makes the shared objects of this process and starts the thread.
    static std::unique_ptr<DataServer> start(Answer answer, Identify identify, QString* error);
    // Stops the thread and removes the shared objects.
    ~DataServer();
    DataServer(const DataServer&) = delete;
    DataServer& operator=(const DataServer&) = delete;

    std::int32_t processId() const { return m_pid; }
    // Requests answered or passed over since start.
    std::uint64_t requestsTaken() const { return m_taken.load(); }

    // Removes this user's shared objects (in folder, where the system
    // keeps them) whose process is gone; the number removed.
    static int removeLeftovers(const char* folder = "/dev/shm");

    // The names of a process's shared objects.
    static std::string blockName(std::int32_t pid);
    static std::string requestName(std::int32_t pid);
    static std::string doneName(std::int32_t pid);

    // How long the thread waits at most before it looks at its stop flag.
    static constexpr int kPollMs = 500;
    static constexpr const char* kObjectPrefix = "mxrq.";

private:
    DataServer() = default;
    void run();

    std::int32_t m_pid = 0;
    Answer m_answer;
    Identify m_identify;
    std::unique_ptr<SharedMemory> m_block;
    std::unique_ptr<NamedSemaphore> m_request;
    std::unique_ptr<NamedSemaphore> m_done;
    std::atomic<bool> m_stop {false};
    std::atomic<std::uint64_t> m_taken {0};
    std::thread m_thread;
};

} // namespace platform::rs
