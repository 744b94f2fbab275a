#pragma once
// The one way to own an item outside a list: TItemPtr frees it through
// Free (which tells its observers and leaves its owner list) when the
// pointer goes, on every path, an exception's included.

#include "item.h"

#include <memory>

namespace mx {

struct TItemFree {
    void operator()(TMxItem* item) const { TMxItem::Free(item); }
};

template <class T>
using TItemPtr = std::unique_ptr<T, TItemFree>;

} // namespace mx
