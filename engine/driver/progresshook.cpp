#include "progresshook.h"

#include "platform/dbengine/dbprogress.h"

namespace mx {

void SetDbProgressHook(std::function<bool()> hook)
{
    platform::SetDbProgressHook(std::move(hook));
}

bool DbStopAsked()
{
    return platform::DbStopAsked();
}

} // namespace mx
