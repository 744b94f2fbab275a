#include "previewwindow.h"

#include "report/pagemodel.h"
#include "ui/report/reportpreview.h"

namespace morvrs {

PreviewWindow::PreviewWindow()
{
    setObjectName(QStringLiteral("fmRuntime"));
    setWindowTitle(QStringLiteral("Morvelin - rapports"));
    m_preview = new mx::ui::TfmReportPreview(this);
    setCentralWidget(m_preview);
    resize(900, 1000);
    QObject::connect(m_preview, &mx::ui::TfmReportPreview::closed, this, &QWidget::close);
}

void PreviewWindow::showReport(const QString& title, std::shared_ptr<mx::rpt::TReportDocument> document)
{
    setWindowTitle(title);
    m_preview->SetDocument(std::move(document));
}

} // namespace morvrs
