#pragma once
// The visual entities and fields of the step editor. Every TMxQueryEntity
// of the step shown is drawn by a TVEntity (an entity panel with its
// expand button and caption), every TMxQueryField by a TVField (a field
// panel with its check box, total label, name label, filter button and
// formula label, and the width splitter beside it). Each wrapper observes
// its engine object and turns the user's gestures into changes of the
// query; the panels (vpanels.h) are children of the step editor, placed by
// its relayout, and forward what happens on them to their wrapper.
//
// The wrappers are items (TVEntities holds the TVEntity objects in order,
// each TVEntity its TVField objects), so that the grid's columns can be
// them. Panels are named "vEntity<n>" and "vField<n>" after a sequence
// number counted over the process; a panel's children keep their own
// names ("CheckBox", "TotalLabel", "NameLabel", "FilterButton",
// "FormulaLabel"; "ExpandButton", "CaptionLabel") and a field's splitter,
// a child of the step editor, is "vField<n>Splitter". The widgets are the
// wrappers' own: the step editor asks for what it needs by name (MoveTo,
// Width, Repaint, ...).
//
// Widths: a field's DesignWidth is stored in the pixels of the font the
// queries were first drawn with; it is shown scaled by the step editor's
// WidthScale (its font's average character width over that font's), so
// that names and cells are not cut with a wider font.

#include "engine/core/list.h"
#include "ui/controls/itemobserver.h"

#include <memory>

class QFont;
class QMenu;
class QMouseEvent;
class QObject;
class QPixmap;
class QWidget;

namespace mx {
class TMxQueryEntity;
class TMxQueryField;
} // namespace mx

namespace mx::ui {

class TMxStepEditor;
class TVEntities;
class TVEntity;
class TVField;
class TVPanel;

// The heights of the editor's header, measured on its font: an entity
// panel's row, and below it a field panel with the name on two lines above
// the filter button and the formula. With a font whose two lines fit the
// name's row as drawn (from 8, 25 high) they are those of the drawing (a
// row of 17, then 49: the formula at 34, 13 high); a taller font moves the
// name up to 2, then makes the rows taller, so that no text is cut. The
// entity panel stands one pixel above the header, the field panels start
// at its row's height.
struct TPanelRows {
    int entityHeight;
    int nameTop;
    int nameHeight;
    int formulaTop;
    int formulaHeight;
    int fieldHeight;
    // The entity row, the field panels and the line under them.
    int HeaderHeight() const { return entityHeight + fieldHeight + 1; }
};
TPanelRows PanelRows(const QFont& font);

// What a panel asks of the visual entity or field it draws.
class TVPanelOwner {
public:
    virtual ~TVPanelOwner() = default;
    // The item the step editor selects and exchanges.
    virtual TMxItem* PanelItem() = 0;
    virtual TMxStepEditor* StepEditor() const = 0;
    // The child framed when the item is selected.
    virtual QWidget* FocusFrameAround() const = 0;
    // A press on the panel or one of its children (watched); true when the
    // child is not to have it.
    virtual bool PanelPress(QObject* watched, const QMouseEvent& event) = 0;
    // A double click on a child; true when the child is not to have it.
    virtual bool PanelDoubleClick(QObject* watched) = 0;
};

class TVField : public TMxItem, public TVPanelOwner {
    MX_CLASS(TVField)
public:
    // Joins owner's fields and makes the controls on owner's step editor.
    TVField(TVEntity* owner, TMxQueryField* field);
    ~TVField() override;

    TVEntity* VEntity() const;
    TMxStepEditor* StepEditor() const override;

    TMxQueryField* Field() const { return m_field.get(); }
    void SetField(TMxQueryField* field);

    // The width shown: the field's DesignWidth, 100 when it is 0, at least
    // 30, scaled by the step editor's WidthScale. Setting takes a width
    // shown and writes DesignWidth (0: the name's text width plus its left
    // and 8; at least 30) and relays the step editor's widths out.
    int Width() const;
    void SetWidth(int value);
    // Places the panel's children at their stored places, scaled.
    void PlaceControls();
    // Moves the panel to x on the editor, lays it out (as Layout) and shows
    // or hides it with its splitter.
    void PlaceAt(int x, int kind, bool shown);
    void SetFilterPicture(const QPixmap& picture);
    // Paints the panel again (its focus frame follows the selection).
    void Repaint();
    // Whether widget is this field's panel (a drag's source, for one).
    bool IsPanel(const QObject* widget) const;

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

    // TVPanelOwner
    TMxItem* PanelItem() override { return this; }
    QWidget* FocusFrameAround() const override;
    bool PanelPress(QObject* watched, const QMouseEvent& event) override;
    bool PanelDoubleClick(QObject* watched) override;

protected:
    void BeforeDestruction() override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TItemRef<TMxQueryField> m_field;
    TItemObserver* m_observer = nullptr;
};

class TVEntity : public TMxList, public TVPanelOwner {
    MX_CLASS(TVEntity)
public:
    // Joins owner's entities and makes the controls; observes entity and
    // makes one visual field per field; starts expanded.
    TVEntity(TVEntities* owner, TMxQueryEntity* entity);
    ~TVEntity() override;

    TVEntities* VEntities() const;
    TMxStepEditor* StepEditor() const override;
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
    // Moves the panel to x on the editor.
    void MoveTo(int x);
    // The width of the panel as laid out.
    int Width() const;
    // Paints the panel again (its focus frame follows the selection).
    void Repaint();

    // Gestures.
    void Press(Qt::MouseButton button, const QPoint& globalPos);
    // The criteria pop-up of a right press; none when the data model's
    // entity has no criterion. Built again each time.
    class QMenu* BuildCriteriaMenu();
    void ChooseCriterion(int index); // -1: none

    // TVPanelOwner
    TMxItem* PanelItem() override { return this; }
    QWidget* FocusFrameAround() const override;
    bool PanelPress(QObject* watched, const QMouseEvent& event) override;
    bool PanelDoubleClick(QObject*) override { return false; }

protected:
    void BeforeDestruction() override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
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
