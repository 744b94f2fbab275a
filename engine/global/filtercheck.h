#pragma once
// The operator pairs a filter may hold one after the other (FILCHECK.MXF).
// Operands and BLANK count as foConst.

#include "engine/core/list.h"
#include "engine/core/types.h"

namespace mx {

class TFilterCheckItem : public TMxItem {
    MX_CLASS(TFilterCheckItem)
public:
    explicit TFilterCheckItem(TMxItem* owner = nullptr);

    TOperator Op1() const { return m_op1; }
    void SetOp1(TOperator value);
    TOperator Op2() const { return m_op2; }
    void SetOp2(TOperator value);

    void Assign(const TPersistent* source) override;

private:
    TOperator m_op1 = foConst;
    TOperator m_op2 = foConst;
};

class TFilterCheckList : public TMxTypedList<TFilterCheckItem> {
    MX_CLASS(TFilterCheckList)
public:
    explicit TFilterCheckList(TMxItem* owner = nullptr);
    // True when an item holds exactly this pair.
    bool IsAllowed(TOperator op1, TOperator op2) const;
};

} // namespace mx
