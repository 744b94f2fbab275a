#include "mrumenu.h"

#include "engine/errors/errorhandler.h"
#include "engine/settings/mru.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include <map>

namespace mx::ui {
namespace {

struct Binding {
    QPointer<QMenu> menu;
    std::function<void(const QString&)> onOpen;
};

std::map<const TMRU*, Binding>& bindings()
{
    static auto* b = new std::map<const TMRU*, Binding>;
    return *b;
}

void rebuild(TMRU* mru)
{
    auto it = bindings().find(mru);
    if (it == bindings().end())
        return;
    QMenu* menu = it->second.menu;
    if (!menu)
        return;
    const QList<QAction*> actions = menu->actions();
    for (auto a = actions.rbegin(); a != actions.rend(); ++a) {
        if ((*a)->property(kMRUEntryProperty).toBool()) {
            menu->removeAction(*a);
            delete *a;
        }
    }
    const int fixed = int(menu->actions().size());
    menu->menuAction()->setEnabled(mru->Count() + fixed > 0);
    const QList<TMRUMenuEntry> entries = mru->MenuEntries();
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        auto* a = new QAction(e->caption, menu);
        a->setProperty(kMRUEntryProperty, true);
        a->setStatusTip(e->hint);
        a->setToolTip(e->hint);
        a->setData(e->fileName);
        const QString file = e->fileName;
        auto onOpen = it->second.onOpen;
        QObject::connect(a, &QAction::triggered, a, [a, file, onOpen] {
            if (onOpen)
                Guard(a, [&] { onOpen(file); });
        });
        const QList<QAction*> now = menu->actions();
        menu->insertAction(now.isEmpty() ? nullptr : now.first(), a);
    }
}

} // namespace

void BindMRUMenu(TMRU* mru, QMenu* menu, std::function<void(const QString&)> onOpen)
{
    if (!mru)
        return;
    if (!menu) {
        bindings().erase(mru);
        mru->MenuItem = nullptr;
        mru->OnChange = nullptr;
        return;
    }
    bindings()[mru] = Binding{menu, std::move(onOpen)};
    mru->MenuItem = menu;
    mru->OnChange = [](TMRU* l) { MRUChanged(l); };
    MRUChanged(mru);
}

void MRUChanged(TMRU* mru)
{
    if (mru)
        rebuild(mru);
}

} // namespace mx::ui
