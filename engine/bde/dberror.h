#pragma once
// The errors of the database classes: what the database layer answers
// when it refuses a call, raised inside the built-in driver and reported
// by it, never passed on to the engine.

#include "engine/core/exceptions.h"
#include "engine/driver/progresshook.h"

namespace mx {

MX_DECLARE_EXCEPTION(EDatabaseError, Exception)
// An error of the database engine itself (SQL, files, connections).
MX_DECLARE_EXCEPTION(EDBEngineError, EDatabaseError)

// A database call that failed while the user asked the run to stop was
// stopped by the user: it is no error to report. The silent abort ends the
// run at once, and the run tells its cancellation alone.
inline void AbortIfStopAsked()
{
    if (DbStopAsked())
        throw EAbort(QStringLiteral("Operation aborted"));
}

} // namespace mx
