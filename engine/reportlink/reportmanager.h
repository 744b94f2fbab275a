#pragma once
// TReportManager: the program's data server for the report runtime. One
// per process (ReportManager()), made on first use.
//
// It keeps the reports of the process (each registers itself) and the
// datasets they offer, and answers the runtime's requests: the data
// server's thread (platform/reportlink/dataserver.h) takes each request and
// hands it over to the user-interface thread as a blocking call
// (UiDispatcher), where Answer does all the data work, so datasets are
// only ever touched there. A hand-over that does not start in time fails
// the request ("the program did not answer").
//
// The runtime is another process: everything it sends is checked. A
// channel outside 0..9 is "not available"; mapping names and other names
// in fixed fields are read within their fields and refused when
// unterminated; every write into a mapping is checked against the size the
// mapping has now; a negative memo offset reads as beyond the text. Each
// channel reads through a cursor of its own over the offered rows, so
// opening, reading or closing a channel never moves or closes the step's
// dataset (see channelrecord.h for the values).

#include "channelrecord.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::rs {
class DataServer;
class SharedMemory;
} // namespace platform::rs

namespace mx {

class TIMxRowCursor;
class TReport;

class TReportManager {
public:
    TReportManager();
    ~TReportManager();
    TReportManager(const TReportManager&) = delete;
    TReportManager& operator=(const TReportManager&) = delete;

    // Reports register themselves when made and leave when destroyed.
    void Register(TReport* report);
    void Unregister(TReport* report);
    const std::vector<TReport*>& Reports() const { return m_reports; }

    // The names of the datasets offered by the registered reports, each
    // once, in the reports' order.
    QStringList DatasetNames() const;

    // Starts the data server once; true when it runs. Its failure is kept
    // in *error.
    bool StartServer(QString* error);
    bool ServerRunning() const { return bool(m_server); }
    // Stops the data server's thread and releases every channel.
    void StopServer();
    // Unmaps every channel and drops its cursor (the runtime is gone).
    void ReleaseChannels();
    // The channel's cursor, none when the channel is closed (tests).
    const TIMxRowCursor* ChannelCursor(int channel) const;

    // Answers one request in place, on the user-interface thread.
    void Answer(std::uint8_t* record);

    QString LastError() const;
    void SetLastError(const QString& text);

    // How long a request waits for the user-interface thread to take it.
    void SetHandOverTimeout(int ms) { m_handOverTimeoutMs = ms; }
    int HandOverTimeout() const { return m_handOverTimeoutMs; }
    // Whether identify requests are answered: only while the first report
    // is in design state, which a running program never is.
    bool AnswersIdentify() const;

private:
    struct Channel {
        std::unique_ptr<platform::rs::SharedMemory> first;
        std::unique_ptr<platform::rs::SharedMemory> second;
        std::unique_ptr<TIMxRowCursor> cursor;
        TChannelLayout layout;
        std::int32_t handle = 0;
        bool onRow = false;
        int recNo = 0;
    };
    void answerOpen(std::uint8_t* data);
    void answerClose(std::uint8_t* data);
    void answerDatasets(std::uint8_t* data);
    void answerFields(std::uint8_t* data);
    void answerNext(std::uint8_t* data);
    void answerMemo(std::uint8_t* data);
    Channel& channelOf(std::int32_t number);
    Channel& openChannelOf(std::int32_t handle, std::int32_t number);
    std::shared_ptr<const TIMxRowCursor> findRows(const QString& name) const;
    void writeRecord(Channel& c);
    void release(Channel& c);

    std::vector<TReport*> m_reports;
    std::array<Channel, 10> m_channels;
    std::int32_t m_nextHandle = 0;
    std::unique_ptr<platform::rs::DataServer> m_server;
    QString m_notAnsweredText;
    mutable std::mutex m_errorMutex;
    QString m_lastError;
    std::atomic<int> m_handOverTimeoutMs {30000};
};

// The manager of the process, made on first use.
TReportManager* ReportManager();
// The manager when it exists; none before the first use and after shutdown.
TReportManager* ExistingReportManager();
// Stops the data server and frees the manager (engine shutdown); the
// reports still alive are let go, not freed (their owners free them).
void ShutdownReportLink() noexcept;

} // namespace mx
