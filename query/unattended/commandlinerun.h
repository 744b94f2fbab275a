#pragma once
// The unattended run of the query program: morv32 /EXE query.MQR runs the
// query, sends every step's result to all of its destinations, says
// "Impression terminée." and ends. Messages go through the user service
// (standard error by default): nothing waits for an answer.
//
// The exit status and the last word come from the run's outcome
// (run/runoutcome.h): 0 success ("Impression terminée."), 1 failure (a
// load error or a query file read in part, an empty query, a database or
// SQL error, a step without result, a destination not written, an error
// told on the way), 2 cancelled: the parameter prompt or a login refused by
// the user, or a login or prompt that nobody can answer without a display.

#include <QString>

#include <functional>

namespace mx {

class TRunOutcome;
class TStartParams;

enum TRunStatus : int { rsSuccess = 0, rsFailed = 1, rsCancelled = 2 };

// Loads, runs and frees a query file, recording into the outcome; raises
// on failure.
using TQueryFileRunner = std::function<void(const QString& fileName, TRunOutcome& outcome)>;

// Whether the command line asks for the unattended run: /EXE, or
// -EXE TRUE (without regard to case).
bool AsksUnattendedRun(const TStartParams& params);

// Runs fileName with runner and tells the result. While it runs, a login
// or parameter dialog that cannot be shown (no display, or no dialog in
// the program) refuses at once with a message that says why.
int RunCommandLineQuery(const QString& fileName, const TQueryFileRunner& runner);

// The same on the command line's first file argument (Param0), with the
// engine's query run.
int RunCommandLineQuery();

} // namespace mx
