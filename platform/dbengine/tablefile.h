#pragma once
// Table files: a dataset's rows copied into the files other programs open,
// and the same files read back (the local engine imports them).
//
//   ".DB"  Paradox 7 table (non-indexed), memos and blobs in a ".MB" file;
//   ".DBF" dBASE III+ table, memos in a ".DBT" file;
//   ".TXT" delimited text with its ".SCH" schema file.
// All three hold Windows-1252 text. Extensions are matched without regard
// to case; any other extension is an error. A copy reads its rows twice
// (sizes first, then the data), checks the format's limits before writing,
// writes temporary files in the target's folder and renames them over the
// old table and its companions only when all are complete; companions the
// new table does not have (an old index, memo or schema file) are removed.
// A failed copy leaves the old table as it was.

#include "dbrowsource.h"
#include "dbvalue.h"

#include <QString>

#include <memory>
#include <optional>

namespace platform {

enum class DbTableFormat { Paradox, DBase, Text };

// The format an extension names, or nothing for other extensions.
std::optional<DbTableFormat> tableFormatOf(const QString& fileName);

// True when the name ends in ".DB", ".DBF" or ".TXT" (any case).
bool isTableFileName(const QString& fileName);

// Copies every row of rows into fileName. format gives the date order of
// text files.
bool writeTableFile(DbRowSource& rows, const QString& fileName, const DbTextFormat& format, QString* error);

class TableSink;

// Several copies of the same rows made in one pass: the text tables and the
// dBASE tables whose layout the declarations give are written together
// beside their targets by prepare(), then each is put in place when its
// turn comes (take). A table prepare() cannot serve this way, or one whose
// values do not fit the guessed layout, is not held: it is written on its
// own as writeTableFile writes it. Tables never taken are removed.
class DbTableCopies {
public:
    DbTableCopies();
    ~DbTableCopies();
    DbTableCopies(const DbTableCopies&) = delete;
    DbTableCopies& operator=(const DbTableCopies&) = delete;

    // Does nothing unless at least two of fileNames can share the pass.
    void prepare(DbRowSource& rows, const QStringList& fileNames, const DbTextFormat& format);
    // True when prepare() holds the copy of fileName, written or failed.
    bool holds(const QString& fileName) const;
    // Puts the held copy of fileName in place, or gives the error that
    // ended it; it is then no longer held.
    bool take(const QString& fileName, QString* error);

private:
    struct Copy {
        QString fileName;
        std::unique_ptr<TableSink> sink;
        QString error;
        bool failed = false;
    };
    std::vector<Copy> m_copies;
};

// Opens a table file for reading (its fields are read at once; rows on
// demand). A missing or damaged file gives nullptr and *error.
std::unique_ptr<DbRowSource> openTableFile(const QString& fileName, const DbTextFormat& format,
                                           QString* error);

// The key fields a table file declares (a keyed Paradox table's first
// fields), empty for the others.
QStringList tableFileKeys(const QString& fileName);

} // namespace platform
