#pragma once
// A runtime report laid out with the band-report layer: its rows as the
// layer's row source, its design built from the report file, its pages
// paginated, then written as PDF or printed.
//
// The design: A4 with 15 mm margins, in the file's orientation; on every
// page a header with the title (variables put in), a column header with
// the captions over a line, one detail band per record, and "Page n sur N"
// at the foot. Columns take the width their texts need (at most 3/5 of the
// page); when the page is too narrow they are narrowed alike and long
// texts are cut at their column. Numbers are aligned right.

#include "reportdata.h"
#include "reportfile.h"

#include "report/rowsource.h"

#include <QString>

#include <memory>

class QPrinter;

namespace mx::rpt {
class TQuickRep;
class TReportDocument;
} // namespace mx::rpt

namespace morvrs {

// The rows read from the program, in their columns' order; fields are
// named as the report's columns.
class DataRows : public mx::rpt::TReportRows {
public:
    explicit DataRows(const ReportData& data) : m_data(data) {}
    int FieldCount() override { return int(m_data.columns.size()); }
    QString FieldName(int index) override;
    bool First() override;
    bool Next() override;
    QString Value(int index) override;
    int RecordCount() override { return int(m_data.rows.size()); }

private:
    const ReportData& m_data;
    size_t m_row = 0;
};

// The design of the report over data's columns.
std::unique_ptr<mx::rpt::TQuickRep> buildReportDesign(const ReportFile& report, const ReportData& data);

// The report's pages (one at least); none with *error set on failure.
std::unique_ptr<mx::rpt::TReportDocument> layOutReport(const ReportFile& report, const ReportData& data, QString* error);

// Writes the pages firstPage..lastPage (from 1; lastPage below 1 or beyond
// the end: to the end) as a PDF file, complete or not at all (an existing
// file is replaced only by a whole new one). False with *error set, also
// when no page lies in the range. *pages (when given) gets the number of
// pages written.
bool writeReportPdf(const mx::rpt::TReportDocument& document, const QString& fileName, int firstPage, int lastPage,
    QString* error, int* pages = nullptr);

// Prints those pages on printer.
bool printReport(const mx::rpt::TReportDocument& document, QPrinter& printer, int firstPage, int lastPage,
    QString* error);

} // namespace morvrs
