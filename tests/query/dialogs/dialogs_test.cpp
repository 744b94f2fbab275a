// The sort dialog and the result options dialog of a step: their rules
// through the forms' buttons, one run each through the modal routine, and
// Cancel leaving the query's file as it was.

#include "tests/engine/query/queryfixture.h"
#include "tests/support/ui/scriptedservice.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/ui/uitest.h"

#include "query/dialogs/fmextdest.h"
#include "query/dialogs/fmsortfields.h"

#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/model/queryfield.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"

#include "ui/controls/picturelistbox.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace mx;
using namespace qtest;

namespace {

using mx::ui::test::Child;

// The sort dialog's controls, found by their names.
struct SortControls {
    explicit SortControls(QWidget& form)
        : SrcList(Child<QListWidget>(form, "SrcList"))
        , DstList(Child<QListWidget>(form, "DstList"))
        , btInclude(Child<QToolButton>(form, "btInclude"))
        , btIncAll(Child<QToolButton>(form, "btIncAll"))
        , btExclude(Child<QToolButton>(form, "btExclude"))
        , btExAll(Child<QToolButton>(form, "btExAll"))
        , sbUp(Child<QToolButton>(form, "sbUp"))
        , sbDown(Child<QToolButton>(form, "sbDown"))
        , btSwapSortOrder(Child<QPushButton>(form, "btSwapSortOrder"))
        , btOk(Child<QPushButton>(form, "btOk"))
        , btCancel(Child<QPushButton>(form, "btCancel"))
    {
    }
    QListWidget* SrcList;
    QListWidget* DstList;
    QToolButton* btInclude;
    QToolButton* btIncAll;
    QToolButton* btExclude;
    QToolButton* btExAll;
    QToolButton* sbUp;
    QToolButton* sbDown;
    QPushButton* btSwapSortOrder;
    QPushButton* btOk;
    QPushButton* btCancel;
};

// The result options dialog's controls, found by their names; the join
// boxes are those of the scroll area "sb", in their order.
struct DestControls {
    explicit DestControls(QWidget& form)
        : nbPages(Child<QTabWidget>(form, "nbPages"))
        , sgDest(Child<QTableWidget>(form, "sgDest"))
        , sb(Child<QScrollArea>(form, "sb"))
        , cbDistinctSelect(Child<QCheckBox>(form, "cbDistinctSelect"))
        , btView(Child<QPushButton>(form, "btView"))
        , btPrint(Child<QPushButton>(form, "btPrint"))
        , btCancel(Child<QPushButton>(form, "btCancel"))
    {
    }
    QList<QCheckBox*> JoinBoxes() const { return sb->widget()->findChildren<QCheckBox*>(); }
    QTabWidget* nbPages;
    QTableWidget* sgDest;
    QScrollArea* sb;
    QCheckBox* cbDistinctSelect;
    QPushButton* btView;
    QPushButton* btPrint;
    QPushButton* btCancel;
};

class DialogsTest : public QueryTest {
protected:
    DialogsTest() : m_scope(&m_ui) {}

    QByteArray SavedBytes()
    {
        const QString path = Path(QStringLiteral("saved%1.MQR").arg(++m_saves));
        m_query->SaveToFile(path);
        return mxtest::ReadAll(path);
    }
    static QStringList Lines(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    static void Select(QListWidget* list, std::initializer_list<int> rows)
    {
        list->clearSelection();
        for (int r : rows)
            list->item(r)->setSelected(true);
        if (rows.size() > 0)
            list->setCurrentRow(*rows.begin(), QItemSelectionModel::Current);
    }
    // Name, Ville, Catégorie, Numéro client; Ville sorted first.
    void FourFields()
    {
        for (const char* n : {"NOM", "VILLE", "CATEGORIE", "NUMCLI"})
            m_fields << Add(3, QString::fromLatin1(n));
        m_fields[1]->SetSortRange(0);
    }

    mx::ui::test::TScriptedUiService m_ui;
    ScopedUserService m_scope;
    QList<TMxQueryField*> m_fields;
    int m_saves = 0;
};

TEST_F(DialogsTest, SortOrderDirectionAndPositions)
{
    FourFields();
    TfmSortFields f(m_step);
    const SortControls c(f);
    EXPECT_EQ(Lines(c.SrcList), (QStringList{QStringLiteral("Catégorie"), QStringLiteral("Nom"), QStringLiteral("Numéro client")}));
    EXPECT_EQ(Lines(c.DstList), QStringList{QStringLiteral("Ville (+)")});
    // two included together arrive in reverse order
    Select(c.SrcList, {0, 2});
    QTest::mouseClick(c.btInclude, Qt::LeftButton);
    EXPECT_EQ(Lines(c.DstList),
        (QStringList{QStringLiteral("Ville (+)"), QStringLiteral("Numéro client (+)"), QStringLiteral("Catégorie (+)")}));
    EXPECT_EQ(Lines(c.SrcList), QStringList{QStringLiteral("Nom")});
    EXPECT_EQ(c.SrcList->currentRow(), 0);
    // Catégorie up one, then its direction turned
    Select(c.DstList, {2});
    QTest::mouseClick(c.sbUp, Qt::LeftButton);
    EXPECT_EQ(c.DstList->currentRow(), 1);
    QTest::mouseClick(c.btSwapSortOrder, Qt::LeftButton);
    EXPECT_EQ(Lines(c.DstList),
        (QStringList{QStringLiteral("Ville (+)"), QStringLiteral("Catégorie (-)"), QStringLiteral("Numéro client (+)")}));
    // up on the first line and down on the last do nothing; so does a
    // direction change with nothing selected
    Select(c.DstList, {0});
    QTest::mouseClick(c.sbUp, Qt::LeftButton);
    Select(c.DstList, {2});
    QTest::mouseClick(c.sbDown, Qt::LeftButton);
    c.DstList->clearSelection();
    QTest::mouseClick(c.btSwapSortOrder, Qt::LeftButton);
    EXPECT_EQ(Lines(c.DstList),
        (QStringList{QStringLiteral("Ville (+)"), QStringLiteral("Catégorie (-)"), QStringLiteral("Numéro client (+)")}));
    f.Editor().Commit();
    EXPECT_EQ(m_fields[1]->SortRange(), 0);
    EXPECT_EQ(m_fields[2]->SortRange(), 1);
    EXPECT_EQ(m_fields[3]->SortRange(), 2);
    EXPECT_EQ(m_fields[0]->SortRange(), -1);
    EXPECT_EQ(m_fields[2]->SortOrder(), sfDescending);
}

TEST_F(DialogsTest, SortButtonsFollowTheLists)
{
    FourFields();
    m_fields[1]->SetSortRange(-1);
    TfmSortFields f(m_step);
    const SortControls c(f);
    EXPECT_EQ(c.DstList->count(), 0);
    EXPECT_FALSE(c.btExclude->isEnabled());
    EXPECT_FALSE(c.btExAll->isEnabled());
    QTest::mouseClick(c.sbUp, Qt::LeftButton); // nothing to move: nothing happens
    QTest::mouseClick(c.btIncAll, Qt::LeftButton);
    EXPECT_EQ(c.SrcList->count(), 0);
    EXPECT_FALSE(c.btInclude->isEnabled());
    EXPECT_TRUE(c.btExclude->isEnabled());
    QTest::mouseClick(c.btExAll, Qt::LeftButton);
    EXPECT_EQ(Lines(c.SrcList),
        (QStringList{QStringLiteral("Catégorie"), QStringLiteral("Nom"), QStringLiteral("Numéro client"), QStringLiteral("Ville")}));
}

// Two fields of the same name (the same column twice) keep two places, and
// fields sharing one rank, or holding a rank below -1, are all shown.
TEST_F(DialogsTest, SortFieldsOfTheSameNameKeepTheirPlaces)
{
    TMxQueryField* first = Add(3, QStringLiteral("NOM"));
    TMxQueryField* again = AddAgain(3, QStringLiteral("NOM"));
    TMxQueryField* city = Add(3, QStringLiteral("VILLE"));
    ASSERT_EQ(first->FullName(), again->FullName());
    first->SetSortRange(0);
    again->SetSortRange(0);
    city->SetSortRange(-7);
    TfmSortFields f(m_step);
    const SortControls c(f);
    EXPECT_EQ(Lines(c.DstList), (QStringList{QStringLiteral("Nom (+)"), QStringLiteral("Nom (+)")}));
    EXPECT_EQ(Lines(c.SrcList), QStringList{QStringLiteral("Ville")});
    Select(c.DstList, {1});
    QTest::mouseClick(c.btSwapSortOrder, Qt::LeftButton);
    QTest::mouseClick(c.sbUp, Qt::LeftButton);
    f.Editor().Commit();
    EXPECT_EQ(again->SortRange(), 0);
    EXPECT_EQ(again->SortOrder(), sfDescending);
    EXPECT_EQ(first->SortRange(), 1);
    EXPECT_EQ(first->SortOrder(), sfAscending);
    EXPECT_EQ(city->SortRange(), -1);
}

TEST_F(DialogsTest, SortCancelLeavesTheQueryAsItWas)
{
    mx::ui::test::TScriptedModal modal;
    FourFields();
    const QByteArray before = SavedBytes();
    modal.AsFilled([](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmSortFields*>(w);
        ASSERT_NE(f, nullptr);
        const SortControls c(*f);
        Select(c.DstList, {0});
        QTest::mouseClick(c.btSwapSortOrder, Qt::LeftButton);
        Select(c.SrcList, {0});
        QTest::mouseClick(c.btInclude, Qt::LeftButton);
        QTest::mouseClick(c.btCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(EditSort(m_step));
    EXPECT_EQ(m_fields[1]->SortOrder(), sfAscending);
    EXPECT_EQ(SavedBytes(), before);
    modal.AsFilled([](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmSortFields*>(w);
        ASSERT_NE(f, nullptr);
        const SortControls c(*f);
        Select(c.DstList, {0});
        QTest::mouseClick(c.btSwapSortOrder, Qt::LeftButton);
        QTest::mouseClick(c.btOk, Qt::LeftButton);
    });
    EXPECT_TRUE(EditSort(m_step));
    EXPECT_EQ(m_fields[1]->SortOrder(), sfDescending);
}

// Joins with a left side, a right side and both: one box per side, each
// on its own row, written to its side.
TEST_F(DialogsTest, OptionsJoinsDistinctAndFileNames)
{
    Open(ShopOptions{.clientOrderOuter = true});
    for (const auto& [table, name] : {std::pair{3, "NOM"}, {5, "MONTANT"}, {9, "TAUX"}})
        Add(table, QString::fromLatin1(name))->SetChecked(true);
    Sql(true);
    TMxSqlJoin* order = Join(3, 5);
    TMxSqlJoin* discount = Join(3, 9);
    ASSERT_NE(order, nullptr);
    ASSERT_NE(discount, nullptr);
    order->SetLeftOuter(false); // right only
    order->SetRightOuter(true);
    order->SetRightCaption(QStringLiteral("Toutes les commandes"));
    auto* dest = m_step->Destinations()->AddNew();
    dest->SetName(QStringLiteral("Fichier"));
    TfmExtDest f(m_step);
    const DestControls c(f);
    const QList<QCheckBox*> boxes = c.JoinBoxes();
    QStringList seen;
    QList<int> tops;
    for (QCheckBox* b : boxes) {
        seen << QStringLiteral("%1 %2").arg(b->property("tag").toInt()).arg(b->text());
        tops << b->geometry().top();
    }
    const int orderTag = m_step->SQLJoins()->IndexOf(order) + 1;
    const int discountTag = m_step->SQLJoins()->IndexOf(discount) + 1;
    QStringList expected{QStringLiteral("%1 Toutes les commandes").arg(-orderTag), QStringLiteral("%1 Tous les clients").arg(discountTag),
        QStringLiteral("%1 Toutes les remises").arg(-discountTag)};
    std::sort(expected.begin(), expected.end());
    QStringList sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected);
    c.nbPages->setCurrentIndex(1);
    f.show();
    QCoreApplication::processEvents();
    tops.clear();
    for (QCheckBox* b : c.JoinBoxes())
        tops << b->geometry().top();
    EXPECT_EQ(QSet<int>(tops.begin(), tops.end()).size(), tops.size()) << "boxes on top of each other";
    for (QCheckBox* b : boxes)
        b->setChecked(true);
    c.cbDistinctSelect->setChecked(true);
    c.sgDest->item(c.sgDest->rowCount() - 1, 2)->setText(QStringLiteral("clients.txt"));
    f.Editor().Commit(f.Choices());
    EXPECT_TRUE(order->RightValue());
    EXPECT_FALSE(order->LeftValue());
    EXPECT_TRUE(discount->LeftValue());
    EXPECT_TRUE(discount->RightValue());
    EXPECT_TRUE(m_step->DistinctSelect());
    EXPECT_EQ(dest->FileName(), QStringLiteral("clients.txt"));
}

// A step without destination shows one row; Cancel takes it out again,
// and puts the settings of the others back.
TEST_F(DialogsTest, OptionsCancelLeavesTheQueryAsItWas)
{
    mx::ui::test::TScriptedModal modal;
    Add(3, QStringLiteral("NOM"))->SetChecked(true);
    m_step->Destinations()->Clear();
    const QByteArray empty = SavedBytes();
    modal.AsFilled([](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmExtDest*>(w);
        ASSERT_NE(f, nullptr);
        const DestControls c(*f);
        EXPECT_EQ(c.sgDest->rowCount(), 1);
        c.cbDistinctSelect->setChecked(true);
        QTest::mouseClick(c.btCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(EditDestinations(m_step));
    EXPECT_EQ(m_step->Destinations()->Count(), 0);
    EXPECT_FALSE(m_step->DistinctSelect());
    EXPECT_EQ(SavedBytes(), empty);

    auto* dest = m_step->Destinations()->AddNew();
    dest->SetName(QStringLiteral("Fichier"));
    SetSettingsText(dest, QStringLiteral("before"));
    const QByteArray before = SavedBytes();
    modal.AsFilled([dest](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmExtDest*>(w);
        ASSERT_NE(f, nullptr);
        const DestControls c(*f);
        SetSettingsText(dest, QStringLiteral("changed by Editer"));
        c.sgDest->item(c.sgDest->rowCount() - 1, 2)->setText(QStringLiteral("other.txt"));
        QTest::mouseClick(c.btCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(EditDestinations(m_step));
    EXPECT_EQ(SettingsText(dest), QStringLiteral("before"));
    EXPECT_EQ(SavedBytes(), before);
}

TEST_F(DialogsTest, OptionsActionsNeedAResult)
{
    TfmExtDest f(m_step);
    const DestControls c(f);
    QTest::mouseClick(c.btView, Qt::LeftButton);
    QTest::mouseClick(c.btPrint, Qt::LeftButton);
    EXPECT_EQ(m_ui.texts(QStringLiteral("message")),
        QStringList(2, QStringLiteral("La vue n'est pas active, veuillez lancer l'extraction.")));
    f.Editor().Cancel();
}

} // namespace
