#pragma once
// Text tables: "NAME.TXT" holding the rows and "NAME.SCH" describing them.
//
// Written as delimited text (Filetype=VARYING): one line per row, ended by
// CR LF (the last one too); fields separated by ","; strings between '"'
// with inner '"' doubled (an empty string is "", NULL is nothing); numbers
// bare with "."; logicals True or False; dates in the date editor's order
// with a four-digit year; times hh:mm:ss; timestamps date and time. Text
// is Windows-1252. The schema file:
//
//     [NAME]
//     Filetype=VARYING
//     Delimiter="
//     Separator=,
//     CharSet=ANSIINTL
//     DateFormat=d/m/y
//     Field1=NOM,Char,30,00,00
//     Field2=MONTANT,Float,20,00,30
//
// (FieldN=Name,Type,Width,Decimals,Offset; types Char, Float, Number,
// Bool, LongInt, Date, Time, TimeStamp, Currency). DateFormat is ours;
// files without it read dates in the caller's order.
//
// Read: VARYING and FIXED files with such a schema.

#include "dbrowsource.h"
#include "dbvalue.h"

#include <QString>

#include <memory>

namespace platform {

bool writeTextTable(DbRowSource& rows, const QString& fileName, const DbTextFormat& format, QString* error);
class TableSink;
// The table written a row at a time (see tablecopy.h).
std::unique_ptr<TableSink> openTextSink(const QList<DbField>& fields, const QString& fileName,
                                        const DbTextFormat& format, QString* error);
std::unique_ptr<DbRowSource> openTextTable(const QString& fileName, const DbTextFormat& format, QString* error);

} // namespace platform
