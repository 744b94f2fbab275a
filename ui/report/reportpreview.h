#pragma once
// The preview of a laid-out report: one page at a time, zoom (whole page,
// page width, or a percentage), first / previous / next / last page, Print
// (the print dialog through the dialog service), Save (PDF or one of the
// registered export filters, chosen through the dialog service) and Close.
//
// The preview keeps the pages it was given, never the records they were
// made from: a later run of the step cannot leave it reading a freed
// result; the caller lays the report out again to show the new one.

#include <QWidget>

#include <memory>

namespace mx {
class TIMxDataset;
}

namespace mx::rpt {
class TQuickRep;
class TReportDocument;
} // namespace mx::rpt

namespace mx::ui {

class TfmReportPreview : public QWidget {
    Q_OBJECT
public:
    // The zoom choices (the combo box cbZoom), in order.
    enum TZoomChoice { zWholePage, zPageWidth, z50, z75, z100, z150, z200 };

    explicit TfmReportPreview(QWidget* parent = nullptr);
    ~TfmReportPreview() override;

    void SetDocument(std::shared_ptr<rpt::TReportDocument> document);
    // Lays report out over dataset (none: no record) and shows its pages.
    void Preview(const rpt::TQuickRep& report, TIMxDataset* dataset);
    const rpt::TReportDocument* Document() const { return m_doc.get(); }

    int PageIndex() const;
    void SetPageIndex(int index);
    void SetZoomChoice(TZoomChoice choice);
    double Zoom() const;

    // What the buttons do.
    void Print();
    void Save();

signals:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    void refresh();
    void applyZoom();
    std::shared_ptr<rpt::TReportDocument> m_doc;
};

} // namespace mx::ui
