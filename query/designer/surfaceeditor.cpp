#include "editorseam.h"

#include "engine/core/sqlsyntax.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"

#include "ui/controls/entityoutline.h"
#include "ui/services/guarded.h"
#include "ui/controls/picturelistbox.h"
#include "query/editor/queryeditor.h"
#include "query/editor/stepeditor.h"
#include "query/editor/vpanels.h"

#include <QWidget>

namespace mx {

TSurfaceQueryEditor::TSurfaceQueryEditor(QWidget* parent, ui::TPictureListView* steps, ui::TEntityOutline* outline)
{
    m_stepEditor = new ui::TMxStepEditor(parent);
    m_stepEditor->setObjectName(QStringLiteral("MxStepEditor"));
    m_queryEditor = new ui::TMxQueryEditor(m_stepEditor, outline, steps, parent);
    m_queryEditor->setObjectName(QStringLiteral("MxQueryEditor"));
    const auto change = [this] {
        if (OnChange)
            OnChange();
    };
    m_links << ui::Connect(m_queryEditor.data(), &ui::TMxQueryEditor::OnChange, parent, change)
            << ui::Connect(m_stepEditor.data(), &ui::TMxStepEditor::OnFieldSelect, parent, change)
            << ui::Connect(m_queryEditor.data(), &ui::TMxQueryEditor::OnSQLChange, parent, [this] {
                   if (OnSQLChange)
                       OnSQLChange();
               });
}

TSurfaceQueryEditor::~TSurfaceQueryEditor()
{
    for (const QMetaObject::Connection& c : m_links)
        QObject::disconnect(c);
    if (m_queryEditor)
        m_queryEditor->SetQuery(nullptr);
}

QWidget* TSurfaceQueryEditor::StepEditor() const
{
    return m_stepEditor;
}

TMxQuery* TSurfaceQueryEditor::Query() const
{
    return m_queryEditor ? m_queryEditor->Query() : nullptr;
}

void TSurfaceQueryEditor::SetQuery(TMxQuery* query)
{
    if (!m_queryEditor)
        return;
    m_queryEditor->SetQuery(query);
    // The SQL pane shows the SQL of a query just opened too.
    if (query && CurrentStep() && m_stepEditor) {
        try {
            m_stepEditor->UpdateSQL();
        } catch (const std::exception&) {
            // A query that cannot be prepared shows no SQL; its run says why.
        }
    }
}

TMxQueryStep* TSurfaceQueryEditor::CurrentStep() const
{
    return m_queryEditor ? m_queryEditor->Step() : nullptr;
}

void TSurfaceQueryEditor::SetStep(TMxQueryStep* step)
{
    if (m_queryEditor)
        m_queryEditor->SetStep(step);
}

bool TSurfaceQueryEditor::HasSelectedField() const
{
    return m_stepEditor && m_stepEditor->SelectedField();
}

TMxQueryField* TSurfaceQueryEditor::SelectedQueryField() const
{
    ui::TVField* field = m_stepEditor ? m_stepEditor->SelectedField() : nullptr;
    return field ? field->Field() : nullptr;
}

void TSurfaceQueryEditor::UpdateSQL()
{
    if (m_stepEditor && CurrentStep())
        m_stepEditor->UpdateSQL();
}

int TSurfaceQueryEditor::EntityCount() const
{
    return m_stepEditor && m_stepEditor->VEntities() ? m_stepEditor->VEntities()->Count() : 0;
}

QString TSurfaceQueryEditor::SQLText() const
{
    TMxQueryStep* step = CurrentStep();
    return step && step->SQL() ? step->SQL()->Text() : QString();
}

void TSurfaceQueryEditor::UnbindResults()
{
    if (!m_stepEditor)
        return;
    if (m_stepEditor->IsReportTab())
        m_stepEditor->ShowDataTab();
    m_stepEditor->Grid()->SetDataSet(nullptr);
}

void TSurfaceQueryEditor::BindResults()
{
    if (m_stepEditor)
        m_stepEditor->ResultChanged();
}

void TSurfaceQueryEditor::Changed()
{
    if (m_stepEditor && CurrentStep())
        m_stepEditor->Relayout(2);
    else if (OnChange)
        OnChange();
}

} // namespace mx
