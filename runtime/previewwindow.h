#pragma once
// The runtime's window: the report last loaded, page by page, in the
// report layer's preview.

#include <QMainWindow>

#include <memory>

namespace mx::rpt {
class TReportDocument;
}

namespace mx::ui {
class TfmReportPreview;
}

namespace morvrs {

class PreviewWindow : public QMainWindow {
    Q_OBJECT

public:
    PreviewWindow();
    void showReport(const QString& title, std::shared_ptr<mx::rpt::TReportDocument> document);

private:
    mx::ui::TfmReportPreview* m_preview = nullptr;
};

} // namespace morvrs
