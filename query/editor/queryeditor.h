#pragma once
// The visual query editor: binds one query to the designer's step editor,
// entity outline and list of steps, and keeps the three in step with it.
// The list is a view over the editor's list model of the query's steps:
// one line per step (the step's name), keyed by the step's Id. The outline
// shows the entities of the shown step's own copy of the data model. A drag
// from the outline (it starts at once, no threshold) carries the Ids of the
// field or entity pressed; dropped on the step editor or its grid, the Ids
// are found again in the shown step's model and that field, or every field
// of that entity, is added to the step, marking the query modified. The
// editor never owns the query; it forgets a control that is destroyed.

#include <QObject>
#include <QPointer>

class QListView;

namespace mx {
class TMxItem;
class TMxQuery;
class TMxQueryStep;
} // namespace mx

namespace mx::ui {

class TEntityOutline;
class TItemObserver;
class TObservedListModel;
class TMxStepEditor;
struct TDragInfo;

class TMxQueryEditor : public QObject {
    Q_OBJECT
public:
    explicit TMxQueryEditor(QObject* owner = nullptr);
    TMxQueryEditor(TMxStepEditor* stepEditor, TEntityOutline* outline, QListView* steps, QObject* owner = nullptr);
    ~TMxQueryEditor() override;

    TMxStepEditor* StepEditor() const;
    void SetStepEditor(TMxStepEditor* editor);
    TEntityOutline* EntityOutline() const;
    void SetEntityOutline(TEntityOutline* outline);
    QListView* StepsListBox() const;
    // The list is made a view over StepsModel.
    void SetStepsListBox(QListView* list);
    // The query's steps as a list model, keyed by step Id
    // (TObservedListModel::IdRole).
    TObservedListModel* StepsModel() const { return m_lines; }

    // The step shown (through the step editor).
    TMxQueryStep* Step() const;
    void SetStep(TMxQueryStep* step);
    // The step of a line of the steps list (none: no such line).
    TMxQueryStep* StepOfLine(int line) const;

    // The query edited (none detaches); never owned.
    TMxQuery* Query() const;
    void SetQuery(TMxQuery* query);

    // A drag from the outline carries the identifiers of the entity or
    // field pressed (fielddrag.h); the drop finds them again in the shown
    // step's data model and adds them to the step. Nothing is added when
    // what the drag names is gone or belongs to another model.
    bool AcceptsDrag(const TDragInfo& drag) const;
    void DropFields(const TDragInfo& drag);

signals:
    // Something changed that the window may show (a step, its name, its
    // contents, the step shown).
    void OnChange();
    // The query's SQL was rebuilt, or another step (with its SQL) is shown.
    void OnSQLChange();

private:
    void stepSelected();
    void lineSelected(int line);
    void stepChanged();
    void updateSQL();
    void stepAdded(TMxItem* item);
    void stepRemoved(TMxItem* item);
    void outlineMouseMoved(Qt::MouseButtons buttons);
    int lineOf(const TMxQueryStep* step) const;

    QPointer<TMxStepEditor> m_stepEditor;
    QPointer<TEntityOutline> m_outline;
    QPointer<QListView> m_steps;
    TObservedListModel* m_lines = nullptr;
    // A line going is no choice of the user's: the step shown stays.
    bool m_linesGoing = false;
    TItemObserver* m_queryObserver = nullptr;
    TItemObserver* m_stepsObserver = nullptr;
    QList<QMetaObject::Connection> m_editorLinks;
    QMetaObject::Connection m_outlineLink;
    QMetaObject::Connection m_stepsLink;
};

} // namespace mx::ui
