#include "graphlayout.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <limits>

namespace mx::admin {

int FieldListHeight(int lineCount)
{
    return lineCount > 0 ? lineCount * kLineHeight + 2 : 0;
}

int PanelHeight(int lineCount)
{
    return kFieldListTop + FieldListHeight(lineCount) + 1;
}

QPoint LinkPoint(const QRect& panel, int side, int slot, int count, bool outward)
{
    // A side is one of four; anything else is a fault of the caller.
    Q_ASSERT(side >= 0 && side <= 3);
    side = std::clamp(side, 0, 3);
    count = std::max(count, 1);
    const int length = (side == 0 || side == 2) ? panel.height() : panel.width();
    const int offset = (slot - count / 2) * std::min(20, length / (count + 1)) + length / 2;
    QPoint p;
    switch (side) {
    case 0: p = QPoint(panel.width(), offset); break;
    case 1: p = QPoint(offset, panel.height()); break;
    case 2: p = QPoint(-1, offset); break;
    default: p = QPoint(offset, -1); break;
    }
    p += panel.topLeft();
    if (outward) {
        static const QPoint away[4] = {{kOutward, 0}, {0, kOutward}, {-kOutward, 0}, {0, -kOutward}};
        p += away[side];
    }
    return p;
}

TLinkSides ChooseSides(const TLinkEnd& master, const TLinkEnd& detail)
{
    TLinkSides best;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 4; ++i) {
        const QPoint a = LinkPoint(master.panel, i, master.slot, master.count, false);
        for (int j = 0; j < 4; ++j) {
            const QPoint d = LinkPoint(detail.panel, j, detail.slot, detail.count, false);
            const double dx = a.x() - d.x();
            const double dy = a.y() - d.y();
            const qint64 distance = std::llround(std::sqrt(dx * dx + dy * dy));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = {i, j};
            }
        }
    }
    return best;
}

std::vector<QLine> Chevrons(const QPoint& p, int side, int count)
{
    static const QPoint along[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    side = std::clamp(side, 0, 3);
    std::vector<QLine> out;
    QPoint tip = p;
    for (int c = 0; c < count; ++c) {
        // the two corners on the outer side of the panel's edge
        if (side == 0 || side == 2) {
            const int x = tip.x() + (side == 0 ? 5 : -5);
            out.emplace_back(tip, QPoint(x, tip.y() - 5));
            out.emplace_back(tip, QPoint(x, tip.y() + 5));
        } else {
            const int y = tip.y() + (side == 1 ? 5 : -5);
            out.emplace_back(tip, QPoint(tip.x() - 5, y));
            out.emplace_back(tip, QPoint(tip.x() + 5, y));
        }
        tip += along[side] * 5;
    }
    return out;
}

QPoint LabelPosition(const QPoint& p, const QPoint& q, int side, const QSize& text)
{
    QPoint at = p + QPoint(2, 2);
    if (side == 2 || ((side == 1 || side == 3) && q.x() < p.x()))
        at.setX(p.x() - text.width() - 2);
    if (side == 3 || ((side == 0 || side == 2) && q.y() < p.y()))
        at.setY(p.y() - text.height() - 2);
    return at;
}

namespace {

// The label at p on the other side of its end's line.
QPoint FlippedLabel(const QPoint& at, const QPoint& p, int side, const QSize& text)
{
    QPoint out = at;
    if (side == 0 || side == 2)
        out.setY(at.y() > p.y() ? p.y() - text.height() - 2 : p.y() + 2);
    else
        out.setX(at.x() > p.x() ? p.x() - text.width() - 2 : p.x() + 2);
    return out;
}

} // namespace

TLinkLabels LinkLabels(const QPoint& a, int masterSide, const QSize& masterText, const QPoint& d, int detailSide,
    const QSize& detailText, const QRect& within)
{
    const QPoint m = LabelPosition(a, d, masterSide, masterText);
    const QPoint dl = LabelPosition(d, a, detailSide, detailText);
    const QPoint mf = FlippedLabel(m, a, masterSide, masterText);
    const QPoint df = FlippedLabel(dl, d, detailSide, detailText);
    auto inside = [&within](QPoint pt) {
        pt.setX(std::clamp(pt.x(), within.left(), std::max(within.left(), within.right())));
        pt.setY(std::clamp(pt.y(), within.top(), std::max(within.top(), within.bottom())));
        return pt;
    };
    // kept inside the line's rectangle first; out of it only when the
    // rectangle is too narrow for the two labels apart
    std::vector<TLinkLabels> choices;
    if (within.isValid())
        choices = {{inside(m), inside(dl)}, {inside(m), inside(df)}, {inside(mf), inside(dl)}, {inside(mf), inside(df)}};
    for (const TLinkLabels& c : std::vector<TLinkLabels>{{m, dl}, {m, df}, {mf, dl}, {mf, df}})
        choices.push_back(c);
    qint64 leastOverlap = -1;
    TLinkLabels best = choices.front();
    for (const TLinkLabels& c : choices) {
        const QRect overlap = QRect(c.master, masterText).intersected(QRect(c.detail, detailText));
        const qint64 area = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (area == 0)
            return c;
        if (leastOverlap < 0 || area < leastOverlap) {
            leastOverlap = area;
            best = c;
        }
    }
    return best;
}

void SpreadSideLabels(std::vector<QRect>& labels, int side, const std::vector<QRect>& others)
{
    const bool down = side == 0 || side == 2;
    std::vector<size_t> order(labels.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto start = [down](const QRect& r) { return down ? r.top() : r.left(); };
    std::stable_sort(order.begin(), order.end(),
        [&](size_t a, size_t b) { return start(labels[a]) < start(labels[b]); });
    auto moveTo = [down](QRect& r, int at) {
        if (down)
            r.moveTop(at);
        else
            r.moveLeft(at);
    };
    auto end = [down](const QRect& r) { return down ? r.bottom() : r.right(); };
    // one pixel between two labels
    int free = std::numeric_limits<int>::min();
    for (size_t i : order) {
        QRect& r = labels[i];
        if (start(r) < free)
            moveTo(r, free);
        // past whatever it meets: each step moves it on, so it ends
        for (bool met = true; met;) {
            met = false;
            for (const QRect& o : others)
                if (!o.isEmpty() && r.intersects(o)) {
                    moveTo(r, end(o) + 2);
                    met = true;
                }
        }
        free = end(r) + 2;
    }
}

int TGraphPrintInfo::MapX(double x) const
{
    return int(std::lround(ScaleX * x)) + OriginX;
}

int TGraphPrintInfo::MapY(double y) const
{
    return int(std::lround(ScaleY * y)) + OriginY;
}

void ComputeLayout(TGraphPrintInfo& info, const QPoint& bottomRight, bool measure)
{
    if (measure) {
        info.OriginX = 0;
        info.OriginY = 0;
        info.PagesAcross = std::max(info.PagesAcross, 1);
        info.PagesDown = std::max(info.PagesDown, 1);
        info.TotalWidth = info.PageWidth * info.PagesAcross;
        info.TotalHeight = info.PageHeight * info.PagesDown;
        info.ExtentX = std::max(10, bottomRight.x() + 10);
        info.ExtentY = std::max(10, bottomRight.y() + 10);
    }
    const double sx = double(info.TotalWidth) / std::max(info.ExtentX, 1);
    const double sy = double(info.TotalHeight) / std::max(info.ExtentY, 1);
    info.ScaleX = info.ScaleY = std::min(sx, sy);
}

TGraphPrintInfo PageInfo(const TGraphPrintInfo& layout, int column, int row)
{
    TGraphPrintInfo page = layout;
    page.OriginX = -(layout.PageWidth * column);
    page.OriginY = -(layout.PageHeight * row);
    page.PageWidth = layout.TotalWidth;
    page.PageHeight = layout.TotalHeight;
    ComputeLayout(page, {}, false);
    return page;
}

std::vector<TPrintSheet> PrintSheets(const TGraphPrintInfo& layout, int copies)
{
    std::vector<TPrintSheet> sheets;
    const int across = std::max(layout.PagesAcross, 1);
    const int down = std::max(layout.PagesDown, 1);
    for (int c = 0; c < std::max(copies, 1); ++c)
        for (int row = 0; row < down; ++row)
            for (int column = 0; column < across; ++column)
                sheets.push_back({column, row, !sheets.empty()});
    return sheets;
}

int PreviewPageHeight(int pageWidth, const QSize& printerPage)
{
    const QSize page = printerPage.width() > 0 && printerPage.height() > 0 ? printerPage : QSize(297, 210);
    return int(std::lround(double(pageWidth) / page.width() * page.height()));
}

} // namespace mx::admin
