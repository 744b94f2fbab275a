// The link dialog: automatic pairing, types, the link kind, Délier, Cancel,
// and a link drawn in the diagram and confirmed in the dialog.

#include "diagramtest.h"

#include "fmlink.h"

#include "core/hookslot.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace diagramtest {
namespace {

using mx::TItemPtr;
using mx::TMxDataModel;
using mx::TMxLink;
using mx::admin::TfmLink;
using mx::ui::test::Child;

QStringList Rows(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void Choose(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->setCurrentItem(found[0]);
}

void DoubleClick(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    const QPoint at = list->visualItemRect(found[0]).center();
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
    EXPECT_EQ(Rows(Child<QListWidget>(form, "lbPairs")), (QStringList{"K1 -> K1", "K2 -> K2"}));
    EXPECT_EQ(Rows(Child<QListWidget>(form, "lbMaster")), (QStringList{"V", "NOM"}));
    EXPECT_EQ(Rows(Child<QListWidget>(form, "lbDetail")), (QStringList{"V", "QTE"}));
    EXPECT_TRUE(Child<QPushButton>(form, "btOk")->isEnabled());
    EXPECT_EQ(Child<QGroupBox>(form, "gbMaster")->title(), QStringLiteral("Table maitre : CMD"));
    EXPECT_EQ(Child<QGroupBox>(form, "gbDetail")->title(), QStringLiteral("Table détail : LIG"));

    // nothing shared: no pairs, and Ok refused
    TMxLink* none = NewLink(3, 2);
    TfmLink empty(none, other, detail);
    EXPECT_EQ(Child<QListWidget>(empty, "lbPairs")->count(), 0);
    EXPECT_FALSE(Child<QPushButton>(empty, "btOk")->isEnabled());
    EXPECT_EQ(Child<QGroupBox>(empty, "gbPairs")->title(), QStringLiteral("Lien"));
    m_modal.Accept();
    EXPECT_NE(mx::ui::RunModal(empty), QDialog::Accepted);
    EXPECT_EQ(m_modal.stayedOpen, 1);
    EXPECT_EQ(none->FLinks()->Count(), 0);
}

TEST_F(LinkDialog, PairsNeedTheSameTypeAndTheKindFollowsTheDetailsKey)
{
    TfmLink form(NewLink(1, 2), master, detail);
    auto* lbMaster = Child<QListWidget>(form, "lbMaster");
    auto* lbDetail = Child<QListWidget>(form, "lbDetail");
    auto* lbPairs = Child<QListWidget>(form, "lbPairs");
    auto* gbPairs = Child<QGroupBox>(form, "gbPairs");
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien de un-à-un"));

    // a text onto a number is refused
    Choose(lbMaster, QStringLiteral("NOM"));
    Choose(lbDetail, QStringLiteral("QTE"));
    QTest::mouseClick(Child<QPushButton>(form, "btAdd"), Qt::LeftButton);
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
        QStringList{QStringLiteral("Les types de champs ne sont pas compatibles.")});
    EXPECT_EQ(lbPairs->count(), 2);

    // one more pair on a field out of the key
    Choose(lbMaster, QStringLiteral("V"));
    Choose(lbDetail, QStringLiteral("V"));
    QTest::mouseClick(Child<QPushButton>(form, "btAdd"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "K2 -> K2", "V -> V"}));
    EXPECT_EQ(lbPairs->currentRow(), 2);
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien de un-à-plusieurs"));
    EXPECT_EQ(form.Edited()->LinkType(), mx::ltOneToMany);

    // Délier gives the fields back and selects the line above
    lbPairs->setCurrentRow(1);
    QTest::mouseClick(Child<QPushButton>(form, "btUnlink"), Qt::LeftButton);
    EXPECT_EQ(Rows(lbPairs), (QStringList{"K1 -> K1", "V -> V"}));
    EXPECT_EQ(lbPairs->currentRow(), 0);
    EXPECT_TRUE(Rows(lbMaster).contains(QStringLiteral("K2")));
    EXPECT_TRUE(Rows(lbDetail).contains(QStringLiteral("K2")));
    // the pairs no longer cover the key: one to many
    EXPECT_EQ(gbPairs->title(), QStringLiteral("Lien de un-à-plusieurs"));
    QTest::mouseClick(Child<QPushButton>(form, "btClear"), Qt::LeftButton);
    EXPECT_EQ(lbPairs->count(), 0);
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
    QTest::keyClick(Child<QListWidget>(form, "lbPairs"), Qt::Key_F1);
    EXPECT_EQ(m_ui.service.count(QStringLiteral("help")), 1);
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
        auto* lbMaster = Child<QListWidget>(d, "lbMaster");
        Choose(Child<QListWidget>(d, "lbDetail"), QStringLiteral("K1"));
        DoubleClick(lbMaster, QStringLiteral("K1"));
        EXPECT_EQ(Rows(Child<QListWidget>(d, "lbPairs")), QStringList{QStringLiteral("K1 -> K1")});
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
