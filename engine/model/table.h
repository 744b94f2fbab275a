#pragma once
// A database table of the data model, and the model's table list.

#include "field.h"
#include "ownedchild.h"

namespace mx {

class TMxEntityList;

class TMxTable : public TMxItem {
    MX_CLASS(TMxTable)
public:
    explicit TMxTable(TMxItem* owner);
    ~TMxTable() override;

    int DesignX() const { return m_designX; }
    void SetDesignX(int value);
    int DesignY() const { return m_designY; }
    void SetDesignY(int value);
    const QString& FullName() const { return m_fullName; }
    void SetFullName(const QString& value);
    // A database alias, or a directory for file databases.
    const QString& Database() const { return m_database; }
    void SetDatabase(const QString& value);
    TDmFieldList* Fields() const { return m_fields.get(); }
    TMxEntityList* Entities() const;
    int DesignMode() const { return m_designMode; }
    void SetDesignMode(int value);

    // "D" + Id, or "DT" + -Id for a table standing for a step's result.
    QString GetAlias() const;
    // The table named with its database: a directory (a Database holding
    // "/", "\" or ":") joined to the name with "/" unless it already ends
    // in a separator; an alias as ":alias:name".
    QString GetQualifiedName() const;
    // True when a Database text names a directory rather than an alias.
    static bool IsPath(const QString& database);

    QString GetDebugText() const override;
    void Assign(const TPersistent* source) override;

private:
    int m_designX = 0;
    int m_designY = 0;
    QString m_fullName;
    QString m_database;
    int m_designMode = 1;
    TOwned<TDmFieldList> m_fields;
    TOwned<TMxEntityList> m_entities;
};

class TMxTableList : public TMxTypedList<TMxTable> {
    MX_CLASS(TMxTableList)
public:
    using TMxTypedList::TMxTypedList;
    // Nothing when the table is none or a table of its Id is there; an
    // owning list receives a clone, a referencing list the table itself.
    void AddTable(TMxTable* table);
};

} // namespace mx
