#pragma once
// The sample's SQLite database, made from its SQL script, and the alias
// that names it.

#include <QString>

namespace mksample {

// The alias under which the sample's models reach the database.
inline constexpr const char* kAlias = "MORVELIN";
inline constexpr const char* kDatabaseFile = "MORVELIN.DB";

// Runs the script into a new database written beside fileName and renamed
// over it once complete: a failing script leaves the old file as it was.
// Raises std::runtime_error with SQLite's message.
void BuildDatabase(const QString& scriptFile, const QString& fileName);

// Sets the alias section of the ALIASES.INI in rootDir (the other sections
// stay): TYPE SQLITE, PATH relative to rootDir.
void WriteAlias(const QString& rootDir, const QString& relativePath);

} // namespace mksample
