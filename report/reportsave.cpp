#include "reportsave.h"

#include "exportfilter.h"
#include "painterrender.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/settings/global.h"

namespace mx::rpt {

namespace {
QString pattern(const QString& ext)
{
    return QStringLiteral("*.%1 *.%2").arg(ext.toUpper(), ext.toLower());
}
} // namespace

QStringList SaveFileFilters()
{
    QStringList filters{Translate(QStringLiteral("Document PDF")) + QStringLiteral(" (") + pattern(QStringLiteral("PDF")) + u')'};
    for (const TExportFilterEntry& e : ExportFilters().Entries())
        filters << e.filterName + QStringLiteral(" (") + pattern(e.extension) + u')';
    return filters;
}

QString SaveFileName(const QString& fileName, int filterIndex)
{
    if (fileName.isEmpty() || !FileNameExtension(fileName).isEmpty())
        return fileName;
    const auto& entries = ExportFilters().Entries();
    const QString ext = filterIndex >= 1 && filterIndex <= int(entries.size()) ? entries[size_t(filterIndex - 1)].extension
                                                                                : QStringLiteral("PDF");
    return fileName + u'.' + ext;
}

void SaveDocument(const TReportDocument& document, const QString& fileName, int filterIndex)
{
    const QString ext = FileNameExtension(fileName).mid(1);
    const auto& entries = ExportFilters().Entries();
    const TExportFilterEntry* entry = ext.isEmpty() ? nullptr : ExportFilters().FindByExtension(ext);
    bool pdf = ext.compare(QStringLiteral("PDF"), Qt::CaseInsensitive) == 0;
    if (!pdf && !entry) {
        // the name says no format: the type chosen does
        if (filterIndex == 0)
            pdf = true;
        else if (filterIndex >= 1 && filterIndex <= int(entries.size()))
            entry = &entries[size_t(filterIndex - 1)];
    }
    if (pdf) {
        WritePdf(document, fileName);
        return;
    }
    if (!entry)
        throw EMxException(TranslateFmt(QStringLiteral("Aucun format d'enregistrement ne correspond au fichier %s."), {fileName}));
    std::unique_ptr<TReportExportFilter> filter = entry->create();
    ExportDocument(document, *filter, fileName);
}

} // namespace mx::rpt
