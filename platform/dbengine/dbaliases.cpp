#include "dbaliases.h"

#include "platform/core/inifile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace platform {

namespace {

const QString kAliasFile = QStringLiteral("ALIASES.INI");

// The alias file of a folder: its exact name, else the same name in
// another case.
QString aliasFileIn(const QString& dir)
{
    if (dir.isEmpty())
        return {};
    const QDir d(dir);
    if (QFileInfo(d.filePath(kAliasFile)).isFile())
        return d.filePath(kAliasFile);
    for (const QString& name : d.entryList(QDir::Files))
        if (name.compare(kAliasFile, Qt::CaseInsensitive) == 0)
            return d.filePath(name);
    return {};
}

void readFile(const QString& path, QList<DbAlias>* into)
{
    if (path.isEmpty())
        return;
    auto ini = IniFile::open(path);
    ini->reload();
    const QString base = QFileInfo(path).absolutePath();
    for (const QString& section : ini->sections()) {
        DbAlias a;
        a.name = section;
        a.type = ini->readString(section, QStringLiteral("TYPE")).trimmed().toUpper();
        QString p = ini->readString(section, QStringLiteral("PATH")).trimmed();
        p.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!p.isEmpty())
            p = QDir::cleanPath(QDir(base).absoluteFilePath(p));
        a.path = p;
        a.userName = ini->readString(section, QStringLiteral("USERNAME"));
        a.password = ini->readString(section, QStringLiteral("PASSWORD"));
        a.host = ini->readString(section, QStringLiteral("HOST")).trimmed();
        a.port = ini->readString(section, QStringLiteral("PORT")).trimmed();
        a.database = ini->readString(section, QStringLiteral("DATABASE")).trimmed();
        auto seconds = [&](const char* key, int fallback) {
            bool ok = false;
            const int v = ini->readString(section, QLatin1String(key)).trimmed().toInt(&ok);
            return ok && v >= 0 ? v : fallback;
        };
        a.connectTimeout = seconds("TIMEOUT", 10);
        a.queryTimeout = seconds("QUERY TIMEOUT", 600);
        if (a.type.isEmpty() && !a.path.isEmpty())
            a.type = QFileInfo(a.path).isDir() ? QStringLiteral("STANDARD") : QStringLiteral("SQLITE");
        auto same = [&](const DbAlias& o) { return o.name.compare(a.name, Qt::CaseInsensitive) == 0; };
        into->erase(std::remove_if(into->begin(), into->end(), same), into->end());
        into->append(a);
    }
}

} // namespace

void DbAliasList::load(const QString& rootDir, const QString& userDir)
{
    m_aliases.clear();
    readFile(aliasFileIn(rootDir), &m_aliases);
    const QString user = aliasFileIn(userDir);
    if (!user.isEmpty() && QFileInfo(user).absoluteFilePath() != QFileInfo(aliasFileIn(rootDir)).absoluteFilePath())
        readFile(user, &m_aliases);
}

QStringList DbAliasList::names() const
{
    QStringList out;
    for (const DbAlias& a : m_aliases)
        out.append(a.name);
    std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return out;
}

std::optional<DbAlias> DbAliasList::find(const QString& name) const
{
    for (const DbAlias& a : m_aliases)
        if (a.name.compare(name, Qt::CaseInsensitive) == 0)
            return a;
    return std::nullopt;
}

} // namespace platform
