// The main path of a link: drawn from one panel onto another with the
// mouse, its pair chosen by a double click and its outer join ticked in
// the link dialog opened through the diagram's own editor hook, and then
// the join of a query step over the same model.

#include "tests/engine/query/queryfixture.h"
#include "tests/ui/uitest.h"

#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"

#include "admin/diagram/fmlink.h"
#include "admin/diagram/graph.h"

#include "engine/model/datamodel.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/query/query.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QGraphicsView>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace {

using mx::ui::test::Child;

QModelIndex Line(const QAbstractItemView* list, const QString& text)
{
    const QModelIndexList found =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, -1, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << text.toStdString();
    return found.value(0);
}

QStringList Rows(const QAbstractItemView* list)
{
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << list->model()->index(i, 0).data().toString();
    return out;
}

class DrawnLink : public qtest::QueryTest {
protected:
    DrawnLink()
    {
        // the step is made over the diagram's model later
        mx::TMxItem::Free(m_query);
        m_query = nullptr;
        m_step = nullptr;
        // the shop without its CLIENT -> COMMANDE link: the test draws it
        mx::TMxDataModel* model = qtest::MakeShopModel();
        mx::TMxItem::Free(model->TLinks()->FindLink(3, 5));
        model->Tables()->FindById(3)->SetDesignX(20);
        model->Tables()->FindById(3)->SetDesignY(20);
        model->Tables()->FindById(5)->SetDesignX(400);
        model->Tables()->FindById(5)->SetDesignY(20);
        view.resize(900, 700);
        graph.SetDisplay(&view);
        graph.SetModel(model);
        view.show();
        mx::admin::RegisterLinkEditor();
    }
    ~DrawnLink() override
    {
        mx::admin::LinkEditor.clear();
        // the query only borrows the diagram's model
        mx::TMxItem::Free(m_query);
        m_query = nullptr;
        graph.SetModel(nullptr);
    }
    void Mouse(QEvent::Type type, const QPoint& scene, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPointF local = view.mapFromScene(scene);
        QMouseEvent e(type, local, view.viewport()->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &e);
    }

    mx::ui::test::ScopedScriptedUi m_ui;
    mx::ui::test::TScriptedModal m_modal;
    QGraphicsView view;
    mx::admin::TGraph graph;
};

TEST_F(DrawnLink, APairAndAnOuterJoinChosenInTheDialogReachTheStepsStatement)
{
    mx::TMxDataModel* model = graph.Model();
    model->SetModified(false);
    m_modal.Accept([](QDialog& d) {
        // from nothing: one pair by a double click on each side's line
        Child<QPushButton>(d, "btClear")->click();
        auto* lbMaster = Child<QListView>(d, "lbMaster");
        auto* lbDetail = Child<QListView>(d, "lbDetail");
        auto* lbPairs = Child<QListView>(d, "lbPairs");
        ASSERT_EQ(lbPairs->model()->rowCount(), 0);
        lbDetail->setCurrentIndex(Line(lbDetail, QStringLiteral("NUMCLI")));
        const QPoint at = lbMaster->visualRect(Line(lbMaster, QStringLiteral("NUMCLI"))).center();
        QTest::mouseClick(lbMaster->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(lbMaster->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(Rows(lbPairs), QStringList{QStringLiteral("NUMCLI -> NUMCLI")});
        Child<QCheckBox>(d, "cbLeftOuter")->click();
        Child<QCheckBox>(d, "cbLeftDefault")->click();
    });
    // a press on CLIENT's field list, a drag, a release over COMMANDE
    const QRect client = graph.TableById(3)->Rect();
    const QPoint from = client.topLeft() + QPoint(50, mx::admin::kFieldListTop + 5);
    const QPoint to = graph.TableById(5)->Rect().center();
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);

    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmLink")});
    EXPECT_EQ(m_modal.stayedOpen, 0);
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")), QStringList());
    mx::TMxLink* link = model->TLinks()->FindLink(3, 5);
    ASSERT_NE(link, nullptr);
    ASSERT_EQ(link->FLinks()->Count(), 1);
    EXPECT_EQ(link->FLinks()->Items(0)->Fields()->MasterName(), QStringLiteral("NUMCLI"));
    EXPECT_EQ(link->FLinks()->Items(0)->Fields()->DetailName(), QStringLiteral("NUMCLI"));
    EXPECT_TRUE(link->LeftOuter());
    EXPECT_TRUE(link->LeftDefault());
    EXPECT_TRUE(model->Modified());

    // a step over this model joins CLIENT and COMMANDE on that pair, outer
    // on the client's side as chosen
    m_query = new mx::TMxQuery(nullptr);
    m_query->SetDataModel(model, false);
    m_query->SetDomId(1);
    m_step = m_query->AddStep();
    Add(3, QStringLiteral("NOM"));
    Add(5, QStringLiteral("MONTANT"));
    const QString sql = Sql().join(u'\n');
    EXPECT_EQ(sql, QStringLiteral("SELECT \nD3.\"NOM\" AS \"Nom\",\nD5.\"MONTANT\" AS \"Montant\"\nFROM \n \"CLIENT\" D3\n"
                                  "LEFT OUTER JOIN \"COMMANDE\" D5\n  ON D3.\"NUMCLI\" = D5.\"NUMCLI\""));
    qtest::ShopDb db;
    EXPECT_EQ(db.PrepareError(sql), QString());
}

} // namespace
