// Join paths between a step's tables, over link graphs built for each case.

#include "queryfixture.h"

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/query/joinpath.h"
#include "engine/query/query.h"

using namespace mx;
using namespace qtest;

namespace {

struct LinkShape {
    int master;
    int detail;
    int pairs = 1;
    bool leftOuter = false;
    bool leftDefault = false;
    bool rightOuter = false;
    bool rightDefault = false;
};

TMxDataModel* graphModel(std::initializer_list<LinkShape> links)
{
    auto* m = new TMxDataModel(nullptr);
    for (int id = 1; id <= 6; ++id) {
        auto* t = new TMxTable(m->Tables());
        t->SetId(id);
        t->SetName(QStringLiteral("T%1").arg(id));
    }
    for (const LinkShape& s : links) {
        auto* link = new TMxLink(m->TLinks());
        link->SetMaster(s.master);
        link->SetDetail(s.detail);
        link->SetLeftOuter(s.leftOuter);
        link->SetLeftDefault(s.leftDefault);
        link->SetRightOuter(s.rightOuter);
        link->SetRightDefault(s.rightDefault);
        link->SetLeftCaption(QStringLiteral("gauche %1").arg(s.detail));
        link->SetRightCaption(QStringLiteral("droite %1").arg(s.detail));
        for (int k = 0; k < s.pairs; ++k) {
            auto* pair = new TMxFLink(link->FLinks());
            pair->Tables()->SetMaster(s.master);
            pair->Tables()->SetDetail(s.detail);
            pair->Fields()->SetMasterName(QStringLiteral("K%1").arg(k));
            pair->Fields()->SetDetailName(QStringLiteral("K%1").arg(k));
        }
    }
    return m;
}

QString pairText(const TMxFLink* pair)
{
    const auto* link = item_cast<TMxLink>(pair->OwnerList()->Owner());
    return QStringLiteral("%1>%2#%3").arg(link->Master()).arg(link->Detail()).arg(pair->GetIndex());
}

class JoinPath : public mxtest::EngineTest {
protected:
    // A step of its own over a graph, holding these tables in this order.
    TMxQueryStep* Step(std::initializer_list<LinkShape> links, std::initializer_list<int> tables)
    {
        TMxItem::Free(m_stepItem);
        m_stepItem = new TMxQueryStep(nullptr);
        m_stepItem->SetDataModel(graphModel(links));
        for (int id : tables)
            m_stepItem->AddTable(m_stepItem->DataModel()->Tables()->FindById(id));
        return m_stepItem;
    }
    ~JoinPath() override { TMxItem::Free(m_stepItem); }
    TMxQueryStep* m_stepItem = nullptr;
};

TEST_F(JoinPath, PairsTablesAndJoins)
{
    const struct {
        const char* name;
        std::initializer_list<LinkShape> links;
        std::initializer_list<int> tables;
        QStringList pairs;
        QList<int> finalTables;
        QStringList joins; // "master>detail L/R outer L/R chosen captions"
    } cases[] = {
        {"direct", {{1, 2}}, {1, 2}, {"1>2#0"}, {1, 2}, {}},
        {"reverse", {{2, 1}}, {1, 2}, {"2>1#0"}, {1, 2}, {}},
        {"both details of a third table", {{3, 1}, {3, 2}}, {1, 2}, {"3>1#0", "3>2#0"}, {1, 2, 3}, {}},
        {"a table in no link", {{1, 2}}, {1, 4}, {}, {1, 4}, {}},
        {"two field pairs", {{1, 2, 2}}, {1, 2}, {"1>2#0", "1>2#1"}, {1, 2}, {}},
        {"two masters of one detail", {{1, 3}, {2, 3}}, {3, 1, 2}, {"1>3#0", "2>3#0"}, {3, 1, 2}, {}},
        {"a distant path brings its tables", {{2, 1}, {2, 3}, {3, 4}}, {1, 4}, {"2>1#0", "2>3#0", "3>4#0"}, {1, 4, 2, 3}, {}},
        {"a cycle of masters, with an exit", {{1, 2}, {2, 3}, {3, 1}, {3, 4}}, {2, 4}, {"2>3#0", "3>4#0"}, {2, 4, 3}, {}},
        {"a cycle without a meeting", {{1, 2}, {2, 1}, {4, 3}}, {1, 3}, {}, {1, 3}, {}},
        {"a self link", {{1, 1}, {1, 2}}, {1, 2}, {"1>2#0"}, {1, 2}, {}},
        {"a left outer link chosen by default", {{1, 2, 1, true, true}}, {1, 2}, {"1>2#0"}, {1, 2},
            {"1>2 outer L chosen L gauche 2/droite 2"}},
        {"both sides allowed, none chosen", {{1, 2, 1, true, false, true, false}}, {2, 1}, {"1>2#0"}, {2, 1},
            {"1>2 outer LR chosen - gauche 2/droite 2"}},
        {"a default is only taken where the side is allowed", {{1, 2, 1, false, true, true, true}}, {1, 2}, {"1>2#0"}, {1, 2},
            {"1>2 outer R chosen R gauche 2/droite 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMxQueryStep* step = Step(c.links, c.tables);
        step->LinkTables();
        QStringList pairs;
        for (const TMxFLink* p : step->LinkPairs())
            pairs << pairText(p);
        EXPECT_EQ(pairs, c.pairs);
        QList<int> tables;
        for (const TMxTable* t : step->Tables())
            tables << t->Id();
        EXPECT_EQ(tables, c.finalTables);
        QStringList joins;
        for (int i = 0; i < step->SQLJoins()->Count(); ++i) {
            const TMxSqlJoin* j = step->SQLJoins()->GetItem(i);
            joins << QStringLiteral("%1>%2 outer %3%4 chosen %5 %6/%7")
                         .arg(j->Master())
                         .arg(j->Detail())
                         .arg(j->LeftOuter() ? "L" : "")
                         .arg(j->RightOuter() ? "R" : "")
                         .arg(j->LeftValue() ? "L" : j->RightValue() ? "R" : "-")
                         .arg(j->LeftCaption(), j->RightCaption());
        }
        EXPECT_EQ(joins, c.joins);
        // a second pass finds the same and adds no join
        step->LinkTables();
        EXPECT_EQ(int(step->LinkPairs().size()), int(c.pairs.size()));
        EXPECT_EQ(step->SQLJoins()->Count(), int(c.joins.size()));
    }
}

TEST_F(JoinPath, LinksWithoutFieldPairsRefuseToJoin)
{
    TMxQueryStep* step = Step({{1, 2, 0}}, {1, 2});
    try {
        step->LinkTables();
        ADD_FAILURE() << "no error";
    } catch (const EMxBadDatamodel& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Can not link T1 and T2"));
    }
    // on a distant path too: T1 would be a cross product with the rest
    step = Step({{3, 1, 0}, {3, 2}}, {1, 2});
    EXPECT_THROW(step->LinkTables(), EMxBadDatamodel);
}

TEST_F(JoinPath, ChainsAndMeetings)
{
    std::unique_ptr<TMxDataModel, void (*)(TMxDataModel*)> m(graphModel({{2, 1}, {3, 2}, {1, 1}, {4, 5}, {5, 4}}),
        [](TMxDataModel* p) { p->Free(); });
    const TMxLinkList& links = *m->TLinks();
    EXPECT_EQ(FindRoot(links, 1), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(FindRoot(links, 3), (std::vector<int>{3}));
    EXPECT_EQ(FindRoot(links, 4), (std::vector<int>{4, 5})); // a cycle ends
    std::vector<int> r{9};
    EXPECT_EQ(FindIntersection({1, 2, 3}, {6}, r), -1);
    EXPECT_EQ(r, std::vector<int>{9});
    EXPECT_EQ(FindIntersection({1, 2, 3}, {5, 3}, r), 2 + 1 - 1);
    EXPECT_EQ(r, (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(FindIntersection({1, 2}, {2}, r), 0);
    EXPECT_EQ(r, (std::vector<int>{1, 2}));
}

class OuterChoice : public QueryTest {};

TEST_F(OuterChoice, TheUsersChoiceSurvivesPreparation)
{
    Add(5, QStringLiteral("NUMCDE"));
    Add(7, QStringLiteral("TRANSPORTEUR"));
    Sql(false);
    TMxSqlJoin* join = Join(5, 7);
    ASSERT_TRUE(join);
    EXPECT_TRUE(join->LeftValue());
    EXPECT_FALSE(m_step->SQLJoins()->IsInnerJoin(5, 7));
    join->SetLeftValue(false);
    const QStringList lines = Sql(false);
    EXPECT_EQ(m_step->SQLJoins()->Count(), 1);
    EXPECT_FALSE(Join(5, 7)->LeftValue());
    EXPECT_TRUE(m_step->SQLJoins()->IsInnerJoin(5, 7));
    EXPECT_TRUE(m_step->SQLJoins()->IsInnerJoin(3, 5)); // no join at all
    EXPECT_EQ(lines.mid(3), (QStringList{QStringLiteral("FROM "), QStringLiteral(" \"COMMANDE\" D5,"), QStringLiteral(" \"LIVRAISON\" D7"),
                                QStringLiteral("WHERE"), QStringLiteral("(D5.\"NUMCDE\" = D7.\"NUMCDE\")")}));
    ShopDb db;
    EXPECT_EQ(db.Rows(m_step->SQL()->Text()).size(), 2);
}

TEST_F(OuterChoice, OuterJoinsThatMeetAreStillOneValidStatement)
{
    // CLIENT -> COMMANDE and CLIENT -> REMISE both outer, COMMANDE -> LIVRAISON outer
    Open({.clientOrderOuter = true});
    for (auto [m, d] : {std::pair{3, 5}, std::pair{3, 9}}) {
        auto* j = new TMxSqlJoin(m_step->SQLJoins());
        j->SetMaster(m);
        j->SetDetail(d);
        j->SetLeftOuter(true);
        j->SetLeftValue(true);
    }
    Add(7, QStringLiteral("TRANSPORTEUR"));
    Add(9, QStringLiteral("TAUX"));
    Add(3, QStringLiteral("NOM"));
    const QStringList lines = Sql(false);
    EXPECT_EQ(lines.mid(4), (QStringList{QStringLiteral("FROM "), QStringLiteral(" \"CLIENT\" D3"),
                                QStringLiteral("LEFT OUTER JOIN \"COMMANDE\" D5"), QStringLiteral("  ON D3.\"NUMCLI\" = D5.\"NUMCLI\""),
                                QStringLiteral("LEFT OUTER JOIN \"LIVRAISON\" D7"), QStringLiteral("  ON D5.\"NUMCDE\" = D7.\"NUMCDE\""),
                                QStringLiteral("LEFT OUTER JOIN \"REMISE\" D9"),
                                QStringLiteral("  ON D3.\"VILLE\" = D9.\"VILLE\" AND D3.\"CATEGORIE\" = D9.\"CATEGORIE\"")}))
        << Joined(lines).toStdString();
    ShopDb db;
    EXPECT_EQ(db.PrepareError(m_step->SQL()->Text()), QString());
    EXPECT_EQ(db.Rows(m_step->SQL()->Text()).size(), 6);
}

} // namespace
