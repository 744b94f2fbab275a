#include "designsurface.h"

#include "engine/errors/errorhandler.h"
#include "report/pagemodel.h"
#include "report/reportparts.h"

#include <QMouseEvent>
#include <QPainter>

namespace mx::ui {

namespace {

// Pixels per 0.1 mm on a surface of 96 dots per inch: the designs' own.
constexpr double kScale = 96.0 / 254.0;

QFont fontOf(const TFontSpec& spec)
{
    const rpt::TReportFont f = rpt::FontOf(spec);
    QFont font(f.family);
    // the surface's pixels are the design's: size by pixels at 96 dpi
    font.setPixelSize(std::max(1, qRound(f.pointSize * 96.0 / 72.0)));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

} // namespace

TDesignSurface::TDesignSurface(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DesignSurface"));
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

void TDesignSurface::SetReport(rpt::TQuickRep* report)
{
    m_report = report;
    m_selected = nullptr;
    m_band = nullptr;
    Relayout();
    emit selectionChanged();
}

void TDesignSurface::Relayout()
{
    m_layout = m_report ? std::make_unique<rpt::TDesignLayout>(*m_report, kScale) : nullptr;
    // a control that went with its band is no longer selected (compared by
    // address only: it is freed)
    if (m_selected) {
        bool present = false;
        if (m_layout)
            for (const rpt::TBandPlace& p : m_layout->Bands())
                for (rpt::TQRPrintable* c : p.band->Controls())
                    present = present || c == m_selected;
        if (!present) {
            m_selected = nullptr;
            m_band = nullptr;
            emit selectionChanged();
        }
    }
    if (m_band && (!m_layout || !m_layout->PlaceOf(m_band))) {
        m_band = nullptr;
        emit selectionChanged();
    }
    updateGeometry();
    resize(sizeHint());
    update();
}

QSize TDesignSurface::sizeHint() const
{
    return m_layout ? m_layout->Size().toSize() : QSize(200, 100);
}

void TDesignSurface::Select(rpt::TQRPrintable* control)
{
    if (control == m_selected)
        return;
    m_selected = control;
    if (control)
        m_band = dynamic_cast<rpt::TQRBand*>(control->ParentPart());
    update();
    emit selectionChanged();
}

void TDesignSurface::paintEvent(QPaintEvent*)
{
    Guard(this, [&] {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Mid));
        if (!m_layout)
            return;
        QFont stripFont = font();
        stripFont.setPixelSize(10);
        for (const rpt::TBandPlace& place : m_layout->Bands()) {
            p.fillRect(place.rect, Qt::white);
            p.fillRect(place.strip, palette().color(QPalette::Button));
            p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1, Qt::DashLine));
            p.drawRect(place.rect.adjusted(0, 0, -1, -1));
            p.setPen(place.band == m_band && !m_selected ? palette().color(QPalette::Highlight) : palette().color(QPalette::ButtonText));
            p.setFont(stripFont);
            p.drawText(place.strip.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, rpt::TDesignLayout::BandName(*place.band));
            for (rpt::TQRPrintable* c : place.band->Controls()) {
                const QRectF box = m_layout->ControlRect(c);
                if (c->ControlKind() == rpt::qkShape) {
                    const auto* shape = static_cast<const rpt::TQRShape*>(c);
                    p.setPen(QPen(Qt::black, std::max(1, shape->Pen()->Width)));
                    if (shape->Shape() == rpt::qrsHorLine)
                        p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
                    else if (shape->Shape() == rpt::qrsVertLine)
                        p.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
                    else
                        p.drawRect(box);
                    continue;
                }
                p.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 1, Qt::DotLine));
                p.drawRect(box);
                p.setFont(fontOf(c->EffectiveFont()));
                p.setPen(QColor::fromRgb(rpt::RgbOfColor(c->EffectiveFont().Color())));
                const int align = c->Alignment() == rpt::taRightJustify ? Qt::AlignRight
                    : c->Alignment() == rpt::taCenter                 ? Qt::AlignHCenter
                                                                      : Qt::AlignLeft;
                int flags = align | Qt::AlignTop;
                if (c->AutoSize())
                    flags |= Qt::TextDontClip; // printed whole: shown whole
                p.drawText(box, flags, c->DesignText());
            }
        }
        if (m_selected) {
            const QRectF box = m_layout->ControlRect(m_selected);
            p.setPen(QPen(palette().color(QPalette::Highlight), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(box);
            p.setBrush(palette().color(QPalette::Highlight));
            for (const auto& [handle, r] : rpt::TDesignLayout::Handles(box))
                p.drawRect(r);
        }
    });
}

void TDesignSurface::setCursorFor(rpt::THandle h)
{
    switch (h) {
    case rpt::hLeft:
    case rpt::hRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case rpt::hTop:
    case rpt::hBottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case rpt::hTopLeft:
    case rpt::hBottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case rpt::hTopRight:
    case rpt::hBottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case rpt::hMove:
        setCursor(Qt::SizeAllCursor);
        break;
    case rpt::hNone:
        unsetCursor();
        break;
    }
}

void TDesignSurface::mousePressEvent(QMouseEvent* e)
{
    Guard(this, [&] {
        if (!m_layout || e->button() != Qt::LeftButton)
            return;
        const rpt::TDesignHit hit = m_layout->HitTest(e->position(), m_selected);
        m_band = hit.band;
        Select(hit.control);
        update();
        if (!hit.control) {
            emit selectionChanged();
            return;
        }
        m_drag = hit.handle;
        m_dragStart = e->position();
        m_startBounds = hit.control->Bounds();
        m_moved = false;
    });
}

void TDesignSurface::mouseMoveEvent(QMouseEvent* e)
{
    Guard(this, [&] {
        if (!m_layout)
            return;
        if (m_drag == rpt::hNone || !m_selected) {
            setCursorFor(m_layout->HitTest(e->position(), m_selected).handle);
            return;
        }
        const QPointF delta = e->position() - m_dragStart;
        if (!m_moved && delta.manhattanLength() < 2)
            return;
        auto* band = dynamic_cast<rpt::TQRBand*>(m_selected->ParentPart());
        const QSizeF bandSize(m_report->PrintableWidth(), band ? band->Bounds().height() : 0);
        m_selected->SetBounds(rpt::DraggedBounds(m_startBounds, m_drag, delta, kScale, bandSize));
        m_moved = true;
        update();
    });
}

void TDesignSurface::mouseReleaseEvent(QMouseEvent* e)
{
    Guard(this, [&] {
        if (e->button() != Qt::LeftButton)
            return;
        const bool moved = m_moved;
        m_drag = rpt::hNone;
        m_moved = false;
        if (moved)
            emit geometryChanged();
    });
}

} // namespace mx::ui
