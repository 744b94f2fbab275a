#pragma once
// Ownership helpers for items that hold other items (a table holds its
// field list, a set its calculated fields): the child is created with the
// holder as owner and freed through Free when the holder goes.

#include "engine/core/itemptr.h"

namespace mx {

// A child item made and freed by its holder.
template <class T>
class TOwned {
public:
    explicit TOwned(TMxItem* owner) : m_item(new T(owner)) {}
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;

    T* get() const { return m_item.get(); }
    T* operator->() const { return m_item.get(); }
    T& operator*() const { return *m_item; }

private:
    TItemPtr<T> m_item;
};

} // namespace mx
