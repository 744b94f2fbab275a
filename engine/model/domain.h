#pragma once
// Sets ("ensembles"): what a group of users may see of a data model.

#include "ownedchild.h"

#include "engine/core/list.h"
#include "engine/core/sqlsyntax.h"

#include <memory>

namespace mx {

class TMxParamList;
class TMxQueryFieldList;
class TMxFormulaList;

class TMxDomain : public TMxItem {
    MX_CLASS(TMxDomain)
public:
    explicit TMxDomain(TMxItem* owner);
    ~TMxDomain() override;

    const QString& Informations() const { return m_informations; }
    void SetInformations(const QString& value);
    // Id of the parent set, 0 for none.
    int Parent() const { return m_parent; }
    void SetParent(int value);
    // Plain items named after the user groups allowed to use the set.
    TMxList* Groups() const { return m_groups.get(); }
    // Plain items named after the FullName of the fields of the set.
    TMxList* Fields() const { return m_fields.get(); }
    TMxParamList* Variables() const;
    TMxQueryFieldList* CalcFields() const;
    // The criterion applied to every query on the set, and its SQL text
    // (not stored).
    TMxFormulaList* Criteria() const;
    TConcatStringList* SQLText() const { return m_sqlText.get(); }

    void Assign(const TPersistent* source) override;

private:
    QString m_informations;
    int m_parent = 0;
    TOwned<TMxList> m_groups;
    TOwned<TMxList> m_fields;
    TOwned<TMxParamList> m_variables;
    TOwned<TMxQueryFieldList> m_calcFields;
    TOwned<TMxFormulaList> m_criteria;
    std::unique_ptr<TConcatStringList> m_sqlText;
};

class TMxDomainList : public TMxTypedList<TMxDomain> {
    MX_CLASS(TMxDomainList)
public:
    using TMxTypedList::TMxTypedList;
    TMxDomain* GetItem(int index) const { return Items(index); }
};

} // namespace mx
