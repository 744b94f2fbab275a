#pragma once
// The start-up dispatch of the query program: the shared start-up, then
// either the unattended run of one query (/EXE, or -EXE TRUE) or a
// designer window over a data model or a query file, and the event loop
// until the designers end the program.

#include <QString>

#include <functional>

namespace mx {

// What the dispatch calls, each replaceable (tests, later windows).
struct TQueryProgramParts {
    // The shared start-up; false ends the program (it showed why).
    std::function<bool()> InitApplication;
    // The local server window; it exists in every mode.
    std::function<void()> CreateServer;
    // Opens the server to other programs; called only when the event
    // loop will run (not for the unattended run).
    std::function<void()> StartServer;
    // The unattended run of the first file argument; the exit status.
    std::function<int()> RunCommandLineQuery;
    // A designer on a new query over modelFile when it is set, else on
    // queryFile (empty: no query), then the event loop; the exit status.
    std::function<int(const QString& modelFile, const QString& queryFile)> OpenDesigner;
};

// The program's own parts: the designer part opens a designer window and
// runs the event loop until the last designer closes (status 0).
TQueryProgramParts DefaultQueryProgramParts();

// Returns the process's exit status (0 success; see TRunStatus).
int StartQueryProgram(const TQueryProgramParts& parts);
int StartQueryProgram();

} // namespace mx
