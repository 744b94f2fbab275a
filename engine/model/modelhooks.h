#pragma once
// The routines through which the data model reaches the database layer:
// the SQL dialects of the drivers and the distinct values of a field. An
// empty slot means the feature is absent.

#include "engine/core/hookslot.h"
#include "engine/core/sqlsyntax.h"

#include <QString>

#include <memory>

namespace mx {

// The SQL dialect of a datasource (an empty name means "STANDARD"); False
// when no datasource has that name.
extern THookSlot<bool(const QString& datasourceName, TSQLSyntaxProperties& syntax)> ModelDatasourceHook;

// The distinct values of a field, as the database driver reads them.
struct TFieldValuesRequest {
    QString DatabaseName;
    QString TableName;
    TSQLSyntaxProperties Syntax;
    QString Password;
    QString UserName;
    QString FieldName;
};

// A dataset of values; destroying it hands it back to the driver.
class TFieldValueCursor {
public:
    virtual ~TFieldValueCursor() = default;
    virtual void First() = 0;
    virtual bool Eof() const = 0;
    virtual QString FirstColumn() const = 0; // the current record's first column as text
    virtual void Next() = 0;
};

// Fills in for the database driver when set (tests, tools).
extern THookSlot<std::unique_ptr<TFieldValueCursor>(const TFieldValuesRequest& request)> ModelFieldValuesHook;

// The distinct values of a field: through ModelFieldValuesHook when it is
// set, else through the process's database driver (made on first use).
// None when the driver could not read them (it reports why itself).
std::unique_ptr<TFieldValueCursor> ReadFieldValues(const TFieldValuesRequest& request);

} // namespace mx
