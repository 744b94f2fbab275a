#include "modeldialogs.h"

#include "admin/dialogs/adminhooks.h"
#include "fmconfig.h"

namespace mx::admin {

void RegisterModelDialogs()
{
    RegisterAdminDialogs();
    ConfigurationEditor.set([] { return EditConfigurationWindow(); });
}

} // namespace mx::admin
