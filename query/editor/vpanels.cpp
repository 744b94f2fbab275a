#include "vpanels.h"

#include "stepeditor.h"

#include "ui/services/guarded.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace mx::ui {

namespace {

TVPanel* panelOf(QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (auto* p = qobject_cast<TVPanel*>(w))
            return p;
    return nullptr;
}

// The item of the panel a drag started from, or none.
TMxItem* draggedItem(const TDragInfo& drag)
{
    TVPanel* source = panelOf(drag.source);
    return source && source->Owner() ? source->Owner()->PanelItem() : nullptr;
}

} // namespace

TVPanel::TVPanel(TVPanelOwner* owner, QWidget* parent) : TNRPanel(parent), m_owner(owner) {}

void TVPanel::paintEvent(QPaintEvent* event)
{
    TNRPanel::paintEvent(event);
    TMxStepEditor* editor = m_owner ? m_owner->StepEditor() : nullptr;
    if (!editor || editor->Selected() != m_owner->PanelItem())
        return;
    QPainter p(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = m_owner->FocusFrameAround()->geometry().adjusted(-1, -1, 1, 1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}

bool TVPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_owner)
        return TNRPanel::eventFilter(watched, event);
    bool eaten = false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        Guard(this, [&] { eaten = m_owner->PanelPress(watched, *static_cast<QMouseEvent*>(event)); });
        return eaten;
    case QEvent::MouseButtonDblClick:
        Guard(this, [&] { eaten = m_owner->PanelDoubleClick(watched); });
        return eaten || TNRPanel::eventFilter(watched, event);
    default:
        return TNRPanel::eventFilter(watched, event);
    }
}

void TVPanel::mousePressEvent(QMouseEvent* event)
{
    if (m_owner)
        Guard(this, [&] { m_owner->PanelPress(this, *event); });
}

bool TVPanel::DragOver(const TDragInfo& drag, const QPoint&, TDragState state)
{
    if (!m_owner || state == TDragState::dsDragLeave)
        return false;
    TMxStepEditor* editor = m_owner->StepEditor();
    TMxItem* target = m_owner->PanelItem();
    if (!editor || !editor->CanExchange(draggedItem(drag), target))
        return false;
    editor->Select(target);
    return true;
}

void TVPanel::DragDrop(const TDragInfo& drag, const QPoint&)
{
    if (TMxStepEditor* editor = m_owner ? m_owner->StepEditor() : nullptr)
        editor->Exchange(draggedItem(drag), m_owner->PanelItem());
}

} // namespace mx::ui
