#include "querystep.h"

#include "query.h"
#include "stepreport.h"

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driver.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/settings/global.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

namespace mx {

static void describeStep(ClassBuilder<TMxQueryStep>& c)
{
    using S = TMxQueryStep;
    c.boolean(QStringLiteral("DistinctSelect"), &S::DistinctSelect, &S::SetDistinctSelect);
    c.object(QStringLiteral("Entities"), &S::Entities);
    c.object(QStringLiteral("Destinations"), &S::Destinations);
    c.object(QStringLiteral("SQLJoins"), &S::SQLJoins);
    // The report and the criterion are streamed by the step itself
    // (ReadItems, WriteItems), in this order, right after SQLJoins: a report
    // record the engine cannot read is kept as it stands.
    c.object(QStringLiteral("QuickReport"), &S::QuickReport).storedIf([](const S*) { return false; });
    c.object(QStringLiteral("StepCriteria"), &S::StepCriteria).storedIf([](const S*) { return false; });
}
MX_DEFINE_CLASS(TMxQueryStep, TMxItem, describeStep)

MX_DEFINE_CLASS(TMxQueryStepList, TMxList, [](ClassBuilder<TMxQueryStepList>& c) { c.items<TMxQueryStep>(); })

// A step reads its report and its criteria after its lists (ReadItems).
static const bool kStepRecordsKnown = [] {
    TMxReader::AllowRecordAfterLists(TNullStepReport::staticClass().name);
    TMxReader::AllowRecordAfterLists(TMxFormulaList::staticClass().name);
    return true;
}();

TMxQueryStep::TMxQueryStep(TMxItem* owner)
    : TMxItem(owner)
    , m_sql(std::make_unique<TConcatStringList>())
    , m_stepCriteriaSql(std::make_unique<TConcatStringList>())
{
    try {
        m_report = CreateStepReport(this);
        TDestinationList* types = DestinationTypes();
        m_destinations.reset(types ? types->CreateQueryDestinations(this) : new TQueryDestinationList(this));
        // The dialect a step starts with; preparation sets the real one.
        TDbEngDatasourceList* list = nullptr;
        if (TMxQuery* query = GetQuery())
            list = query->DatasourceList();
        else
            list = Datasources();
        if (TDbEngDatasource* d = list ? list->FindDatasource(QString()) : nullptr) {
            d->GetSyntaxProperties(m_syntax);
            m_syntaxName = d->Name();
        } else {
            m_syntax = DatasourceSyntax(QString());
            m_syntaxName = QString::fromLatin1(kStandardDatasource);
        }
        m_sqlJoins.reset(new TMxSqlJoinList(this));
        m_entities.reset(new TMxQueryEntityList(this));
        m_allFields.reset(new TMxQueryFieldList(this));
        m_allFields->SetOwnsItems(false);
        m_stepCriteria.reset(new TMxFormulaList(this));
        m_selectedFields.reset(new TMxQueryFieldList(this));
    } catch (...) {
        BeforeDestruction();
        throw;
    }
}

TMxQueryStep::~TMxQueryStep()
{
    BeforeDestruction();
}

void TMxQueryStep::BeforeDestruction()
{
    FreeDataset();
    m_tables.clear();
    m_linkPairs.clear();
    m_databases.clear();
    m_entityCriteria.clear();
    m_extraFilters.clear();
    // each pointer is cleared before its item is freed
    m_sqlJoins.reset();
    m_selectedFields.reset();
    m_entities.reset();
    m_allFields.reset();
    m_stepCriteria.reset();
    m_destinations.reset();
    m_model.reset();
    m_report.reset();
}

void TMxQueryStep::SetDistinctSelect(bool value)
{
    if (value == m_distinctSelect)
        return;
    m_distinctSelect = value;
    Change();
}

QString TMxQueryStep::GetName() const
{
    const QString name = TMxItem::GetName();
    return name.isEmpty() ? TranslateFmt(QStringLiteral("Etape %d"), {Id()}) : name;
}

TMxQuery* TMxQueryStep::GetQuery() const
{
    TMxList* list = OwnerList();
    return list ? item_cast<TMxQuery>(list->Owner()) : nullptr;
}

void TMxQueryStep::SetDataModel(TMxDataModel* model)
{
    if (model == m_model.get())
        return;
    m_tables.clear();
    m_linkPairs.clear();
    m_databases.clear();
    m_entityCriteria.clear();
    m_extraFilters.clear();
    if (m_selectedFields)
        m_selectedFields->Clear();
    m_model.reset(model); // the new one in place before the old one goes
    // the step's fields now read the tables of this model
    if (m_model) {
        EnsureResultTables();
        auto tableOf = [this](int id) -> TMxTable* { return id == 0 ? m_model->CalcTable() : m_model->Tables()->FindById(id); };
        for (TMxItem* item : *m_allFields) {
            auto* f = static_cast<TMxQueryField*>(item);
            f->BindTables(tableOf(f->TableId()), tableOf(f->QueryTableId()));
        }
    } else {
        for (TMxItem* item : *m_allFields)
            static_cast<TMxQueryField*>(item)->BindTables(nullptr, nullptr);
    }
}

void TMxQueryStep::SetDataset(TIMxDataset* dataset)
{
    if (dataset == m_dataset)
        return;
    FreeDataset();
    m_dataset = dataset;
    // The result goes by its step's name (the report runtime asks for it so).
    if (dataset && dataset->GetName().isEmpty())
        dataset->SetName(GetName());
}

void TMxQueryStep::FreeDataset()
{
    TIMxDataset* dataset = std::exchange(m_dataset, nullptr);
    if (!dataset)
        return;
    if (TIMxDriver* driver = DbEngine()) {
        try {
            driver->FreeDataset(dataset);
        } catch (...) {
        }
    } else {
        dataset->Free();
    }
}

void TMxQueryStep::AddTable(TMxTable* table)
{
    if (!table)
        return;
    for (const TMxTable* t : m_tables)
        if (t->Id() == table->Id())
            return;
    m_tables.push_back(table);
}

// ---- fields -------------------------------------------------------------

void TMxQueryStep::rebuildAllFields()
{
    m_allFields->Clear();
    for (TMxItem* e : *m_entities)
        for (TMxItem* f : *static_cast<TMxQueryEntity*>(e))
            m_allFields->AddItem(f);
}

TMxQueryEntity* TMxQueryStep::findOrMakeEntity(TMxEntity* entity)
{
    if (entity) {
        if (TMxQueryEntity* found = m_entities->FindByName(entity->Name(), Qt::CaseSensitive))
            if (found->Id() != -1)
                return found;
        TMxQueryEntity* made = m_entities->AddNew();
        made->SetName(entity->Name());
        return made;
    }
    if (TMxQueryEntity* found = m_entities->FindById(-1))
        return found;
    auto* made = new TMxQueryEntity(m_entities.get());
    made->SetId(-1);
    made->SetName(Translate(QStringLiteral("Autres champs")));
    m_entities->NotifyAdd(made);
    return made;
}

namespace {
int tableIdOf(const TMxField* field)
{
    if (auto* qf = dynamic_cast<const TMxQueryField*>(field))
        return qf->GetTable() ? qf->GetTable()->Id() : qf->TableId();
    return field->GetTable() ? field->GetTable()->Id() : field->GetTableId();
}
} // namespace

void TMxQueryStep::addOneField(TMxQueryEntity* stepEntity, TMxField* field)
{
    const int tableId = tableIdOf(field);
    for (TMxItem* item : *stepEntity) {
        auto* f = static_cast<TMxQueryField*>(item);
        if (tableIdOf(f) == tableId && f->Name() == field->Name())
            return;
    }
    TItemPtr<TMxQueryField> qf(new TMxQueryField(stepEntity));
    if (auto* source = dynamic_cast<TMxQueryField*>(field)) {
        qf->Assign(source);
    } else {
        TMxTable* table = field->GetTable();
        qf->BindTables(table, table);
        qf->SetTableId(table ? table->Id() : 0);
        qf->SetQueryTableId(table ? table->Id() : 0);
        qf->ReadsTableField(field);
    }
    qf->SetChecked(true);
    qf->SetStepId(Id());
    stepEntity->NotifyAdd(qf.release()); // its entity owns it
}

void TMxQueryStep::AddFields(TMxEntity* entity, TMxField* field)
{
    if (!field && !entity)
        return;
    BeginUpdate();
    try {
        std::vector<TMxField*> fields;
        if (field) {
            fields.push_back(field);
        } else {
            for (int i = 0; i < entity->WFields()->Count(); ++i)
                if (TMxField* f = entity->GetField(i))
                    fields.push_back(f);
        }
        TMxQueryEntity* stepEntity = nullptr;
        for (TMxField* f : fields) {
            // looked up again for each field: an entity may be removed
            // between two additions by an observer
            stepEntity = findOrMakeEntity(entity);
            if (!field)
                stepEntity->BeginUpdate();
            try {
                addOneField(stepEntity, f);
            } catch (...) {
                if (!field)
                    stepEntity->EndUpdate();
                throw;
            }
            if (!field)
                stepEntity->EndUpdate();
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TMxQueryStep::DestinationOptionEnabled() const
{
    if (!HasCap(m_syntax.Capabilities, scCreateViews))
        return false;
    bool anyTotal = false;
    for (TMxItem* f : *m_allFields)
        if (!static_cast<TMxQueryField*>(f)->Total().isEmpty())
            anyTotal = true;
    if (anyTotal && !HasCap(m_syntax.Capabilities, scAgregateViews))
        return false;
    const TMxUser* user = m_model ? m_model->CurrentUser() : nullptr;
    return user && user->HasRight(urCreateViews) && !user->ViewPrefix().isEmpty();
}

void TMxQueryStep::SetSQLSyntax(const QString& name)
{
    TMxQuery* query = GetQuery();
    TDbEngDatasourceList* list = query ? query->DatasourceList() : Datasources();
    TDbEngDatasource* d = list ? list->FindDatasource(name) : nullptr;
    if (!d && list)
        d = list->FindDatasource(QString::fromLatin1(kStandardDatasource));
    if (!d)
        throw EMxInternal(TranslateFmt(QStringLiteral("Default driver not found : %s"), {QString::fromLatin1(kStandardDatasource)}));
    d->GetSyntaxProperties(m_syntax);
    m_syntaxName = d->Name();
}

bool TMxQueryStep::isRunMode() const
{
    const TMxQuery* query = GetQuery();
    return query && query->ParamMode() == TParamMode::Run;
}

// ---- streaming ----------------------------------------------------------

void TMxQueryStep::ReadItems(TMxReader& reader)
{
    const QString criteriaClass = TMxFormulaList::staticClass().name;
    // An end marker reads as an empty name.
    if (!reader.PeekStr().isEmpty() && reader.PeekStr() != criteriaClass)
        ReadStepReport(reader, m_report.get());
    if (reader.PeekStr() == criteriaClass)
        reader.ReadObject(m_stepCriteria.get());
    rebuildAllFields();
}

void TMxQueryStep::WriteItems(TMxWriter& writer)
{
    WriteStepReport(writer, m_report.get());
    writer.WriteObject(m_stepCriteria.get());
}

void TMxQueryStep::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* s = dynamic_cast<const TMxQueryStep*>(source);
    if (!s || s == this)
        return;
    SetDistinctSelect(s->m_distinctSelect);
    m_entities->Assign(s->Entities());
    m_destinations->Assign(s->Destinations());
    m_sqlJoins->Assign(s->SQLJoins());
    CopyStepReport(s->QuickReport(), m_report.get());
    m_stepCriteria->Assign(s->StepCriteria());
    rebuildAllFields();
}

} // namespace mx
