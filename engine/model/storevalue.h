#pragma once
// Property writers store a value and notify only when it differs.

namespace mx {

// Stores value in field; True when it differed.
template <class T, class V>
bool StoreIfChanged(T& field, const V& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace mx
