#pragma once
// The end of the engine, in the one order that never runs code of an
// unloaded library: the settings of every query destination are freed
// through their drivers, the destination types drop their drivers, the
// definition lists go, then the database driver, then the plug-in
// libraries. Safe to call more than once; nothing here throws.

namespace mx {

void ShutdownEngine() noexcept;

// Arranges for ShutdownEngine to run with the exit procedures.
void RegisterEngineShutdown();

} // namespace mx
