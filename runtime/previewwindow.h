#pragma once
// The runtime's window: the report last loaded, page by page.

#include "reportdata.h"
#include "reportfile.h"

#include <QMainWindow>

class QPrintPreviewWidget;

namespace morvrs {

class PreviewWindow : public QMainWindow {
public:
    PreviewWindow();
    void showReport(const ReportFile& report, const ReportData& data);

private:
    QPrintPreviewWidget* m_preview = nullptr;
    ReportFile m_report;
    ReportData m_data;
};

} // namespace morvrs
