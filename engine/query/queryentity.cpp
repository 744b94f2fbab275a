#include "queryentity.h"

#include "querystep.h"

#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/table.h"

namespace mx {

MX_DEFINE_CLASS(TMxQueryEntity, TMxQueryFieldList, [](ClassBuilder<TMxQueryEntity>& c) { c.items<TMxQueryField>(); })

MX_DEFINE_CLASS(TMxQueryEntityList, TMxList, [](ClassBuilder<TMxQueryEntityList>& c) { c.items<TMxQueryEntity>(); })

TMxQueryEntity::TMxQueryEntity(TMxItem* owner) : TMxQueryFieldList(owner) {}

TMxQueryEntity::~TMxQueryEntity() = default;

TMxQueryStep* TMxQueryEntity::Step() const
{
    TMxList* list = OwnerList();
    return list ? item_cast<TMxQueryStep>(list->Owner()) : nullptr;
}

TMxEntity* TMxQueryEntity::DataModelEntity() const
{
    if (Id() == -1)
        return nullptr;
    TMxQueryStep* step = Step();
    TMxDataModel* model = step ? step->DataModel() : nullptr;
    if (!model)
        return nullptr;
    if (auto* e = static_cast<TMxEntity*>(model->DomainEntities()->FindByName(Name(), Qt::CaseSensitive)))
        return e;
    for (TMxItem* t : *model->Tables())
        if (auto* e = static_cast<TMxEntity*>(static_cast<TMxTable*>(t)->Entities()->FindByName(Name(), Qt::CaseSensitive)))
            return e;
    return nullptr;
}

namespace {
bool sameCriteria(const TMxEntityCriteria* a, const TMxEntityCriteria* b)
{
    if (!a || !b)
        return a == b;
    return a->Id() == b->Id() && a->Name() == b->Name() && a->Criteria()->Line() == b->Criteria()->Line()
        && a->Criteria()->Count() == b->Criteria()->Count();
}
} // namespace

void TMxQueryEntity::SetSourceItem(const TMxEntityCriteria* criteria)
{
    if (sameCriteria(m_criteria.get(), criteria))
        return;
    if (criteria) {
        TItemPtr<TMxEntityCriteria> copy(new TMxEntityCriteria(nullptr));
        copy->Assign(criteria);
        m_criteria = std::move(copy);
    } else {
        m_criteria.reset();
    }
    Change();
}

void TMxQueryEntity::NotifyAdd(TMxItem* item)
{
    if (auto* field = item_cast<TMxQueryField>(item))
        if (TMxQueryStep* step = Step())
            step->AllFields()->AddUnique(field);
    TMxQueryFieldList::NotifyAdd(item);
}

void TMxQueryEntity::NotifyRemove(TMxItem* item)
{
    if (auto* field = item_cast<TMxQueryField>(item))
        if (TMxQueryStep* step = Step()) {
            TMxQueryFieldList* all = step->AllFields();
            if (all->IndexOf(field) >= 0)
                all->Remove(field);
        }
    TMxQueryFieldList::NotifyRemove(item);
}

void TMxQueryEntity::Remove(TMxItem* item)
{
    TMxQueryFieldList::Remove(item);
    if (Count() == 0 && !HasState(stDestroying) && !HasState(stLoading) && OwnerList())
        Free();
}

void TMxQueryEntity::Exchange(int i, int j)
{
    TMxQueryFieldList::Exchange(i, j);
    if (TMxQueryStep* step = Step())
        step->ReorderAllFields();
}

void TMxQueryEntityList::Exchange(int i, int j)
{
    TMxList::Exchange(i, j);
    if (auto* step = dynamic_cast<TMxQueryStep*>(Owner()))
        step->ReorderAllFields();
}

void TMxQueryEntity::Assign(const TPersistent* source)
{
    TMxQueryFieldList::Assign(source);
    if (auto* e = dynamic_cast<const TMxQueryEntity*>(source))
        SetSourceItem(e->SourceItem());
}

} // namespace mx
