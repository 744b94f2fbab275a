#include "component.h"

#include <QHash>

namespace mx {

MX_DEFINE_CLASS(TComponent, TPersistent, nullptr)

TComponent::~TComponent()
{
    ClearChildren();
}

void TComponent::InsertChild(TComponent* child)
{
    child->m_parent = this;
    m_children.push_back(child);
}

void TComponent::ClearChildren()
{
    auto children = std::move(m_children);
    m_children.clear();
    for (TComponent* c : children)
        delete c;
}

namespace ComponentClasses {
namespace {
QHash<QString, Factory>& table()
{
    static QHash<QString, Factory> t;
    return t;
}
} // namespace

void add(const QString& className, Factory f)
{
    table().insert(className.toUpper(), std::move(f));
}

TComponent* create(const QString& className)
{
    auto it = table().constFind(className.toUpper());
    return it == table().constEnd() ? nullptr : (*it)();
}
} // namespace ComponentClasses

} // namespace mx
