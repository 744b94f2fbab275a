#pragma once
// How widgets follow engine objects. Engine items are no QObjects: they tell
// their observers through hooks (TMxHook) called synchronously. A widget
// never registers a hook itself; it owns a TItemObserver, which registers
// one on the item, re-emits each notification as a Qt signal, and removes
// the hook when it is destroyed or told to observe something else. A slot
// may destroy the observer while it handles a notification, but not while
// the observer replays removals on its way out (Release, Observe).
//
//   changed(sender)  the item (or a part of it, sender) changed
//   added(item)      an item joined the observed list
//   removed(item)    an item is leaving the observed list (still whole)
//
// Observing a list replays added() for every member already in it, first to
// last; Release() replays removed() for every member, last first, so a view
// built from the signals fills and empties itself the same way. Destroying
// the observer removes the hook without replaying anything.
//
// The observer holds the item weakly: once the item is freed, Item() is
// none and nothing touches it again. Connect the signals through
// mx::ui::Connect, so that a slot's exception reaches the error handler
// instead of the engine code that sent the notification.

#include "engine/core/item.h"

#include <QObject>

#include <memory>

namespace mx::ui {

// A pointer to an engine item that knows when the item is gone.
template <class T>
class TItemRef {
public:
    TItemRef() = default;
    TItemRef(T* item) { reset(item); }
    void reset(T* item = nullptr)
    {
        m_item = item;
        m_life = item ? item->LifeToken() : std::weak_ptr<const void>();
    }
    // The item, or none when it was never set or has been freed.
    T* get() const { return m_item && !m_life.expired() ? m_item : nullptr; }
    T* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }
    // True when an item was set and has been freed since.
    bool gone() const { return m_item && m_life.expired(); }
    // The address last set, alive or not: for comparisons only.
    const T* address() const { return m_item; }

private:
    T* m_item = nullptr;
    std::weak_ptr<const void> m_life;
};

class TItemObserver : public QObject {
    Q_OBJECT
public:
    explicit TItemObserver(QObject* parent = nullptr);
    // Observes item (none: nothing).
    explicit TItemObserver(TMxItem* item, QObject* parent = nullptr);
    ~TItemObserver() override;

    // Stops observing the former item (replaying its removals) and
    // observes this one (replaying its members' additions). The same item
    // again does nothing.
    void Observe(TMxItem* item);
    // Stops observing; a list replays removed() for its members when
    // replay is set.
    void Release(bool replay = true);

    TMxItem* Item() const { return m_item.get(); }
    template <class T>
    T* ItemAs() const { return item_cast<T>(m_item.get()); }

signals:
    void changed(mx::TMxItem* sender);
    void added(mx::TMxItem* item);
    void removed(mx::TMxItem* item);

private:
    TItemRef<TMxItem> m_item;
    bool m_releasing = false;
    bool m_replaying = false;
};

} // namespace mx::ui
