#pragma once
// The runtime's side of the program's calls: it listens on the socket of
// its kind and answers one line per call:
//
//   CONNECT                           OK <connection value: the runtime's pid>
//   LIMIT <n>                         OK          (0: no record limit)
//   LOAD <file> <initial values> <a> <b> [<folder>]
//                                     OK, once the report file is read, its
//                                     variables set and its data read from
//                                     the program named by the initial values;
//                                     folder: where the program puts its
//                                     results, for a relative File (else the
//                                     runtime's own settings say)
//   PRINT <first> <last> <a> <b> <c> <copies>
//                                     OK, once printed (or written as PDF)
//   CLOSE <n>                         OK, and the runtime ends
//
// PRINT's answer says where the report went: OK pdf <file>, or OK printer
// <name>. A failure answers ERR <number> <text>.
//
// Every connection has its own record limit and its own loaded report:
// programs printing at the same time never print each other's report, and
// PRINT on a connection that loaded nothing fails. CLOSE ends the runtime
// only when no other program uses it: none connected, and no connection
// open that has said neither CONNECT nor CLOSE (a program that has just
// found the runtime); otherwise it lets go of the caller's report alone,
// and the runtime ends once such a connection has gone without connecting.
//
// A runtime started without a display ends once no program has been
// connected for kGraceMs (a connection that only looked whether the
// runtime answers does not count, but while one is open the runtime
// stays: a program that has just found it is connecting), or when no
// program has connected for kIdleMs: nobody could reach it otherwise. It
// stops listening before it ends, so that a program connecting then starts
// a new one.
//
// One runtime of a kind serves a user: the socket is taken under a lock
// beside it ("<kind>.lock"), so two runtimes started together never both
// listen, nor does one remove the other's socket. The one that finds the
// lock taken waits until the other answers, and then ends (listen answers
// Served).

#include "reportdata.h"
#include "reportfile.h"

#include "platform/reportlink/rendezvous.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QSocketNotifier;
class QTimer;

namespace platform::rs {
class DataClient;
}

namespace mx::rpt {
class TReportDocument;
}

namespace morvrs {

class PreviewWindow;

class RuntimeServer : public QObject {
    Q_OBJECT

public:
    RuntimeServer(bool design, bool shown);
    ~RuntimeServer() override;

    enum Listening { Listens, Served, Failed };
    // Served: another runtime of this kind answers for the user.
    Listening listen(QString* error);
    QString kind() const;

    // How a LOAD reads its report's data from the program with process id
    // pid: false with *error set. The program's data server unless replaced
    // (tests). What it raises is answered as an error and reported to the
    // error handler; the runtime goes on serving.
    using DataReader
        = std::function<bool(qint64 pid, const ReportFile& report, int maxRecords, ReportData* data, QString* error)>;
    void setDataReader(DataReader reader) { m_readData = std::move(reader); }

private:
    static constexpr int kIdleMs = 30000;
    static constexpr int kGraceMs = 1000;
    // How long a runtime that finds the lock taken waits for the other.
    static constexpr int kLockWaitMs = 15000;

    struct Loaded {
        ReportFile report;
        std::shared_ptr<mx::rpt::TReportDocument> document; // its pages, laid out once read
    };
    struct Connection {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
        platform::rs::LineBuffer buffer;
        bool program = false; // it has called CONNECT (and not CLOSE since)
        bool closed = false;  // it has called CLOSE
        int maxRecords = 0;
        std::optional<Loaded> loaded;
    };
    void accept();
    void readFrom(Connection* c);
    void drop(Connection* c);
    QStringList answer(Connection* c, const QStringList& request);
    QStringList answerGuarded(Connection* c, const QStringList& request);
    bool readFromProgram(qint64 pid, const ReportFile& report, int maxRecords, ReportData* data, QString* error);
    bool programConnected() const;
    void endWhenIdle();
    void endIfUnused();
    void stopListening();
    QStringList load(Connection* c, const QString& file, const QString& initialValues, const QString& outputFolder);
    QStringList print(Connection* c, int first, int last, int copies);
    platform::rs::DataClient* clientFor(qint64 pid, QString* error);

    bool m_design;
    bool m_shown;
    int m_listenFd = -1;
    int m_lockFd = -1;
    QString m_path;
    QSocketNotifier* m_listener = nullptr;
    std::map<int, std::unique_ptr<Connection>> m_connections;
    std::map<qint64, std::unique_ptr<platform::rs::DataClient>> m_clients;
    std::unique_ptr<PreviewWindow> m_window;
    bool m_ending = false;
    // A CLOSE was asked while other connections were open: the runtime
    // ends when the last connection goes and no program said CONNECT since.
    bool m_endWhenUnused = false;
    QTimer* m_idle = nullptr;
    QTimer* m_grace = nullptr;
    DataReader m_readData;
};

} // namespace morvrs
