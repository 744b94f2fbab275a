#pragma once
// Hands work from another thread to the user-interface thread, as a
// blocking call, without the engine needing the widget layers. The report
// runtime's data requests arrive on a thread of their own and are answered
// on the user-interface thread through it, where every dataset lives.
//
// The default dispatcher posts the call to the application object's thread
// (QtCore); tests install one whose thread plays the user-interface thread.

#include <functional>

namespace mx {

class TUiDispatcher {
public:
    virtual ~TUiDispatcher();

    // From any thread: runs call on the user-interface thread and returns
    // when it has run (true). When it has not started within timeoutMs it
    // is dropped, never runs, and the answer is false. Called on the
    // user-interface thread itself, it runs at once.
    virtual bool Call(const std::function<void()>& call, int timeoutMs) = 0;

    // On the user-interface thread, while it waits for another process:
    // waits at most maxWaitMs until fd is readable, running the calls handed
    // over meanwhile and every other pending event, user input included:
    // the windows keep answering clicks and keys while the program waits.
    // True when the application is ending.
    virtual bool WaitLoop(int fd, int maxWaitMs) = 0;
};

// The dispatcher installed, else the default one.
TUiDispatcher& UiDispatcher();
// Installs a dispatcher (nullptr: the default); returns the previous one.
TUiDispatcher* SetUiDispatcher(TUiDispatcher* dispatcher);

class ScopedUiDispatcher {
public:
    explicit ScopedUiDispatcher(TUiDispatcher* d) : m_old(SetUiDispatcher(d)) {}
    ~ScopedUiDispatcher() { SetUiDispatcher(m_old); }
    ScopedUiDispatcher(const ScopedUiDispatcher&) = delete;
    ScopedUiDispatcher& operator=(const ScopedUiDispatcher&) = delete;

private:
    TUiDispatcher* m_old;
};

} // namespace mx
