// Criteria, filters and calculated fields as SQL text: the token lists of
// the formula editor rendered in the step's dialect.

#include "query.h"
#include "querystep.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/sqlfunction.h"
#include "engine/model/sqlvalue.h"
#include "engine/model/table.h"
#include "engine/settings/global.h"

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

// A criterion (field given: that field's filter) written as SQL, token by
// token. Each comparison stands in its own parentheses; an operator waits
// in the pending comparison until its right operand comes.
class TCriteriaWriter {
public:
    TCriteriaWriter(TMxQueryField* field, TConcatStringList* text, const TSQLSyntaxProperties& syntax, bool run,
        TMxQuery* query, const TMxDataModel* model, std::function<TMxField*(const TMxFormula*)> fieldOf)
        : m_field(field), m_text(text), m_syntax(syntax), m_run(run), m_query(query), m_model(model),
          m_fieldOf(std::move(fieldOf)), m_fieldExpr(field ? field->GetSqlExpression(syntax) : QString()),
          m_leftOperand(m_fieldExpr)
    {
    }

    void Write(const TMxFormulaList* formula)
    {
        for (TMxItem* item : *formula) {
            if (token(static_cast<const TMxFormula*>(item)))
                put(QStringLiteral(" "));
        }
        flush();
        if (m_anything) {
            m_text->InsertText(0, QStringLiteral("(("));
            m_text->AppendText(QStringLiteral(")"));
        }
    }

private:
    // Writes one token; true when a blank follows it.
    bool token(const TMxFormula* t)
    {
        if (m_open && m_field) {
            put(m_fieldExpr);
            m_open = false;
        }
        const TOperator op = t->Operator();
        switch (op) {
        case foConst:
            return constant(t);
        case foVar:
            return parameter(t);
        case foSysVar:
            return systemVariable(t);
        case foField:
            return fieldOperand(t);
        case foAnd:
        case foOr:
            return andOr(op);
        case foNotEqual:
            return notEqual();
        case foStarting:
        case foEnding:
        case foContaining:
            return like(op);
        case foBlank:
            return blank();
        case foEqual:
            return equal();
        case foInf:
        case foEqualInf:
        case foSup:
        case foEqualSup:
            return comparison(op);
        default:
            return otherOperator(op);
        }
    }

    bool constant(const TMxFormula* t)
    {
        writeValues({sqlValue(t->FieldName(), letterOf(t))}, QString());
        return true;
    }

    // A parameter: its name in brackets when not running, else the values
    // chosen in the query's dialog.
    bool parameter(const TMxFormula* t)
    {
        TMxParam* param = tokenParam(t, m_query, m_model);
        QStringList values;
        QString name;
        if (!m_run) {
            name = param ? param->Name() : Translate(QStringLiteral("Paramètre inexistant"));
            values << u'[' + name + u']';
        } else {
            if (!param)
                throw EMxAbort(Translate(QStringLiteral("[Paramètre inexistant]")));
            name = param->Name();
            for (const QString& v : chosenValues(param, m_query))
                values << sqlValue(v, letterOf(t));
        }
        writeValues(values, name);
        m_open = false;
        return true;
    }

    // A system variable: after a LIKE its displayed value as a pattern,
    // else the dialect's own value.
    bool systemVariable(const TMxFormula* t)
    {
        QString value;
        if (m_pending.kind == TPending::Like) {
            if (!GetVarSystemValue(t->FieldName(), value))
                throw EMxException(TranslateFmt(QStringLiteral("Variable système inconnue : %s"), {t->FieldName()}));
            value = sqlValue(value, u'A');
        } else {
            value = SystemVariableSQL(t->FieldName(), m_syntax);
        }
        writeValues({value}, QString());
        return true;
    }

    // A field: the right side of a comparison closes its group; else it is
    // the left operand of what follows.
    bool fieldOperand(const TMxFormula* t)
    {
        const QString name = m_fieldOf(t)->GetSqlName(m_syntax);
        if (m_pending.kind != TPending::None || m_operatorGiven || m_field) {
            writeValues({name}, QString());
        } else {
            put(name);
            m_leftOperand = name;
        }
        return true;
    }

    bool andOr(TOperator op)
    {
        flush();
        put(op == foAnd ? QStringLiteral("AND (") : QStringLiteral("OR ("));
        m_open = true;
        m_valueWritten = false;
        m_operatorGiven = false;
        return false;
    }

    // "<>" after a value starts a new group, ANDed to the one before.
    bool notEqual()
    {
        flush();
        if (m_valueWritten) {
            put(QStringLiteral(" AND ("));
            if (m_field)
                put(m_fieldExpr);
            else
                m_open = true;
        }
        pend(TPending::NotEqual, QStringLiteral("<>"), QStringLiteral(" <>  "));
        return false;
    }

    bool like(TOperator op)
    {
        flush();
        m_pending.kind = TPending::Like;
        m_pending.keyword = QStringLiteral("LIKE");
        m_pending.text = QStringLiteral(" LIKE ");
        m_pending.prefix = op == foStarting ? QString() : QStringLiteral("%");
        m_pending.suffix = op == foEnding ? QString() : QStringLiteral("%");
        m_operatorGiven = true;
        return false;
    }

    bool blank()
    {
        if (m_pending.kind == TPending::NotEqual) {
            m_pending = TPending();
            put(QStringLiteral(" IS NOT NULL)"));
        } else {
            if (m_pending.kind == TPending::Equal)
                m_pending = TPending();
            flush();
            put(QStringLiteral(" IS NULL)"));
        }
        m_operatorGiven = false;
        m_valueWritten = false;
        return true;
    }

    // "=" in a filter goes without saying: the value follows the field.
    bool equal()
    {
        if (m_field)
            return true;
        flush();
        pend(TPending::Equal, QStringLiteral("="), QStringLiteral("= "));
        m_valueWritten = false;
        return false;
    }

    bool comparison(TOperator op)
    {
        flush();
        const QString keyword = OperatorShortName(op);
        pend(TPending::Other, keyword, keyword + u' ');
        m_valueWritten = false;
        return false;
    }

    bool otherOperator(TOperator op)
    {
        flush();
        put(OperatorShortName(op));
        m_valueWritten = false;
        m_operatorGiven = true;
        return true;
    }

    void pend(TPending::Kind kind, const QString& keyword, const QString& text)
    {
        m_pending.kind = kind;
        m_pending.keyword = keyword;
        m_pending.text = text;
        m_operatorGiven = true;
    }

    void put(const QString& piece)
    {
        m_text->AppendText(piece);
        m_anything = true;
    }

    // Writes the pending comparison as it stands.
    void flush()
    {
        if (m_pending.kind != TPending::None)
            put(m_pending.text);
        m_pending = TPending();
    }

    // The value of an operand; after a LIKE always a text pattern.
    QString sqlValue(const QString& value, QChar letter) const
    {
        if (m_pending.kind != TPending::Like)
            return FormatSQLValue(value, letter, m_syntax);
        return FormatSQLLikeValue(value, m_pending.prefix, m_pending.suffix, m_syntax);
    }

    // One or more values as the right side of the pending comparison,
    // which closes its group.
    void writeValues(const QStringList& values, const QString& paramName)
    {
        if (values.isEmpty()) {
            // an unanswered parameter restricts nothing
            m_pending = TPending();
            put(SQLLikeAnything(m_syntax) + u')');
        } else if (values.size() == 1) {
            if (m_pending.kind != TPending::None)
                put(m_pending.text);
            else if (m_field && !m_operatorGiven)
                put(QStringLiteral("="));
            put(values.first() + u')');
        } else {
            writeSeveralValues(values, paramName);
        }
        m_pending = TPending();
        m_operatorGiven = false;
        m_valueWritten = true;
    }

    // Several values: "=" becomes IN, "<>" NOT IN, LIKE one LIKE per value;
    // no other comparison takes them.
    void writeSeveralValues(const QStringList& values, const QString& paramName)
    {
        switch (m_pending.kind) {
        case TPending::None:
        case TPending::Equal:
            put(QStringLiteral(" in ") + SQLValueList(values) + u')');
            break;
        case TPending::NotEqual:
            put(QStringLiteral(" NOT IN ") + SQLValueList(values) + u')');
            break;
        case TPending::Like:
            if (m_leftOperand.isEmpty())
                throw EMxAbort(TranslateFmt(QStringLiteral("Le paramètre %s a plusieurs valeurs : il doit suivre un champ."), {paramName}));
            put(SQLLikeAny(m_leftOperand, values) + u')');
            break;
        case TPending::Other:
            throw EMxAbort(TranslateFmt(QStringLiteral("Le paramètre %s a plusieurs valeurs : il ne peut pas suivre l'opérateur %s."),
                {paramName, m_pending.keyword}));
        }
    }

    TMxQueryField* m_field;
    TConcatStringList* m_text;
    const TSQLSyntaxProperties& m_syntax;
    const bool m_run;
    TMxQuery* m_query;
    const TMxDataModel* m_model;
    std::function<TMxField*(const TMxFormula*)> m_fieldOf;
    const QString m_fieldExpr;
    bool m_open = true; // a new group: a filter's field comes first
    bool m_valueWritten = false;
    bool m_operatorGiven = false;
    bool m_anything = false;
    TPending m_pending;
    QString m_leftOperand; // what a pending comparison applies to
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
    TCriteriaWriter writer(field, text, m_syntax, isRunMode(), GetQuery(), m_model.get(),
        [this](const TMxFormula* t) { return criteriaField(t); });
    writer.Write(formula);
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
