#pragma once
// The ordered shutdown list. Process-wide objects register the routine that
// frees them with a rank; the list runs once, lowest rank first (equal ranks
// in reverse order of registration), at normal exit and when the program is
// ended by the error handler. No routine may let an exception out: one that
// does is caught, reported on standard error, and the next routine runs.

#include <QString>

#include <functional>

namespace mx {

// Ranks of the engine's own objects. The settings object goes first so
// that it can still save the recent-file lists it writes at exit.
enum TExitRank : int {
    erSettings = 100,       // AppGlobal
    erLanguage = 150,       // a language component left over
    erStartParams = 200,    // StartParams
    erRecentFiles = 210,    // MRUs
    erLast = 1000,
};

// Adds a routine. The first call also arranges for the list to run when the
// process exits normally (exit() or a return from main).
void AddExitProc(int rank, const QString& name, std::function<void()> proc);

// Runs every routine not yet run, in order. Safe to call more than once;
// a routine added while the list runs is run too.
void RunExitProcs();

// Ends the process with the given exit code after the shutdown list has
// run: nothing else (no static destructor, no open document) is saved.
[[noreturn]] void Halt(int exitCode);

} // namespace mx
