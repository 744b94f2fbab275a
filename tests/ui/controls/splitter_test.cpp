// The docking layout, the panel and the splitter, driven by mouse and key
// events.

#include "controlstest.h"

#include "ui/controls/docklayout.h"
#include "ui/controls/nrpanel.h"
#include "ui/controls/splitter.h"

#include <QImage>

#include <memory>
#include <vector>

using namespace mx::ui;
using namespace mxtest;

namespace {

TEST(DockLayout, PlacesTopBottomLeftRightThenClientInJoiningOrder)
{
    QWidget parent;
    parent.resize(400, 300);
    auto* layout = new TDockLayout(&parent);
    const auto add = [&](TAlign a, int extent) {
        auto* w = new QWidget(&parent);
        layout->AddWidget(w, a, extent);
        return w;
    };
    // Joined in an order that mixes the sides: each side keeps its own
    // order, and the sides are placed top, bottom, left, right, client.
    QWidget* client = add(TAlign::alClient, 0);
    QWidget* left = add(TAlign::alLeft, 50);
    QWidget* top1 = add(TAlign::alTop, 20);
    QWidget* bottom = add(TAlign::alBottom, 30);
    QWidget* top2 = add(TAlign::alTop, 10);
    QWidget* right = add(TAlign::alRight, 40);
    QWidget* hidden = add(TAlign::alTop, 25);
    hidden->hide();
    QWidget* loose = new QWidget(&parent);
    loose->setGeometry(5, 6, 7, 8);
    layout->addWidget(loose);
    parent.show();
    layout->Relayout();

    EXPECT_EQ(top1->geometry(), QRect(0, 0, 400, 20));
    EXPECT_EQ(top2->geometry(), QRect(0, 20, 400, 10));
    EXPECT_EQ(bottom->geometry(), QRect(0, 270, 400, 30));
    EXPECT_EQ(left->geometry(), QRect(0, 30, 50, 240));
    EXPECT_EQ(right->geometry(), QRect(360, 30, 40, 240));
    EXPECT_EQ(client->geometry(), QRect(50, 30, 310, 240));
    EXPECT_EQ(loose->geometry(), QRect(5, 6, 7, 8));

    // An extent set again places everything at once; a resize of the
    // parent keeps the extents.
    layout->SetExtent(top1, 60);
    EXPECT_EQ(client->geometry(), QRect(50, 70, 310, 200));
    hidden->show();
    layout->Relayout();
    EXPECT_EQ(hidden->geometry(), QRect(0, 70, 400, 25));
    parent.resize(500, 200);
    QCoreApplication::processEvents();
    layout->Relayout();
    EXPECT_EQ(bottom->geometry(), QRect(0, 170, 500, 30));
    EXPECT_EQ(client->geometry(), QRect(50, 95, 410, 75));
    // More docked than there is room: later widgets get what is left,
    // never a negative size.
    layout->SetExtent(top1, 1000);
    EXPECT_EQ(top1->geometry(), QRect(0, 0, 500, 200));
    EXPECT_EQ(bottom->height(), 0);
    EXPECT_EQ(client->size(), QSize(410, 0));
}

TEST(Marquees, ParsedAscendingAndReadBack)
{
    const struct {
        const char* text;
        const char* readBack;
    } cases[] = {
        {"39;63", "39;63"},
        {"63;39", "63;64"},     // lifted above the entry before
        {"10-5", "5-10"},       // written the other way round
        {"10-20;20-19", "10-20;21"}, // lifting the low end must not turn the range round
        {"10-20;15-30", "10-20;21-30"},
        {"10-20;20-30", "10-20;20-30"}, // a shared end is kept
        {"", ""},
        {"5;;7;", "5;7"},
        {"abc;12;1e3;0x10;-4;7-x", "12"}, // not decimal numbers: left out
        {"65535;70000;65536", "65535"}, // out of 0..65535
        {"65535;3", "65535"}, // 3 lifted to 65536: out of range
        {" 8 - 12 ; 4 ", "8-12;13"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMarquees(ParseMarquees(QString::fromUtf8(c.text))), QString::fromUtf8(c.readBack)) << c.text;
}

TEST(Marquees, SnappedSizeStaysInsideItsRange)
{
    // Whatever the text, a size snapped into a range lies inside it.
    for (const char* text : {"10-20;20-19", "63;39", "5-1;3;2-2", "100;50-60;55"}) {
        const QList<TMarquee> m = ParseMarquees(QString::fromLatin1(text));
        for (int proposed = 0; proposed <= 120; ++proposed) {
            TSplitLimits limits;
            limits.maximum = 1000;
            limits.useMarquees = true;
            limits.marquees = m;
            const TSplitSize r = ComputeSplitSize(proposed, limits, {});
            const TMarquee& range = m[r.marqueeIndex];
            EXPECT_GE(r.size, range.low) << text << " " << proposed;
            EXPECT_LE(r.size, range.high) << text << " " << proposed;
        }
    }
}

TEST(Splitter, PropertiesKeepTheirBounds)
{
    QWidget parent;
    auto* s = new TMxSplitter(&parent);
    EXPECT_EQ(s->size(), QSize(32, 32));
    EXPECT_EQ(s->Kind(), TMxSplitter::skHorizontal);
    EXPECT_EQ(s->cursor().shape(), Qt::SplitHCursor);
    EXPECT_EQ(s->Options(), TMxSplitter::soShadowLine | TMxSplitter::soUpdate);
    s->SetLowMinSize(0);
    EXPECT_EQ(s->LowMinSize(), 2);
    s->SetLowMinSize(1);
    EXPECT_EQ(s->LowMinSize(), 2);
    s->SetHighMinSize(-5);
    EXPECT_EQ(s->HighMinSize(), 2);
    s->SetScale(0);
    EXPECT_EQ(s->Scale(), 1);
    s->SetMarquees(QStringLiteral("63;39"));
    EXPECT_EQ(s->Marquees(), QStringLiteral("63;64"));

    const struct {
        TAlign align;
        TMxSplitter::TMxSplitKind kind;
        Qt::CursorShape cursor;
    } aligns[] = {
        {TAlign::alTop, TMxSplitter::skVertical, Qt::SplitVCursor},
        {TAlign::alNone, TMxSplitter::skVertical, Qt::SplitVCursor}, // none leaves the kind
        {TAlign::alLeft, TMxSplitter::skHorizontal, Qt::SplitHCursor},
        {TAlign::alClient, TMxSplitter::skHorizontal, Qt::SplitHCursor},
        {TAlign::alBottom, TMxSplitter::skVertical, Qt::SplitVCursor},
        {TAlign::alRight, TMxSplitter::skHorizontal, Qt::SplitHCursor},
    };
    for (const auto& a : aligns) {
        s->SetAlign(a.align);
        EXPECT_EQ(s->Kind(), a.kind);
        EXPECT_EQ(s->cursor().shape(), a.cursor);
    }
}

// A 400 x 300 window: a panel docked at one side (extent 100), the
// splitter (3 pixels) docked beside it, a client panel; or, for an
// unaligned splitter, a bar at y 50 over a plain window.
struct Board {
    QWidget parent;
    TDockLayout* layout = nullptr;
    TNRPanel* side = nullptr;
    TNRPanel* client = nullptr;
    TMxSplitter* splitter = nullptr;
    std::vector<int> moving; // sizes OnMoving saw
    int moved = 0;
    int marqueeChanges = 0;
    QPoint start;            // where the drag began, in the parent

    explicit Board(TAlign align)
    {
        parent.resize(400, 300);
        if (align == TAlign::alNone) {
            splitter = new TMxSplitter(&parent);
            splitter->SetKind(TMxSplitter::skVertical);
            splitter->setGeometry(0, 50, 400, 3);
        } else {
            layout = new TDockLayout(&parent);
            side = new TNRPanel(&parent);
            layout->AddWidget(side, align, 100);
            splitter = new TMxSplitter(&parent);
            layout->AddWidget(splitter, align, 3);
            splitter->SetAlign(align);
            client = new TNRPanel(&parent);
            layout->AddWidget(client, TAlign::alClient);
        }
        splitter->OnMoving = [this](TMxSplitter&, int& size) { moving.push_back(size); };
        QObject::connect(splitter, &TMxSplitter::OnMoved, [this] { ++moved; });
        QObject::connect(splitter, &TMxSplitter::OnMarqueeChange, [this] { ++marqueeChanges; });
        parent.show();
        if (layout)
            layout->Relayout();
    }

    bool vertical() const { return splitter->Kind() == TMxSplitter::skVertical; }
    QPoint along(int delta) const { return start + (vertical() ? QPoint(0, delta) : QPoint(delta, 0)); }
    // Mouse positions go to the splitter in its own coordinates at the
    // time, as the window system gives them (it may have moved).
    QPoint local(QPoint inParent) const { return splitter->mapFrom(&parent, inParent); }

    void press()
    {
        start = splitter->geometry().center();
        Press(splitter, local(start));
    }
    void move(int delta) { MoveHeld(splitter, local(along(delta))); }
    void release(int delta) { Release(splitter, local(along(delta))); }
    int size() const
    {
        // The extent the splitter set (the layout may have less room).
        return side ? layout->Extent(side) : vertical() ? splitter->y() : splitter->x();
    }
};

TEST(Splitter, DragResizesTheNeighbourAndEndsClean)
{
    Board b(TAlign::alTop);
    ASSERT_EQ(b.side->geometry(), QRect(0, 0, 400, 100));
    ASSERT_EQ(b.splitter->geometry(), QRect(0, 100, 400, 3));
    b.press();
    EXPECT_TRUE(b.splitter->Sizing());
    EXPECT_EQ(b.splitter->Neighbour(), b.side);
    b.move(40);
    // Without soImmediate nothing moves yet; the shadow line shows where
    // the bar would go.
    EXPECT_EQ(b.side->height(), 100);
    ASSERT_TRUE(b.splitter->ShadowLineWidget());
    EXPECT_EQ(b.splitter->ShadowLineWidget()->geometry(), QRect(0, 140, 400, 3));
    EXPECT_EQ(b.moved, 0);
    b.release(40);
    EXPECT_EQ(b.side->height(), 140);
    EXPECT_EQ(b.splitter->geometry(), QRect(0, 140, 400, 3));
    EXPECT_EQ(b.client->geometry(), QRect(0, 143, 400, 157));
    ASSERT_FALSE(b.moving.empty());
    EXPECT_EQ(b.moving.back(), 140);
    EXPECT_EQ(b.moved, 1);
    EXPECT_FALSE(b.splitter->Sizing());
    EXPECT_EQ(b.splitter->ShadowLineWidget(), nullptr);
    EXPECT_EQ(b.splitter->Neighbour(), nullptr);
}

TEST(Splitter, DragTable)
{
    enum End { ByRelease, ByEsc };
    struct Case {
        const char* name;
        TAlign align;
        TMxSplitter::TMxSplitterOptions options;
        const char* marquees;
        int scale, lowMin, highMin;
        std::vector<int> moves; // offsets from the press, in order
        End end;
        int size;               // the neighbour's (or the bar's) size after the end
        int marqueeIndex;
        int lastMoving;         // what OnMoving saw last (0: not checked)
        int changes = 0;        // OnMarqueeChange calls (the press at 100 already counts)
    };
    const auto opts = TMxSplitter::TMxSplitterOptions(TMxSplitter::soShadowLine | TMxSplitter::soUpdate);
    const auto marq = opts | TMxSplitter::soUseMarquees;
    const auto now = opts | TMxSplitter::soImmediate;
    const Case cases[] = {
        {"snap into the first range", TAlign::alTop, marq, "39;63", 1, 2, 2, {-50}, ByRelease, 39, 0, 50, 2},
        {"snap into the second range", TAlign::alTop, marq, "39;63", 1, 2, 2, {-30}, ByRelease, 63, 1, 70, 1},
        {"below every range: raised to the first", TAlign::alTop, marq, "39;63", 1, 2, 2, {-80}, ByRelease, 39, 0, 20, 2},
        {"ranges ignored without the option", TAlign::alTop, opts, "39;63", 1, 2, 2, {-50}, ByRelease, 50, 0, 50},
        {"scale rounds down before OnMoving", TAlign::alTop, opts, "", 10, 2, 2, {-43}, ByRelease, 50, 0, 50},
        {"maximum: the room left less HighMinSize", TAlign::alTop, opts, "", 1, 2, 2, {300}, ByRelease, 295, 0, 0},
        {"HighMinSize keeps room on the other side", TAlign::alTop, opts, "", 1, 2, 50, {300}, ByRelease, 247, 0, 0},
        {"LowMinSize", TAlign::alTop, opts, "", 1, 30, 2, {-200}, ByRelease, 30, 0, 0},
        {"the minimum wins over the maximum", TAlign::alTop, opts, "", 1, 400, 2, {0}, ByRelease, 400, 0, 0},
        {"Esc without soImmediate applies nothing", TAlign::alTop, opts, "", 1, 2, 2, {40, 60}, ByEsc, 100, 0, 160},
        {"Esc with soImmediate keeps what was applied", TAlign::alTop, now, "", 1, 2, 2, {40, 60}, ByEsc, 160, 0, 160},
        {"immediate steps add up to the mouse's way", TAlign::alTop, now, "", 1, 2, 2, {10, 25, 40}, ByRelease, 140, 0, 140},
        {"docked at the bottom: moving up grows it", TAlign::alBottom, opts, "", 1, 2, 2, {-40}, ByRelease, 140, 0, 140},
        {"bottom, clamped to the minimum", TAlign::alBottom, opts, "", 1, 2, 2, {300}, ByRelease, 2, 0, 0},
        {"docked left", TAlign::alLeft, opts, "", 1, 2, 2, {40}, ByRelease, 140, 0, 140},
        {"docked right: moving left grows it", TAlign::alRight, opts, "", 1, 2, 2, {-40}, ByRelease, 140, 0, 140},
        {"right, with ranges", TAlign::alRight, marq, "39;63", 1, 2, 2, {-30}, ByRelease, 63, 1, 130, 1},
        {"right, snapped down", TAlign::alRight, marq, "39;63", 1, 2, 2, {40}, ByRelease, 39, 0, 60, 2},
        {"unaligned: the bar moves itself", TAlign::alNone, opts, "", 1, 2, 2, {30}, ByRelease, 80, 0, 80},
        {"unaligned, immediate", TAlign::alNone, now, "", 1, 2, 2, {10, 30}, ByRelease, 80, 0, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Board b(c.align);
        b.splitter->SetOptions(c.options);
        b.splitter->SetMarquees(QString::fromLatin1(c.marquees));
        b.splitter->SetScale(c.scale);
        b.splitter->SetLowMinSize(c.lowMin);
        b.splitter->SetHighMinSize(c.highMin);
        b.press();
        ASSERT_TRUE(b.splitter->Sizing());
        for (int m : c.moves)
            b.move(m);
        if (c.end == ByEsc) {
            Key(&b.parent, Qt::Key_Escape);
            EXPECT_FALSE(b.splitter->Sizing());
            // A release after Esc belongs to nobody.
            b.release(c.moves.back());
        } else {
            b.release(c.moves.back());
        }
        EXPECT_FALSE(b.splitter->Sizing());
        EXPECT_EQ(b.splitter->ShadowLineWidget(), nullptr);
        EXPECT_EQ(b.size(), c.size);
        EXPECT_EQ(b.splitter->MarqueeIndex(), c.marqueeIndex);
        EXPECT_EQ(b.marqueeChanges, c.changes);
        if (c.lastMoving) {
            EXPECT_EQ(b.moving.back(), c.lastMoving);
        }
    }
}

TEST(Splitter, ShadowLineSitsWhereTheClampedSizePutsTheBar)
{
    Board b(TAlign::alBottom);
    ASSERT_EQ(b.splitter->geometry(), QRect(0, 197, 400, 3));
    b.press();
    b.move(300); // far below: the neighbour's minimum holds the bar at 295
    ASSERT_TRUE(b.splitter->ShadowLineWidget());
    EXPECT_EQ(b.splitter->ShadowLineWidget()->geometry(), QRect(0, 295, 400, 3));
    b.release(300);
    EXPECT_EQ(b.side->height(), 2);
    EXPECT_EQ(b.splitter->y(), 295);

    // Without soShadowLine no line shows.
    b.splitter->SetOptions(TMxSplitter::soUpdate);
    b.press();
    b.move(-10);
    EXPECT_EQ(b.splitter->ShadowLineWidget(), nullptr);
    b.release(-10);
    EXPECT_EQ(b.side->height(), 12);
}

TEST(Splitter, DockedBarWithNothingBesideItIgnoresThePress)
{
    QWidget parent;
    parent.resize(200, 200);
    auto* layout = new TDockLayout(&parent);
    auto* s = new TMxSplitter(&parent);
    layout->AddWidget(s, TAlign::alTop, 3);
    s->SetAlign(TAlign::alTop);
    auto* client = new QWidget(&parent);
    layout->AddWidget(client, TAlign::alClient);
    parent.show();
    layout->Relayout();
    int moved = 0;
    QObject::connect(s, &TMxSplitter::OnMoved, [&] { ++moved; });
    Press(s, QPoint(10, 1));
    EXPECT_FALSE(s->Sizing());
    MoveHeld(s, QPoint(10, 40));
    Release(s, QPoint(10, 40));
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(client->geometry(), QRect(0, 3, 200, 197));
    // Only the left button drags.
    Board b(TAlign::alTop);
    b.start = b.splitter->geometry().center();
    Press(b.splitter, b.local(b.start), Qt::RightButton);
    EXPECT_FALSE(b.splitter->Sizing());
}

TEST(Splitter, EscIsTheDragsOnlyWhileItRuns)
{
    Board b(TAlign::alTop);
    int escapes = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
                ++*n;
            return false;
        }
    } counter(&escapes);
    b.client->installEventFilter(&counter);
    b.press();
    b.move(20);
    Key(b.client, Qt::Key_Escape);
    EXPECT_EQ(escapes, 0); // consumed by the drag
    EXPECT_FALSE(b.splitter->Sizing());
    Key(b.client, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1); // afterwards it is the window's again
}

TEST(Panel, PaintsOuterBevelBorderInnerBevelThenColour)
{
    TNRPanel panel;
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Light, Qt::white);
    pal.setColor(QPalette::Dark, Qt::darkGray);
    panel.setPalette(pal);
    panel.resize(20, 20);
    panel.SetBevelOuter(TBevelCut::bvRaised);
    panel.SetBorderWidth(1);
    panel.SetBevelInner(TBevelCut::bvLowered);
    panel.SetColor(Qt::red);
    const QImage img = panel.grab().toImage();
    const struct {
        int x, y;
        QColor c;
    } pixels[] = {
        {0, 0, Qt::white}, {18, 0, Qt::white}, {0, 18, Qt::white}, // raised outer: light top and left,
        {19, 19, Qt::darkGray}, {0, 19, Qt::darkGray}, {19, 0, Qt::darkGray}, // dark bottom and right
        {1, 1, Qt::red}, {18, 18, Qt::red},                                                     // border
        {2, 2, Qt::darkGray}, {17, 17, Qt::white},                                              // lowered inner
        {10, 10, Qt::red},                                                                       // background
    };
    for (const auto& p : pixels)
        EXPECT_EQ(QColor(img.pixel(p.x, p.y)), p.c) << p.x << "," << p.y;
    EXPECT_EQ(panel.InnerRect(), QRect(3, 3, 14, 14));

    panel.SetBevelOuter(TBevelCut::bvNone);
    panel.SetBevelWidth(2);
    const QImage lowered = panel.grab().toImage();
    EXPECT_EQ(QColor(lowered.pixel(0, 0)), QColor(Qt::red));      // border first now
    EXPECT_EQ(QColor(lowered.pixel(2, 2)), QColor(Qt::darkGray)); // two-pixel inner bevel
    EXPECT_EQ(QColor(lowered.pixel(1, 1)), QColor(Qt::darkGray));
    EXPECT_EQ(QColor(lowered.pixel(17, 17)), QColor(Qt::white));
    EXPECT_EQ(QColor(lowered.pixel(3, 3)), QColor(Qt::red));
}

} // namespace
