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
    // here touches it afterwards (a removed hook is not called again).
    item->AddHook(this,
        [this](TMxItem* sender) {
            if (!m_releasing)
                emit changed(sender);
        },
        [this](TMxItem* added) {
            if (!m_releasing)
                emit this->added(added);
        },
        [this](TMxItem* gone) {
            if (!m_releasing || m_replaying)
                emit removed(gone);
        });
}

void TItemObserver::Release(bool replay)
{
    TMxItem* item = m_item.get();
    m_item.reset();
    if (!item)
        return;
    m_releasing = true;
    m_replaying = replay;
    item->RemoveHook(this);
    m_releasing = false;
    m_replaying = false;
}

} // namespace mx::ui
