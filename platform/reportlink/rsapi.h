#pragma once
// The program's calls into the report runtime, over the runtime's socket
// (see rendezvous.h). One connection per process, like the runtime's own
// API library: every report of the program shares it.
//
// A call sends one line and waits for the runtime's answer line. While it
// waits, the registered wait-loop routine runs, so that the program can
// answer the data requests the runtime makes meanwhile; a call made from
// inside that routine finds the API busy. The answer's time-out counts from
// the last sign of life: the start of the call, or the last data request
// the program answered for it (noteActivity).
//
// Results: 0 success; kBusy while another call is in progress; the other
// codes below, or the runtime's own error number, with lastError() telling
// why.

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>

namespace platform::rs {

class RsApi {
public:
    enum Result : int {
        kOk = 0,
        kBusy = 1,
        kNotConnected = 2,
        kGone = 3,        // the runtime ended or broke the connection
        kTimedOut = 4,
        kBadAnswer = 5,
        kTerminating = 6, // the application is ending
    };
    // The program kind that RS_InitiateAPI chooses.
    enum Kind : int { kRunTime = -1, kFullProgram = 0 };

    // Waits at most maxWaitMs until fd is readable, doing the program's
    // pending work meanwhile; returns true when the application is ending.
    using WaitLoop = std::function<bool(int fd, int maxWaitMs)>;

    static RsApi& instance();

    // The runtime answers and has not ended.
    bool isPresent();
    bool isBusy() const { return m_busy; }
    void initiate(int kind);
    int kind() const { return m_kind; }
    // The socket kind name of the chosen program.
    QString kindName() const;
    // Connects to the runtime of the chosen kind; *connection gets its
    // connection value (non-zero).
    int connect(std::uint32_t* connection, int reserved);
    int setRecordLimit(int maxRecords);
    // outputFolder: where a relative output file of the report goes (empty:
    // where the runtime's own settings say).
    int loadReport(const QString& fileName, const QString& initialValues, int a, int b, const QString& outputFolder = {});
    int printReport(int startPage, int endPage, int a, int b, int c, int copies);
    // Ends the runtime (close 1) or asks it to end without saving (0).
    int closeRS(int close);
    void registerWaitLoop(WaitLoop loop) { m_waitLoop = std::move(loop); }
    const QString& lastError() const { return m_lastError; }
    // The fields after "OK" of the last call's answer (PRINT: "pdf" and the
    // file written, or "printer" and the printer's name).
    const QStringList& lastAnswer() const { return m_lastAnswer; }
    // Drops the connection (the runtime is gone, or tests).
    void disconnect();

    // A data request of the runtime was answered: the call waiting is alive.
    static void noteActivity();
    // The time-out of an answer, in milliseconds.
    void setAnswerTimeout(int ms) { m_answerTimeoutMs = ms; }
    int answerTimeout() const { return m_answerTimeoutMs; }

    // True when a runtime of that kind answers on its socket.
    static bool findRuntime(const QString& kindName);
    // Starts program with args, on its own (not a child that must be
    // waited for); *pid gets its process id. False with *error set.
    static bool launch(const QString& program, const QStringList& args, std::int64_t* pid, QString* error);
    // True while the process runs (a process that ended and waits to be
    // reaped does not count).
    static bool processAlive(std::int64_t pid);
    // Waits until the runtime of that kind answers on its socket: true;
    // false when the process pid ended first or timeoutMs passed.
    static bool waitUntilReady(const QString& kindName, std::int64_t pid, int timeoutMs);

private:
    RsApi() = default;
    int call(const QStringList& request, QStringList* answer);
    int fail(int code, const QString& text);

    int m_fd = -1;
    int m_kind = kRunTime;
    int m_connectedKind = kRunTime;
    bool m_busy = false;
    int m_answerTimeoutMs = 60000;
    QString m_lastError;
    QStringList m_lastAnswer;
    WaitLoop m_waitLoop;
    static std::atomic<std::int64_t> s_activity;
};

} // namespace platform::rs
