#pragma once
// The operators the formula editor offers in each of its modes (OPER.MXF).

#include "engine/core/list.h"
#include "engine/core/types.h"

namespace mx {

class TFormulaOperator : public TMxItem {
    MX_CLASS(TFormulaOperator)
public:
    explicit TFormulaOperator(TMxItem* owner = nullptr);

    TFormulaType OpType() const { return m_opType; }
    void SetOpType(TFormulaType value);
    TOperator Operator() const { return m_operator; }
    void SetOperator(TOperator value);

    // The text shown: the name, translated when it begins with a letter;
    // operator symbols stay as they are. (Name itself is what is stored.)
    QString GetDisplayName() const override;

    void Assign(const TPersistent* source) override;

private:
    TFormulaType m_opType = ftFormula;
    TOperator m_operator = foConst;
};

class TFormulaOperatorList : public TMxTypedList<TFormulaOperator> {
    MX_CLASS(TFormulaOperatorList)
public:
    explicit TFormulaOperatorList(TMxItem* owner = nullptr);
    // The first item with both values; none.
    TFormulaOperator* FindOperator(TFormulaType opType, TOperator op) const;
    TFormulaOperator* GetOperator(int index) const { return Items(index); }
};

} // namespace mx
