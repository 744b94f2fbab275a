#pragma once
// Helpers of the data model tests: dialects and stream round trips.

#include "engine/core/sqlsyntax.h"
#include "engine/model/ownedchild.h"

#include <gtest/gtest.h>

namespace mxtest {

inline mx::TSQLSyntaxProperties Dialect(mx::TSetSQLCapabilities caps = 0, const QString& fieldQuoter = {},
    const QString& constantQuoter = QStringLiteral("'"))
{
    mx::TSQLSyntaxProperties s;
    s.Capabilities = caps;
    s.FieldQuoter = fieldQuoter;
    s.ConstantQuoter = constantQuoter;
    return s;
}

// Writes an item as an object stream and reads it into a new item of the
// same class.
template <class T>
mx::TItemPtr<T> RoundTrip(T* item)
{
    const QByteArray bytes = item->SaveToBytes();
    mx::TItemPtr<T> copy(new T(nullptr));
    copy->LoadFromStream(bytes);
    return copy;
}

} // namespace mxtest
