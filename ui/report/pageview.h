#pragma once
// One page of a laid-out report on the screen: the sheet at the zoom
// chosen, on the preview's grey background.

#include <QWidget>

#include <memory>

namespace mx::rpt {
class TReportDocument;
}

namespace mx::ui {

class TPageView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorder = 10; // around the sheet, pixels

    explicit TPageView(QWidget* parent = nullptr);

    void SetDocument(std::shared_ptr<const rpt::TReportDocument> document);
    void SetPageIndex(int index);
    int PageIndex() const { return m_page; }
    // 1 shows the page at its size on paper.
    void SetZoom(double zoom);
    double Zoom() const { return m_zoom; }
    // The sheet's size on the screen at a zoom, in pixels.
    QSize SheetSize(double zoom) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::shared_ptr<const rpt::TReportDocument> m_doc;
    int m_page = 0;
    double m_zoom = 1.0;
};

} // namespace mx::ui
