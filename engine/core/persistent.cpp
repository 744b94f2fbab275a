#include "persistent.h"

#include "exceptions.h"

namespace mx {

const ClassInfo& TPersistent::staticClass()
{
    static const ClassInfo info = [] {
        ClassInfo i;
        i.name = QStringLiteral("TPersistent");
        return i;
    }();
    return info;
}

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError(QStringLiteral("Cannot assign a nil to a %1").arg(className()));
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(className(), dest ? dest->className() : QStringLiteral("nil")));
}

void TPersistent::DefineProperties(TFiler&) {}

} // namespace mx
