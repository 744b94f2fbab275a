#include "registry.h"

#include "inifile.h"

namespace platform::registry {
namespace {

QString sectionOf(const QString& keyPath)
{
    QString s = keyPath.trimmed();
    s.replace(u'/', u'\\');
    while (s.endsWith(u'\\'))
        s.chop(1);
    while (s.startsWith(u'\\'))
        s.remove(0, 1);
    return s;
}

} // namespace

QString fileName()
{
    const QString env = qEnvironmentVariable("MORVELIN_REGISTRY");
    return env.isEmpty() ? QStringLiteral("/etc/morvelin/registry.ini") : env;
}

QString readString(const QString& keyPath, const QString& valueName, const QString& def)
{
    return IniFile::open(fileName())->readString(sectionOf(keyPath), valueName, def);
}

bool valueExists(const QString& keyPath, const QString& valueName)
{
    return IniFile::open(fileName())->valueExists(sectionOf(keyPath), valueName);
}

} // namespace platform::registry
