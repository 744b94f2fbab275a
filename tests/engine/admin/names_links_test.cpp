// Type texts, proposed links, duplicate full names and their marks, unique
// full names, the link analysis and the users' groups.

#include "adminfixture.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/model/user.h"

namespace {

using namespace mx;
using admintest::AdminTest;
using admintest::FieldSpec;

class AdminNames : public AdminTest {
protected:
    TItemPtr<TMxDataModel> model{new TMxDataModel(nullptr)};
};

TEST_F(AdminNames, TypeTextAndKeyCount)
{
    TMxTable* t = MakeTable(model.get(), 1, QStringLiteral("T"), {{"CODE", "ALPHA", 2}, {"NB", "NUMBER"}, {"K", "NUMBER", 1}});
    Field(t, QStringLiteral("CODE"))->SetShortType(u'A');
    Field(t, QStringLiteral("CODE"))->SetSize(30);
    Field(t, QStringLiteral("NB"))->SetShortType(u'N');
    Field(t, QStringLiteral("K"))->SetShortType(u'N');
    Field(t, QStringLiteral("K"))->SetSize(4);
    EXPECT_EQ(GetTypeText(Field(t, QStringLiteral("CODE"))), QStringLiteral("A30*"));
    EXPECT_EQ(GetTypeText(Field(t, QStringLiteral("NB"))), QStringLiteral("N"));
    EXPECT_EQ(GetTypeText(Field(t, QStringLiteral("K"))), QStringLiteral("N4*"));
    EXPECT_EQ(KeyFieldCount(t->Fields()), 2);
}

TEST_F(AdminNames, EntityFieldsAreFoundInEntityOrder)
{
    TMxTable* t = MakeTable(model.get(), 1, QStringLiteral("T"), {{"A", "NUMBER"}, {"B", "NUMBER"}});
    TMxEntity* first = AddEntity(t->Entities());
    TMxEntity* second = AddEntity(t->Entities());
    EXPECT_EQ(t->Entities()->Count(), 2);
    EXPECT_EQ(first->Owner(), t->Entities());
    second->AddField(Field(t, QStringLiteral("A")));
    second->AddField(Field(t, QStringLiteral("B")));
    first->AddField(Field(t, QStringLiteral("B")));
    EXPECT_EQ(FindField(t->Entities(), QStringLiteral("B")), first->WFields()->Items(0));
    EXPECT_EQ(FindField(t->Entities(), QStringLiteral("A")), second->WFields()->Items(0));
    EXPECT_EQ(FindField(t->Entities(), QStringLiteral("C")), nullptr);
}

// "master fields / detail fields" -> the pairs "M=D" of the proposed link.
TEST_F(AdminNames, ProposeLinkPairsSameNamesAndTypesOnDetailKeys)
{
    const struct {
        const char* what;
        std::initializer_list<FieldSpec> master;
        std::initializer_list<FieldSpec> detail;
        QStringList pairs; // empty: no link
    } cases[] = {
        {"key in the detail", {{"NUMERO", "NUMBER", 1}, {"NOM", "ALPHA"}}, {{"NUMCDE", "NUMBER", 1}, {"NUMERO", "NUMBER", 2}},
            {QStringLiteral("NUMERO=NUMERO")}},
        {"names compared upper-cased", {{"Numero", "NUMBER"}}, {{"NUMERO", "NUMBER", 1}}, {QStringLiteral("Numero=NUMERO")}},
        {"detail field not a key", {{"NUMERO", "NUMBER", 1}}, {{"NUMERO", "NUMBER"}}, {}},
        {"long types differ only in case", {{"NUMERO", "NUMBER"}}, {{"NUMERO", "Number", 1}}, {}},
        {"long types differ", {{"NUMERO", "ALPHA"}}, {{"NUMERO", "NUMBER", 1}}, {}},
        {"every matching pair, master order then detail order", {{"B", "NUMBER"}, {"A", "NUMBER"}},
            {{"A", "NUMBER", 1}, {"B", "NUMBER", 2}, {"C", "NUMBER", 3}}, {QStringLiteral("B=B"), QStringLiteral("A=A")}},
        {"no fields", {}, {{"A", "NUMBER", 1}}, {}},
    };
    int id = 1;
    for (const auto& c : cases) {
        TMxTable* master = MakeTable(model.get(), id++, QStringLiteral("M"), c.master);
        TMxTable* detail = MakeTable(model.get(), id++, QStringLiteral("D"), c.detail);
        TItemPtr<TMxLink> link(ProposeLink(master, detail));
        if (c.pairs.isEmpty()) {
            EXPECT_EQ(link, nullptr) << c.what;
            continue;
        }
        ASSERT_NE(link, nullptr) << c.what;
        EXPECT_EQ(link->Master(), master->Id());
        EXPECT_EQ(link->Detail(), detail->Id());
        EXPECT_EQ(link->Owner(), nullptr);
        QStringList pairs;
        for (int i = 0; i < link->FLinks()->Count(); ++i) {
            TMxFLink* pair = link->FLinks()->Items(i);
            EXPECT_EQ(pair->Tables()->Master(), master->Id());
            EXPECT_EQ(pair->Tables()->Detail(), detail->Id());
            pairs << pair->Fields()->MasterName() + u'=' + pair->Fields()->DetailName();
        }
        EXPECT_EQ(pairs, c.pairs) << c.what;
    }
}

TEST_F(AdminNames, ProposeLinkOneWayOnlyWhenTheKeyIsOnOneSide)
{
    TMxTable* first = MakeTable(model.get(), 1, QStringLiteral("A"), {{"ID", "NUMBER", 1}, {"NUMERO", "NUMBER"}});
    TMxTable* second = MakeTable(model.get(), 2, QStringLiteral("B"), {{"NUMERO", "NUMBER", 1}});
    TItemPtr<TMxLink> forward(ProposeLink(first, second));
    ASSERT_NE(forward, nullptr);
    EXPECT_EQ(forward->FLinks()->Count(), 1);
    EXPECT_EQ(TItemPtr<TMxLink>(ProposeLink(second, first)), nullptr);
}

TEST_F(AdminNames, CheckFullNameRaisesOrMarks)
{
    TMxTable* a = MakeTable(model.get(), 1, QStringLiteral("CLIENT"), {{"NOM", "ALPHA"}, {"VILLE", "ALPHA"}, {"NOM2", "ALPHA", 0, "nom"}});
    TMxTable* b = MakeTable(model.get(), 2, QStringLiteral("FOURNISSEUR"), {{"NOM", "ALPHA", 0, "Nom"}, {"CP", "ALPHA"}});
    TMxTableList* tables = model->Tables();
    const struct {
        int table, field;
        const char* name;
        const char* message;
    } cases[] = {
        {0, 0, "NOM", "La table CLIENT possède deux champs nommés NOM"},
        {1, 0, "Nom", "Les tables FOURNISSEUR et CLIENT possèdent deux champs nommés Nom"},
        {0, 1, "VILLE", "<no error>"},
        {1, 1, "VILLE", "Les tables FOURNISSEUR et CLIENT possèdent deux champs nommés VILLE"},
        {1, 1, "CP", "<no error>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mxtest::FailureOf([&] { CheckFullName(tables, c.table, c.field, true, QString::fromUtf8(c.name)); }),
            QString::fromUtf8(c.message)) << c.name;
    EXPECT_EQ(mxtest::FailureOf([&] { CheckAllFieldNames(tables); }),
        QStringLiteral("La table CLIENT possède deux champs nommés NOM"));

    MarkDuplicateFields(tables);
    const struct {
        TMxTable* table;
        const char* field;
        bool marked;
    } marks[] = {{a, "NOM", true}, {a, "VILLE", false}, {a, "NOM2", true}, {b, "NOM", true}, {b, "CP", false}};
    for (const auto& m : marks)
        EXPECT_EQ(Field(m.table, QString::fromLatin1(m.field))->DuplicateMark(), m.marked) << m.field;
    EXPECT_TRUE(HasDuplicateFields(a));
    // Marks are recomputed from scratch.
    Field(b, QStringLiteral("NOM"))->SetFullName(QStringLiteral("Raison sociale"));
    Field(a, QStringLiteral("NOM2"))->SetFullName(QStringLiteral("Autre nom"));
    MarkDuplicateFields(tables);
    EXPECT_FALSE(HasDuplicateFields(a));
    EXPECT_FALSE(HasDuplicateFields(b));
    EXPECT_EQ(mxtest::FailureOf([&] { CheckAllFieldNames(tables); }), QStringLiteral("<no error>"));
}

TEST_F(AdminNames, FullNameUsedIgnoresTheFieldItselfAndCase)
{
    MakeTable(model.get(), 1, QStringLiteral("T"), {{"A", "ALPHA", 0, "Nom"}});
    MakeTable(model.get(), 2, QStringLiteral("U"), {{"B", "ALPHA", 0, "Ville"}});
    EXPECT_FALSE(FullNameUsed(model->Tables(), 0, 0, QStringLiteral("NOM")));
    EXPECT_TRUE(FullNameUsed(model->Tables(), 1, 0, QStringLiteral("NOM")));
    EXPECT_TRUE(FullNameUsed(model->Tables(), 0, 0, QStringLiteral("ville")));
}

// Tables of {name, Idx, full name} -> the full names after
// MakeFieldNamesUnique, table by table.
TEST_F(AdminNames, MakeFieldNamesUnique)
{
    const struct {
        const char* what;
        std::initializer_list<FieldSpec> first;
        std::initializer_list<FieldSpec> second;
        QStringList expected;
    } cases[] = {
        {"non-key duplicates: the first met gives way", {{"NOM", "ALPHA"}}, {{"NOM", "ALPHA"}},
            {QStringLiteral("NOM_1"), QStringLiteral("NOM")}},
        {"a non-key field gives way to a key field", {{"CODE", "ALPHA", 1}}, {{"CODE", "ALPHA"}},
            {QStringLiteral("CODE"), QStringLiteral("CODE_1")}},
        {"keys only in the second pass", {{"CODE", "ALPHA", 1}}, {{"CODE", "ALPHA", 1}},
            {QStringLiteral("CODE_1"), QStringLiteral("CODE")}},
        {"a taken candidate is skipped", {{"CODE", "ALPHA"}, {"X", "ALPHA", 0, "CODE_1"}}, {{"CODE", "ALPHA"}},
            {QStringLiteral("CODE_2"), QStringLiteral("CODE_1"), QStringLiteral("CODE")}},
        {"case-insensitive", {{"NOM", "ALPHA", 0, "nom"}}, {{"NOM", "ALPHA"}}, {QStringLiteral("nom_1"), QStringLiteral("NOM")}},
        // The key stands after the other fields: it is known by its Idx,
        // not by being among the first fields.
        {"a key that is not first", {{"LIB", "ALPHA"}, {"CODE", "ALPHA", 1}}, {{"LIB", "ALPHA"}, {"CODE", "ALPHA"}},
            {QStringLiteral("LIB_1"), QStringLiteral("CODE"), QStringLiteral("LIB"), QStringLiteral("CODE_1")}},
        {"unique names stay", {{"A", "ALPHA", 1}}, {{"B", "ALPHA"}}, {QStringLiteral("A"), QStringLiteral("B")}},
    };
    for (const auto& c : cases) {
        TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
        MakeTable(m.get(), 1, QStringLiteral("T1"), c.first);
        MakeTable(m.get(), 2, QStringLiteral("T2"), c.second);
        MakeFieldNamesUnique(m->Tables());
        QStringList names;
        for (int i = 0; i < m->Tables()->Count(); ++i)
            for (int j = 0; j < m->Tables()->Items(i)->Fields()->Count(); ++j)
                names << m->Tables()->Items(i)->Fields()->Items(j)->FullName();
        EXPECT_EQ(names, c.expected) << c.what;
    }
}

TEST_F(AdminNames, CheckUsersWithoutGroup)
{
    model->Users()->Clear();
    model->Groups()->Clear();
    EXPECT_EQ(mxtest::FailureOf([&] { CheckUsersWithoutGroup(model.get()); }), QStringLiteral("<no error>"));
    for (const char* name : {"Admin", "Marie", "Paul"})
        model->Users()->AddNew()->SetName(QString::fromLatin1(name));
    TMxUserGroup* group = model->Groups()->AddNew();
    group->SetName(QStringLiteral("Admins"));
    group->Users()->AddNew()->SetName(QStringLiteral("Admin"));
    TMxUserGroup* other = model->Groups()->AddNew();
    other->Users()->AddNew()->SetName(QStringLiteral("Paul"));
    EXPECT_EQ(GetGroup(model->Groups(), 1), other);
    EXPECT_EQ(mxtest::FailureOf([&] { CheckUsersWithoutGroup(model.get()); }),
        QStringLiteral("L'utilisateur Marie n'appartient à aucun groupe"));
    other->Users()->AddNew()->SetName(QStringLiteral("Marie"));
    EXPECT_EQ(mxtest::FailureOf([&] { CheckUsersWithoutGroup(model.get()); }), QStringLiteral("<no error>"));
}

class AdminLinks : public AdminNames {
protected:
    // A, B and C: A and B share the key NUMA of B, B and C the key NUMB of C.
    void MakeChain()
    {
        a = MakeTable(model.get(), 1, QStringLiteral("A"), {{"NUMA", "NUMBER", 1}});
        b = MakeTable(model.get(), 2, QStringLiteral("B"), {{"NUMA", "NUMBER", 1}, {"NUMB", "NUMBER"}});
        c = MakeTable(model.get(), 3, QStringLiteral("C"), {{"NUMB", "NUMBER", 1}});
    }
    TMxTable* AddTableWithoutKeyPair()
    {
        TMxTable* keyed = MakeTable(model.get(), 1, QStringLiteral("A"), {{"NUM", "NUMBER", 1}, {"LIB", "ALPHA"}});
        MakeTable(model.get(), 2, QStringLiteral("SANSCLE"), {{"NUM", "NUMBER"}, {"LIB", "ALPHA"}});
        return keyed;
    }
    QStringList Links() const
    {
        QStringList links;
        for (int i = 0; i < model->TLinks()->Count(); ++i) {
            const TMxLink* l = model->TLinks()->Items(i);
            links << QStringLiteral("%1->%2").arg(model->Tables()->FindById(l->Master())->Name(),
                         model->Tables()->FindById(l->Detail())->Name());
        }
        return links;
    }
    TMxTable* a = nullptr;
    TMxTable* b = nullptr;
    TMxTable* c = nullptr;
};

TEST_F(AdminLinks, AnalyseLinksTriesEveryPairBothWaysInOrder)
{
    MakeChain();
    int added = 0;
    TMxHook* hook = model->TLinks()->AddHook(this, {}, [&](TMxItem*) { ++added; });
    ASSERT_NE(hook, nullptr);
    AnalyseLinks(model.get());
    model->TLinks()->RemoveHook(this);
    const QStringList expected = {
        QStringLiteral("Début d'analyse des liens."), QString(),
        QStringLiteral("Lien A -> B"), QStringLiteral("-SUCCES"), QString(),
        QStringLiteral("Lien B -> A"), QStringLiteral("-Echec: La table A est déjà maître de la table B"), QString(),
        QStringLiteral("Lien A -> C"), QStringLiteral("-Echec: Aucun lien supposable"), QString(),
        QStringLiteral("Lien C -> A"), QStringLiteral("-Echec: Aucun lien supposable"), QString(),
        QStringLiteral("Lien B -> C"), QStringLiteral("-SUCCES"), QString(),
        QStringLiteral("Lien C -> B"), QStringLiteral("-Echec: La table B est déjà liée"), QString(),
        QStringLiteral("Analyse des liens terminée."),
    };
    EXPECT_EQ(ReportLines(model.get()), expected);
    EXPECT_EQ(Links(), QStringList({QStringLiteral("A->B"), QStringLiteral("B->C")}));
    EXPECT_EQ(added, 2);
    // The links joined the list with their own Ids and pairs.
    ASSERT_EQ(model->TLinks()->Count(), 2);
    EXPECT_NE(model->TLinks()->Items(0)->Id(), model->TLinks()->Items(1)->Id());
    EXPECT_EQ(model->TLinks()->Items(1)->FLinks()->Items(0)->Fields()->DetailName(), QStringLiteral("NUMB"));
}

TEST_F(AdminLinks, ATableWithoutKeyIsReportedNotGuessed)
{
    // NUM stands first in both tables, but only A has a key.
    a = AddTableWithoutKeyPair();
    AnalyseLinks(model.get());
    EXPECT_EQ(ReportLines(model.get()),
        QStringList({QStringLiteral("Début d'analyse des liens."), QString(), QStringLiteral("Lien A -> SANSCLE"),
            QStringLiteral("-Echec: La table SANSCLE n'a pas de clé"), QString(), QStringLiteral("Lien SANSCLE -> A"),
            QStringLiteral("-SUCCES"), QString(), QStringLiteral("Analyse des liens terminée.")}));
    EXPECT_EQ(Links(), QStringList({QStringLiteral("SANSCLE->A")}));
}

TEST_F(AdminLinks, NoCycleIsProposedAndAnExistingCycleEndsTheWalk)
{
    // Three tables that all share the key K: every try would match.
    a = MakeTable(model.get(), 1, QStringLiteral("A"), {{"K", "NUMBER", 1}});
    b = MakeTable(model.get(), 2, QStringLiteral("B"), {{"K", "NUMBER", 1}});
    c = MakeTable(model.get(), 3, QStringLiteral("C"), {{"K", "NUMBER", 1}});
    AnalyseLinks(model.get());
    // A -> B, then A -> C; B and C have their master, A lies above both.
    EXPECT_EQ(Links(), QStringList({QStringLiteral("A->B"), QStringLiteral("A->C")}));

    // A model that already holds a cycle (a file made elsewhere).
    TItemPtr<TMxDataModel> cyclic(new TMxDataModel(nullptr));
    TMxTable* x = MakeTable(cyclic.get(), 1, QStringLiteral("X"), {{"K", "NUMBER", 1}});
    TMxTable* y = MakeTable(cyclic.get(), 2, QStringLiteral("Y"), {{"K", "NUMBER", 1}});
    TMxTable* z = MakeTable(cyclic.get(), 3, QStringLiteral("Z"), {{"K", "NUMBER", 1}, {"J", "NUMBER", 2}});
    TMxTable* w = MakeTable(cyclic.get(), 4, QStringLiteral("W"), {{"J", "NUMBER"}});
    for (auto [m, d] : {std::pair{x, y}, std::pair{y, x}}) {
        TMxLink* link = cyclic->TLinks()->AddNew();
        link->SetMaster(m->Id());
        link->SetDetail(d->Id());
    }
    EXPECT_TRUE(InSubtree(cyclic.get(), x, y));
    EXPECT_TRUE(InSubtree(cyclic.get(), y, x));
    EXPECT_FALSE(InSubtree(cyclic.get(), x, z));
    EXPECT_TRUE(InSubtree(cyclic.get(), z, z));
    EXPECT_TRUE(HasMaster(cyclic.get(), x));
    EXPECT_FALSE(HasMaster(cyclic.get(), z));
    AnalyseLinks(cyclic.get());
    // Z gets X as master; W as master of Z is refused (Z has one), Z as
    // master of W is not proposed (J is no key of W).
    ASSERT_EQ(cyclic->TLinks()->Count(), 3);
    EXPECT_EQ(cyclic->TLinks()->Items(2)->Master(), x->Id());
    EXPECT_EQ(cyclic->TLinks()->Items(2)->Detail(), z->Id());
    EXPECT_FALSE(InSubtree(cyclic.get(), z, x));
    (void)w;
}

} // namespace
