#pragma once
// Where the program finds a running report runtime: a UNIX socket per
// user, named after the runtime's kind ("RS_RUNTIME" for the run-time
// engine, "ReportSmith" for the full program), in
// $XDG_RUNTIME_DIR/morvelin/, or without it the user's fallback folder
// (platform/core/privatefolder.h), the local server's too. The
// folder is made with mode 0700 and refused when another user owns it or
// others may enter it. A runtime counts as found when its socket accepts a
// connection.
//
// Over the connection both sides speak in lines: UTF-8 fields separated by
// tabs, with "\\", "\t", "\n" and "\r" written as backslash escapes.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform::rs {

inline constexpr const char* kRuntimeKind = "RS_RUNTIME";
inline constexpr const char* kFullKind = "ReportSmith";

// The folder of the sockets, made when missing; empty with *error set when
// it cannot be used.
QString socketFolder(QString* error);
// The socket of a kind; empty with *error set when there is none to use.
QString socketPath(const QString& kind, QString* error);

// A connected socket (blocking, close-on-exec), or -1 with *error set.
int connectSocket(const QString& path, QString* error);
// A listening socket at path; a socket file left by a runtime that is gone
// is replaced, a live one is not (-1 with *error set).
int listenSocket(const QString& path, QString* error);
// True when something accepts connections at path.
bool socketAnswers(const QString& path);

QByteArray encodeLine(const QStringList& fields);
// Splits one line (without its "\n"); false on a bad escape or bad UTF-8.
bool decodeLine(const QByteArray& line, QStringList* fields);

// Collects bytes read from a socket and gives them back line by line.
class LineBuffer {
public:
    void append(const char* data, qsizetype size) { m_data.append(data, size); }
    // The next whole line, without "\n"; false when none is complete yet.
    bool takeLine(QByteArray* line);
    // Bytes held that do not yet make a line.
    qsizetype pending() const { return m_data.size(); }
    void clear() { m_data.clear(); }

private:
    QByteArray m_data;
};

// Writes all of data to a blocking socket (no SIGPIPE); false when the peer
// is gone or the write did not finish within timeoutMs.
bool sendAll(int fd, const QByteArray& data, int timeoutMs);

} // namespace platform::rs
