#include "entity.h"

#include "datamodel.h"
#include "domain.h"
#include "field.h"
#include "formula.h"
#include "queryfield.h"
#include "storevalue.h"
#include "table.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/itemptr.h"
#include "engine/core/userservice.h"

namespace mx {

static void describeCriteria(ClassBuilder<TMxEntityCriteria>& c)
{
    c.string(QStringLiteral("Informations"), &TMxEntityCriteria::Informations, &TMxEntityCriteria::SetInformations);
    c.object(QStringLiteral("Criteria"), &TMxEntityCriteria::Criteria);
    c.object(QStringLiteral("SQLCriteria"), &TMxEntityCriteria::SQLCriteria);
}
MX_DEFINE_CLASS(TMxEntityCriteria, TMxItem, describeCriteria)

TMxEntityCriteria::TMxEntityCriteria(TMxItem* owner)
    : TMxItem(owner), m_criteria(this), m_sqlCriteria(std::make_unique<TConcatStringList>())
{
}

TMxEntityCriteria::~TMxEntityCriteria() = default;

TMxFormulaList* TMxEntityCriteria::Criteria() const
{
    return m_criteria.get();
}

void TMxEntityCriteria::SetInformations(const QString& value)
{
    if (StoreIfChanged(m_informations, value))
        Change();
}

void TMxEntityCriteria::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* c = dynamic_cast<const TMxEntityCriteria*>(source);
    if (!c || c == this)
        return;
    SetInformations(c->m_informations);
    m_criteria->Assign(c->Criteria());
    m_sqlCriteria->Clear();
}

MX_DEFINE_CLASS(TMxEntityCriteriaList, TMxList, [](ClassBuilder<TMxEntityCriteriaList>& c) { c.items<TMxEntityCriteria>(); })

static void describeEntity(ClassBuilder<TMxEntity>& c)
{
    c.object(QStringLiteral("WFields"), &TMxEntity::WFields);
    c.object(QStringLiteral("Criterias"), &TMxEntity::Criterias);
}
MX_DEFINE_CLASS(TMxEntity, TMxItem, describeEntity)

TMxEntity::TMxEntity(TMxItem* owner) : TMxItem(owner), m_wfields(this), m_criterias(this), m_formulas(this) {}

TMxEntity::~TMxEntity() = default;

TMxFormulaList* TMxEntity::Formulas() const
{
    return m_formulas.get();
}

TMxDataModel* TMxEntity::DataModel() const
{
    for (TMxItem* o = Owner(); o; o = o->Owner())
        if (auto* model = item_cast<TMxDataModel>(o))
            return model;
    return nullptr;
}

TMxField* TMxEntity::resolve(const TMxItem* entry) const
{
    if (entry->Id() == 0) {
        TMxDataModel* model = DataModel();
        TMxDomain* domain = model ? model->CurrentDomain() : nullptr;
        return domain ? domain->CalcFields()->FindByName(entry->Name()) : nullptr;
    }
    TMxList* list = OwnerList();
    TMxItem* holder = list ? list->Owner() : nullptr;
    if (auto* table = item_cast<TMxTable>(holder))
        return table->Fields()->FindField(entry->Name());
    if (auto* model = item_cast<TMxDataModel>(holder)) {
        TMxTable* table = model->Tables()->FindById(entry->Id());
        return table ? table->Fields()->FindField(entry->Name()) : nullptr;
    }
    return nullptr;
}

TMxField* TMxEntity::GetField(int index) const
{
    QString entryName;
    try {
        const TMxItem* entry = m_wfields->Items(index);
        entryName = entry->Name();
        return resolve(entry);
    } catch (const std::exception&) {
        UserService().MessageDlg(Format(QStringLiteral("Erreur Entity.GetFied Name=%s AIndex=%d"), {entryName, index}),
            TMsgDlgType::mtError, mbOK);
        throw;
    }
}

void TMxEntity::SetField(int index, const TMxField* field)
{
    if (!field)
        throw EMxInternal(Format(QStringLiteral("No field for the entry %d of the entity %s"), {index, Name()}));
    TMxItem* entry = m_wfields->Items(index);
    entry->SetId(field->GetTableId());
    entry->SetName(field->Name());
}

void TMxEntity::AddField(TMxField* field)
{
    if (!field)
        throw EMxInternal(Format(QStringLiteral("No field to add to the entity %s"), {Name()}));
    TItemPtr<TMxItem> entry(new TMxItem(m_wfields.get()));
    SetField(m_wfields->Count() - 1, field);
    entry.release(); // its list owns it now
    m_wfields->NotifyAdd(field);
}

void TMxEntity::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* e = dynamic_cast<const TMxEntity*>(source);
    if (!e || e == this)
        return;
    m_wfields->Assign(e->WFields());
    m_criterias->Assign(e->Criterias());
}

MX_DEFINE_CLASS(TMxEntityList, TMxList, [](ClassBuilder<TMxEntityList>& c) { c.items<TMxEntity>(); })

} // namespace mx
