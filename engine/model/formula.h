#pragma once
// Formula tokens and token lists: criteria, filters and calculated fields
// as the formula editor builds them.

#include "engine/core/list.h"
#include "engine/core/types.h"

namespace mx {

// The short name of an operator ("CONST", "+", "START"...), written in
// debug texts and for operators without an SQL form of their own.
QString OperatorShortName(TOperator op);

class TMxFormula : public TMxItem {
    MX_CLASS(TMxFormula)
public:
    explicit TMxFormula(TMxItem* owner);

    const QString& FunctionName() const { return m_functionName; }
    void SetFunctionName(const QString& value);
    TOperator Operator() const { return m_operator; }
    void SetOperator(TOperator value);
    int DomId() const { return m_domId; }
    void SetDomId(int value);
    int VarId() const { return m_varId; }
    void SetVarId(int value);
    int FieldTblId() const { return m_fieldTblId; }
    void SetFieldTblId(int value);
    // The field's name; a constant's text; a system variable's name.
    const QString& FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& value);
    int FieldStepId() const { return m_fieldStepId; }
    void SetFieldStepId(int value);
    const QString& FieldFullName() const { return m_fieldFullName; }
    void SetFieldFullName(const QString& value);
    QChar LongTypeId() const { return m_longTypeId; }
    void SetLongTypeId(QChar value);

    // A "D" constant must be a date, an "N" constant a number; raises
    // EMxAbort "La constante %s doit être %s" otherwise.
    void CheckConstant() const;

    QString GetDebugText() const override;
    void Assign(const TPersistent* source) override;

private:
    QString m_functionName;
    TOperator m_operator = foConst;
    int m_domId = 0;
    int m_varId = 0;
    int m_fieldTblId = 0;
    QString m_fieldName;
    int m_fieldStepId = 0;
    QString m_fieldFullName;
    QChar m_longTypeId;
};

class TMxFormulaList : public TMxTypedList<TMxFormula> {
    MX_CLASS(TMxFormulaList)
public:
    using TMxTypedList::TMxTypedList;

    // The formula as display text, built by the formula editor.
    const QString& Line() const { return m_line; }
    void SetLine(const QString& value);

    void Assign(const TPersistent* source) override;

private:
    QString m_line;
};

} // namespace mx
