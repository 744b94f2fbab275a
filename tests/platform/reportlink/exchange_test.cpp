// The shared request record between the program and the report runtime:
// fixed fields read within their bounds, texts cut at whole characters,
// every request paired with its own answer (also after a requester gave up
// or died holding the lock), requests of other processes passed over.

#include "platform/reportlink/dataclient.h"
#include "platform/reportlink/dataserver.h"
#include "platform/reportlink/ipc.h"
#include "platform/reportlink/record.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <csignal>

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::rs;

TEST(RecordTexts, CutAtWholeCharactersAndAlwaysTerminated)
{
    const struct {
        const char* text;
        size_t room;
        const char* written;
    } cases[] = {
        {"abc", 8, "abc"},
        {"abcdef", 4, "abc"},
        {"\xC3\xA9\xC3\xA9\xC3\xA9", 6, "\xC3\xA9\xC3\xA9"},    // "ééé": the third does not fit whole
        {"a\xE2\x82\xAC", 4, "a"},                              // "a€": no half euro sign
        {"a\xF0\x9F\x98\x80z", 6, "a\xF0\x9F\x98\x80"},         // a 4-byte character kept whole
        {"abc", 1, ""},
    };
    for (const auto& c : cases) {
        std::uint8_t buf[16];
        std::memset(buf, 0xAA, sizeof buf);
        const size_t n = writeText(buf, c.room, QByteArray(c.text));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buf), qsizetype(n)), QByteArray(c.written)) << c.text;
        EXPECT_EQ(buf[n], 0) << c.text;
        EXPECT_EQ(buf[c.room], 0xAA) << "nothing written past the room: " << c.text;
    }
    std::uint8_t untouched = 0xAA;
    EXPECT_EQ(writeText(&untouched, 0, QByteArray("x")), 0u);
    EXPECT_EQ(untouched, 0xAA);
}

TEST(RecordTexts, AFixedFieldWithoutTerminatorIsRefused)
{
    std::uint8_t field[20];
    std::memset(field, 'a', sizeof field);
    QByteArray out("stale");
    EXPECT_FALSE(readFixedText(field, sizeof field, &out));
    EXPECT_TRUE(out.isEmpty());
    field[19] = 0;
    ASSERT_TRUE(readFixedText(field, sizeof field, &out));
    EXPECT_EQ(out.size(), 19);
}

namespace {

// A data server whose answers the test controls; the test's thread plays
// the runtime.
class Exchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        m_server = DataServer::start(
            [this](std::uint8_t* record, const std::atomic<bool>&) {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_hold; });
                ++m_answered;
                putI32(record + kResultOffset, 0);
                putI32(record + kDataOffset, getI32(record + kDataOffset) * 2);
            },
            [this] { return m_identify.load(); }, &error);
        ASSERT_TRUE(m_server) << error.toStdString();
        m_client = DataClient::connect(m_server->processId(), &error);
        ASSERT_TRUE(m_client) << error.toStdString();
    }
    void TearDown() override
    {
        Hold(false);
        m_client.reset();
        m_server.reset();
    }
    void Hold(bool hold)
    {
        {
            std::lock_guard lock(m_mutex);
            m_hold = hold;
        }
        m_changed.notify_all();
    }
    // Sends code 2 with n at +0; the answer is 2n.
    bool Double(std::int32_t n, std::int32_t* out, QString* error)
    {
        std::int32_t result = -1;
        const bool sent = m_client->request(
            rqOpen, [n](std::uint8_t* data) { putI32(data, n); }, [out](const std::uint8_t* data) { *out = getI32(data); },
            &result, error);
        return sent && result == 0;
    }

    std::unique_ptr<DataServer> m_server;
    std::unique_ptr<DataClient> m_client;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_hold = false;
    int m_answered = 0;
    std::atomic<bool> m_identify {false};
};

} // namespace

TEST_F(Exchange, AnAnswerAfterItsRequesterGaveUpIsNeverTakenForTheNextOne)
{
    std::int32_t out = 0;
    QString error;
    ASSERT_TRUE(Double(21, &out, &error)) << error.toStdString();
    EXPECT_EQ(out, 42);

    Hold(true);
    m_client->setTimeout(100);
    EXPECT_FALSE(Double(5, &out, &error));
    EXPECT_FALSE(error.isEmpty());
    Hold(false);
    m_client->setTimeout(5000);
    // The late answer (10) comes and goes; this request gets its own.
    ASSERT_TRUE(Double(7, &out, &error)) << error.toStdString();
    EXPECT_EQ(out, 14);
    ASSERT_TRUE(Double(8, &out, &error)) << error.toStdString();
    EXPECT_EQ(out, 16);
}

TEST_F(Exchange, ARequesterThatDiedHoldingTheLockDoesNotBlockTheOthers)
{
    const std::string name = DataServer::blockName(m_server->processId());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The other runtime: takes the lock and dies with it.
        const int fd = shm_open(name.c_str(), O_RDWR, 0);
        void* p = mmap(nullptr, kBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (fd < 0 || p == MAP_FAILED)
            _exit(2);
        auto* control = reinterpret_cast<RecordControl*>(static_cast<std::uint8_t*>(p) + kControlOffset);
        _exit(pthread_mutex_lock(&control->lock) == 0 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    m_client->setTimeout(2000);
    std::int32_t out = 0;
    QString error;
    ASSERT_TRUE(Double(4, &out, &error)) << error.toStdString();
    EXPECT_EQ(out, 8);
}

TEST_F(Exchange, RequestsOfAnotherProcessAreSignalledButNotAnswered)
{
    std::int32_t result = 0;
    QString error;
    std::int32_t data = 0;
    ASSERT_TRUE(m_client->requestAs(
        m_server->processId() + 1, rqOpen, [](std::uint8_t* d) { putI32(d, 3); },
        [&](const std::uint8_t* d) { data = getI32(d); }, &result, &error))
        << error.toStdString();
    EXPECT_EQ(result, -1) << "the record as the requester left it";
    EXPECT_EQ(data, 3);
    EXPECT_EQ(m_answered, 0);
}

TEST_F(Exchange, IdentifyIsAnsweredByTheServerThreadOnlyWhenAllowed)
{
    for (bool allowed : {false, true}) {
        m_identify = allowed;
        std::int32_t result = 0;
        std::int32_t pid = 0;
        QString error;
        ASSERT_TRUE(m_client->request(rqIdentify, nullptr, [&](const std::uint8_t* d) { pid = getI32(d); }, &result, &error));
        EXPECT_EQ(result, allowed ? 0 : -1);
        EXPECT_EQ(pid, allowed ? m_server->processId() : 0);
    }
    EXPECT_EQ(m_answered, 0) << "identify never reaches the answering routine";
}

TEST_F(Exchange, StoppingTheServerEndsItsThreadAndRemovesItsNames)
{
    const std::int32_t pid = m_server->processId();
    m_client.reset();
    m_server.reset(); // joins the thread; a kill would hang here instead
    QString error;
    EXPECT_FALSE(SharedMemory::open(DataServer::blockName(pid), 1, kBlockSize, &error));
    EXPECT_FALSE(NamedSemaphore::open(DataServer::requestName(pid), &error));
    EXPECT_FALSE(DataClient::connect(pid, &error));
}

TEST(SharedObjects, AnObjectOthersMayReadIsRefused)
{
    const std::string name = "/mxtest." + std::to_string(getpid());
    shm_unlink(name.c_str());
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    fchmod(fd, 0644);
    ASSERT_EQ(ftruncate(fd, 64), 0);
    QString error;
    EXPECT_FALSE(SharedMemory::open(name, 1, 1024, &error));
    EXPECT_FALSE(error.isEmpty());
    fchmod(fd, 0600);
    EXPECT_TRUE(SharedMemory::open(name, 1, 1024, &error)) << error.toStdString();
    EXPECT_FALSE(SharedMemory::open(name, 128, 1024, &error)) << "smaller than asked";
    EXPECT_FALSE(SharedMemory::open(name, 1, 32, &error)) << "larger than allowed";
    ::close(fd);
    shm_unlink(name.c_str());
    EXPECT_FALSE(isValidObjectName("/a/b"));
    EXPECT_FALSE(isValidObjectName("noslash"));
    EXPECT_FALSE(isValidObjectName("/"));
}

// A program killed during a report leaves its request record and its two
// semaphores; they carry its user and process id, and the next program of
// the user that starts removes them, but not those of a program still
// running nor anything of another name.
TEST(SharedObjects, WhatAKilledProgramLeftIsRemovedByTheNext)
{
    const auto childThatEnds = [] {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        int status = 0;
        waitpid(child, &status, 0);
        return child;
    };
    const pid_t gone = childThatEnds();
    const pid_t running = fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        pause();
        _exit(0);
    }
    EXPECT_EQ(DataServer::blockName(gone), "/mxrq." + std::to_string(geteuid()) + "." + std::to_string(gone));
    const auto plant = [](std::int32_t pid) {
        const int fd = shm_open(DataServer::blockName(pid).c_str(), O_RDWR | O_CREAT, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, kBlockSize), 0);
        ::close(fd);
        for (const std::string& name : {DataServer::requestName(pid), DataServer::doneName(pid)}) {
            sem_t* sem = sem_open(name.c_str(), O_CREAT, 0600, 0);
            EXPECT_NE(sem, SEM_FAILED) << name;
            sem_close(sem);
        }
    };
    plant(gone);
    plant(running);
    // A runtime killed between making a channel's mappings and the
    // program's opening them leaves those, named after its process id.
    const auto mapping = [](pid_t pid, char which) {
        char name[32];
        std::snprintf(name, sizeof name, "/mxc%08x%d%c", unsigned(pid), 0, which);
        return std::string(name);
    };
    for (const pid_t pid : {gone, running})
        for (const char which : {'a', 'b'}) {
            const int fd = shm_open(mapping(pid, which).c_str(), O_RDWR | O_CREAT, 0600);
            ASSERT_GE(fd, 0);
            ::close(fd);
        }
    const auto mappingExists = [&](pid_t pid, char which) {
        const int fd = shm_open(mapping(pid, which).c_str(), O_RDONLY, 0);
        if (fd >= 0)
            ::close(fd);
        return fd >= 0;
    };
    const std::string otherName = "/mxrq." + std::to_string(geteuid()) + ".x" + std::to_string(gone);
    const int other = shm_open(otherName.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ::close(other);
    const auto exists = [](std::int32_t pid) {
        int found = 0;
        const int fd = shm_open(DataServer::blockName(pid).c_str(), O_RDONLY, 0);
        if (fd >= 0) {
            ++found;
            ::close(fd);
        }
        for (const std::string& name : {DataServer::requestName(pid), DataServer::doneName(pid)}) {
            if (sem_t* sem = sem_open(name.c_str(), 0); sem != SEM_FAILED) {
                ++found;
                sem_close(sem);
            }
        }
        return found;
    };
    ASSERT_EQ(exists(gone), 3);

    QString error;
    auto server = DataServer::start([](std::uint8_t*, const std::atomic<bool>&) {}, nullptr, &error);
    ASSERT_TRUE(server) << error.toStdString();
    EXPECT_EQ(exists(gone), 0) << "the killed program's objects are gone";
    EXPECT_EQ(exists(running), 3) << "a running program's are kept";
    EXPECT_EQ(shm_unlink(otherName.c_str()), 0) << "another name is left alone";
    server.reset();
    EXPECT_EQ(DataClient::removeLeftovers(), 2) << "the next runtime removes the dead one's mappings";
    EXPECT_FALSE(mappingExists(gone, 'a') || mappingExists(gone, 'b'));
    EXPECT_TRUE(mappingExists(running, 'a') && mappingExists(running, 'b'));

    kill(running, SIGKILL);
    waitpid(running, nullptr, 0);
    EXPECT_EQ(DataServer::removeLeftovers(), 3) << "once it is gone, they go too";
    EXPECT_EQ(exists(running), 0);
    EXPECT_EQ(DataClient::removeLeftovers(), 2);
}
