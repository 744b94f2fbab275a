#pragma once
// TMxItem, the base of every engine object, and its observers.
//
// Lifetime: an item is freed through Free(), which runs Destroying and the
// owner's Remove while the object is whole, then deletes it. Owners are held
// weakly: an item whose owner is gone never calls it.

#include "persistent.h"
#include "hookslot.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace mx {

class TMxItem;
class TMxList;
class TMxFile;
class TMxReader;
class TMxWriter;
class TStrings;

using TNotifyItem = std::function<void(TMxItem*)>;

// One observer of an item.
struct TMxHook {
    TMxItem* Item = nullptr;
    const void* Client = nullptr;
    TNotifyItem OnChange;
    TNotifyItem OnAdd;
    TNotifyItem OnRemove;
    bool removed = false;
};

enum TMxItemState : std::uint8_t { stDestroying = 1, stRemoving = 2, stLoading = 4, stSaving = 8 };

class TMxItem : public TPersistent {
    MX_CLASS(TMxItem)
public:
    explicit TMxItem(TMxItem* owner);
    ~TMxItem() override;
    TMxItem(const TMxItem&) = delete;
    TMxItem& operator=(const TMxItem&) = delete;

    // Frees an item (nullptr is accepted). The one way to destroy an item.
    void Free();
    static void Free(TMxItem* item)
    {
        if (item)
            item->Free();
    }

    int Id() const { return m_id; }
    void SetId(int id) { m_id = id; }
    QString Name() const { return GetName(); }

    TMxItem* Owner() const; // none when the owner is gone
    TMxList* OwnerList() const;
    int GetIndex() const;
    std::uint8_t State() const { return m_state; }
    bool HasState(TMxItemState s) const { return m_state & s; }
    void SetState(TMxItemState s, bool on)
    {
        m_state = on ? (m_state | s) : (m_state & ~s);
    }

    // Observers
    TMxHook* AddHook(const void* client, TNotifyItem onChange, TNotifyItem onAdd = {}, TNotifyItem onRemove = {});
    // A hook of this item is returned as is; otherwise the first hook of
    // that client. Raises "No hooks defined for %s" when asked to.
    TMxHook* FindHook(const void* client, bool raiseIfMissing = false) const;
    void RemoveHook(const void* client);
    int HookCount() const;

    void Change() { Changed(this); }

    // Expires when the item is gone. Whoever may outlive an item it shows
    // (a window over a result, an observer) keeps one and asks it before
    // touching the item.
    std::weak_ptr<const void> LifeToken() const { return aliveToken(); }

    // Virtual operations, in the order of the original slot table.
    virtual void Changed(TMxItem* sender);
    virtual void NotifyRemove(TMxItem* item);
    virtual void NotifyAdd(TMxItem* item);
    virtual void HookAdded(TMxHook* hook);
    virtual void HookRemoved(TMxHook* hook);
    virtual QString GetName() const { return m_name; }
    virtual void SetName(const QString& value);
    virtual void Destroying();
    // The virtual constructor: an item of this item's class.
    TMxItem* Create(TMxItem* owner) const;
    virtual TMxItem* Clone(TMxItem* newOwner) const;
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual QString GetDebugText() const { return {}; }
    virtual void LoadFromVariant(const QByteArray& bytes);
    virtual void LoadFromFile(const QString& fileName);
    virtual void SaveToFile(const QString& fileName);
    virtual void ReadComponent(TMxReader& reader);
    virtual void WriteComponent(TMxWriter& writer);
    virtual void ReadItems(TMxReader& reader);
    virtual void WriteItems(TMxWriter& writer);
    virtual QString GetTagName() const;
    virtual QString GetDisplayName() const { return GetName(); }

    void Assign(const TPersistent* source) override;

    bool IsUpdating() const { return m_updateCount > 0; }
    int UpdateCount() const { return m_updateCount; }

    // Reads this item from a stream of the object file format.
    void LoadFromStream(const QByteArray& data);
    QByteArray SaveToBytes(); // the plain stream, unscrambled

protected:
    // Runs while the object is whole, before the destructor: lists free
    // their items here.
    virtual void BeforeDestruction() {}
    QString m_name;

private:
    friend class TMxList;
    friend class TMxItemManager;
    friend struct ItemManagerAccess;
    std::shared_ptr<char> aliveToken() const;
    void dropHooks();
    std::vector<std::shared_ptr<TMxHook>> hookSnapshot() const;

    int m_id = 0;
    std::uint8_t m_state = 0;
    std::uint8_t m_updateCount = 0;
    bool m_freeing = false;
    bool m_detached = false;
    TMxItem* m_owner = nullptr;
    std::weak_ptr<char> m_ownerAlive;
    mutable std::shared_ptr<char> m_alive;
    std::unique_ptr<std::vector<std::shared_ptr<TMxHook>>> m_hooks;
    // item manager links, creation order
    TMxItem* m_prevLive = nullptr;
    TMxItem* m_nextLive = nullptr;
};

// The process-wide register of live items, in creation order.
class TMxItemManager {
public:
    qsizetype Count() const { return m_count; }
    TMxItem* First() const { return m_first; }
    static TMxItem* Next(const TMxItem* item);

private:
    friend struct ItemManagerAccess;
    TMxItem* m_first = nullptr;
    TMxItem* m_last = nullptr;
    qsizetype m_count = 0;
};
TMxItemManager& ItemManager();

// Helper for owner-typed access.
template <class T>
T* item_cast(TMxItem* item)
{
    return dynamic_cast<T*>(item);
}
template <class T>
const T* item_cast(const TMxItem* item)
{
    return dynamic_cast<const T*>(item);
}

} // namespace mx
