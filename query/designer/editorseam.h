#pragma once
// What the designer window asks of the query editing surface: the widget
// of the step editor for its client area, the query it edits, the current
// step, the selection, and two notifications (a change of the query, step
// or selection; a change of the current step's SQL).
//

#include <QList>
#include <QMetaObject>
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
class TMxQueryEditor;
class TMxStepEditor;
class TPictureListView;
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

// The query editing surface (query/editor): the step editor with its
// panels, grid and report tabs, and the visual query editor binding the
// query to it, to the steps list and to the outline.
class TSurfaceQueryEditor : public TDesignerEditor {
public:
    TSurfaceQueryEditor(QWidget* parent, ui::TPictureListView* steps, ui::TEntityOutline* outline);
    ~TSurfaceQueryEditor() override;

    QWidget* StepEditor() const override;
    TMxQuery* Query() const override;
    void SetQuery(TMxQuery* query) override;
    TMxQueryStep* CurrentStep() const override;
    void SetStep(TMxQueryStep* step) override;
    bool HasSelectedField() const override;
    TMxQueryField* SelectedQueryField() const override;
    void UpdateSQL() override;
    int EntityCount() const override;
    QString SQLText() const override;
    void UnbindResults() override;
    void BindResults() override;
    void Changed() override;

private:
    QPointer<ui::TMxStepEditor> m_stepEditor;
    QPointer<ui::TMxQueryEditor> m_queryEditor;
    QList<QMetaObject::Connection> m_links;
};

} // namespace mx
