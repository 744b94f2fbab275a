#include "designerregistry.h"

#include "engine/query/query.h"

namespace mx {

void TDesignerRegistry::Add(TServedDesigner* designer)
{
    if (designer && !m_designers.contains(designer))
        m_designers.append(designer);
}

void TDesignerRegistry::Remove(TServedDesigner* designer)
{
    m_designers.removeAll(designer);
}

TServedDesigner* TDesignerRegistry::FindByQueryName(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    for (TServedDesigner* designer : m_designers) {
        const TMxQuery* query = designer->DesignerQuery();
        if (query && query->GetName().compare(name, Qt::CaseInsensitive) == 0)
            return designer;
    }
    return nullptr;
}

TServedDesigner* TDesignerRegistry::FindEmpty() const
{
    for (TServedDesigner* designer : m_designers)
        if (!designer->DesignerQuery())
            return designer;
    return nullptr;
}

TDesignerRegistry& DesignerRegistry()
{
    // Never destroyed: windows may leave it while the exit procedures run.
    static auto* registry = new TDesignerRegistry;
    return *registry;
}

TDesignerRegistration::TDesignerRegistration(TServedDesigner* designer, TDesignerRegistry& registry)
    : m_designer(designer)
    , m_registry(registry)
{
    m_registry.Add(designer);
}

TDesignerRegistration::~TDesignerRegistration()
{
    m_registry.Remove(m_designer);
}

} // namespace mx
