#pragma once
// A splitter bar that resizes the control beside it by dragging.
//
// Docked (Align top, bottom, left or right, in the parent's TDockLayout) it
// resizes its neighbour: the visible control of the parent just above it
// (top), below it (bottom), left of it (left) or right of it (right),
// found by position in the parent's order of controls. Docked nowhere it
// moves itself (the step editor's and the field panels' splitters).
//
// A drag: the left button goes down on the bar (a docked bar with no
// neighbour ignores it); each move computes a size (see splitterrules.h:
// the scale, OnMoving, the snap ranges, the maximum and LowMinSize) and
// shows a shadow line where the bar would go, or, with soImmediate,
// resizes at once; the release applies the size. Esc during a drag ends it
// and applies nothing more than soImmediate already did.

#include "docklayout.h"
#include "splitterrules.h"

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace mx::ui {

class TMxSplitter : public QWidget {
    Q_OBJECT
public:
    enum TMxSplitKind { skHorizontal, skVertical };
    enum TMxSplitterOption { soShadowLine = 1, soUseMarquees = 2, soImmediate = 4, soUpdate = 8 };
    Q_DECLARE_FLAGS(TMxSplitterOptions, TMxSplitterOption)

    explicit TMxSplitter(QWidget* parent = nullptr);
    ~TMxSplitter() override;

    // skHorizontal: the bar moves left and right; skVertical: up and down.
    // Sets the cursor to match.
    TMxSplitKind Kind() const { return m_kind; }
    void SetKind(TMxSplitKind kind);
    // Top or bottom make the splitter skVertical, left or right
    // skHorizontal; none or client leave the kind. Docks the splitter in
    // its parent's TDockLayout when the parent has one.
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);

    int MarqueeIndex() const { return m_marqueeIndex; }
    bool Beveled() const { return m_beveled; }
    void SetBeveled(bool value);
    TMxSplitterOptions Options() const { return m_options; }
    void SetOptions(TMxSplitterOptions options) { m_options = options; }
    bool Sizing() const { return m_sizing; }
    QString Marquees() const { return FormatMarquees(m_marquees); }
    void SetMarquees(const QString& text) { m_marquees = ParseMarquees(text); }
    const QList<TMarquee>& MarqueeList() const { return m_marquees; }
    // Values below 2 are stored as 2.
    int LowMinSize() const { return m_lowMinSize; }
    void SetLowMinSize(int value) { m_lowMinSize = std::max(2, value); }
    int HighMinSize() const { return m_highMinSize; }
    void SetHighMinSize(int value) { m_highMinSize = std::max(2, value); }
    // Values below 1 are stored as 1.
    int Scale() const { return m_scale; }
    void SetScale(int value) { m_scale = std::max(1, value); }

    // Called during a drag with the proposed size, which it may change.
    std::function<void(TMxSplitter& sender, int& size)> OnMoving;

    // The control the current drag resizes (none when idle or unaligned).
    QWidget* Neighbour() const { return m_neighbour; }
    // The shadow line's widget while it is shown, else none.
    QWidget* ShadowLineWidget() const;
    // Ends a drag as Esc does.
    void CancelDrag();

signals:
    // After each size that is applied.
    void OnMoved();
    // When MarqueeIndex changes.
    void OnMarqueeChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* findNeighbour() const;
    int currentSize() const;
    void startDrag(const QPoint& pos);
    void updateSize(const QPoint& pos);
    void applySize();
    void toggleShadowLine();
    void stopSizing();
    int offsetFor(const QPoint& pos) const;

    TMxSplitKind m_kind = skHorizontal;
    TAlign m_align = TAlign::alNone;
    int m_marqueeIndex = 0;
    bool m_beveled = true;
    TMxSplitterOptions m_options = TMxSplitterOptions(soShadowLine | soUpdate);
    bool m_sizing = false;
    QList<TMarquee> m_marquees;
    int m_lowMinSize = 2;
    int m_highMinSize = 2;
    int m_scale = 1;

    // The drag under way.
    QPoint m_downPos;
    QPointer<QWidget> m_neighbour;
    int m_maxSize = 0;
    int m_offset = 0;
    int m_newSize = 0;
    bool m_lineDrawn = false;
    QPointer<QWidget> m_line;
};

} // namespace mx::ui

Q_DECLARE_OPERATORS_FOR_FLAGS(mx::ui::TMxSplitter::TMxSplitterOptions)
