#pragma once
// Lays a report out over its records into pages, in one pass over the
// records. Each page gets, from the top margin down: the page header
// (not on the first page without the FirstPageHeader option), the title
// (first page only), the column header, then one detail band per record as
// long as it fits above the page footer; the summary follows the last
// record, and the page footer sits at the bottom margin of every page (not
// the last one without LastPageFooter). A band that does not fit starts a
// new page, unless the page holds nothing but its headers yet (a band
// taller than the page then runs past it rather than loop). With no record
// and PrintIfEmpty off there is no page at all.
//
// Texts of system data are filled as each band prints (page number,
// record number, date and time of the print); "N sur M" keeps a mark for M
// that the document replaces once the last page is known.

#include "pagemodel.h"

#include <QDateTime>

#include <memory>

namespace mx::rpt {

class TQuickRep;
class TReportRows;

struct TPaginateOptions {
    // The date and time system data print; now when not set.
    QDateTime printTime;
};

// The pages of report over rows (none: no record). Raises EMxException
// when an expression names a field the records do not have.
std::unique_ptr<TReportDocument> Paginate(const TQuickRep& report, TReportRows* rows, const TPaginateOptions& options = {});

// Dates and times as the format settings write them (dd/mm/yyyy, hh:mm:ss).
QString FormatReportDate(const QDate& date);
QString FormatReportTime(const QTime& time);

} // namespace mx::rpt
