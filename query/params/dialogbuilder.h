#pragma once
// The surface on which a query's parameter dialog is laid out (design
// mode, in the parameter editor) and answered (run and test modes, in the
// prompter). The builder works on its own copy of a control list; one
// shape per control, each shape owning the live widget of its kind and,
// for most kinds, a companion label. The geometry and the rules are
// paramrules.h's.

#include "paramrules.h"

#include "ui/controls/itemobserver.h"

#include <QLabel>
#include <QPointer>
#include <QScrollArea>

#include <functional>

class QLabel;
class QMenu;
class QAction;
class QKeyEvent;
class QMouseEvent;

namespace mx {

class TMxDataModel;
class TMxParam;
class TMxParamControl;
class TMxParamControlList;
class TMxParamList;
class TFontSpec;

class TDialogBuilder;

// The font a control shows: the stored default stands for the
// application's font.
QFont ControlFont(const TFontSpec& font);
void StoreControlFont(const QFont& font, TFontSpec& spec);

class TVParamControl : public QWidget {
    Q_OBJECT

public:
    TVParamControl(TDialogBuilder* builder, TMxParamControl* control);
    ~TVParamControl() override;

    TMxParamControl* ParamControl() const { return m_control.get(); }
    TDialogBuilder* Builder() const { return m_builder; }
    bool Selected() const { return m_selected; }
    void SetSelected(bool value);
    QLabel* CaptionLabel() const { return m_label; }
    QWidget* Control() const { return m_live; }

    // Rebuilds the live control from the control's properties.
    void UpdateControl();
    // Places the shape (see ShapeRequest); in design the rectangle is the
    // control's design rectangle.
    void SetShapeBounds(int left, int top, int width, int height);
    void EditProperties();
    // Forgets the control: the shape is going.
    void Detach();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QWidget* makeLive(TDlgControlKind kind, bool dropping, QSize& size);
    void setEdgeCursor(int edges);

    TDialogBuilder* m_builder;
    ui::TItemRef<TMxParamControl> m_control;
    ui::TItemObserver* m_observer;
    QPointer<QLabel> m_label;
    QPointer<QWidget> m_live;
    bool m_selected = false;
    bool m_updating = false;
    bool m_storing = false;
    bool m_dragging = false;
    int m_edges = 0;
    QPoint m_start;
    QPoint m_last;
};

class TDialogBuilder : public QScrollArea {
    Q_OBJECT

public:
    explicit TDialogBuilder(QWidget* parent = nullptr);
    ~TDialogBuilder() override;

    bool Designing() const { return m_designing; }
    void SetDesigning(bool value);
    bool ShowFrames() const { return m_showFrames; }
    void SetShowFrames(bool value);
    bool Testing() const { return m_testing; }
    void SetTesting(bool value) { m_testing = value; }

    TMxParamControlList* ParamControls() const { return m_controls; }
    const QList<TVParamControl*>& Shapes() const { return m_shapes; }
    TVParamControl* ShapeOf(const TMxParamControl* control) const;
    // The query's parameters (not owned), checked by CheckControls.
    TMxParamList* Params = nullptr;
    TMxDataModel* DataModel = nullptr;
    int SelectedCount() const { return m_selectedCount; }
    TVParamControl* Current() const { return m_current; }
    bool Dropping() const { return m_dropping; }

    // Copies list into the builder (none: empties it), takes its design
    // size and, at run time, loads the values of field-bound lists.
    void SetParamControls(TMxParamControlList* list);
    void StoreDesignSize();
    TVParamControl* AddControlAt(int x, int y, TDlgControlKind kind, TMxParam* param = nullptr);
    void SelectControl(TVParamControl* shape);
    void DeleteSelected();
    // The Delete key of the editor's window; true when taken.
    bool EditorKeyDown(QKeyEvent* event);
    bool CheckControls();
    void FillFieldValues();

    // The surface the shapes lie on (builder coordinates).
    QWidget* Canvas() const { return m_canvas; }
    // Called after the surface painted; and on a press on the surface
    // outside any shape (the editor places controls with it).
    std::function<void()> OnPaint;
    std::function<void(QMouseEvent*)> OnSurfaceMouseDown;

    // What the shapes tell their builder.
    void ShapeSelected(TVParamControl* shape, bool selected);
    void ShowPopup(TVParamControl* shape, QPoint globalPos);
    void UpdateExtent();

private:
    void addShape(TMxItem* item);
    void removeShape(TMxItem* item);
    void repaintShapes();

    TMxParamControlList* m_controls;
    ui::TItemObserver* m_observer;
    QList<TVParamControl*> m_shapes;
    QWidget* m_canvas;
    QMenu* m_popup;
    QAction* m_miCaption;
    TVParamControl* m_current = nullptr;
    int m_selectedCount = 0;
    bool m_designing = false;
    bool m_showFrames = false;
    bool m_testing = false;
    bool m_dropping = false;
};

} // namespace mx
