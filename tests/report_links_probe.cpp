// A program made of the report layer and the export filters alone: what it
// needs at run time is what those layers pull in (report_links_no_widgets).

#include "query/exportfilters/textexportfilter.h"
#include "report/painterrender.h"
#include "report/reportdestination.h"
#include "report/reportparts.h"

int main()
{
    mx::rpt::RegisterReportClasses();
    mx::rpt::RegisterReportDestination();
    mx::RegisterStandardFilters();
    // printers (QtPrintSupport) and drawing (QtGui) are used for real
    return mx::rpt::CanRender() || !mx::rpt::AvailablePrinter().isEmpty() ? 1 : 0;
}
