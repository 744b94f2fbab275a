#pragma once
// The database connections of a data model.

#include "engine/core/list.h"
#include "engine/core/sqlsyntax.h"

namespace mx {


// Name is the database alias or directory as the tables' Database gives it.
class TMxDatabaseItem : public TMxItem {
    MX_CLASS(TMxDatabaseItem)
public:
    explicit TMxDatabaseItem(TMxItem* owner);

    // The database driver; it selects the SQL dialect.
    const QString& DriverName() const { return m_driverName; }
    void SetDriverName(const QString& value);
    const QString& UserName() const { return m_userName; }
    void SetUserName(const QString& value);
    const QString& Password() const { return m_password; }
    void SetPassword(const QString& value);

    // A server database: a driver is named and it is not "STANDARD"
    // (compared exactly).
    bool IsServer() const;
    // The SQL dialect of the item's driver, "STANDARD" when the driver
    // names none; False when there is no dialect at all.
    bool GetSyntax(TSQLSyntaxProperties& syntax) const;

    QString GetDebugText() const override;
    void Assign(const TPersistent* source) override;

private:
    QString m_driverName;
    QString m_userName;
    QString m_password;
};

class TMxDatabaseList : public TMxTypedList<TMxDatabaseItem> {
    MX_CLASS(TMxDatabaseList)
public:
    using TMxTypedList::TMxTypedList;
    // One final "/" or "\" of the name is dropped, on both sides. A
    // directory (a name holding "/") keeps its spelling, since file names
    // are case-sensitive; an alias is compared without regard to case.
    TMxDatabaseItem* FindByName(const QString& name) const;
};

} // namespace mx
