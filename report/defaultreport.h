#pragma once
// The default report of a step's result, as the report tabs build it the
// first time a step's report is designed, and as a report destination
// prints a report nobody designed:
//
// - report font 8 points, name "qrpt" + the step's Id, Tag 1 (built);
// - page header, detail and page footer bands; the page header's font 9
//   points bold; the detail band half its height when the text height of
//   "X" is below it;
// - for each result field, in order: an expression in the page header
//   (top 5) printing the field's name, and one in the detail band printing
//   its value; left = 20 + the sum, over the fields before it, of their
//   width + 30; width = 3/5 of the text width of as many "X" as the field
//   is wide in characters (1 at least);
// - landscape when the last field's right edge passes the printable width
//   of the portrait page.
//
// Pixels are at 96 dots per inch, measured with the report's font. Needs a
// GUI application (font metrics).

#include <QString>

#include <vector>

namespace mx {
class TIMxDataset;
}

namespace mx::rpt {

class TQuickRep;

struct TReportColumn {
    QString name;
    int width = 0; // display width in characters
};

// The fields of a result, in order.
std::vector<TReportColumn> ResultColumns(TIMxDataset& dataset);

// Builds the default report into report (its bands switched on, one pair
// of expressions per column added).
void BuildDefaultReport(TQuickRep& report, int stepId, const std::vector<TReportColumn>& columns);

// A report nobody designed: not built by the rule (Tag 1) and without any
// control in its bands.
bool IsUndesigned(const TQuickRep& report);

} // namespace mx::rpt
