#pragma once
// A panel that paints only its frames and its background, never a caption:
// the outer bevel, the border, the inner bevel, then the colour. The base
// of the step editor, of the entity and field panels and of the diagram's
// table panels.

#include <QColor>
#include <QWidget>

namespace mx::ui {

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomNRPanel : public QWidget {
    Q_OBJECT
public:
    explicit TCustomNRPanel(QWidget* parent = nullptr);

    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut value);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut value);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value);
    // The background and border colour; invalid (the default) means the
    // palette's window colour.
    QColor Color() const;
    void SetColor(const QColor& value);

    // What the frames leave for children (the client rectangle less the
    // bevels and the border).
    QRect InnerRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void frame3D(class QPainter& p, QRect& r, TBevelCut cut, int width) const;
    TBevelCut m_bevelOuter = TBevelCut::bvRaised;
    TBevelCut m_bevelInner = TBevelCut::bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QColor m_color;
};

// The panel as windows place it.
class TNRPanel : public TCustomNRPanel {
    Q_OBJECT
public:
    using TCustomNRPanel::TCustomNRPanel;
};

} // namespace mx::ui
