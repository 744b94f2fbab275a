#include "dragmanager.h"

#include "engine/errors/errorhandler.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

namespace mx::ui {

TDragManager& TDragManager::Instance()
{
    // Lives to the end of the process; made after the application object.
    static TDragManager* manager = new TDragManager;
    return *manager;
}

void TDragManager::BeginDrag(QWidget* source, const QVariant& data, bool immediate)
{
    BeginDrag(source, data, immediate, QCursor::pos());
}

void TDragManager::BeginDrag(QWidget* source, const QVariant& data, bool immediate, const QPoint& globalPos)
{
    if (m_state != Idle)
        CancelDrag();
    if (!source)
        return;
    m_drag = {source, data};
    m_source = source;
    m_start = globalPos;
    m_lastPos = globalPos;
    m_state = Waiting;
    qApp->installEventFilter(this);
    if (immediate) {
        m_state = Running;
        emit DragStarted(source);
        moveTo(globalPos);
    }
}

void TDragManager::CancelDrag()
{
    if (m_state == Idle)
        return;
    finish(nullptr, QPoint());
}

void TDragManager::SetTarget(QWidget* widget, TDragTarget* target)
{
    for (int i = int(m_registered.size()) - 1; i >= 0; --i)
        if (!m_registered[i].first || m_registered[i].first == widget)
            m_registered.removeAt(i);
    if (widget && target)
        m_registered.append({widget, target});
}

TDragTarget* TDragManager::targetOf(QWidget* widget) const
{
    for (const auto& r : m_registered)
        if (r.first == widget)
            return r.second;
    return dynamic_cast<TDragTarget*>(widget);
}

QWidget* TDragManager::targetAt(const QPoint& globalPos, TDragTarget** answer) const
{
    *answer = nullptr;
    if (!m_source)
        return nullptr;
    // Drags stay inside the source's window.
    QWidget* window = m_source->window();
    const QPoint local = window->mapFromGlobal(globalPos);
    if (!window->rect().contains(local))
        return nullptr;
    QWidget* w = window->childAt(local);
    if (!w)
        w = window;
    for (; w; w = w->parentWidget()) {
        if (TDragTarget* t = targetOf(w)) {
            *answer = t;
            return w;
        }
        if (w == window)
            break;
    }
    return nullptr;
}

void TDragManager::leaveTarget()
{
    if (m_target && m_targetAnswer) {
        QWidget* target = m_target;
        m_targetAnswer->DragOver(m_drag, target->mapFromGlobal(m_lastPos), TDragState::dsDragLeave);
    }
    m_target = nullptr;
    m_targetAnswer = nullptr;
    m_accepted = false;
}

void TDragManager::moveTo(const QPoint& globalPos)
{
    TDragTarget* answer = nullptr;
    m_lastPos = globalPos;
    QWidget* target = targetAt(globalPos, &answer);
    if (target != m_target || answer != m_targetAnswer) {
        leaveTarget();
        m_target = target;
        m_targetAnswer = answer;
        if (target)
            m_accepted = answer->DragOver(m_drag, target->mapFromGlobal(globalPos), TDragState::dsDragEnter);
    } else if (target) {
        m_accepted = answer->DragOver(m_drag, target->mapFromGlobal(globalPos), TDragState::dsDragMove);
    }
    // The source may have gone while the target answered.
    if (m_state == Running)
        setCursor(m_target && m_accepted);
}

void TDragManager::dropAt(const QPoint& globalPos)
{
    moveTo(globalPos);
    if (m_state != Running)
        return;
    QWidget* target = m_target;
    TDragTarget* answer = m_targetAnswer;
    if (!target || !answer || !m_accepted) {
        finish(nullptr, QPoint());
        return;
    }
    const QPoint pos = target->mapFromGlobal(globalPos);
    const TDragInfo drag = m_drag;
    // The drag is over before the drop runs: the drop may open a window,
    // start another drag or raise.
    m_target = nullptr;
    m_targetAnswer = nullptr;
    finish(target, pos);
    answer->DragDrop(drag, pos);
}

void TDragManager::finish(QWidget* target, const QPoint& pos)
{
    if (!target)
        leaveTarget();
    QWidget* source = m_source;
    m_state = Idle;
    m_source = nullptr;
    m_target = nullptr;
    m_targetAnswer = nullptr;
    m_accepted = false;
    m_drag = {};
    qApp->removeEventFilter(this);
    if (m_cursorSet) {
        QApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
    emit DragEnded(source, target, pos);
}

void TDragManager::setCursor(bool accepted)
{
    const QCursor cursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    if (m_cursorSet)
        QApplication::changeOverrideCursor(cursor);
    else
        QApplication::setOverrideCursor(cursor);
    m_cursorSet = true;
}

bool TDragManager::eventFilter(QObject* watched, QEvent* event)
{
    if (m_state == Idle)
        return QObject::eventFilter(watched, event);
    // Mouse events reach the filter once for each widget they propagate
    // to; only the first delivery, to a widget, counts.
    switch (event->type()) {
    case QEvent::MouseMove: {
        if (!watched->isWidgetType())
            return false;
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint global = me->globalPosition().toPoint();
        if (!m_source) {
            CancelDrag();
            return false;
        }
        if (m_state == Waiting) {
            if ((global - m_start).manhattanLength() < QApplication::startDragDistance())
                return false;
            m_state = Running;
            emit DragStarted(m_source);
            if (m_state != Running)
                return true;
        }
        if (!Guard(this, [&] { moveTo(global); }))
            CancelDrag();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!watched->isWidgetType())
            return false;
        auto* me = static_cast<QMouseEvent*>(event);
        if (m_state == Waiting) {
            // A click, not a drag: the source handles the release itself.
            CancelDrag();
            return false;
        }
        const QPoint global = me->globalPosition().toPoint();
        if (!Guard(this, [&] { dropAt(global); }))
            CancelDrag();
        return true;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape)
            return false;
        event->accept();
        if (event->type() == QEvent::KeyPress)
            CancelDrag();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace mx::ui
