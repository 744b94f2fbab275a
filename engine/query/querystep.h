#pragma once
// A step of a query: one extraction phase, turned into one SQL statement.
// The step holds the entities and fields the user placed in it, its joins,
// its criterion, its destinations and its report; it works on its own copy
// of the data model, reduced to the query's set.

#include "queryentity.h"
#include "sqljoin.h"

#include "engine/core/component.h"
#include "engine/core/itemptr.h"
#include "engine/core/sqlsyntax.h"

#include <functional>
#include <memory>
#include <vector>

namespace mx {

class TMxDataModel;
class TMxDatabaseItem;
class TMxEntity;
class TMxEntityCriteria;
class TMxField;
class TMxFLink;
class TMxFormula;
class TMxFormulaList;
class TMxLink;
class TMxQuery;
class TMxTable;
class TIMxDataset;
class TQueryDestinationList;

// A column of the statement a step's preparation writes: the total it
// applies (empty: none), the type letter of the field it shows, and that
// field's own database type name and size when it reads a table's field
// (empty and 0 otherwise).
struct TStepColumn {
    QString total;
    QChar fieldType;
    QString tableType;
    int size = 0;
};

class TMxQueryStep : public TMxItem {
    MX_CLASS(TMxQueryStep)
    friend class TSelectStatementWriter;
public:
    explicit TMxQueryStep(TMxItem* owner);
    ~TMxQueryStep() override;

    // Published
    bool DistinctSelect() const { return m_distinctSelect; }
    void SetDistinctSelect(bool value);
    TMxQueryEntityList* Entities() const { return m_entities.get(); }
    TQueryDestinationList* Destinations() const { return m_destinations.get(); }
    TMxSqlJoinList* SQLJoins() const { return m_sqlJoins.get(); }
    TComponent* QuickReport() const { return m_report.get(); }
    TMxFormulaList* StepCriteria() const { return m_stepCriteria.get(); }

    // "Etape n" unless the step has a name.
    QString GetName() const override;
    // The query that owns the step's list; none for a step on its own.
    TMxQuery* GetQuery() const;

    // The step's copy of the data model, owned by the step; none before
    // the query gave it one. Setting frees the former copy and binds the
    // step's fields to the tables of the new one (by TableId and
    // QueryTableId; 0 is the model's table of calculated fields).
    TMxDataModel* DataModel() const { return m_model.get(); }
    void SetDataModel(TMxDataModel* model);
    // Makes the set current in the step's model, then offers the result
    // tables of the earlier steps in its entity view.
    void ApplyDomain(int domainId);

    // Every field of every entity (not owned), entity by entity.
    TMxQueryFieldList* AllFields() const { return m_allFields.get(); }
    // Puts AllFields back in the order of the entities and their fields
    // (after entities or fields swapped places).
    void ReorderAllFields() { rebuildAllFields(); }

    // Adds one field (field given) or every field of a data model entity
    // (field none) to the step. A field without a table goes into the
    // entity "Autres champs" (Id -1). A field already in its entity with the
    // same table and name is not added again.
    void AddFields(TMxEntity* entity, TMxField* field);

    // Whether the step may write its result as a view: the dialect creates
    // views (and views of totals when a field has a total) and the user of
    // the step's model has the right to and a view prefix. False without a
    // logged-in user.
    bool DestinationOptionEnabled() const;

    // The dialect of the step: the datasource of that name in the query's
    // list, else "STANDARD"; none raises EMxInternal.
    void SetSQLSyntax(const QString& name);
    const TSQLSyntaxProperties& SQLSyntax() const { return m_syntax; }
    const QString& SQLSyntaxName() const { return m_syntaxName; }

    // Preparation (the query's parameter mode decides how parameters are
    // written): the result tables of earlier steps, the field collection,
    // the join path, the statement.
    void PrepareStep();
    // The tables standing for the results of the earlier steps (Id minus
    // the step's Id), made when missing, their fields following the
    // earlier steps' columns.
    void EnsureResultTables();
    // Brings each result table up to date with its step (its columns, and
    // the view or file it writes; the entity view follows). Preparation
    // calls it; the designer calls it before it shows a later step. What
    // cannot be read (a step missing, not yet run, or writing its result
    // nowhere) is an error in run mode when the table is used.
    void RefreshResultTables();
    void GetQueryFields();
    void LinkTables();
    void BuildSQL();
    // Renders a criterion or filter into text; with render False it only
    // gathers the tables of the fields it names. Field is the filtered
    // field, none for a criterion.
    void CriteriaToSQL(TMxQueryField* field, TMxFormulaList* formula, bool render, TConcatStringList* text);
    // Renders a calculated field's formula into its Formula.
    void FormulaToSQL(TMxQueryField* field, bool render);

    // The state one preparation gathers.
    TConcatStringList* SQL() const { return m_sql.get(); }
    TConcatStringList* StepCriteriaSQL() const { return m_stepCriteriaSql.get(); }
    TMxQueryFieldList* SelectedFields() const { return m_selectedFields.get(); }
    const std::vector<TMxTable*>& Tables() const { return m_tables; }
    const std::vector<TMxFLink*>& LinkPairs() const { return m_linkPairs; }
    const std::vector<TMxDatabaseItem*>& Databases() const { return m_databases; }
    const std::vector<TMxEntityCriteria*>& EntityCriteria() const { return m_entityCriteria; }
    const QString& MainDatabase() const { return m_mainDatabase; }
    // The statement's columns, in order.
    const std::vector<TStepColumn>& Columns() const { return m_columns; }
    bool SingleDatabase() const { return m_singleDatabase; }
    // Appends a table once (by Id); none is ignored.
    void AddTable(TMxTable* table);

    // The result of the last run; made and freed through the driver.
    TIMxDataset* Dataset() const { return m_dataset; }
    void SetDataset(TIMxDataset* dataset);
    // Hands the dataset back to the driver. Running the step, and dropping
    // its view, are the query run's (run/queryrun.h).
    void FreeDataset();

    // Receives status texts during a run; empty by default.
    std::function<void(const QString&)> OnProgress;

    // The name the step's result is read under by later steps: its view,
    // else the file its first table output writes (with the type's
    // extension); empty when it has neither.
    QString GetResultName();

    void ReadItems(TMxReader& reader) override;
    void WriteItems(TMxWriter& writer) override;
    void Assign(const TPersistent* source) override;

protected:
    void BeforeDestruction() override;

private:
    void rebuildAllFields();
    TMxQueryEntity* findOrMakeEntity(TMxEntity* entity);
    void addOneField(TMxQueryEntity* stepEntity, TMxField* field);
    TMxField* criteriaField(const TMxFormula* token);
    bool isRunMode() const;
    bool syncResultTable(TMxTable* table, TMxQueryStep* source);
    void offerResultEntities();
    void applyViewPrefixes();

    bool m_distinctSelect = false;
    TItemPtr<TMxQueryEntityList> m_entities;
    TItemPtr<TQueryDestinationList> m_destinations;
    TItemPtr<TMxSqlJoinList> m_sqlJoins;
    std::unique_ptr<TComponent> m_report;
    TItemPtr<TMxFormulaList> m_stepCriteria;

    TItemPtr<TMxDataModel> m_model;
    std::unique_ptr<TConcatStringList> m_sql;
    std::unique_ptr<TConcatStringList> m_stepCriteriaSql;
    TIMxDataset* m_dataset = nullptr;
    TSQLSyntaxProperties m_syntax;
    QString m_syntaxName;
    QString m_mainDatabase;
    bool m_singleDatabase = false;
    TItemPtr<TMxQueryFieldList> m_allFields;
    TItemPtr<TMxQueryFieldList> m_selectedFields;
    std::vector<TMxEntityCriteria*> m_entityCriteria;
    std::vector<TMxFLink*> m_linkPairs;
    std::vector<TMxTable*> m_tables;
    std::vector<TMxDatabaseItem*> m_databases;
    std::vector<TStepColumn> m_columns;
    // Filters of further occurrences of a selected field: (selected field
    // index, the occurrence whose filter is ANDed to the first one's).
    std::vector<std::pair<int, TMxQueryField*>> m_extraFilters;
    // Result tables that cannot be read, by table Id, with the reason.
    std::vector<std::pair<int, QString>> m_resultErrors;
};

class TMxQueryStepList : public TMxTypedList<TMxQueryStep> {
    MX_CLASS(TMxQueryStepList)
public:
    using TMxTypedList::TMxTypedList;
    TMxQueryStep* GetItem(int index) const { return Items(index); }
};

} // namespace mx
