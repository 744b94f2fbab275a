#pragma once
// Running a query: the parameter prompt, the checks, the preparation of
// every step, the removal of the views of an earlier run, then each step in
// order: its databases connected, its SQL executed by the database driver,
// its result kept with the step and sent to its destinations. The run is
// the one caller of a query's steps for this.
//
// A step whose databases cannot be opened or whose SQL fails ends without
// result (the driver has said why); the steps that do not read its result
// still run, a step that reads it does not. A destination that cannot be
// served is told and the others are still sent. The run then raises
// EMxRunFailed naming those steps: a failed run is never taken for a
// successful one. The results stay with their steps either way.
//
// Every entry point takes an optional outcome (runoutcome.h), which then
// holds what the run did; with none the run keeps its own.

#include "outputrule.h"
#include "runoutcome.h"

#include "engine/core/exceptions.h"

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

// The parameter prompt (refused: the outcome is cancelled, and EMxAbort
// "Abandon par l'utilisateur"), then the run.
void ExecuteQuery(TMxQuery* query, TRunOutcome* outcome = nullptr);

// The run without the prompt: every step in order, after dropping the
// views of a previous run last to first. An empty query, or a step without
// a checked field, fails the run with EMxAbort; a step that failed raises
// EMxRunFailed at the end.
void ExecuteQuerySteps(TMxQuery& query, TRunOutcome* outcome = nullptr);

// Frees the step's result and drops the view its destinations generate.
void DropStepView(TMxQueryStep& step);

// Runs one step and sends its result. outputs: what the options give;
// inputTable: the step's result is read by a later step from its table
// output, which is then written whatever the options say.
TStepRunResult ExecuteStepPhase(TMxQueryStep& step, TStepOutputs outputs, bool inputTable = false,
    TRunOutcome* outcome = nullptr);

// One step on its own, sending its result where its query's options say;
// the table a later step reads is written whatever the options. True when
// the step has its result and every send went through.
bool ExecuteStep(TMxQueryStep& step, TRunOutcome* outcome = nullptr);

// True when another step of the query reads this step's result.
bool IsReadByLaterStep(const TMxQueryStep& step);

// The unattended run: loads the file into a new query, runs it with every
// destination fed, frees it. Raises what the load or the run raises; true
// when the outcome is a success.
bool RunQueryFile(const QString& fileName, TRunOutcome* outcome = nullptr);

} // namespace mx
