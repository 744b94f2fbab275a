#pragma once
// The local conversation between the query program and other programs of
// the same user: frames over a Unix-domain socket. docs/architecture.md
// describes it for whoever writes a client.
//
// A frame is one operation byte, the payload's length as a 32-bit
// little-endian number, then the payload: UTF-8 text. Requests:
//   'C' topic      opens the conversation; only "System" exists
//   'E' macros     runs the macros, one a line (LF or CR LF)
//   'R' item       reads an item; only "Data" exists
// Every request gets exactly one answer, in order:
//   'A' (empty)    done
//   'D' text       the item's text, each line ended by CR LF
//   'N' message    refused; the message says why
// After a refused topic, or a frame that cannot be read (a length over
// the limit), the server answers 'N' and closes the connection.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <optional>

namespace mx::dde {

inline constexpr char kOpConnect = 'C';
inline constexpr char kOpExecute = 'E';
inline constexpr char kOpRequest = 'R';
inline constexpr char kOpAck = 'A';
inline constexpr char kOpData = 'D';
inline constexpr char kOpRefused = 'N';

inline constexpr int kHeaderSize = 5;
// The longest request the server reads; answers have no limit.
inline constexpr quint32 kMaxRequestPayload = 1u << 20;

inline constexpr const char* kTopic = "System";
inline constexpr const char* kDataItem = "Data";

struct TFrame {
    char op = 0;
    QByteArray payload;
};

QByteArray EncodeFrame(char op, const QByteArray& payload);
inline QByteArray EncodeFrame(char op, const QString& text)
{
    return EncodeFrame(op, text.toUtf8());
}

// The payload's length in a header of kHeaderSize bytes.
quint32 PayloadLength(const char* header);

// The text of a payload; none when it is not valid UTF-8.
std::optional<QString> DecodeText(const QByteArray& payload);

// Where the socket of a service lives for the current user: the folder
// $XDG_RUNTIME_DIR when it is set, else morvelin-<uid> in the user's cache
// folder (platform/core/privatefolder.h), and the socket
// <folder>/<service>.dde.
struct TSocketLocation {
    QString folder;
    QString path;
};
TSocketLocation SocketLocation(const QString& service);

// The service name of the running program: its file name without folder
// and extension ("morv32").
QString ProgramServiceName();

// True when folder is a real folder (not a link) owned by the current
// user that nobody else may enter or read (no group or other bits). With
// create, a missing folder is made with mode 0700 first. error says what
// is wrong.
bool CheckPrivateFolder(const QString& folder, bool create, QString* error);

// The user at the other end of a connected Unix-domain socket; none when
// the system cannot tell.
std::optional<uid_t> PeerUid(qintptr descriptor);

} // namespace mx::dde
