#include "previewwindow.h"

#include "reportpainter.h"

#include <QPrintPreviewWidget>
#include <QPrinter>

namespace morvrs {

PreviewWindow::PreviewWindow()
{
    setObjectName(QStringLiteral("fmRuntime"));
    setWindowTitle(QStringLiteral("Morvelin - rapports"));
    m_preview = new QPrintPreviewWidget(this);
    setCentralWidget(m_preview);
    resize(900, 1000);
    QObject::connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        printer->setPageOrientation(m_report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        QString ignored;
        paintReport(m_report, m_data, printer, 1, 0, &ignored);
    });
}

void PreviewWindow::showReport(const ReportFile& report, const ReportData& data)
{
    m_report = report;
    m_data = data;
    setWindowTitle(report.expandedTitle());
    m_preview->updatePreview();
}

} // namespace morvrs
