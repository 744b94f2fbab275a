#include "engineshutdown.h"

#include "queryglobal.h"

#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/dllloader.h"
#include "engine/core/exitprocs.h"
#include "engine/reportlink/reportmanager.h"

namespace mx {

void ShutdownEngine() noexcept
{
    // The report runtime's channels read datasets of the driver: first.
    ShutdownReportLink();
    ReleaseAllDestinationSettings();
    if (TDestinationList* types = DestinationTypes())
        types->ReleaseDrivers();
    FreeQueryGlobals();
    try {
        FreeDbEngine();
    } catch (...) {
    }
    FreeDllLoaders();
}

void RegisterEngineShutdown()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    // After the settings object, the command line and the recent files.
    AddExitProc(erLast - 100, QStringLiteral("ShutdownEngine"), [] { ShutdownEngine(); });
}

} // namespace mx
