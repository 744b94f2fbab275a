#pragma once
// Modal dialogs are run through one replaceable runner. A dialog entry
// builds its dialog over its working state, hands it to RunModal and reads
// the result back: the program's runner is exec(); a test installs one that
// fills the dialog and accepts or rejects it at once, without an event loop
// of its own and without timers.

#include <functional>
#include <memory>

class QDialog;

namespace mx::ui {

// Runs the dialog modally and returns its result (QDialog::Accepted,
// QDialog::Rejected, or the code given to done()).
using TModalRunner = std::function<int(QDialog& dialog)>;

// Runs the dialog through the installed runner (exec() when none is).
int RunModal(QDialog& dialog);

// Installs a runner (none: exec() again) and returns the one it replaces.
TModalRunner SetModalRunner(TModalRunner runner);

// A runner installed for the life of the object, then the previous one back.
class ScopedModalRunner {
public:
    explicit ScopedModalRunner(TModalRunner runner) : m_old(SetModalRunner(std::move(runner))) {}
    ~ScopedModalRunner() { SetModalRunner(std::move(m_old)); }
    ScopedModalRunner(const ScopedModalRunner&) = delete;
    ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;

private:
    TModalRunner m_old;
};

// What a program keeps held while a modal dialog of its own is open,
// whatever runs it: the query program keeps its engine busy, so that the
// local server serves no other program's request (a RUN of the query the
// dialog edits) until the dialog has closed. Made when a dialog opens and
// dropped when it closes; none installed holds nothing.
using TModalHold = std::function<std::shared_ptr<void>()>;

// Installs the hold (none: nothing held) and returns the one it replaces.
TModalHold SetModalHold(TModalHold hold);

// The program's hold for the life of the object. RunModal holds one around
// every dialog (message boxes and file dialogs too); a modal window opened
// otherwise holds one while it is open.
class TModalScope {
public:
    TModalScope();
    ~TModalScope();
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;

private:
    std::shared_ptr<void> m_held;
};

// F1 on the dialog opens the help of its "helpContext" property, as its
// help button does.
void InstallHelpKey(QDialog* dialog);

} // namespace mx::ui
