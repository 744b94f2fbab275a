#include "item.h"

#include "exceptions.h"
#include "format.h"
#include "itemptr.h"
#include "list.h"

#include <limits>

namespace mx {

struct ItemManagerAccess {
    static void join(TMxItem* item)
    {
        TMxItemManager& m = ItemManager();
        item->m_prevLive = m.m_last;
        if (m.m_last)
            m.m_last->m_nextLive = item;
        else
            m.m_first = item;
        m.m_last = item;
        ++m.m_count;
    }
    static void leave(TMxItem* item)
    {
        TMxItemManager& m = ItemManager();
        if (item->m_prevLive)
            item->m_prevLive->m_nextLive = item->m_nextLive;
        else
            m.m_first = item->m_nextLive;
        if (item->m_nextLive)
            item->m_nextLive->m_prevLive = item->m_prevLive;
        else
            m.m_last = item->m_prevLive;
        --m.m_count;
    }
};

TMxItemManager& ItemManager()
{
    static TMxItemManager manager;
    return manager;
}

TMxItem* TMxItemManager::Next(const TMxItem* item)
{
    return item ? item->m_nextLive : nullptr;
}

static void describeItem(ClassBuilder<TMxItem>& c)
{
    c.integer(QStringLiteral("Id"), &TMxItem::Id, &TMxItem::SetId, 0);
    c.string(QStringLiteral("Name"), &TMxItem::GetName, &TMxItem::SetName);
}
MX_DEFINE_CLASS(TMxItem, TPersistent, describeItem)

TMxItem::TMxItem(TMxItem* owner) : m_owner(owner)
{
    ItemManagerAccess::join(this);
    if (owner) {
        m_ownerAlive = owner->aliveToken();
        if (auto* list = dynamic_cast<TMxList*>(owner))
            list->m_items.push_back(this);
    }
}

TMxItem::~TMxItem()
{
    // Deleted without Free (a constructor that threw, or a direct delete):
    // leave the owner list quietly so it never holds a dangling pointer.
    if (!m_detached) {
        if (TMxList* list = OwnerList())
            list->detach(this);
    }
    dropHooks();
    m_alive.reset();
    ItemManagerAccess::leave(this);
}

void TMxItem::Free()
{
    if (m_freeing)
        return;
    m_freeing = true;
    // No exception leaves here: a failing observer must not stop the free.
    try {
        Destroying();
        BeforeDestruction();
    } catch (...) {
    }
    if (TMxList* list = OwnerList()) {
        try {
            list->Remove(this);
        } catch (...) {
            list->detach(this);
        }
    }
    m_detached = true;
    delete this;
}

std::shared_ptr<char> TMxItem::aliveToken() const
{
    if (!m_alive)
        m_alive = std::make_shared<char>(0);
    return m_alive;
}

TMxItem* TMxItem::Owner() const
{
    return (m_owner && !m_ownerAlive.expired()) ? m_owner : nullptr;
}

TMxList* TMxItem::OwnerList() const
{
    return dynamic_cast<TMxList*>(Owner());
}

int TMxItem::GetIndex() const
{
    TMxList* list = OwnerList();
    return list ? list->IndexOf(this) : -1;
}

TMxHook* TMxItem::AddHook(const void* client, TNotifyItem onChange, TNotifyItem onAdd, TNotifyItem onRemove)
{
    auto hook = std::make_shared<TMxHook>();
    hook->Item = this;
    hook->Client = client;
    hook->OnChange = std::move(onChange);
    hook->OnAdd = std::move(onAdd);
    hook->OnRemove = std::move(onRemove);
    if (!m_hooks)
        m_hooks = std::make_unique<std::vector<std::shared_ptr<TMxHook>>>();
    m_hooks->push_back(hook);
    HookAdded(hook.get());
    return hook.get();
}

TMxHook* TMxItem::FindHook(const void* client, bool raiseIfMissing) const
{
    if (m_hooks) {
        // A hook of this item stands for itself; a hook of another item is
        // only a client like any other.
        for (const auto& h : *m_hooks)
            if (h.get() == client)
                return h.get();
        for (const auto& h : *m_hooks)
            if (h->Client == client)
                return h.get();
    }
    if (raiseIfMissing)
        throw Exception(Format(QStringLiteral("No hooks defined for %s"), {GetTagName()}));
    return nullptr;
}

void TMxItem::RemoveHook(const void* client)
{
    TMxHook* hook = FindHook(client, false);
    if (!hook)
        return;
    // keep it alive while HookRemoved replays removals through it
    std::shared_ptr<TMxHook> keep;
    for (const auto& h : *m_hooks)
        if (h.get() == hook)
            keep = h;
    HookRemoved(hook);
    keep->removed = true;
    if (!m_hooks)
        return;
    auto& v = *m_hooks;
    for (auto it = v.begin(); it != v.end(); ++it)
        if (it->get() == hook) {
            v.erase(it);
            break;
        }
    if (v.empty())
        m_hooks.reset();
}

int TMxItem::HookCount() const
{
    return m_hooks ? int(m_hooks->size()) : 0;
}

std::vector<std::shared_ptr<TMxHook>> TMxItem::hookSnapshot() const
{
    return m_hooks ? *m_hooks : std::vector<std::shared_ptr<TMxHook>>();
}

void TMxItem::dropHooks()
{
    if (!m_hooks)
        return;
    for (const auto& h : *m_hooks)
        h->removed = true;
    m_hooks.reset();
}

void TMxItem::Changed(TMxItem* sender)
{
    if (!m_hooks)
        return;
    for (const auto& h : hookSnapshot())
        if (!h->removed && h->OnChange)
            h->OnChange(sender);
}

void TMxItem::NotifyAdd(TMxItem* item)
{
    if (!m_hooks)
        return;
    for (const auto& h : hookSnapshot())
        if (!h->removed && h->OnAdd)
            h->OnAdd(item);
}

void TMxItem::NotifyRemove(TMxItem* item)
{
    if (!m_hooks)
        return;
    const auto snap = hookSnapshot();
    for (auto it = snap.rbegin(); it != snap.rend(); ++it)
        if (!(*it)->removed && (*it)->OnRemove)
            (*it)->OnRemove(item);
}

void TMxItem::HookAdded(TMxHook*) {}
void TMxItem::HookRemoved(TMxHook*) {}

void TMxItem::SetName(const QString& value)
{
    if (value == m_name)
        return;
    m_name = value;
    Change();
}

void TMxItem::Destroying()
{
    SetState(stDestroying, true);
}

TMxItem* TMxItem::Create(TMxItem* owner) const
{
    const ClassInfo* info = classInfo();
    if (!info->factory)
        throw EMxInternal(QStringLiteral("Cannot create an item of class %1").arg(info->name));
    return info->factory(owner);
}

TMxItem* TMxItem::Clone(TMxItem* newOwner) const
{
    TItemPtr<TMxItem> clone(Create(newOwner));
    if (auto* list = dynamic_cast<TMxList*>(newOwner))
        list->NotifyAdd(clone.get());
    clone->Assign(this);
    return clone.release();
}

void TMxItem::BeginUpdate()
{
    if (m_updateCount == std::numeric_limits<decltype(m_updateCount)>::max())
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    ++m_updateCount;
}

void TMxItem::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0)
        Change();
}

QString TMxItem::GetTagName() const
{
    // class name, Id and name, as "%s%d-%s" would give them
    return className() + QString::number(Id()) + u'-' + GetName();
}

void TMxItem::Assign(const TPersistent* source)
{
    if (!source)
        throw Exception(Format(QStringLiteral("Cannot assign NIL to %s"), {className()}));
    auto* item = dynamic_cast<const TMxItem*>(source);
    if (!item)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    SetId(item->Id());
    SetName(item->GetName());
}

} // namespace mx
