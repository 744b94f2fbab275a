#include "sqljoin.h"

#include "engine/model/storevalue.h"

namespace mx {

static void describeSqlJoin(ClassBuilder<TMxSqlJoin>& c)
{
    using J = TMxSqlJoin;
    c.integer(QStringLiteral("Master"), &J::Master, &J::SetMaster);
    c.integer(QStringLiteral("Detail"), &J::Detail, &J::SetDetail);
    c.boolean(QStringLiteral("LeftOuter"), &J::LeftOuter, &J::SetLeftOuter);
    c.boolean(QStringLiteral("RightOuter"), &J::RightOuter, &J::SetRightOuter);
    c.boolean(QStringLiteral("LeftValue"), &J::LeftValue, &J::SetLeftValue);
    c.boolean(QStringLiteral("RightValue"), &J::RightValue, &J::SetRightValue);
    c.string(QStringLiteral("LeftCaption"), &J::LeftCaption, &J::SetLeftCaption);
    c.string(QStringLiteral("RightCaption"), &J::RightCaption, &J::SetRightCaption);
}
MX_DEFINE_CLASS(TMxSqlJoin, TMxItem, describeSqlJoin)

TMxSqlJoin::TMxSqlJoin(TMxItem* owner) : TMxItem(owner) {}

void TMxSqlJoin::SetMaster(int value)
{
    if (StoreIfChanged(m_master, value))
        Change();
}
void TMxSqlJoin::SetDetail(int value)
{
    if (StoreIfChanged(m_detail, value))
        Change();
}
void TMxSqlJoin::SetLeftOuter(bool value)
{
    if (StoreIfChanged(m_leftOuter, value))
        Change();
}
void TMxSqlJoin::SetRightOuter(bool value)
{
    if (StoreIfChanged(m_rightOuter, value))
        Change();
}
void TMxSqlJoin::SetLeftValue(bool value)
{
    if (StoreIfChanged(m_leftValue, value))
        Change();
}
void TMxSqlJoin::SetRightValue(bool value)
{
    if (StoreIfChanged(m_rightValue, value))
        Change();
}
void TMxSqlJoin::SetLeftCaption(const QString& value)
{
    if (StoreIfChanged(m_leftCaption, value))
        Change();
}
void TMxSqlJoin::SetRightCaption(const QString& value)
{
    if (StoreIfChanged(m_rightCaption, value))
        Change();
}

QString TMxSqlJoin::JoinKind() const
{
    if (m_leftValue && m_rightValue)
        return QStringLiteral("FULL OUTER");
    if (m_leftValue)
        return QStringLiteral("LEFT OUTER");
    if (m_rightValue)
        return QStringLiteral("RIGHT OUTER");
    return {};
}

void TMxSqlJoin::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* j = dynamic_cast<const TMxSqlJoin*>(source);
    if (!j || j == this)
        return;
    SetMaster(j->m_master);
    SetDetail(j->m_detail);
    SetLeftOuter(j->m_leftOuter);
    SetRightOuter(j->m_rightOuter);
    SetLeftValue(j->m_leftValue);
    SetRightValue(j->m_rightValue);
    SetLeftCaption(j->m_leftCaption);
    SetRightCaption(j->m_rightCaption);
}

MX_DEFINE_CLASS(TMxSqlJoinList, TMxList, [](ClassBuilder<TMxSqlJoinList>& c) { c.items<TMxSqlJoin>(); })

TMxSqlJoin* TMxSqlJoinList::FindJoin(int master, int detail) const
{
    for (int i = 0; i < Count(); ++i) {
        TMxSqlJoin* j = Items(i);
        if (j->Master() == master && j->Detail() == detail)
            return j;
    }
    return nullptr;
}

bool TMxSqlJoinList::IsInnerJoin(int master, int detail) const
{
    const TMxSqlJoin* j = FindJoin(master, detail);
    return !(j && j->IsOuter());
}

} // namespace mx
