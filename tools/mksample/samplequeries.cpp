#include "samplequeries.h"

#include "samplemodels.h"

#include "engine/core/exceptions.h"
#include "engine/destination/querydestination.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/run/queryrun.h"
#include "engine/stream/safefile.h"

#include "report/defaultreport.h"
#include "report/reportparts.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace mksample {

using namespace mx;

namespace {

using QueryPtr = std::unique_ptr<TMxQuery, void (*)(TMxQuery*)>;

QueryPtr newQuery(const QString& modelFile, const QString& name)
{
    QueryPtr q(new TMxQuery(nullptr), [](TMxQuery* p) { p->Free(); });
    auto* model = new TMxDataModel(nullptr);
    try {
        model->LoadFromFile(modelFile);
    } catch (...) {
        model->Free();
        throw;
    }
    q->SetDataModel(model, true);
    q->SetDomId(kMainSet);
    q->SetName(name);
    return q;
}

// Adds a field of a table of the step's model (a step's result table has
// the Id minus that step's Id) and returns the step's copy.
TMxQueryField* add(TMxQueryStep* step, int tableId, const QString& name)
{
    TMxTable* table = step->DataModel()->Tables()->FindById(tableId);
    if (!table)
        throw EMxInternal(QStringLiteral("Sample: no table %1").arg(tableId));
    TMxField* field = table->Fields()->FindField(name);
    if (!field)
        throw EMxInternal(QStringLiteral("Sample: no field %1 in %2").arg(name, table->Name()));
    TMxEntity* entity = table->Entities()->Count() > 0 ? table->Entities()->Items(0) : nullptr;
    step->AddFields(entity, field);
    TMxQueryFieldList* all = step->AllFields();
    for (int i = all->Count() - 1; i >= 0; --i)
        if (all->Items(i)->Name() == name && all->Items(i)->GetTable() == table)
            return all->Items(i);
    throw EMxInternal(QStringLiteral("Sample: field %1 not added").arg(name));
}

TMxQueryField* sorted(TMxQueryField* field, int rank, TSortType order = sfAscending)
{
    field->SetSortRange(rank);
    field->SetSortOrder(order);
    return field;
}

void sendTo(TMxQueryStep* step, const char* destinationType, const QString& fileName)
{
    TMxItem* d = step->Destinations()->FindByName(QString::fromLatin1(destinationType));
    if (!d)
        throw EMxInternal(QStringLiteral("Sample: no destination type %1").arg(QString::fromLatin1(destinationType)));
    static_cast<TQueryDestinationItem*>(d)->SetFileName(fileName);
}

void save(TMxQuery* query, const QString& fileName)
{
    const bool hadFile = QFile::exists(fileName);
    query->SaveToFile(fileName);
    if (hadFile)
        QFile::remove(BackupFileName(fileName));
}

QString n(const char* text)
{
    return QString::fromUtf8(text);
}

// The step's report becomes the default report of its result: the step is
// run (nothing sent) for the result's fields, as the report tabs would
// build it.
void buildDefaultReport(TMxQuery* query, TMxQueryStep* step)
{
    rpt::TQuickRep* report = rpt::StepReport(step);
    if (!report)
        throw EMxInternal(QStringLiteral("Sample: the steps have no report (report classes not registered)"));
    query->Prepare(false);
    if (ExecuteStepPhase(*step, soNone) != srDone || !step->Dataset())
        throw EMxInternal(QStringLiteral("Sample: %1 gave no result").arg(step->GetName()));
    rpt::BuildDefaultReport(*report, step->Id(), rpt::ResultColumns(*step->Dataset()));
    report->SetReportTitle(step->GetName());
    step->FreeDataset();
}

void writeSales(const QString& fileName, const QString& modelFile)
{
    QueryPtr q = newQuery(modelFile, n("Ventes par produit"));
    q->Informations()->Add(n("Les quantités vendues de chaque produit, par famille."));
    TMxQueryStep* step = q->AddStep();
    step->SetName(n("Ventes par produit"));
    sorted(add(step, tiProduits, n("FAMILLE")), 0);
    add(step, tiProduits, n("LIBELLE"));
    TMxQueryField* sold = sorted(add(step, tiLignes, n("QUANTITE")), 1, sfDescending);
    sold->SetTotal(n("sum"));
    sold->SetFullName(n("Quantité vendue"));
    sendTo(step, "Texte", n("VENTES_PAR_PRODUIT"));
    sendTo(step, "dBASE", n("VENTES_PAR_PRODUIT"));
    // The report file, beside the query.
    sendTo(step, "ReportSmith", n("VENTES_PAR_PRODUIT"));
    // printed, or written as a PDF beside the text file without a printer
    sendTo(step, "Rapport", n("VENTES_PAR_PRODUIT"));
    buildDefaultReport(q.get(), step);
    save(q.get(), fileName);
}

void writeLoyal(const QString& fileName, const QString& modelFile)
{
    QueryPtr q = newQuery(modelFile, n("Clients fidèles"));
    q->Informations()->Add(n("Les clients qui ont commandé plus de 250 articles."));
    TMxQueryStep* first = q->AddStep();
    first->SetName(n("Quantités par client"));
    add(first, tiClients, n("NUM_CLIENT"));
    add(first, tiClients, n("NOM"));
    add(first, tiClients, n("SOCIETE"));
    TMxQueryField* ordered = add(first, tiLignes, n("QUANTITE"));
    ordered->SetTotal(n("sum"));
    ordered->SetFullName(n("Quantité commandée"));
    // The table the second step reads.
    sendTo(first, "Paradox", n("QUANTITES_PAR_CLIENT"));

    TMxQueryStep* second = q->AddStep();
    second->SetName(n("Clients fidèles"));
    const int result = -first->Id();
    add(second, result, n("Nom"));
    add(second, result, n("Société"));
    TMxQueryField* best = sorted(add(second, result, n("Quantité commandée")), 0, sfDescending);
    TMxFormula* op = best->FormulaList()->AddNew();
    op->SetOperator(foSup);
    TMxFormula* value = best->FormulaList()->AddNew();
    value->SetOperator(foConst);
    value->SetFieldName(QStringLiteral("250"));
    value->SetLongTypeId(u'N');
    best->FormulaList()->SetLine(QStringLiteral("> 250 "));
    sendTo(second, "Texte", n("CLIENTS_FIDELES"));
    save(q.get(), fileName);
}

void writeClients(const QString& fileName, const QString& modelFile)
{
    QueryPtr q = newQuery(modelFile, n("Clients par ville"));
    q->Informations()->Add(n("Les clients avec leur ville, par région."));
    TMxQueryStep* step = q->AddStep();
    step->SetName(n("Clients par ville"));
    sorted(add(step, tiVilles, n("REGION")), 0);
    sorted(add(step, tiVilles, n("NOM")), 1);
    add(step, tiVilles, n("CODE_POSTAL"));
    sorted(add(step, tiClients, n("NOM")), 2);
    add(step, tiClients, n("PRENOM"));
    add(step, tiClients, n("SOCIETE"));
    add(step, tiClients, n("TELEPHONE"));
    add(step, tiClients, n("DATE_CREATION"));
    sendTo(step, "Paradox", n("CLIENTS"));
    sendTo(step, "dBASE", n("CLIENTS"));
    sendTo(step, "Texte", n("CLIENTS"));
    save(q.get(), fileName);
}

// A parameter of the query and the edit of the dialog that asks it, with
// its label on the left.
TMxParam* askDate(TMxQuery* query, int id, const QString& name, const QString& caption, const QString& initial, int top)
{
    auto* param = query->Params()->AddNew();
    param->SetId(id);
    param->SetName(name);
    param->SetParamType(ptDate);
    TMxParamControl* edit = query->ParamControls()->AddNew();
    edit->SetKind(ckEdit);
    edit->SetParamName(name);
    edit->SetCaption(caption);
    edit->SetCaptionAlign(caLeft);
    TStrings values;
    values.Add(initial);
    edit->SetValues(values);
    edit->SetDesignX(114);
    edit->SetDesignY(top);
    edit->SetDesignW(133);
    edit->SetDesignH(33);
    return param;
}

// field >= or <= the parameter, as the formula editor writes it
void compare(TMxFormulaList* criteria, int tableId, const QString& field, TOperator op, const TMxParam* param)
{
    TMxFormula* f = criteria->AddNew();
    f->SetOperator(foField);
    f->SetFieldTblId(tableId);
    f->SetFieldName(field);
    f->SetLongTypeId(u'D');
    criteria->AddNew()->SetOperator(op);
    TMxFormula* v = criteria->AddNew();
    v->SetOperator(foVar);
    v->SetVarId(param->Id());
    v->SetFieldName(param->Name());
    v->SetLongTypeId(u'D');
}

void writePeriod(const QString& fileName, const QString& modelFile)
{
    QueryPtr q = newQuery(modelFile, n("Commandes de la période"));
    q->Informations()->Add(n("Les commandes passées entre deux dates, demandées à chaque exécution."));
    TMxParam* from = askDate(q.get(), 1, n("Début"), n("Du :"), n("01/01/2023"), 18);
    TMxParam* to = askDate(q.get(), 2, n("Fin"), n("Au :"), n("31/03/2023"), 60);
    q->ParamControls()->SetDesignW(300);
    q->ParamControls()->SetDesignH(114);
    TMxQueryStep* step = q->AddStep();
    step->SetName(n("Commandes de la période"));
    sorted(add(step, tiCommandes, n("DATE_COMMANDE")), 0);
    sorted(add(step, tiCommandes, n("NUM_COMMANDE")), 1);
    add(step, tiClients, n("NOM"));
    add(step, tiClients, n("SOCIETE"));
    add(step, tiCommandes, n("STATUT"));
    TMxFormulaList* criteria = step->StepCriteria();
    compare(criteria, tiCommandes, n("DATE_COMMANDE"), foEqualSup, from);
    criteria->AddNew()->SetOperator(foAnd);
    compare(criteria, tiCommandes, n("DATE_COMMANDE"), foEqualInf, to);
    sendTo(step, "Texte", n("COMMANDES_PERIODE"));
    save(q.get(), fileName);
}

} // namespace

void WriteSampleQueries(const QString& folder, const QString& modelFile)
{
    const QDir dir(folder);
    writeSales(dir.filePath(QString::fromLatin1(kSalesQuery)), modelFile);
    writeLoyal(dir.filePath(QString::fromLatin1(kLoyalQuery)), modelFile);
    writeClients(dir.filePath(QString::fromLatin1(kClientsQuery)), modelFile);
    writePeriod(dir.filePath(QString::fromLatin1(kPeriodQuery)), modelFile);
}

void WriteBenchQuery(const QString& fileName, const QString& modelFile, const QString& resultName, bool text, bool dbase)
{
    QueryPtr q = newQuery(modelFile, n("Lignes de commande"));
    TMxQueryStep* step = q->AddStep();
    add(step, tiLignes, n("NUM_COMMANDE"));
    add(step, tiLignes, n("NUM_LIGNE"));
    add(step, tiProduits, n("LIBELLE"));
    add(step, tiProduits, n("PRIX_UNITAIRE"));
    add(step, tiLignes, n("QUANTITE"));
    add(step, tiLignes, n("REMISE"));
    if (text)
        sendTo(step, "Texte", resultName);
    if (dbase)
        sendTo(step, "dBASE", resultName);
    save(q.get(), fileName);
}

} // namespace mksample
