#pragma once
// The unattended run on a machine nobody watches: morv32 /EXE without a
// display starts with a core application and without the GUI libraries,
// unless the query prints a report of ours (drawing text needs them); the
// program's windows are then loaded with the rest of the program.

#include <QStringList>

namespace mx {

// Before any application object exists, on the command line's arguments
// (after the program name): true when they ask for the unattended run
// (/EXE or -EXE TRUE), the platform chosen shows nothing (QT_QPA_PLATFORM
// is "offscreen" or "minimal"), and the query file needs no report layer
// (reportneed.h) by the destination types of the built-in engine. With
// an engine from a plug-in, or types that cannot be read, false: the run
// then starts with the whole program, which says what went wrong.
bool RunsWithoutWindows(const QStringList& args);

// The unattended run with a QCoreApplication: the shared start-up, the run
// of the command line's query file, the exit procedures. Returns the exit
// status (TRunStatus). Makes no local server: nobody can reach it before
// the run ends.
int RunWithoutWindows(int& argc, char** argv);

} // namespace mx
