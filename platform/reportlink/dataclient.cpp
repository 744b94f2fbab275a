#include "dataclient.h"

#include "dataserver.h"
#include "ipc.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <pthread.h>
#include <unistd.h>

namespace platform::rs {

namespace {

// The largest memo text read, so that a peer cannot keep a reader going.
constexpr qsizetype kMaxMemoBytes = 64 * 1024 * 1024;

RecordControl* controlOf(SharedMemory& block)
{
    return reinterpret_cast<RecordControl*>(block.data() + kControlOffset);
}

timespec deadlineAfter(int timeoutMs)
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const long long ns = ts.tv_nsec + (long long)(timeoutMs % 1000) * 1000000LL;
    ts.tv_sec += timeoutMs / 1000 + ns / 1000000000LL;
    ts.tv_nsec = long(ns % 1000000000LL);
    return ts;
}

int remainingMs(const timespec& deadline)
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ms = (deadline.tv_sec - now.tv_sec) * 1000LL + (deadline.tv_nsec - now.tv_nsec) / 1000000LL;
    return ms < 0 ? 0 : int(ms);
}

// The texts of a list answer: names, each terminated, then one more zero,
// within the data area.
bool readNameList(const std::uint8_t* data, QStringList* names)
{
    size_t at = 0;
    while (at < kDataSize) {
        QByteArray name;
        if (!readFixedText(data + at, kDataSize - at, &name))
            return false;
        if (name.isEmpty())
            return true;
        names->append(QString::fromUtf8(name));
        at += size_t(name.size()) + 1;
    }
    return false;
}

QDate dateOf(const std::uint8_t* v)
{
    return QDate(getU16(v), getU16(v + 2), getU16(v + 4));
}

QTime timeOf(const std::uint8_t* v)
{
    return QTime(getU16(v + 6), getU16(v + 8), getU16(v + 10), getU16(v + 12));
}

} // namespace

std::string channelMappingName(int channel, char which)
{
    char name[32];
    std::snprintf(name, sizeof name, "/mxc%08x%d%c", unsigned(getpid()), channel, which);
    return name;
}

int DataClient::removeLeftovers(const char* folder)
{
    // "mxc<pid, 8 hex digits><channel><a or b>", as /dev/shm lists them.
    return removeObjectsOfGoneProcesses(folder, [](const std::string& entry) -> std::int32_t {
        if (entry.size() != 13 || entry.rfind("mxc", 0) != 0 || (entry[12] != 'a' && entry[12] != 'b')
            || entry[11] < '0' || entry[11] > '9')
            return 0;
        std::uint32_t pid = 0;
        for (size_t i = 3; i < 11; ++i) {
            const char c = entry[i];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return 0;
            pid = pid * 16 + std::uint32_t(digit);
        }
        return pid <= 0x7fffffff ? std::int32_t(pid) : 0;
    });
}

std::unique_ptr<DataClient> DataClient::connect(std::int32_t programPid, QString* error)
{
    std::unique_ptr<DataClient> c(new DataClient);
    c->m_pid = programPid;
    c->m_block = SharedMemory::open(DataServer::blockName(programPid), kBlockSize, kBlockSize, error);
    if (!c->m_block)
        return nullptr;
    if (__atomic_load_n(&controlOf(*c->m_block)->magic, __ATOMIC_SEQ_CST) != kControlMagic) {
        *error = QStringLiteral("The request record of process %1 is not ready").arg(programPid);
        return nullptr;
    }
    c->m_request = NamedSemaphore::open(DataServer::requestName(programPid), error);
    if (!c->m_request)
        return nullptr;
    c->m_done = NamedSemaphore::open(DataServer::doneName(programPid), error);
    if (!c->m_done)
        return nullptr;
    return c;
}

DataClient::~DataClient() = default;

bool DataClient::request(std::int32_t code, const std::function<void(std::uint8_t*)>& fill,
    const std::function<void(const std::uint8_t*)>& read, std::int32_t* result, QString* error)
{
    return requestAs(m_pid, code, fill, read, result, error);
}

bool DataClient::requestAs(std::int32_t pid, std::int32_t code, const std::function<void(std::uint8_t*)>& fill,
    const std::function<void(const std::uint8_t*)>& read, std::int32_t* result, QString* error)
{
    std::uint8_t* record = m_block->data();
    RecordControl* control = controlOf(*m_block);
    const timespec deadline = deadlineAfter(m_timeoutMs);

    int rc = pthread_mutex_clocklock(&control->lock, CLOCK_MONOTONIC, &deadline);
    if (rc == EOWNERDEAD) {
        // The runtime that held it died; the bookkeeping below copes with
        // the request it may have left in flight.
        pthread_mutex_consistent(&control->lock);
        rc = 0;
    }
    if (rc != 0) {
        *error = rc == ETIMEDOUT ? QStringLiteral("The program's request record stayed busy")
                                 : QStringLiteral("The program's request record cannot be locked (%1)").arg(rc);
        return false;
    }
    struct Unlock {
        pthread_mutex_t* m;
        ~Unlock() { pthread_mutex_unlock(m); }
    } unlock {&control->lock};

    // A request still in flight (its requester gave up or died) is let
    // finish first, so that its answer cannot be taken for this one's.
    while (__atomic_load_n(&control->answeredSeq, __ATOMIC_SEQ_CST)
        != __atomic_load_n(&control->requestSeq, __ATOMIC_SEQ_CST)) {
        if (m_done->wait(remainingMs(deadline)) != WaitResult::Signalled) {
            *error = QStringLiteral("The program did not answer an earlier request");
            return false;
        }
    }
    // Completions of requests already paired are no longer awaited.
    while (m_done->tryWait()) {
    }

    const std::uint32_t seq = __atomic_load_n(&control->requestSeq, __ATOMIC_SEQ_CST) + 1;
    putI32(record + kPidOffset, pid);
    putI32(record + kCodeOffset, code);
    putI32(record + kResultOffset, -1);
    std::memset(record + kDataOffset, 0, kDataSize);
    if (fill)
        fill(record + kDataOffset);
    __atomic_store_n(&control->requestSeq, seq, __ATOMIC_SEQ_CST);
    if (!m_request->post()) {
        *error = QStringLiteral("The program's request semaphore cannot be posted");
        return false;
    }
    for (;;) {
        if (m_done->wait(remainingMs(deadline)) != WaitResult::Signalled) {
            *error = QStringLiteral("The program did not answer in time");
            return false;
        }
        if (__atomic_load_n(&control->answeredSeq, __ATOMIC_SEQ_CST) == seq)
            break;
    }
    *result = getI32(record + kResultOffset);
    if (read)
        read(record + kDataOffset);
    return true;
}

QString DataClient::lastError()
{
    QString text;
    std::int32_t result = -1;
    QString error;
    const bool ok = request(rqLastError, nullptr,
        [&](const std::uint8_t* data) {
            QByteArray bytes;
            if (readFixedText(data, kDataSize, &bytes))
                text = QString::fromUtf8(bytes);
        },
        &result, &error);
    return ok ? text : error;
}

bool DataClient::datasets(QStringList* names, QString* error)
{
    names->clear();
    std::int32_t result = -1;
    bool listed = false;
    if (!request(rqDatasets, nullptr, [&](const std::uint8_t* data) { listed = readNameList(data, names); }, &result,
            error))
        return false;
    if (result != 0) {
        *error = lastError();
        return false;
    }
    if (!listed) {
        *error = QStringLiteral("The list of datasets is not terminated");
        return false;
    }
    return true;
}

bool DataClient::fields(const QString& dataset, QStringList* names, QString* error)
{
    names->clear();
    const QByteArray name = dataset.toUtf8();
    if (size_t(name.size()) >= kDataSize) {
        *error = QStringLiteral("Dataset name too long");
        return false;
    }
    std::int32_t result = -1;
    bool listed = false;
    if (!request(
            rqFields, [&](std::uint8_t* data) { writeText(data, kDataSize, name); },
            [&](const std::uint8_t* data) { listed = readNameList(data, names); }, &result, error))
        return false;
    if (result != 0) {
        *error = lastError();
        return false;
    }
    if (!listed) {
        *error = QStringLiteral("The list of fields is not terminated");
        return false;
    }
    return true;
}

bool decodeEntries(const std::uint8_t* map, size_t size, int count, std::vector<FieldEntry>* out)
{
    out->clear();
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        if (size - at < kEntryHeader)
            return false;
        const std::uint8_t* e = map + at;
        FieldEntry f;
        f.type = getI32(e + kEntryType);
        QByteArray name;
        if (!readFixedText(e + kEntryName, kFieldNameField, &name))
            return false;
        f.name = QString::fromUtf8(name);
        f.size = getU16(e + kEntrySize);
        f.null = getI32(e + kEntryNull) != 0;
        if (size - at - kEntryHeader < f.size)
            return false;
        const std::uint8_t* v = e + kEntryHeader;
        if (!f.null) {
            switch (f.type) {
            case 1: {
                QByteArray text;
                if (!readFixedText(v, f.size, &text))
                    return false;
                f.value = QString::fromUtf8(text);
                break;
            }
            case 2:
            case 3:
            case 4:
            case 14:
                if (f.size < 4)
                    return false;
                f.value = getI32(v);
                break;
            case 5:
                if (f.size < 4)
                    return false;
                f.value = getI32(v) != 0;
                break;
            case 6:
            case 7:
            case 8:
                if (f.size < 8)
                    return false;
                f.value = getF64(v);
                break;
            case 9:
            case 10:
            case 11:
                if (f.size < 14)
                    return false;
                f.value = f.type == 9 ? QVariant(dateOf(v))
                    : f.type == 10    ? QVariant(timeOf(v))
                                      : QVariant(QDateTime(dateOf(v), timeOf(v)));
                break;
            default:
                break;
            }
        }
        out->push_back(std::move(f));
        at += kEntryHeader + f.size;
    }
    return true;
}

std::unique_ptr<Channel> Channel::open(DataClient& client, int channel, const QString& dataset, QString* error,
    size_t firstSize, size_t secondSize)
{
    std::unique_ptr<Channel> c(new Channel);
    c->m_client = &client;
    c->m_channel = channel;
    const std::string first = channelMappingName(channel, 'a');
    const std::string second = channelMappingName(channel, 'b');
    c->m_first = SharedMemory::create(first, firstSize, error);
    if (!c->m_first)
        return nullptr;
    c->m_second = SharedMemory::create(second, secondSize, error);
    if (!c->m_second)
        return nullptr;
    const QByteArray name = dataset.toUtf8();
    if (size_t(name.size()) >= kDatasetNameField) {
        *error = QStringLiteral("Dataset name too long: %1").arg(dataset);
        return nullptr;
    }
    std::int32_t result = -1;
    std::int32_t handle = 0;
    std::int32_t notAtEnd = 0;
    int count = 0;
    const bool sent = client.request(
        rqOpen,
        [&](std::uint8_t* data) {
            putI32(data, channel);
            writeText(data + 4, kMappingNameField, QByteArray::fromStdString(first));
            writeText(data + 24, kMappingNameField, QByteArray::fromStdString(second));
            writeText(data + 44, kDatasetNameField, name);
        },
        [&](const std::uint8_t* data) {
            handle = getI32(data);
            notAtEnd = getI32(data + 4);
            count = getU16(data + 8);
        },
        &result, error);
    // The program has opened them (or will not): their names can go.
    c->m_first->unlinkName();
    c->m_second->unlinkName();
    if (!sent)
        return nullptr;
    if (result != 0) {
        *error = client.lastError();
        return nullptr;
    }
    c->m_open = true;
    c->m_handle = handle;
    c->m_count = count;
    c->m_atEnd = notAtEnd == 0;
    if (!c->readRecord(error))
        return nullptr;
    return c;
}

Channel::~Channel()
{
    if (m_open) {
        QString ignored;
        close(&ignored);
    }
}

bool Channel::readRecord(QString* error)
{
    if (!decodeEntries(m_first->data(), m_first->size(), m_count, &m_record)) {
        *error = QStringLiteral("The record sent does not fit its mapping");
        return false;
    }
    return true;
}

bool Channel::next(QString* error)
{
    std::int32_t result = -1;
    std::int32_t notAtEnd = 0;
    if (!m_client->request(
            rqNext,
            [&](std::uint8_t* data) {
                putI32(data, m_handle);
                putI32(data + 4, m_channel);
            },
            [&](const std::uint8_t* data) { notAtEnd = getI32(data); }, &result, error))
        return false;
    if (result != 0) {
        *error = m_client->lastError();
        return false;
    }
    m_atEnd = notAtEnd == 0;
    return readRecord(error);
}

bool Channel::memoChunk(const QString& field, std::int32_t offset, QByteArray* chunk, QString* error)
{
    chunk->clear();
    const QByteArray name = field.toUtf8();
    if (size_t(name.size()) >= kFieldNameField) {
        *error = QStringLiteral("Field name too long: %1").arg(field);
        return false;
    }
    std::int32_t result = -1;
    if (!m_client->request(
            rqMemo,
            [&](std::uint8_t* data) {
                putI32(data, m_handle);
                putI32(data + 4, m_channel);
                writeText(data + 8, kFieldNameField, name);
                putI32(data + 40, offset);
            },
            nullptr, &result, error))
        return false;
    if (result != 0) {
        *error = m_client->lastError();
        return false;
    }
    if (!readFixedText(m_second->data(), m_second->size(), chunk)) {
        *error = QStringLiteral("The memo text sent is not terminated");
        return false;
    }
    return true;
}

bool Channel::memo(const QString& field, QByteArray* text, QString* error)
{
    text->clear();
    for (;;) {
        QByteArray chunk;
        if (!memoChunk(field, std::int32_t(text->size()), &chunk, error))
            return false;
        if (chunk.isEmpty())
            return true;
        if (text->size() + chunk.size() > kMaxMemoBytes) {
            *error = QStringLiteral("Memo text too long");
            return false;
        }
        text->append(chunk);
    }
}

bool Channel::close(QString* error)
{
    if (!m_open)
        return true;
    m_open = false;
    std::int32_t result = -1;
    if (!m_client->request(
            rqClose,
            [&](std::uint8_t* data) {
                putI32(data, m_handle);
                putI32(data + 4, m_channel);
            },
            nullptr, &result, error))
        return false;
    if (result != 0) {
        *error = m_client->lastError();
        return false;
    }
    return true;
}

} // namespace platform::rs
