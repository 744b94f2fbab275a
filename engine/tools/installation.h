#pragma once
// Where the installation and the user's settings are, and small file
// routines. Folder names returned here end with "/" (the original's final
// backslash); an empty folder stays empty.

#include <QString>

#include <functional>

namespace mx {

// The registry key and value that name the installation folder.
inline constexpr const char* kRootDirKey = "HKEY_LOCAL_MACHINE\\Software\\Brenwick\\Morvelin\\1.0";
inline constexpr const char* kRootDirValue = "RootDir";
// The file that marks an installation folder (matched exactly).
inline constexpr const char* kRootMarker = "OPER.MXF";

// The installation folder: the program's own folder when it holds
// OPER.MXF, else the RootDir value of the registry when that folder holds
// it. Otherwise a warning asks to install again and the result is empty.
// Found once per process; ResetRootDir forgets it (tests, reinstall).
QString GetRootDir();
void ResetRootDir();

// The rule of GetRootDir on its own: programDir, then configuredDir, each
// accepted when hasMarker says it holds the marker file. lastTried gets
// the last folder looked at (for the warning).
QString FindRootDir(const QString& programDir, const QString& configuredDir,
    const std::function<bool(const QString& dir)>& hasMarker, QString* lastTried = nullptr);

// The installation's own settings file: GetRootDir() + "MORVELIN.INI";
// empty when there is no installation folder.
QString GetIniFileName();
// The folder of the user's settings files.
QString GetWindowsDir();
// The file of a plug-in library that the programs name "X.DLL" or "X": the
// shared object "X.so" in the installation folder; empty when there is no
// installation folder or no name.
QString PluginLibraryPath(const QString& name);

// A non-empty path gets a final "/" when it lacks one.
QString IncludeBackslash(const QString& path);
QString RemoveTrailingBackslash(const QString& path);
void StripTrailingBackslash(QString& path);

// Renames an existing file to its backup name, replacing an older backup,
// so the backup always holds the version before the one about to be
// written. True when there was nothing to back up or the rename worked.
// The backup's name is BackupFileName's (Q.MQR gives Q.~MQ).
bool BackupFile(const QString& fileName);

// Asks the desktop to open a document, a program or an address.
bool ShellOpen(const QString& fileName);

} // namespace mx
