#include "samplemodel.h"

#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/model/user.h"

#include <array>

namespace mxtest {

using namespace mx;

TMxTable* AddModelTable(TMxDataModel* m, int id, const QString& name, const QString& fullName, const QString& database,
    std::initializer_list<std::array<const char*, 3>> fields)
{
    auto* t = new TMxTable(m->Tables());
    t->SetId(id);
    t->SetName(name);
    t->SetFullName(fullName);
    t->SetDatabase(database);
    int idx = 0;
    for (const auto& f : fields) {
        auto* field = new TDmField(t->Fields());
        field->SetId(++idx);
        field->SetIdx(idx);
        field->SetName(QString::fromUtf8(f[0]));
        field->SetShortType(QChar(QLatin1Char(f[1][0])));
        field->SetFullName(QString::fromUtf8(f[2]));
        field->SetLongType(f[1][0] == 'A' ? QStringLiteral("VARCHAR") : f[1][0] == 'D' ? QStringLiteral("DATE") : QStringLiteral("NUMERIC"));
        field->SetSize(f[1][0] == 'A' ? 40 : 0);
    }
    return t;
}

namespace {

TMxEntity* addEntity(TMxTable* t, int id, const QString& name, std::initializer_list<const char*> fieldNames)
{
    auto* e = new TMxEntity(t->Entities());
    e->SetId(id);
    e->SetName(name);
    for (const char* n : fieldNames)
        e->AddField(t->Fields()->FindField(QString::fromUtf8(n)));
    return e;
}

TMxFormula* addToken(TMxFormulaList* list, TOperator op, const QString& fieldName = {}, QChar type = {}, int tableId = 0)
{
    TMxFormula* f = list->AddNew();
    f->SetOperator(op);
    f->SetFieldName(fieldName);
    f->SetLongTypeId(type);
    f->SetFieldTblId(tableId);
    return f;
}

void addNamed(TMxList* list, const QString& name)
{
    list->AddNew()->SetName(name);
}

} // namespace

TMxDataModel* MakeSampleModel(const QString& database)
{
    auto* m = new TMxDataModel(nullptr);
    m->SetVersion(QStringLiteral("1.0"));
    m->SetDesignW(800);
    m->SetDesignH(600);

    TMxTable* client = AddModelTable(m, SampleModel::ClientId, QStringLiteral("CLIENT"), QStringLiteral("Clients"), database,
        {{"NUMCLI", "N", "Numéro client"}, {"NOM", "A", "Nom"}, {"VILLE", "A", "Ville"}, {"DATENAIS", "D", "Date de naissance"}});
    TMxTable* commande = AddModelTable(m, SampleModel::CommandeId, QStringLiteral("COMMANDE"), QStringLiteral("Commandes"), database,
        {{"NUMCDE", "N", "Numéro de commande"}, {"NUMCLI", "N", "Client de la commande"}, {"MONTANT", "N", "Montant"},
            {"DATECDE", "D", "Date de commande"}});
    client->SetDesignX(20);
    client->SetDesignY(30);
    commande->SetDesignX(300);
    commande->SetDesignY(30);

    TMxEntity* clients = addEntity(client, 1, QStringLiteral("Clients"), {"VILLE", "NOM"});
    TMxEntityCriteria* paris = clients->Criterias()->AddNew();
    paris->SetName(QStringLiteral("Clients parisiens"));
    paris->SetInformations(QStringLiteral("Les clients de Paris"));
    addToken(paris->Criteria(), foField, QStringLiteral("VILLE"), u'A', SampleModel::ClientId);
    addToken(paris->Criteria(), foEqual);
    addToken(paris->Criteria(), foConst, QStringLiteral("Paris"), u'A');
    paris->Criteria()->SetLine(QStringLiteral("Ville = Paris "));
    addEntity(commande, 2, QStringLiteral("Commandes"), {"MONTANT", "DATECDE", "NUMCDE"});

    auto* link = new TMxLink(m->TLinks());
    link->SetId(1);
    link->SetMaster(SampleModel::ClientId);
    link->SetDetail(SampleModel::CommandeId);
    link->SetLinkType(ltOneToMany);
    link->SetLeftOuter(true);
    link->SetLeftCaption(QStringLiteral("Tous les clients, même sans commande"));
    TMxFLink* pair = link->FLinks()->AddNew();
    pair->Tables()->SetMaster(SampleModel::ClientId);
    pair->Tables()->SetDetail(SampleModel::CommandeId);
    pair->Fields()->SetMasterName(QStringLiteral("NUMCLI"));
    pair->Fields()->SetDetailName(QStringLiteral("NUMCLI"));

    auto* db = new TMxDatabaseItem(m->Databases());
    db->SetId(1);
    db->SetName(database);
    db->SetDriverName(QStringLiteral("STANDARD"));
    db->SetUserName(QStringLiteral("ventes"));
    db->SetPassword(QStringLiteral("motdepasse-base"));

    // users: the default administrator gets a password; Marie sells
    TMxUser* admin = m->Users()->FindByName(QStringLiteral("Admin"));
    admin->SetPassword(QStringLiteral("secret"));
    admin->SetRights(UserRight(urCreateQueries) | UserRight(urModifyDomain) | UserRight(urCreateViews));
    admin->SetViewPrefix(QStringLiteral("ADM"));
    TMxUser* marie = m->Users()->AddNew();
    marie->SetName(QStringLiteral("Marie"));
    marie->SetPassword(QStringLiteral("Marie1"));
    marie->SetLevel(1);
    marie->SetRights(UserRight(urCreateQueries));
    TMxUserGroup* ventes = m->Groups()->AddNew();
    ventes->SetName(QStringLiteral("Ventes"));
    ventes->SetInformations(QStringLiteral("Le service des ventes"));
    addNamed(ventes->Users(), QStringLiteral("Marie"));

    // the sales set
    TMxDomain* sales = m->Domains()->AddNew();
    sales->SetId(SampleModel::SalesSetId);
    sales->SetName(QStringLiteral("Ventes"));
    sales->SetInformations(QStringLiteral("Les commandes des clients"));
    sales->SetParent(SampleModel::MainSetId);
    addNamed(sales->Groups(), QStringLiteral("Ventes"));
    addNamed(sales->Groups(), QStringLiteral("Disparus"));
    addNamed(sales->Fields(), QStringLiteral("Nom"));
    addNamed(sales->Fields(), QStringLiteral("Montant"));
    TMxParam* seuil = sales->Variables()->AddNew();
    seuil->SetName(QStringLiteral("Seuil"));
    seuil->SetParamType(ptNumeric);
    seuil->Prompt()->Add(QStringLiteral("Montant minimum"));
    TMxQueryField* ttc = sales->CalcFields()->AddNew();
    ttc->SetName(QStringLiteral("Formule 1"));
    ttc->SetFullName(QStringLiteral("Montant TTC"));
    ttc->SetCalculated(true);
    ttc->SetFieldType(u'N');
    ttc->SetFormula(QStringLiteral("((D5.MONTANT) * 1.2 )"));
    addToken(ttc->FormulaList(), foField, QStringLiteral("MONTANT"), u'N', SampleModel::CommandeId);
    addToken(ttc->FormulaList(), foMult);
    addToken(ttc->FormulaList(), foConst, QStringLiteral("1,2"), u'N');
    addToken(sales->Criteria(), foField, QStringLiteral("MONTANT"), u'N', SampleModel::CommandeId);
    addToken(sales->Criteria(), foSup);
    addToken(sales->Criteria(), foConst, QStringLiteral("100"), u'N');

    m->BuildAllFields();
    m->BuildAccessibleDomains();
    m->SetDomainById(SampleModel::MainSetId);
    return m;
}

void SaveSampleModel(const QString& fileName, const QString& database)
{
    TMxDataModel* m = MakeSampleModel(database);
    try {
        m->SaveToFile(fileName);
    } catch (...) {
        m->Free();
        throw;
    }
    m->Free();
}

} // namespace mxtest
