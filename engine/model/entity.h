#pragma once
// Entities (a named choice of a table's fields, with criteria) and their
// criteria.

#include "ownedchild.h"

#include "engine/core/list.h"
#include "engine/core/sqlsyntax.h"

#include <memory>

namespace mx {

class TMxField;
class TMxFormulaList;
class TMxDataModel;

class TMxEntityCriteria : public TMxItem {
    MX_CLASS(TMxEntityCriteria)
public:
    explicit TMxEntityCriteria(TMxItem* owner);
    ~TMxEntityCriteria() override;

    const QString& Informations() const { return m_informations; }
    void SetInformations(const QString& value);
    TMxFormulaList* Criteria() const;
    TConcatStringList* SQLCriteria() const { return m_sqlCriteria.get(); }

    // Copies Id, Name, Informations and Criteria; the SQL text is left
    // empty, to be rendered again.
    void Assign(const TPersistent* source) override;

private:
    QString m_informations;
    TOwned<TMxFormulaList> m_criteria;
    std::unique_ptr<TConcatStringList> m_sqlCriteria;
};

class TMxEntityCriteriaList : public TMxTypedList<TMxEntityCriteria> {
    MX_CLASS(TMxEntityCriteriaList)
public:
    using TMxTypedList::TMxTypedList;
};

// WFields holds one plain item per field, in display order: Id is the
// table's Id (0 for a calculated field of the set), Name the field's name.
class TMxEntity : public TMxItem {
    MX_CLASS(TMxEntity)
public:
    explicit TMxEntity(TMxItem* owner);
    ~TMxEntity() override;

    TMxList* WFields() const { return m_wfields.get(); }
    TMxEntityCriteriaList* Criterias() const { return m_criterias.get(); }
    TMxFormulaList* Formulas() const;

    // The field an entry names: in the entity's table, or for an entity of
    // the model's entity view in the model's table of the entry's Id; a
    // calculated field (Id 0) among the current set's. None when nothing
    // has that name (also with no current set or no such table).
    virtual TMxField* GetField(int index) const;
    virtual void SetField(int index, const TMxField* field);
    // Appends an entry for the field and reports the field (not the entry)
    // to the observers of WFields.
    virtual void AddField(TMxField* field);

    // The data model the entity belongs to, if any.
    TMxDataModel* DataModel() const;

    void Assign(const TPersistent* source) override;

private:
    TMxField* resolve(const TMxItem* entry) const;
    TOwned<TMxList> m_wfields;
    TOwned<TMxEntityCriteriaList> m_criterias;
    TOwned<TMxFormulaList> m_formulas;
};

class TMxEntityList : public TMxTypedList<TMxEntity> {
    MX_CLASS(TMxEntityList)
public:
    using TMxTypedList::TMxTypedList;
};

} // namespace mx
