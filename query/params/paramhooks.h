#pragma once
// Fills the engine's slots of the parameter dialogs: the parameter editor,
// the control properties, the prompter and the parameter type dialog. The
// query program calls it at start (the administration program does not:
// its slots stay empty).

namespace mx {

void RegisterParamHooks();

} // namespace mx
