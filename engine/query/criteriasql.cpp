// Criteria, filters and calculated fields as SQL text: the token lists of
// the formula editor rendered in the step's dialect.

#include "query.h"
#include "querystep.h"

#include "core/exceptions.h"
#include "core/format.h"
#include "model/datamodel.h"
#include "model/domain.h"
#include "model/field.h"
#include "model/formula.h"
#include "model/param.h"
#include "model/paramcontrol.h"
#include "model/sqlfunction.h"
#include "model/sqlvalue.h"
#include "model/table.h"
#include "settings/global.h"

namespace mx {

TMxField* TMxQueryStep::criteriaField(const TMxFormula* token)
{
    TMxTable* table = nullptr;
    if (m_model)
        table = token->FieldTblId() == 0 ? m_model->CalcTable() : m_model->Tables()->FindById(token->FieldTblId());
    TMxField* field = table ? table->Fields()->FindField(token->FieldName()) : nullptr;
    if (!field)
        throw EMxInternal(QStringLiteral("Field not found in domain :") + u'\r' + QStringLiteral("FieldTblId = ")
            + QString::number(token->FieldTblId()) + u'\r' + QStringLiteral("FieldName = ") + token->FieldName() + u'\r'
            + QStringLiteral("FieldStepId = ") + QString::number(token->FieldStepId()));
    if (table->Id() != 0)
        AddTable(table);
    return field;
}

namespace {

// The parameter a token names: a variable of the set of the token's DomId,
// else a parameter of the query.
TMxParam* tokenParam(const TMxFormula* token, const TMxQuery* query, const TMxDataModel* model)
{
    if (token->DomId() != 0) {
        const TMxDomain* domain = model ? model->Domains()->FindById(token->DomId()) : nullptr;
        return domain ? domain->Variables()->FindById(token->VarId()) : nullptr;
    }
    return query ? query->Params()->FindById(token->VarId()) : nullptr;
}

// The values chosen for a parameter in the query's dialog. A parameter the
// dialog never asks for raises: the user was never asked.
QStringList chosenValues(const TMxParam* param, const TMxQuery* query)
{
    const TMxParamControl* control = query ? query->ParamControls()->FindByParamName(param->Name()) : nullptr;
    if (!control)
        throw EMxAbort(TranslateFmt(QStringLiteral("Le paramètre %s n'est demandé par aucun contrôle de la boîte de dialogue des paramètres."),
            {param->Name()}));
    return control->LoadedValues()->toStringList();
}

QChar letterOf(const TMxFormula* token)
{
    const QChar c = token->LongTypeId();
    return c.isNull() ? QChar(u'A') : c;
}

// The comparison a criterion has been given and not yet written: it is
// written with its right operand, which lets a parameter of several values
// choose the form of the comparison.
struct TPending {
    enum Kind { None, Equal, NotEqual, Like, Other } kind = None;
    QString text; // as it is written before a single operand
    QString keyword;
    QString prefix; // LIKE patterns
    QString suffix;
};

} // namespace

void TMxQueryStep::CriteriaToSQL(TMxQueryField* field, TMxFormulaList* formula, bool render, TConcatStringList* text)
{
    text->Clear();
    if (!formula)
        return;
    if (!render) {
        for (TMxItem* item : *formula) {
            auto* token = static_cast<TMxFormula*>(item);
            if (token->Operator() == foField)
                criteriaField(token);
        }
        return;
    }

    TMxQuery* query = GetQuery();
    const bool run = isRunMode();
    const QString fieldExpr = field ? field->GetSqlExpression(m_syntax) : QString();
    bool open = true;
    bool valueWritten = false;
    bool operatorGiven = false;
    bool anything = false;
    TPending pending;
    QString leftOperand = fieldExpr; // what a pending comparison applies to

    auto put = [&](const QString& piece) {
        text->AppendText(piece);
        anything = true;
    };
    auto flush = [&] {
        if (pending.kind != TPending::None)
            put(pending.text);
        pending = TPending();
    };
    // The value of an operand; after a LIKE always a text, the value
    // quoted alone and the pattern's "%" put inside the quotes.
    auto sqlValue = [&](const QString& value, QChar letter) {
        if (pending.kind != TPending::Like)
            return FormatSQLValue(value, letter, m_syntax);
        const QString quoted = FormatSQLValue(value, u'A', m_syntax);
        const QString q = m_syntax.ConstantQuoter.isEmpty() ? QStringLiteral("'") : m_syntax.ConstantQuoter;
        if (quoted.size() >= 2 * q.size() && quoted.startsWith(q) && quoted.endsWith(q))
            return q + pending.prefix + quoted.mid(q.size(), quoted.size() - 2 * q.size()) + pending.suffix + q;
        return FormatSQLValue(pending.prefix + value + pending.suffix, u'A', m_syntax);
    };
    // One or more values as the right side of the comparison.
    auto writeValues = [&](const QStringList& values, const QString& paramName) {
        if (values.isEmpty()) {
            // an unanswered parameter restricts nothing
            pending = TPending();
            put(QStringLiteral(" LIKE ") + FormatSQLValue(QStringLiteral("%"), u'A', m_syntax) + u')');
        } else if (values.size() == 1) {
            if (pending.kind != TPending::None)
                put(pending.text);
            else if (field && !operatorGiven)
                put(QStringLiteral("="));
            put(values.first() + u')');
        } else {
            switch (pending.kind) {
            case TPending::None:
            case TPending::Equal:
                put(QStringLiteral(" in (") + values.join(QStringLiteral(", ")) + QStringLiteral("))"));
                break;
            case TPending::NotEqual:
                put(QStringLiteral(" NOT IN (") + values.join(QStringLiteral(", ")) + QStringLiteral("))"));
                break;
            case TPending::Like: {
                if (leftOperand.isEmpty())
                    throw EMxAbort(TranslateFmt(QStringLiteral("Le paramètre %s a plusieurs valeurs : il doit suivre un champ."), {paramName}));
                QString s = QStringLiteral(" LIKE ") + values.first();
                for (int i = 1; i < values.size(); ++i)
                    s += QStringLiteral(" OR ") + leftOperand + QStringLiteral(" LIKE ") + values[i];
                put(s + u')');
                break;
            }
            case TPending::Other:
                throw EMxAbort(TranslateFmt(QStringLiteral("Le paramètre %s a plusieurs valeurs : il ne peut pas suivre l'opérateur %s."),
                    {paramName, pending.keyword}));
            }
        }
        pending = TPending();
        operatorGiven = false;
        valueWritten = true;
    };

    for (TMxItem* item : *formula) {
        auto* token = static_cast<TMxFormula*>(item);
        const TOperator op = token->Operator();
        const bool isLike = op == foStarting || op == foEnding || op == foContaining;
        bool blank = !isLike;
        if (open && field) {
            put(fieldExpr);
            open = false;
        }
        switch (op) {
        case foConst:
            writeValues({sqlValue(token->FieldName(), letterOf(token))}, QString());
            break;
        case foVar: {
            TMxParam* param = tokenParam(token, query, m_model);
            QStringList values;
            QString name;
            if (!run) {
                name = param ? param->Name() : Translate(QStringLiteral("Paramètre inexistant"));
                values << u'[' + name + u']';
            } else {
                if (!param)
                    throw EMxAbort(Translate(QStringLiteral("[Paramètre inexistant]")));
                name = param->Name();
                for (const QString& v : chosenValues(param, query))
                    values << sqlValue(v, letterOf(token));
            }
            writeValues(values, name);
            open = false;
            break;
        }
        case foSysVar: {
            QString value;
            if (pending.kind == TPending::Like) {
                if (!GetVarSystemValue(token->FieldName(), value))
                    throw EMxException(TranslateFmt(QStringLiteral("Variable système inconnue : %s"), {token->FieldName()}));
                value = sqlValue(value, u'A');
            } else {
                value = SystemVariableSQL(token->FieldName(), m_syntax);
            }
            writeValues({value}, QString());
            break;
        }
        case foField: {
            const QString name = criteriaField(token)->GetSqlName(m_syntax);
            if (pending.kind != TPending::None || operatorGiven || field) {
                // the right side of a comparison: it closes its group
                writeValues({name}, QString());
            } else {
                put(name);
                leftOperand = name;
            }
            break;
        }
        case foAnd:
        case foOr:
            flush();
            put(op == foAnd ? QStringLiteral("AND (") : QStringLiteral("OR ("));
            open = true;
            valueWritten = false;
            operatorGiven = false;
            blank = false;
            break;
        case foNotEqual:
            flush();
            if (valueWritten) {
                put(QStringLiteral(" AND ("));
                if (field)
                    put(fieldExpr);
                else
                    open = true;
            }
            pending.kind = TPending::NotEqual;
            pending.keyword = QStringLiteral("<>");
            pending.text = QStringLiteral(" <>  ");
            operatorGiven = true;
            blank = false;
            break;
        case foStarting:
        case foEnding:
        case foContaining:
            flush();
            pending.kind = TPending::Like;
            pending.keyword = QStringLiteral("LIKE");
            pending.text = QStringLiteral(" LIKE ");
            pending.prefix = op == foStarting ? QString() : QStringLiteral("%");
            pending.suffix = op == foEnding ? QString() : QStringLiteral("%");
            operatorGiven = true;
            break;
        case foBlank:
            if (pending.kind == TPending::NotEqual) {
                pending = TPending();
                put(QStringLiteral(" IS NOT NULL)"));
            } else {
                if (pending.kind == TPending::Equal)
                    pending = TPending();
                flush();
                put(QStringLiteral(" IS NULL)"));
            }
            operatorGiven = false;
            valueWritten = false;
            break;
        case foEqual:
            if (!field) {
                flush();
                pending.kind = TPending::Equal;
                pending.keyword = QStringLiteral("=");
                pending.text = QStringLiteral("= ");
                operatorGiven = true;
                valueWritten = false;
                blank = false;
            }
            break;
        case foInf:
        case foEqualInf:
        case foSup:
        case foEqualSup:
            flush();
            pending.kind = TPending::Other;
            pending.keyword = OperatorShortName(op);
            pending.text = pending.keyword + u' ';
            operatorGiven = true;
            valueWritten = false;
            blank = false;
            break;
        default:
            flush();
            put(OperatorShortName(op));
            valueWritten = false;
            operatorGiven = true;
            break;
        }
        if (blank)
            put(QStringLiteral(" "));
    }
    flush();
    if (anything) {
        text->InsertText(0, QStringLiteral("(("));
        text->AppendText(QStringLiteral(")"));
    }
}

// ---- calculated fields --------------------------------------------------

namespace {

class TFormulaWriter {
public:
    TFormulaWriter(TMxQueryStep* step, const TMxFormulaList* formula, bool run, TMxQuery* query,
        std::function<TMxField*(const TMxFormula*)> fieldOf)
        : m_step(step), m_formula(formula), m_run(run), m_query(query), m_fieldOf(std::move(fieldOf))
    {
        m_letter = formula->Count() > 0 ? letterOf(formula->Items(0)) : QChar(u'A');
    }

    QString Render()
    {
        QString out;
        while (m_next < m_formula->Count())
            out += token();
        return out;
    }

private:
    QString token()
    {
        const TMxFormula* t = m_formula->Items(m_next++);
        const TSQLSyntaxProperties& syntax = m_step->SQLSyntax();
        if (!t->FunctionName().isEmpty()) {
            const TMxSQLFunction* fn = SQLFunctions().FindByName(t->FunctionName(), Qt::CaseInsensitive);
            if (!fn)
                throw EMxInternal(Format(QStringLiteral("SQL function %s not found"), {t->FunctionName()}));
            QString s = fn->SQLCode();
            const TMxSQLFunctionParamList* params = fn->Params();
            if (params->Count() > 0) {
                s += u'(';
                for (int i = 0; i < params->Count(); ++i) {
                    const TMxSQLFunctionParam* p = params->Items(i);
                    if (p->Static()) {
                        s += u' ' + p->SQLCode();
                    } else {
                        if (m_next >= m_formula->Count())
                            throw EMxInternal(Format(QStringLiteral("SQL function %s: an argument is missing"), {t->FunctionName()}));
                        s += token();
                    }
                }
                s += u')';
            }
            return s + u' ';
        }
        QString s;
        switch (t->Operator()) {
        case foConst:
            s = FormatSQLValue(t->FieldName(), letterOf(t), syntax);
            break;
        case foVar: {
            TMxParam* param = tokenParam(t, m_query, m_step->DataModel());
            if (!m_run) {
                s = u'[' + (param ? param->Name() : Translate(QStringLiteral("Paramètre inexistant"))) + u']';
                break;
            }
            if (!param)
                throw EMxAbort(Translate(QStringLiteral("[Paramètre inexistant]")));
            const QStringList values = chosenValues(param, m_query);
            if (values.isEmpty() || values.first().isEmpty())
                throw EMxAbort(TranslateFmt(QStringLiteral("Le paramètre %s n'a pas de valeur."), {param->Name()}));
            s = FormatSQLValue(values.first(), letterOf(t), syntax);
            break;
        }
        case foSysVar:
            s = SystemVariableSQL(t->FieldName(), syntax);
            break;
        case foField:
            s = u'(' + m_fieldOf(t)->GetSqlName(syntax) + u')';
            break;
        case foPlus:
            s = m_letter == u'A' ? (syntax.ConcatOperator.isEmpty() ? QStringLiteral("||") : syntax.ConcatOperator) : QStringLiteral("+");
            break;
        case foMinus:
            s = QStringLiteral(" - ");
            break;
        case foMult:
            s = QStringLiteral(" * ");
            break;
        case foDiv:
            s = QStringLiteral(" / ");
            break;
        default:
            s = OperatorShortName(t->Operator());
            break;
        }
        return s + u' ';
    }

    TMxQueryStep* m_step;
    const TMxFormulaList* m_formula;
    bool m_run;
    TMxQuery* m_query;
    std::function<TMxField*(const TMxFormula*)> m_fieldOf;
    QChar m_letter;
    int m_next = 0;
};

} // namespace

void TMxQueryStep::FormulaToSQL(TMxQueryField* field, bool render)
{
    TMxFormulaList* formula = field->FormulaList();
    if (!render) {
        for (TMxItem* item : *formula) {
            auto* token = static_cast<TMxFormula*>(item);
            if (token->Operator() == foField && token->FunctionName().isEmpty())
                criteriaField(token);
        }
        return;
    }
    TFormulaWriter writer(this, formula, isRunMode(), GetQuery(), [this](const TMxFormula* t) { return criteriaField(t); });
    const QString text = writer.Render();
    field->SetFormula(text.isEmpty() ? QString() : u'(' + text + u')');
}

} // namespace mx
