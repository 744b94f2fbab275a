#pragma once
// Database aliases: "ALIASES.INI" in the root directory, and the same file
// in the user's Windows directory, whose sections replace those of the
// same name. One section per alias (names compared without regard to
// case):
//
//     [DEMO]
//     TYPE=SQLITE          ; SQLITE (a database file) or STANDARD (a folder of table files)
//     PATH=data/demo.sqlite ; relative to the file's folder
//     USERNAME=
//     PASSWORD=
//
// Without TYPE, a folder is STANDARD and a file SQLITE. A PostgreSQL
// server:
//
//     [VENTES]
//     TYPE=POSTGRESQL
//     HOST=db.example.org  ; a host name, an address, or a socket folder
//     PORT=5432
//     DATABASE=ventes      ; a database name, or a libpq connection string
//     USERNAME=
//     PASSWORD=
//     TIMEOUT=10           ; seconds to connect
//     QUERY TIMEOUT=600    ; seconds one statement may run, 0: no limit

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

struct DbAlias {
    QString name;      // as written in the file
    QString type;      // "SQLITE", "STANDARD" or what the file says (upper case)
    QString path;      // absolute
    QString userName;
    QString password;
    // Servers.
    QString host;
    QString port;
    QString database;
    int connectTimeout = 10;
    int queryTimeout = 600;
};

class DbAliasList {
public:
    // Reads the alias files of both folders again (either may be empty or
    // hold no file).
    void load(const QString& rootDir, const QString& userDir);

    // Alias names, sorted without regard to case.
    QStringList names() const;
    std::optional<DbAlias> find(const QString& name) const;

private:
    QList<DbAlias> m_aliases;
};

} // namespace platform
