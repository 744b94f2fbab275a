#pragma once
// The shared dialogs of both programs: the splash, the prompt and login
// dialogs, the open dialogs and the relocation of a missing file, the
// document runner and the about box. InstallDialogs fills the engine's
// hooks with them once the application object exists.

namespace mx::ui {

// Fills ShowSplashHook, PromptStringHook, PromptStringSimpleHook,
// LoginPromptHook and LocateFileHook.
void InstallDialogs();

// Whether a dialog can be shown to someone (IsInteractivePlatform: tests
// of the dialogs, which run offscreen, override it). A dialog that cannot
// be shown fails at once, never waits.
bool CanShowDialogs();

} // namespace mx::ui
