// The in-process drag manager and the bridge through which widgets
// observe engine items.

#include "controlstest.h"

#include "ui/controls/dragmanager.h"
#include "ui/services/guarded.h"
#include "ui/controls/itemobserver.h"

#include "engine/core/exceptions.h"
#include "engine/core/list.h"

#include <QApplication>
#include <QSignalSpy>

#include <stdexcept>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace {

struct Answer {
    QString what; // "enter", "move", "leave", "drop"
    QPoint pos;
    QVariant data;
};

class Target : public QWidget, public TDragTarget {
public:
    Target(QWidget* parent, bool accept) : QWidget(parent), m_accept(accept) {}
    bool DragOver(const TDragInfo& drag, const QPoint& pos, TDragState state) override
    {
        static const char* names[] = {"enter", "move", "leave"};
        answers.append({QString::fromLatin1(names[int(state)]), pos, drag.data});
        return m_accept;
    }
    void DragDrop(const TDragInfo& drag, const QPoint& pos) override { answers.append({QStringLiteral("drop"), pos, drag.data}); }
    QStringList whats() const
    {
        QStringList out;
        for (const Answer& a : answers)
            out << a.what;
        return out;
    }
    QList<Answer> answers;

private:
    bool m_accept;
};

// A window with a source on the left, a target that accepts (with a child
// inside it) and one that refuses, registered from outside.
struct DragWindow : ControlsTest {
    QWidget window;
    QWidget* source = nullptr;
    Target* yes = nullptr;
    QWidget* inner = nullptr;
    QWidget* no = nullptr;
    Target refusing{nullptr, false};
    TDragManager& dm = TDragManager::Instance();

    void SetUp() override
    {
        window.setGeometry(100, 100, 300, 200);
        source = new QWidget(&window);
        source->setGeometry(0, 0, 100, 200);
        yes = new Target(&window, true);
        yes->setGeometry(100, 0, 100, 200);
        inner = new QWidget(yes);
        inner->setGeometry(10, 10, 50, 50);
        no = new QWidget(&window);
        no->setGeometry(200, 0, 100, 200);
        dm.SetTarget(no, &refusing);
        window.show();
    }
    void TearDown() override { dm.SetTarget(no, nullptr); }

    QPoint global(QWidget* w, QPoint p) const { return w->mapToGlobal(p); }
    // The source holds the mouse: every event goes to it.
    void moveTo(QWidget* w, QPoint p) { MoveHeld(source, source->mapFromGlobal(global(w, p))); }
    void releaseAt(QWidget* w, QPoint p) { Release(source, source->mapFromGlobal(global(w, p))); }
};

TEST_F(DragWindow, ThresholdTargetsAskedAndRefusedDrop)
{
    QSignalSpy started(&dm, &TDragManager::DragStarted);
    QSignalSpy ended(&dm, &TDragManager::DragEnded);
    const QVariant ids = QVariantList{3, QStringLiteral("NOM")};
    dm.BeginDrag(source, ids, false, global(source, QPoint(50, 50)));
    EXPECT_TRUE(dm.Pending());
    moveTo(source, QPoint(51, 50)); // below the threshold
    EXPECT_FALSE(dm.Dragging());
    EXPECT_EQ(started.count(), 0);

    moveTo(inner, QPoint(5, 5)); // a child of the target: it answers
    EXPECT_TRUE(dm.Dragging());
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(dm.Target(), yes);
    EXPECT_TRUE(dm.Accepted());
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::DragMoveCursor);
    moveTo(yes, QPoint(70, 80));
    ASSERT_EQ(yes->whats(), QStringList({"enter", "move"}));
    EXPECT_EQ(yes->answers[0].pos, QPoint(15, 15)); // in the target's coordinates
    EXPECT_EQ(yes->answers[1].pos, QPoint(70, 80));
    EXPECT_EQ(yes->answers[1].data, ids);

    moveTo(no, QPoint(10, 10));
    EXPECT_EQ(yes->whats().last(), "leave");
    EXPECT_EQ(dm.Target(), no);
    EXPECT_FALSE(dm.Accepted());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    releaseAt(no, QPoint(10, 10));
    EXPECT_FALSE(dm.Dragging());
    EXPECT_FALSE(refusing.whats().contains("drop"));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][0].value<QWidget*>(), source);
    EXPECT_EQ(ended[0][1].value<QWidget*>(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DragWindow, DropOnATargetThatAccepts)
{
    QSignalSpy ended(&dm, &TDragManager::DragEnded);
    dm.BeginDrag(source, 42, true, global(source, QPoint(50, 50)));
    EXPECT_TRUE(dm.Dragging());
    moveTo(yes, QPoint(30, 40));
    releaseAt(yes, QPoint(31, 41));
    ASSERT_EQ(yes->whats(), QStringList({"enter", "move", "drop"}));
    EXPECT_EQ(yes->answers.last().pos, QPoint(31, 41));
    EXPECT_EQ(yes->answers.last().data, QVariant(42));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][1].value<QWidget*>(), yes);
    EXPECT_EQ(ended[0][2].toPoint(), QPoint(31, 41));
    EXPECT_FALSE(dm.Dragging());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DragWindow, EscAndCancelEndWithoutDrop)
{
    QSignalSpy ended(&dm, &TDragManager::DragEnded);
    dm.BeginDrag(source, 1, true, global(source, QPoint(50, 50)));
    moveTo(yes, QPoint(30, 40));
    Key(source, Qt::Key_Escape);
    EXPECT_FALSE(dm.Dragging());
    EXPECT_EQ(yes->whats(), QStringList({"enter", "leave"}));
    releaseAt(yes, QPoint(30, 40)); // the release after Esc drops nothing
    EXPECT_FALSE(yes->whats().contains("drop"));

    dm.BeginDrag(source, 2, true, global(source, QPoint(50, 50)));
    moveTo(yes, QPoint(30, 40));
    dm.CancelDrag();
    EXPECT_FALSE(yes->whats().contains("drop"));
    ASSERT_EQ(ended.count(), 2);
    EXPECT_EQ(ended[1][1].value<QWidget*>(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DragWindow, ClickWithoutMovingIsNoDrag)
{
    struct Releases : QObject {
        int n = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            n += e->type() == QEvent::MouseButtonRelease;
            return false;
        }
    } releases;
    source->installEventFilter(&releases);
    QSignalSpy started(&dm, &TDragManager::DragStarted);
    dm.BeginDrag(source, 1, false, global(source, QPoint(50, 50)));
    Release(source, QPoint(50, 50));
    EXPECT_FALSE(dm.Pending());
    EXPECT_EQ(started.count(), 0);
    EXPECT_EQ(releases.n, 1); // the source still sees its click
}

TEST(ItemObserver, ReplaysMembersForwardsChangesAndLetsGo)
{
    TMxList list(nullptr);
    auto* a = list.AddNew();
    a->SetName("a");
    auto* b = list.AddNew();
    b->SetName("b");
    QStringList log;
    {
        TItemObserver o;
        QObject::connect(&o, &TItemObserver::added, [&](TMxItem* i) { log << "+" + i->Name(); });
        QObject::connect(&o, &TItemObserver::removed, [&](TMxItem* i) { log << "-" + i->Name(); });
        QObject::connect(&o, &TItemObserver::changed, [&](TMxItem* i) { log << "~" + i->Name(); });
        o.Observe(&list);
        EXPECT_EQ(list.HookCount(), 1);
        TMxItem* c = list.AddNew();
        c->SetName("c"); // a member's own change is not the list's
        list.SetName("L");
        b->Free();
        EXPECT_EQ(log, QStringList({"+a", "+b", "+", "~L", "-b"}));
        log.clear();
        o.Release();
        EXPECT_EQ(log, QStringList({"-c", "-a"}));
        EXPECT_EQ(list.HookCount(), 0);
        log.clear();
        o.Observe(&list);
        EXPECT_EQ(log, QStringList({"+a", "+c"}));
        log.clear();
    }
    // Destroyed: the hook is gone, and nothing was replayed.
    EXPECT_EQ(log, QStringList());
    EXPECT_EQ(list.HookCount(), 0);
}

TEST(ItemObserver, OutlivesTheItemItWatched)
{
    auto* item = new TMxItem(nullptr);
    TItemObserver o(item);
    TItemRef<TMxItem> ref(item);
    EXPECT_EQ(o.Item(), item);
    item->Free();
    EXPECT_EQ(o.Item(), nullptr);
    EXPECT_EQ(ref.get(), nullptr);
    EXPECT_TRUE(ref.gone());
    o.Release(); // touches nothing (the sanitizers would say)
    o.Observe(nullptr);
}

TEST_F(ControlsTest, ASlotThatRaisesDoesNotReachTheEngine)
{
    TMxList list(nullptr);
    TItemObserver o(&list);
    int after = 0;
    Connect(&o, &TItemObserver::added, &o, [](TMxItem*) { throw EMxException(QStringLiteral("refusé")); });
    QObject::connect(&o, &TItemObserver::added, [&](TMxItem*) { ++after; });
    EXPECT_NO_THROW(list.AddNew());
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(ui.service.texts("message"), QStringList({"refusé"}));
}

} // namespace
