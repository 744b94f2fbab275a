// The run operations of queries and steps. The work is done by the query
// run (engine/run); these are the entry points callers know.

#include "query.h"
#include "querystep.h"

#include "run/outputrule.h"
#include "run/queryrun.h"

namespace mx {

void TMxQuery::Execute()
{
    ExecuteQuerySteps(*this);
}

void TMxQueryStep::DropView()
{
    DropStepView(*this);
}

bool TMxQueryStep::ExecutePhase()
{
    const TMxQuery* query = GetQuery();
    const TStepOutputs outputs = query ? StepOutputs(query->Interactive(), query->OptionsPrintAuto(), query->OptionsDumpTables()) : soAll;
    return ExecuteStepPhase(*this, outputs, IsReadByLaterStep(*this)) == srDone;
}

} // namespace mx
