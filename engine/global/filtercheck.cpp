#include "filtercheck.h"

namespace mx {

static void describeFilterCheckItem(ClassBuilder<TFilterCheckItem>& c)
{
    c.enumeration(QStringLiteral("Op1"), OperatorInfo(), &TFilterCheckItem::Op1, &TFilterCheckItem::SetOp1);
    c.enumeration(QStringLiteral("Op2"), OperatorInfo(), &TFilterCheckItem::Op2, &TFilterCheckItem::SetOp2);
}

static void describeFilterCheckList(ClassBuilder<TFilterCheckList>& c)
{
    c.items<TFilterCheckItem>();
}

MX_DEFINE_CLASS(TFilterCheckItem, TMxItem, describeFilterCheckItem)
MX_DEFINE_CLASS(TFilterCheckList, TMxList, describeFilterCheckList)

TFilterCheckItem::TFilterCheckItem(TMxItem* owner) : TMxItem(owner) {}

void TFilterCheckItem::SetOp1(TOperator value)
{
    if (value == m_op1)
        return;
    m_op1 = value;
    Change();
}

void TFilterCheckItem::SetOp2(TOperator value)
{
    if (value == m_op2)
        return;
    m_op2 = value;
    Change();
}

void TFilterCheckItem::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* s = dynamic_cast<const TFilterCheckItem*>(source)) {
        SetOp1(s->Op1());
        SetOp2(s->Op2());
    }
}

TFilterCheckList::TFilterCheckList(TMxItem* owner) : TMxTypedList<TFilterCheckItem>(owner) {}

bool TFilterCheckList::IsAllowed(TOperator op1, TOperator op2) const
{
    for (int i = 0; i < Count(); ++i) {
        const TFilterCheckItem* item = Items(i);
        if (item->Op1() == op1 && item->Op2() == op2)
            return true;
    }
    return false;
}

} // namespace mx
