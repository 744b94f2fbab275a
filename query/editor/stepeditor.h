#pragma once
// The step editor: one step of a query, its entities and fields as panels
// across the top (vitems.h, vpanels.h), under them the grid of the step's result
// with one column per expanded field or collapsed entity, aligned with the
// panels; a horizontal scroll bar moving panels and grid together; at the
// bottom the tabs "Données", "Conception" (the step's report in the report
// editor; a default report is built the first time) and
// "Prévisualisation" (the report's preview).
//
// Children are placed by hand (PlaceControls), never by a layout:
//   indicator splitter  IndicatorWidth - 2 - scroll, 0, 2 x 67
//   entity panels       from IndicatorWidth - scroll, top -1
//   grid                -scroll, 67, width + scroll, what is left
//   scroll bar          0, above the tabs, width - 16 (only when needed)
//
// Relayout kinds: 0 the scroll position, 1 the widths, 2 the contents
// (texts; then the SQL is rebuilt and OnChange fires), 3 the grid's
// columns again and the grid bound to the step's result. A kind 3 asked
// while the step is inside an update of its own, or inside the editor's
// update, waits (one flag per editor) for the next relayout after it. BeginUpdate/EndUpdate hold back
// OnUpdateSQL and OnChange; the outermost EndUpdate relays out with kind 2.
//
// Events: notifications are signals (OnFieldSelect, OnStepSelect, OnChange,
// OnUpdateSQL); requests to the owner are functions (OnFieldRename,
// OnFormulaChange, OnDragOver, OnDragDrop), unset when nobody answers. The grid
// answers drags as the editor does.
//
// The grid's columns are in stepgrid.cpp, the report tabs in
// stepreporttabs.cpp.

#include "ui/controls/dragmanager.h"
#include "ui/controls/mxgrid.h"
#include "ui/controls/nrpanel.h"

#include <QPixmap>
#include <QPointer>

#include <functional>

class QMenu;
class QScrollBar;
class QTabBar;

namespace mx {
class TMxQuery;
class TMxQueryStep;
class TIMxDataset;
} // namespace mx

namespace mx::ui {

class TItemObserver;
class TMxSplitter;
class TReportEditor;
class TfmReportPreview;
class TVEntities;
class TVEntity;
class TVField;

class TMxStepEditor : public TCustomNRPanel, public TDragTarget, private TMxGridSource {
    Q_OBJECT
public:
    enum TRelayoutKind { rkScroll = 0, rkWidths = 1, rkContents = 2, rkRebuild = 3 };
    enum TTab { tabData = 0, tabDesign = 1, tabPreview = 2 };

    explicit TMxStepEditor(QWidget* parent = nullptr);
    ~TMxStepEditor() override;

    // The glyph of every field's filter button.
    const QPixmap& FilterPicture() const { return m_filterPicture; }
    void SetFilterPicture(const QPixmap& picture);
    // The left margin and the grid's indicator column (36).
    int IndicatorWidth() const { return m_indicatorWidth; }
    void SetIndicatorWidth(int value);

    // How much wider than stored the fields are shown (steprules.h): from
    // the editor's font, measured again when the font changes.
    double WidthScale() const { return m_widthScale; }
    // A stored width or place in pixels of this font.
    int Scaled(int stored) const;

    // The step shown, or none. Showing another step goes back to the
    // "Données" tab, frees the preview and rebuilds the panels.
    TMxQueryStep* Step() const;
    void SetStep(TMxQueryStep* step);
    // The query of the step shown, or none.
    TMxQuery* Query() const;

    // Selects "Données" and lets pending events through (before a run).
    void ShowDataTab();
    bool IsReportTab() const;
    int CurrentTab() const;
    void SetCurrentTab(int tab);

    // The selection: a TVEntity, a TVField or none.
    TMxItem* Selected() const { return m_selected; }
    void Select(TMxItem* item);
    TVField* SelectedField() const;
    TVEntity* SelectedEntity() const;

    void Relayout(int kind);
    void UpdateSQL();
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }
    // Places the children at the geometry of the table above.
    void PlaceControls();

    // The step's result after a run (or a result freed): the grid and the
    // report are bound to what the step holds now. The designer calls it
    // after every run.
    void ResultChanged();

    // Deletes the selected field (the Delete key of the grid): the query
    // is marked modified; then the first field of the first entity is
    // selected when no field is.
    void DeleteSelectedField();
    // The totals pop-up's choice for the selected field: 0 clears the
    // total, i sets entry i; marks the query modified and rebuilds the SQL.
    void ChooseTotal(int index);
    // Checks and enables the totals pop-up's items for the selected field.
    void PrepareTotalsMenu();

    // Whether a panel dragged onto another exchanges with it: entities
    // among themselves, fields only within their entity. An item over
    // itself is taken (it is selected) and its drop changes nothing.
    bool CanExchange(const TMxItem* dragged, const TMxItem* target) const;
    // Exchanges two entities (or two fields of one entity) in the step and
    // on screen; the panels are rebuilt and the query marked modified.
    void Exchange(TMxItem* dragged, TMxItem* target);

    // Starts dragging a panel (after the drag threshold).
    void StartDrag(QWidget* panel, const QPoint& globalPos);
    // Ends a drag of the selected field's panel still under way.
    void CancelFieldDrag();
    // Marks the step's query modified (nothing without a query).
    void MarkModified();

    // The parts, for the query editor, the designer and tests.
    TVEntities* VEntities() const { return m_entities; }
    TMxGrid* Grid() const { return m_grid; }
    TMxSplitter* IndicatorSplitter() const { return m_splitter; }
    QScrollBar* ScrollBar() const { return m_scrollBar; }
    int ScrollPos() const { return m_scrollPos; }
    QTabBar* TabSet() const { return m_tabSet; }
    QMenu* TotalsMenu() const { return m_totalsMenu; }
    TReportEditor* ReportEditor() const;
    TfmReportPreview* Preview() const;
    int TabSetHeight() const;

    // Asked for a name to edit (the field's FullName); the answer is the
    // new name.
    std::function<void(QObject* sender, QString& name)> OnFieldRename;
    // Asked to edit the formula (or the filter) of a visual field's field;
    // the field is relaid out and the query marked modified afterwards.
    std::function<void(TVField* field)> OnFormulaChange;
    // Whether a drag may drop on the editor or its grid, and the drop.
    std::function<bool(const TDragInfo& drag)> OnDragOver;
    std::function<void(const TDragInfo& drag)> OnDragDrop;

    // TDragTarget
    bool DragOver(const TDragInfo& drag, const QPoint& pos, TDragState state) override;
    void DragDrop(const TDragInfo& drag, const QPoint& pos) override;

signals:
    void OnFieldSelect();
    void OnStepSelect();
    void OnChange();
    void OnUpdateSQL();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void entityAdded(TMxItem* item);
    void entityRemoved(TMxItem* item);
    // What the grid asks: a column's width, style, header and cell, its
    // columns being the visual entities and fields in their order.
    int ColumnWidth(const TMxGrid& grid, int col) const override;
    void CellStyle(const TMxGrid& grid, int col, TMxGridCellStyle& style) const override;
    QString HeaderText(const TMxGrid& grid, int col) const override;
    QString CellText(const TMxGrid& grid, int col) const override;
    void gridRecordCount();
    void tabChanged(int index);
    void design();
    void preview();
    void closePreview();
    void scrolled(int value);
    void bindResult();
    void measureWidthScale();

    QPixmap m_filterPicture;
    int m_indicatorWidth = 36;
    double m_widthScale = 1.0;
    TVEntities* m_entities = nullptr;
    TMxSplitter* m_splitter = nullptr;
    TMxGrid* m_grid = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    QTabBar* m_tabSet = nullptr;
    QMenu* m_totalsMenu = nullptr;
    QPointer<TReportEditor> m_reportEditor;
    QPointer<TfmReportPreview> m_preview;
    TItemObserver* m_stepObserver = nullptr;
    TItemObserver* m_entitiesObserver = nullptr;
    TMxItem* m_selected = nullptr;
    int m_scrollPos = 0;
    int m_updateCount = 0;
    int m_savedRecord = 0;
    int m_lastTab = 0;
    bool m_pendingRebuild = false; // this editor's own
    bool m_destroying = false;
    bool m_inUpdateSQL = false;
};

} // namespace mx::ui
