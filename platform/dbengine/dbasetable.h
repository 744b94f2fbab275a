#pragma once
// dBASE tables (".DBF", memos in ".DBT").
//
// Written: dBASE III+ (version byte 0x03, 0x83 with memos), language
// driver byte 0x57 (Windows ANSI, code page 1252). Strings become C fields
// of the longest value's length (the declared size when larger, at most
// 254), longer text and memos M fields in a ".DBT" of 512-byte blocks, each
// memo ended by 0x1A 0x1A; integers N(11,0) (wider when a value needs it),
// floats, money and BCD N(20,6); logicals L (T, F, ? for NULL); dates D
// (YYYYMMDD); times C(8) "hh:mm:ss" and timestamps C(19) "yyyy-mm-dd
// hh:mm:ss". A value that does not fit its field (a number too large, a
// time with milliseconds, binary data, text holding 0x1A in a memo) makes
// the copy fail: nothing is cut silently. Field names are upper-case ASCII
// of at most 10 characters, made unique (NOM_DU_CLI, NOM_DU_C_1...). dBASE
// keeps no NULL for strings and numbers: blanks read back as NULL.
//
// Read: dBASE III/IV and FoxPro tables with C, N, F, L, D, M, I, Y and T
// fields; memos from ".DBT" (dBASE III and IV) or ".FPT"; deleted records
// are skipped.

#include "dbrowsource.h"

#include <QString>

#include <memory>

namespace platform {

bool writeDBaseTable(DbRowSource& rows, const QString& fileName, QString* error);

class TableSink;
// True when the declarations give the layout, so that the table can be
// written in a pass it shares with other copies.
bool dBaseLayoutFromDeclarations(const QList<DbField>& fields);
// The table written a row at a time with the layout the declarations give
// (only when dBaseLayoutFromDeclarations); put() answers Retry when a value
// does not fit it, and the table must then be written by writeDBaseTable.
std::unique_ptr<TableSink> openDBaseSink(const QList<DbField>& fields, const QString& fileName, QString* error);
std::unique_ptr<DbRowSource> openDBaseTable(const QString& fileName, QString* error);

// The field name a dBASE table gives name, unique among taken (which
// receives it).
QString dBaseFieldName(const QString& name, QStringList& taken);

} // namespace platform
