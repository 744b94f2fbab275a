#include "rootdir.h"

#include "engine/tools/installation.h"

namespace mx {

THookSlot<QString()> RootDirOverride;

QString DriverRootDir()
{
    if (RootDirOverride)
        return IncludeBackslash(RootDirOverride());
    return GetRootDir();
}

} // namespace mx
