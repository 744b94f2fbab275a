#include "scriptedpopup.h"
#include "screentexts.h"

#include <QAction>
#include <QMenu>

namespace mx::ui::test {

namespace {

bool choosable(const QMenu& menu, const QAction* action)
{
    return action && menu.actions().contains(action) && action->isEnabled() && action->isVisible() && !action->isSeparator()
        && !action->menu();
}

} // namespace

TScriptedPopup::TScriptedPopup() : m_scope([this](QMenu& menu, const QPoint& globalPos) { return run(menu, globalPos); }) {}

TScriptedPopup::~TScriptedPopup() = default;

TScriptedPopup& TScriptedPopup::Choose(const QString& objectName)
{
    return queue(
        [objectName](QMenu& menu) -> QAction* {
            for (QAction* a : menu.actions())
                if (a->objectName() == objectName)
                    return a;
            return nullptr;
        },
        true);
}

TScriptedPopup& TScriptedPopup::Key(QChar key)
{
    return queue(
        [key](QMenu& menu) -> QAction* {
            QAction* found = nullptr;
            // A disabled item still takes its share of the key: two items
            // sharing it choose neither.
            for (QAction* a : menu.actions()) {
                if (!a->isVisible() || a->isSeparator() || mxtest::Mnemonic(a->text()) != key.toCaseFolded())
                    continue;
                if (found)
                    return nullptr;
                found = a;
            }
            return found;
        },
        true);
}

TScriptedPopup& TScriptedPopup::Dismiss()
{
    return queue([](QMenu&) -> QAction* { return nullptr; }, false);
}

TScriptedPopup& TScriptedPopup::Answer(TAnswer answer)
{
    return queue(std::move(answer), false);
}

TScriptedPopup& TScriptedPopup::queue(TAnswer answer, bool chooses)
{
    m_steps.append({std::move(answer), chooses});
    return *this;
}

QAction* TScriptedPopup::run(QMenu& menu, const QPoint& globalPos)
{
    emit menu.aboutToShow();
    shown.append(menu.objectName());
    QStringList names;
    for (const QAction* a : menu.actions())
        names << a->objectName();
    items.append(names);
    positions.append(globalPos);
    QAction* chosen = nullptr;
    if (m_steps.isEmpty()) {
        ++unexpected;
    } else {
        const TStep step = m_steps.takeFirst();
        chosen = step.answer(menu);
        if (chosen ? !choosable(menu, chosen) : step.chooses) {
            ++refused;
            chosen = nullptr;
        }
    }
    emit menu.aboutToHide();
    if (chosen)
        chosen->trigger();
    return chosen;
}

} // namespace mx::ui::test
