#pragma once
// The installation folder that plug-in libraries and definition files are
// taken from: GetRootDir, unless RootDirOverride is filled (tests, tools
// that write an installation elsewhere). Ends with "/"; empty when there is
// no installation folder.

#include "engine/core/hookslot.h"

#include <QString>

namespace mx {

extern THookSlot<QString()> RootDirOverride;

QString DriverRootDir();

} // namespace mx
