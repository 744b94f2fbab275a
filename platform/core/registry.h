#pragma once
// The system registry, as a file: an INI file whose sections are key paths
// ("HKEY_LOCAL_MACHINE\Software\Brenwick\Morvelin\1.0") and whose keys are
// the named string values under them. The programs only read it; the
// installer (or the administrator) writes it. The file is
// $MORVELIN_REGISTRY when that is set, else /etc/morvelin/registry.ini. A
// missing file is an empty registry.

#include <QString>

namespace platform::registry {

QString fileName();

// The string value valueName under keyPath; def when the key or the value
// does not exist. Key paths are compared without regard to case, with "/"
// taken as "\".
QString readString(const QString& keyPath, const QString& valueName, const QString& def = {});
bool valueExists(const QString& keyPath, const QString& valueName);

} // namespace platform::registry
