#include "domain.h"

#include "formula.h"
#include "param.h"
#include "queryfield.h"
#include "storevalue.h"

namespace mx {

static void describeDomain(ClassBuilder<TMxDomain>& c)
{
    c.string(QStringLiteral("Informations"), &TMxDomain::Informations, &TMxDomain::SetInformations);
    c.integer(QStringLiteral("Parent"), &TMxDomain::Parent, &TMxDomain::SetParent);
    c.object(QStringLiteral("Groups"), &TMxDomain::Groups);
    c.object(QStringLiteral("Fields"), &TMxDomain::Fields);
    c.object(QStringLiteral("Variables"), &TMxDomain::Variables);
    c.object(QStringLiteral("CalcFields"), &TMxDomain::CalcFields);
    c.object(QStringLiteral("Criteria"), &TMxDomain::Criteria);
}
MX_DEFINE_CLASS(TMxDomain, TMxItem, describeDomain)

TMxDomain::TMxDomain(TMxItem* owner)
    : TMxItem(owner)
    , m_groups(this)
    , m_fields(this)
    , m_variables(this)
    , m_calcFields(this)
    , m_criteria(this)
    , m_sqlText(std::make_unique<TConcatStringList>())
{
}

TMxDomain::~TMxDomain() = default;

TMxParamList* TMxDomain::Variables() const
{
    return m_variables.get();
}

TMxQueryFieldList* TMxDomain::CalcFields() const
{
    return m_calcFields.get();
}

TMxFormulaList* TMxDomain::Criteria() const
{
    return m_criteria.get();
}

void TMxDomain::SetInformations(const QString& value)
{
    if (StoreIfChanged(m_informations, value))
        Change();
}

void TMxDomain::SetParent(int value)
{
    if (StoreIfChanged(m_parent, value))
        Change();
}

void TMxDomain::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* d = dynamic_cast<const TMxDomain*>(source);
    if (!d || d == this)
        return;
    SetInformations(d->m_informations);
    SetParent(d->m_parent);
    m_fields->Assign(d->Fields());
    m_groups->Assign(d->Groups());
    m_variables->Assign(d->Variables());
    m_calcFields->Assign(d->CalcFields());
    m_sqlText->Assign(d->SQLText());
    m_criteria->Assign(d->Criteria());
}

MX_DEFINE_CLASS(TMxDomainList, TMxList, [](ClassBuilder<TMxDomainList>& c) { c.items<TMxDomain>(); })

} // namespace mx
