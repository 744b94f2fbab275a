#pragma once
// The progress-and-cancel hook of the database engine. Whichever database
// a run waits on calls it a few times per second while it waits: SQLite
// while a statement steps, a server while a statement runs or a connection
// is made. An answer of true stops what waits (the statement is
// interrupted or cancelled on the server, the connection given up) and the
// call fails as cancelled. The windows of a run let events through and
// offer "Annuler" with it; nothing else here knows of them.

#include <functional>

namespace mx {

// Installs the hook for the thread that calls it (none: no hook).
void SetDbProgressHook(std::function<bool()> hook);

// Whether the hook installed has asked the databases to stop: a database
// call that fails meanwhile was stopped by the user, and only the run's
// cancellation is told, never the database's error.
bool DbStopAsked();

// Installs a hook for the life of the object, and puts back none after.
class TDbProgressScope {
public:
    explicit TDbProgressScope(std::function<bool()> hook) { SetDbProgressHook(std::move(hook)); }
    ~TDbProgressScope() { SetDbProgressHook({}); }
    TDbProgressScope(const TDbProgressScope&) = delete;
    TDbProgressScope& operator=(const TDbProgressScope&) = delete;
};

} // namespace mx
