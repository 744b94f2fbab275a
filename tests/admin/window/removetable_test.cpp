// Removing a table from the diagram's popup: every reference to the table
// and its fields goes with it (links, set fields, field tokens of other
// tables' entities and of the sets, field-bound variables, its database
// item when no other table uses it), logged in the model's report, and the
// model saved and opened again holds none of them.

#include "windowtest.h"

#include "engine/core/strings.h"
#include "engine/model/database.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"

#include "engine/admin/adminmodel.h"

#include <QDialog>

#include <QMenu>

namespace admintest {
namespace {

using mx::admin::TfmDataModel;
using mxtest::SampleModel;

constexpr int kStockId = 7;

void addFieldToken(mx::TMxFormulaList* list, const char* name, const char* fullName, int tableId)
{
    mx::TMxFormula* f = list->AddNew();
    f->SetOperator(mx::foField);
    f->SetFieldName(QString::fromUtf8(name));
    f->SetFieldFullName(QString::fromUtf8(fullName));
    f->SetFieldTblId(tableId);
}

// The sample, with references to CLIENT from elsewhere and a STOCK table
// alone on its own database.
QString writeModel(const QString& file)
{
    mx::TItemPtr<mx::TMxDataModel> m(mxtest::MakeSampleModel());
    mx::TMxTable* commande = m->Tables()->FindById(SampleModel::CommandeId);
    mx::TMxEntityCriteria* big = commande->Entities()->Items(0)->Criterias()->AddNew();
    big->SetName(QStringLiteral("Commandes des Dupont"));
    addFieldToken(big->Criteria(), "NOM", "Nom", SampleModel::ClientId);
    mx::TMxDomain* sales = m->Domains()->FindById(SampleModel::SalesSetId);
    mx::TMxParam* city = sales->Variables()->AddNew();
    city->SetName(QStringLiteral("Ville choisie"));
    city->SetEntry(u'F');
    city->SetFldName(QStringLiteral("VILLE"));
    city->SetTblId(SampleModel::ClientId);
    addFieldToken(sales->Criteria(), "VILLE", "Ville", SampleModel::ClientId);
    sales->Fields()->AddNew()->SetName(QStringLiteral("Ville"));
    mxtest::AddModelTable(m.get(), kStockId, QStringLiteral("STOCK"), QStringLiteral("Stock"), QStringLiteral("ENTREPOT"),
        {{"REF", "A", "Référence"}, {"QTE", "N", "Quantité"}});
    auto* entrepot = new mx::TMxDatabaseItem(m->Databases());
    entrepot->SetId(2);
    entrepot->SetName(QStringLiteral("ENTREPOT"));
    entrepot->SetDriverName(QStringLiteral("STANDARD"));
    m->BuildAllFields();
    m->SaveToFile(file);
    return file;
}

class RemoveTable : public WindowTest {
protected:
    // Selects the table's panel, opens the popup as the diagram does and
    // chooses "Retirer", answering the question.
    void removeFromPopup(TfmDataModel* w, int tableId, int answer)
    {
        mx::TMxTable* t = w->Model()->Tables()->FindById(tableId);
        ASSERT_TRUE(t);
        mx::admin::TGraphTable* panel = w->Graph()->FindTable(t);
        ASSERT_TRUE(panel);
        w->Graph()->SetSelected(panel);
        auto* popup = w->findChild<QMenu*>(QStringLiteral("pmTable"));
        ASSERT_TRUE(popup);
        emit popup->aboutToShow();
        EXPECT_EQ(w->findChild<QAction*>(QStringLiteral("miTableName"))->text(), t->Name());
        ui().messageAnswers = {answer};
        Trigger(w, "miRemoveTable");
    }
};

TEST_F(RemoveTable, NoReferenceToTheTableOrItsFieldsOutlivesIt)
{
    const QString file = writeModel(Path(QStringLiteral("VENTES.MDD")));
    TfmDataModel* w = WindowOnSample(file);
    ASSERT_TRUE(w->Model());

    removeFromPopup(w, SampleModel::ClientId, mx::mrNo);
    EXPECT_TRUE(w->Model()->Tables()->FindById(SampleModel::ClientId)) << "No keeps the table";
    EXPECT_TRUE(ui().texts(QStringLiteral("message")).contains(QStringLiteral("Voulez-vous retirer la table Clients ?")));

    removeFromPopup(w, SampleModel::ClientId, mx::mrYes);
    removeFromPopup(w, kStockId, mx::mrYes);
    EXPECT_EQ(w->Graph()->TableCount(), 1);
    EXPECT_EQ(w->Graph()->LinkCount(), 0);
    const QStringList report = w->Model()->Report()->toStringList();
    for (const QString& line : {QStringLiteral("Retrait de la table Clients"), QStringLiteral("Retrait de la table Stock"),
             QStringLiteral("Suppression du champ 'Nom' de l'ensemble 'Ventes'"),
             QStringLiteral("Suppression du champ 'Ville' de l'ensemble 'Ventes'"),
             QStringLiteral("Suppression du champ 'VILLE' du paramètre 'Ville choisie'"),
             QStringLiteral("Suppression de la base de données 'ENTREPOT' inutilisée.")})
        EXPECT_TRUE(report.contains(line)) << line.toStdString() << "\n" << report.join(u'\n').toStdString();
    EXPECT_EQ(report.filter(QStringLiteral("Suppression du champ 'Nom' de la formule")).size(), 1)
        << report.join(u'\n').toStdString();
    EXPECT_EQ(report.filter(QStringLiteral("Suppression du champ 'Ville' de la formule")).size(), 1);
    Trigger(w, "miSave");

    // The file, opened again.
    mx::TItemPtr<mx::TMxDataModel> back(new mx::TMxDataModel(nullptr));
    back->LoadFromFile(file);
    ASSERT_EQ(back->Tables()->Count(), 1);
    mx::TMxTable* commande = back->Tables()->Items(0);
    EXPECT_EQ(commande->Id(), SampleModel::CommandeId);
    EXPECT_EQ(back->TLinks()->Count(), 0);
    ASSERT_EQ(back->Databases()->Count(), 1);
    EXPECT_EQ(back->Databases()->Items(0)->Name(), SampleModel::DefaultDatabase()) << "still used by COMMANDE";

    QStringList fullNames;
    for (int i = 0; i < commande->Fields()->Count(); ++i)
        fullNames << commande->Fields()->Items(i)->FullName().toUpper();
    const auto noTokenOfRemovedTables = [](const mx::TMxFormulaList* list, const char* where) {
        for (int i = 0; i < list->Count(); ++i) {
            const mx::TMxFormula* f = list->Items(i);
            EXPECT_TRUE(f->FieldTblId() != SampleModel::ClientId && f->FieldTblId() != kStockId)
                << where << ": " << f->FieldName().toStdString();
        }
    };
    for (int e = 0; e < commande->Entities()->Count(); ++e) {
        const mx::TMxEntity* entity = commande->Entities()->Items(e);
        for (int c = 0; c < entity->Criterias()->Count(); ++c)
            noTokenOfRemovedTables(entity->Criterias()->Items(c)->Criteria(), "entity criterion");
        noTokenOfRemovedTables(entity->Formulas(), "entity formula");
    }
    for (int d = 0; d < back->Domains()->Count(); ++d) {
        const mx::TMxDomain* set = back->Domains()->Items(d);
        SCOPED_TRACE(set->Name().toStdString());
        for (int i = 0; i < set->Fields()->Count(); ++i)
            EXPECT_TRUE(fullNames.contains(set->Fields()->Items(i)->Name().toUpper()))
                << "a set field no table bears: " << set->Fields()->Items(i)->Name().toStdString();
        noTokenOfRemovedTables(set->Criteria(), "set criterion");
        for (int i = 0; i < set->CalcFields()->Count(); ++i)
            noTokenOfRemovedTables(set->CalcFields()->Items(i)->FormulaList(), "calculated field");
        for (int i = 0; i < set->Variables()->Count(); ++i) {
            const mx::TMxParam* p = set->Variables()->Items(i);
            EXPECT_FALSE(p->Entry() == u'F' && p->TblId() == SampleModel::ClientId) << p->Name().toStdString();
        }
    }
    // The query fields the model offers come from COMMANDE alone.
    back->BuildAllFields();
    for (int i = 0; i < back->AllFields()->Count(); ++i) {
        const mx::TMxQueryField* f = back->AllFields()->Items(i);
        if (!f->Calculated()) {
            EXPECT_EQ(f->GetTable(), commande) << f->FullName().toStdString();
        }
    }
    // What COMMANDE's own set fields and formulas named stays.
    const mx::TMxDomain* sales = back->Domains()->FindById(SampleModel::SalesSetId);
    ASSERT_TRUE(sales);
    EXPECT_TRUE(sales->Fields()->FindByName(QStringLiteral("Montant")));
    EXPECT_EQ(sales->Criteria()->Items(0)->FieldName(), QStringLiteral("MONTANT"));
}

// "Analyse..." re-reads the chosen table from its database: a field the
// database no longer has leaves the table and the sets that named it.
TEST_F(RemoveTable, AnalysingATableFromThePopupDropsTheFieldsItsDatabaseLost)
{
    TfmDataModel* w = NewWindow();
    w->OpenModel(QString(), false);
    mx::TMxDataModel* m = w->Model();
    ASSERT_TRUE(m);
    mx::TMxTable* clients = mx::AddTable(m, QStringLiteral("MORVELIN"), QStringLiteral("CLIENTS"));
    ASSERT_TRUE(clients);
    auto* old = new mx::TDmField(clients->Fields());
    old->SetId(clients->Fields()->Count() + 1);
    old->SetName(QStringLiteral("ANCIEN"));
    old->SetFullName(QStringLiteral("Ancien"));
    m->Domains()->Items(0)->Fields()->AddNew()->SetName(QStringLiteral("Ancien"));
    m->SetModified(false);
    w->Graph()->Resync();
    w->Graph()->SetSelected(w->Graph()->FindTable(clients));
    emit w->findChild<QMenu*>(QStringLiteral("pmTable"))->aboutToShow();
    m_modal.Reject([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Compte rendu de l'analyse de la table"));
    });
    Trigger(w, "miAnalyseTable");
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmViewStrings")});
    EXPECT_FALSE(clients->Fields()->FindField(QStringLiteral("ANCIEN")));
    EXPECT_TRUE(clients->Fields()->FindField(QStringLiteral("NOM")));
    EXPECT_FALSE(m->Domains()->Items(0)->Fields()->FindByName(QStringLiteral("Ancien")));
    EXPECT_TRUE(m->Modified());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("sans nom* - Morvelin Administration"));
}

} // namespace
} // namespace admintest
