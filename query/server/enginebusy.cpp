#include "enginebusy.h"

#include <utility>
#include <vector>

namespace mx {
namespace {

int g_depth = 0;
int g_nextId = 1;

std::vector<std::pair<int, std::function<void()>>>& listeners()
{
    static std::vector<std::pair<int, std::function<void()>>> list;
    return list;
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
    // A listener may remove itself or another while it is called.
    const auto snapshot = listeners();
    for (const auto& [id, listener] : snapshot)
        if (listener)
            listener();
}

bool EngineBusy()
{
    return g_depth > 0;
}

int AddEngineIdleListener(std::function<void()> listener)
{
    const int id = g_nextId++;
    listeners().emplace_back(id, std::move(listener));
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
