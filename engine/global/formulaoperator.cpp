#include "formulaoperator.h"

#include "engine/settings/global.h"

namespace mx {

static void describeFormulaOperator(ClassBuilder<TFormulaOperator>& c)
{
    c.enumeration(QStringLiteral("OpType"), FormulaTypeInfo(), &TFormulaOperator::OpType, &TFormulaOperator::SetOpType);
    c.enumeration(QStringLiteral("Operator"), OperatorInfo(), &TFormulaOperator::Operator, &TFormulaOperator::SetOperator);
}

static void describeFormulaOperatorList(ClassBuilder<TFormulaOperatorList>& c)
{
    c.items<TFormulaOperator>();
}

MX_DEFINE_CLASS(TFormulaOperator, TMxItem, describeFormulaOperator)
MX_DEFINE_CLASS(TFormulaOperatorList, TMxList, describeFormulaOperatorList)

TFormulaOperator::TFormulaOperator(TMxItem* owner) : TMxItem(owner) {}

void TFormulaOperator::SetOpType(TFormulaType value)
{
    if (value == m_opType)
        return;
    m_opType = value;
    Change();
}

void TFormulaOperator::SetOperator(TOperator value)
{
    if (value == m_operator)
        return;
    m_operator = value;
    Change();
}

QString TFormulaOperator::GetDisplayName() const
{
    const QString name = GetName();
    if (!name.isEmpty() && name.front().isLetter())
        return Translate(name);
    return name;
}

void TFormulaOperator::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* s = dynamic_cast<const TFormulaOperator*>(source)) {
        SetOpType(s->OpType());
        SetOperator(s->Operator());
    }
}

TFormulaOperatorList::TFormulaOperatorList(TMxItem* owner) : TMxTypedList<TFormulaOperator>(owner) {}

TFormulaOperator* TFormulaOperatorList::FindOperator(TFormulaType opType, TOperator op) const
{
    for (int i = 0; i < Count(); ++i) {
        TFormulaOperator* item = Items(i);
        if (item->OpType() == opType && item->Operator() == op)
            return item;
    }
    return nullptr;
}

} // namespace mx
