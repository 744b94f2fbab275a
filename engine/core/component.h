#pragma once
// A component: a named persistent object that may hold child components
// (a window control holds its child controls). Engine objects that hold a
// component (a step's report) stream it as a child record.

#include "persistent.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace mx {

class TComponent : public TPersistent {
    MX_CLASS(TComponent)
public:
    TComponent() = default;
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const QString& ComponentName() const { return m_componentName; }
    void SetComponentName(const QString& n) { m_componentName = n; }

    // Window controls stream the child controls whose parent they are.
    virtual bool IsWindowControl() const { return false; }
    TComponent* Parent() const { return m_parent; }
    void InsertChild(TComponent* child); // takes ownership
    const std::vector<TComponent*>& Children() const { return m_children; }
    void ClearChildren();

private:
    QString m_componentName;
    TComponent* m_parent = nullptr;
    std::vector<TComponent*> m_children;
};

// Child components are created by class name; the user-interface layers
// register the classes they stream.
namespace ComponentClasses {
using Factory = std::function<TComponent*()>;
void add(const QString& className, Factory f);
TComponent* create(const QString& className); // none when unknown
} // namespace ComponentClasses

} // namespace mx
