// Tables, fields and links: SQL names, qualified names, link lookup and the
// stored form of a link's field pairs.

#include "modeltest.h"
#include "tests/support/samplemodel.h"
#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/model/datamodel.h"
#include "engine/model/link.h"
#include "engine/model/table.h"

using namespace mx;
using namespace mxtest;

TEST(Tables, AliasOfTableIds)
{
    const struct {
        int id;
        const char* alias;
    } cases[] = {{7, "D7"}, {-2, "DT2"}, {0, "D0"}, {-15, "DT15"}};
    for (const auto& c : cases) {
        TItemPtr<TMxTable> t(new TMxTable(nullptr));
        t->SetId(c.id);
        EXPECT_EQ(t->GetAlias(), QString::fromLatin1(c.alias)) << c.id;
    }
}

TEST(Tables, QualifiedNames)
{
    const struct {
        const char* database;
        const char* expected;
    } cases[] = {
        {"VENTES", ":VENTES:CLIENT"},
        {"/data/ventes", "/data/ventes/CLIENT"},
        {"/data/ventes/", "/data/ventes/CLIENT"},
        {"C:\\DATA", "C:\\DATA/CLIENT"},
        {"C:\\DATA\\", "C:\\DATA\\CLIENT"},
    };
    for (const auto& c : cases) {
        TItemPtr<TMxTable> t(new TMxTable(nullptr));
        t->SetName(QStringLiteral("CLIENT"));
        t->SetDatabase(QString::fromLatin1(c.database));
        EXPECT_EQ(t->GetQualifiedName(), QString::fromLatin1(c.expected)) << c.database;
    }
}

TEST(Tables, SqlNameOfFieldPerDialect)
{
    TItemPtr<TMxDataModel> m(MakeSampleModel());
    TMxField* nom = m->Tables()->FindById(SampleModel::ClientId)->Fields()->FindField(QStringLiteral("NOM"));
    const struct {
        TSetSQLCapabilities caps;
        const char* name;
        const char* expected;
    } cases[] = {
        {0, "NOM", "NOM"},
        {SqlCap(scPrefixSourceField), "NOM", "D3.NOM"},
        {SqlCap(scQuoteSourceField), "NOM", "\"NOM\""},
        {SqlCap(scPrefixSourceField) | SqlCap(scQuoteSourceField), "NOM", "D3.\"NOM\""},
        // a quoter inside the name is doubled: the name stays one identifier
        {SqlCap(scQuoteSourceField), "NO\"M", "\"NO\"\"M\""},
        {SqlCap(scPrefixSourceField) | SqlCap(scQuoteSourceField), "A\"\"B", "D3.\"A\"\"\"\"B\""},
    };
    for (const auto& c : cases) {
        nom->SetName(QString::fromLatin1(c.name));
        EXPECT_EQ(nom->GetSqlName(Dialect(c.caps, QStringLiteral("\""))), QString::fromLatin1(c.expected)) << c.name;
    }
}

TEST(Tables, FieldWithoutTableNeedsNoTableUnlessPrefixed)
{
    TItemPtr<TDmField> loose(new TDmField(nullptr));
    loose->SetName(QStringLiteral("NOM"));
    EXPECT_EQ(loose->GetTable(), nullptr);
    EXPECT_EQ(loose->GetSqlName(Dialect(SqlCap(scQuoteSourceField), QStringLiteral("\""))), QStringLiteral("\"NOM\""));
    try {
        loose->GetSqlName(Dialect(SqlCap(scPrefixSourceField)));
        FAIL() << "a prefix without a table must fail";
    } catch (const EMxInternal& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NOM"))) << e.message().toStdString();
    }
}

TEST(Tables, FieldTagNameCarriesTableName)
{
    TItemPtr<TMxDataModel> m(MakeSampleModel());
    TMxField* ville = m->Tables()->FindById(SampleModel::ClientId)->Fields()->FindField(QStringLiteral("VILLE"));
    EXPECT_EQ(ville->GetTagName(), QStringLiteral("CLIENT-TDmField3-VILLE"));
    EXPECT_EQ(ville->GetTableId(), SampleModel::ClientId);
}

TEST(Tables, AddTableClonesOnceById)
{
    TItemPtr<TMxTableList> owning(new TMxTableList(nullptr));
    TItemPtr<TMxTableList> refs(new TMxTableList(nullptr));
    refs->SetOwnsItems(false);
    TItemPtr<TMxTable> t(new TMxTable(nullptr));
    t->SetId(4);
    t->SetName(QStringLiteral("ARTICLE"));
    owning->AddTable(t.get());
    owning->AddTable(t.get());
    owning->AddTable(nullptr);
    refs->AddTable(t.get());
    ASSERT_EQ(owning->Count(), 1);
    EXPECT_NE(owning->Items(0), t.get());
    EXPECT_EQ(owning->Items(0)->Name(), QStringLiteral("ARTICLE"));
    ASSERT_EQ(refs->Count(), 1);
    EXPECT_EQ(refs->Items(0), t.get());
}

TEST(Links, FindLinkAndMatches)
{
    TItemPtr<TMxLinkList> links(new TMxLinkList(nullptr));
    auto add = [&](int master, int detail, const char* mn, const char* dn) {
        TMxLink* l = links->AddNew();
        l->SetMaster(master);
        l->SetDetail(detail);
        l->SetMasterName(QString::fromLatin1(mn));
        l->SetDetailName(QString::fromLatin1(dn));
        return l;
    };
    TMxLink* named = add(3, 5, "NUMCLI", "NUMCLI"); // a field record: never a model link
    TMxLink* plain = add(3, 5, "", "");
    EXPECT_EQ(links->FindLink(3, 5), plain);
    EXPECT_EQ(links->FindLink(5, 3), nullptr);

    TItemPtr<TMxLink> probe(new TMxLink(nullptr));
    probe->SetMaster(3);
    probe->SetDetail(5);
    probe->SetMasterName(QStringLiteral("NUMCLI"));
    probe->SetDetailName(QStringLiteral("NUMCLI"));
    EXPECT_TRUE(TMxLinkList::Matches(named, probe.get()));
    EXPECT_FALSE(TMxLinkList::Matches(plain, probe.get()));
    probe->SetDetailName(QStringLiteral("numcli"));
    EXPECT_FALSE(TMxLinkList::Matches(named, probe.get()));
}

TEST(Links, TwoFieldPairsSurviveTheObjectFile)
{
    TItemPtr<TMxLink> link(new TMxLink(nullptr));
    link->SetId(4);
    link->SetMaster(3);
    link->SetDetail(5);
    link->SetLinkType(ltOneToMany);
    link->SetRightOuter(true);
    link->SetRightDefault(true);
    link->SetRightCaption(QStringLiteral("Toutes les commandes"));
    const struct {
        const char* master;
        const char* detail;
    } pairs[] = {{"NUMCLI", "NUMCLI"}, {"AGENCE", "AGENCE_CDE"}};
    for (const auto& p : pairs) {
        TMxFLink* pair = link->FLinks()->AddNew();
        pair->Tables()->SetMaster(3);
        pair->Tables()->SetDetail(5);
        pair->Fields()->SetMasterName(QString::fromLatin1(p.master));
        pair->Fields()->SetDetailName(QString::fromLatin1(p.detail));
    }

    TItemPtr<TMxLink> back = RoundTrip(link.get());
    EXPECT_EQ(back->Id(), 4);
    EXPECT_EQ(back->Master(), 3);
    EXPECT_EQ(back->Detail(), 5);
    EXPECT_EQ(back->LinkType(), ltOneToMany);
    EXPECT_TRUE(back->RightOuter());
    EXPECT_TRUE(back->RightDefault());
    EXPECT_FALSE(back->LeftOuter());
    EXPECT_EQ(back->RightCaption(), QStringLiteral("Toutes les commandes"));
    ASSERT_EQ(back->FLinks()->Count(), 2);
    for (int i = 0; i < 2; ++i) {
        TMxFLink* pair = back->FLinks()->Items(i);
        EXPECT_EQ(pair->Tables()->Master(), 3) << i;
        EXPECT_EQ(pair->Tables()->Detail(), 5) << i;
        EXPECT_TRUE(pair->Tables()->MasterName().isEmpty()) << i;
        EXPECT_EQ(pair->Fields()->Master(), 0) << i;
        EXPECT_EQ(pair->Fields()->MasterName(), QString::fromLatin1(pairs[i].master)) << i;
        EXPECT_EQ(pair->Fields()->DetailName(), QString::fromLatin1(pairs[i].detail)) << i;
        EXPECT_EQ(pair->GetDebugText(), QStringLiteral("Tables=(TMxLink = 3() 5()) Fields=(TMxLink = 0(%1) 0(%2))")
                                            .arg(QString::fromLatin1(pairs[i].master), QString::fromLatin1(pairs[i].detail)));
    }
    // written again, the same bytes
    EXPECT_EQ(back->SaveToBytes(), link->SaveToBytes());
}

TEST(Links, CopyKeepsPairsButNotIdOrName)
{
    TItemPtr<TMxDataModel> m(MakeSampleModel());
    TMxLink* link = m->TLinks()->Items(0);
    link->SetName(QStringLiteral("CLIENT-COMMANDE"));
    TItemPtr<TMxLink> copy(static_cast<TMxLink*>(link->Clone(nullptr)));
    EXPECT_EQ(copy->Id(), 0);
    EXPECT_TRUE(copy->Name().isEmpty());
    EXPECT_EQ(copy->Master(), SampleModel::ClientId);
    ASSERT_EQ(copy->FLinks()->Count(), 1);
    EXPECT_NE(copy->FLinks()->Items(0), link->FLinks()->Items(0));
    EXPECT_EQ(copy->FLinks()->Items(0)->Fields()->DetailName(), QStringLiteral("NUMCLI"));
}
