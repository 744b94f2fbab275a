#pragma once
// Query fields: a field as a query uses it (its table and step, selection,
// total, formula, filter and place in the sort), and their lists.

#include "field.h"
#include "ownedchild.h"

#include "engine/core/sqlsyntax.h"

#include <functional>

namespace mx {

class TMxFormulaList;

class TMxQueryField : public TMxField {
    MX_CLASS(TMxQueryField)
public:
    explicit TMxQueryField(TMxItem* owner);
    ~TMxQueryField() override;

    int TableId() const { return m_tableId; }
    void SetTableId(int value);
    int QueryTableId() const { return m_queryTableId; }
    void SetQueryTableId(int value);
    const QString& SourceName() const { return m_sourceName; }
    void SetSourceName(const QString& value);
    const QString& BaseName() const { return m_baseName; }
    void SetBaseName(const QString& value);
    const QString& ExtPath() const { return m_extPath; }
    void SetExtPath(const QString& value);
    bool Checked() const { return m_checked; }
    void SetChecked(bool value);
    bool Calculated() const { return m_calculated; }
    void SetCalculated(bool value);
    int StepId() const { return m_stepId; }
    void SetStepId(int value);
    int SourceStepId() const { return m_sourceStepId; }
    void SetSourceStepId(int value);
    QChar FieldType() const { return m_fieldType; }
    void SetFieldType(QChar value);
    // One of the totals ("count", "count all", "average", "sum", "min",
    // "max") or empty; stored without surrounding blanks.
    const QString& Total() const { return m_total; }
    void SetTotal(const QString& value);
    const QString& Formula() const { return m_formula; }
    void SetFormula(const QString& value);
    TConcatStringList* SQLCriteria() const { return m_sqlCriteria.get(); }
    TSortType SortOrder() const { return m_sortOrder; }
    void SetSortOrder(TSortType value);
    // Position in the sort; -1 when not sorted.
    int SortRange() const { return m_sortRange; }
    void SetSortRange(int value);
    int DesignWidth() const { return m_designWidth; }
    void SetDesignWidth(int value);
    TMxFormulaList* FormulaList() const;

    // Takes the names and type of a table's own field: its name as source
    // name, its full name as full and base name, no path, not calculated.
    void ReadsTableField(const TMxField* field);

    // The table the field reads, and the table of the step that reaches it.
    // None raises "A field must belong to a table".
    void SetTable(TMxTable* table);
    void SetQueryTable(TMxTable* table);
    TMxTable* QueryTable() const { return m_queryTable; }
    // Binds or unbinds both without checks (a model copy rebinding its
    // fields to its own tables).
    void BindTables(TMxTable* table, TMxTable* queryTable);

    TMxTable* GetTable() const override { return m_table; }
    // The query table's Id (QueryTableId while unbound).
    int GetTableId() const override;

    // A blob: type letter B, F, M or G.
    bool IsBlobType() const;
    // The field as a column of the step's result: the query table's alias
    // and "." under scPrefixAsField, then FullName, quoted under
    // scQuoteAsField.
    QString GetSqlFieldName(const TSQLSyntaxProperties& syntax) const;
    // The field in a select list: the total around its SQL name (around
    // its formula for a calculated field under scCalculatedSum); without a
    // total, its formula or its SQL name.
    QString GetSqlExpression(const TSQLSyntaxProperties& syntax) const;

    QString GetDebugText() const override;
    // Everything but ExtPath, bindings included.
    void Assign(const TPersistent* source) override;

private:
    int m_tableId = 0;
    int m_queryTableId = 0;
    QString m_sourceName;
    QString m_baseName;
    QString m_extPath;
    bool m_checked = false;
    bool m_calculated = false;
    int m_stepId = 0;
    int m_sourceStepId = 0;
    QChar m_fieldType;
    QString m_total;
    QString m_formula;
    std::unique_ptr<TConcatStringList> m_sqlCriteria;
    TSortType m_sortOrder = sfAscending;
    int m_sortRange = -1;
    int m_designWidth = 0;
    TOwned<TMxFormulaList> m_formulaList;
    TMxTable* m_table = nullptr;
    TMxTable* m_queryTable = nullptr;
};

class TMxQueryFieldList : public TMxTypedList<TMxQueryField> {
    MX_CLASS(TMxQueryFieldList)
public:
    using TMxTypedList::TMxTypedList;

    // Called with the two fields, in their old places, before they swap.
    std::function<void(TMxQueryField*, TMxQueryField*)> OnExchange;

    TMxQueryField* GetItem(int index) const { return Items(index); }
    TMxQueryField* FindByFullName(const QString& text) const;
    // The first field of a table (of that Id), name and source step.
    TMxQueryField* FindByTable(int tableId, const QString& name, int sourceStepId) const;
    TMxQueryField* FindByQueryTable(int queryTableId, const QString& name) const;
    // "Formule n": the first number from the count of calculated fields
    // plus 1 that no field of the list uses yet.
    QString NewFormulaName() const;
    // A new list referencing the sorted fields (SortRange 0 or more) by
    // rank; equal ranks keep their order.
    TItemPtr<TMxQueryFieldList> GetSortedFields() const;

    void Exchange(int i, int j) override;
};

} // namespace mx
