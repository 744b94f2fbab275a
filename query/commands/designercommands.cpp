#include "designercommands.h"

#include "engine/core/exceptions.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/modeltypes.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/tools/hooks.h"
#include "engine/tools/messages.h"

namespace mx {

THookSlot<bool(TMxQueryStep* step)> StepSortHook;
THookSlot<bool(TMxQueryStep* step)> StepDestinationsHook;

TMxQuery* TDesignerCommands::query() const
{
    TMxQuery* q = m_view.DesignerQuery();
    return q && q->DataModel() ? q : nullptr;
}

void TDesignerCommands::modified()
{
    if (TMxQuery* q = m_view.DesignerQuery())
        q->MarkModified();
    m_view.StateChanged();
}

// ---- steps -----------------------------------------------------------

void TDesignerCommands::NewStep()
{
    TMxQuery* q = query();
    if (!q)
        return;
    m_view.ShowStep(q->AddStep());
    modified();
}

void TDesignerCommands::RenameStep()
{
    TMxQueryStep* step = m_view.CurrentStep();
    if (!query() || !step)
        return;
    QString name = step->GetName();
    if (!CallPromptString(Translate(QStringLiteral("Renommer une étape")), Translate(QStringLiteral("Nom de l'étape de la requête :")),
            name))
        return;
    step->SetName(name);
    modified();
}

void TDesignerCommands::DeleteStep()
{
    TMxQuery* q = query();
    TMxQueryStep* step = m_view.CurrentStep();
    if (!q || !step)
        return;
    const int index = q->Steps()->IndexOf(step);
    if (index <= 0)
        return;
    if (UserService().MessageDlg(TranslateFmt(QStringLiteral("Supprimer l'étape %s ?"), {step->GetName()}),
            TMsgDlgType::mtConfirmation, mbYes | mbNo)
        != mrYes)
        return;
    m_view.ShowStep(q->Steps()->Items(index - 1));
    step->Free();
    modified();
}

// ---- dialogs of the step ---------------------------------------------

void TDesignerCommands::EditParams()
{
    TMxQuery* q = query();
    TMxQueryStep* step = m_view.CurrentStep();
    if (!q || !step || !ParamsEditorHook)
        return;
    ParamsEditorHook(Translate(QStringLiteral("Paramètres de la requête")), step->DataModel(), q->ParamControls(), q->Params());
    // Marked whatever the answer: the dialog may have changed the
    // parameters' dialog before it was cancelled.
    modified();
}

namespace {
template <class Slot>
bool runStepDialog(Slot& slot, TMxQueryStep* step)
{
    return step && slot && slot(step);
}
} // namespace

void TDesignerCommands::EditSort()
{
    if (query() && runStepDialog(StepSortHook, m_view.CurrentStep())) {
        m_view.UpdateSQL();
        modified();
    }
}

void TDesignerCommands::EditDestinations()
{
    if (query() && runStepDialog(StepDestinationsHook, m_view.CurrentStep())) {
        m_view.UpdateSQL();
        modified();
    }
}

void TDesignerCommands::EditStepFilter()
{
    if (query() && runStepDialog(StepCriteriaHook, m_view.CurrentStep())) {
        m_view.UpdateSQL();
        modified();
    }
}

// ---- fields ----------------------------------------------------------

void TDesignerCommands::AddCalculatedField()
{
    TMxQuery* q = query();
    TMxQueryStep* step = m_view.CurrentStep();
    if (!q || !step || !step->DataModel() || !FieldFormulaHook)
        return;
    TItemPtr<TMxQueryField> field(new TMxQueryField(nullptr));
    field->SetStepId(step->Id());
    const QString name = step->AllFields()->NewFormulaName();
    field->SetName(name);
    field->SetFullName(name);
    field->SetChecked(true);
    field->SetCalculated(true);
    field->SetSourceStepId(0);
    field->SetFieldType(u' ');
    field->SetTable(step->DataModel()->CalcTable());
    if (FieldFormulaHook(q, step->Id(), step->DataModel(), field.get())) {
        step->AddFields(nullptr, field.get());
        modified();
    }
}

void TDesignerCommands::EditSelectedFieldFormula()
{
    EditFieldFormula(m_view.SelectedField());
}

void TDesignerCommands::EditFieldFormula(TMxQueryField* field)
{
    TMxQuery* q = query();
    TMxQueryStep* step = m_view.CurrentStep();
    if (!q || !step || !field)
        return;
    // Both editors are given the step's model (reduced to the set), so the
    // formula offers the same fields as when the field was made.
    if (field->Calculated()) {
        if (FieldFormulaHook)
            FieldFormulaHook(q, step->Id(), step->DataModel(), field);
    } else if (FieldFilterHook) {
        FieldFilterHook(q, step->Id(), field);
    }
    modified();
}

void TDesignerCommands::DeleteSelectedField()
{
    TMxQueryField* field = m_view.SelectedField();
    if (!query() || !field)
        return;
    field->Free();
    modified();
}

bool TDesignerCommands::RenameField(QString& name)
{
    if (!query())
        return false;
    QString value = name;
    if (!CallPromptStringEx(name, Translate(QStringLiteral("Veuillez entrer le nom du champ")), nullptr, 25, value, QString(),
            QStringLiteral("A")))
        return false;
    name = value.left(25);
    modified();
    return true;
}

// ---- the query's set -------------------------------------------------

bool TDesignerCommands::ChangeDomain(int domainId)
{
    TMxQuery* q = query();
    if (!q)
        return false;
    TMxDataModel* model = q->DataModel();
    if (domainId == q->DomId())
        return true;
    TMxQueryStep* first = q->Steps()->Count() == 1 ? q->Steps()->Items(0) : nullptr;
    if (!first || first->Entities()->Count() > 0)
        return false;
    // Only a set the user may use: the model's sets open to the login
    // (every set without users).
    if (!model->AccessibleDomains()->FindById(domainId)) {
        UserService().MessageDlg(Translate(QStringLiteral("Vous n'avez pas accès à cet ensemble.")), TMsgDlgType::mtError, mbOK);
        return false;
    }
    TBusyCursor busy;
    m_view.ShowStep(nullptr);
    first->Free();
    q->SetDomId(domainId);
    model->SetDomainById(domainId);
    m_view.ShowStep(q->AddStep());
    modified();
    return true;
}

} // namespace mx
