#include "splitter.h"

#include "engine/errors/errorhandler.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace mx::ui {
namespace {

// The shadow line: a dotted bar over the parent's other controls, where
// the splitter would go.
class TShadowLine : public QWidget {
    Q_OBJECT

public:
    explicit TShadowLine(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("shadowLine"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        Guard(this, [&] {
            QPainter p(this);
            p.fillRect(rect(), QBrush(palette().color(QPalette::WindowText), Qt::Dense4Pattern));
        });
    }
};

bool isVerticalDock(TAlign a)
{
    return a == TAlign::alTop || a == TAlign::alBottom;
}

bool isHorizontalDock(TAlign a)
{
    return a == TAlign::alLeft || a == TAlign::alRight;
}

// The controls of a parent in its order: those of its dock layout as they
// joined, then the other children as made.
QList<QWidget*> controlsOf(QWidget* parent)
{
    QList<QWidget*> out;
    if (TDockLayout* layout = TDockLayout::Of(parent))
        out = layout->Widgets();
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && !out.contains(w))
            out << w;
    return out;
}

} // namespace

TMxSplitter::TMxSplitter(QWidget* parent) : QWidget(parent)
{
    resize(32, 32);
    SetKind(skHorizontal);
}

TMxSplitter::~TMxSplitter()
{
    if (m_sizing)
        qApp->removeEventFilter(this);
    delete m_line.data();
}

void TMxSplitter::SetKind(TMxSplitKind kind)
{
    m_kind = kind;
    setCursor(kind == skHorizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void TMxSplitter::SetAlign(TAlign align)
{
    m_align = align;
    if (isVerticalDock(align))
        SetKind(skVertical);
    else if (isHorizontalDock(align))
        SetKind(skHorizontal);
    if (TDockLayout* layout = TDockLayout::Of(parentWidget()))
        layout->SetAlign(this, align);
}

void TMxSplitter::SetBeveled(bool value)
{
    if (value != m_beveled) {
        m_beveled = value;
        update();
    }
}

QWidget* TMxSplitter::ShadowLineWidget() const
{
    return m_line && m_line->isVisible() ? m_line.data() : nullptr;
}

QWidget* TMxSplitter::findNeighbour() const
{
    QWidget* parent = parentWidget();
    if (!parent)
        return nullptr;
    QPoint p = pos();
    switch (m_align) {
    case TAlign::alTop:
        p.ry() -= 1;
        break;
    case TAlign::alBottom:
        p.ry() = y() + height();
        break;
    case TAlign::alLeft:
        p.rx() -= 1;
        break;
    case TAlign::alRight:
        p.rx() = x() + width();
        break;
    default:
        return nullptr;
    }
    for (QWidget* w : controlsOf(parent))
        if (w != this && w != m_line && w->isVisible() && w->geometry().contains(p))
            return w;
    return nullptr;
}

int TMxSplitter::currentSize() const
{
    switch (m_align) {
    case TAlign::alTop:
        return m_neighbour->height() + m_offset;
    case TAlign::alBottom:
        return m_neighbour->height() - m_offset;
    case TAlign::alLeft:
        return m_neighbour->width() + m_offset;
    case TAlign::alRight:
        return m_neighbour->width() - m_offset;
    default:
        return (m_kind == skVertical ? y() : x()) + m_offset;
    }
}

int TMxSplitter::offsetFor(const QPoint& pos) const
{
    return m_kind == skVertical ? pos.y() - m_downPos.y() : pos.x() - m_downPos.x();
}

void TMxSplitter::startDrag(const QPoint& pos)
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    m_downPos = pos;
    m_neighbour = findNeighbour();
    const bool aligned = isVerticalDock(m_align) || isHorizontalDock(m_align);
    // A docked bar with nothing beside it has nothing to resize.
    if (aligned && !m_neighbour)
        return;
    const QRect client = parent->contentsRect();
    m_maxSize = m_kind == skVertical ? client.height() : client.width();
    if (aligned) {
        TDockLayout* layout = TDockLayout::Of(parent);
        const bool vertical = isVerticalDock(m_align);
        for (QWidget* w : controlsOf(parent)) {
            if (!w->isVisible())
                continue;
            const TAlign a = w == this ? m_align : (layout ? layout->Align(w) : TAlign::alNone);
            if (vertical && isVerticalDock(a))
                m_maxSize -= w->height();
            else if (!vertical && isHorizontalDock(a))
                m_maxSize -= w->width();
        }
        m_maxSize += vertical ? m_neighbour->height() : m_neighbour->width();
    }
    m_maxSize -= m_highMinSize;
    m_sizing = true;
    m_offset = 0;
    qApp->installEventFilter(this);
    updateSize(pos);
    toggleShadowLine();
}

void TMxSplitter::updateSize(const QPoint& pos)
{
    m_offset = offsetFor(pos);
    const int proposed = currentSize();
    TSplitLimits limits;
    limits.scale = m_scale;
    limits.lowMinSize = m_lowMinSize;
    limits.maximum = m_maxSize;
    limits.useMarquees = m_options.testFlag(soUseMarquees);
    limits.marquees = m_marquees;
    std::function<void(int&)> moving;
    if (OnMoving)
        moving = [this](int& size) { OnMoving(*this, size); };
    const TSplitSize r = ComputeSplitSize(proposed, limits, moving);
    // The shadow line goes where the final size puts the bar.
    if (m_align == TAlign::alBottom || m_align == TAlign::alRight)
        m_offset += proposed - r.size;
    else
        m_offset += r.size - proposed;
    m_newSize = r.size;
    if (m_options.testFlag(soImmediate))
        applySize();
    if (r.marqueeIndex != m_marqueeIndex) {
        m_marqueeIndex = r.marqueeIndex;
        emit OnMarqueeChange();
    }
}

void TMxSplitter::applySize()
{
    QWidget* parent = parentWidget();
    QWidget* n = m_neighbour;
    TDockLayout* layout = TDockLayout::Of(parent);
    const bool docked = n && layout && layout->Contains(n);
    switch (m_align) {
    case TAlign::alTop:
    case TAlign::alBottom:
        if (!n)
            return;
        if (docked) {
            layout->SetExtent(n, m_newSize);
        } else if (m_align == TAlign::alTop) {
            n->resize(n->width(), m_newSize);
        } else {
            n->setGeometry(n->x(), n->y() + n->height() - m_newSize, n->width(), m_newSize);
        }
        break;
    case TAlign::alLeft:
    case TAlign::alRight:
        if (!n)
            return;
        if (docked) {
            layout->SetExtent(n, m_newSize);
        } else if (m_align == TAlign::alLeft) {
            n->resize(m_newSize, n->height());
        } else {
            n->setGeometry(n->x() + n->width() - m_newSize, n->y(), m_newSize, n->height());
        }
        break;
    default:
        if (m_kind == skVertical)
            move(x(), m_newSize);
        else
            move(m_newSize, y());
        break;
    }
    if (m_options.testFlag(soUpdate) && parent)
        parent->repaint();
    emit OnMoved();
}

void TMxSplitter::toggleShadowLine()
{
    m_lineDrawn = !m_lineDrawn;
    if (!m_options.testFlag(soShadowLine) || !parentWidget())
        return;
    if (!m_lineDrawn) {
        if (m_line)
            m_line->hide();
        return;
    }
    if (!m_line)
        m_line = new TShadowLine(parentWidget());
    m_line->setGeometry(geometry().translated(m_kind == skVertical ? QPoint(0, m_offset) : QPoint(m_offset, 0)));
    m_line->raise();
    m_line->show();
}

void TMxSplitter::stopSizing()
{
    if (m_lineDrawn)
        toggleShadowLine();
    // The line stays hidden whatever the options are now.
    if (m_line)
        m_line->hide();
    m_lineDrawn = false;
    m_sizing = false;
    qApp->removeEventFilter(this);
    m_neighbour = nullptr;
}

void TMxSplitter::CancelDrag()
{
    if (m_sizing)
        stopSizing();
}

void TMxSplitter::paintEvent(QPaintEvent*)
{
    Guard(this, [&] {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        if (!m_beveled)
            return;
        const QRect c = rect();
        const int r = c.right();
        const int b = c.bottom();
        p.setPen(palette().color(QPalette::Dark));
        const QPoint shadow[] = {{r - 1, c.top()}, {c.left(), c.top()}, {c.left(), b - 1}};
        p.drawPolyline(shadow, 3);
        p.setPen(palette().color(QPalette::Light));
        const QPoint light[] = {{c.left(), b}, {r, b}, {r, c.top()}};
        p.drawPolyline(light, 3);
    });
}

void TMxSplitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_sizing) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (!Guard(this, [&] { startDrag(event->position().toPoint()); }))
        CancelDrag();
}

void TMxSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_sizing) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const bool ok = Guard(this, [&] {
        toggleShadowLine();
        updateSize(event->position().toPoint());
        toggleShadowLine();
    });
    if (!ok)
        CancelDrag();
}

void TMxSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (!m_sizing || event->button() != Qt::LeftButton)
        return;
    // The release applies the size of its own point, whatever the options.
    const TMxSplitterOptions saved = m_options;
    Guard(this, [&] {
        m_options |= soImmediate;
        toggleShadowLine();
        updateSize(event->position().toPoint());
        toggleShadowLine();
    });
    m_options = saved;
    CancelDrag();
}

bool TMxSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if (m_sizing && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            // Esc belongs to the drag: no shortcut or dialog sees it.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                CancelDrag();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace mx::ui

#include "splitter.moc"
