// Entities, entity criteria and sets.

#include "modeltest.h"
#include "tests/support/samplemodel.h"
#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"

using namespace mx;
using namespace mxtest;

class Entities : public EngineTest {
protected:
    TItemPtr<TMxDataModel> m_model{MakeSampleModel()};
    TMxTable* client() const { return m_model->Tables()->FindById(SampleModel::ClientId); }
    TMxEntity* clients() const { return client()->Entities()->Items(0); }
};

TEST_F(Entities, GetFieldResolvesEveryKindOfEntry)
{
    // a table's entity: the table's field
    TMxEntity* e = clients();
    ASSERT_EQ(e->WFields()->Count(), 2);
    EXPECT_EQ(e->WFields()->Items(0)->Id(), SampleModel::ClientId);
    EXPECT_EQ(e->GetField(0), client()->Fields()->FindField(QStringLiteral("VILLE")));

    // an entity of the model's view: through the model's table of that Id
    m_model->SetDomainById(SampleModel::SalesSetId);
    TMxEntity* view = m_model->DomainEntities()->FindByName(QStringLiteral("Clients"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetField(0), client()->Fields()->FindField(QStringLiteral("NOM")));

    // a calculated field of the current set
    TMxItem* calc = view->WFields()->AddNew();
    calc->SetId(0);
    calc->SetName(QStringLiteral("Formule 1"));
    TMxField* ttc = view->GetField(1);
    ASSERT_NE(ttc, nullptr);
    EXPECT_EQ(ttc->FullName(), QStringLiteral("Montant TTC"));
    calc->SetName(QStringLiteral("Formule 9"));
    EXPECT_EQ(view->GetField(1), nullptr);
    // no current set: none
    calc->SetName(QStringLiteral("Formule 1"));
    TItemPtr<TMxEntity> keep(static_cast<TMxEntity*>(view->Clone(nullptr)));
    m_model->SetDomain(nullptr);
    TMxEntity* inModel = static_cast<TMxEntity*>(keep->Clone(m_model->DomainEntities()));
    EXPECT_EQ(inModel->GetField(1), nullptr);
    // a table id the model does not hold: none
    inModel->WFields()->Items(0)->SetId(42);
    EXPECT_EQ(inModel->GetField(0), nullptr);
    // an owner-less working copy: none
    EXPECT_EQ(keep->GetField(0), nullptr);
    EXPECT_EQ(keep->GetField(1), nullptr);

    // a field removed from its table: none, and no message
    client()->Fields()->FindField(QStringLiteral("VILLE"))->Free();
    EXPECT_EQ(e->GetField(0), nullptr);
    EXPECT_TRUE(m_service.messages.isEmpty());

    // a bad index is reported and raised
    EXPECT_ANY_THROW(e->GetField(7));
    ASSERT_EQ(m_service.messages.size(), 1);
    EXPECT_TRUE(m_service.messages[0].startsWith(QStringLiteral("Erreur Entity.GetFied")));
}

TEST_F(Entities, AddFieldReportsTheField)
{
    TMxEntity* e = clients();
    QList<TMxItem*> added;
    e->WFields()->AddHook(this, {}, [&](TMxItem* item) { added << item; });
    added.clear(); // the existing entries, replayed
    TMxField* numcli = client()->Fields()->FindField(QStringLiteral("NUMCLI"));
    e->AddField(numcli);
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0], numcli);
    EXPECT_EQ(e->WFields()->Last()->Name(), QStringLiteral("NUMCLI"));
    EXPECT_EQ(e->WFields()->Last()->Id(), SampleModel::ClientId);
    // no field: refused, and no empty entry left behind
    const int count = e->WFields()->Count();
    EXPECT_THROW(e->AddField(nullptr), EMxInternal);
    EXPECT_EQ(e->WFields()->Count(), count);
    EXPECT_EQ(added.size(), 1);
    e->WFields()->RemoveHook(this);
}

TEST_F(Entities, CriterionCopyDropsItsSqlTextSetCopyKeepsIt)
{
    TMxEntityCriteria* paris = clients()->Criterias()->Items(0);
    paris->SQLCriteria()->AppendText(QStringLiteral("((D3.VILLE='Paris') )"));
    TItemPtr<TMxEntityCriteria> copy(static_cast<TMxEntityCriteria*>(paris->Clone(nullptr)));
    EXPECT_EQ(copy->Criteria()->Count(), 3);
    EXPECT_EQ(copy->Informations(), QStringLiteral("Les clients de Paris"));
    EXPECT_EQ(copy->SQLCriteria()->Count(), 0);

    TMxDomain* sales = m_model->Domains()->FindById(SampleModel::SalesSetId);
    sales->SQLText()->AppendText(QStringLiteral("(D5.MONTANT > 100)"));
    TItemPtr<TMxDomain> setCopy(static_cast<TMxDomain*>(sales->Clone(nullptr)));
    EXPECT_EQ(setCopy->SQLText()->Lines(), sales->SQLText()->Lines());
    EXPECT_EQ(setCopy->CalcFields()->Count(), 1);
    EXPECT_NE(setCopy->CalcFields()->Items(0), sales->CalcFields()->Items(0));
}

TEST_F(Entities, SetSurvivesTheObjectFile)
{
    TMxDomain* sales = m_model->Domains()->FindById(SampleModel::SalesSetId);
    sales->SQLText()->AppendText(QStringLiteral("(D5.MONTANT > 100)"));
    TItemPtr<TMxDomain> back = RoundTrip(sales);
    EXPECT_EQ(back->Id(), SampleModel::SalesSetId);
    EXPECT_EQ(back->Name(), QStringLiteral("Ventes"));
    EXPECT_EQ(back->Informations(), QStringLiteral("Les commandes des clients"));
    EXPECT_EQ(back->Parent(), SampleModel::MainSetId);
    ASSERT_EQ(back->Groups()->Count(), 2);
    EXPECT_EQ(back->Groups()->Items(1)->Name(), QStringLiteral("Disparus"));
    ASSERT_EQ(back->Fields()->Count(), 2);
    EXPECT_EQ(back->Fields()->Items(0)->Name(), QStringLiteral("Nom"));
    ASSERT_EQ(back->Variables()->Count(), 1);
    EXPECT_EQ(back->Variables()->Items(0)->ParamType(), ptNumeric);
    EXPECT_EQ(back->Variables()->Items(0)->Prompt()->toStringList(), QStringList{QStringLiteral("Montant minimum")});
    ASSERT_EQ(back->CalcFields()->Count(), 1);
    TMxQueryField* ttc = back->CalcFields()->Items(0);
    EXPECT_TRUE(ttc->Calculated());
    EXPECT_EQ(ttc->Formula(), QStringLiteral("((D5.MONTANT) * 1.2 )"));
    EXPECT_EQ(ttc->FormulaList()->Count(), 3);
    ASSERT_EQ(back->Criteria()->Count(), 3);
    EXPECT_EQ(back->Criteria()->Items(1)->Operator(), foSup);
    // the SQL text is not stored
    EXPECT_EQ(back->SQLText()->Count(), 0);
}
