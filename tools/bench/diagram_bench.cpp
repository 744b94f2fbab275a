// The data model diagram over a generated model of 500 tables and 1,000
// links: opening its diagram, and dragging a panel linked to 20 others
// (the time of one mouse move). Prints the medians of several runs.
//
//   bench_diagram [runs]

#include "admin/diagram/graph.h"

#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"
#include "engine/model/field.h"
#include "engine/model/link.h"
#include "engine/model/modeltypes.h"
#include "engine/model/table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kTables = 500;
constexpr int kLinks = 1000;
constexpr int kHubLinks = 20;
constexpr int kMoves = 400;

mx::TMxDataModel* MakeModel()
{
    auto* m = new mx::TMxDataModel(nullptr);
    for (int t = 1; t <= kTables; ++t) {
        auto* table = new mx::TMxTable(m->Tables());
        table->SetId(t);
        table->SetName(QStringLiteral("T%1").arg(t));
        table->SetFullName(QStringLiteral("Table %1").arg(t));
        // a grid of 25 columns
        table->SetDesignX(20 + ((t - 1) % 25) * 240);
        table->SetDesignY(20 + ((t - 1) / 25) * 160);
        for (int f = 1; f <= 6; ++f) {
            auto* field = new mx::TDmField(table->Fields());
            field->SetId(f);
            field->SetIdx(f == 1 ? 1 : 0);
            field->SetName(QStringLiteral("CHAMP_%1").arg(f));
            field->SetShortType(QLatin1Char('N'));
        }
    }
    auto link = [m](int master, int detail) {
        auto* l = new mx::TMxLink(m->TLinks());
        l->SetId(m->TLinks()->Count());
        l->SetMaster(master);
        l->SetDetail(detail);
        l->SetLinkType(mx::ltOneToMany);
        mx::TMxFLink* pair = l->FLinks()->AddNew();
        pair->Fields()->SetMasterName(QStringLiteral("CHAMP_1"));
        pair->Fields()->SetDetailName(QStringLiteral("CHAMP_2"));
    };
    // table 1 is master of 20 tables around it; the rest joins neighbours
    for (int d = 2; d <= kHubLinks + 1; ++d)
        link(1, d * 13 % kTables + 1);
    for (int i = 0; m->TLinks()->Count() < kLinks; ++i) {
        const int master = i % kTables + 1;
        const int detail = (i * 7 + 3) % kTables + 1;
        if (master != detail && master != 1)
            link(master, detail);
    }
    return m;
}

void Send(QGraphicsView& view, QEvent::Type type, const QPoint& scene, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF at = view.mapFromScene(scene);
    QMouseEvent e(type, at, view.viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &e);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    std::vector<double> open, move, firstMove, paint;
    for (int r = 0; r < runs; ++r) {
        QGraphicsView view;
        view.resize(1200, 800);
        view.show();
        mx::admin::TGraph graph;
        graph.SetDisplay(&view);
        mx::TMxDataModel* model = MakeModel();
        QElapsedTimer timer;
        timer.start();
        graph.SetModel(model);
        QApplication::processEvents();
        open.push_back(timer.nsecsElapsed() / 1e6);
        // one full paint of the visible part
        timer.restart();
        view.viewport()->repaint();
        paint.push_back(timer.nsecsElapsed() / 1e6);

        mx::admin::TGraphTable* hub = graph.TableById(1);
        const QPoint grab = hub->Rect().topLeft() + QPoint(60, 8);
        Send(view, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        // the first move marks the model modified, which resyncs the diagram
        timer.restart();
        Send(view, QEvent::MouseMove, grab + QPoint(1, 1), Qt::NoButton, Qt::LeftButton);
        firstMove.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        for (int i = 2; i <= kMoves; ++i) {
            Send(view, QEvent::MouseMove, grab + QPoint(i % 300, i % 200), Qt::NoButton, Qt::LeftButton);
            // what the screen shows after each move
            view.viewport()->repaint();
        }
        move.push_back(timer.nsecsElapsed() / 1e6 / (kMoves - 1));
        Send(view, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
        if (hub->LinkCount() != kHubLinks || graph.TableCount() != kTables || graph.LinkCount() != kLinks) {
            std::fprintf(stderr, "unexpected diagram: %d links on the hub, %d tables, %d links\n", hub->LinkCount(),
                graph.TableCount(), graph.LinkCount());
            return 1;
        }
    }
    std::printf("diagram of %d tables and %d links, median of %d runs:\n", kTables, kLinks, runs);
    std::printf("  open (SetModel)                 %8.2f ms  (aim < 500 ms)\n", Median(open));
    std::printf("  paint of the view               %8.2f ms\n", Median(paint));
    std::printf("  first move (marks modified)     %8.2f ms\n", Median(firstMove));
    std::printf("  mouse move with repaint         %8.3f ms  (aim < 16 ms)\n", Median(move));
    return 0;
}
