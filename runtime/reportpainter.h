#pragma once
// Paints a report on a paged device (a PDF file, a printer): on every page
// the title, the column headings, as many rows as fit, and "Page n / N" at
// the foot. Columns take the width their texts need; when the page is too
// narrow they are narrowed alike and long texts end with "…".

#include "reportdata.h"
#include "reportfile.h"

#include <QString>

class QPagedPaintDevice;

namespace morvrs {

// The pages firstPage..lastPage (from 1; lastPage beyond the end: to the
// end). False with *error set when the device cannot be painted on or no
// page lies in the range.
bool paintReport(const ReportFile& report, const ReportData& data, QPagedPaintDevice* device, int firstPage,
    int lastPage, QString* error);

// Writes the report as a PDF file, complete or not at all (an existing
// file is replaced only by a whole new one).
bool writeReportPdf(const ReportFile& report, const ReportData& data, const QString& fileName, int firstPage,
    int lastPage, QString* error);

} // namespace morvrs
