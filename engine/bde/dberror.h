#pragma once
// The errors of the database classes: what the database layer answers
// when it refuses a call, raised inside the built-in driver and reported
// by it, never passed on to the engine.

#include "engine/core/exceptions.h"

namespace mx {

MX_DECLARE_EXCEPTION(EDatabaseError, Exception)
// An error of the database engine itself (SQL, files, connections).
MX_DECLARE_EXCEPTION(EDBEngineError, EDatabaseError)

} // namespace mx
