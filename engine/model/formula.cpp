#include "formula.h"

#include "storevalue.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/tools/values.h"

#include <array>

namespace mx {

QString OperatorShortName(TOperator op)
{
    static const std::array<const char*, 25> names = {"CONST", "VAR", "SYSV", "FIELD", "AND", "OR", "NOT", "+", "-",
        "*", "/", "=", "START", "END", "CONT", "BLANK", "(", ")", "<", "<=", ">", ">=", "COUNT", "SUM", "AVERAGE"};
    const int i = int(op);
    return (i >= 0 && i < int(names.size())) ? QString::fromLatin1(names[size_t(i)]) : QString();
}

static void describeFormula(ClassBuilder<TMxFormula>& c)
{
    c.string(QStringLiteral("FunctionName"), &TMxFormula::FunctionName, &TMxFormula::SetFunctionName);
    c.enumeration(QStringLiteral("Operator"), OperatorInfo(), &TMxFormula::Operator, &TMxFormula::SetOperator);
    c.integer(QStringLiteral("DomId"), &TMxFormula::DomId, &TMxFormula::SetDomId);
    c.integer(QStringLiteral("VarId"), &TMxFormula::VarId, &TMxFormula::SetVarId);
    c.integer(QStringLiteral("FieldTblId"), &TMxFormula::FieldTblId, &TMxFormula::SetFieldTblId);
    c.string(QStringLiteral("FieldName"), &TMxFormula::FieldName, &TMxFormula::SetFieldName);
    c.integer(QStringLiteral("FieldStepId"), &TMxFormula::FieldStepId, &TMxFormula::SetFieldStepId);
    c.string(QStringLiteral("FieldFullName"), &TMxFormula::FieldFullName, &TMxFormula::SetFieldFullName);
    c.character(
        QStringLiteral("LongTypeId"), [](const TMxFormula* f) { return qint64(f->LongTypeId().unicode()); },
        [](TMxFormula* f, qint64 v) { f->SetLongTypeId(QChar(char16_t(v))); });
}
MX_DEFINE_CLASS(TMxFormula, TMxItem, describeFormula)

TMxFormula::TMxFormula(TMxItem* owner) : TMxItem(owner) {}

void TMxFormula::SetFunctionName(const QString& value)
{
    if (StoreIfChanged(m_functionName, value))
        Change();
}
void TMxFormula::SetOperator(TOperator value)
{
    if (StoreIfChanged(m_operator, value))
        Change();
}
void TMxFormula::SetDomId(int value)
{
    if (StoreIfChanged(m_domId, value))
        Change();
}
void TMxFormula::SetVarId(int value)
{
    if (StoreIfChanged(m_varId, value))
        Change();
}
void TMxFormula::SetFieldTblId(int value)
{
    if (StoreIfChanged(m_fieldTblId, value))
        Change();
}
void TMxFormula::SetFieldName(const QString& value)
{
    if (StoreIfChanged(m_fieldName, value))
        Change();
}
void TMxFormula::SetFieldStepId(int value)
{
    if (StoreIfChanged(m_fieldStepId, value))
        Change();
}
void TMxFormula::SetFieldFullName(const QString& value)
{
    if (StoreIfChanged(m_fieldFullName, value))
        Change();
}
void TMxFormula::SetLongTypeId(QChar value)
{
    if (StoreIfChanged(m_longTypeId, value))
        Change();
}

void TMxFormula::CheckConstant() const
{
    CheckValueType(m_longTypeId.isNull() ? QString() : QString(m_longTypeId), m_fieldName, QStringLiteral("La constante %s doit être %s"));
}

QString TMxFormula::GetDebugText() const
{
    return QStringLiteral("TMxFormula : Type=") + OperatorShortName(m_operator) + QStringLiteral(" Var=") + QString::number(m_varId)
        + QStringLiteral(" Nom=") + m_fieldFullName + QStringLiteral(" LongType=") + (m_longTypeId.isNull() ? QString() : QString(m_longTypeId));
}

void TMxFormula::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* f = dynamic_cast<const TMxFormula*>(source)) {
        SetFunctionName(f->m_functionName);
        SetOperator(f->m_operator);
        SetDomId(f->m_domId);
        SetVarId(f->m_varId);
        SetFieldTblId(f->m_fieldTblId);
        SetFieldName(f->m_fieldName);
        SetFieldStepId(f->m_fieldStepId);
        SetFieldFullName(f->m_fieldFullName);
        SetLongTypeId(f->m_longTypeId);
    }
}

static void describeFormulaList(ClassBuilder<TMxFormulaList>& c)
{
    c.items<TMxFormula>();
    c.string(QStringLiteral("Line"), &TMxFormulaList::Line, &TMxFormulaList::SetLine);
}
MX_DEFINE_CLASS(TMxFormulaList, TMxList, describeFormulaList)

void TMxFormulaList::SetLine(const QString& value)
{
    if (value == m_line)
        return;
    m_line = value;
    Change();
}

void TMxFormulaList::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (auto* l = dynamic_cast<const TMxFormulaList*>(source))
        SetLine(l->m_line);
    TMxList::Assign(source);
}

} // namespace mx
