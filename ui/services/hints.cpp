#include "hints.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QStatusTipEvent>
#include <QWidget>

namespace mx::ui {

QString GetShortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QObject* target, const QString& hint)
{
    if (auto* w = qobject_cast<QWidget*>(target)) {
        w->setToolTip(GetShortHint(hint));
        w->setStatusTip(GetLongHint(hint));
    } else if (auto* a = qobject_cast<QAction*>(target)) {
        a->setToolTip(GetShortHint(hint));
        a->setStatusTip(GetLongHint(hint));
    }
}

void ApplyHints(QObject* root)
{
    if (!root)
        return;
    QList<QObject*> all = root->findChildren<QObject*>();
    all.prepend(root);
    for (QObject* o : all) {
        QString tip;
        if (auto* w = qobject_cast<QWidget*>(o))
            tip = w->toolTip();
        else if (auto* a = qobject_cast<QAction*>(o))
            tip = a->toolTip();
        if (tip.contains(u'|'))
            SetHint(o, tip);
    }
}

TStatusHints::TStatusHints(QWidget* window, QLabel* panel) : QObject(window), m_panel(panel)
{
    window->installEventFilter(this);
}

bool TStatusHints::eventFilter(QObject* watched, QEvent* event)
{
    // Status tips travel up from the widget under the mouse to its window.
    if (event->type() == QEvent::StatusTip && m_panel) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (!tip.startsWith(u'*'))
            m_panel->setText(tip.isEmpty() ? QString() : u' ' + tip);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mx::ui
