#include "outputrule.h"

namespace mx {

TStepOutputs StepOutputs(bool interactive, bool printAuto, bool dumpTables)
{
    if (!interactive || printAuto)
        return soAll;
    return dumpTables ? soFileOutputs : soNone;
}

} // namespace mx
