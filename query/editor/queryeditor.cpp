#include "queryeditor.h"

#include "stepeditor.h"

#include "ui/controls/dragmanager.h"
#include "ui/controls/entityoutline.h"
#include "ui/controls/fielddrag.h"
#include "ui/services/guarded.h"
#include "ui/controls/itemobserver.h"
#include "ui/controls/observedlistmodel.h"

#include "engine/model/datamodel.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"

#include <QListView>

namespace mx::ui {

TMxQueryEditor::TMxQueryEditor(QObject* owner) : QObject(owner)
{
    m_queryObserver = new TItemObserver(this);
    Connect(m_queryObserver, &TItemObserver::changed, this, [this] { emit OnChange(); });
    m_stepsObserver = new TItemObserver(this);
    Connect(m_stepsObserver, &TItemObserver::added, this, [this](TMxItem* item) { stepAdded(item); });
    Connect(m_stepsObserver, &TItemObserver::removed, this, [this](TMxItem* item) { stepRemoved(item); });
    m_lines = new TObservedListModel(this);
    m_lines->SetText([](const TMxItem* item) {
        const auto* step = item_cast<TMxQueryStep>(item);
        return step ? step->GetName() : item->Name();
    });
    // Before any view's selection hears of it.
    Connect(m_lines, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_linesGoing = true; });
    Connect(m_lines, &QAbstractItemModel::rowsRemoved, this, [this] { m_linesGoing = false; });
}

TMxQueryEditor::TMxQueryEditor(TMxStepEditor* stepEditor, TEntityOutline* outline, QListView* steps, QObject* owner)
    : TMxQueryEditor(owner)
{
    SetStepsListBox(steps);
    SetEntityOutline(outline);
    SetStepEditor(stepEditor);
}

TMxQueryEditor::~TMxQueryEditor()
{
    SetQuery(nullptr);
    SetStepEditor(nullptr);
    SetEntityOutline(nullptr);
}

TMxStepEditor* TMxQueryEditor::StepEditor() const { return m_stepEditor; }
TEntityOutline* TMxQueryEditor::EntityOutline() const { return m_outline; }
QListView* TMxQueryEditor::StepsListBox() const { return m_steps; }

void TMxQueryEditor::SetStepEditor(TMxStepEditor* editor)
{
    if (m_stepEditor) {
        for (const QMetaObject::Connection& c : m_editorLinks)
            disconnect(c);
        m_stepEditor->OnDragOver = nullptr;
        m_stepEditor->OnDragDrop = nullptr;
    }
    m_editorLinks.clear();
    m_stepEditor = editor;
    if (editor) {
        m_editorLinks << Connect(editor, &TMxStepEditor::OnStepSelect, this, [this] { stepSelected(); })
                      << Connect(editor, &TMxStepEditor::OnChange, this, [this] { stepChanged(); })
                      << Connect(editor, &TMxStepEditor::OnUpdateSQL, this, [this] { updateSQL(); });
        editor->OnDragOver = [this](const TDragInfo& drag) { return AcceptsDrag(drag); };
        editor->OnDragDrop = [this](const TDragInfo& drag) { DropFields(drag); };
        stepChanged();
    }
}

void TMxQueryEditor::SetEntityOutline(TEntityOutline* outline)
{
    if (m_outline) {
        m_outline->SetEntities(nullptr);
        disconnect(m_outlineLink);
    }
    m_outline = outline;
    if (outline) {
        m_outlineLink = Connect(outline, &TEntityOutline::mouseMoved, this,
            [this](Qt::MouseButtons buttons, QPoint) { outlineMouseMoved(buttons); });
        // The outline shows the shown step's entities at once.
        TMxQueryStep* step = Step();
        outline->SetEntities(step && step->DataModel() ? step->DataModel()->DomainEntities() : nullptr);
        stepChanged();
    }
}

void TMxQueryEditor::SetStepsListBox(QListView* list)
{
    if (m_steps) {
        disconnect(m_stepsLink);
        if (m_steps->model() == m_lines)
            m_steps->setModel(nullptr);
    }
    m_steps = list;
    // The line made current (a click, the arrow keys) shows its own step.
    if (list) {
        list->setModel(m_lines);
        m_stepsLink = Connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { lineSelected(current.row()); });
    }
    stepChanged();
}

TMxQueryStep* TMxQueryEditor::StepOfLine(int line) const
{
    // A line holds its step's Id: the step is found again in the query, so
    // a line left over from a step freed elsewhere names nothing.
    const QVariant id = m_lines->index(line).data(TObservedListModel::IdRole);
    return id.isValid() && Query() ? Query()->Steps()->FindById(id.toInt()) : nullptr;
}

void TMxQueryEditor::lineSelected(int line)
{
    if (m_linesGoing)
        return;
    TMxQueryStep* step = StepOfLine(line);
    if (step && step != Step())
        SetStep(step);
}

TMxQueryStep* TMxQueryEditor::Step() const
{
    return m_stepEditor ? m_stepEditor->Step() : nullptr;
}

void TMxQueryEditor::SetStep(TMxQueryStep* step)
{
    if (m_stepEditor)
        m_stepEditor->SetStep(step);
}

TMxQuery* TMxQueryEditor::Query() const
{
    return m_queryObserver->ItemAs<TMxQuery>();
}

void TMxQueryEditor::SetQuery(TMxQuery* query)
{
    if (TMxQuery* old = Query()) {
        old->OnSQLChange = nullptr;
        m_stepsObserver->Release(true);
        m_queryObserver->Release(false);
        m_lines->SetList(nullptr);
    } else {
        m_stepsObserver->Release(false);
        m_queryObserver->Release(false);
    }
    if (query) {
        query->OnSQLChange = [this](TMxQuery*) { emit OnSQLChange(); };
        // The lines first: a step reported as added has its line.
        m_lines->SetList(query->Steps());
        m_stepsObserver->Observe(query->Steps());
        m_queryObserver->Observe(query);
    }
    emit OnChange();
}

int TMxQueryEditor::lineOf(const TMxQueryStep* step) const
{
    return step ? m_lines->RowOfId(step->Id()) : -1;
}

void TMxQueryEditor::stepSelected()
{
    TMxQueryStep* step = Step();
    if (m_outline)
        m_outline->SetEntities(step && step->DataModel() ? step->DataModel()->DomainEntities() : nullptr);
    if (m_steps && step)
        m_steps->setCurrentIndex(m_lines->index(lineOf(step)));
    // The SQL shown is the shown step's.
    emit OnSQLChange();
    emit OnChange();
}

void TMxQueryEditor::stepChanged()
{
    // The shown step's line shows its name as it is now.
    if (const int line = lineOf(Step()); line >= 0)
        m_lines->Refresh(line);
    emit OnChange();
}

void TMxQueryEditor::updateSQL()
{
    if (TMxQuery* query = Query())
        query->Prepare(true);
}

void TMxQueryEditor::stepAdded(TMxItem* item)
{
    auto* step = item_cast<TMxQueryStep>(item);
    if (!step)
        return;
    if (Step() || !m_stepEditor)
        emit OnChange();
    else
        m_stepEditor->SetStep(step);
}

void TMxQueryEditor::stepRemoved(TMxItem* item)
{
    auto* step = item_cast<TMxQueryStep>(item);
    if (!step)
        return;
    if (m_stepEditor && m_stepEditor->Step() == step)
        m_stepEditor->SetStep(nullptr);
    else
        emit OnChange();
}

void TMxQueryEditor::outlineMouseMoved(Qt::MouseButtons buttons)
{
    if (!(buttons & Qt::LeftButton) || !Step() || !m_outline || !m_outline->SelectedEntity())
        return;
    TDragManager& manager = TDragManager::Instance();
    if ((manager.Pending() || manager.Dragging()) && manager.Drag().source == m_outline)
        return;
    // What the press was on, named by identifiers: the outline's selection
    // may change, and its items go, while the mouse is held.
    TFieldDragPayload payload;
    payload.modelFile = ModelFileOf(Step()->DataModel());
    payload.items.append(DragItemOf(m_outline->SelectedEntity(), m_outline->SelectedField()));
    manager.BeginDrag(m_outline, payload.ToVariant(), true);
}

bool TMxQueryEditor::AcceptsDrag(const TDragInfo& drag) const
{
    return m_outline && drag.source == m_outline.data() && Step() && TFieldDragPayload::FromVariant(drag.data);
}

void TMxQueryEditor::DropFields(const TDragInfo& drag)
{
    TMxQueryStep* step = Step();
    const std::optional<TFieldDragPayload> payload = TFieldDragPayload::FromVariant(drag.data);
    if (!step || !payload || !step->DataModel() || payload->modelFile != ModelFileOf(step->DataModel()))
        return;
    bool added = false;
    for (const TFieldDragItem& item : payload->items) {
        // Found again for each item: adding one may change the step.
        const TResolvedDragItem what = ResolveDragItem(step->DataModel()->DomainEntities(), item);
        if (!what.entity || Step() != step)
            continue;
        step->AddFields(what.entity, what.field);
        added = true;
    }
    if (!added)
        return;
    if (TMxQuery* query = Query())
        query->MarkModified();
}

} // namespace mx::ui
