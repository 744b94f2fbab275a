// The data model: login, the sets open to a user, the field catalogue, the
// entity view of a set and deep copies.

#include "modeltest.h"
#include "tests/support/samplemodel.h"
#include "tests/support/testsupport.h"

#include "engine/core/exceptions.h"
#include "engine/core/hookslot.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/tools/hooks.h"

using namespace mx;
using namespace mxtest;

namespace {

QStringList entryNames(const TMxEntity* e)
{
    QStringList names;
    for (TMxItem* item : *e->WFields())
        names << item->Name();
    return names;
}

QStringList entityNames(const TMxEntityList* list)
{
    QStringList names;
    for (TMxItem* item : *list)
        names << item->Name();
    return names;
}

} // namespace

class DataModel : public EngineTest {
protected:
    DataModel()
    {
        // the file holds more than defaults: a version, a window state, a
        // report and a first set whose field list is stale
        TItemPtr<TMxDataModel> m(MakeSampleModel());
        m->SetWindowState(2);
        m->Report()->Add(QStringLiteral("Analyse du modèle"));
        TMxList* mainFields = m->Domains()->Items(0)->Fields();
        mainFields->Clear();
        mainFields->AddNew()->SetName(QStringLiteral("Champ disparu"));
        m->SaveToFile(m_file);
    }

    // A model that must look as a new one: nothing of the file left.
    void expectFresh(TMxDataModel* m)
    {
        TItemPtr<TMxDataModel> fresh(new TMxDataModel(nullptr));
        EXPECT_EQ(m->SaveToBytes(), fresh->SaveToBytes());
        EXPECT_EQ(m->CurrentUser(), nullptr);
        EXPECT_EQ(m->AccessibleDomains()->Count(), 0);
        EXPECT_EQ(m->Databases()->Count(), 0);
        EXPECT_EQ(m->Tables()->Count(), 0);
        EXPECT_EQ(m->AllFields()->Count(), 0);
        EXPECT_EQ(m->CalcTable()->Fields()->Count(), 0);
        EXPECT_TRUE(m->Version().isEmpty());
        EXPECT_EQ(m->WindowState(), 0);
        EXPECT_EQ(m->Report()->Count(), 0);
        EXPECT_TRUE(m->FileName().isEmpty());
        for (TMxItem* u : *m->Users())
            EXPECT_TRUE(static_cast<TMxUser*>(u)->Password().isEmpty());
        ASSERT_NE(m->CurrentDomain(), nullptr);
        EXPECT_EQ(m->CurrentDomain(), m->Domains()->Items(0));
    }

    QString m_file = Path(QStringLiteral("ventes.MDD"));
};

TEST_F(DataModel, LoginTable)
{
    enum Outcome { Accepted, Refused, RefusedGeneral, Aborted };
    const struct {
        const char* label;
        const char* user; // given to Open; nullptr: asked through the dialog
        const char* password;
        bool hook;
        const char* typed; // what the dialog answers ("name/password"), nullptr: cancel
        Outcome outcome;
        const char* current;
    } cases[] = {
        {"exact", "Admin", "secret", false, nullptr, Accepted, "Admin"},
        {"name in another case", "mARIE", "Marie1", false, nullptr, Accepted, "Marie"},
        {"password in another case", "Marie", "MARIE1", false, nullptr, Accepted, "Marie"},
        {"unknown user", "Paul", "secret", false, nullptr, Refused, nullptr},
        {"wrong password", "Admin", "Secret!", false, nullptr, RefusedGeneral, nullptr},
        {"no dialog", nullptr, nullptr, false, nullptr, Aborted, nullptr},
        {"dialog cancelled", nullptr, nullptr, true, nullptr, Aborted, nullptr},
        {"dialog", nullptr, nullptr, true, "marie/marie1", Accepted, "Marie"},
        {"dialog, wrong password", nullptr, nullptr, true, "Marie/Marie2", RefusedGeneral, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QStringList captions;
        ScopedHook login(LoginPromptHook, c.hook ? THookSlot<bool(const QString&, QString&, QString&)>::Fn(
                                                       [&](const QString& caption, QString& user, QString& pw) {
                                                           captions << caption;
                                                           if (!c.typed)
                                                               return false;
                                                           const QStringList typed = QString::fromLatin1(c.typed).split(u'/');
                                                           user = typed[0];
                                                           pw = typed[1];
                                                           return true;
                                                       })
                                                 : nullptr);
        TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
        const QString user = c.user ? QString::fromLatin1(c.user) : QString();
        const QString password = c.password ? QString::fromLatin1(c.password) : QString();
        try {
            m->Open(m_file, user, password);
            EXPECT_EQ(c.outcome, Accepted);
            ASSERT_NE(m->CurrentUser(), nullptr);
            EXPECT_EQ(m->CurrentUser()->Name(), QString::fromLatin1(c.current));
            EXPECT_EQ(m->Tables()->Count(), 2);
            EXPECT_EQ(m->FileName(), m_file);
            EXPECT_EQ(m->Version(), QStringLiteral("1.0"));
            EXPECT_EQ(m->WindowState(), 2);
            EXPECT_EQ(m->Report()->toStringList(), QStringList{QStringLiteral("Analyse du modèle")});
            EXPECT_EQ(m->Databases()->Count(), 1);
        } catch (const EMxException& e) {
            EXPECT_EQ(c.outcome, Refused);
            EXPECT_EQ(e.message(), QStringLiteral("Accès refusé."));
            expectFresh(m.get());
        } catch (const EAbort&) {
            EXPECT_EQ(c.outcome, Aborted);
            expectFresh(m.get());
        } catch (const Exception& e) {
            EXPECT_EQ(c.outcome, RefusedGeneral);
            EXPECT_EQ(e.className(), QStringLiteral("Exception"));
            EXPECT_EQ(e.message(), QStringLiteral("Accès refusé."));
            expectFresh(m.get());
        }
        if (c.hook) {
            EXPECT_EQ(captions, QStringList{QStringLiteral("Accès à ventes.MDD")});
        }
    }
}

TEST_F(DataModel, GivenNameNeverAsksAndModelWithoutUsersOpensFreely)
{
    int asked = 0;
    ScopedHook login(LoginPromptHook, [&](const QString&, QString&, QString&) {
        ++asked;
        return false;
    });
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->Open(m_file, QStringLiteral("Admin"), QStringLiteral("secret"));
    EXPECT_EQ(asked, 0);
    m_service.messages.clear(); // the sales set names a group that is gone

    m->Users()->Clear();
    m->SaveToFile(Path(QStringLiteral("libre.MDD")));
    TItemPtr<TMxDataModel> open(new TMxDataModel(nullptr));
    open->LoadFromFile(Path(QStringLiteral("libre.MDD")));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(open->CurrentUser(), nullptr);
    ASSERT_EQ(open->AccessibleDomains()->Count(), 2);
    EXPECT_EQ(open->AccessibleDomains()->Items(1), open->Domains()->Items(1));
    EXPECT_TRUE(m_service.messages.isEmpty());
}

TEST_F(DataModel, LoadFromBytesLogsInThroughTheDialog)
{
    TItemPtr<TMxDataModel> sample(MakeSampleModel());
    const QByteArray bytes = sample->SaveToBytes();
    ScopedHook login(LoginPromptHook, [](const QString&, QString& user, QString& pw) {
        user = QStringLiteral("Admin");
        pw = QStringLiteral("secret");
        return true;
    });
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->LoadFromVariant(bytes);
    ASSERT_NE(m->CurrentUser(), nullptr);
    EXPECT_EQ(m->CurrentUser()->Name(), QStringLiteral("Admin"));
    EXPECT_EQ(m->AllFields()->Count(), 8);
    EXPECT_EQ(m->SaveToBytes(), bytes);
}

// The login wipes the copies of the password it makes, never a text it
// shares: the caller's password and the model's stay as they were, whether
// or not their capitals differ, and the comparison ignores case as before.
TEST_F(DataModel, TheLoginComparesWithoutCaseAndLeavesTheCallersAndTheModelsPasswords)
{
    {
        TItemPtr<TMxDataModel> m(MakeSampleModel());
        m->Users()->FindByName(QStringLiteral("Marie"))->SetPassword(QStringLiteral("MARIE1"));
        m->SaveToFile(m_file);
    }
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {{"MARIE1", true}, {"marie1", true}, {"Marie1", true}, {"MARIE2", false}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QString typed = QString::fromUtf8(c.typed);
        TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
        bool refused = false;
        try {
            m->Open(m_file, QStringLiteral("Marie"), typed);
        } catch (const Exception&) {
            refused = true;
        }
        EXPECT_EQ(refused, !c.accepted);
        EXPECT_EQ(typed, QString::fromUtf8(c.typed));
        if (c.accepted) {
            ASSERT_NE(m->CurrentUser(), nullptr);
            EXPECT_EQ(m->CurrentUser()->Password(), QStringLiteral("MARIE1"));
        }
    }
    // Through the login dialog: what it gave is checked the same way.
    ScopedHook login(LoginPromptHook, [](const QString&, QString& user, QString& pw) {
        user = QStringLiteral("Marie");
        pw = QString::fromUtf8("marie1");
        return true;
    });
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->LoadFromFile(m_file);
    ASSERT_NE(m->CurrentUser(), nullptr);
    EXPECT_EQ(m->CurrentUser()->Password(), QStringLiteral("MARIE1"));
}

TEST_F(DataModel, AccessibleSetsOfAUser)
{
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->Open(m_file, QStringLiteral("Marie"), QStringLiteral("Marie1"));
    ASSERT_EQ(m->AccessibleDomains()->Count(), 1);
    EXPECT_EQ(m->AccessibleDomains()->Items(0)->Name(), QStringLiteral("Ventes"));
    EXPECT_EQ(m->AccessibleDomains()->Items(0), m->Domains()->FindById(SampleModel::SalesSetId));
    // the group that no longer exists: one message, skipped
    EXPECT_EQ(m_service.messages, QStringList{QStringLiteral("Group not found : Disparus")});

    m_service.messages.clear();
    TItemPtr<TMxDataModel> admin(new TMxDataModel(nullptr));
    admin->Open(m_file, QStringLiteral("Admin"), QStringLiteral("secret"));
    ASSERT_EQ(admin->AccessibleDomains()->Count(), 1);
    EXPECT_EQ(admin->AccessibleDomains()->Items(0), admin->Domains()->Items(0));
    EXPECT_EQ(m_service.messages.size(), 1);
}

// However many sets name groups that are gone, opening the model tells
// them once, in one message, each group named once.
TEST_F(DataModel, MissingGroupsOfEverySetAreToldInOneMessage)
{
    {
        TItemPtr<TMxDataModel> m(MakeSampleModel());
        TMxDomain* other = m->Domains()->AddNew();
        other->SetId(77);
        other->SetName(QStringLiteral("Archives"));
        for (const char* g : {"Disparus", "Anciens", "Ventes"})
            other->Groups()->AddNew()->SetName(QString::fromUtf8(g));
        TMxDomain* third = m->Domains()->AddNew();
        third->SetId(78);
        third->SetName(QStringLiteral("Stock"));
        third->Groups()->AddNew()->SetName(QStringLiteral("Anciens"));
        m->SaveToFile(m_file);
    }
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->Open(m_file, QStringLiteral("Marie"), QStringLiteral("Marie1"));
    EXPECT_EQ(m_service.messages, QStringList{QStringLiteral("Groups not found : Disparus, Anciens")});
    // the sets still open to her through the groups that exist
    QStringList open;
    for (TMxItem* d : *m->AccessibleDomains())
        open << d->Name();
    EXPECT_EQ(open, (QStringList{QStringLiteral("Ventes"), QStringLiteral("Archives")}));
}

TEST_F(DataModel, CatalogueRebuiltAtLoad)
{
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->Open(m_file, QStringLiteral("Admin"), QStringLiteral("secret"));
    // the first set gives every table field, whatever the file held
    QStringList expected;
    for (TMxItem* t : *m->Tables())
        for (TMxItem* f : *static_cast<TMxTable*>(t)->Fields())
            expected << static_cast<TMxField*>(f)->FullName();
    QStringList mainFields;
    for (TMxItem* f : *m->Domains()->Items(0)->Fields())
        mainFields << f->Name();
    EXPECT_EQ(mainFields, expected);
    EXPECT_EQ(expected.size(), 8);

    ASSERT_EQ(m->AllFields()->Count(), 8);
    TMxTable* commande = m->Tables()->FindById(SampleModel::CommandeId);
    TMxQueryField* numcli = m->AllFields()->FindByTable(SampleModel::CommandeId, QStringLiteral("NUMCLI"), 0);
    ASSERT_NE(numcli, nullptr);
    EXPECT_EQ(numcli->GetTable(), commande);
    EXPECT_EQ(numcli->QueryTable(), commande);
    EXPECT_EQ(numcli->FullName(), QStringLiteral("Client de la commande"));
    EXPECT_EQ(numcli->BaseName(), numcli->FullName());
    EXPECT_EQ(numcli->SourceName(), QStringLiteral("NUMCLI"));
    EXPECT_EQ(numcli->FieldType(), QChar(u'N'));
    EXPECT_FALSE(numcli->Calculated());
    EXPECT_EQ(numcli->GetSqlName(Dialect(SqlCap(scPrefixSourceField))), QStringLiteral("D5.NUMCLI"));

    // the calculated fields of the sets, referenced once however often
    // the catalogue is rebuilt
    m->BuildAllFields();
    m->BuildAllFields();
    ASSERT_EQ(m->CalcTable()->Fields()->Count(), 1);
    TMxQueryField* ttc = m->Domains()->FindById(SampleModel::SalesSetId)->CalcFields()->Items(0);
    EXPECT_EQ(m->CalcTable()->Fields()->Items(0), ttc);
    EXPECT_EQ(ttc->GetTable(), m->CalcTable());
    EXPECT_EQ(ttc->TableId(), 0);
    EXPECT_EQ(m->AllFields()->Count(), 8);
    EXPECT_EQ(m->Domains()->Items(0)->Fields()->Count(), 8);
}

TEST_F(DataModel, EntityViewOfASet)
{
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->Open(m_file, QStringLiteral("Admin"), QStringLiteral("secret"));
    // the set current before the load is current again
    ASSERT_NE(m->CurrentDomain(), nullptr);
    EXPECT_EQ(m->CurrentDomain(), m->Domains()->Items(0));
    EXPECT_EQ(entityNames(m->DomainEntities()), (QStringList{"Clients", "Commandes", "Tous les champs"}));
    EXPECT_EQ(entryNames(m->DomainEntities()->Items(0)), (QStringList{"NOM", "VILLE"}));
    EXPECT_EQ(entryNames(m->DomainEntities()->Items(2)),
        (QStringList{"DATECDE", "DATENAIS", "MONTANT", "NOM", "NUMCDE", "NUMCLI", "NUMCLI", "VILLE"}));

    m->SetDomainById(SampleModel::SalesSetId);
    EXPECT_EQ(m->CurrentDomain()->Name(), QStringLiteral("Ventes"));
    EXPECT_EQ(entityNames(m->DomainEntities()), (QStringList{"Clients", "Commandes", "Tous les champs"}));
    EXPECT_EQ(entryNames(m->DomainEntities()->Items(0)), QStringList{"NOM"});
    EXPECT_EQ(entryNames(m->DomainEntities()->Items(1)), QStringList{"MONTANT"});
    EXPECT_EQ(entryNames(m->DomainEntities()->Items(2)), (QStringList{"MONTANT", "NOM"}));
    EXPECT_EQ(m->GetDomainFieldCount(), 2);
    EXPECT_EQ(m->GetDomainField(1), m->AllFields()->FindByFullName(QStringLiteral("Montant")));

    // an entity with every field outside the set is left out
    TMxList* salesFields = m->CurrentDomain()->Fields();
    salesFields->Items(0)->SetName(QStringLiteral("Date de commande"));
    m->SetDomainById(SampleModel::SalesSetId);
    EXPECT_EQ(entityNames(m->DomainEntities()), (QStringList{"Commandes", "Tous les champs"}));
    EXPECT_EQ(entryNames(m->DomainEntities()->Items(0)), (QStringList{"DATECDE", "MONTANT"}));

    // a set without fields: only an empty "Tous les champs"
    salesFields->Clear();
    m->SetDomainById(SampleModel::SalesSetId);
    EXPECT_EQ(entityNames(m->DomainEntities()), QStringList{"Tous les champs"});
    EXPECT_EQ(m->DomainEntities()->Items(0)->WFields()->Count(), 0);

    // the administrator's order of the stored entities is kept
    TMxTable* client = m->Tables()->FindById(SampleModel::ClientId);
    EXPECT_EQ(entryNames(client->Entities()->Items(0)), (QStringList{"VILLE", "NOM"}));

    // a set that leaves the model is no longer current nor open
    m->SetDomainById(SampleModel::SalesSetId);
    m->Domains()->FindById(SampleModel::SalesSetId)->Free();
    EXPECT_EQ(m->CurrentDomain(), nullptr);
    EXPECT_EQ(m->DomainEntities()->Count(), 0);
    m->SetDomainById(99);
    EXPECT_EQ(m->CurrentDomain(), nullptr);
    EXPECT_EQ(m->GetDomainFieldCount(), 0);
}

TEST_F(DataModel, ReloadAndCopyNeverReachFreedSets)
{
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    m->Open(m_file, QStringLiteral("Marie"), QStringLiteral("Marie1"));
    m->SetDomainById(SampleModel::SalesSetId);
    // loaded again: the sets are new objects, the current one found by Id
    m->Open(m_file, QStringLiteral("Marie"), QStringLiteral("Marie1"));
    ASSERT_NE(m->CurrentDomain(), nullptr);
    EXPECT_GE(m->Domains()->IndexOf(m->CurrentDomain()), 0);
    EXPECT_EQ(m->CurrentDomain()->Id(), SampleModel::SalesSetId);
    EXPECT_GE(m->Domains()->IndexOf(m->AccessibleDomains()->Items(0)), 0);
    EXPECT_GE(m->Users()->IndexOf(m->CurrentUser()), 0);

    TItemPtr<TMxDataModel> copy(static_cast<TMxDataModel*>(m->Clone(nullptr)));
    EXPECT_EQ(copy->CurrentDomain()->Id(), SampleModel::SalesSetId);
    EXPECT_GE(copy->Domains()->IndexOf(copy->CurrentDomain()), 0);
    EXPECT_EQ(copy->CurrentUser()->Name(), QStringLiteral("Marie"));
    EXPECT_GE(copy->Users()->IndexOf(copy->CurrentUser()), 0);
    ASSERT_EQ(copy->AccessibleDomains()->Count(), 1);
    EXPECT_GE(copy->Domains()->IndexOf(copy->AccessibleDomains()->Items(0)), 0);
    EXPECT_EQ(entityNames(copy->DomainEntities()), entityNames(m->DomainEntities()));

    // a refused login after a good one leaves no freed set behind either
    EXPECT_THROW(m->Open(m_file, QStringLiteral("Marie"), QStringLiteral("non")), Exception);
    expectFresh(m.get());
}

TEST_F(DataModel, CopyIsBoundToItsOwnTables)
{
    TMxDataModel* source = new TMxDataModel(nullptr);
    source->Open(m_file, QStringLiteral("Admin"), QStringLiteral("secret"));
    source->SetDomainById(SampleModel::SalesSetId);
    TItemPtr<TMxDataModel> copy(static_cast<TMxDataModel*>(source->Clone(nullptr)));

    copy->Tables()->FindById(SampleModel::ClientId)->SetName(QStringLiteral("CUSTOMER"));
    EXPECT_EQ(source->Tables()->FindById(SampleModel::ClientId)->Name(), QStringLiteral("CLIENT"));
    EXPECT_TRUE(copy->Version().isEmpty()); // not copied

    source->Free(); // the copy must not need it any more
    const TSQLSyntaxProperties dialect = Dialect(SqlCap(scPrefixSourceField) | SqlCap(scPrefixAsField));
    for (TMxItem* item : *copy->AllFields()) {
        auto* f = static_cast<TMxQueryField*>(item);
        ASSERT_GE(copy->Tables()->IndexOf(f->GetTable()), 0) << f->Name().toStdString();
        EXPECT_EQ(f->QueryTable(), f->GetTable());
        EXPECT_EQ(f->GetSqlName(dialect), f->GetTable()->GetAlias() + u'.' + f->Name());
        EXPECT_FALSE(f->GetSqlFieldName(dialect).isEmpty());
    }
    TMxQueryField* ttc = copy->Domains()->FindById(SampleModel::SalesSetId)->CalcFields()->Items(0);
    EXPECT_EQ(ttc->GetTable(), copy->CalcTable());
    ASSERT_EQ(copy->CalcTable()->Fields()->Count(), 1);
    EXPECT_EQ(copy->CalcTable()->Fields()->Items(0), ttc);
    EXPECT_EQ(ttc->GetSqlExpression(dialect), QStringLiteral("((D5.MONTANT) * 1.2 )"));
    ASSERT_NE(copy->CurrentDomain(), nullptr);
    copy->SetDomainById(SampleModel::SalesSetId);
    TMxEntity* clients = copy->DomainEntities()->FindByName(QStringLiteral("Clients"));
    ASSERT_NE(clients, nullptr);
    EXPECT_EQ(clients->GetField(0)->GetSqlName(dialect), QStringLiteral("D3.NOM"));
    EXPECT_EQ(copy->Databases()->Items(0)->Password(), QStringLiteral("motdepasse-base"));
}

TEST_F(DataModel, AssignOnlyFromAModel)
{
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    TItemPtr<TMxTable> table(new TMxTable(nullptr));
    try {
        m->Assign(table.get());
        FAIL();
    } catch (const EMxException&) {
        FAIL() << "a general exception is expected";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Can not assign a MxDataModel to TMxTable"));
    }
}

TEST_F(DataModel, DamagedFileLeavesANewModel)
{
    QByteArray bytes = ReadAll(m_file);
    bytes.truncate(bytes.size() / 2);
    WriteAll(Path(QStringLiteral("coupe.MDD")), bytes);
    TItemPtr<TMxDataModel> m(new TMxDataModel(nullptr));
    EXPECT_ANY_THROW(m->Open(Path(QStringLiteral("coupe.MDD")), QStringLiteral("Admin"), QStringLiteral("secret")));
    expectFresh(m.get());
    // the file itself is left as it was
    EXPECT_EQ(ReadAll(Path(QStringLiteral("coupe.MDD"))), bytes);
}
