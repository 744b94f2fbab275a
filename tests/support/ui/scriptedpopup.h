#pragma once
// The pop-up runner of window tests: each menu run through RunPopup takes
// the next queued step, which names the action a user would choose (by its
// object name, or by its accelerator key as typed on the open menu) or
// closes the menu without a choice. As the menu's exec() does, the menu is
// told it is about to show and to hide, and the chosen action is
// triggered before the menu's caller gets it back. A step that names no
// enabled, visible action of the menu chooses nothing and is counted in
// refused; with no step queued the menu closes and is counted in
// unexpected. Nothing waits, nothing polls.

#include "ui/services/popuprunner.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

namespace mx::ui::test {

class TScriptedPopup {
public:
    // A step's answer on the open menu: the action chosen, none to close it.
    using TAnswer = std::function<QAction*(QMenu& menu)>;

    TScriptedPopup();
    ~TScriptedPopup();
    TScriptedPopup(const TScriptedPopup&) = delete;
    TScriptedPopup& operator=(const TScriptedPopup&) = delete;

    // Queues a step choosing the action of that object name.
    TScriptedPopup& Choose(const QString& objectName);
    // Queues a step choosing the one action whose accelerator is key (the
    // "S" of "&Somme"), as typing the key on the menu does; a key shared by
    // two shown items, or held by a disabled one, chooses nothing.
    TScriptedPopup& Key(QChar key);
    // Queues a step closing the menu without a choice.
    TScriptedPopup& Dismiss();
    // Queues a step answering by its own look at the menu (none: closed).
    TScriptedPopup& Answer(TAnswer answer);

    // The object names of the menus run, in order; the object names of
    // each one's actions as it was shown; where each was asked for.
    QStringList shown;
    QList<QStringList> items;
    QList<QPoint> positions;
    int refused = 0;
    int unexpected = 0;
    int pending() const { return int(m_steps.size()); }

private:
    struct TStep {
        TAnswer answer;
        bool chooses = false; // one that finds no action is refused
    };
    TScriptedPopup& queue(TAnswer answer, bool chooses);
    QAction* run(QMenu& menu, const QPoint& globalPos);
    QList<TStep> m_steps;
    ScopedPopupRunner m_scope;
};

} // namespace mx::ui::test
