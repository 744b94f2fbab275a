#pragma once
// The start-up routine shared by both programs: the settings object, the
// help file name, the splash, the definition lists and the private query
// folder, in that order.
//
// Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the programs
// run on Qt's offscreen platform, so that scripts and schedulers can start
// them; nothing is then shown, not even the splash.

#include "engine/core/hookslot.h"

#include <QString>

namespace mx {

// Before the application object exists: when no platform was chosen
// (QT_QPA_PLATFORM unset or empty) and neither DISPLAY nor
// WAYLAND_DISPLAY is set, chooses the offscreen platform. True when it did.
bool ChooseHeadlessPlatform();

// Before the application object exists: Qt's own diagnostics (a runtime
// folder it chose, a font it did not find) stop reaching standard error,
// which carries the program's messages only; Qt's critical and fatal
// messages still go there. MORVELIN_QT_MESSAGES set to 1 keeps them all.
void KeepQtDiagnosticsOff();

// True for a platform on which nobody sees a window: "offscreen" or
// "minimal", named as Qt names it or as QT_QPA_PLATFORM sets it (options
// after a ":" ignored).
bool PlatformShowsNothing(const QString& platform);

// True when the application can show windows to someone: its platform is
// neither "offscreen" nor "minimal". False without a GUI application.
// InteractivePlatformOverride, when filled, answers instead (tests of
// dialogs, which run offscreen, act as if someone were watching).
bool IsInteractivePlatform();
extern THookSlot<bool()> InteractivePlatformOverride;

// The program's help file: programDir (with or without a final "/"), the
// first five characters of the module name, the language code, ".HLP".
QString HelpFileName(const QString& programDir, const QString& moduleName, const QString& langCode);

// The splash window of the current language, given the translated module
// title; filled by the splash unit. Empty: no splash.
extern THookSlot<void(const QString& moduleTitle)> ShowSplashHook;

// Runs the start-up. True when every step succeeded; otherwise the failure
// was shown (an abort silently) and the caller ends the program.
bool InitApplication(const QString& moduleName);

} // namespace mx
