#pragma once
// The report destination: a destination type of output doReport whose
// module is "MXREPORT" (the installation's "Rapport") prints the step's
// own report over the step's result when the run sends its reports. A
// report nobody designed prints as the default report of the result.
//
// Where it prints (decided once per report, in this order):
// 1. MORVELIN_PRINT_PDF names a folder: a PDF file in that folder, named
//    after the destination's file name (VENTES -> <folder>/VENTES.PDF),
//    and no printer is used;
// 2. a printer exists (the system's default one, else the first one):
//    that printer;
// 3. no printer: a PDF file. A destination file name with a folder is the
//    PDF's name (its extension becomes .PDF); a bare name goes beside the
//    step's file outputs: into the folder of its first file or table
//    output that has a file name, else the private query folder.
// Each PDF written is told through the user service (standard error in an
// unattended run). A report that cannot be printed or written raises, so
// the run counts it as a destination not served.

#include <QString>
#include <QStringList>

namespace mx {
class TMxQueryStep;
class TQueryDestinationItem;
class TIMxDataset;
} // namespace mx

namespace mx::rpt {

inline constexpr const char* kReportModule = "MXREPORT";
inline constexpr const char* kReportDestinationType = "Rapport";
inline constexpr const char* kPrintPdfVariable = "MORVELIN_PRINT_PDF";

struct TPrintTarget {
    enum Kind { Printer, Pdf } kind = Pdf;
    QString printer; // the printer's name (Printer)
    QString pdfFile; // the PDF to write (Pdf)
};

// The rule above, without the world: pdfFolder is MORVELIN_PRINT_PDF (empty
// when unset), printer the printer found (empty when none), storedName the
// destination's FileName as the user wrote it, typeFileName its file name
// as its type makes it (folder and extension), outputFiles the step's file
// and table outputs as they are written, in order.
TPrintTarget ChoosePrintTarget(const QString& pdfFolder, const QString& printer, const QString& storedName,
    const QString& typeFileName, const QStringList& outputFiles);

// The default printer's name, else the first printer's; empty when there
// is none.
QString AvailablePrinter();

// Prints the step's report over dataset for destination (fileName as the
// destination's type makes it): chooses the target, lays the report out,
// prints it or writes the PDF, and says where a PDF went.
void PrintStepReport(TMxQueryStep& step, TQueryDestinationItem& destination, const QString& fileName, TIMxDataset* dataset);

// Registers the destination driver of module "MXREPORT".
void RegisterReportDestination();

} // namespace mx::rpt
