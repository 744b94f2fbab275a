#include "nrpanel.h"

#include "engine/errors/errorhandler.h"

#include <QPainter>

#include <algorithm>

namespace mx::ui {

TCustomNRPanel::TCustomNRPanel(QWidget* parent) : QWidget(parent)
{
    // Only the frames are painted: what is not exposed again after a
    // resize is not painted again.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCustomNRPanel::SetBevelOuter(TBevelCut value)
{
    if (value != m_bevelOuter) {
        m_bevelOuter = value;
        update();
    }
}

void TCustomNRPanel::SetBevelInner(TBevelCut value)
{
    if (value != m_bevelInner) {
        m_bevelInner = value;
        update();
    }
}

void TCustomNRPanel::SetBevelWidth(int value)
{
    value = std::max(1, value);
    if (value != m_bevelWidth) {
        m_bevelWidth = value;
        update();
    }
}

void TCustomNRPanel::SetBorderWidth(int value)
{
    value = std::max(0, value);
    if (value != m_borderWidth) {
        m_borderWidth = value;
        update();
    }
}

QColor TCustomNRPanel::Color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Window);
}

void TCustomNRPanel::SetColor(const QColor& value)
{
    if (value != m_color) {
        m_color = value;
        update();
    }
}

QRect TCustomNRPanel::InnerRect() const
{
    int inset = m_borderWidth;
    if (m_bevelOuter != TBevelCut::bvNone)
        inset += m_bevelWidth;
    if (m_bevelInner != TBevelCut::bvNone)
        inset += m_bevelWidth;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void TCustomNRPanel::frame3D(QPainter& p, QRect& r, TBevelCut cut, int width) const
{
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const bool lowered = cut == TBevelCut::bvLowered;
    const QColor topLeft = lowered ? dark : light;
    const QColor bottomRight = lowered ? light : dark;
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top());
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.setPen(bottomRight);
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
}

void TCustomNRPanel::paintEvent(QPaintEvent*)
{
    Guard(this, [&] {
        QPainter p(this);
        QRect r = rect();
        if (m_bevelOuter != TBevelCut::bvNone)
            frame3D(p, r, m_bevelOuter, m_bevelWidth);
        const QColor color = Color();
        for (int i = 0; i < m_borderWidth && r.width() > 0 && r.height() > 0; ++i) {
            p.setPen(color);
            p.drawRect(r.adjusted(0, 0, -1, -1));
            r.adjust(1, 1, -1, -1);
        }
        if (m_bevelInner != TBevelCut::bvNone)
            frame3D(p, r, m_bevelInner, m_bevelWidth);
        if (r.width() > 0 && r.height() > 0)
            p.fillRect(r, color);
    });
}

} // namespace mx::ui
