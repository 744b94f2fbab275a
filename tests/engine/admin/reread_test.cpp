// Tables read from the database: adding one with its entity, re-reading
// one after its columns changed (and the purges of what vanished), the
// analysis of every table, and the database items.

#include "adminfixture.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/global/engineshutdown.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"

namespace {

using namespace mx;
using admintest::AdminTest;

TMxFormula* addFieldToken(TMxFormulaList* list, const TMxTable* table, const TMxField* field)
{
    TMxFormula* token = list->AddNew();
    token->SetOperator(foField);
    token->SetFieldTblId(table->Id());
    token->SetFieldName(field->Name());
    token->SetFieldFullName(field->FullName());
    token->SetFieldStepId(1);
    return token;
}

class AdminTables : public AdminTest {
protected:
    AdminTables()
    {
        m_db = Path(QStringLiteral("ventes.sqlite"));
        mxtest::MakeSqliteDatabase(m_db, QStringLiteral(R"(
            CREATE TABLE CLIENT (NUMERO INTEGER PRIMARY KEY, NOM VARCHAR(30), VILLE VARCHAR(20), TEL VARCHAR(12));
            CREATE TABLE COMMANDE (NUMCDE INTEGER, LIGNE INTEGER, NUMERO INTEGER, MONTANT MONEY, PRIMARY KEY (LIGNE, NUMCDE));
            CREATE TABLE "orders.dbf" (ID INTEGER PRIMARY KEY, QTE INTEGER);
        )"));
    }
    void Sql(const QString& statement) { ExecSql(m_db, statement); }

    QString m_db;
    TItemPtr<TMxDataModel> model{new TMxDataModel(nullptr)};
};

TEST_F(AdminTables, AddTableReadsFieldsKeysAndTypesIntoOneEntity)
{
    int added = 0;
    model->Tables()->AddHook(this, {}, [&](TMxItem* item) {
        // Told once its Id and names are set.
        auto* t = item_cast<TMxTable>(item);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Name(), QStringLiteral("COMMANDE"));
        EXPECT_EQ(t->Id(), 1);
        ++added;
    });
    TMxTable* table = AddTable(model.get(), m_db, QStringLiteral("COMMANDE"));
    model->Tables()->RemoveHook(this);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(table->FullName(), QStringLiteral("Table COMMANDE"));
    EXPECT_EQ(table->Database(), m_db);
    QStringList fields;
    for (int i = 0; i < table->Fields()->Count(); ++i) {
        const auto* f = static_cast<const TDmField*>(table->Fields()->Items(i));
        fields << QStringLiteral("%1 %2 %3 %4").arg(f->Name(), f->FullName(), f->LongType(), GetTypeText(f));
    }
    // The key is (LIGNE, NUMCDE): key positions follow the key, not the
    // order of the columns.
    EXPECT_EQ(fields, QStringList({QStringLiteral("NUMCDE NUMCDE NUMBER N*"), QStringLiteral("LIGNE LIGNE NUMBER N*"),
                          QStringLiteral("NUMERO NUMERO NUMBER N"), QStringLiteral("MONTANT MONTANT MONEY N")}));
    EXPECT_EQ(Field(table, QStringLiteral("LIGNE"))->Idx(), 1);
    EXPECT_EQ(Field(table, QStringLiteral("NUMCDE"))->Idx(), 2);
    ASSERT_EQ(table->Entities()->Count(), 1);
    TMxEntity* entity = table->Entities()->Items(0);
    EXPECT_EQ(entity->Name(), QStringLiteral("Commande"));
    EXPECT_EQ(entity->Id(), 1);
    ASSERT_EQ(entity->WFields()->Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(entity->GetField(i), table->Fields()->Items(i));

    TMxTable* second = AddTable(model.get(), m_db, QStringLiteral("orders.dbf"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Id(), 2);
    EXPECT_EQ(second->Entities()->Items(0)->Name(), QStringLiteral("Orders"));
}

TEST_F(AdminTables, AddTableOfAMissingTableTellsTheUserAndAddsNothing)
{
    EXPECT_EQ(AddTable(model.get(), m_db, QStringLiteral("NOPE")), nullptr);
    EXPECT_EQ(model->Tables()->Count(), 0);
    EXPECT_TRUE(m_service.messages.contains(QStringLiteral("Ouverture de la table NOPE impossible")))
        << m_service.messages.join(u'\n').toStdString();
    // A dataset without fields adds nothing and says nothing.
    m_service.messages.clear();
    EXPECT_EQ(AddTable(model.get(), m_db, QString()), nullptr);
    EXPECT_EQ(model->Tables()->Count(), 0);
    EXPECT_TRUE(m_service.messages.isEmpty());
}

class AdminReread : public AdminTables {
protected:
    AdminReread()
    {
        client = AddTable(model.get(), m_db, QStringLiteral("CLIENT"));
        commande = AddTable(model.get(), m_db, QStringLiteral("COMMANDE"));
        nom = Field(client, QStringLiteral("NOM"));
        ville = Field(client, QStringLiteral("VILLE"));
        nom->SetFullName(QStringLiteral("Nom du client"));
        ville->SetFullName(QStringLiteral("Ville"));
        client->Entities()->Items(0)->SetName(QStringLiteral("Clients"));

        // A second entity of the client table naming VILLE, with a
        // criterion on it.
        TMxEntity* lyon = AddEntity(client->Entities());
        lyon->SetName(QStringLiteral("Clients de Lyon"));
        lyon->AddField(nom);
        lyon->AddField(ville);
        TMxEntityCriteria* criterion = lyon->Criterias()->AddNew();
        criterion->SetName(QStringLiteral("A Lyon"));
        addFieldToken(criterion->Criteria(), client, ville);
        keptToken = addFieldToken(criterion->Criteria(), client, nom);

        // An entity of another table whose criterion names the client's
        // town.
        TMxEntityCriteria* far = commande->Entities()->Items(0)->Criterias()->AddNew();
        far->SetName(QStringLiteral("Commandes lyonnaises"));
        addFieldToken(far->Criteria(), client, ville);

        // A set with the field, a variable bound to it, a calculated field
        // and a criterion over it.
        set = model->Domains()->AddNew();
        set->SetName(QStringLiteral("Ventes"));
        set->Fields()->AddNew()->SetName(QStringLiteral("VILLE")); // compared upper-cased
        set->Fields()->AddNew()->SetName(QStringLiteral("Nom du client"));
        TMxParam* param = set->Variables()->AddNew();
        param->SetName(QStringLiteral("Ville choisie"));
        param->SetEntry(u'F');
        param->SetTblId(client->Id());
        param->SetFldName(QStringLiteral("VILLE"));
        TMxParam* typed = set->Variables()->AddNew();
        typed->SetName(QStringLiteral("Saisie libre"));
        typed->SetEntry(u'S');
        typed->SetTblId(client->Id());
        typed->SetFldName(QStringLiteral("VILLE"));
        TMxQueryField* calculated = set->CalcFields()->AddNew();
        calculated->SetName(QStringLiteral("Adresse"));
        addFieldToken(calculated->FormulaList(), client, ville);
        addFieldToken(set->Criteria(), client, ville);
    }

    TMxTable* client = nullptr;
    TMxTable* commande = nullptr;
    TDmField* nom = nullptr;
    TDmField* ville = nullptr;
    TMxDomain* set = nullptr;
    TMxFormula* keptToken = nullptr;
};

TEST_F(AdminReread, ADroppedColumnIsPurgedFromEveryReferenceWithOneLineEach)
{
    Sql(QStringLiteral("ALTER TABLE CLIENT DROP COLUMN VILLE"));
    // What the administrator changed on surviving fields: the full name
    // stays, the rest is read again.
    nom->SetIdx(3);
    nom->SetSize(1);
    nom->SetLongType(QStringLiteral("MEMO"));
    Field(client, QStringLiteral("NUMERO"))->SetIdx(0);

    AnalyseTable(model.get(), client);

    const QStringList expected = {
        QString(),
        QStringLiteral("Début analyse de la table 'CLIENT'"),
        QStringLiteral("Suppression du champ 'Ville' de l'entité 'Clients'."),
        QStringLiteral("Suppression du champ 'Ville' de l'entité 'Clients de Lyon'."),
        QStringLiteral("Suppression du champ 'Ville' de la formule 'A Lyon'"),
        QString(),
        QStringLiteral("Fin analyse de la table 'CLIENT'"),
        QStringLiteral("Suppression du champ 'Ville' de la formule 'Commandes lyonnaises'"),
        QStringLiteral("Suppression du champ 'Ville' de l'ensemble 'Ventes'"),
        QStringLiteral("Suppression du champ 'VILLE' du paramètre 'Ville choisie'"),
        QStringLiteral("Suppression du champ 'Ville' de la formule 'Ventes'"),
        QStringLiteral("Suppression du champ 'Ville' de la formule 'Adresse'"),
    };
    EXPECT_EQ(ReportLines(model.get()), expected);

    EXPECT_EQ(Field(client, QStringLiteral("VILLE")), nullptr);
    EXPECT_EQ(client->Fields()->Count(), 3);
    ASSERT_EQ(Field(client, QStringLiteral("NOM")), nom);
    EXPECT_EQ(nom->FullName(), QStringLiteral("Nom du client"));
    EXPECT_EQ(nom->Idx(), 0);
    EXPECT_EQ(nom->Size(), 30);
    EXPECT_EQ(nom->LongType(), QStringLiteral("ALPHA"));
    EXPECT_EQ(nom->ShortType(), QChar(u'A'));
    EXPECT_EQ(Field(client, QStringLiteral("NUMERO"))->Idx(), 1);

    // Every entity entry resolves; the purged tokens stay, emptied.
    for (int e = 0; e < client->Entities()->Count(); ++e) {
        TMxEntity* entity = client->Entities()->Items(e);
        for (int i = 0; i < entity->WFields()->Count(); ++i)
            EXPECT_NE(entity->GetField(i), nullptr) << entity->Name().toStdString();
    }
    EXPECT_EQ(client->Entities()->Items(0)->WFields()->Count(), 3);
    EXPECT_EQ(client->Entities()->Items(1)->WFields()->Count(), 1);
    TMxFormulaList* criterion = client->Entities()->Items(1)->Criterias()->Items(0)->Criteria();
    ASSERT_EQ(criterion->Count(), 2);
    TMxFormula* emptied = criterion->Items(0);
    EXPECT_EQ(emptied->Operator(), foField);
    EXPECT_EQ(emptied->FieldTblId(), 0);
    EXPECT_EQ(emptied->FieldStepId(), 0);
    EXPECT_TRUE(emptied->FieldName().isEmpty());
    EXPECT_TRUE(emptied->FieldFullName().isEmpty());
    EXPECT_EQ(keptToken->FieldName(), QStringLiteral("NOM"));
    EXPECT_EQ(keptToken->FieldTblId(), client->Id());

    ASSERT_EQ(set->Fields()->Count(), 1);
    EXPECT_EQ(set->Fields()->Items(0)->Name(), QStringLiteral("Nom du client"));
    EXPECT_EQ(set->Variables()->Items(0)->TblId(), 0);
    EXPECT_TRUE(set->Variables()->Items(0)->FldName().isEmpty());
    // A parameter that is not bound to a field keeps its values.
    EXPECT_EQ(set->Variables()->Items(1)->FldName(), QStringLiteral("VILLE"));
    EXPECT_EQ(set->Variables()->Items(1)->TblId(), client->Id());
    EXPECT_TRUE(set->CalcFields()->Items(0)->FormulaList()->Items(0)->FieldName().isEmpty());
    EXPECT_TRUE(set->Criteria()->Items(0)->FieldName().isEmpty());

    // A second analysis finds nothing more to purge.
    const int before = model->Report()->Count();
    AnalyseTable(model.get(), client);
    EXPECT_EQ(ReportLines(model.get(), before),
        QStringList({QString(), QStringLiteral("Début analyse de la table 'CLIENT'"), QString(),
            QStringLiteral("Fin analyse de la table 'CLIENT'")}));
}

TEST_F(AdminReread, AddedColumnsJoinTheTableAndRemovedOnesGoToTheList)
{
    Sql(QStringLiteral("ALTER TABLE CLIENT ADD COLUMN PAYS VARCHAR(15)"));
    Sql(QStringLiteral("ALTER TABLE CLIENT DROP COLUMN TEL"));
    TItemPtr<TDmFieldList> removed(new TDmFieldList(nullptr));
    TStrings log;
    RefreshFromDatabase(client, QStringLiteral("ignored"), QStringLiteral("ignored"), &log, removed.get());
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(client->Name(), QStringLiteral("CLIENT"));
    EXPECT_EQ(client->Database(), m_db);
    TDmField* pays = Field(client, QStringLiteral("PAYS"));
    ASSERT_NE(pays, nullptr);
    EXPECT_EQ(pays->FullName(), QStringLiteral("PAYS"));
    EXPECT_EQ(GetTypeText(pays), QStringLiteral("A15"));
    ASSERT_EQ(removed->Count(), 1);
    const auto* tel = static_cast<const TDmField*>(removed->Items(0));
    EXPECT_EQ(tel->Name(), QStringLiteral("TEL"));
    EXPECT_EQ(tel->Id(), client->Id());
    EXPECT_EQ(tel->Size(), 12);
    EXPECT_EQ(Field(client, QStringLiteral("TEL")), nullptr);
}

TEST_F(AdminReread, AColumnWhoseSpellingChangedIsANewFieldNotASecondOne)
{
    // SQLite names are case-blind: the column "Ville" is what VILLE became.
    Sql(QStringLiteral("ALTER TABLE CLIENT RENAME COLUMN VILLE TO Ville"));
    AnalyseTable(model.get(), client);
    QStringList names;
    for (int i = 0; i < client->Fields()->Count(); ++i)
        names << client->Fields()->Items(i)->Name();
    EXPECT_EQ(names, QStringList({QStringLiteral("NUMERO"), QStringLiteral("NOM"), QStringLiteral("TEL"), QStringLiteral("Ville")}));
    // The old field's references went with it, each told.
    EXPECT_TRUE(ReportLines(model.get()).contains(QStringLiteral("Suppression du champ 'Ville' de l'entité 'Clients'.")));
    EXPECT_EQ(set->Variables()->Items(0)->FldName(), QString());
}

TEST_F(AdminReread, ASetKeepsAFullNameThatAnotherFieldStillBears)
{
    // The order's city bears the full name the client's had.
    TDmField* delivery = new TDmField(commande->Fields());
    delivery->SetName(QStringLiteral("VILLE_LIVRAISON"));
    delivery->SetFullName(QStringLiteral("Ville"));
    Sql(QStringLiteral("ALTER TABLE COMMANDE ADD COLUMN VILLE_LIVRAISON VARCHAR(20)"));
    Sql(QStringLiteral("ALTER TABLE CLIENT DROP COLUMN VILLE"));
    AnalyseTable(model.get(), client);
    EXPECT_EQ(set->Fields()->Count(), 2);
    EXPECT_FALSE(ReportLines(model.get()).contains(QStringLiteral("Suppression du champ 'Ville' de l'ensemble 'Ventes'")));
    // What named the client's field precisely went all the same.
    EXPECT_TRUE(set->Variables()->Items(0)->FldName().isEmpty());
    EXPECT_EQ(client->Entities()->Items(1)->WFields()->Count(), 1);
}

TEST_F(AdminReread, ATableTheDriverCannotOpenIsReportedAndTheAnalysisGoesOn)
{
    TMxTable* lost = MakeTable(model.get(), 9, QStringLiteral("DISPARUE"), {{"X", "NUMBER"}}, m_db);
    Sql(QStringLiteral("ALTER TABLE CLIENT DROP COLUMN TEL"));
    model->Tables()->Exchange(0, model->Tables()->IndexOf(lost));
    AnalyseTables(model.get());
    const QStringList lines = ReportLines(model.get());
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.mid(0, 4), QStringList({QString(), QStringLiteral("Début analyse des tables."), QString(),
                                   QStringLiteral("Début analyse de la table 'DISPARUE'")}));
    EXPECT_TRUE(lines.contains(QStringLiteral("Analyse de la table DISPARUE impossible")));
    EXPECT_EQ(lost->Fields()->Count(), 1); // nothing changed
    EXPECT_EQ(Field(client, QStringLiteral("TEL")), nullptr);
    EXPECT_EQ(lines.mid(lines.size() - 2), QStringList({QString(), QStringLiteral("Fin analyse des tables.")}));
}

TEST_F(AdminReread, AFailingStepStillClosesTheReport)
{
    // A driver class that cannot be made: InitDbEngine raises.
    ShutdownEngine();
    SetCommandLineArguments({QStringLiteral("-dbeng"), QStringLiteral("NONE")});
    ResetStartParams();
    EXPECT_NE(mxtest::FailureOf([&] { AnalyseTables(model.get()); }), QStringLiteral("<no error>"));
    EXPECT_EQ(ReportLines(model.get()), QStringList({QString(), QStringLiteral("Début analyse des tables."), QString(),
                                            QStringLiteral("Fin analyse des tables."), QString()}));
}

TEST_F(AdminTables, BuildDatabaseListNamesAliasesUpperCasedAndKeepsFolders)
{
    WriteAliases(QStringLiteral("[Ventes]\nTYPE=SQLITE\nPATH=%1\nUSERNAME=marie\nPASSWORD=s3cret\n").arg(m_db));
    MakeTable(model.get(), 1, QStringLiteral("CLIENT"), {{"NUMERO", "NUMBER", 1}}, QStringLiteral("Ventes"));
    MakeTable(model.get(), 2, QStringLiteral("COMMANDE"), {{"NUMCDE", "NUMBER", 1}}, QStringLiteral("ventes"));
    MakeTable(model.get(), 3, QStringLiteral("T1"), {{"A", "NUMBER"}}, QStringLiteral("/Data/Mixed/"));
    MakeTable(model.get(), 4, QStringLiteral("T2"), {{"A", "NUMBER"}}, QStringLiteral("/Data/Mixed"));
    MakeTable(model.get(), 5, QStringLiteral("T3"), {{"A", "NUMBER"}}, QStringLiteral("C:\\Bases\\"));
    model->Databases()->Clear();
    EXPECT_EQ(BuildDatabaseList(model.get()), 3);
    TMxDatabaseList* items = model->Databases();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Items(0)->Name(), QStringLiteral("VENTES"));
    EXPECT_EQ(items->Items(0)->DriverName(), QStringLiteral("SQLITE"));
    EXPECT_EQ(items->Items(0)->UserName(), QStringLiteral("marie"));
    EXPECT_EQ(items->Items(0)->Password(), QStringLiteral("s3cret"));
    EXPECT_EQ(items->Items(1)->Name(), QStringLiteral("/Data/Mixed"));
    EXPECT_EQ(items->Items(2)->Name(), QStringLiteral("C:\\Bases"));
    for (int i = 1; i < 3; ++i)
        EXPECT_TRUE(items->Items(i)->DriverName().isEmpty()) << i;
    EXPECT_EQ(BuildDatabaseList(model.get()), 0);

    // A folder item loses its driver and keeps its credentials.
    TMxDatabaseItem* folder = items->Items(1);
    folder->SetDriverName(QStringLiteral("STANDARD"));
    folder->SetUserName(QStringLiteral("u"));
    ReadFromDriver(folder);
    EXPECT_TRUE(folder->DriverName().isEmpty());
    EXPECT_EQ(folder->UserName(), QStringLiteral("u"));
}

} // namespace
