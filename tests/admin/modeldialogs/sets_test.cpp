// The sets of a model: the list with its fields, the editor of one set,
// the Id a new set takes, the informations kept, and Annuler leaving the
// model as it was.

#include "modeldialogtest.h"

#include "admin/modeldialogs/fmsets.h"

#include "engine/core/hookslot.h"
#include "engine/model/domain.h"
#include "engine/model/formula.h"
#include "engine/model/user.h"
#include "engine/tools/hooks.h"

#include <QComboBox>
#include <QPlainTextEdit>

namespace admintest {
namespace {

using mx::TMxDomain;
using mxtest::SampleModel;

class Sets : public AdminDialogTest {
protected:
    mx::TItemPtr<mx::TMxDataModel> model{mxtest::MakeSampleModel()};
    TMxDomain* set(const QString& name) const { return model->Domains()->FindByName(name); }
};

TEST(SetInformations, LinesThatDoNotFitAreSkippedAndLaterOnesStillTried)
{
    const QString a(200, u'a'), b(100, u'b'), c(40, u'c');
    struct Case {
        QStringList lines;
        QString expected;
    } cases[] = {
        {{a, b, c}, a + u' ' + c},
        {{QString(), c, QString(), c}, c + u' ' + c},
        {{QString(255, u'x')}, QString()},
        {{QString(254, u'x'), QStringLiteral("y")}, QString(254, u'x')},
        {{QString(200, u'x'), QString(54, u'y')}, QString(200, u'x') + u' ' + QString(54, u'y')},
    };
    for (const Case& k : cases)
        EXPECT_EQ(mx::admin::JoinSetInformations(k.lines), k.expected) << k.lines.join(u'|').left(60).toStdString();
}

TEST_F(Sets, ANewSetTakesTheHighestIdPlusTwo)
{
    struct Case {
        std::vector<int> ids;
        int expected;
    } cases[] = {{{0, 3}, 5}, {{0}, 2}, {{1, 2}, 4}};
    for (const Case& k : cases) {
        mx::TItemPtr<mx::TMxDataModel> m(mxtest::MakeSampleModel());
        while (m->Domains()->Count() > 1)
            mx::TMxItem::Free(m->Domains()->Last());
        m->Domains()->Items(0)->SetId(k.ids[0]);
        for (size_t i = 1; i < k.ids.size(); ++i) {
            TMxDomain* d = m->Domains()->AddNew();
            d->SetId(k.ids[i]);
            d->SetName(QStringLiteral("E%1").arg(i));
        }
        m_modal.Accept([](QDialog& d) { Click(d, "btSetAdd"); });
        m_modal.Accept([](QDialog& d) { Type(d, "edName", QStringLiteral("Nouveau")); });
        EXPECT_TRUE(mx::admin::EditDomains(m.get()));
        const TMxDomain* added = m->Domains()->Last();
        EXPECT_EQ(added->Name(), QStringLiteral("Nouveau"));
        EXPECT_EQ(added->Id(), k.expected);
    }
}

TEST_F(Sets, ANamelessSetCannotBeConfirmedAndIsDroppedWhenCancelled)
{
    const int before = model->Domains()->Count();
    m_modal.Accept([&](QDialog& d) {
        Click(d, "btSetAdd");
        EXPECT_EQ(RowsOf(d, "lbSets").size(), before) << "the cancelled set is gone from the list";
    });
    m_modal.Reject([&](QDialog& d) {
        EXPECT_FALSE(Enabled(d, "btOk")) << "Ok is disabled from the start";
        Type(d, "edName", QStringLiteral("A"));
        EXPECT_TRUE(Enabled(d, "btOk"));
        Type(d, "edName", QStringLiteral("   "));
        EXPECT_FALSE(Enabled(d, "btOk"));
        // Ok pressed all the same (Enter, a runner) is refused.
        d.accept();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")), QStringList{QStringLiteral("Le nom ne peut être vide.")});
    });
    EXPECT_TRUE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(model->Domains()->Count(), before);
    EXPECT_EQ(m_modal.pending(), 0);
}

TEST_F(Sets, TheMainSetIsNeitherDeletedNorGivenFields)
{
    const QByteArray before = Bytes(model.get());
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(RowsOf(d, "lbSets"), (QStringList{QStringLiteral("Ensemble principal"), QStringLiteral("Ventes")}));
        ClickRow(d, "lbSets", QStringLiteral("Ensemble principal"));
        EXPECT_FALSE(Enabled(d, "btFieldAdd"));
        EXPECT_FALSE(Enabled(d, "btFieldDelete"));
        Click(d, "btSetDelete");
        EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")),
            QStringList{QStringLiteral("Il est impossible de supprimer l'ensemble principal.")});
        EXPECT_EQ(RowsOf(d, "lbSets").size(), 2);
        ClickRow(d, "lbSets", QStringLiteral("Ventes"));
        EXPECT_TRUE(Enabled(d, "btFieldAdd"));
        EXPECT_EQ(RowsOf(d, "lbSetFields"), (QStringList{QStringLiteral("Montant"), QStringLiteral("Nom")})) << "sorted";
    });
    EXPECT_FALSE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(Bytes(model.get()), before);
}

TEST_F(Sets, AddingWhatTheSetHoldsAddsNothing)
{
    m_modal.Accept([&](QDialog& d) {
        ClickRow(d, "lbSets", QStringLiteral("Ventes"));
        Click(d, "btFieldAdd");
        EXPECT_EQ(RowsOf(d, "lbSetFields"), (QStringList{QStringLiteral("Montant"), QStringLiteral("Nom"), QStringLiteral("Ville")}));
        DoubleClickRow(d, "lbSets", QStringLiteral("Ventes"));
    });
    m_modal.Accept(Pick({QStringLiteral("Nom"), QStringLiteral("Ville")}));
    m_modal.Accept([&](QDialog& d) {
        EXPECT_EQ(RowsOf(d, "lbGroups"), (QStringList{QStringLiteral("Ventes"), QStringLiteral("Disparus")}));
        Click(d, "btGroupAdd");
        EXPECT_EQ(RowsOf(d, "lbGroups"), (QStringList{QStringLiteral("Ventes"), QStringLiteral("Disparus"), QStringLiteral("Admins")}));
    });
    m_modal.Accept(Pick({QStringLiteral("Ventes"), QStringLiteral("Admins")}));
    EXPECT_TRUE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(set(QStringLiteral("Ventes"))->Fields()->Count(), 3);
    EXPECT_EQ(set(QStringLiteral("Ventes"))->Groups()->Count(), 3);
}

TEST_F(Sets, ASetIsAddedWithItsGroupsFieldsParentAndFilterAndCancelLeavesTheModelAsItWas)
{
    mx::ScopedHook filter(mx::SetCriteriaHook, [](mx::TMxFormulaList* criteria, mx::TMxDataModel*) {
        criteria->SetLine(QStringLiteral("Ville = 'Paris'"));
        return true;
    });
    // The set editor and the pick lists open inside the list dialog: the
    // steps are queued in the order the dialogs open.
    auto edits = [&](mx::ui::test::TScriptedModal& modal, bool confirm) {
        auto outer = [&](QDialog& d) {
            CheckModels(d);
            Click(d, "btSetAdd");
            EXPECT_EQ(RowsOf(d, "lbSets").back(), QStringLiteral("Parisiens"));
            ClickRow(d, "lbSets", QStringLiteral("Parisiens"));
            Click(d, "btFieldAdd");
            EXPECT_EQ(RowsOf(d, "lbSetFields"), (QStringList{QStringLiteral("Nom"), QStringLiteral("Ville")}));
            // A field taken from an existing set.
            ClickRow(d, "lbSets", QStringLiteral("Ventes"));
            SelectRows(Child<QListView>(d, "lbSetFields"), {QStringLiteral("Nom")});
            m_ui.service.messageAnswers << mx::mrYes;
            Click(d, "btFieldDelete");
            EXPECT_EQ(RowsOf(d, "lbSetFields"), QStringList{QStringLiteral("Montant")});
        };
        confirm ? modal.Accept(outer) : modal.Reject(outer);
        modal.Accept([&](QDialog& d) {
            CheckModels(d);
            EXPECT_EQ(d.objectName(), QStringLiteral("fmSet"));
            Type(d, "edName", QStringLiteral("Parisiens"));
            Child<QPlainTextEdit>(d, "moInformations")->setPlainText(QStringLiteral("Les clients\nde Paris"));
            auto* parent = Child<QComboBox>(d, "cobParent");
            parent->setCurrentIndex(parent->findText(QStringLiteral("Ventes")));
            Click(d, "btGroupAdd");
            Click(d, "btFilter");
        });
        modal.Accept(Pick({QStringLiteral("Ventes")}));
        modal.Accept(Pick({QStringLiteral("Ville"), QStringLiteral("Nom")}));
    };

    const QByteArray before = Bytes(model.get());
    edits(m_modal, false);
    EXPECT_FALSE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(Bytes(model.get()), before) << "Annuler drops what the set editor confirmed";

    edits(m_modal, true);
    EXPECT_TRUE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(m_modal.unexpected, 0);
    const TMxDomain* added = set(QStringLiteral("Parisiens"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Id(), 4);
    EXPECT_EQ(added->Informations(), QStringLiteral("Les clients de Paris"));
    EXPECT_EQ(added->Parent(), SampleModel::SalesSetId);
    EXPECT_EQ(added->Criteria()->Line(), QStringLiteral("Ville = 'Paris'"));
    ASSERT_EQ(added->Groups()->Count(), 1);
    EXPECT_EQ(added->Groups()->Items(0)->Name(), QStringLiteral("Ventes"));
    QStringList fields;
    for (const mx::TMxItem* f : *added->Fields())
        fields << f->Name();
    EXPECT_EQ(fields, (QStringList{QStringLiteral("Nom"), QStringLiteral("Ville")}));
    ASSERT_EQ(set(QStringLiteral("Ventes"))->Fields()->Count(), 1);
    EXPECT_EQ(set(QStringLiteral("Ventes"))->Fields()->Items(0)->Name(), QStringLiteral("Montant"));
    EXPECT_EQ(model->CurrentDomain()->Id(), SampleModel::MainSetId) << "the current set stays";
}

TEST_F(Sets, ASetCannotBeMadeTheParentOfItsOwnParent)
{
    m_modal.Reject([&](QDialog& d) { ClickRow(d, "lbSets", QStringLiteral("Ensemble principal")); DoubleClickRow(d, "lbSets", QStringLiteral("Ensemble principal")); });
    m_modal.Reject([&](QDialog& d) {
        auto* parent = Child<QComboBox>(d, "cobParent");
        QStringList offered;
        for (int i = 0; i < parent->count(); ++i)
            offered << parent->itemText(i);
        EXPECT_EQ(offered, QStringList{QStringLiteral("(aucun)")}) << "Ventes lies below the main set";
    });
    EXPECT_FALSE(mx::admin::EditDomains(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
}

TEST_F(Sets, DeletingASetAsksAndItsChildrenLoseTheirParent)
{
    TMxDomain* child = model->Domains()->AddNew();
    child->SetId(7);
    child->SetName(QStringLiteral("Grands comptes"));
    child->SetParent(SampleModel::SalesSetId);
    m_modal.Accept([&](QDialog& d) {
        ClickRow(d, "lbSets", QStringLiteral("Ventes"));
        Click(d, "btSetDelete"); // No: the safe answer
        EXPECT_EQ(RowsOf(d, "lbSets").size(), 3);
        m_ui.service.messageAnswers << mx::mrYes;
        Click(d, "btSetDelete");
        EXPECT_EQ(RowsOf(d, "lbSets"), (QStringList{QStringLiteral("Ensemble principal"), QStringLiteral("Grands comptes")}));
    });
    EXPECT_TRUE(mx::admin::EditDomains(model.get()));
    const QStringList asked = m_ui.service.texts(QStringLiteral("message"));
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0], QStringLiteral("Voulez-vous supprimer l'ensemble 'Ventes' ?\nBeware, delete field set can be dangerous for users"));
    EXPECT_EQ(set(QStringLiteral("Ventes")), nullptr);
    EXPECT_EQ(set(QStringLiteral("Grands comptes"))->Parent(), 0);
}

} // namespace
} // namespace admintest
