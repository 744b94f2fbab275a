#pragma once
// TIMxDriver: the one database driver of the process. The engine reaches
// databases only through it. A driver reports its own failures and returns
// none, false or an empty result; it never raises to the engine.
//
// Name lists cross the interface as the string-list buffer
// (tools/stringbuffer.h) in a block whose size the caller gives: the driver
// writes at most that many bytes. SQL text crosses it whole.

#include "dataset.h"

#include "engine/core/sqlsyntax.h"

#include <QString>

namespace mx {

class TIMxDriver : public TMxItem {
    MX_CLASS(TIMxDriver)
public:
    explicit TIMxDriver(TMxItem* owner = nullptr);
    ~TIMxDriver() override;

    virtual QString GetDescription() = 0;
    virtual QString GetVersion() = 0;
    // True when connected.
    virtual bool OpenDatabase(const QString& databaseName, const QString& userName, const QString& password) = 0;
    // Runs a statement. With a view name the statement creates that view
    // (an older view of that name is dropped first) and the dataset is the
    // view. None on failure.
    virtual TIMxDataset* ExecuteQuery(const QString& sql, const QString& password, const QString& userName,
        const QString& viewName, const QString& databaseName) = 0;
    // The distinct values of a field, positioned on the first; none on failure.
    virtual TIMxDataset* GetFieldVar(const QString& databaseName, const QString& tableName,
        const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName,
        const QString& fieldName) = 0;
    // The same, not positioned (value lists).
    virtual TIMxDataset* GetQueryField(const QString& databaseName, const QString& tableName,
        const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName,
        const QString& fieldName) = 0;
    // Closes and frees a dataset of this driver; none is ignored.
    virtual void FreeDataset(TIMxDataset* dataset) = 0;
    // A table with its field and index definitions; none on failure.
    virtual TIMxDataset* GetTable(const QString& databaseName, const QString& tableName) = 0;
    virtual void DropView(const QString& databaseName, const QString& viewName, const QString& password,
        const QString& userName) = 0;
    virtual void GetTableNames(const QString& databaseName, char* buffer, int bufferSize) = 0;
    virtual void GetAliasNames(char* buffer, int bufferSize) = 0;
    virtual void GetDriverNames(char* buffer, int bufferSize) = 0;
    virtual QString GetDatabaseType(const QString& databaseName) = 0;
    virtual QString GetDatabasePassword(const QString& databaseName) = 0;
    virtual QString GetDatabaseUserName(const QString& databaseName) = 0;

    // The class operation: does this driver class serve that engine name?
    // Each driver class hides it with its own.
    static bool AcceptsEngine(const QString& engineName);
};

} // namespace mx
