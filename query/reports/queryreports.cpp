#include "queryreports.h"

#include "exportfilters/textexportfilter.h"

#include "platform/report/reportdestination.h"
#include "platform/report/reportparts.h"

namespace mx {

void InstallQueryReports()
{
    rpt::RegisterReportClasses();
    rpt::RegisterReportDestination();
    RegisterStandardFilters();
}

} // namespace mx
