#pragma once
// The visual entities and fields of the step editor. Every TMxQueryEntity
// of the step shown is drawn by a TVEntity (an entity panel with its
// expand button and caption), every TMxQueryField by a TVField (a field
// panel with its check box, total label, name label, filter button and
// formula label, and the width splitter beside it). Each wrapper observes
// its engine object and turns the user's gestures into changes of the
// query; the panels are children of the step editor, placed by its
// relayout.
//
// The wrappers are items (TVEntities holds the TVEntity objects in order,
// each TVEntity its TVField objects), so that the grid's columns can be
// them. Panels are named "vEntity<n>" and "vField<n>" after a sequence
// number counted over the process.

#include "core/list.h"
#include "itemobserver.h"
#include "nrpanel.h"
#include "dragmanager.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QToolButton;

namespace mx {
class TMxQueryEntity;
class TMxQueryField;
} // namespace mx

namespace mx::ui {

class TMxSplitter;
class TMxStepEditor;
class TVEntities;
class TVEntity;
class TVField;

// The panel of a visual entity: paints itself and, when its entity is
// selected, a focus rectangle around the caption.
class TVEntityPanel : public TNRPanel, public TDragTarget {
    Q_OBJECT
public:
    TVEntityPanel(TVEntity* owner, QWidget* parent);
    TVEntity* Owner() const { return m_owner; }
    void Forget() { m_owner = nullptr; }

    bool DragOver(const TDragInfo& drag, const QPoint& pos, TDragState state) override;
    void DragDrop(const TDragInfo& drag, const QPoint& pos) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TVEntity* m_owner;
};

class TVFieldPanel : public TNRPanel, public TDragTarget {
    Q_OBJECT
public:
    TVFieldPanel(TVField* owner, QWidget* parent);
    TVField* Owner() const { return m_owner; }
    void Forget() { m_owner = nullptr; }

    bool DragOver(const TDragInfo& drag, const QPoint& pos, TDragState state) override;
    void DragDrop(const TDragInfo& drag, const QPoint& pos) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TVField* m_owner;
};

class TVField : public TMxItem {
    MX_CLASS(TVField)
public:
    // Joins owner's fields and makes the controls on owner's step editor.
    TVField(TVEntity* owner, TMxQueryField* field);
    ~TVField() override;

    TVEntity* VEntity() const;
    TMxStepEditor* StepEditor() const;

    TMxQueryField* Field() const { return m_field.get(); }
    void SetField(TMxQueryField* field);

    // The width shown: the field's DesignWidth, 100 when it is 0, at least
    // 30. Setting writes DesignWidth (0: the name's text width plus its
    // left and 8; at least 30) and relays the step editor's widths out.
    int Width() const;
    void SetWidth(int value);

    // Kind 0 moves the splitter only; other kinds size the panel; kinds 2
    // and 3 also set the texts from the field.
    void Layout(int kind);
    // The index of the field's total in the totals pop-up.
    int TotalIndex() const;

    // Gestures (also reached by tests and the step editor).
    void Press(Qt::MouseButton button);
    void CheckClicked();
    void Rename();
    void EditFormula();
    void SplitterMoved();

    TVFieldPanel* Panel = nullptr;
    QCheckBox* CheckBox = nullptr;
    QLabel* TotalLabel = nullptr;
    QLabel* NameLabel = nullptr;
    QToolButton* FilterButton = nullptr;
    QLabel* FormulaLabel = nullptr;
    TMxSplitter* Splitter = nullptr;

protected:
    void BeforeDestruction() override;

private:
    TItemRef<TMxQueryField> m_field;
    TItemObserver* m_observer = nullptr;
};

class TVEntity : public TMxList {
    MX_CLASS(TVEntity)
public:
    // Joins owner's entities and makes the controls; observes entity and
    // makes one visual field per field; starts expanded.
    TVEntity(TVEntities* owner, TMxQueryEntity* entity);
    ~TVEntity() override;

    TVEntities* VEntities() const;
    TMxStepEditor* StepEditor() const;
    TVField* VField(int index) const { return static_cast<TVField*>(Items(index)); }
    TVField* FindField(const TMxQueryField* field) const;

    TMxQueryEntity* Entity() const { return m_entity.get(); }
    void SetEntity(TMxQueryEntity* entity);
    bool Expanded() const { return m_expanded; }
    void SetExpanded(bool value);

    // Places the field panels from the entity panel's left and sizes the
    // entity panel (expanded: the sum of its fields' widths, 17 high;
    // collapsed: its caption's width plus 20, 67 high).
    void Layout(int kind);

    // Gestures.
    void Press(Qt::MouseButton button, const QPoint& globalPos);
    // The criteria pop-up of a right press; none when the data model's
    // entity has no criterion. Built again each time.
    class QMenu* BuildCriteriaMenu();
    void ChooseCriterion(int index); // -1: none

    TVEntityPanel* Panel = nullptr;
    QToolButton* ExpandButton = nullptr;
    QLabel* CaptionLabel = nullptr;

protected:
    void BeforeDestruction() override;

private:
    void fieldAdded(TMxItem* item);
    void fieldRemoved(TMxItem* item);
    TItemRef<TMxQueryEntity> m_entity;
    TItemObserver* m_observer = nullptr;
    bool m_expanded = false;
};

class TVEntities : public TMxList {
    MX_CLASS(TVEntities)
public:
    explicit TVEntities(TMxStepEditor* editor);
    TMxStepEditor* StepEditor() const { return m_editor; }
    TVEntity* VEntity(int index) const { return static_cast<TVEntity*>(Items(index)); }
    TVEntity* FindEntity(const TMxQueryEntity* entity) const;

private:
    TMxStepEditor* m_editor;
};

} // namespace mx::ui
