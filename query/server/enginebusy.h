#pragma once
// While a query runs or loads, the program may sit in a nested event loop
// (the parameter prompt, a login, a message box). Requests of other
// programs that arrive then must not reach the engine: they would free or
// run a query under its own run. Such work holds a TEngineBusyScope; the
// local server keeps every request that arrives meanwhile and serves it
// once the last scope has ended.
//
// Used on the program's main thread only.

#include <functional>

namespace mx {

class TEngineBusyScope {
public:
    TEngineBusyScope();
    ~TEngineBusyScope();
    TEngineBusyScope(const TEngineBusyScope&) = delete;
    TEngineBusyScope& operator=(const TEngineBusyScope&) = delete;
};

// True while some scope is alive.
bool EngineBusy();

// Called each time the last scope ends; returns an identifier for
// RemoveEngineIdleListener. Listeners must not start work of their own
// there: they post it to the event loop.
int AddEngineIdleListener(std::function<void()> listener);
void RemoveEngineIdleListener(int id);

} // namespace mx
