#pragma once
// The query program's windows and everything drawn (dialogs, designers,
// reports) are a library of their own, loaded by morv32 when the run needs
// them, so that an unattended run without a display starts without the
// GUI libraries.

// The library's file, in the programs' folder.
inline constexpr const char* kQueryWindowsLibrary = "libmorvelin_querywindows.so";

// Its entry: the whole program on the command line (the application
// object, the dialogs and reports, the start-up dispatch, the exit
// procedures). Returns the exit status.
inline constexpr const char* kQueryWindowsEntry = "MorvelinQueryWindowsMain";
extern "C" {
using TQueryWindowsMain = int (*)(int* argc, char** argv);
}
