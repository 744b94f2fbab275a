#pragma once
// Export filters: other file types a report's pages can be saved as. A
// filter is driven page by page: Start, then one TextOut per text of the
// page (in the page's order, X and Y of the text's box in 0.1 mm), EndPage
// (and NewPage before the next one), Finish. The filter library lists the
// filters the program registered; the preview's Save offers them beside
// PDF.
//
// The base class owns the output: it is written to a temporary file beside
// the target and renamed into place by Finish, so a failed export leaves
// the former file as it was. Write errors raise EInOutError.

#include "pagemodel.h"

#include <QColor>
#include <QSaveFile>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace mx::rpt {

class TReportExportFilter {
public:
    TReportExportFilter();
    virtual ~TReportExportFilter();
    TReportExportFilter(const TReportExportFilter&) = delete;
    TReportExportFilter& operator=(const TReportExportFilter&) = delete;

    // Opens fileName (through its temporary file) and calls OnStart.
    void Start(const QString& fileName, double paperWidth, double paperHeight, const TReportFont& font);
    virtual void TextOut(double x, double y, const TReportFont& font, const QColor& background, int alignment,
        const QString& text) = 0;
    virtual void EndPage() = 0;
    virtual void NewPage() {}
    // Calls OnFinish, then puts the file in place.
    void Finish();
    // Drops what was written; the former file stays.
    void Abort();

    const QString& FileName() const { return m_fileName; }

protected:
    virtual void OnStart(double paperWidth, double paperHeight, const TReportFont& font) = 0;
    virtual void OnFinish() {}
    // Appends UTF-8 text to the output.
    void Write(const QString& text);

private:
    QString m_fileName;
    std::unique_ptr<QSaveFile> m_file;
};

struct TExportFilterEntry {
    QString description; // "Export to HTML format"
    QString filterName;  // "HTML document"
    QString extension;   // "HTM", without the dot
    std::function<std::unique_ptr<TReportExportFilter>()> create;
};

// The filters registered, in the order they were added.
class TExportFilterLibrary {
public:
    void Add(TExportFilterEntry entry); // an entry of the same filter name is replaced
    void Clear();
    const std::vector<TExportFilterEntry>& Entries() const { return m_entries; }
    // The entry whose extension is ext (no dot, any case); none if none.
    const TExportFilterEntry* FindByExtension(const QString& ext) const;

private:
    std::vector<TExportFilterEntry> m_entries;
};

TExportFilterLibrary& ExportFilters();

// Saves every page of document through filter into fileName. On failure
// the filter's output is dropped and the exception goes on.
void ExportDocument(const TReportDocument& document, TReportExportFilter& filter, const QString& fileName);

} // namespace mx::rpt
