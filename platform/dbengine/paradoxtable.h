#pragma once
// Paradox tables (".DB", memos and blobs in ".MB"), written and read by
// our own code from the publicly documented layout.
//
// Written: a Paradox 7 non-indexed table in code page 1252, sort order
// "ANSIINTL". Strings become Alpha fields of the longest value's length
// (the declared size when it is larger and at most 255), longer text and
// memos Memo fields (40 characters kept in the record, the whole text in
// the ".MB" file), small integers Short, integers Long (Number when a value
// passes 32 bits), floats and BCD Number, money Currency, logicals Logical,
// dates Date, times Time, timestamps Timestamp, binary values BLOb. The
// block size (4, 16 or 32 KB) is the smallest that holds the rows within
// the format's 65,535 blocks; a table that does not fit is refused before
// anything is written. Field names keep at most 25 characters and are made
// unique. Paradox keeps no difference between an empty string and NULL.
//
// Read: versions 3 to 7, keyed or not, every field type but OLE contents;
// memos and blobs from ".MB" (single and suballocated blocks).

#include "dbrowsource.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

bool writeParadoxTable(DbRowSource& rows, const QString& fileName, QString* error);
std::unique_ptr<DbRowSource> openParadoxTable(const QString& fileName, QString* error);
QStringList paradoxTableKeys(const QString& fileName);

} // namespace platform
