#include "modeldialogs.h"

#include "adminhooks.h"
#include "fmconfig.h"

namespace mx::admin {

void RegisterModelDialogs()
{
    RegisterAdminDialogs();
    ConfigurationEditor.set([] { return EditConfigurationWindow(); });
}

} // namespace mx::admin
