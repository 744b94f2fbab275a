#pragma once
// The data model diagram: TGraph owns one data model and keeps, in a
// graphics scene, one panel (TGraphTable) per table and one line
// (TGraphLink) per link in step with it. Panels and lines follow their
// engine objects through item observers, so a table or link added,
// renamed or removed elsewhere shows at once; the graph itself observes
// the model's table and link lists and the model.
//
// A panel stands at its table's stored position (DesignX, DesignY) and
// shows its title and, by its detail level (DesignMode), its fields or its
// entities. The mouse, through the display (the view showing the scene):
// a title drags its panel, a field list (named "_DragSource") draws a new
// link onto another panel, a right press opens the table or diagram popup.
// The same items draw themselves scaled onto a page (preview, printer,
// PDF) through the page record of graphlayout.h.

#include "graphlayout.h"

#include "engine/core/hookslot.h"
#include "ui/controls/itemobserver.h"

#include <QFont>
#include <QGraphicsObject>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include <QGraphicsView>
#include <QMenu>

class QGraphicsLineItem;
class QGraphicsScene;
class QPainter;

namespace mx {
class TMxDataModel;
class TMxLink;
class TMxTable;
}

namespace mx::admin {

class TGraph;
class TGraphLink;
class TGraphPanelPart;

// The link dialog as the diagram and the data model window reach it: true
// when the administrator confirmed the link. Filled by RegisterLinkEditor
// (fmlink.h); empty, a drawn link is not kept.
extern THookSlot<bool(TGraphLink* link)> LinkEditor;

class TGraphTable : public QGraphicsObject {
    Q_OBJECT
public:
    TGraphTable(TGraph* graph, TMxTable* table);
    ~TGraphTable() override;

    TGraph* Graph() const { return m_graph; }
    TMxTable* Table() const { return m_table.get(); }

    // 0 title only, 1 title and fields, 2 title and entities with their
    // fields. Setting another level stores it in the table's DesignMode and
    // marks the model modified.
    int DesignMode() const { return m_level; }
    void SetDesignMode(int level);
    // The mode button: 2 goes to 0, anything else one up.
    void ModeButtonClick();

    bool Selected() const { return m_selected; }
    void SetSelected(bool selected);

    // Title, lines and place again from the table.
    void Refresh();
    // Moves the panel; a coordinate of 0 stands for the stored one, any
    // other is stored into DesignX or DesignY.
    void SetBounds(int left, int top);

    const QString& Title() const { return m_title; }
    const QStringList& Lines() const { return m_lines; }
    // The panel's rectangle in scene coordinates.
    QRect Rect() const;

    // The links where this table is master, and its own master link (the
    // first of the links where it is detail: a model read from a file may
    // give it more than one).
    int LinkCount() const { return int(m_links.size()); }
    TGraphLink* GetLink(int index) const { return m_links.at(size_t(index)); }
    TGraphLink* MasterLink() const { return m_masterLinks.empty() ? nullptr : m_masterLinks.front(); }
    TGraphTable* MasterTable() const;
    // The anchor of one of its links on a side (see LinkPoint).
    QPoint GetLinkPoint(const TGraphLink* link, int side, bool outward) const;
    TLinkEnd LinkEnd(const TGraphLink* link) const;

    // The panel on a page: frame, title line and text, the lines.
    void DrawTo(QPainter& painter, const TGraphPrintInfo& page) const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    friend class TGraph;
    friend class TGraphLink;
    friend class TGraphPanelPart;
    void layoutParts();
    void attachedLinksMoved();
    // Every line joining the panel placed again, but except.
    void updateLinks(const TGraphLink* except = nullptr);
    int slotOf(const TGraphLink* link) const;
    // The cardinality labels of every link end on one side of the panel
    // set apart along that side.
    void spreadLabels();

    TGraph* m_graph;
    ui::TItemRef<TMxTable> m_table;
    ui::TItemObserver m_tableObserver;
    ui::TItemObserver m_fieldsObserver;
    // one per field: a field renamed or given another full name shows at once
    std::vector<std::unique_ptr<ui::TItemObserver>> m_fieldObservers;
    int m_level = 1;
    bool m_selected = false;
    QString m_title;
    QStringList m_lines;
    int m_height = 22;
    bool m_storing = false;
    std::vector<TGraphLink*> m_links;
    // the links where this table is detail, in the order they joined
    std::vector<TGraphLink*> m_masterLinks;
    TGraphPanelPart* m_button;
    TGraphPanelPart* m_titlePart;
    TGraphPanelPart* m_fieldList;
};

// A link line, under the panels.
class TGraphLink : public QGraphicsObject {
    Q_OBJECT
public:
    TGraphLink(TGraph* graph, TMxLink* link);
    ~TGraphLink() override;

    TMxLink* Link() const { return m_link.get(); }
    // Takes the link's master and detail panels again (none: detached).
    void SetLink(TMxLink* link);
    TGraphTable* MasterPanel() const { return m_master; }
    TGraphTable* DetailPanel() const { return m_detail; }
    int MasterSide() const { return m_masterSide; }
    int DetailSide() const { return m_detailSide; }
    bool Highlighted() const { return m_highlighted; }
    void SetHighlighted(bool highlighted);

    // Chooses the nearest sides and the line's rectangle again.
    void UpdatePosition();
    // The line's rectangle in scene coordinates.
    QRect Rect() const { return m_rect; }
    // Where the "0,1" / "0,N" labels are drawn on screen.
    QRect MasterLabelRect() const { return m_masterLabel; }
    QRect DetailLabelRect() const { return m_detailLabel; }
    QString MasterLabelText() const;
    QString DetailLabelText() const;
    static QFont LabelFont();

    // The line on a painter: on screen (page none: grey, or black when
    // highlighted) or on a page (black, scaled).
    void DrawTo(QPainter& painter, const TGraphPrintInfo* page) const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    friend class TGraph;
    friend class TGraphTable;
    void detach();

    TGraph* m_graph;
    ui::TItemRef<TMxLink> m_link;
    ui::TItemObserver m_observer;
    TGraphTable* m_master = nullptr;
    TGraphTable* m_detail = nullptr;
    int m_masterSide = 0;
    int m_detailSide = 0;
    bool m_highlighted = false;
    QRect m_rect;
    // the two labels' rectangles, where they are drawn on screen, and
    // where the link alone would put them (the panels spread them apart)
    QRect m_masterLabel;
    QRect m_detailLabel;
    QRect m_masterLabelWanted;
    QRect m_detailLabelWanted;
    void setLabel(bool masterEnd, const QRect& rect);
};

// Where the pages of a print go: a printer, a PDF file, or a test's record.
class TPageSink {
public:
    virtual ~TPageSink() = default;
    // Starts the job; false when it cannot start (nothing is drawn then).
    virtual bool Begin(const QString& title) = 0;
    // One page's size on the painter.
    virtual QSize PageSize() const = 0;
    virtual QPainter& Painter() = 0;
    virtual void NewPage() = 0;
    virtual void End() = 0;
};

class TGraph : public QObject {
    Q_OBJECT
public:
    explicit TGraph(QObject* parent = nullptr);
    ~TGraph() override;

    QGraphicsScene* Scene() const { return m_scene.get(); }
    // The view that shows the scene and whose mouse the graph takes over.
    QGraphicsView* Display() const { return m_display; }
    void SetDisplay(QGraphicsView* display);

    // The model, owned: another model (or none) frees the former one after
    // every panel and line has gone.
    TMxDataModel* Model() const { return m_model; }
    void SetModel(TMxDataModel* model);

    QMenu* TablePopup() const { return m_tablePopup; }
    void SetTablePopup(QMenu* menu) { m_tablePopup = menu; }
    QMenu* AllTablesPopup() const { return m_allTablesPopup; }
    void SetAllTablesPopup(QMenu* menu) { m_allTablesPopup = menu; }
    const QPixmap& FieldPicture() const { return m_fieldPicture; }
    void SetFieldPicture(const QPixmap& picture) { m_fieldPicture = picture; }
    const QPixmap& EntityPicture() const { return m_entityPicture; }
    void SetEntityPicture(const QPixmap& picture) { m_entityPicture = picture; }

    // Every panel and line again from the model, then resynced().
    void Resync();
    // Every panel back at its stored place, the display at the top left.
    void Rebuild();

    int TableCount() const { return int(m_tables.size()); }
    TGraphTable* GetTable(int index) const { return m_tables.at(size_t(index)); }
    int LinkCount() const { return int(m_links.size()); }
    TGraphLink* GetLink(int index) const { return m_links.at(size_t(index)); }
    TGraphTable* FindTable(const TMxTable* table) const;
    TGraphLink* FindLink(const TMxLink* link) const;
    TGraphTable* TableById(int id) const;
    // A panel for the table (placed on the diagonal 20, 60, 100... when it
    // has no stored place yet), a line for the link.
    TGraphTable* AddTable(TMxTable* table);
    TGraphLink* AddLink(TMxLink* link);
    // The first panel whose rectangle holds the point, edges included.
    TGraphTable* TableAt(const QPoint& point) const;

    TGraphTable* Selected() const { return m_selected; }
    void SetSelected(TGraphTable* panel);
    TGraphLink* SelectedLink() const { return m_selectedLink; }
    void SetSelectedLink(TGraphLink* link);

    // The mouse, in scene coordinates; the item under the press decides
    // (a title, a field list, the mode button, nothing).
    void MouseDown(const QPointF& pos, Qt::MouseButton button, Qt::MouseButtons buttons,
        Qt::KeyboardModifiers modifiers, const QPoint& globalPos);
    void MouseMove(const QPointF& pos);
    void MouseUp(const QPointF& pos);
    // A drag under way: 0 a link, 1 a move, -1 none.
    int DragKind() const { return m_dragSource ? m_dragKind : -1; }
    // The rubber band of a link drag (hidden when none).
    QGraphicsLineItem* RubberBand() const { return m_band; }

    // The drawing's bottom-right corner: the largest right and bottom edge
    // of any panel or line.
    QPoint DrawingExtent() const;
    void ComputeLayout(TGraphPrintInfo& info, bool measure) const;
    // Draws one page of the layout (column and row), or all of them with
    // their borders (-1, -1), on the painter.
    void DrawPage(QPainter& painter, const TGraphPrintInfo& layout, int column, int row) const;
    // Prints copies copies of the page grid of layout onto the sink, each
    // page drawn once per copy; status gets the progress texts.
    void Print(TPageSink& sink, TGraphPrintInfo layout, int copies,
        const std::function<void(const QString&)>& status = {});

signals:
    void resynced();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TGraphTable;
    friend class TGraphLink;
    friend class TGraphPanelPart;
    void onTableAdded(TMxItem* item);
    void onTableRemoved(TMxItem* item);
    void onLinkAdded(TMxItem* item);
    void onLinkRemoved(TMxItem* item);
    void forgetTable(TGraphTable* panel);
    void forgetLink(TGraphLink* link);
    void endLinkDrag(const QPoint& at);
    void growScene(const QRect& rect);
    bool keyPress(int key, Qt::KeyboardModifiers modifiers);

    std::unique_ptr<QGraphicsScene> m_scene;
    QPointer<QGraphicsView> m_display;
    TMxDataModel* m_model = nullptr;
    ui::TItemObserver m_tablesObserver;
    ui::TItemObserver m_linksObserver;
    ui::TItemObserver m_modelObserver;
    QPointer<QMenu> m_tablePopup;
    QPointer<QMenu> m_allTablesPopup;
    QPixmap m_fieldPicture;
    QPixmap m_entityPicture;
    std::vector<TGraphTable*> m_tables;
    std::vector<TGraphLink*> m_links;
    TGraphTable* m_selected = nullptr;
    TGraphTable* m_highlightedMaster = nullptr;
    TGraphLink* m_selectedLink = nullptr;
    TGraphTable* m_dragSource = nullptr;
    int m_dragKind = 0;
    QPoint m_dragStart;
    QPoint m_dragPoint;
    QGraphicsLineItem* m_band = nullptr;
    bool m_resyncing = false;
};

} // namespace mx::admin
