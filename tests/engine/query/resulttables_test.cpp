// Later steps read the results of earlier ones through tables of their
// model that stand for those results.

#include "queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/destination/querydestination.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"

using namespace mx;
using namespace qtest;

namespace {

class ResultTables : public QueryTest {
protected:
    ResultTables()
    {
        m_second = m_query->AddStep();
        Add(3, QStringLiteral("NOM"));
        Add(3, QStringLiteral("VILLE"));
        Add(5, QStringLiteral("MONTANT"))->SetTotal(QStringLiteral("sum"));
        // the second step was made before the first had fields
        m_second->RefreshResultTables();
    }
    TMxTable* Result() const { return m_second->DataModel()->Tables()->FindById(-1); }
    QString RunError()
    {
        try {
            m_query->Prepare(false);
        } catch (const EMxAbort& e) {
            return e.message();
        }
        return QStringLiteral("<none>");
    }
    TMxQueryStep* m_second = nullptr;
};

TEST_F(ResultTables, ALaterStepIsOfferedTheEarlierResult)
{
    ASSERT_TRUE(Result());
    m_query->Prepare(true);
    EXPECT_EQ(Result()->FullName(), QStringLiteral("Etape 1"));
    QStringList fields;
    for (TMxItem* f : *Result()->Fields())
        fields << f->Name() + u':' + static_cast<TMxField*>(f)->ShortType();
    EXPECT_EQ(fields, (QStringList{QStringLiteral("Nom:A"), QStringLiteral("Ville:A"), QStringLiteral("Montant:N")}));
    TMxEntity* offered = m_second->DataModel()->DomainEntities()->FindByName(QStringLiteral("Etape 1"));
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->WFields()->Count(), 3);
    EXPECT_EQ(offered->GetField(2), Result()->Fields()->Items(2));
    // the first step has no such table
    EXPECT_EQ(m_step->DataModel()->Tables()->FindById(-1), nullptr);
}

TEST_F(ResultTables, ReadingTheEarlierView)
{
    m_query->SetViewPrefix(QStringLiteral("Q"));
    m_step->Destinations()->SetGenerateView(true);
    Add(-1, QStringLiteral("Nom"), m_second);
    SetTokens(Add(-1, QStringLiteral("Montant"), m_second)->FormulaList(), {O(foSup), C(QStringLiteral("100"), 'N')});
    m_second->AllFields()->Items(1)->SetChecked(false);
    m_query->Prepare(false);
    EXPECT_EQ(Result()->Name(), QStringLiteral("_MX_Q__1"));
    EXPECT_EQ(Result()->Database(), QStringLiteral("VENTES"));
    EXPECT_EQ(m_second->SQL()->Lines(),
        (QStringList{QStringLiteral("SELECT "), QStringLiteral("DT1.\"Nom\" AS \"Nom\""), QStringLiteral("FROM "),
            QStringLiteral(" \"_MX_Q__1\" DT1"), QStringLiteral("WHERE"), QStringLiteral("((DT1.\"Montant\"> 100) )")}));
    ShopDb db;
    db.Exec(m_step->SQL()->Text().toUtf8().constData());
    QStringList rows = db.Rows(m_second->SQL()->Text());
    rows.sort();
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Dupont"), QStringLiteral("Durand"), QStringLiteral("O'Brien")}));
}

TEST_F(ResultTables, ReadingTheEarlierTableUnderTheNameItIsWritten)
{
    Add(-1, QStringLiteral("Nom"), m_second);
    for (const auto& [given, name] : {std::pair{"RES", "RES.DB"}, std::pair{"RES.", "RES.DB"}, std::pair{"RES.TXT", "RES.DB"},
             std::pair{"/data/out/RES", "RES.DB"}}) {
        SCOPED_TRACE(given);
        m_step->Destinations()->FindByName(QStringLiteral("Table"))->SetFileName(QString::fromLatin1(given));
        m_query->Prepare(false);
        EXPECT_EQ(Result()->Name(), QString::fromLatin1(name));
        EXPECT_EQ(Result()->Database(), QString::fromLatin1(given).startsWith(u'/') ? QStringLiteral("/data/out") : QStringLiteral("/priv"));
        EXPECT_EQ(m_second->SQL()->Lines().value(3), QStringLiteral(" \"RES.DB\" DT1"));
    }
}

TEST_F(ResultTables, ResultsThatCannotBeReadAreErrorsWhereUsed)
{
    // the first step writes nowhere: fine until the second step reads it
    EXPECT_EQ(RunError(), QStringLiteral("Etape 2: Aucun champ n'est sélectionné."));
    Add(-1, QStringLiteral("Nom"), m_second);
    EXPECT_EQ(RunError(), QStringLiteral("Etape 2 : Etape 1 n'écrit son résultat ni dans une vue ni dans une table."));
    m_query->Prepare(true);
    EXPECT_EQ(m_second->SQL()->Lines().value(3), QStringLiteral(" \"[Etape 1]\" DT1"));

    // a step that no longer exists
    m_step->Destinations()->SetGenerateView(true);
    EXPECT_EQ(RunError(), QStringLiteral("<none>"));
    m_step->Free();
    m_step = nullptr;
    EXPECT_EQ(RunError(), QStringLiteral("Etape 2 : l'étape 1, dont le résultat est lu, n'existe pas."));

    // a step that runs later has no result yet
    Open();
    TMxQueryStep* later = m_query->AddStep();
    later->Destinations()->SetGenerateView(true);
    Add(3, QStringLiteral("NOM"), later);
    auto* ahead = new TMxTable(m_step->DataModel()->Tables());
    ahead->SetId(-2);
    auto* f = new TDmField(ahead->Fields());
    f->SetName(QStringLiteral("Nom"));
    m_step->AddFields(nullptr, f);
    EXPECT_EQ(RunError(), QStringLiteral("Etape 1 : le résultat de Etape 2 n'existe pas encore quand cette étape s'exécute."));
}

} // namespace
