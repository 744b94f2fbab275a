#pragma once
// The one session of the built-in driver: the databases it opened, each
// kept open for the rest of the process and found again by name, and the
// aliases of ALIASES.INI in the installation folder and in the user's
// settings folder (which overrides it).

namespace platform {
class DbSession;
}

namespace mx {

// The session, made on first use: it reads the alias files then, and
// gives table copies and the local engine the date order of the STANDARD
// dialect.
platform::DbSession& BdeSession();
// Closes every database and forgets the session; the next use makes a
// new one, reading the alias files again (after they were edited, tests).
// Datasets still open keep their connection until they are freed.
void ResetBdeSession();

} // namespace mx
