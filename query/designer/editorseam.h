#pragma once
// What the designer window asks of the query editing surface: the widget
// of the step editor for its client area, the query it edits, the current
// step, the selection, and two notifications (a change of the query, step
// or selection; a change of the current step's SQL).
//
// TPlaceholderQueryEditor stands in until the full editing surface takes
// this place: it shows the steps in the steps list, the current step's
// entities in the outline, and the current step's result in a grid.

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace mx {
class TMxQuery;
class TMxQueryStep;
class TMxQueryField;
namespace ui {
class TEntityOutline;
class TMxGrid;
class TPictureListBox;
}

class TDesignerEditor {
public:
    virtual ~TDesignerEditor() = default;

    // The step editor's widget (objectName "MxStepEditor").
    virtual QWidget* StepEditor() const = 0;

    // The query edited (none: empty). The editor never frees it.
    virtual TMxQuery* Query() const = 0;
    virtual void SetQuery(TMxQuery* query) = 0;
    virtual TMxQueryStep* CurrentStep() const = 0;
    virtual void SetStep(TMxQueryStep* step) = 0;
    // A field panel of the step editor is selected.
    virtual bool HasSelectedField() const = 0;
    // The query field of the selected field panel (none: no selection).
    virtual TMxQueryField* SelectedQueryField() const { return nullptr; }
    // The current step's SQL is written again (after its sort, results or
    // criterion changed).
    virtual void UpdateSQL() { Changed(); }
    // The entities the step editor shows.
    virtual int EntityCount() const = 0;
    // The current step's SQL as a run would send it (empty: none).
    virtual QString SQLText() const = 0;

    // The views over the steps' results let go of them before a run and
    // are bound to the new results after it.
    virtual void UnbindResults() = 0;
    virtual void BindResults() = 0;

    // Something of the query, the step or the selection changed (the
    // owner calls Changed after changing the query itself).
    virtual void Changed() = 0;

    std::function<void()> OnChange;
    std::function<void()> OnSQLChange;
};

class TPlaceholderQueryEditor : public TDesignerEditor {
public:
    TPlaceholderQueryEditor(QWidget* parent, ui::TPictureListBox* steps, ui::TEntityOutline* outline);
    ~TPlaceholderQueryEditor() override;

    QWidget* StepEditor() const override { return m_editor; }
    TMxQuery* Query() const override { return m_query; }
    void SetQuery(TMxQuery* query) override;
    TMxQueryStep* CurrentStep() const override { return m_step; }
    void SetStep(TMxQueryStep* step) override;
    bool HasSelectedField() const override { return false; }
    int EntityCount() const override;
    QString SQLText() const override;
    void UnbindResults() override;
    void BindResults() override;
    void Changed() override;

    ui::TMxGrid* Grid() const { return m_grid; }

private:
    void fillSteps();
    void showStep();
    void prepareSQL();

    QPointer<QWidget> m_editor;
    ui::TMxGrid* m_grid = nullptr;
    QPointer<ui::TPictureListBox> m_steps;
    QPointer<ui::TEntityOutline> m_outline;
    TMxQuery* m_query = nullptr;
    TMxQueryStep* m_step = nullptr;
    QString m_sql;
};

} // namespace mx
