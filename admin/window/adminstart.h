#pragma once
// The start-up of the administration program: the shared start-up routine,
// the administration dialogs in their slots, one data model window, then
// the event loop until the last data model window is gone.

#include <functional>

namespace mx::admin {

// What the start-up calls, each replaceable (tests).
struct TAdminProgramParts {
    // The shared start-up; false ends the program (it showed why).
    std::function<bool()> InitApplication;
    // Fills the slots of the dialogs the window opens.
    std::function<void()> RegisterDialogs;
    // The first data model window.
    std::function<void()> OpenWindow;
    // The event loop until the last window asks to end; its status.
    std::function<int()> Run;
};

// The program's own parts.
TAdminProgramParts DefaultAdminProgramParts();

// The exit status: 0 after a normal end, 1 when the start-up failed.
int RunAdministration(const TAdminProgramParts& parts);
int RunAdministration();

// Frees every data model window still open (before the settings and the
// engine their models use go).
void FreeDataModelWindows();

} // namespace mx::admin
