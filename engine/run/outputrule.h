#pragma once
// Which destinations a step's result goes to after a run.

namespace mx {

enum TStepOutputs {
    soNone,        // the result is only kept (the designer shows it)
    soFileOutputs, // the enabled file and table outputs
    soAll,         // file and table outputs, then the reports
};

// An unattended run (interactive false) and an interactive run with
// printAuto send everything; otherwise dumpTables sends the file and
// table outputs; otherwise nothing is sent.
TStepOutputs StepOutputs(bool interactive, bool printAuto, bool dumpTables);

} // namespace mx
