// The diagram over a model: placement, levels, the mouse, selection, the
// observers, and a model cleared away.

#include "diagramtest.h"

#include "admin/diagram/fmlink.h"

#include "engine/core/exceptions.h"
#include "engine/core/hookslot.h"
#include "engine/model/entity.h"

#include <QFontMetrics>
#include <QGraphicsLineItem>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

namespace diagramtest {
namespace {

using mx::ScopedHook;
using mx::TItemPtr;
using mx::TMxDataModel;
using mx::admin::LinkEditor;
using mx::admin::TGraphLink;
using mx::admin::TGraphTable;

// Table CLI (ID, NOM, VILLE) at (20, 20), with entity 1 "Adresse" of VILLE.
mx::TMxTable* ClientsWithAddress(TMxDataModel* m)
{
    mx::TMxTable* t = AddTable(m, 1, "CLI", {{"ID", 'N', true}, {"NOM", 'A', false}, {"VILLE", 'A', false}}, 20, 20);
    auto* e = new mx::TMxEntity(t->Entities());
    e->SetId(1);
    e->SetName(QStringLiteral("Adresse"));
    e->AddField(t->Fields()->Items(2));
    return t;
}

// Four tables far enough apart; none linked.
TMxDataModel* FourTables()
{
    TMxDataModel* m = new TMxDataModel(nullptr);
    AddTable(m, 1, "A", {{"ID", 'N', true}, {"NOM", 'A', false}}, 20, 20);
    AddTable(m, 2, "B", {{"ID", 'N', true}, {"A_ID", 'N', false}}, 400, 20);
    AddTable(m, 3, "C", {{"ID", 'N', true}, {"B_ID", 'N', false}}, 20, 300);
    AddTable(m, 4, "D", {{"ID", 'N', true}}, 400, 300);
    m->SetModified(false);
    return m;
}

TEST_F(DiagramTest, UnplacedTablesFallOnTheDiagonalAndTheirPlacesAreStored)
{
    TMxDataModel* m = NewModel();
    AddTable(m, 1, "A", {{"ID", 'N', true}});
    AddTable(m, 2, "B", {{"ID", 'N', true}});
    AddTable(m, 3, "C", {{"ID", 'N', true}}, 500, 0);
    graph.SetModel(m);
    const QPoint expected[] = {{20, 20}, {60, 60}, {500, 100}};
    ASSERT_EQ(graph.TableCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(graph.GetTable(i)->Rect().topLeft(), expected[i]) << i;
        EXPECT_EQ(QPoint(graph.GetTable(i)->Table()->DesignX(), graph.GetTable(i)->Table()->DesignY()), expected[i]);
    }
}

TEST_F(DiagramTest, EachLevelShowsItsTitleLinesAndHeight)
{
    TMxDataModel* m = NewModel();
    mx::TMxTable* t = ClientsWithAddress(m);
    graph.SetModel(m);
    TGraphTable* panel = graph.GetTable(0);
    struct Case {
        int level;
        QString title;
        QStringList lines;
        int height;
    };
    const Case cases[] = {
        {0, QStringLiteral("Table CLI"), {}, 22},
        {1, QStringLiteral("[CLI]"), {QStringLiteral(" ID"), QStringLiteral(" NOM"), QStringLiteral(" VILLE")}, 63},
        {2, QStringLiteral("Table CLI"), {QStringLiteral("Adresse"), QStringLiteral(" ville")}, 21 + 28 + 1},
    };
    for (const Case& c : cases) {
        panel->SetDesignMode(c.level);
        EXPECT_EQ(panel->Title(), c.title) << c.level;
        EXPECT_EQ(panel->Lines(), c.lines) << c.level;
        EXPECT_EQ(panel->Rect().height(), c.height) << c.level;
        EXPECT_EQ(t->DesignMode(), c.level);
    }
    // the mode button cycles 2 -> 0 -> 1 -> 2
    m->SetModified(false);
    const QPoint button = panel->Rect().topLeft() + QPoint(10, 10);
    for (int expected : {0, 1, 2}) {
        Press(button);
        Release(button);
        EXPECT_EQ(panel->DesignMode(), expected);
    }
    EXPECT_TRUE(m->Modified());
}

TEST_F(DiagramTest, TheMouseDrawsLinksMovesPanelsAndOpensPopups)
{
    struct Case {
        const char* what;
        int from, onto;       // panels by index; -1 onto empty space
        bool editorAnswer;
        bool linked;          // a link from -> onto is made
        bool warned;
    };
    const Case cases[] = {
        {"confirmed", 0, 1, true, true, false},
        {"refused by the editor", 0, 1, false, false, false},
        {"onto itself", 0, 0, true, false, false},
        {"onto empty space", 0, -1, true, false, false},
        {"onto a table with a master", 3, 2, true, false, true},
        {"onto its own master", 2, 1, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMxDataModel* m = FourTables();
        AddLink(m, 2, 3, {{"ID", "B_ID"}}); // B master of C
        m->SetModified(false);
        graph.SetModel(m);
        m_ui.service.requests.clear();
        int asked = 0;
        ScopedHook editor(LinkEditor, [&](TGraphLink* line) {
            ++asked;
            EXPECT_TRUE(line->MasterPanel() && line->DetailPanel());
            return c.editorAnswer;
        });
        const QPoint to = c.onto < 0 ? QPoint(700, 600) : Centre(graph.GetTable(c.onto));
        DragLink(graph.GetTable(c.from), to);
        const int from = graph.GetTable(c.from)->Table()->Id();
        const int onto = c.onto < 0 ? -1 : graph.GetTable(c.onto)->Table()->Id();
        EXPECT_EQ(m->TLinks()->Count(), c.linked ? 2 : 1);
        EXPECT_EQ(graph.LinkCount(), m->TLinks()->Count());
        EXPECT_EQ(m->TLinks()->FindLink(from, onto) != nullptr, c.linked);
        EXPECT_EQ(m->Modified(), c.linked);
        EXPECT_FALSE(graph.RubberBand()->isVisible());
        EXPECT_EQ(graph.DragKind(), -1);
        const QStringList messages = m_ui.service.texts(QStringLiteral("message"));
        if (c.warned) {
            ASSERT_EQ(messages.size(), 1);
            EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Ne peut lier ")));
            EXPECT_TRUE(messages[0].endsWith(QStringLiteral("Le lien existe déjà")));
            EXPECT_EQ(asked, 0);
        } else {
            EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
        }
        if (c.linked) {
            TGraphLink* line = graph.FindLink(m->TLinks()->FindLink(from, onto));
            ASSERT_TRUE(line);
            EXPECT_EQ(line->MasterPanel(), graph.GetTable(c.from));
            EXPECT_EQ(line->DetailPanel(), graph.GetTable(c.onto));
        }
    }
}

TEST_F(DiagramTest, ALinkEditorThatRaisesLeavesNoLinkAndTheErrorIsShown)
{
    TMxDataModel* m = FourTables();
    graph.SetModel(m);
    ScopedHook editor(LinkEditor, [](TGraphLink* line) -> bool {
        // the editor had begun filling the link
        mx::TMxFLink* pair = line->Link()->FLinks()->AddNew();
        pair->Fields()->SetMasterName(QStringLiteral("ID"));
        throw mx::Exception(QStringLiteral("Lecture impossible"));
    });
    DragLink(graph.GetTable(0), Centre(graph.GetTable(1)));
    EXPECT_EQ(m->TLinks()->Count(), 0);
    EXPECT_EQ(graph.LinkCount(), 0);
    EXPECT_FALSE(m->Modified());
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
        QStringList{QStringLiteral("Ne peut lier Table A à Table B:\rLecture impossible")});
}

TEST_F(DiagramTest, ALinkThatWouldCloseACycleIsRefused)
{
    TMxDataModel* m = FourTables();
    AddLink(m, 1, 2, {{"ID", "A_ID"}}); // A -> B
    AddLink(m, 2, 3, {{"ID", "B_ID"}}); // B -> C
    m->SetModified(false);
    graph.SetModel(m);
    ScopedHook editor(LinkEditor, [](TGraphLink*) { return true; });
    // C onto A: A has no master, but C lies below it
    DragLink(graph.GetTable(2), Centre(graph.GetTable(0)));
    EXPECT_EQ(m->TLinks()->Count(), 2);
    EXPECT_EQ(graph.LinkCount(), 2);
    EXPECT_FALSE(m->Modified());
    const QStringList messages = m_ui.service.texts(QStringLiteral("message"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Ne peut lier Table C à Table A:\r")));
    EXPECT_TRUE(messages[0].contains(QStringLiteral("boucle")));
}

TEST_F(DiagramTest, MovingMarksModifiedOnlyWhenThePanelMoves)
{
    TMxDataModel* m = FourTables();
    graph.SetModel(m);
    TGraphTable* b = graph.GetTable(1);
    // a press and release without moving
    const QPoint grab = TitlePoint(b);
    Press(grab);
    Release(grab);
    EXPECT_FALSE(m->Modified());
    EXPECT_EQ(graph.Selected(), b);
    // one pixel
    Press(grab);
    MoveTo(grab + QPoint(1, 0));
    Release(grab + QPoint(1, 0));
    EXPECT_TRUE(m->Modified());
    EXPECT_EQ(b->Rect().topLeft(), QPoint(401, 20));
    EXPECT_EQ(b->Table()->DesignX(), 401);
    // a move past the left edge stops at 0, which keeps the stored place
    Press(TitlePoint(b));
    MoveTo(TitlePoint(b) - QPoint(1000, 0));
    Release(TitlePoint(b));
    EXPECT_EQ(b->Table()->DesignX(), 401);
    EXPECT_EQ(b->Rect().left(), 401);
}

TEST_F(DiagramTest, RightPressesDrawLinksOnFieldListsAndOpenPopupsElsewhere)
{
    TMxDataModel* m = FourTables();
    graph.SetModel(m);
    QMenu tables, all;
    graph.SetTablePopup(&tables);
    // without a popup for empty space, nothing opens there
    Press(QPoint(700, 600), Qt::RightButton);
    Release(QPoint(700, 600), Qt::RightButton);
    EXPECT_FALSE(tables.isVisible());
    graph.SetAllTablesPopup(&all);
    Press(QPoint(700, 600), Qt::RightButton);
    Release(QPoint(700, 600), Qt::RightButton);
    EXPECT_TRUE(all.isVisible());
    all.hide();
    Press(TitlePoint(graph.GetTable(1)), Qt::RightButton);
    EXPECT_TRUE(tables.isVisible());
    EXPECT_EQ(graph.Selected(), graph.GetTable(1));
    tables.hide();
    Release(TitlePoint(graph.GetTable(1)), Qt::RightButton);
    // a right press on a field list starts a link drag
    const QPoint list = graph.GetTable(0)->Rect().topLeft() + QPoint(50, 26);
    Press(list, Qt::RightButton);
    EXPECT_EQ(graph.DragKind(), 0);
    EXPECT_TRUE(graph.RubberBand()->isVisible());
    EXPECT_FALSE(tables.isVisible());
    // Escape drops it
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&view, &esc);
    EXPECT_EQ(graph.DragKind(), -1);
    EXPECT_FALSE(graph.RubberBand()->isVisible());
}

TEST_F(DiagramTest, SelectionHighlightsTheMasterAndItsLink)
{
    TMxDataModel* m = FourTables();
    AddLink(m, 1, 2, {{"ID", "A_ID"}}, mx::ltOneToOne);
    graph.SetModel(m);
    TGraphLink* line = graph.GetLink(0);
    Press(TitlePoint(graph.GetTable(1)));
    Release(TitlePoint(graph.GetTable(1)));
    EXPECT_TRUE(graph.GetTable(1)->Selected());
    EXPECT_TRUE(line->Highlighted());
    EXPECT_EQ(graph.SelectedLink(), line);
    // a press on empty space keeps the selection
    Press(QPoint(700, 600));
    Release(QPoint(700, 600));
    EXPECT_EQ(graph.Selected(), graph.GetTable(1));
    // Tab goes on to the next panel and the link is let go
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(&view, &tab);
    EXPECT_EQ(graph.Selected(), graph.GetTable(2));
    EXPECT_FALSE(line->Highlighted());

    // the line is grey, and black when highlighted
    auto midColour = [&] {
        QImage image(900, 700, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        line->DrawTo(p, nullptr);
        p.end();
        // A's right side to B's left side: the middle of the polyline
        const QPoint a = graph.GetTable(0)->GetLinkPoint(line, line->MasterSide(), true);
        const QPoint d = graph.GetTable(1)->GetLinkPoint(line, line->DetailSide(), true);
        return image.pixelColor((a + d) / 2);
    };
    EXPECT_EQ(line->MasterSide(), 0);
    EXPECT_EQ(line->DetailSide(), 2);
    EXPECT_EQ(midColour(), QColor(128, 128, 128));
    line->SetHighlighted(true);
    EXPECT_EQ(midColour(), QColor(Qt::black));
}

TEST_F(DiagramTest, TablesAndLinksChangedElsewhereShowAtOnce)
{
    TMxDataModel* m = FourTables();
    graph.SetModel(m);
    // a table added through its list
    mx::TMxTable* e = m->Tables()->AddNew();
    e->SetId(9);
    e->SetName(QStringLiteral("E"));
    ASSERT_EQ(graph.TableCount(), 5);
    EXPECT_EQ(graph.TableById(9)->Title(), QStringLiteral("[E]"));
    EXPECT_EQ(graph.TableById(9)->Rect().topLeft(), QPoint(180, 180));
    // renamed
    graph.GetTable(0)->Table()->SetName(QStringLiteral("AA"));
    EXPECT_EQ(graph.GetTable(0)->Title(), QStringLiteral("[AA]"));
    // a field added, the table then telling its observers
    auto* f = m->Tables()->Items(0)->Fields()->AddNew();
    f->SetName(QStringLiteral("NEW"));
    m->Tables()->Items(0)->Change();
    EXPECT_EQ(graph.GetTable(0)->Lines().last(), QStringLiteral(" NEW"));
    // a link added, then one of its tables removed
    mx::TMxLink* link = m->TLinks()->AddNew();
    link->SetMaster(1);
    link->SetDetail(9);
    link->Change();
    ASSERT_EQ(graph.LinkCount(), 1);
    EXPECT_EQ(graph.GetLink(0)->DetailPanel(), graph.TableById(9));
    graph.SetSelected(graph.TableById(9));
    EXPECT_TRUE(graph.GetLink(0)->Highlighted());
    mx::TMxItem::Free(e);
    EXPECT_EQ(graph.TableCount(), 4);
    EXPECT_EQ(graph.Selected(), nullptr);
    ASSERT_EQ(graph.LinkCount(), 1);
    EXPECT_EQ(graph.GetLink(0)->DetailPanel(), nullptr);
    EXPECT_TRUE(graph.GetLink(0)->Rect().isEmpty());
    mx::TMxItem::Free(link);
    EXPECT_EQ(graph.LinkCount(), 0);
}

TEST_F(DiagramTest, AFieldsOwnChangesShowInItsPanelAtOnce)
{
    TMxDataModel* m = NewModel();
    mx::TMxTable* t = ClientsWithAddress(m);
    graph.SetModel(m);
    TGraphTable* panel = graph.GetTable(0);
    auto* ville = static_cast<mx::TMxField*>(t->Fields()->Items(2));

    // given another full name: the entity's line at level 2; only the
    // field is told
    panel->SetDesignMode(2);
    ville->SetFullName(QStringLiteral("Commune"));
    EXPECT_EQ(panel->Lines(), (QStringList{"Adresse", " Commune"}));
    // renamed: the name line at level 1
    panel->SetDesignMode(1);
    ville->SetName(QStringLiteral("COMMUNE"));
    EXPECT_EQ(panel->Lines(), (QStringList{" ID", " NOM", " COMMUNE"}));
    // a field added through its list, named afterwards
    mx::TMxField* added = t->Fields()->AddNew();
    added->SetName(QStringLiteral("PAYS"));
    EXPECT_EQ(panel->Lines(), (QStringList{" ID", " NOM", " COMMUNE", " PAYS"}));
    EXPECT_EQ(panel->Rect().height(), mx::admin::PanelHeight(4));
    // a field removed is no longer observed: its neighbours' changes still
    // show, and nothing touches the freed one
    mx::TMxItem::Free(added);
    EXPECT_EQ(panel->Lines(), (QStringList{" ID", " NOM", " COMMUNE"}));
    static_cast<mx::TMxField*>(t->Fields()->Items(1))->SetName(QStringLiteral("NOM2"));
    EXPECT_EQ(panel->Lines(), (QStringList{" ID", " NOM2", " COMMUNE"}));
}

TEST_F(DiagramTest, TheLabelsOfALinkBetweenNearPanelsStayApart)
{
    // panels 30 pixels apart, of different heights, as in the sample
    TMxDataModel* m = NewModel();
    AddTable(m, 1, "VILLES", {{"CODE", 'N', true}, {"NOM", 'A', false}}, 20, 20);
    AddTable(m, 2, "CLIENTS", {{"ID", 'N', true}, {"A", 'A', false}, {"B", 'A', false}, {"C", 'A', false},
                                  {"CODE", 'N', false}}, 250, 20);
    AddLink(m, 1, 2, {{"CODE", "CODE"}});
    graph.SetModel(m);
    ASSERT_EQ(graph.LinkCount(), 1);
    const TGraphLink* line = graph.GetLink(0);
    ASSERT_EQ(line->MasterSide(), 0);
    ASSERT_EQ(line->DetailSide(), 2);
    const QRect master = line->MasterLabelRect();
    const QRect detail = line->DetailLabelRect();
    EXPECT_FALSE(master.isEmpty());
    EXPECT_FALSE(master.intersects(detail)) << master.y() << " " << detail.y();
    // both are painted: they lie inside what the line repaints
    EXPECT_TRUE(line->boundingRect().toRect().contains(master));
    EXPECT_TRUE(line->boundingRect().toRect().contains(detail));
}

// A table that a model read from a file makes the detail of several
// links, each ending on its left side, as the sample's order lines: every
// line has its own anchor, no two labels of the diagram overlap, each is
// as large as its text in the labels' font, and the lines all let go of
// the panel when its table goes.
TEST_F(DiagramTest, TheLabelsOfLinksEndingOnOneSideOfAPanelNeverOverlap)
{
    TMxDataModel* m = NewModel();
    AddTable(m, 1, "COMMANDES", {{"NUM", 'N', true}, {"A", 'A', false}, {"B", 'A', false}, {"C", 'A', false},
                                    {"D", 'A', false}, {"E", 'A', false}}, 480, 20);
    AddTable(m, 2, "PRODUITS", {{"REF", 'N', true}, {"A", 'A', false}, {"B", 'A', false}, {"C", 'A', false},
                                   {"D", 'A', false}}, 480, 260);
    AddTable(m, 3, "STOCK", {{"REF", 'N', true}}, 480, 150);
    mx::TMxTable* lines = AddTable(m, 4, "LIGNES", {{"NUM", 'N', true}, {"REF", 'N', false}}, 710, 140);
    lines->SetDesignMode(0); // the title alone: a short side to share
    for (int master : {1, 2, 3})
        AddLink(m, master, 4, {{"NUM", "NUM"}});
    graph.SetModel(m);
    ASSERT_EQ(graph.LinkCount(), 3);
    const TGraphTable* panel = graph.TableById(4);
    const QFontMetrics fm(TGraphLink::LabelFont());
    auto measured = [&fm](const QString& text) { return QSize(fm.horizontalAdvance(text), fm.height()); };
    std::vector<QRect> labels;
    std::vector<QPoint> anchors;
    for (int i = 0; i < graph.LinkCount(); ++i) {
        const TGraphLink* line = graph.GetLink(i);
        SCOPED_TRACE(i);
        ASSERT_EQ(line->DetailPanel(), panel);
        ASSERT_EQ(line->DetailSide(), 2) << "every line ends on the left side";
        EXPECT_EQ(line->MasterLabelRect().size(), measured(line->MasterLabelText()));
        EXPECT_EQ(line->DetailLabelRect().size(), measured(line->DetailLabelText()));
        EXPECT_TRUE(line->boundingRect().toRect().contains(line->DetailLabelRect()));
        labels.push_back(line->MasterLabelRect());
        labels.push_back(line->DetailLabelRect());
        anchors.push_back(panel->GetLinkPoint(line, 2, false));
    }
    for (size_t i = 0; i < labels.size(); ++i)
        for (size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_FALSE(labels[i].intersects(labels[j])) << "labels " << i << " and " << j;
    for (size_t i = 0; i < anchors.size(); ++i)
        for (size_t j = i + 1; j < anchors.size(); ++j)
            EXPECT_NE(anchors[i], anchors[j]) << "anchors " << i << " and " << j;

    // moved elsewhere, and back: still apart
    graph.TableById(4)->SetBounds(720, 160);
    for (int i = 0; i < graph.LinkCount(); ++i)
        for (int j = i + 1; j < graph.LinkCount(); ++j)
            EXPECT_FALSE(graph.GetLink(i)->DetailLabelRect().intersects(graph.GetLink(j)->DetailLabelRect()));

    mx::TMxItem::Free(lines);
    ASSERT_EQ(graph.LinkCount(), 3);
    for (int i = 0; i < graph.LinkCount(); ++i) {
        EXPECT_EQ(graph.GetLink(i)->DetailPanel(), nullptr) << i;
        EXPECT_FALSE(graph.GetLink(i)->isVisible()) << i;
    }
    // a panel moved after its links lost the other end reaches no freed one
    graph.TableById(1)->SetBounds(500, 30);
}

TEST_F(DiagramTest, ClearingTheModelLeavesNothingBehind)
{
    TMxDataModel* m = FourTables();
    AddLink(m, 1, 2, {{"ID", "A_ID"}});
    graph.SetModel(m);
    Press(TitlePoint(graph.GetTable(1)));
    // a move under way when the model goes
    graph.SetModel(nullptr);
    EXPECT_EQ(graph.TableCount(), 0);
    EXPECT_EQ(graph.LinkCount(), 0);
    EXPECT_EQ(graph.Selected(), nullptr);
    EXPECT_EQ(graph.SelectedLink(), nullptr);
    EXPECT_EQ(graph.Scene()->items().size(), 1); // the rubber band alone
    // the mouse after that touches nothing that was freed (the sanitizers)
    MoveTo(QPoint(500, 50));
    Release(QPoint(500, 50));
    // a second model replaces the first one wholly
    graph.SetModel(FourTables());
    EXPECT_EQ(graph.TableCount(), 4);
    graph.SetModel(FourTables());
    EXPECT_EQ(graph.TableCount(), 4);
    EXPECT_EQ(graph.Scene()->items().size(), 1 + 4 * 4);
}

TEST_F(DiagramTest, APanelsPlaceLevelAndLinksSurviveSavingAndReading)
{
    TMxDataModel* m = FourTables();
    graph.SetModel(m);
    ScopedHook editor(LinkEditor, [](TGraphLink* line) {
        mx::TMxFLink* pair = line->Link()->FLinks()->AddNew();
        pair->Fields()->SetMasterName(QStringLiteral("ID"));
        pair->Fields()->SetDetailName(QStringLiteral("ID"));
        return true;
    });
    DragLink(graph.GetTable(0), Centre(graph.GetTable(1)));
    DragLink(graph.GetTable(0), Centre(graph.GetTable(2)));
    Press(TitlePoint(graph.GetTable(3)));
    MoveTo(TitlePoint(graph.GetTable(3)) + QPoint(37, 15));
    Release(TitlePoint(graph.GetTable(3)) + QPoint(37, 15));
    graph.GetTable(3)->ModeButtonClick();
    ASSERT_EQ(graph.LinkCount(), 2);

    struct Shown {
        QRect rect;
        int level;
    };
    auto shown = [](const mx::admin::TGraph& g) {
        std::vector<std::tuple<int, int, int, int, int>> out;
        for (int i = 0; i < g.TableCount(); ++i) {
            const QRect r = g.GetTable(i)->Rect();
            out.emplace_back(r.x(), r.y(), r.width(), r.height(), g.GetTable(i)->DesignMode());
        }
        for (int i = 0; i < g.LinkCount(); ++i)
            out.emplace_back(g.GetLink(i)->MasterSide(), g.GetLink(i)->DetailSide(), g.GetLink(i)->Rect().x(),
                g.GetLink(i)->Rect().y(), -1);
        return out;
    };
    const auto before = shown(graph);
    const QByteArray bytes = m->SaveToBytes();
    TMxDataModel* again = NewModel();
    again->LoadFromStream(bytes); // the stored lists as they are, without a login
    QGraphicsView otherView;
    mx::admin::TGraph other;
    other.SetDisplay(&otherView);
    other.SetModel(again);
    EXPECT_EQ(shown(other), before);
}

} // namespace
} // namespace diagramtest
