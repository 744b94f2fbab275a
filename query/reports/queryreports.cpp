#include "queryreports.h"

#include "query/exportfilters/textexportfilter.h"

#include "report/reportdestination.h"
#include "report/reportparts.h"

namespace mx {

void InstallQueryReports()
{
    rpt::RegisterReportClasses();
    rpt::RegisterReportDestination();
    RegisterStandardFilters();
}

} // namespace mx
