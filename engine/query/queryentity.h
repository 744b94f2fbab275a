#pragma once
// An entity of the data model placed in a query step: the step's fields of
// that entity, and the entity criterion chosen for it.

#include "engine/core/itemptr.h"
#include "engine/model/queryfield.h"

namespace mx {

class TMxEntity;
class TMxEntityCriteria;
class TMxQueryStep;

class TMxQueryEntity : public TMxQueryFieldList {
    MX_CLASS(TMxQueryEntity)
public:
    explicit TMxQueryEntity(TMxItem* owner);
    ~TMxQueryEntity() override;

    // The step whose entity list holds this entity; none when it has none.
    TMxQueryStep* Step() const;

    // The data model entity it was made from, looked up by name in the
    // step's model (its entity view, then the tables' entities); none for
    // the entity of fields without a table.
    TMxEntity* DataModelEntity() const;

    // The chosen criterion: a copy the entity keeps, so that it outlives a
    // rebuilt entity view. None for no criterion. Setting notifies a change
    // only when the choice differs (by Id, name and criterion text).
    TMxEntityCriteria* SourceItem() const { return m_criteria.get(); }
    void SetSourceItem(const TMxEntityCriteria* criteria);

    // A query field added to or removed from the entity also joins or
    // leaves the step's list of all fields.
    void NotifyAdd(TMxItem* item) override;
    void NotifyRemove(TMxItem* item) override;
    // Two fields swap places; the step's list of all fields follows.
    void Exchange(int i, int j) override;
    // The inherited removal; an entity left empty (and not being destroyed)
    // then frees itself, once every notification is over: a caller must not
    // use the entity after removing its last field.
    void Remove(TMxItem* item) override;

    void Assign(const TPersistent* source) override;

private:
    TItemPtr<TMxEntityCriteria> m_criteria;
};

class TMxQueryEntityList : public TMxTypedList<TMxQueryEntity> {
    MX_CLASS(TMxQueryEntityList)
public:
    using TMxTypedList::TMxTypedList;
    TMxQueryEntity* GetItem(int index) const { return Items(index); }
    // Two entities swap places; the step's list of all fields follows.
    void Exchange(int i, int j) override;
};

} // namespace mx
