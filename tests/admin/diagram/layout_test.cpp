// The diagram's geometry and page tiling as pure functions.

#include "admin/diagram/graphlayout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace mx::admin;

TEST(PanelGeometry, HeightFollowsTheLineCount)
{
    // a title alone, one line, three lines
    const std::tuple<int, int> cases[] = {{0, 22}, {1, 21 + 15 + 1}, {3, 21 + 41 + 1}, {10, 21 + 132 + 1}};
    for (const auto& [lines, height] : cases) {
        EXPECT_EQ(PanelHeight(lines), height) << lines << " lines";
        EXPECT_EQ(FieldListHeight(lines), lines ? lines * 13 + 2 : 0);
    }
}

TEST(LinkAnchors, SlotsSpreadAroundTheMiddleOfTheSide)
{
    const QRect panel(100, 50, 200, 63);
    struct Case {
        int side, slot, count;
        bool outward;
        QPoint expected;
    };
    // three links on a panel (its own master link and two where it is
    // master): offsets (s - 1) * min(20, L div 4) + L div 2
    const Case cases[] = {
        {0, 0, 3, false, {100 + 200, 50 + (0 - 1) * 15 + 31}},
        {0, 1, 3, false, {300, 50 + 31}},
        {0, 2, 3, false, {300, 50 + 15 + 31}},
        {0, 2, 3, true, {320, 50 + 15 + 31}},
        {1, 0, 3, false, {100 + (0 - 1) * 20 + 100, 50 + 63}},
        {1, 2, 3, true, {100 + 20 + 100, 50 + 63 + 20}},
        {2, 1, 3, false, {99, 81}},
        {2, 1, 3, true, {79, 81}},
        {3, 0, 1, false, {200, 49}},
        {3, 0, 1, true, {200, 29}},
        // one link: the middle; two: the step is min(20, L div 3)
        {0, 0, 1, false, {300, 81}},
        {1, 0, 2, false, {100 - 20 + 100, 113}},
        {1, 1, 2, false, {200, 113}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LinkPoint(panel, c.side, c.slot, c.count, c.outward), c.expected)
            << "side " << c.side << " slot " << c.slot << " of " << c.count << (c.outward ? " outward" : "");
}

TEST(LinkAnchors, NearestSidesAreChosen)
{
    const QRect a(20, 20, 200, 63);
    struct Case {
        QRect detail;
        int master, detailSide;
    };
    const Case cases[] = {
        {{400, 20, 200, 63}, 0, 2},  // right of A
        {{20, 300, 200, 63}, 1, 3},  // below A
        {{-400, 20, 200, 63}, 2, 0}, // left of A
        {{20, -300, 200, 63}, 3, 1}, // above A
    };
    for (const Case& c : cases) {
        const TLinkSides sides = ChooseSides({a, 0, 1}, {c.detail, 0, 1});
        EXPECT_EQ(sides.master, c.master) << c.detail.x() << "," << c.detail.y();
        EXPECT_EQ(sides.detail, c.detailSide) << c.detail.x() << "," << c.detail.y();
    }
}

TEST(LinkEnds, ChevronsAndLabels)
{
    // one-to-one: one chevron; one-to-many: a second one 5 pixels outward
    EXPECT_EQ(Chevrons({10, 10}, 2, 1), (std::vector<QLine>{{{10, 10}, {5, 5}}, {{10, 10}, {5, 15}}}));
    const std::vector<QLine> two = Chevrons({10, 10}, 1, 2);
    ASSERT_EQ(two.size(), 4u);
    EXPECT_EQ(two[2], QLine(QPoint(10, 15), QPoint(5, 20)));
    EXPECT_EQ(two[3], QLine(QPoint(10, 15), QPoint(15, 20)));

    const QSize text(16, 10);
    struct Case {
        QPoint p, q;
        int side;
        QPoint expected;
    };
    const Case cases[] = {
        {{100, 100}, {200, 200}, 0, {102, 102}}, // the default: right of and below
        {{100, 100}, {200, 50}, 0, {102, 88}},   // the other end above, on side 0
        {{100, 100}, {200, 200}, 2, {82, 102}},  // always left on side 2
        {{100, 100}, {50, 200}, 1, {82, 102}},   // the other end left, on side 1
        {{100, 100}, {200, 200}, 3, {102, 88}},  // always above on side 3
        {{100, 100}, {50, 50}, 3, {82, 88}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LabelPosition(c.p, c.q, c.side, text), c.expected) << "side " << c.side;
}

TEST(LinkEnds, TheLabelsOfAShortLinkNeverOverlap)
{
    const QSize text(16, 12);
    // the line's own rectangle, as the diagram makes it
    auto within = [](const QPoint& a, const QPoint& d) {
        return QRect(std::min(a.x(), d.x()) - 10, std::min(a.y(), d.y()) - 10, std::abs(d.x() - a.x()) + 21,
            std::abs(d.y() - a.y()) + 21);
    };
    // a long link keeps the places of the rule
    {
        const QPoint a(100, 100), d(300, 100);
        const auto l = mx::admin::LinkLabels(a, 0, text, d, 2, text, within(a, d));
        EXPECT_EQ(l.master, LabelPosition(a, d, 0, text));
        EXPECT_EQ(l.detail, LabelPosition(d, a, 2, text));
    }
    // two panels 30 pixels apart, the detail's anchor a little lower: the
    // rule puts both labels on the same strip; they go either side of it
    {
        const QPoint a(220, 65), d(250, 72);
        const auto l = mx::admin::LinkLabels(a, 0, text, d, 2, text, within(a, d));
        EXPECT_EQ(l.master, QPoint(222, 55));
        EXPECT_EQ(l.detail, QPoint(232, 74));
    }
    // across and down, short gaps and small offsets: never one on the other
    for (int gap : {4, 10, 20, 30, 40})
        for (int shift : {-15, -5, 0, 5, 15}) {
            const QPoint a(200, 200);
            const QPoint across(200 + gap, 200 + shift), down(200 + shift, 200 + gap);
            const auto h = mx::admin::LinkLabels(a, 0, text, across, 2, text, within(a, across));
            EXPECT_FALSE(QRect(h.master, text).intersects(QRect(h.detail, text))) << "across " << gap << " " << shift;
            const auto v = mx::admin::LinkLabels(a, 1, text, down, 3, text, within(a, down));
            EXPECT_FALSE(QRect(v.master, text).intersects(QRect(v.detail, text))) << "down " << gap << " " << shift;
        }
}

TEST(LinkEnds, LabelsOnOneSideAreSetApartAlongIt)
{
    using mx::admin::SpreadSideLabels;
    const QSize text(16, 12);
    struct Case {
        const char* what;
        int side;
        std::vector<QPoint> wanted;
        // labels placed already, at the lines' far ends
        std::vector<QPoint> others = {};
    };
    const Case cases[] = {
        {"apart already", 2, {{10, 0}, {10, 40}}},
        {"on one another, left side", 2, {{10, 5}, {10, 5}, {10, 5}}},
        {"overlapping a little, right side, out of order", 0, {{10, 30}, {10, 22}, {12, 25}}},
        {"along the top", 3, {{40, 0}, {30, 0}, {35, 2}}},
        {"along the bottom", 1, {{0, 50}, {8, 50}}},
        {"alone", 0, {{3, 4}}},
        {"none", 0, {}},
        {"moved onto a far end's label, and past it", 2, {{10, 5}, {10, 5}}, {{12, 19}}},
        {"two far ends' labels in a row", 2, {{10, 5}}, {{4, 8}, {6, 21}}},
        {"a far end's label out of the way", 0, {{10, 5}, {10, 40}}, {{60, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QRect> labels;
        for (const QPoint& p : c.wanted)
            labels.emplace_back(p, text);
        std::vector<QRect> others;
        for (const QPoint& p : c.others)
            others.emplace_back(p, text);
        const std::vector<QRect> before = labels;
        SpreadSideLabels(labels, c.side, others);
        ASSERT_EQ(labels.size(), before.size());
        const bool down = c.side == 0 || c.side == 2;
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i].size(), text);
            // moved along the side only, and never backwards
            if (down) {
                EXPECT_EQ(labels[i].left(), before[i].left()) << i;
                EXPECT_GE(labels[i].top(), before[i].top()) << i;
            } else {
                EXPECT_EQ(labels[i].top(), before[i].top()) << i;
                EXPECT_GE(labels[i].left(), before[i].left()) << i;
            }
            for (size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].intersects(labels[j])) << i << " and " << j;
            for (const QRect& o : others)
                EXPECT_FALSE(labels[i].intersects(o)) << i;
        }
        // labels that overlapped nothing keep their places
        bool apart = true;
        for (size_t i = 0; i < before.size(); ++i) {
            for (size_t j = i + 1; j < before.size(); ++j)
                apart = apart && !before[i].intersects(before[j]);
            for (const QRect& o : others)
                apart = apart && !before[i].intersects(o);
        }
        if (apart) {
            EXPECT_EQ(labels, before);
        }
    }
}

TEST(PageLayout, OneUniformScaleFitsTheExtentIntoThePages)
{
    TGraphPrintInfo info;
    info.PageWidth = 300;
    info.PageHeight = 200;
    // an empty drawing is 10 x 10
    ComputeLayout(info, {0, 0}, true);
    EXPECT_EQ(info.ExtentX, 10);
    EXPECT_EQ(info.ExtentY, 10);
    EXPECT_DOUBLE_EQ(info.ScaleX, 20.0);
    EXPECT_DOUBLE_EQ(info.ScaleY, info.ScaleX);

    // wider than tall on 1 x 1: the width fills the page
    ComputeLayout(info, {590, 90}, true);
    EXPECT_EQ(info.ExtentX, 600);
    EXPECT_EQ(info.TotalWidth, 300);
    EXPECT_DOUBLE_EQ(info.ScaleX, 0.5);
    EXPECT_DOUBLE_EQ(info.ScaleY, 0.5);

    // one page of a 2 x 2 grid keeps the whole layout's scale, shifted
    info.PagesAcross = info.PagesDown = 2;
    ComputeLayout(info, {590, 390}, true);
    const TGraphPrintInfo page = PageInfo(info, 1, 1);
    EXPECT_DOUBLE_EQ(page.ScaleX, info.ScaleX);
    EXPECT_EQ(page.OriginX, -300);
    EXPECT_EQ(page.OriginY, -200);
    EXPECT_EQ(page.MapX(600), int(std::lround(info.ScaleX * 600)) - 300);
}

TEST(PageLayout, SheetsOfEveryCopyRowByRow)
{
    struct Case {
        int across, down, copies;
        std::vector<std::pair<int, int>> pages;
    };
    const Case cases[] = {
        {2, 1, 2, {{0, 0}, {1, 0}, {0, 0}, {1, 0}}},
        {2, 2, 1, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
        {1, 1, 1, {{0, 0}}},
    };
    for (const Case& c : cases) {
        TGraphPrintInfo info;
        info.PagesAcross = c.across;
        info.PagesDown = c.down;
        const std::vector<TPrintSheet> sheets = PrintSheets(info, c.copies);
        std::vector<std::pair<int, int>> pages;
        int breaks = 0;
        for (const TPrintSheet& s : sheets) {
            pages.emplace_back(s.column, s.row);
            breaks += s.newPageBefore;
        }
        EXPECT_EQ(pages, c.pages) << c.across << "x" << c.down << " x" << c.copies;
        EXPECT_EQ(breaks, int(c.pages.size()) - 1);
        EXPECT_FALSE(sheets.front().newPageBefore);
    }
}

TEST(PageLayout, PreviewPagesTakeThePrintersProportionsOrA4WithoutOne)
{
    EXPECT_EQ(PreviewPageHeight(300, QSize(3000, 2000)), 200);
    // no printer: no division by zero, A4 landscape
    EXPECT_EQ(PreviewPageHeight(297, QSize()), 210);
    EXPECT_EQ(PreviewPageHeight(297, QSize(0, 0)), 210);
}

} // namespace
