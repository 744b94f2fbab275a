#pragma once
// TMxDriver: the part of the built-in driver that does not depend on the
// database engine: opening a database (through DoOpenDatabase), freeing
// datasets and the statement that reads a field's distinct values.

#include "engine/driver/driver.h"

namespace platform {
class DbDatabase;
}

namespace mx {

class TMxDriver : public TIMxDriver {
    MX_CLASS(TMxDriver)
public:
    explicit TMxDriver(TMxItem* owner = nullptr);
    ~TMxDriver() override;

    // True when DoOpenDatabase gives a database; a failure is reported
    // ("TMxDataset.OpenDatabase") and gives false.
    bool OpenDatabase(const QString& databaseName, const QString& userName, const QString& password) override;
    // Closes and frees the dataset; none is ignored.
    void FreeDataset(TIMxDataset* dataset) override;

    // "SELECT DISTINCT [D.]field FROM table[ D]", the field and the table
    // between the dialect's field quoters when it quotes them.
    static QString BuildDistinctSql(const QString& fieldName, const QString& tableName,
        const TSQLSyntaxProperties& syntax);

    // The open database of that name, opened when it is not. Raises when
    // the database cannot be opened.
    virtual platform::DbDatabase* DoOpenDatabase(const QString& databaseName, const QString& userName,
        const QString& password) = 0;
};

} // namespace mx
