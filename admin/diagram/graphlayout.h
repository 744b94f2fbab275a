#pragma once
// The geometry of the data model diagram as pure functions: a panel's
// height, where a link meets a panel side, which sides a link joins, the
// chevrons and cardinality labels at its ends, and the page tiling that
// the preview, the printer and PDF share. Nothing here knows a widget, a
// scene or a printer.

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace mx::admin {

// A panel: 200 wide; the mode button at (2, 2, 21 x 19); the title at
// (24, 3), 17 high and 27 narrower than the panel; the field list from
// y = 21, 13 pixels a line plus 2 when there is a line.
inline constexpr int kPanelWidth = 200;
inline constexpr int kTitleHeight = 17;
inline constexpr int kFieldListTop = 21;
inline constexpr int kLineHeight = 13;
inline constexpr int kOutward = 20;

// The field list's height for that many lines, and the whole panel's.
int FieldListHeight(int lineCount);
int PanelHeight(int lineCount);

// Sides of a panel: 0 right, 1 bottom, 2 left, 3 top.
// The point where a link meets a side of panel. slot is the link's place
// among the count links of the panel (its own master link first); with
// outward, the point lies 20 pixels away from the panel.
QPoint LinkPoint(const QRect& panel, int side, int slot, int count, bool outward);

struct TLinkEnd {
    QRect panel;
    int slot = 0;
    int count = 1;
};
struct TLinkSides {
    int master = 0;
    int detail = 0;
};
// The pair of sides whose anchors are nearest (the first such pair, master
// side outer, detail side inner).
TLinkSides ChooseSides(const TLinkEnd& master, const TLinkEnd& detail);

// The strokes of count chevrons (1 one-to-one, 2 one-to-many) at p on side.
std::vector<QLine> Chevrons(const QPoint& p, int side, int count);

// The top-left corner of a label of that size at anchor p on side, the
// other end of the link being q: right of and below p by default, left of
// p on side 2 or when q lies left on sides 1 and 3, above p on side 3 or
// when q lies above on sides 0 and 2.
QPoint LabelPosition(const QPoint& p, const QPoint& q, int side, const QSize& text);

// The top-left corners of a link's two labels (master end at a, detail
// end at d). Each takes its LabelPosition; only when the two would overlap
// (a short link) is a label moved to the other side of its end's line
// (below instead of above on sides 0 and 2, right instead of left on
// sides 1 and 3): the detail's first, then the master's, then both; when
// every choice overlaps, the one overlapping least. A corner is kept
// inside within (the line's own rectangle) unless that rectangle is too
// narrow to hold the two labels apart.
struct TLinkLabels {
    QPoint master;
    QPoint detail;
};
TLinkLabels LinkLabels(const QPoint& a, int masterSide, const QSize& masterText, const QPoint& d, int detailSide,
    const QSize& detailText, const QRect& within);

// Sets apart the labels of the link ends on one side of a panel, so that
// no two overlap and none overlaps one of others (the labels already
// placed nearby): along the side (down a left or right side, rightwards
// along a top or bottom one), in the order of where they would lie, each
// moved no further than it needs; one that overlaps nothing stays where it
// is.
void SpreadSideLabels(std::vector<QRect>& labels, int side, const std::vector<QRect>& others = {});

// The page record of a drawing on paper or in the preview.
struct TGraphPrintInfo {
    int ExtentX = 10;
    int ExtentY = 10;
    int PageWidth = 0;
    int PageHeight = 0;
    int PagesAcross = 1;
    int PagesDown = 1;
    int TotalWidth = 0;
    int TotalHeight = 0;
    int OriginX = 0;
    int OriginY = 0;
    double ScaleX = 1.0;
    double ScaleY = 1.0;

    int MapX(double x) const;
    int MapY(double y) const;
};

// With measure: origin 0, totals from the page size and grid, and the
// extent from the drawing's bottom-right corner plus 10 (at least 10 x 10).
// Then one uniform scale, the smaller of the two, fits the extent into
// the total area.
void ComputeLayout(TGraphPrintInfo& info, const QPoint& bottomRight, bool measure);

// The record to draw one page of the grid with: the scale of the whole
// layout, shifted so that this page's part falls on the canvas.
TGraphPrintInfo PageInfo(const TGraphPrintInfo& layout, int column, int row);

// One sheet of a print job.
struct TPrintSheet {
    int column = 0;
    int row = 0;
    bool newPageBefore = false;
};
// Every sheet of copies copies of the grid, row by row, a new page before
// every sheet but the first.
std::vector<TPrintSheet> PrintSheets(const TGraphPrintInfo& layout, int copies);

// A preview page as high as the printer's proportions make it; the
// printer's size may be empty (no printer): A4 landscape then.
int PreviewPageHeight(int pageWidth, const QSize& printerPage);

} // namespace mx::admin
