#include "samplemodels.h"

#include "sampledatabase.h"

#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/stream/safefile.h"

#include <QFile>

#include <array>

namespace mksample {

using namespace mx;

namespace {

struct FieldDef {
    const char* name;
    char type;      // the field type letter
    const char* longType;
    int size;
    const char* fullName;
};

// The first "keys" fields make the table's primary key: their Idx is their
// place in the key (1, 2...), every other field's is 0.
TMxTable* addTable(TMxDataModel* m, int id, const char* name, const char* entity, int x, int y,
    std::initializer_list<FieldDef> fields, int keys = 1)
{
    auto* t = new TMxTable(m->Tables());
    t->SetId(id);
    t->SetName(QString::fromLatin1(name));
    t->SetFullName(QString::fromUtf8(entity));
    t->SetDatabase(QString::fromLatin1(kAlias));
    t->SetDesignX(x);
    t->SetDesignY(y);
    int idx = 0;
    for (const FieldDef& f : fields) {
        auto* field = new TDmField(t->Fields());
        field->SetId(++idx);
        field->SetIdx(idx <= keys ? idx : 0);
        field->SetName(QString::fromLatin1(f.name));
        field->SetShortType(QChar(QLatin1Char(f.type)));
        field->SetLongType(QString::fromLatin1(f.longType));
        field->SetSize(f.size);
        field->SetFullName(QString::fromUtf8(f.fullName));
    }
    auto* e = new TMxEntity(t->Entities());
    e->SetId(id);
    e->SetName(QString::fromUtf8(entity));
    for (TMxItem* f : *t->Fields())
        e->AddField(static_cast<TMxField*>(f));
    return t;
}

void addLink(TMxDataModel* m, int master, int detail, const char* masterField, const char* detailField)
{
    auto* link = new TMxLink(m->TLinks());
    link->SetId(m->TLinks()->Count());
    link->SetMaster(master);
    link->SetDetail(detail);
    link->SetLinkType(ltOneToMany);
    auto* pair = new TMxFLink(link->FLinks());
    pair->Tables()->SetMaster(master);
    pair->Tables()->SetDetail(detail);
    pair->Fields()->SetMasterName(QString::fromLatin1(masterField));
    pair->Fields()->SetDetailName(QString::fromLatin1(detailField));
}

TMxFormula* addToken(TMxFormulaList* list, TOperator op, const QString& text = {}, QChar type = {}, int table = 0)
{
    TMxFormula* f = list->AddNew();
    f->SetOperator(op);
    f->SetFieldName(text);
    f->SetLongTypeId(type);
    f->SetFieldTblId(table);
    return f;
}

void addNamed(TMxList* list, const QString& name)
{
    list->AddNew()->SetName(name);
}

} // namespace

TMxDataModel* MakeModel(bool withUsers)
{
    auto* m = new TMxDataModel(nullptr);
    try {
        m->SetName(QStringLiteral("Fournitures de bureau"));
        m->SetVersion(QStringLiteral("1.0"));
        m->SetDesignW(900);
        m->SetDesignH(600);

        addTable(m, tiVilles, "VILLES", "Villes", 20, 20,
            {{"CODE_VILLE", 'N', "INTEGER", 0, "Code ville"}, {"NOM", 'A', "VARCHAR", 40, "Ville"},
                {"CODE_POSTAL", 'A', "CHAR", 5, "Code postal"}, {"REGION", 'A', "VARCHAR", 40, "Région"}});
        addTable(m, tiClients, "CLIENTS", "Clients", 250, 20,
            {{"NUM_CLIENT", 'N', "INTEGER", 0, "Numéro client"}, {"NOM", 'A', "VARCHAR", 40, "Nom"},
                {"PRENOM", 'A', "VARCHAR", 30, "Prénom"}, {"SOCIETE", 'A', "VARCHAR", 50, "Société"},
                {"CODE_VILLE", 'N', "INTEGER", 0, "Code ville du client"}, {"TELEPHONE", 'A', "VARCHAR", 20, "Téléphone"},
                {"DATE_CREATION", 'D', "DATE", 0, "Client depuis"}, {"CATEGORIE", 'A', "CHAR", 1, "Catégorie"}});
        addTable(m, tiProduits, "PRODUITS", "Produits", 480, 260,
            {{"REF_PRODUIT", 'A', "VARCHAR", 10, "Référence"}, {"LIBELLE", 'A', "VARCHAR", 60, "Libellé"},
                {"FAMILLE", 'A', "VARCHAR", 30, "Famille"}, {"PRIX_UNITAIRE", 'N', "NUMERIC", 0, "Prix unitaire"},
                {"STOCK", 'N', "INTEGER", 0, "Stock"}});
        addTable(m, tiCommandes, "COMMANDES", "Commandes", 480, 20,
            {{"NUM_COMMANDE", 'N', "INTEGER", 0, "Numéro de commande"}, {"NUM_CLIENT", 'N', "INTEGER", 0, "Client de la commande"},
                {"DATE_COMMANDE", 'D', "DATE", 0, "Date de commande"}, {"DATE_LIVRAISON", 'D', "DATE", 0, "Date de livraison"},
                {"STATUT", 'A', "VARCHAR", 12, "Statut"}, {"COMMENTAIRE", 'A', "VARCHAR", 200, "Commentaire"}});
        addTable(m, tiLignes, "LIGNES_COMMANDE", "Lignes de commande", 710, 140,
            {{"NUM_COMMANDE", 'N', "INTEGER", 0, "Commande de la ligne"}, {"NUM_LIGNE", 'N', "INTEGER", 0, "Numéro de ligne"},
                {"REF_PRODUIT", 'A', "VARCHAR", 10, "Produit commandé"}, {"QUANTITE", 'N', "INTEGER", 0, "Quantité"},
                {"REMISE", 'N', "NUMERIC", 0, "Remise"}},
            2);

        addLink(m, tiVilles, tiClients, "CODE_VILLE", "CODE_VILLE");
        addLink(m, tiClients, tiCommandes, "NUM_CLIENT", "NUM_CLIENT");
        addLink(m, tiCommandes, tiLignes, "NUM_COMMANDE", "NUM_COMMANDE");
        addLink(m, tiProduits, tiLignes, "REF_PRODUIT", "REF_PRODUIT");

        auto* db = new TMxDatabaseItem(m->Databases());
        db->SetId(1);
        db->SetName(QString::fromLatin1(kAlias));
        db->SetDriverName(QStringLiteral("STANDARD"));

        TMxDomain* main = m->Domains()->FindById(kMainSet);
        TMxDomain* region = m->Domains()->AddNew();
        region->SetId(kRegionSet);
        region->SetName(QStringLiteral("Clients d'Île-de-France"));
        region->SetInformations(QStringLiteral("Les clients d'Île-de-France, leurs commandes et leurs lignes de commande."));
        region->SetParent(kMainSet);
        for (const char* f : {"Nom", "Prénom", "Société", "Ville", "Code postal", "Région", "Numéro de commande",
                 "Date de commande", "Statut", "Libellé", "Quantité"})
            addNamed(region->Fields(), QString::fromUtf8(f));
        addToken(region->Criteria(), foField, QStringLiteral("REGION"), u'A', tiVilles);
        addToken(region->Criteria(), foEqual);
        addToken(region->Criteria(), foConst, QStringLiteral("Île-de-France"), u'A');
        region->Criteria()->SetLine(QStringLiteral("Région = Île-de-France "));

        // A new model has the administrator and its group; a model without
        // users has neither, and its sets name no group.
        m->Users()->Clear();
        m->Groups()->Clear();
        main->Groups()->Clear();
        if (withUsers) {
            TMxUser* admin = m->Users()->AddNew();
            admin->SetName(QStringLiteral("Admin"));
            admin->SetLevel(0);
            admin->SetPassword(QStringLiteral("admin"));
            admin->SetRights(UserRight(urCreateQueries) | UserRight(urModifyDomain));
            TMxUser* claire = m->Users()->AddNew();
            claire->SetName(QStringLiteral("Claire"));
            claire->SetLevel(1);
            claire->SetPassword(QStringLiteral("claire"));
            claire->SetRights(UserRight(urCreateQueries));

            TMxUserGroup* admins = m->Groups()->AddNew();
            admins->SetName(QStringLiteral("Admins"));
            admins->SetInformations(QStringLiteral("Les administrateurs du modèle"));
            addNamed(admins->Users(), QStringLiteral("Admin"));
            TMxUserGroup* sales = m->Groups()->AddNew();
            sales->SetName(QStringLiteral("Commerciaux"));
            sales->SetInformations(QStringLiteral("Les commerciaux d'Île-de-France"));
            addNamed(sales->Users(), QStringLiteral("Claire"));

            addNamed(main->Groups(), QStringLiteral("Admins"));
            addNamed(region->Groups(), QStringLiteral("Admins"));
            addNamed(region->Groups(), QStringLiteral("Commerciaux"));
        }

        m->BuildAllFields();
        m->BuildAccessibleDomains();
        m->SetDomainById(kMainSet);
    } catch (...) {
        m->Free();
        throw;
    }
    return m;
}

void SaveModel(TMxDataModel* model, const QString& fileName)
{
    const bool hadFile = QFile::exists(fileName);
    model->SaveToFile(fileName);
    // The file is made again at every build: a copy of the former one is
    // of no use beside it.
    if (hadFile)
        QFile::remove(BackupFileName(fileName));
}

} // namespace mksample
