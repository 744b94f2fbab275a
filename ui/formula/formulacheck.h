#pragma once
// The checks of the formula editor, as plain functions over a token list:
// a field's filter against the allowed operator pairs, and a criterion by
// parentheses, parity and precedence. Neither shows anything; the verdict
// is returned.

#include "engine/core/sqlsyntax.h"
#include "engine/core/types.h"

#include <QChar>
#include <QString>

#include <functional>

namespace mx {

class TFilterCheckList;
class TMxFormula;
class TMxFormulaList;

// The six value types in the order of the parameter types: their letters
// (@ A D L N T) and translated names ("Date Heure", "Chaîne"...).
QChar TypeLetterAt(int index); // "A" outside 0..5
int TypeIndexOf(QChar letter); // -1 for any other letter
// The translated name of a type letter; empty for an unknown letter.
QString ParamTypeName(QChar letter);

struct TFormulaVerdict {
    bool ok = true;
    // The text for the verdict label; with keepLabel the label stays as it is.
    QString message;
    bool keepLabel = false;
};

// Operands, value operands (which give a constant their type), logical
// operators and comparisons, as the checks class them.
bool IsOperand(TOperator op);
bool IsValueOperand(TOperator op);
bool IsLogical(TOperator op);
bool IsComparison(TOperator op);

// A constant as SQL: FormatSQLValue with the constant's type letter (A when
// none), so that a value the run could not write is refused here. Raises
// EMxException with the reason.
void CheckConstantSQL(const TMxFormula& token, const TSQLSyntaxProperties& syntax);

// A field's filter: it begins with a comparison, every neighbouring pair is
// allowed (operands, system variables and Vide count as class 0), it ends
// with an operand, and each constant is a value of its type. textOf gives
// the display text of token i, for the message of a refused pair.
TFormulaVerdict CheckFilter(const TMxFormulaList& tokens, const TFilterCheckList& checks,
    const std::function<QString(int)>& textOf, const TSQLSyntaxProperties& syntax = {});

// A criterion: balanced parentheses, then each group reduced operator by
// operator (comparisons first, then Et, then Ou) down to one operand. A
// constant next to a value operand takes that operand's type (typeOf) and
// must convert to it; the constant's LongTypeId is changed in place.
TFormulaVerdict CheckCriterion(TMxFormulaList& tokens, const std::function<QChar(const TMxFormula*)>& typeOf,
    const TSQLSyntaxProperties& syntax = {});

} // namespace mx
