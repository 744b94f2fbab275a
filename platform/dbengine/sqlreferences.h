#pragma once
// The table references of an SQL text that the local engine resolves:
//   - ":ALIAS:NAME", bare or between quotes: a table of another database;
//   - a path (holding "/" or "\"), between quotes, or bare right after
//     FROM, JOIN or a comma: a table file, or a table of a SQLite file
//     ("/data/demo.sqlite/CLIENT");
//   - a name ending in ".DB", ".DBF" or ".TXT" (any case), between quotes
//     or bare: a table file of the database the text runs on.
// String literals and comments are skipped.

#include <QList>
#include <QString>

namespace platform {

struct SqlTableReference {
    enum Kind { Alias, Path, FileName };
    Kind kind = FileName;
    qsizetype start = 0;   // in the SQL text, quotes included
    qsizetype length = 0;
    QString database;      // the alias (Alias)
    QString name;          // the table name (Alias), the path (Path), the file name (FileName)
};

QList<SqlTableReference> findTableReferences(const QString& sql);

// True when the text holds an alias or path reference (what a database of
// its own cannot run).
bool hasForeignReferences(const QString& sql);

// Where "TEMP " goes when sql is a CREATE VIEW statement (after CREATE), or -1.
qsizetype createViewTempPosition(const QString& sql);

// True when name is a plain view name: letters, digits and "_" only.
bool isPlainViewName(const QString& name);

} // namespace platform
