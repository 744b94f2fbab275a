#pragma once
// What the designer's step, field, set and help commands do, on
// the window's query, without a widget: the window forwards its actions
// here and shows the outcome. The dialogs are reached through the engine's
// editor slots (tools/hooks.h) and the slots below, filled by the units of
// the dialogs, so none of them is linked here; an empty slot makes its
// command do nothing. Questions and messages go through the user service.
//
// Every command that changes the query marks it modified.

#include "engine/core/hookslot.h"

#include <QString>

namespace mx {

class TMxQuery;
class TMxQueryStep;
class TMxQueryField;

// The sort dialog and the result options dialog of a step: True on OK.
extern THookSlot<bool(TMxQueryStep* step)> StepSortHook;
extern THookSlot<bool(TMxQueryStep* step)> StepDestinationsHook;

// What the commands need of the designer window.
class TDesignerView {
public:
    virtual ~TDesignerView() = default;
    // The query the window holds, or none.
    virtual TMxQuery* DesignerQuery() const = 0;
    // The step shown in the step editor, or none.
    virtual TMxQueryStep* CurrentStep() const = 0;
    // The step editor shows this step; none detaches it from its step.
    virtual void ShowStep(TMxQueryStep* step) = 0;
    // The query field of the selected field panel, or none.
    virtual TMxQueryField* SelectedField() const = 0;
    // The step editor writes the current step's SQL again.
    virtual void UpdateSQL() = 0;
    // The window recomputes its command states and caption.
    virtual void StateChanged() = 0;
};

class TDesignerCommands {
public:
    explicit TDesignerCommands(TDesignerView& view) : m_view(view) {}

    // Steps.
    void NewStep();
    void RenameStep();
    // Asks first; the step before it is shown afterwards. The first step
    // is never deleted.
    void DeleteStep();

    // The query's parameters and their dialog (whatever the answer, the
    // query is marked modified); nothing without a current step.
    void EditParams();
    void EditSort();
    void EditDestinations();
    void EditStepFilter();

    // A new calculated field "Formule n" in the current step, when the
    // formula editor confirms it.
    void AddCalculatedField();
    // The formula of the selected calculated field, or the filter of the
    // selected other field.
    void EditSelectedFieldFormula();
    void EditFieldFormula(TMxQueryField* field);
    void DeleteSelectedField();
    // Asks for a field's new name (at most 25 characters); True on OK,
    // name then holds it.
    bool RenameField(QString& name);

    // The query's set becomes the set of that Id: only a set open to the
    // logged-in user, and only while the query has one step with no
    // entity; the step is made again on the new set. False when refused.
    bool ChangeDomain(int domainId);

private:
    TMxQuery* query() const;
    void modified();

    TDesignerView& m_view;
};

} // namespace mx
