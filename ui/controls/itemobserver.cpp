#include "itemobserver.h"

namespace mx::ui {

TItemObserver::TItemObserver(QObject* parent) : QObject(parent) {}

TItemObserver::TItemObserver(TMxItem* item, QObject* parent) : QObject(parent)
{
    Observe(item);
}

TItemObserver::~TItemObserver()
{
    Release(false);
}

void TItemObserver::Observe(TMxItem* item)
{
    if (item && item == m_item.get())
        return;
    Release(true);
    if (!item)
        return;
    m_item.reset(item);
    // The handlers only emit: a slot may destroy this observer, and nothing
    // here touches it afterwards.
    item->AddHook(this,
        [this](TMxItem* sender) { emit changed(sender); },
        [this](TMxItem* added) { emit this->added(added); },
        [this](TMxItem* gone) { emit removed(gone); });
}

void TItemObserver::Release(bool replay)
{
    TMxItem* item = m_item.get();
    m_item.reset();
    if (!item)
        return;
    if (TMxHook* hook = item->FindHook(this)) {
        if (!replay)
            hook->OnRemove = nullptr;
        hook->OnChange = nullptr;
        hook->OnAdd = nullptr;
        item->RemoveHook(this);
    }
}

} // namespace mx::ui
