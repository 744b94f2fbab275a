#include "formulacheck.h"

#include "engine/core/exceptions.h"
#include "engine/core/translate.h"
#include "engine/global/filtercheck.h"
#include "engine/model/formula.h"
#include "engine/model/sqlvalue.h"

#include <vector>

namespace mx {

namespace {

const char16_t kLetters[] = u"@ADLNT";
const char* const kTypeNames[] = {"Date Heure", "Chaîne", "Date", "Logique", "Numérique", "Heure"};

// A token of a criterion as the reduction sees it: the list's own token
// (not owned here) and whether it stands for a reduced group.
struct TScratch {
    TMxFormula* token;
    bool reduced;
};
using TScratchList = std::vector<TScratch>;

[[noreturn]] void incoherent()
{
    throw EMxException(Translate(QStringLiteral("Expression incohérente")));
}

bool criterionOperand(const TMxFormula* t)
{
    // Vide is offered with the comparisons of criteria: it stands where an
    // operand stands ("champ = Vide"), as in filters.
    return IsOperand(t->Operator()) || t->Operator() == foBlank;
}

class TReducer {
public:
    TReducer(const std::function<QChar(const TMxFormula*)>& typeOf, const TSQLSyntaxProperties& syntax)
        : m_typeOf(typeOf), m_syntax(syntax)
    {
    }

    void ReduceGroup(TScratchList& v, int s)
    {
        int p = s;
        while (p < int(v.size()) && v[size_t(p)].token->Operator() != foClosePar) {
            if (v[size_t(p)].token->Operator() == foOpenPar) {
                ReduceGroup(v, p + 1);
                // the group behind the "(" is one token now, then its ")"
                if (p + 2 >= int(v.size()) || v[size_t(p + 2)].token->Operator() != foClosePar)
                    incoherent();
                v.erase(v.begin() + p + 2);
                v.erase(v.begin() + p);
            }
            ++p;
        }
        int e = p - 1;
        if (e < s || (e - s) % 2 != 0)
            incoherent();
        for (TOperator k : {foEqual, foInf, foSup, foEqualInf, foEqualSup, foNotEqual, foStarting, foEnding, foContaining,
                 foAnd, foOr})
            reduceKind(v, s, e, k);
        if (!v[size_t(s)].reduced)
            incoherent();
    }

private:
    void typeConstant(TScratch& constant, const TScratch& operand)
    {
        if (constant.reduced || operand.reduced || constant.token->Operator() != foConst
            || !constant.token->FunctionName().isEmpty() || !IsValueOperand(operand.token->Operator()))
            return;
        constant.token->SetLongTypeId(m_typeOf(operand.token));
        constant.token->CheckConstant();
        CheckConstantSQL(*constant.token, m_syntax);
    }

    void reduceKind(TScratchList& v, int s, int& e, TOperator k)
    {
        int p = s + 1;
        while (p < e) {
            TScratch& before = v[size_t(p - 1)];
            TScratch& at = v[size_t(p)];
            TScratch& after = v[size_t(p + 1)];
            typeConstant(before, after);
            typeConstant(after, before);
            const bool left = before.reduced || criterionOperand(before.token);
            const bool middle = !at.reduced && (IsLogical(at.token->Operator()) || IsComparison(at.token->Operator()));
            const bool right = after.reduced || criterionOperand(after.token);
            if (!left || !middle || !right)
                incoherent();
            if (at.token->Operator() == k) {
                v.erase(v.begin() + p, v.begin() + p + 2);
                v[size_t(p - 1)].reduced = true;
                e -= 2;
            } else {
                p += 2;
            }
        }
    }

    const std::function<QChar(const TMxFormula*)>& m_typeOf;
    const TSQLSyntaxProperties& m_syntax;
};

void checkParentheses(const TMxFormulaList& tokens)
{
    int depth = 0;
    for (const TMxItem* item : tokens) {
        const TOperator op = static_cast<const TMxFormula*>(item)->Operator();
        if (op == foOpenPar)
            ++depth;
        else if (op == foClosePar && --depth < 0)
            throw EMxException(Translate(QStringLiteral("Parenthésage incohérent")));
    }
    if (depth > 0)
        throw EMxException(Translate(QStringLiteral("Parenthésage incomplet")));
}

} // namespace

QChar TypeLetterAt(int index)
{
    return index >= 0 && index < 6 ? QChar(kLetters[index]) : QChar(u'A');
}

int TypeIndexOf(QChar letter)
{
    for (int i = 0; i < 6; ++i)
        if (letter == QChar(kLetters[i]))
            return i;
    return -1;
}

QString ParamTypeName(QChar letter)
{
    const int i = TypeIndexOf(letter);
    return i < 0 ? QString() : Translate(kTypeNames[i]);
}

bool IsOperand(TOperator op)
{
    return op == foConst || IsValueOperand(op);
}

bool IsValueOperand(TOperator op)
{
    return op == foVar || op == foSysVar || op == foField;
}

bool IsLogical(TOperator op)
{
    return op == foAnd || op == foOr;
}

bool IsComparison(TOperator op)
{
    switch (op) {
    case foNotEqual:
    case foEqual:
    case foStarting:
    case foEnding:
    case foContaining:
    case foInf:
    case foEqualInf:
    case foSup:
    case foEqualSup:
        return true;
    default:
        return false;
    }
}

void CheckConstantSQL(const TMxFormula& token, const TSQLSyntaxProperties& syntax)
{
    if (token.Operator() != foConst || !token.FunctionName().isEmpty())
        return;
    const QChar letter = token.LongTypeId().isNull() ? QChar(u'A') : token.LongTypeId();
    try {
        FormatSQLValue(token.FieldName(), letter, syntax);
    } catch (const Exception& e) {
        const QString type = ParamTypeName(letter);
        throw EMxException(TranslateFmt(QStringLiteral("La constante %s n'est pas une valeur de type %s : %s"),
            {token.FieldName(), type.isEmpty() ? QString(letter) : type, e.message().trimmed()}));
    }
}

TFormulaVerdict CheckFilter(const TMxFormulaList& tokens, const TFilterCheckList& checks,
    const std::function<QString(int)>& textOf, const TSQLSyntaxProperties& syntax)
{
    auto fail = [](const QString& message) { return TFormulaVerdict{false, message, false}; };
    if (tokens.Count() == 0)
        return {true, Translate(QStringLiteral("Le filtre est vide.")), false};
    auto classOf = [&](int i) {
        const TOperator op = tokens.Items(i)->Operator();
        return IsOperand(op) || op == foBlank ? foConst : op;
    };
    // Et or Ou first would join nothing: the field's first comparison is missing
    if (classOf(0) == foConst || IsLogical(classOf(0)))
        return fail(Translate(QStringLiteral("Erreur: Début de formule incorrect.")));
    for (int i = 0; i + 1 < tokens.Count(); ++i)
        if (!checks.IsAllowed(classOf(i), classOf(i + 1)))
            return fail(TranslateFmt(QStringLiteral("Erreur: l'enchaînement '%s %s' est incorrect"), {textOf(i), textOf(i + 1)}));
    if (classOf(tokens.Count() - 1) != foConst)
        return fail(Translate(QStringLiteral("Erreur: Opérande de fin de formule manquant.")));
    for (const TMxItem* item : tokens) {
        try {
            CheckConstantSQL(*static_cast<const TMxFormula*>(item), syntax);
        } catch (const Exception& e) {
            return fail(TranslateFmt(QStringLiteral("Erreur: %s"), {e.message()}));
        }
    }
    return {true, Translate(QStringLiteral("Le filtre est correct.")), false};
}

TFormulaVerdict CheckCriterion(TMxFormulaList& tokens, const std::function<QChar(const TMxFormula*)>& typeOf,
    const TSQLSyntaxProperties& syntax)
{
    if (tokens.Count() == 0)
        return {true, Translate(QStringLiteral("Filtre vide.")), false};
    try {
        TScratchList scratch;
        scratch.reserve(size_t(tokens.Count()));
        for (TMxItem* item : tokens)
            scratch.push_back({static_cast<TMxFormula*>(item), false});
        checkParentheses(tokens);
        TReducer(typeOf, syntax).ReduceGroup(scratch, 0);
        // a ")" left over ends the outer group early: "a = b ) ..." cannot
        // pass the parenthesis count, so the whole list is reduced here
        if (scratch.size() != 1)
            incoherent();
        // constants compared with constants keep their own type
        for (TMxItem* item : tokens)
            CheckConstantSQL(*static_cast<TMxFormula*>(item), syntax);
    } catch (const Exception& e) {
        return {false, TranslateFmt(QStringLiteral("Erreur: %s"), {e.message()}), false};
    }
    return {true, QString(), false};
}

} // namespace mx
