#pragma once
// The runtime's side of the program's calls: it listens on the socket of
// its kind and answers one line per call:
//
//   CONNECT                           OK <connection value: the runtime's pid>
//   LIMIT <n>                         OK          (0: no record limit)
//   LOAD <file> <initial values> <a> <b>
//                                     OK, once the report file is read, its
//                                     variables set and its data read from
//                                     the program named by the initial values
//   PRINT <first> <last> <a> <b> <c> <copies>
//                                     OK, once printed (or written as PDF)
//   CLOSE <n>                         OK, and the runtime ends
//
// A failure answers ERR <number> <text>. A runtime started without a display
// ends when its last program disconnects (a connection that only looked
// whether the runtime answers does not count), or when no program has
// connected for kIdleMs: nobody could reach it otherwise.

#include "reportfile.h"

#include <platform/reportlink/rendezvous.h>

#include <QObject>
#include <QString>
#include <QStringList>

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

    bool listen(QString* error);
    QString kind() const;

private:
    static constexpr int kIdleMs = 30000;

    struct Connection {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
        platform::rs::LineBuffer buffer;
        bool program = false; // it has called CONNECT
    };
    void accept();
    void readFrom(Connection* c);
    void drop(Connection* c);
    QStringList answer(Connection* c, const QStringList& request);
    bool programConnected() const;
    void endWhenIdle();
    QStringList load(const QString& file, const QString& initialValues);
    QStringList print(int first, int last, int copies);
    platform::rs::DataClient* clientFor(qint64 pid, QString* error);

    bool m_design;
    bool m_shown;
    int m_listenFd = -1;
    QString m_path;
    QSocketNotifier* m_listener = nullptr;
    std::map<int, std::unique_ptr<Connection>> m_connections;
    std::map<qint64, std::unique_ptr<platform::rs::DataClient>> m_clients;
    int m_maxRecords = 0;
    struct Loaded {
        ReportFile report;
        std::shared_ptr<mx::rpt::TReportDocument> document; // its pages, laid out once read
    };
    std::optional<Loaded> m_loaded;
    std::unique_ptr<PreviewWindow> m_window;
    bool m_ending = false;
    QTimer* m_idle = nullptr;
};

} // namespace morvrs
