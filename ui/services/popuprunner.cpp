#include "popuprunner.h"

#include "modalrunner.h"

#include <QMenu>

#include <utility>

namespace mx::ui {

namespace {

TPopupRunner& installed()
{
    static TPopupRunner runner;
    return runner;
}

} // namespace

QAction* RunPopup(QMenu& menu, const QPoint& globalPos)
{
    // The menu's own event loop would otherwise serve another program's
    // request on the very step the menu is about to change.
    const TModalScope held;
    if (const TPopupRunner& runner = installed())
        return runner(menu, globalPos);
    return menu.exec(globalPos);
}

TPopupRunner SetPopupRunner(TPopupRunner runner)
{
    return std::exchange(installed(), std::move(runner));
}

} // namespace mx::ui
