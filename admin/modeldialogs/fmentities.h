#pragma once
// The entities of a model's tables ("Définition des entités") and the
// field picker of one entity ("Choix des champs pour une entité"). The
// entities dialog edits a copy of the model's tables; the model's tables
// take the copied entities on Ok.

#include "engine/core/itemptr.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace mx {
class TMxDataModel;
class TMxEntity;
class TMxEntityCriteria;
class TMxItem;
class TMxTable;
class TMxTableList;
}

namespace mx::admin {

// A criterion as listed: its name, then " (formula)" when the formula has
// a text; no blank at the end, nor around the formula.
QString CriterionLine(const TMxEntityCriteria* criterion);

class TfmSelectEntityFields : public QDialog {
    Q_OBJECT

public:
    TfmSelectEntityFields(const TMxTable* table, const TMxEntity* entity, QWidget* parent = nullptr);
    ~TfmSelectEntityFields() override;

    // The fields of each side, in their order.
    const std::vector<TMxItem*>& Available() const { return m_available; }
    const std::vector<TMxItem*>& Chosen() const { return m_chosen; }

    void Include();
    void IncludeAll();
    void Exclude();
    void ExcludeAll();

private:
    void show(int availableRow, int chosenRow);
    void updateButtons();
    // The selected lines of from, scanned from the last to the first, go
    // to the end of to; from then selects the first one's place.
    void move(bool include);
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    std::vector<TMxItem*> m_available;
    std::vector<TMxItem*> m_chosen;
};

// The entity's fields chosen among those of its table that no entity of
// the table holds; on Ok the entity's fields are the lines chosen, in
// order. True on Ok.
bool SelectEntityFields(TMxTable* table, TMxEntity* entity);

class TfmEntities : public QDialog {
    Q_OBJECT

public:
    explicit TfmEntities(TMxDataModel* model, QWidget* parent = nullptr);
    ~TfmEntities() override;

    TMxTableList* Copy() const { return m_copy.get(); }
    TMxTable* Table() const;
    TMxEntity* Entity() const;
    TMxEntityCriteria* Criterion() const;

    void ShowTable(int entityRow);
    void AddEntity();
    void RenameEntity();
    void DeleteEntity();
    void EditEntityFields();
    void AddCriterion();
    void RenameCriterion();
    void DeleteCriterion();
    void EditCriterion();

private:
    void showEntity(int criterionRow);
    void updateButtons();
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TMxDataModel* m_model;
    TItemPtr<TMxTableList> m_copy;
};

// The entities of every table of the model; on Ok each model table takes
// its copy's entities. True on Ok.
bool EditEntities(TMxDataModel* model);

} // namespace mx::admin
