// The link dialog: automatic pairing, types, the link kind, Délier, Cancel,
// and a link drawn in the diagram and confirmed in the dialog.

#include "diagramtest.h"

#include "admin/diagram/fmlink.h"
#include "admin/diagram/linkmodels.h"

#include "engine/core/hookslot.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QAbstractItemModelTester>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace diagramtest {
namespace {

using mx::TItemPtr;
using mx::TMxDataModel;
using mx::TMxLink;
using mx::admin::TfmLink;
using mx::ui::test::Child;

QStringList Rows(const QAbstractItemView* list)
{
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << list->model()->index(i, 0).data().toString();
    return out;
}

int CurrentRow(const QAbstractItemView* list)
{
    return list->currentIndex().isValid() ? list->currentIndex().row() : -1;
}

QModelIndex Line(const QAbstractItemView* list, const QString& text)
{
    const QModelIndexList found =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, -1, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << text.toStdString();
    return found.value(0);
}

void Choose(QAbstractItemView* list, const QString& text)
{
    list->setCurrentIndex(Line(list, text));
}

void DoubleClick(QAbstractItemView* list, const QString& text)
{
    const QModelIndex line = Line(list, text);
    ASSERT_TRUE(line.isValid());
    const QPoint at = list->visualRect(line).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

class LinkDialog : public DiagramTest {
protected:
    LinkDialog()
    {
        model = NewModel();
        master = AddTable(model, 1, "CMD", {{"K1", 'N', true}, {"K2", 'A', true}, {"V", 'N', false}, {"NOM", 'A', false}}, 20, 20);
        detail = AddTable(model, 2, "LIG", {{"K1", 'N', true}, {"K2", 'A', true}, {"V", 'N', false}, {"QTE", 'N', false}}, 400, 20);
        other = AddTable(model, 3, "AUTRE", {{"CODE", 'N', true}}, 20, 300);
        graph.SetModel(model);
    }
    TMxLink* NewLink(int masterId, int detailId) { return AddLink(model, masterId, detailId); }

    TMxDataModel* model;
    mx::TMxTable* master;
    mx::TMxTable* detail;
    mx::TMxTable* other;
};

TEST_F(LinkDialog, ALinkWithoutPairsStartsFromTheProposedOnes)
{
    TfmLink form(NewLink(1, 2), master, detail);
    // fields that share name and type, the detail's being a key
    EXPECT_EQ(Rows(Child<QListView>(form, "lbPairs")), (QStringList{"K1 -> K1", "K2 -> K2"}));
    EXPECT_EQ(Rows(Child<QListView>(form, "lbMaster")), (QStringList{"V", "NOM"}));
    EXPECT_EQ(Rows(Child<QListView>(form, "lbDetail")), (QStringList{"V", "QTE"}));
    EXPECT_TRUE(Child<QPushButton>(form, "btOk")->isEnabled());
    EXPECT_EQ(Child<QGroupBox>(form, "gbMaster")->title(), QStringLiteral("Table maitre : CMD"));
    EXPECT_EQ(Child<QGroupBox>(form, "gbDetail")->title(), QStringLiteral("Table détail : LIG"));

    // nothing shared: no pairs, and Ok refused
    TMxLink* none = NewLink(3, 2);
    TfmLink empty(none, other, detail);
    EXPECT_EQ(Child<QListView>(empty, "lbPairs")->model()->rowCount(), 0);
    EXPECT_FALSE(Child<QPushButton>(empty, "btOk")->isEnabled());
    EXPECT_EQ(Child<QGroupBox>(empty, "gbPairs")->title(), QStringLiteral("Lien"));
    m_modal.Accept();
    EXPECT_NE(mx::ui::RunModal(empty), QDialog::Accepted);
    EXPECT_EQ(m_modal.stayedOpen, 1);
    EXPECT_EQ(none->FLinks()->Count(), 0);
}

TEST_F(LinkDialog, TheListsAreModelsKeyedByIdThatStaySoundThroughEveryChange)
{
    TfmLink form(NewLink(1, 2), master, detail);
    auto* lbMaster = Child<QListView>(form, "lbMaster");
    auto* lbDetail = Child<QListView>(form, "lbDetail");
    auto* lbPairs = Child<QListView>(form, "lbPairs");
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(lbMaster), static_cast<QAbstractItemView*>(lbDetail),
             static_cast<QAbstractItemView*>(lbPairs)})
        new QAbstractItemModelTester(list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal, &form);
    using mx::admin::TLinkFieldModel;
    using mx::admin::TLinkPairModel;
    auto ids = [](const QAbstractItemView* list, int role) {
        QList<int> out;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            out << list->model()->index(i, 0).data(role).toInt();
        return out;
    };
    auto types = [](const QAbstractItemView* list) {
        QStringList out;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            out << list->model()->index(i, 0).data(TLinkFieldModel::TypeRole).toString();
        return out;
    };
    // the free fields by their Ids (K1 and K2 are paired), with their type texts
    EXPECT_EQ(ids(lbMaster, TLinkFieldModel::IdRole), (QList<int>{3, 4}));
    EXPECT_EQ(types(lbMaster), (QStringList{"N", "A30"}));
    EXPECT_EQ(ids(lbPairs, TLinkPairModel::IdRole), (QList<int>{0, 1}));

    // the clicked lines decide the pair
    QTest::mouseClick(lbMaster->viewport(), Qt::LeftButton, {}, lbMaster->visualRect(Line(lbMaster, "V")).center());
    QTest::mouseClick(lbDetail->viewport(), Qt::LeftButton, {}, lbDetail->visualRect(Line(lbDetail, "V")).center());
    QTest::mouseClick(Child<QPushButton>(form, "btAdd"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "K2 -> K2", "V -> V"}));
    EXPECT_EQ(ids(lbMaster, TLinkFieldModel::IdRole), QList<int>{4});
    EXPECT_EQ(ids(lbDetail, TLinkFieldModel::IdRole), QList<int>{4});
    EXPECT_EQ(ids(lbPairs, TLinkPairModel::IdRole), (QList<int>{0, 1, 2}));
    // the arrow keys move the line that Délier acts on
    lbPairs->setFocus();
    QTest::keyClick(lbPairs, Qt::Key_Up);
    EXPECT_EQ(CurrentRow(lbPairs), 1);
    QTest::mouseClick(Child<QPushButton>(form, "btUnlink"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "V -> V"}));
    EXPECT_EQ(ids(lbMaster, TLinkFieldModel::IdRole), (QList<int>{2, 4}));
    QTest::mouseClick(Child<QPushButton>(form, "btClear"), Qt::LeftButton);
    EXPECT_EQ(ids(lbMaster, TLinkFieldModel::IdRole), (QList<int>{1, 2, 3, 4}));
    QTest::mouseClick(Child<QPushButton>(form, "btAuto"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "K2 -> K2"}));
}

TEST_F(LinkDialog, PairsNeedTheSameTypeAndTheKindFollowsTheDetailsKey)
{
    TfmLink form(NewLink(1, 2), master, detail);
    auto* lbMaster = Child<QListView>(form, "lbMaster");
    auto* lbDetail = Child<QListView>(form, "lbDetail");
    auto* lbPairs = Child<QListView>(form, "lbPairs");
    auto* gbPairs = Child<QGroupBox>(form, "gbPairs");
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien de un-à-un"));

    // a text onto a number is refused
    Choose(lbMaster, QStringLiteral("NOM"));
    Choose(lbDetail, QStringLiteral("QTE"));
    QTest::mouseClick(Child<QPushButton>(form, "btAdd"), Qt::LeftButton);
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
        QStringList{QStringLiteral("Les types de champs ne sont pas compatibles.")});
    EXPECT_EQ(lbPairs->model()->rowCount(), 2);

    // one more pair on a field out of the key
    Choose(lbMaster, QStringLiteral("V"));
    Choose(lbDetail, QStringLiteral("V"));
    QTest::mouseClick(Child<QPushButton>(form, "btAdd"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "K2 -> K2", "V -> V"}));
    EXPECT_EQ(CurrentRow(lbPairs), 2);
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien de un-à-plusieurs"));
    EXPECT_EQ(form.Edited()->LinkType(), mx::ltOneToMany);

    // Délier gives the fields back and selects the line above
    lbPairs->setCurrentIndex(lbPairs->model()->index(1, 0));
    QTest::mouseClick(Child<QPushButton>(form, "btUnlink"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "V -> V"}));
    EXPECT_EQ(CurrentRow(lbPairs), 0);
    EXPECT_TRUE(Rows(lbMaster).contains(QStringLiteral("K2")));
    EXPECT_TRUE(Rows(lbDetail).contains(QStringLiteral("K2")));
    // the pairs no longer cover the key: one to many
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien de un-à-plusieurs"));
    QTest::mouseClick(Child<QPushButton>(form, "btClear"), Qt::LeftButton);
    EXPECT_EQ(lbPairs->model()->rowCount(), 0);
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien"));
    EXPECT_FALSE(Child<QPushButton>(form, "btOk")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(form, "btUnlink")->isEnabled());
    // an outer side enables its default and caption
    EXPECT_FALSE(Child<QCheckBox>(form, "cbLeftDefault")->isEnabled());
    Child<QCheckBox>(form, "cbLeftOuter")->click();
    EXPECT_TRUE(Child<QCheckBox>(form, "cbLeftDefault")->isEnabled());
    EXPECT_TRUE(Child<QLineEdit>(form, "edLeftCaption")->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>(form, "edRightCaption")->isEnabled());
}

TEST_F(LinkDialog, CancelLeavesTheLinkAsItWasAlsoAfterVider)
{
    TMxLink* link = AddLink(model, 1, 2, {{"K1", "K1"}});
    link->SetRightCaption(QStringLiteral("Lignes"));
    model->TLinks()->NotifyAdd(link);
    const QByteArray before = link->SaveToBytes();
    m_modal.Reject([](QDialog& d) {
        Child<QPushButton>(d, "btClear")->click();
        Child<QCheckBox>(d, "cbLeftOuter")->click();
        Child<QLineEdit>(d, "edRightCaption")->setText(QStringLiteral("Autre"));
    });
    EXPECT_FALSE(TfmLink::Execute(graph.FindLink(link)));
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmLink")});
    EXPECT_EQ(link->FLinks()->Count(), 1);
    EXPECT_EQ(link->SaveToBytes(), before);

    // F1 opens the dialog's help
    TfmLink form(link, master, detail);
    form.show();
    QTest::keyClick(Child<QListView>(form, "lbPairs"), Qt::Key_F1);
    EXPECT_EQ(m_ui.service.count(QStringLiteral("help")), 1);
    // and so does "Aide", at the same page: the data model window's
    Child<QPushButton>(form, "btHelp")->click();
    const QStringList asked = m_ui.service.texts(QStringLiteral("help"));
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].endsWith(QStringLiteral("#98"))) << asked[0].toStdString();
    EXPECT_EQ(asked[1], asked[0]);
}

TEST_F(LinkDialog, ALinkDrawnInTheDiagramIsConfirmedInTheDialog)
{
    mx::admin::RegisterLinkEditor();
    struct Restore {
        ~Restore() { mx::admin::LinkEditor.clear(); }
    } restore;
    model->SetModified(false);
    m_modal.Accept([](QDialog& d) {
        // start again from nothing: one pair by double clicks
        Child<QPushButton>(d, "btClear")->click();
        auto* lbMaster = Child<QListView>(d, "lbMaster");
        Choose(Child<QListView>(d, "lbDetail"), QStringLiteral("K1"));
        DoubleClick(lbMaster, QStringLiteral("K1"));
        EXPECT_EQ(Rows(Child<QListView>(d, "lbPairs")), QStringList{QStringLiteral("K1 -> K1")});
        Child<QCheckBox>(d, "cbLeftOuter")->click();
        Child<QLineEdit>(d, "edLeftCaption")->setText(QStringLiteral("Toutes les commandes"));
    });
    DragLink(graph.TableById(1), Centre(graph.TableById(2)));
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmLink")});
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")), QStringList());
    EXPECT_EQ(m_modal.stayedOpen, 0);
    TMxLink* link = model->TLinks()->FindLink(1, 2);
    ASSERT_NE(link, nullptr);
    ASSERT_EQ(link->FLinks()->Count(), 1);
    EXPECT_EQ(link->FLinks()->Items(0)->Fields()->MasterName(), QStringLiteral("K1"));
    EXPECT_EQ(link->FLinks()->Items(0)->Fields()->DetailName(), QStringLiteral("K1"));
    EXPECT_EQ(link->FLinks()->Items(0)->Tables()->Master(), 1);
    EXPECT_TRUE(link->LeftOuter());
    EXPECT_EQ(link->LeftCaption(), QStringLiteral("Toutes les commandes"));
    EXPECT_EQ(link->LinkType(), mx::ltOneToMany);
    EXPECT_TRUE(model->Modified());
    EXPECT_EQ(graph.FindLink(link)->DetailPanel(), graph.TableById(2));

    // refused: the drawn link goes again
    m_modal.Reject();
    DragLink(graph.TableById(1), Centre(graph.TableById(3)));
    EXPECT_EQ(model->TLinks()->Count(), 1);
    EXPECT_EQ(graph.LinkCount(), 1);
}

} // namespace
} // namespace diagramtest
