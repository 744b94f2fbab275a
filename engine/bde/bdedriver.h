#pragma once
// TMxBdeDriver: the database driver built into the programs, answering the
// engine names "MX32BDE" and "MXDBBDE". Its databases live in the one
// session of the process (bdesession.h): SQLite files and folders of table
// files, named by alias or by path. It reports every failure itself,
// through the user service, and answers none, false or an empty result.
//
// With a view name, ExecuteQuery drops the old view (a failure is kept
// and told only if the new view fails too), runs the statement that
// creates the view and opens the view as a table. A view name holds only
// letters, digits and "_"; any other is refused before any statement runs.

#include "mxdriver.h"

#include <QStringList>

namespace mx {

class TMxBdeDriver : public TMxDriver {
    MX_CLASS(TMxBdeDriver)
public:
    explicit TMxBdeDriver(TMxItem* owner = nullptr);
    ~TMxBdeDriver() override;

    QString GetDescription() override;
    QString GetVersion() override;
    static bool AcceptsEngine(const QString& engineName);

    platform::DbDatabase* DoOpenDatabase(const QString& databaseName, const QString& userName,
        const QString& password) override;
    // The session's database of that name as it is, or a new one opened
    // with those login values. Raises EDBEngineError when it cannot be
    // opened; a database that failed to open is not kept.
    static platform::DbDatabase* FindOrOpenDatabase(const QString& databaseName, const QString& userName,
        const QString& password);

    TIMxDataset* ExecuteQuery(const QString& sql, const QString& password, const QString& userName,
        const QString& viewName, const QString& databaseName) override;
    TIMxDataset* GetFieldVar(const QString& databaseName, const QString& tableName,
        const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName,
        const QString& fieldName) override;
    TIMxDataset* GetQueryField(const QString& databaseName, const QString& tableName,
        const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName,
        const QString& fieldName) override;
    TIMxDataset* GetTable(const QString& databaseName, const QString& tableName) override;
    void DropView(const QString& databaseName, const QString& viewName, const QString& password,
        const QString& userName) override;
    void GetTableNames(const QString& databaseName, char* buffer, int bufferSize) override;
    void GetAliasNames(char* buffer, int bufferSize) override;
    void GetDriverNames(char* buffer, int bufferSize) override;
    QString GetDatabaseType(const QString& databaseName) override;
    QString GetDatabasePassword(const QString& databaseName) override;
    QString GetDatabaseUserName(const QString& databaseName) override;

    // The same lists whole, however long, for callers inside the process.
    // GetTableNames's error is reported as it says.
    QStringList TableNameList(const QString& databaseName);
    QStringList AliasNameList();
    QStringList DriverNameList();

private:
    TIMxDataset* distinctValues(const QString& procName, const QString& databaseName, const QString& tableName,
        const TSQLSyntaxProperties& syntax, const QString& password, const QString& userName,
        const QString& fieldName, bool positioned);
};

} // namespace mx
