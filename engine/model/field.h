#pragma once
// Fields with a type, and the fields of a database table.

#include "engine/core/list.h"
#include "engine/core/sqlsyntax.h"

#include <QChar>
#include <QString>

namespace mx {

class TMxTable;

// A field with a type. Name is the field's name in the database.
class TMxField : public TMxItem {
    MX_CLASS(TMxField)
public:
    explicit TMxField(TMxItem* owner);

    const QString& FullName() const { return m_fullName; }
    void SetFullName(const QString& value);
    QChar ShortType() const { return m_shortType; }
    void SetShortType(QChar value);
    const QString& LongType() const { return m_longType; }
    void SetLongType(const QString& value);
    int Size() const { return m_size; }
    void SetSize(int value);

    // The table the field belongs to, and that table's Id.
    virtual TMxTable* GetTable() const { return nullptr; }
    virtual int GetTableId() const { return 0; }

    // The field's name in SQL: the table alias and "." under
    // scPrefixSourceField, then the name, quoted under scQuoteSourceField.
    // A field that must be prefixed but has no table raises EMxInternal.
    QString GetSqlName(const TSQLSyntaxProperties& syntax) const;

    QString GetDisplayName() const override { return m_fullName; }
    void Assign(const TPersistent* source) override;

private:
    QString m_fullName;
    QChar m_shortType;
    QString m_longType;
    int m_size = 0;
};

class TMxFieldList : public TMxTypedList<TMxField> {
    MX_CLASS(TMxFieldList)
public:
    using TMxTypedList::TMxTypedList;
    TMxField* FindField(const QString& name) const { return FindByName(name); }
};

// A field of a database table: its table is the owner of its list.
class TDmField : public TMxField {
    MX_CLASS(TDmField)
public:
    explicit TDmField(TMxItem* owner);

    int Idx() const { return m_idx; }
    void SetIdx(int value);
    // True when another field of the model bears the same full name; set
    // only by MarkDuplicateFields (admin/adminmodel.h), never stored nor
    // copied.
    bool DuplicateMark() const { return m_duplicateMark; }
    void SetDuplicateMark(bool value) { m_duplicateMark = value; }

    TMxTable* GetTable() const override;
    int GetTableId() const override;
    QString GetTagName() const override;
    void Assign(const TPersistent* source) override;

private:
    int m_idx = 0;
    bool m_duplicateMark = false;
};

// The fields of a table. A table's list holds TDmField items; the
// calculated-field table's list references query fields, so entries are
// reached as TMxField.
class TDmFieldList : public TMxFieldList {
    MX_CLASS(TDmFieldList)
public:
    using TMxFieldList::TMxFieldList;
};

} // namespace mx
