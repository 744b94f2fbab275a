// Entities: the Id a new entity or criterion takes, the field picker (the
// fields of the table no entity holds, the reversed order of a block
// included), the criteria lines, and Annuler leaving the model as it was.

#include "modeldialogtest.h"

#include "admin/modeldialogs/fmentities.h"

#include "engine/core/hookslot.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/table.h"
#include "engine/tools/hooks.h"

#include <QComboBox>

namespace admintest {
namespace {

using mx::TMxEntity;
using mxtest::SampleModel;

class Entities : public AdminDialogTest {
protected:
    Entities()
        : prompt(mx::PromptStringHook,
              [this](const QString& caption, const QString& text, mx::TStrings*, int maxLength, QString& value,
                  const QString&, const QString&) {
                  prompts << caption + u'|' + text + u'|' + value;
                  EXPECT_EQ(maxLength, 255);
                  if (answers.isEmpty())
                      return false;
                  value = answers.takeFirst();
                  return true;
              })
    {
        // A table of five fields and no entity.
        mxtest::AddModelTable(model.get(), 7, QStringLiteral("STOCK"), QStringLiteral("Stock"), SampleModel::DefaultDatabase(),
            {{"REF", "N", "Référence"}, {"LIBELLE", "A", "Libellé"}, {"QTE", "N", "Quantité"}, {"PRIX", "N", "Prix"},
                {"DEPOT", "A", "Dépôt"}});
    }
    mx::TItemPtr<mx::TMxDataModel> model{mxtest::MakeSampleModel()};
    QStringList answers;
    QStringList prompts;
    mx::ScopedHook<decltype(mx::PromptStringHook)> prompt;

    mx::TMxTable* table(int id) const { return model->Tables()->FindById(id); }
    static void chooseTable(QDialog& d, const QString& name)
    {
        auto* box = Child<QComboBox>(d, "cobTable");
        box->setCurrentIndex(box->findText(name));
    }
    static QStringList fieldNames(const TMxEntity* e)
    {
        QStringList out;
        for (const mx::TMxItem* f : *e->WFields())
            out << f->Name();
        return out;
    }
};

TEST_F(Entities, ANewEntityTakesTheHighestIdPlusOne)
{
    struct Case {
        std::vector<int> ids;
        int expected;
    } cases[] = {{{}, 1}, {{1, 5}, 6}, {{3}, 4}};
    for (const Case& k : cases) {
        mx::TMxEntityList* list = table(7)->Entities();
        list->Clear();
        for (int id : k.ids) {
            TMxEntity* e = list->AddNew();
            e->SetId(id);
            e->SetName(QStringLiteral("E%1").arg(id));
        }
        answers = {QStringLiteral("Nouvelle")};
        m_modal.Accept([&](QDialog& d) {
            chooseTable(d, QStringLiteral("STOCK"));
            Click(d, "btEntityAdd");
            EXPECT_EQ(RowsOf(d, "lbEntities").back(), QStringLiteral("Nouvelle"));
        });
        m_modal.Reject(); // the field picker opens at once
        EXPECT_TRUE(mx::admin::EditEntities(model.get()));
        EXPECT_EQ(m_modal.shown.back(), QStringLiteral("fmSelectEntityFields"));
        ASSERT_EQ(list->Count(), int(k.ids.size()) + 1);
        EXPECT_EQ(list->Last()->Id(), k.expected);
        EXPECT_TRUE(list->Last()->WFields()->Count() == 0) << "the cancelled picker leaves it without fields";
    }
    EXPECT_EQ(prompts.front(), QStringLiteral("Entité|Donnez un nom à l'entité|"));
}

TEST_F(Entities, ThePickerOffersOnlyTheFieldsNoEntityHoldsAndIncludesABlockReversed)
{
    // "Clients" holds VILLE and NOM of CLIENT: a new entity there is offered
    // the two other fields only.
    answers = {QStringLiteral("Autres")};
    m_modal.Accept([&](QDialog& d) { Click(d, "btEntityAdd"); });
    m_modal.Reject([&](QDialog& d) {
        CheckModels(d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Choisissez les champs de l'entité : Autres"));
        EXPECT_EQ(RowsOf(d, "lbAvailable"), (QStringList{QStringLiteral("Numéro client"), QStringLiteral("Date de naissance")}));
        EXPECT_TRUE(RowsOf(d, "lbEntityFields").isEmpty());
    });
    EXPECT_TRUE(mx::admin::EditEntities(model.get()));

    mx::TMxTable* stock = table(7);
    TMxEntity* e = stock->Entities()->AddNew();
    e->SetId(1);
    e->SetName(QStringLiteral("Articles"));
    e->AddField(stock->Fields()->FindField(QStringLiteral("PRIX")));
    m_modal.Accept([&](QDialog& d) {
        QListView* available = Child<QListView>(d, "lbAvailable");
        EXPECT_EQ(RowsOf(d, "lbEntityFields"), QStringList{QStringLiteral("Prix")});
        EXPECT_EQ(RowsOf(d, "lbAvailable"),
            (QStringList{QStringLiteral("Référence"), QStringLiteral("Libellé"), QStringLiteral("Quantité"), QStringLiteral("Dépôt")}));
        EXPECT_FALSE(Enabled(d, "btInclude"));
        SelectRows(available, {QStringLiteral("Libellé"), QStringLiteral("Dépôt")});
        Click(d, "btInclude");
        EXPECT_EQ(RowsOf(d, "lbEntityFields"), (QStringList{QStringLiteral("Prix"), QStringLiteral("Dépôt"), QStringLiteral("Libellé")}));
        EXPECT_EQ(RowsOf(d, "lbAvailable"), (QStringList{QStringLiteral("Référence"), QStringLiteral("Quantité")}));
        EXPECT_EQ(available->currentIndex().row(), 1) << "the first moved line's place, clamped";
        EXPECT_TRUE(available->hasFocus() || !d.isActiveWindow());
        // Out and back again.
        SelectRows(Child<QListView>(d, "lbEntityFields"), {QStringLiteral("Prix")});
        Click(d, "btExclude");
        EXPECT_EQ(RowsOf(d, "lbAvailable").back(), QStringLiteral("Prix"));
        Click(d, "btExcludeAll");
        EXPECT_TRUE(RowsOf(d, "lbEntityFields").isEmpty());
        EXPECT_FALSE(Enabled(d, "btExcludeAll"));
        Click(d, "btIncludeAll");
        EXPECT_TRUE(RowsOf(d, "lbAvailable").isEmpty());
        EXPECT_FALSE(Enabled(d, "btIncludeAll"));
        EXPECT_EQ(RowsOf(d, "lbEntityFields"),
            (QStringList{QStringLiteral("Référence"), QStringLiteral("Quantité"), QStringLiteral("Prix"), QStringLiteral("Dépôt"),
                QStringLiteral("Libellé")}));
    });
    EXPECT_TRUE(mx::admin::SelectEntityFields(stock, e));
    EXPECT_EQ(fieldNames(e), (QStringList{QStringLiteral("REF"), QStringLiteral("QTE"), QStringLiteral("PRIX"), QStringLiteral("DEPOT"),
                                 QStringLiteral("LIBELLE")}));
}

TEST(CriterionLines, TheFormulaShowsInParenthesesWhenItHasAText)
{
    mx::TItemPtr<mx::TMxEntityCriteria> c(new mx::TMxEntityCriteria(nullptr));
    c->SetName(QStringLiteral("Parisiens "));
    EXPECT_EQ(mx::admin::CriterionLine(c.get()), QStringLiteral("Parisiens"));
    c->Criteria()->SetLine(QStringLiteral("  "));
    EXPECT_EQ(mx::admin::CriterionLine(c.get()), QStringLiteral("Parisiens"));
    c->Criteria()->SetLine(QStringLiteral("Ville = 'Paris' "));
    EXPECT_EQ(mx::admin::CriterionLine(c.get()), QStringLiteral("Parisiens  (Ville = 'Paris')"));
}

TEST_F(Entities, AnEntityWithFieldsAndACriterionIsAddedAndCancelLeavesTheModelAsItWas)
{
    mx::ScopedHook formula(mx::EntityCriteriaHook, [](mx::TMxFormulaList* criteria, mx::TMxDataModel* m) {
        EXPECT_NE(m, nullptr);
        criteria->SetLine(QStringLiteral("Dépôt = 'Paris'"));
        return true;
    });
    auto edits = [&](mx::ui::test::TScriptedModal& modal, bool confirm) {
        answers = {QStringLiteral("Articles"), QStringLiteral("Paris")};
        auto outer = [&](QDialog& d) {
            CheckModels(d);
            EXPECT_EQ(RowsOf(d, "lbCriteria"), QStringList{QStringLiteral("Clients parisiens (Ville = Paris)")})
                << "the blank that ends the formula is dropped";
            chooseTable(d, QStringLiteral("STOCK"));
            EXPECT_TRUE(RowsOf(d, "lbEntities").isEmpty());
            EXPECT_TRUE(RowsOf(d, "lbCriteria").isEmpty());
            EXPECT_FALSE(Enabled(d, "btCriteriaEdit"));
            EXPECT_FALSE(Enabled(d, "btCriteriaDelete"));
            EXPECT_FALSE(Enabled(d, "btEntityDelete"));
            Click(d, "btEntityAdd");
            EXPECT_EQ(RowsOf(d, "lbFields"), (QStringList{QStringLiteral("Prix"), QStringLiteral("Libellé"), QStringLiteral("Référence")}));
            Click(d, "btCriteriaAdd");
            EXPECT_EQ(RowsOf(d, "lbCriteria"), QStringList{QStringLiteral("Paris (Dépôt = 'Paris')")});
            EXPECT_TRUE(Enabled(d, "btCriteriaEdit"));
            // An edit on an existing entity: the criterion of Clients goes.
            chooseTable(d, QStringLiteral("CLIENT"));
            m_ui.service.messageAnswers << mx::mrYes;
            Click(d, "btCriteriaDelete");
            EXPECT_TRUE(RowsOf(d, "lbCriteria").isEmpty());
        };
        confirm ? modal.Accept(outer) : modal.Reject(outer);
        modal.Accept([&](QDialog& d) {
            SelectRows(Child<QListView>(d, "lbAvailable"), {QStringLiteral("Référence"), QStringLiteral("Libellé"), QStringLiteral("Prix")});
            Click(d, "btInclude");
        });
    };
    const QByteArray before = Bytes(model.get());
    edits(m_modal, false);
    EXPECT_FALSE(mx::admin::EditEntities(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    EXPECT_EQ(Bytes(model.get()), before) << "Annuler drops the picker's choice and the criterion";

    edits(m_modal, true);
    EXPECT_TRUE(mx::admin::EditEntities(model.get()));
    EXPECT_EQ(m_modal.pending(), 0);
    ASSERT_EQ(table(7)->Entities()->Count(), 1);
    const TMxEntity* e = table(7)->Entities()->Items(0);
    EXPECT_EQ(e->Name(), QStringLiteral("Articles"));
    EXPECT_EQ(e->Id(), 1);
    EXPECT_EQ(fieldNames(e), (QStringList{QStringLiteral("PRIX"), QStringLiteral("LIBELLE"), QStringLiteral("REF")}));
    ASSERT_EQ(e->Criterias()->Count(), 1);
    EXPECT_EQ(e->Criterias()->Items(0)->Name(), QStringLiteral("Paris"));
    EXPECT_EQ(e->Criterias()->Items(0)->Id(), 1);
    EXPECT_EQ(e->Criterias()->Items(0)->Criteria()->Line(), QStringLiteral("Dépôt = 'Paris'"));
    EXPECT_EQ(table(SampleModel::ClientId)->Entities()->Items(0)->Criterias()->Count(), 0);
    EXPECT_TRUE(prompts.contains(QStringLiteral("Critère|Donnez un nom au critère|")));
}

TEST_F(Entities, RenamingAndDeletingAskAndKeepTheLineSelected)
{
    answers = {QStringLiteral("Clientèle"), QStringLiteral("Parisiens")};
    m_modal.Accept([&](QDialog& d) {
        DoubleClickRow(d, "lbEntities", QStringLiteral("Clients"));
        EXPECT_EQ(RowsOf(d, "lbEntities"), QStringList{QStringLiteral("Clientèle")});
        EXPECT_EQ(Child<QListView>(d, "lbEntities")->currentIndex().row(), 0);
        DoubleClickRow(d, "lbCriteria", QStringLiteral("Clients parisiens (Ville = Paris)"));
        Click(d, "btEntityDelete"); // No
        EXPECT_EQ(RowsOf(d, "lbEntities").size(), 1);
    });
    EXPECT_TRUE(mx::admin::EditEntities(model.get()));
    const TMxEntity* e = table(SampleModel::ClientId)->Entities()->Items(0);
    EXPECT_EQ(e->Name(), QStringLiteral("Clientèle"));
    EXPECT_EQ(e->Criterias()->Items(0)->Name(), QStringLiteral("Parisiens"));
    EXPECT_NE(model->DomainEntities()->FindByName(QStringLiteral("Clientèle")), nullptr) << "the current set's view follows";
    EXPECT_EQ(model->DomainEntities()->FindByName(QStringLiteral("Clients")), nullptr);
    EXPECT_EQ(prompts.value(1), QStringLiteral("Critère de l'entité|Donnez un nom au critère|Clients parisiens"));
    EXPECT_EQ(m_ui.service.texts(QStringLiteral("message")), QStringList{QStringLiteral("Voulez-vous supprimer l'entité Clientèle  ?")});
}

} // namespace
} // namespace admintest
