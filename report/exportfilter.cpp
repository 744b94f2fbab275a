#include "exportfilter.h"

#include "engine/core/exceptions.h"
#include "engine/settings/global.h"

namespace mx::rpt {

namespace {
[[noreturn]] void writeFailed(const QString& fileName, const QString& why)
{
    throw EInOutError(TranslateFmt(QStringLiteral("Impossible d'écrire le fichier %s : %s"), {fileName, why}));
}
} // namespace

TReportExportFilter::TReportExportFilter() = default;

TReportExportFilter::~TReportExportFilter()
{
    Abort();
}

void TReportExportFilter::Start(const QString& fileName, double paperWidth, double paperHeight, const TReportFont& font)
{
    Abort();
    m_fileName = fileName;
    m_file = std::make_unique<QSaveFile>(fileName);
    if (!m_file->open(QIODevice::WriteOnly)) {
        const QString why = m_file->errorString();
        m_file.reset();
        writeFailed(fileName, why);
    }
    OnStart(paperWidth, paperHeight, font);
}

void TReportExportFilter::Write(const QString& text)
{
    if (!m_file)
        throw EInOutError(QStringLiteral("File not open for writing"));
    const QByteArray bytes = text.toUtf8();
    if (m_file->write(bytes) != bytes.size())
        writeFailed(m_fileName, m_file->errorString());
}

void TReportExportFilter::Finish()
{
    if (!m_file)
        throw EInOutError(QStringLiteral("File not open for writing"));
    OnFinish();
    if (!m_file->commit()) {
        const QString why = m_file->errorString();
        m_file.reset();
        writeFailed(m_fileName, why);
    }
    m_file.reset();
}

void TReportExportFilter::Abort()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

void TExportFilterLibrary::Add(TExportFilterEntry entry)
{
    for (TExportFilterEntry& e : m_entries) {
        if (e.filterName == entry.filterName) {
            e = std::move(entry);
            return;
        }
    }
    m_entries.push_back(std::move(entry));
}

void TExportFilterLibrary::Clear()
{
    m_entries.clear();
}

const TExportFilterEntry* TExportFilterLibrary::FindByExtension(const QString& ext) const
{
    QString e = ext;
    if (e.startsWith(u'.'))
        e.remove(0, 1);
    for (const TExportFilterEntry& entry : m_entries)
        if (entry.extension.compare(e, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

TExportFilterLibrary& ExportFilters()
{
    static TExportFilterLibrary library;
    return library;
}

void ExportDocument(const TReportDocument& document, TReportExportFilter& filter, const QString& fileName)
{
    try {
        filter.Start(fileName, document.PageSize.width(), document.PageSize.height(), document.ReportFont);
        TReportPage page;
        for (int i = 0; i < document.PageCount(); ++i) {
            if (i > 0)
                filter.NewPage();
            document.ReadPage(i, page);
            for (const TPageText& t : page.texts) {
                const TReportFont& font = t.font < document.Fonts().size() ? document.Fonts()[t.font] : document.ReportFont;
                filter.TextOut(t.x, t.y, font, QColor(Qt::white), t.alignment, document.TextOf(t));
            }
            filter.EndPage();
        }
        filter.Finish();
    } catch (...) {
        filter.Abort();
        throw;
    }
}

} // namespace mx::rpt
