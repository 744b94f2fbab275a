#pragma once
// The one progress-and-cancel hook of the database layer. Every database
// calls it while a statement or a connection makes the caller wait: SQLite
// from its progress handler (every thousand virtual-machine steps), a
// server while it polls for an answer (a few times per second). An answer
// of true asks the database to stop: SQLite interrupts the statement, a
// server is asked to cancel it (or the connection being made is given
// up), and the call fails as cancelled (dbCancelledMessage()).
//
// The hook runs in the thread that installed it only (it may let the
// window system's events through); a database working in another thread
// (rows read ahead for a copy) sees the last answer instead, so a cancel
// reaches it too.

#include <QString>

#include <functional>

namespace platform {

// Installs the hook (none: nothing is called and nothing stops); the
// calling thread becomes the one the hook runs in.
void SetDbProgressHook(std::function<bool()> hook);

// What a database calls while it waits: true when it is to stop.
bool DbProgress();

// Whether the hook installed has asked the databases to stop (its last
// answer); false once another hook, or none, is installed. A call that
// fails meanwhile was stopped by the user, whatever its error says.
bool DbStopAsked();

// The message of a call stopped by the hook.
QString dbCancelledMessage();

} // namespace platform
