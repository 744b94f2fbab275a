// Preparing one step over ten linked tables with forty fields, filters and
// totals: field collection, join path and statement.

#include "engine/global/datasource.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"

#include <benchmark/benchmark.h>

using namespace mx;

namespace {

TMxDataModel* chainModel()
{
    auto* m = new TMxDataModel(nullptr);
    for (int id = 1; id <= 10; ++id) {
        auto* t = new TMxTable(m->Tables());
        t->SetId(id);
        t->SetName(QStringLiteral("TABLE%1").arg(id));
        t->SetDatabase(QStringLiteral("BASE"));
        for (const char* name : {"K", "LIBELLE", "CODE", "VALEUR"}) {
            auto* f = new TDmField(t->Fields());
            f->SetName(QString::fromLatin1(name));
            f->SetFullName(QStringLiteral("%1 %2").arg(QString::fromLatin1(name)).arg(id));
            f->SetShortType(QString::fromLatin1(name) == u"VALEUR" || QString::fromLatin1(name) == u"K" ? u'N' : u'A');
        }
        if (id > 1) {
            auto* link = new TMxLink(m->TLinks());
            link->SetMaster(id - 1);
            link->SetDetail(id);
            auto* pair = new TMxFLink(link->FLinks());
            pair->Fields()->SetMasterName(QStringLiteral("K"));
            pair->Fields()->SetDetailName(QStringLiteral("K"));
        }
    }
    m->BuildAllFields();
    return m;
}

void token(TMxFormulaList* list, TOperator op, const QString& text = {}, QChar type = u'A')
{
    TMxFormula* f = list->AddNew();
    f->SetOperator(op);
    f->SetFieldName(text);
    f->SetLongTypeId(type);
}

void BM_PrepareStep(benchmark::State& state)
{
    new TMxQueryGlobal(nullptr);
    TDbEngDatasource* d = Datasources()->AddNew();
    d->SetName(QStringLiteral("STANDARD"));
    d->SetConstantQuoter(QStringLiteral("'"));
    d->SetFieldQuoter(QStringLiteral("\""));
    d->SetSQLCapabilities(SqlCap(scQuoteTableName) | SqlCap(scPrefixSourceField) | SqlCap(scQuoteSourceField) | SqlCap(scQuoteAsField));
    auto* query = new TMxQuery(nullptr);
    query->SetDataModel(chainModel(), true);
    query->SetDomId(1);
    TMxQueryStep* step = query->AddStep();
    // the ten tables in reverse order, so that every pair takes a path
    for (int id = 10; id >= 1; --id) {
        TMxTable* t = step->DataModel()->Tables()->FindById(id);
        for (int i = 0; i < t->Fields()->Count(); ++i)
            step->AddFields(nullptr, t->Fields()->Items(i));
    }
    TMxQueryFieldList* fields = step->AllFields();
    for (int i = 0; i < fields->Count(); ++i) {
        TMxQueryField* f = fields->Items(i);
        if (f->Name() == u"VALEUR")
            f->SetTotal(QStringLiteral("sum"));
        if (f->Name() == u"CODE") {
            token(f->FormulaList(), foConst, QStringLiteral("A%1").arg(i));
            token(f->FormulaList(), foOr);
            token(f->FormulaList(), foConst, QStringLiteral("B%1").arg(i));
        }
        if (f->Name() == u"LIBELLE")
            f->SetSortRange(i);
    }
    {
        TParamModeScope mode(query, TParamMode::Run);
        for (auto _ : state) {
            step->PrepareStep();
            benchmark::DoNotOptimize(step->SQL()->Count());
        }
        state.counters["lines"] = step->SQL()->Count();
        state.counters["pairs"] = double(step->LinkPairs().size());
    }
    query->Free();
    ShutdownEngine();
}
BENCHMARK(BM_PrepareStep)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
