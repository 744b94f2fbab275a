#include "link.h"

#include "storevalue.h"

#include "engine/core/format.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

namespace mx {

static void describeLink(ClassBuilder<TMxLink>& c)
{
    c.integer(QStringLiteral("Master"), &TMxLink::Master, &TMxLink::SetMaster);
    c.integer(QStringLiteral("Detail"), &TMxLink::Detail, &TMxLink::SetDetail);
    c.string(QStringLiteral("MasterName"), &TMxLink::MasterName, &TMxLink::SetMasterName);
    c.string(QStringLiteral("DetailName"), &TMxLink::DetailName, &TMxLink::SetDetailName);
    c.enumeration(QStringLiteral("LinkType"), LinkTypeInfo(), &TMxLink::LinkType, &TMxLink::SetLinkType);
    c.object(QStringLiteral("FLinks"), &TMxLink::FLinks);
    c.boolean(QStringLiteral("LeftOuter"), &TMxLink::LeftOuter, &TMxLink::SetLeftOuter);
    c.boolean(QStringLiteral("LeftDefault"), &TMxLink::LeftDefault, &TMxLink::SetLeftDefault);
    c.string(QStringLiteral("LeftCaption"), &TMxLink::LeftCaption, &TMxLink::SetLeftCaption);
    c.boolean(QStringLiteral("RightOuter"), &TMxLink::RightOuter, &TMxLink::SetRightOuter);
    c.boolean(QStringLiteral("RightDefault"), &TMxLink::RightDefault, &TMxLink::SetRightDefault);
    c.string(QStringLiteral("RightCaption"), &TMxLink::RightCaption, &TMxLink::SetRightCaption);
}
MX_DEFINE_CLASS(TMxLink, TMxItem, describeLink)

TMxLink::TMxLink(TMxItem* owner) : TMxItem(owner), m_flinks(this) {}

TMxLink::~TMxLink() = default;

TMxFLinkList* TMxLink::FLinks() const
{
    return m_flinks.get();
}

void TMxLink::SetMaster(int value)
{
    if (StoreIfChanged(m_master, value))
        Change();
}
void TMxLink::SetDetail(int value)
{
    if (StoreIfChanged(m_detail, value))
        Change();
}
void TMxLink::SetMasterName(const QString& value)
{
    if (StoreIfChanged(m_masterName, value))
        Change();
}
void TMxLink::SetDetailName(const QString& value)
{
    if (StoreIfChanged(m_detailName, value))
        Change();
}
void TMxLink::SetLinkType(TLinkType value)
{
    if (StoreIfChanged(m_linkType, value))
        Change();
}
void TMxLink::SetLeftOuter(bool value)
{
    if (StoreIfChanged(m_leftOuter, value))
        Change();
}
void TMxLink::SetLeftDefault(bool value)
{
    if (StoreIfChanged(m_leftDefault, value))
        Change();
}
void TMxLink::SetLeftCaption(const QString& value)
{
    if (StoreIfChanged(m_leftCaption, value))
        Change();
}
void TMxLink::SetRightOuter(bool value)
{
    if (StoreIfChanged(m_rightOuter, value))
        Change();
}
void TMxLink::SetRightDefault(bool value)
{
    if (StoreIfChanged(m_rightDefault, value))
        Change();
}
void TMxLink::SetRightCaption(const QString& value)
{
    if (StoreIfChanged(m_rightCaption, value))
        Change();
}

QString TMxLink::GetDebugText() const
{
    return Format(QStringLiteral("TMxLink = %d(%s) %d(%s)"), {m_master, m_masterName, m_detail, m_detailName});
}

void TMxLink::Assign(const TPersistent* source)
{
    auto* l = dynamic_cast<const TMxLink*>(source);
    if (!l) {
        TMxItem::Assign(source);
        return;
    }
    if (l == this)
        return;
    SetMaster(l->m_master);
    SetMasterName(l->m_masterName);
    SetDetail(l->m_detail);
    SetDetailName(l->m_detailName);
    SetLinkType(l->m_linkType);
    m_flinks->Assign(l->FLinks());
    SetLeftOuter(l->m_leftOuter);
    SetLeftDefault(l->m_leftDefault);
    SetLeftCaption(l->m_leftCaption);
    SetRightOuter(l->m_rightOuter);
    SetRightDefault(l->m_rightDefault);
    SetRightCaption(l->m_rightCaption);
}

MX_DEFINE_CLASS(TMxFLink, TMxItem, nullptr)

TMxFLink::TMxFLink(TMxItem* owner) : TMxItem(owner), m_tables(this), m_fields(this) {}

TMxFLink::~TMxFLink() = default;

// Each record is a list holding the record's object: list begin, the
// object, list end.
void TMxFLink::WriteItems(TMxWriter& writer)
{
    for (TMxLink* record : {m_tables.get(), m_fields.get()}) {
        writer.WriteListBegin();
        writer.WriteObject(record);
        writer.WriteListEnd();
    }
}

void TMxFLink::ReadItems(TMxReader& reader)
{
    for (TMxLink* record : {m_tables.get(), m_fields.get()}) {
        if (reader.NextValue() != vaList)
            return; // a pair stored without its records keeps them empty
        reader.ReadListBegin();
        reader.ReadObject(record);
        reader.ReadListEnd(); // the record's own final marker
        reader.ReadListEnd();
    }
}

QString TMxFLink::GetDebugText() const
{
    return QStringLiteral("Tables=(") + m_tables->GetDebugText() + QStringLiteral(") Fields=(") + m_fields->GetDebugText() + u')';
}

void TMxFLink::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* f = dynamic_cast<const TMxFLink*>(source)) {
        m_tables->Assign(f->Tables());
        m_fields->Assign(f->Fields());
    }
}

MX_DEFINE_CLASS(TMxFLinkList, TMxList, [](ClassBuilder<TMxFLinkList>& c) { c.items<TMxFLink>(); })
MX_DEFINE_CLASS(TMxLinkList, TMxList, [](ClassBuilder<TMxLinkList>& c) { c.items<TMxLink>(); })

TMxLink* TMxLinkList::FindLink(int masterId, int detailId) const
{
    for (int i = 0; i < Count(); ++i) {
        TMxLink* l = Items(i);
        if (l->Master() == masterId && l->Detail() == detailId && l->MasterName().isEmpty() && l->DetailName().isEmpty())
            return l;
    }
    return nullptr;
}

bool TMxLinkList::Matches(const TMxLink* link, const TMxLink* probe)
{
    return link && probe && link->Master() == probe->Master() && link->Detail() == probe->Detail()
        && link->MasterName() == probe->MasterName() && link->DetailName() == probe->DetailName();
}

} // namespace mx
