#pragma once
// The report editor's drawing of the report: its bands one under the
// other at the printable width, each with its name, and their controls
// with their texts in their fonts. A click selects a control (or a band),
// a drag moves the selected control or, from one of its handles, resizes
// it; the geometry rules are the layout's (report/designlayout.h).

#include "report/designlayout.h"

#include <QWidget>

#include <memory>

namespace mx::ui {

class TDesignSurface : public QWidget {
    Q_OBJECT
public:
    explicit TDesignSurface(QWidget* parent = nullptr);

    void SetReport(rpt::TQuickRep* report);
    rpt::TQuickRep* Report() const { return m_report; }
    // The layout of what is drawn now; rebuilt by Relayout.
    const rpt::TDesignLayout* Layout() const { return m_layout.get(); }
    void Relayout();

    rpt::TQRPrintable* Selected() const { return m_selected; }
    rpt::TQRBand* SelectedBand() const { return m_band; }
    void Select(rpt::TQRPrintable* control);

    QSize sizeHint() const override;

signals:
    void selectionChanged();
    // A control was moved or resized.
    void geometryChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void setCursorFor(rpt::THandle h);
    rpt::TQuickRep* m_report = nullptr;
    std::unique_ptr<rpt::TDesignLayout> m_layout;
    rpt::TQRPrintable* m_selected = nullptr;
    rpt::TQRBand* m_band = nullptr;
    rpt::THandle m_drag = rpt::hNone;
    QPointF m_dragStart;
    QRectF m_startBounds;
    bool m_moved = false;
};

} // namespace mx::ui
