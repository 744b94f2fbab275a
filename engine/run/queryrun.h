#pragma once
// Running a query: the parameter prompt, the checks, the preparation of
// every step, the removal of the views of an earlier run, then each step in
// order: its databases connected, its SQL executed by the database driver,
// its result kept with the step and sent to its destinations.
//
// A step whose databases cannot be opened or whose SQL fails ends without
// result (the driver has said why); the steps that do not read its result
// still run, a step that reads it does not. A destination that cannot be
// served is told and the others are still sent. The run then raises
// EMxRunFailed naming those steps: a failed run is never taken for a
// successful one. The results stay with their steps either way.

#include "outputrule.h"

#include "core/exceptions.h"

#include <QString>
#include <QStringList>

namespace mx {

class TMxQuery;
class TMxQueryStep;

// A run in which some step gave no result, or could not send it.
MX_DECLARE_EXCEPTION(EMxRunFailed, EMxException)

// The parameter dialog: true when the query has no parameter controls or
// the user confirmed; false when cancelled or when no prompter exists.
bool PromptQueryParams(TMxQuery& query);

// The parameter prompt (refused: EMxAbort "Abandon par l'utilisateur"),
// then the run.
void ExecuteQuery(TMxQuery* query);

// The run without the prompt (TMxQuery.Execute).
void ExecuteQuerySteps(TMxQuery& query);

// Frees the step's result and drops the view its destinations generate
// (TMxQueryStep.DropView).
void DropStepView(TMxQueryStep& step);

// How a step's execution ended.
enum TStepRunResult {
    srDone,            // the step has its result, sent
    srNoResult,        // a database or the SQL failed: no result, no output
    srInputFailed,     // not run: a step whose result it reads has none
    srInputNotWritten, // the table file later steps read was not written
    srOutputFailed,    // the result exists, a destination could not be served
};

// Runs one step and sends its result (TMxQueryStep.ExecutePhase).
// outputs: what the options give; inputTable: the step's result is read by
// a later step from its table output, which is then written whatever the
// options say.
TStepRunResult ExecuteStepPhase(TMxQueryStep& step, TStepOutputs outputs, bool inputTable = false);

// True when another step of the query reads this step's result.
bool IsReadByLaterStep(const TMxQueryStep& step);

// The unattended run: loads the file into a new query, runs it with every
// destination fed, frees it. Raises what the load or the run raises.
bool RunQueryFile(const QString& fileName);

} // namespace mx
