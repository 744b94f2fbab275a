#include "list.h"

#include "exceptions.h"
#include "format.h"
#include "strings.h"

#include "platform/core/cp1252.h"

namespace mx {

bool CaseSensitiveNames = true;

MX_DEFINE_CLASS(TMxList, TMxItem, nullptr)

TMxList::TMxList(TMxItem* owner) : TMxItem(owner) {}

TMxList::~TMxList()
{
    // Normally emptied by BeforeDestruction; a list deleted directly still
    // frees what it owns.
    if (!m_items.empty()) {
        if (m_ownsItems) {
            while (!m_items.empty()) {
                TMxItem* item = m_items.back();
                m_items.pop_back();
                item->Free();
            }
        }
        m_items.clear();
    }
}

void TMxList::BeforeDestruction()
{
    Destroying();
    Clear();
}

const ClassInfo* TMxList::ItemClass() const
{
    const ClassInfo* c = classInfo()->listItemClass();
    return c ? c : &TMxItem::staticClass();
}

TMxItem* TMxList::Items(int index) const
{
    if (index < 0 || index >= Count())
        RaiseListIndexError(index);
    return m_items[size_t(index)];
}

TMxItem* TMxList::Last() const
{
    if (m_items.empty())
        RaiseListIndexError(-1);
    return m_items.back();
}

TMxItem* TMxList::AddNew()
{
    const ClassInfo* c = ItemClass();
    if (!c->factory)
        throw EMxInternal(QStringLiteral("Cannot create an item of class %1").arg(c->name));
    TMxItem* item = c->factory(this);
    item->SetId(Count());
    NotifyAdd(item);
    return item;
}

int TMxList::AddItem(TMxItem* item)
{
    m_items.push_back(item);
    return Count() - 1;
}

void TMxList::AddUnique(TMxItem* item)
{
    if (IndexOf(item) < 0)
        AddItem(item);
}

void TMxList::Insert(int index, TMxItem* item)
{
    if (index < 0 || index > Count())
        RaiseListIndexError(index);
    m_items.insert(m_items.begin() + index, item);
    NotifyAdd(item);
}

int TMxList::IndexOf(const TMxItem* item) const
{
    // from the end: removals during Clear and Free are of the last items
    for (size_t i = m_items.size(); i-- > 0;)
        if (m_items[i] == item)
            return int(i);
    return -1;
}

void TMxList::detach(TMxItem* item)
{
    const int i = IndexOf(item);
    if (i >= 0)
        m_items.erase(m_items.begin() + i);
}

void TMxList::Remove(TMxItem* item)
{
    SetState(stRemoving, true);
    ++m_removingDepth;
    struct Restore {
        TMxList* l;
        ~Restore()
        {
            if (--l->m_removingDepth == 0)
                l->SetState(stRemoving, false);
        }
    } restore{this};
    // the handlers may free this list; keep its items until the end
    NotifyRemove(item);
    detach(item);
}

void TMxList::Delete(int index)
{
    Remove(Items(index));
}

void TMxList::Exchange(int i, int j)
{
    if (i < 0 || i >= Count())
        RaiseListIndexError(i);
    if (j < 0 || j >= Count())
        RaiseListIndexError(j);
    std::swap(m_items[size_t(i)], m_items[size_t(j)]);
    Change();
}

void TMxList::Clear()
{
    if (m_ownsItems) {
        const bool wasDestroying = HasState(stDestroying);
        try {
            Destroying();
        } catch (...) {
        }
        // by index from the end: an item owned elsewhere does not leave
        // this list when freed, so "while not empty" could loop for ever
        for (int i = Count() - 1; i >= 0; --i) {
            if (i >= Count())
                continue;
            TMxItem* item = m_items[size_t(i)];
            try {
                item->Free();
            } catch (...) {
            }
        }
        SetState(stDestroying, wasDestroying);
    }
    m_items.clear();
}

void TMxList::Sort()
{
    const int n = Count();
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                if (cp1252::compareBytes(m_items[size_t(i)]->GetDisplayName(), m_items[size_t(j)]->GetDisplayName()) > 0) {
                    std::swap(m_items[size_t(i)], m_items[size_t(j)]);
                    swapped = true;
                }
    }
}

TMxItem* TMxList::FindById(int id) const
{
    for (TMxItem* item : m_items)
        if (item && item->Id() == id)
            return item;
    return nullptr;
}

TMxItem* TMxList::FindByName(const QString& name, Qt::CaseSensitivity cs) const
{
    for (TMxItem* item : m_items)
        if (item && item->GetName().compare(name, cs) == 0)
            return item;
    return nullptr;
}

TMxItem* TMxList::EnsureId(int id)
{
    if (TMxItem* found = FindById(id))
        return found;
    const ClassInfo* c = ItemClass();
    if (!c->factory)
        throw EMxInternal(QStringLiteral("Cannot create an item of class %1").arg(c->name));
    TMxItem* item = c->factory(this);
    item->SetId(id);
    return item;
}

int TMxList::NextId() const
{
    int highest = 0;
    for (TMxItem* item : m_items)
        if (item && item->Id() > highest)
            highest = item->Id();
    return highest + 1;
}

void TMxList::ForEach(const std::function<void(TMxItem*)>& method) const
{
    if (!method)
        return;
    const auto copy = m_items;
    for (TMxItem* item : copy)
        method(item);
}

void TMxList::FillStrings(TStrings& strings, const std::function<void(TMxItem*, void*&)>& onItem) const
{
    strings.Clear();
    for (TMxItem* item : m_items) {
        void* obj = item;
        if (onItem)
            onItem(item, obj);
        strings.AddObject(item->GetName(), obj);
    }
}

void TMxList::AssignTo(TPersistent* dest) const
{
    if (auto* strings = dynamic_cast<TStrings*>(dest)) {
        strings->BeginUpdate();
        strings->Clear();
        for (TMxItem* item : m_items)
            strings->AddObject(item->GetName(), item);
        strings->EndUpdate();
        return;
    }
    throw EConvertError(QStringLiteral("TMxList can not assign to ") + (dest ? dest->className() : QStringLiteral("nil")));
}

void TMxList::Assign(const TPersistent* source)
{
    if (source == this) {
        Change(); // clearing first would lose every item
        return;
    }
    TMxItem::Assign(source);
    auto* from = dynamic_cast<const TMxList*>(source);
    Clear();
    if (from) {
        const auto items = from->m_items;
        for (TMxItem* item : items) {
            if (m_ownsItems)
                item->Clone(this);
            else
                AddItem(item);
        }
    }
    Change();
}

void TMxList::HookAdded(TMxHook* hook)
{
    if (!hook->OnAdd)
        return;
    const auto items = m_items;
    for (TMxItem* item : items)
        if (!hook->removed)
            hook->OnAdd(item);
}

void TMxList::HookRemoved(TMxHook* hook)
{
    if (!hook->OnRemove)
        return;
    const auto items = m_items;
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        hook->OnRemove(*it);
}

void TMxList::Destroying()
{
    if (HasState(stDestroying))
        return;
    if (m_ownsItems)
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
            (*it)->Destroying();
    TMxItem::Destroying();
}

void TMxList::BeginUpdate()
{
    TMxItem::BeginUpdate();
    if (m_ownsItems)
        for (TMxItem* item : m_items)
            item->BeginUpdate();
}

void TMxList::EndUpdate()
{
    if (m_ownsItems)
        for (TMxItem* item : m_items)
            item->EndUpdate();
    TMxItem::EndUpdate();
}

} // namespace mx
