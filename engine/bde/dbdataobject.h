#pragma once
// What a dataset of the built-in driver wraps: a query or a table object
// over a database of the session. A query holds its rows behind a cursor.
// A table object holds its field definitions and the fields of its key
// index, and its rows once it is opened; a table object that was never
// opened (GetTable) describes the table without reading it.

#include "platform/dbengine/dbdataset.h"
#include "platform/dbengine/dbfield.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace mx {

struct TDbDataObject {
    enum Kind { Query, Table };

    Kind kind = Query;
    QString tableName;                          // a table object's name
    std::unique_ptr<platform::DbDataset> rows;  // none while not open
    QList<platform::DbField> fieldDefs;         // the field definitions, in order
    QStringList keyFields;                      // a table's key index fields, in order

    // A query's result.
    static std::unique_ptr<TDbDataObject> FromQuery(std::unique_ptr<platform::DbDataset> rows)
    {
        auto o = std::make_unique<TDbDataObject>();
        o->kind = Query;
        if (rows)
            o->fieldDefs = rows->fields();
        o->rows = std::move(rows);
        return o;
    }
    // An open table (its rows carry the table's keys).
    static std::unique_ptr<TDbDataObject> FromTable(const QString& name, std::unique_ptr<platform::DbDataset> rows)
    {
        auto o = std::make_unique<TDbDataObject>();
        o->kind = Table;
        o->tableName = name;
        if (rows) {
            o->fieldDefs = rows->fields();
            o->keyFields = rows->keyFields();
        }
        o->rows = std::move(rows);
        return o;
    }
    // A table's definitions, without its rows.
    static std::unique_ptr<TDbDataObject> FromDefinitions(const QString& name, QList<platform::DbField> fields,
        QStringList keys)
    {
        auto o = std::make_unique<TDbDataObject>();
        o->kind = Table;
        o->tableName = name;
        o->fieldDefs = std::move(fields);
        o->keyFields = std::move(keys);
        return o;
    }
};

} // namespace mx
