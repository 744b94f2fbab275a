#pragma once
// SIGTERM, SIGINT and SIGHUP close the designer windows as the user would
// (once the event loop runs), instead of killing the program with its
// settings unsaved. Installed by the designer's start.

namespace mx {

void InstallEndSignals();

} // namespace mx
