#pragma once
// The report runtime's side of the data exchange: it opens the request
// record and the semaphores of the program whose process id the loaded
// report named, and sends requests one at a time. Every wait has a
// time-out; a requester that died holding the lock, or a request whose
// requester gave up, never makes a later request read a stale answer (the
// record's sequence numbers pair each answer with its request).
//
// Channels: the runtime makes the two mappings of a channel itself
// ("/mxc<runtime pid, 8 hex digits><channel>a" and "...b", mode 0600) and
// names them in the open request; their names are removed as soon as the
// program has opened them; those of a runtime killed before that are
// removed by the next runtime that starts.

#include "record.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::rs {

class NamedSemaphore;
class SharedMemory;

class DataClient {
public:
    static std::unique_ptr<DataClient> connect(std::int32_t programPid, QString* error);
    // Removes this user's channel mappings (in folder, where the system
    // keeps them) left by a runtime that is gone, killed before the program
    // opened them; the number removed.
    static int removeLeftovers(const char* folder = "/dev/shm");
    ~DataClient();
    DataClient(const DataClient&) = delete;
    DataClient& operator=(const DataClient&) = delete;

    // How long one request may wait for the lock and for its answer.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }
    std::int32_t programPid() const { return m_pid; }

    // One request: fill writes the data area (kDataSize bytes), read reads
    // the answer from it. False with *error set when the request could not
    // be delivered or answered in time; otherwise *result is the record's
    // result (0 done, -1 failed).
    bool request(std::int32_t code, const std::function<void(std::uint8_t* data)>& fill,
        const std::function<void(const std::uint8_t* data)>& read, std::int32_t* result, QString* error);
    // The same with the process id field set to pid (tests of the filter).
    bool requestAs(std::int32_t pid, std::int32_t code, const std::function<void(std::uint8_t* data)>& fill,
        const std::function<void(const std::uint8_t* data)>& read, std::int32_t* result, QString* error);

    // Code 4: the program's last error text.
    QString lastError();
    // Codes 5 and 6: a list of names; false with *error on failure.
    bool datasets(QStringList* names, QString* error);
    bool fields(const QString& dataset, QStringList* names, QString* error);

private:
    DataClient() = default;
    std::int32_t m_pid = 0;
    int m_timeoutMs = 30000;
    std::unique_ptr<SharedMemory> m_block;
    std::unique_ptr<NamedSemaphore> m_request;
    std::unique_ptr<NamedSemaphore> m_done;
};

// One field of a channel's record, as its entry says.
struct FieldEntry {
    std::int32_t type = 0;
    QString name;
    std::uint16_t size = 0;
    bool null = true;
    QVariant value; // qint32, bool, double, QDate, QTime, QDateTime or QString
};

// Reads count entries from a first mapping of size bytes; false when they
// do not lie within it.
bool decodeEntries(const std::uint8_t* map, size_t size, int count, std::vector<FieldEntry>* out);

// An open channel of the runtime: its two mappings and the dataset open on
// it. Closing it (or destroying it) closes the dataset in the program.
class Channel {
public:
    static constexpr size_t kFirstSize = 65536;
    static constexpr size_t kSecondSize = kMemoChunk + 1;

    // Makes the mappings (of the given sizes) and opens dataset on channel.
    static std::unique_ptr<Channel> open(DataClient& client, int channel, const QString& dataset, QString* error,
        size_t firstSize = kFirstSize, size_t secondSize = kSecondSize);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    const std::vector<FieldEntry>& record() const { return m_record; }
    bool atEnd() const { return m_atEnd; }
    std::int32_t handle() const { return m_handle; }
    // Code 7: the next record; false with *error on failure.
    bool next(QString* error);
    // Code 8: the text of a memo field of the current record from a byte
    // offset, as much as one answer holds.
    bool memoChunk(const QString& field, std::int32_t offset, QByteArray* chunk, QString* error);
    // The whole text, read in chunks.
    bool memo(const QString& field, QByteArray* text, QString* error);
    // Code 3.
    bool close(QString* error);

private:
    Channel() = default;
    bool readRecord(QString* error);
    DataClient* m_client = nullptr;
    int m_channel = 0;
    std::int32_t m_handle = 0;
    int m_count = 0;
    bool m_atEnd = true;
    bool m_open = false;
    std::unique_ptr<SharedMemory> m_first;
    std::unique_ptr<SharedMemory> m_second;
    std::vector<FieldEntry> m_record;
};

// The names of a channel's mappings for this process.
std::string channelMappingName(int channel, char which);

} // namespace platform::rs
