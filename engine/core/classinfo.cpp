#include "classinfo.h"

#include "persistent.h"

#include <QHash>

namespace mx {

const EnumInfo& BooleanInfo()
{
    static const EnumInfo info{QStringLiteral("Boolean"), {QStringLiteral("False"), QStringLiteral("True")}};
    return info;
}

const std::vector<const PropInfo*>& ClassInfo::props() const
{
    if (!m_built) {
        m_all.clear();
        if (parent)
            m_all = parent->props();
        for (const PropInfo& p : ownProps)
            m_all.push_back(&p);
        m_built = true;
    }
    return m_all;
}

const PropInfo* ClassInfo::findProp(const QString& name) const
{
    const auto& all = props();
    for (const PropInfo* p : all)
        if (p->name == name)
            return p;
    for (const PropInfo* p : all)
        if (p->name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    return nullptr;
}

bool ClassInfo::inheritsFrom(const ClassInfo* other) const
{
    for (const ClassInfo* c = this; c; c = c->parent)
        if (c == other)
            return true;
    return false;
}

const ClassInfo* ClassInfo::listItemClass() const
{
    for (const ClassInfo* c = this; c; c = c->parent)
        if (c->itemClass)
            return c->itemClass;
    return nullptr;
}

namespace ClassRegistry {
namespace {
QHash<QString, const ClassInfo*>& table()
{
    static QHash<QString, const ClassInfo*> t;
    return t;
}
} // namespace

void add(const ClassInfo* info)
{
    table().insert(info->name.toUpper(), info);
}

const ClassInfo* find(const QString& name)
{
    return table().value(name.toUpper(), nullptr);
}
} // namespace ClassRegistry

} // namespace mx
