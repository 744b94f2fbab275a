// The formula editor in each of its kinds over the bundled sample, and the
// sort and result options dialogs of the sample's steps.

#include "shots.h"

#include "engine/core/hookslot.h"
#include "engine/core/translate.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/tools/hooks.h"

#include "query/dialogs/fmextdest.h"
#include "query/dialogs/fmsortfields.h"
#include "ui/controls/entityoutline.h"
#include "ui/formula/fmformula.h"

#include <QListWidget>
#include <QTabWidget>
#include <QTreeView>

#include <memory>

namespace mx::shots {
namespace {

using QueryPtr = std::unique_ptr<TMxQuery, void (*)(TMxQuery*)>;
using ListPtr = std::unique_ptr<TMxFormulaList, void (*)(TMxFormulaList*)>;

QueryPtr loadQuery(TShots& shots, const char* name)
{
    QueryPtr q(new TMxQuery(nullptr), [](TMxQuery* p) { p->Free(); });
    q->LoadFromFile(shots.Sample(QString::fromLatin1(name)));
    q->Prepare(true);
    return q;
}

ListPtr newList()
{
    return ListPtr(new TMxFormulaList(nullptr), [](TMxFormulaList* l) { l->Free(); });
}

TMxFormula* token(TMxFormulaList* list, TOperator op, const QString& text = {}, QChar type = u'A')
{
    TMxFormula* t = list->AddNew();
    t->SetOperator(op);
    t->SetFieldName(text);
    t->SetLongTypeId(type);
    return t;
}

TMxFormula* fieldToken(TMxFormulaList* list, const TMxField* field, int step)
{
    TMxFormula* t = token(list, foField, field->Name());
    t->SetFieldTblId(field->GetTable() ? field->GetTable()->Id() : 0);
    t->SetFieldFullName(field->FullName());
    t->SetFieldStepId(step);
    return t;
}

void shoot(TShots& shots, TFormulaSession& session, const QString& caption, const char* kind)
{
    ui::TfmFormula form(session, caption);
    if (auto* tokens = form.findChild<QListWidget*>(QStringLiteral("lbFormula")))
        tokens->setCurrentRow(tokens->count() - 1);
    auto* olFields = form.findChild<ui::TEntityOutline*>(QStringLiteral("olFields"));
    if (olFields && olFields->model()->rowCount() > 1)
        olFields->expand(olFields->model()->index(1, 0));
    shots.Save(&form, QStringLiteral("fmFormula-") + QString::fromLatin1(kind), form.width(), form.height());
}

void shootFormulas(TShots& shots)
{
    // the designer has a parameter editor: its pictures show the column
    ScopedHook params(ParamsEditorHook, [](const QString&, TMxDataModel*, TMxParamControlList*, TMxParamList*) {});
    QueryPtr loyal = loadQuery(shots, "CLIENTS_FIDELES.MQR");
    TMxQueryStep* second = loyal->Steps()->Items(loyal->Steps()->Count() - 1);
    TMxQueryField* best = second->AllFields()->FindByFullName(QStringLiteral("Quantité commandée"));
    if (!best) {
        shots.Fail(QStringLiteral("fmFormula"), QStringLiteral("no field Quantité commandée in the loyal customers' query"));
        return;
    }
    {
        TFormulaSession s(ftFilter, best->FormulaList(), loyal->DataModel(), best, second->Id(), loyal.get());
        shoot(shots, s, TranslateFmt(QStringLiteral("Filtre du champ %s"), {best->FullName()}), "filter");
    }
    {
        // a calculated field: the quantity in dozens
        TMxQueryField calc(nullptr);
        calc.SetName(QStringLiteral("Douzaines"));
        calc.SetFullName(QStringLiteral("Douzaines"));
        calc.SetCalculated(true);
        calc.SetFieldType(u'N');
        ListPtr tokens = newList();
        fieldToken(tokens.get(), best, second->Id());
        token(tokens.get(), foDiv);
        token(tokens.get(), foConst, QStringLiteral("12"), u'N');
        TFormulaSession s(ftFormula, tokens.get(), loyal->DataModel(), &calc, second->Id(), loyal.get());
        shoot(shots, s, TranslateFmt(QStringLiteral("Formule du champ %s"), {calc.FullName()}), "formula");
    }
    {
        TMxQueryStep* first = loyal->Steps()->Items(0);
        TMxTable* clients = first->DataModel()->Tables()->FindByName(QStringLiteral("CLIENTS"));
        TMxField* company = clients ? clients->Fields()->FindField(QStringLiteral("SOCIETE")) : nullptr;
        TMxField* name = clients ? clients->Fields()->FindField(QStringLiteral("NOM")) : nullptr;
        if (!company || !name) {
            shots.Fail(QStringLiteral("fmFormula-step"), QStringLiteral("no CLIENTS.SOCIETE or CLIENTS.NOM"));
            return;
        }
        ListPtr tokens = newList();
        fieldToken(tokens.get(), company, first->Id());
        token(tokens.get(), foNotEqual);
        token(tokens.get(), foBlank);
        token(tokens.get(), foOr);
        fieldToken(tokens.get(), name, first->Id());
        token(tokens.get(), foStarting);
        token(tokens.get(), foConst, QStringLiteral("D"));
        TFormulaSession s(ftEntityFilter, tokens.get(), first->DataModel(), nullptr, first->Id(), loyal.get());
        shoot(shots, s, Translate(QStringLiteral("Critère de l'étape")), "step");
    }
}

// The administration program: no query and no parameter editor.
void shootCriteria(TShots& shots)
{
    std::unique_ptr<TMxDataModel, void (*)(TMxDataModel*)> model(new TMxDataModel(nullptr), [](TMxDataModel* m) { m->Free(); });
    model->LoadFromFile(shots.Sample(QStringLiteral("EXEMPLE.MDD")));
    TMxDomain* region = nullptr;
    for (int i = 0; i < model->Domains()->Count() && !region; ++i)
        if (model->Domains()->Items(i)->Criteria()->Count() > 0)
            region = model->Domains()->Items(i);
    if (region) {
        TFormulaSession s(ftEntityFilter, region->Criteria(), model.get(), nullptr, 0, nullptr);
        shoot(shots, s, Translate(QStringLiteral("Critère de l'ensemble")), "set");
    } else {
        shots.Fail(QStringLiteral("fmFormula-set"), QStringLiteral("no set with a criterion in the sample model"));
    }
    TMxTable* cities = model->Tables()->FindByName(QStringLiteral("VILLES"));
    TMxField* postcode = cities ? cities->Fields()->FindField(QStringLiteral("CODE_POSTAL")) : nullptr;
    if (!postcode) {
        shots.Fail(QStringLiteral("fmFormula-entity"), QStringLiteral("no VILLES.CODE_POSTAL in the sample model"));
        return;
    }
    ListPtr tokens = newList();
    fieldToken(tokens.get(), postcode, 0);
    token(tokens.get(), foStarting);
    token(tokens.get(), foConst, QStringLiteral("75"));
    TFormulaSession s(ftEntityFilter, tokens.get(), model.get(), nullptr, 0, nullptr);
    shoot(shots, s, Translate(QStringLiteral("Critère de l'entité")), "entity");
}

void shootSortAndOptions(TShots& shots)
{
    QueryPtr sales = loadQuery(shots, "VENTES_PAR_PRODUIT.MQR");
    {
        TfmSortFields form(sales->Steps()->Items(0));
        shots.Save(&form, QStringLiteral("fmSortFields"), form.width(), form.height());
        form.Editor().Restore();
    }
    QueryPtr clients = loadQuery(shots, "CLIENTS.MQR");
    TfmExtDest form(clients->Steps()->Items(0));
    shots.Save(&form, QStringLiteral("fmExtDest"), form.width(), form.height());
    if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("nbPages")))
        pages->setCurrentIndex(1);
    shots.Save(&form, QStringLiteral("fmExtDest-options"), form.width(), form.height());
    form.Editor().Cancel();
}

} // namespace

void ShootFormula(TShots& shots)
{
    shootFormulas(shots);
    shootCriteria(shots);
    shootSortAndOptions(shots);
}

} // namespace mx::shots
