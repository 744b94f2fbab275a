#include "enginebusy.h"

#include <memory>
#include <utility>
#include <vector>

namespace mx {
namespace {

int g_depth = 0;
int g_nextId = 1;

using TListener = std::pair<int, std::shared_ptr<const std::function<void()>>>;

// Never destroyed: scopes may end while the exit procedures run.
std::vector<TListener>& listeners()
{
    static auto* list = new std::vector<TListener>;
    return *list;
}

} // namespace

TEngineBusyScope::TEngineBusyScope()
{
    ++g_depth;
}

TEngineBusyScope::~TEngineBusyScope()
{
    if (--g_depth > 0)
        return;
    if (listeners().empty())
        return;
    // A listener may remove itself or another while it is called.
    const std::vector<TListener> snapshot = listeners();
    for (const auto& [id, listener] : snapshot)
        if (*listener)
            (*listener)();
}

bool EngineBusy()
{
    return g_depth > 0;
}

int AddEngineIdleListener(std::function<void()> listener)
{
    const int id = g_nextId++;
    listeners().emplace_back(id, std::make_shared<const std::function<void()>>(std::move(listener)));
    return id;
}

void RemoveEngineIdleListener(int id)
{
    auto& list = listeners();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->first == id) {
            list.erase(it);
            return;
        }
    }
}

} // namespace mx
