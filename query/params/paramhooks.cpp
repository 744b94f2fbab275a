#include "paramhooks.h"

#include "paramdialogs.h"
#include "parameditor.h"
#include "paramprop.h"

#include "engine/tools/hooks.h"

namespace mx {

void RegisterParamHooks()
{
    ParamsEditorHook.set(EditParams);
    ParamControlEditorHook.set(EditParamControl);
    ParamsPrompterHook.set(PromptParams);
    ParamTypeEditorHook.set(EditParamType);
}

} // namespace mx
