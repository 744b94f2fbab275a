#pragma once
// Pop-up menus that wait for the user's choice are run through one
// replaceable runner, as modal dialogs are (modalrunner.h): the program's
// runner is the menu's exec(); a test installs one that picks an action at
// once, without an event loop of its own and without timers. Menus shown
// with popup(), which do not wait, are not run through it.

#include <functional>

class QAction;
class QMenu;
class QPoint;

namespace mx::ui {

// Runs the menu at globalPos and returns the action chosen, none when the
// menu was closed without a choice. As exec() does, the chosen action is
// triggered before the runner returns.
using TPopupRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

// Runs the menu through the installed runner (exec() when none is), with
// the program's modal hold kept while it is open.
QAction* RunPopup(QMenu& menu, const QPoint& globalPos);

// Installs a runner (none: exec() again) and returns the one it replaces.
TPopupRunner SetPopupRunner(TPopupRunner runner);

// A runner installed for the life of the object, then the previous one back.
class ScopedPopupRunner {
public:
    explicit ScopedPopupRunner(TPopupRunner runner) : m_old(SetPopupRunner(std::move(runner))) {}
    ~ScopedPopupRunner() { SetPopupRunner(std::move(m_old)); }
    ScopedPopupRunner(const ScopedPopupRunner&) = delete;
    ScopedPopupRunner& operator=(const ScopedPopupRunner&) = delete;

private:
    TPopupRunner m_old;
};

} // namespace mx::ui
