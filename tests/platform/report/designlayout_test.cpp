// The report editor's geometry: bands in print order, what a point hits,
// what a drag does to a box.

#include "reporttest.h"

#include "report/designlayout.h"

using namespace mx::rpt;
using namespace rtest;

namespace {

TEST(DesignLayout, BandsInPrintOrderAndWhatAPointHits)
{
    TQuickRep report;
    // made in another order than they print
    AddBand(report, rbPageFooter, 100);
    TQRBand* detail = AddBand(report, rbDetail, 200);
    AddBand(report, rbTitle, 100);
    AddBand(report, rbPageHeader, 100);
    auto* under = AddLabel(*detail, QStringLiteral("a"), QRectF(0, 0, 500, 100));
    auto* over = AddLabel(*detail, QStringLiteral("b"), QRectF(400, 50, 500, 100));

    const double scale = 0.5; // pixels per 0.1 mm
    TDesignLayout layout(report, scale);
    QList<TQRBandType> order;
    for (const TBandPlace& p : layout.Bands())
        order << p.band->BandType();
    EXPECT_EQ(order, (QList<TQRBandType>{rbPageHeader, rbTitle, rbDetail, rbPageFooter}));
    const TBandPlace* d = layout.PlaceOf(detail);
    ASSERT_TRUE(d);
    const double top = TDesignLayout::kMargin + 2 * (100 * scale + TDesignLayout::kStrip);
    EXPECT_EQ(d->rect, QRectF(TDesignLayout::kMargin, top, report.PrintableWidth() * scale, 200 * scale));
    EXPECT_EQ(layout.ControlRect(over), QRectF(d->rect.left() + 200, top + 25, 250, 50));
    // three bands of 100, one of 200, each with its strip, and the margins
    EXPECT_EQ(layout.Size().height(), 2 * TDesignLayout::kMargin + (3 * 100 + 200) * scale + 4 * TDesignLayout::kStrip);

    // where the two overlap, the one drawn last is hit
    const QPointF both = d->rect.topLeft() + QPointF(220, 30);
    EXPECT_EQ(layout.HitTest(both).control, over);
    EXPECT_EQ(layout.HitTest(both).handle, hMove);
    // the selected control's handle comes first, even over another control
    const QRectF underBox = layout.ControlRect(under);
    const QPointF corner = underBox.bottomRight();
    EXPECT_EQ(layout.HitTest(corner).control, over);
    const TDesignHit h = layout.HitTest(corner, under);
    EXPECT_EQ(h.control, under);
    EXPECT_EQ(h.handle, hBottomRight);
    // the band's strip and its empty area hit the band alone
    const TDesignHit strip = layout.HitTest(d->strip.center());
    EXPECT_EQ(strip.band, detail);
    EXPECT_EQ(strip.control, nullptr);
    EXPECT_EQ(layout.HitTest(QPointF(1, 1)).band, nullptr);
}

TEST(DesignLayout, DragsMoveAndResizeWithinTheBand)
{
    const double scale = 0.5;
    const QSizeF band(1000, 200);
    const QRectF start(100, 50, 300, 100);
    struct Case {
        THandle handle;
        QPointF delta; // pixels
        QRectF expected;
    };
    const Case cases[] = {
        {hMove, {50, 10}, {200, 70, 300, 100}},
        {hMove, {-500, -500}, {0, 0, 300, 100}},
        {hMove, {5000, 5000}, {700, 100, 300, 100}},
        {hRight, {100, 40}, {100, 50, 500, 100}},
        {hRight, {5000, 0}, {100, 50, 900, 100}},
        {hLeft, {-25, 0}, {50, 50, 350, 100}},
        {hLeft, {1000, 0}, {398, 50, 2, 100}}, // never narrower than a pixel
        {hTopLeft, {-10, -10}, {80, 30, 320, 120}},
        {hBottomRight, {10, 500}, {100, 50, 320, 150}},
        {hBottom, {0, -1000}, {100, 50, 300, 2}},
        {hNone, {10, 10}, start},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DraggedBounds(start, c.handle, c.delta, scale, band), c.expected) << int(c.handle);
}

} // namespace
