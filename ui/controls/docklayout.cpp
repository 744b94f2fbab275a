#include "docklayout.h"

#include <QWidget>

#include <algorithm>

namespace mx::ui {

TDockLayout::TDockLayout(QWidget* parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TDockLayout::~TDockLayout()
{
    for (const Entry& e : m_entries)
        delete e.item;
}

TDockLayout* TDockLayout::Of(const QWidget* parent)
{
    return parent ? qobject_cast<TDockLayout*>(parent->layout()) : nullptr;
}

void TDockLayout::AddWidget(QWidget* widget, TAlign align)
{
    int extent = 0;
    if (align == TAlign::alTop || align == TAlign::alBottom)
        extent = widget->testAttribute(Qt::WA_Resized) ? widget->height() : widget->sizeHint().height();
    else if (align == TAlign::alLeft || align == TAlign::alRight)
        extent = widget->testAttribute(Qt::WA_Resized) ? widget->width() : widget->sizeHint().width();
    AddWidget(widget, align, extent);
}

void TDockLayout::AddWidget(QWidget* widget, TAlign align, int extent)
{
    addChildWidget(widget);
    m_entries.append({new QWidgetItem(widget), align, std::max(0, extent)});
    invalidate();
}

void TDockLayout::addItem(QLayoutItem* item)
{
    m_entries.append({item, TAlign::alNone, 0});
    invalidate();
}

QLayoutItem* TDockLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].item : nullptr;
}

QLayoutItem* TDockLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    QLayoutItem* item = m_entries.takeAt(index).item;
    invalidate();
    return item;
}

int TDockLayout::count() const
{
    return int(m_entries.size());
}

int TDockLayout::indexOf(const QWidget* widget) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (widget && m_entries[i].item->widget() == widget)
            return i;
    return -1;
}

TAlign TDockLayout::Align(const QWidget* widget) const
{
    const int i = indexOf(widget);
    return i < 0 ? TAlign::alNone : m_entries[i].align;
}

void TDockLayout::SetAlign(QWidget* widget, TAlign align)
{
    const int i = indexOf(widget);
    if (i < 0) {
        AddWidget(widget, align);
        return;
    }
    if (m_entries[i].align == align)
        return;
    m_entries[i].align = align;
    if (align == TAlign::alTop || align == TAlign::alBottom)
        m_entries[i].extent = widget->height();
    else if (align == TAlign::alLeft || align == TAlign::alRight)
        m_entries[i].extent = widget->width();
    invalidate();
}

int TDockLayout::Extent(const QWidget* widget) const
{
    const int i = indexOf(widget);
    return i < 0 ? 0 : m_entries[i].extent;
}

void TDockLayout::SetExtent(QWidget* widget, int extent)
{
    const int i = indexOf(widget);
    if (i < 0)
        return;
    m_entries[i].extent = std::max(0, extent);
    Relayout();
}

QList<QWidget*> TDockLayout::Widgets() const
{
    QList<QWidget*> out;
    for (const Entry& e : m_entries)
        if (QWidget* w = e.item->widget())
            out << w;
    return out;
}

void TDockLayout::Relayout()
{
    invalidate();
    if (QWidget* parent = parentWidget())
        setGeometry(parent->contentsRect());
}

void TDockLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    QRect room = rect.marginsRemoved(contentsMargins());
    const auto place = [&](TAlign side) {
        for (const Entry& e : m_entries) {
            if (e.align != side || e.item->isEmpty())
                continue;
            QRect r;
            switch (side) {
            case TAlign::alTop: {
                const int h = std::min(e.extent, std::max(0, room.height()));
                r = QRect(room.left(), room.top(), room.width(), h);
                room.setTop(room.top() + h);
                break;
            }
            case TAlign::alBottom: {
                const int h = std::min(e.extent, std::max(0, room.height()));
                r = QRect(room.left(), room.bottom() + 1 - h, room.width(), h);
                room.setBottom(room.bottom() - h);
                break;
            }
            case TAlign::alLeft: {
                const int w = std::min(e.extent, std::max(0, room.width()));
                r = QRect(room.left(), room.top(), w, room.height());
                room.setLeft(room.left() + w);
                break;
            }
            case TAlign::alRight: {
                const int w = std::min(e.extent, std::max(0, room.width()));
                r = QRect(room.right() + 1 - w, room.top(), w, room.height());
                room.setRight(room.right() - w);
                break;
            }
            default:
                r = QRect(room.topLeft(), QSize(std::max(0, room.width()), std::max(0, room.height())));
                break;
            }
            // The widget gets exactly its rectangle, whatever its size
            // policy says.
            if (QWidget* w = e.item->widget())
                w->setGeometry(r);
            else
                e.item->setGeometry(r);
        }
    };
    place(TAlign::alTop);
    place(TAlign::alBottom);
    place(TAlign::alLeft);
    place(TAlign::alRight);
    place(TAlign::alClient);
}

QSize TDockLayout::totalSize(bool hint) const
{
    // Room for the docked extents, and for the client's own size between
    // them.
    int w = 0, h = 0, clientW = 0, clientH = 0;
    int sideW = 0, topH = 0;
    for (const Entry& e : m_entries) {
        if (e.item->isEmpty())
            continue;
        const QSize s = hint ? e.item->sizeHint() : e.item->minimumSize();
        switch (e.align) {
        case TAlign::alTop:
        case TAlign::alBottom:
            topH += e.extent;
            w = std::max(w, s.width());
            break;
        case TAlign::alLeft:
        case TAlign::alRight:
            sideW += e.extent;
            h = std::max(h, s.height());
            break;
        case TAlign::alClient:
            clientW = std::max(clientW, s.width());
            clientH = std::max(clientH, s.height());
            break;
        default:
            break;
        }
    }
    const QMargins m = contentsMargins();
    return QSize(std::max(w, sideW + clientW) + m.left() + m.right(),
        topH + std::max(h, clientH) + m.top() + m.bottom());
}

QSize TDockLayout::sizeHint() const
{
    return totalSize(true);
}

QSize TDockLayout::minimumSize() const
{
    // Docked windows are sized by their owner: the layout asks for no
    // minimum of its own beyond the margins.
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}

} // namespace mx::ui
