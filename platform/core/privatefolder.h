#pragma once
// The user's private folder of sockets and locks, shared by the local
// server and the report runtime's rendezvous.

#include <QString>

namespace platform {

// $XDG_RUNTIME_DIR when it names an absolute folder; else the fallback.
QString userRuntimeFolder();

// The folder used without $XDG_RUNTIME_DIR: morvelin-<uid> in the user's
// cache folder ($XDG_CACHE_HOME when absolute, else ~/.cache), where no
// other user can make a folder first, as one could in the shared
// temporary folder.
QString fallbackRuntimeFolder();

// True when folder is a real folder (not a link) owned by the current
// user that nobody else may enter or read (no group or other bits). With
// create, a missing folder is made with mode 0700 first, and its missing
// parents too when it is the fallback folder. error says what is wrong
// and names the folder in the way.
bool checkPrivateFolder(const QString& folder, bool create, QString* error);

} // namespace platform
