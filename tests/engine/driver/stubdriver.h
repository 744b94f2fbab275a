#pragma once
// A database driver that does nothing, for registry tests; header only so
// that other test programs can include it.

#include "engine/driver/driver.h"

class TStubDriver : public mx::TIMxDriver {
public:
    explicit TStubDriver(mx::TMxItem* owner = nullptr) : mx::TIMxDriver(owner) {}
    QString GetDescription() override { return QStringLiteral("Stub"); }
    QString GetVersion() override { return QStringLiteral("0"); }
    bool OpenDatabase(const QString&, const QString&, const QString&) override { return false; }
    mx::TIMxDataset* ExecuteQuery(const QString&, const QString&, const QString&, const QString&, const QString&) override { return nullptr; }
    mx::TIMxDataset* GetFieldVar(const QString&, const QString&, const mx::TSQLSyntaxProperties&, const QString&, const QString&,
        const QString&) override { return nullptr; }
    mx::TIMxDataset* GetQueryField(const QString&, const QString&, const mx::TSQLSyntaxProperties&, const QString&, const QString&,
        const QString&) override { return nullptr; }
    void FreeDataset(mx::TIMxDataset* dataset) override { mx::TMxItem::Free(dataset); }
    mx::TIMxDataset* GetTable(const QString&, const QString&) override { return nullptr; }
    void DropView(const QString&, const QString&, const QString&, const QString&) override {}
    void GetTableNames(const QString&, char*, int) override {}
    void GetAliasNames(char*, int) override {}
    void GetDriverNames(char*, int) override {}
    QString GetDatabaseType(const QString&) override { return {}; }
    QString GetDatabasePassword(const QString&) override { return {}; }
    QString GetDatabaseUserName(const QString&) override { return {}; }
};
