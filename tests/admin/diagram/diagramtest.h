#pragma once
// What the diagram tests share: the application on the offscreen platform,
// the scripted service and modal runner, a small model built in code, and
// a graph shown in a view whose mouse the tests drive with explicit events.

#include "tests/ui/uitest.h"

#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"
#include "tests/support/testsupport.h"

#include "admin/diagram/graph.h"

#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"
#include "engine/model/field.h"
#include "engine/model/link.h"
#include "engine/model/modeltypes.h"
#include "engine/model/table.h"

#include <QApplication>
#include <QGraphicsView>
#include <QMouseEvent>

#include <array>
#include <initializer_list>

namespace diagramtest {

// A field: name, type letter, key (Idx > 0).
struct TField {
    const char* name;
    char type;
    bool key;
};

// A table of the model (joined to its list quietly, as a load does).
inline mx::TMxTable* AddTable(mx::TMxDataModel* model, int id, const char* name, std::initializer_list<TField> fields,
    int x = 0, int y = 0)
{
    auto* t = new mx::TMxTable(model->Tables());
    t->SetId(id);
    t->SetName(QString::fromLatin1(name));
    t->SetFullName(QStringLiteral("Table %1").arg(QString::fromLatin1(name)));
    t->SetDesignX(x);
    t->SetDesignY(y);
    int n = 0;
    for (const TField& f : fields) {
        auto* field = new mx::TDmField(t->Fields());
        field->SetId(++n);
        field->SetIdx(f.key ? n : 0);
        field->SetName(QString::fromLatin1(f.name));
        field->SetFullName(QString::fromLatin1(f.name).toLower());
        field->SetShortType(QChar(QLatin1Char(f.type)));
        field->SetLongType(f.type == 'A' ? QStringLiteral("VARCHAR") : QStringLiteral("NUMERIC"));
        field->SetSize(f.type == 'A' ? 30 : 0);
    }
    return t;
}

// A link master -> detail with one pair per {master field, detail field}.
inline mx::TMxLink* AddLink(mx::TMxDataModel* model, int master, int detail,
    std::initializer_list<std::array<const char*, 2>> pairs = {}, mx::TLinkType type = mx::ltOneToMany)
{
    auto* link = new mx::TMxLink(model->TLinks());
    link->SetId(model->TLinks()->Count());
    link->SetMaster(master);
    link->SetDetail(detail);
    link->SetLinkType(type);
    for (const auto& p : pairs) {
        mx::TMxFLink* pair = link->FLinks()->AddNew();
        pair->Tables()->SetMaster(master);
        pair->Tables()->SetDetail(detail);
        pair->Fields()->SetMasterName(QString::fromLatin1(p[0]));
        pair->Fields()->SetDetailName(QString::fromLatin1(p[1]));
    }
    return link;
}

class DiagramTest : public mxtest::EngineTest {
protected:
    DiagramTest()
    {
        view.resize(900, 700);
        graph.SetDisplay(&view);
        view.show();
    }
    ~DiagramTest() override { graph.SetModel(nullptr); }

    // A fresh model, not yet shown.
    static mx::TMxDataModel* NewModel() { return new mx::TMxDataModel(nullptr); }

    QPoint ViewPoint(const QPoint& scene) const { return view.mapFromScene(scene); }
    void Mouse(QEvent::Type type, const QPoint& scene, Qt::MouseButton button, Qt::MouseButtons buttons,
        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF local = ViewPoint(scene);
        QMouseEvent e(type, local, view.viewport()->mapToGlobal(local), button, buttons, modifiers);
        QApplication::sendEvent(view.viewport(), &e);
    }
    void Press(const QPoint& at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        Mouse(QEvent::MouseButtonPress, at, button, button, m);
    }
    void MoveTo(const QPoint& at, Qt::MouseButtons held = Qt::LeftButton)
    {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, held);
    }
    void Release(const QPoint& at, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    // A press on a panel's field list, moves, and a release at the end.
    void DragLink(mx::admin::TGraphTable* from, const QPoint& to)
    {
        const QPoint start = from->Rect().topLeft() + QPoint(50, mx::admin::kFieldListTop + 5);
        Press(start);
        MoveTo((start + to) / 2);
        MoveTo(to);
        Release(to);
    }
    static QPoint TitlePoint(const mx::admin::TGraphTable* panel) { return panel->Rect().topLeft() + QPoint(60, 8); }
    static QPoint Centre(const mx::admin::TGraphTable* panel) { return panel->Rect().center(); }

    mx::ui::test::ScopedScriptedUi m_ui;
    mx::ui::test::TScriptedModal m_modal;
    QGraphicsView view;
    mx::admin::TGraph graph;
};

} // namespace diagramtest
