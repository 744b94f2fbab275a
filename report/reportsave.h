#pragma once
// Saving a laid-out report as a file: as PDF, or through the export filter
// of the registered library whose extension the file name has.

#include <QString>
#include <QStringList>

namespace mx::rpt {

class TReportDocument;

// The file types of the save dialog, in Qt's form: PDF first, then each
// filter of the library ("HTML document (*.HTM *.htm)").
QStringList SaveFileFilters();

// The file name as it will be saved: a name without extension gets the
// one of the filter chosen in the dialog (filterIndex into
// SaveFileFilters, -1 none: PDF).
QString SaveFileName(const QString& fileName, int filterIndex = -1);

// Writes document into fileName as its extension says (.PDF, or a
// filter's); a name whose extension no format has is written in the type
// chosen in the dialog (filterIndex into SaveFileFilters, -1 none).
// Raises EMxException when neither says a format, and what the writer
// raises; the former file is then left as it was.
void SaveDocument(const TReportDocument& document, const QString& fileName, int filterIndex = -1);

} // namespace mx::rpt
