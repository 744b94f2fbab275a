#include "formulasession.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/global/fieldtype.h"
#include "engine/global/filtercheck.h"
#include "engine/global/formulaoperator.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/modeltypes.h"
#include "engine/model/ownedchild.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/sqlfunction.h"
#include "engine/model/sqlvalue.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"

namespace mx {

namespace {

// The value letter of a driver's type letter; a value letter stays itself.
QChar valueLetter(QChar shortType)
{
    QChar letter;
    if (QueryGlobal() && QueryGlobal()->FldTypes())
        letter = QueryGlobal()->FldTypes()->ShortToLongType(shortType);
    if (letter.isNull() && TypeIndexOf(shortType) >= 0)
        letter = shortType;
    return letter;
}

// A field's value letter: a calculated field's chosen type, else its
// driver type mapped.
QChar fieldLetter(const TMxField* field)
{
    QChar s = field->ShortType();
    if (auto* q = dynamic_cast<const TMxQueryField*>(field); q && !q->FieldType().isNull())
        s = q->FieldType();
    return valueLetter(s);
}

template <class L>
L* copyOf(const L* source)
{
    auto* list = new L(nullptr);
    if (source)
        list->Assign(source);
    return list;
}

} // namespace

TFormulaSession::TFormulaSession(TFormulaType mode, TMxFormulaList* target, TMxDataModel* model, TMxQueryField* field,
    int step, TMxQuery* query)
    : m_mode(mode), m_target(target), m_model(model), m_field(field), m_stepId(step), m_query(query)
{
    QChar letter = field ? field->FieldType() : QChar();
    if (letter.isNull() || letter == u' ')
        letter = u'A';
    const QChar mapped = valueLetter(letter);
    m_fieldLetter = mapped.isNull() ? letter : mapped;
    m_typeIndex = std::max(0, TypeIndexOf(m_fieldLetter));

    if (m_query) {
        // steps are known by Id: removing an earlier step moves the others
        m_step = m_query->Steps()->FindById(m_stepId);
        if (m_step && m_step->DataModel())
            m_model = m_step->DataModel();
        else if (!m_model)
            m_model = m_query->DataModel();
        if (m_step)
            m_syntax = m_step->SQLSyntax();
    }
    m_tokens = copyOf<TMxFormulaList>(target);
    m_params = copyOf<TMxParamList>(m_query ? m_query->Params() : nullptr);
    m_controls = copyOf<TMxParamControlList>(m_query ? m_query->ParamControls() : nullptr);
    const TMxDomain* domain = m_query ? m_query->GetDomain() : nullptr;
    m_variables = copyOf<TMxParamList>(domain ? domain->Variables() : nullptr);
}

TFormulaSession::~TFormulaSession()
{
    TMxItem::Free(m_tokens);
    TMxItem::Free(m_params);
    TMxItem::Free(m_controls);
    TMxItem::Free(m_variables);
}

void TFormulaSession::SetTypeIndex(int index)
{
    m_typeIndex = index >= 0 && index < 6 ? index : 0;
}

void TFormulaSession::PrepareModelView()
{
    if (m_query || m_mode == ftFilter || !m_model)
        return;
    m_model->BuildAccessibleDomains();
    TMxDomainList* sets = m_model->AccessibleDomains();
    if (!m_model->CurrentDomain() && sets && sets->Count() > 0)
        m_model->SetDomain(sets->Items(0));
    m_model->BuildAllFields();
}

std::vector<TOperatorEntry> TFormulaSession::OperatorEntries() const
{
    std::vector<TOperatorEntry> rows;
    if (TFormulaOperatorList* ops = QueryGlobal() ? QueryGlobal()->FormulaOperator() : nullptr)
        for (int i = 0; i < ops->Count(); ++i) {
            TFormulaOperator* op = ops->GetOperator(i);
            if (op->OpType() == m_mode || (m_mode == ftEntityFilter && op->OpType() == ftFilter))
                rows.push_back({op->GetDisplayName(), op, QString()});
        }
    if (m_mode == ftFormula)
        for (TMxItem* item : SQLFunctions()) {
            auto* fn = static_cast<TMxSQLFunction*>(item);
            rows.push_back({fn->Display(), nullptr, fn->Name()});
        }
    return rows;
}

bool TFormulaSession::AcceptsField(const TMxItem* item) const
{
    if (m_mode == ftEntityFilter)
        return true;
    const auto* field = dynamic_cast<const TMxField*>(item);
    return field && fieldLetter(field) == SelectedLetter();
}

std::vector<TMxParam*> TFormulaSession::ParamEntries() const
{
    // Criteria compare operands of every type: their parameters are all
    // offered, as their fields are.
    std::vector<TMxParam*> rows;
    for (int i = 0; i < m_params->Count(); ++i) {
        TMxParam* p = m_params->Items(i);
        if (m_mode == ftEntityFilter || int(p->ParamType()) == m_typeIndex)
            rows.push_back(p);
    }
    return rows;
}

QString TFormulaSession::TokenText(const TMxFormula* token) const
{
    if (!token->FunctionName().isEmpty()) {
        const TMxSQLFunction* fn = SQLFunctions().FindByName(token->FunctionName(), Qt::CaseInsensitive);
        return fn ? fn->Display() : Translate(QStringLiteral("!! Fonction inexistante !!"));
    }
    switch (token->Operator()) {
    case foConst:
    case foSysVar:
        return token->FieldName();
    case foVar: {
        const TMxParamList* list = token->DomId() != 0 ? m_variables : m_params;
        const TMxParam* p = list->FindById(token->VarId());
        return p ? u'[' + p->Name() + u']' : Translate(QStringLiteral("[Paramètre inexistant]"));
    }
    case foField: {
        if (!token->FieldFullName().isEmpty())
            return token->FieldFullName();
        // a token written without its readable name: the model's field's
        TMxTable* table = nullptr;
        if (m_model)
            table = token->FieldTblId() == 0 ? m_model->CalcTable() : m_model->Tables()->FindById(token->FieldTblId());
        const TMxField* field = table ? table->Fields()->FindField(token->FieldName()) : nullptr;
        return field && !field->FullName().isEmpty() ? field->FullName() : token->FieldName();
    }
    default:
        break;
    }
    const TFormulaOperatorList* ops = QueryGlobal() ? QueryGlobal()->FormulaOperator() : nullptr;
    const TFormulaOperator* entry = nullptr;
    if (ops) {
        entry = ops->FindOperator(m_mode == ftEntityFilter ? ftFilter : m_mode, token->Operator());
        // the parentheses of criteria exist only under their own mode
        if (!entry)
            entry = ops->FindOperator(m_mode, token->Operator());
    }
    return entry ? entry->GetDisplayName() : OperatorShortName(token->Operator());
}

QStringList TFormulaSession::Texts() const
{
    QStringList texts;
    for (const TMxItem* item : *m_tokens)
        texts << TokenText(static_cast<const TMxFormula*>(item));
    return texts;
}

QString TFormulaSession::Line() const
{
    QString line;
    for (const QString& t : Texts())
        line += t + u' ';
    return line;
}

QChar TFormulaSession::operandType(const TMxFormula* token) const
{
    switch (token->Operator()) {
    case foVar: {
        const TMxParamList* list = token->DomId() != 0 ? m_variables : m_params;
        if (const TMxParam* p = list->FindById(token->VarId()))
            return ParamTypeLetter(p->ParamType());
        UserService().MessageDlg(Format(QStringLiteral("Param not found Id=%d Dom=%d"), {token->VarId(), token->DomId()}),
            TMsgDlgType::mtWarning, mbOK);
        return u'A';
    }
    case foField: {
        TMxTable* table = nullptr;
        if (m_model)
            table = token->FieldTblId() == 0 ? m_model->CalcTable() : m_model->Tables()->FindById(token->FieldTblId());
        const TMxField* field = table ? table->Fields()->FindField(token->FieldName()) : nullptr;
        if (!field) {
            UserService().MessageDlg(Format(QStringLiteral("Field not found tbl=%d, name=%s, step=%d"),
                                         {token->FieldTblId(), token->FieldName(), token->FieldStepId()}),
                TMsgDlgType::mtWarning, mbOK);
            return u'A';
        }
        const QChar letter = fieldLetter(field);
        return letter.isNull() ? QChar(u'A') : letter;
    }
    case foSysVar: {
        QString value;
        QChar letter;
        return GetVarSystemValue(token->FieldName(), value, letter) ? letter : QChar(u'A');
    }
    default:
        return u'A';
    }
}

const TFormulaVerdict& TFormulaSession::Check()
{
    switch (m_mode) {
    case ftFormula:
        m_verdict = {true, QString(), true};
        break;
    case ftFilter:
    {
        // without the definition lists no pair is allowed
        TFilterCheckList* checks = QueryGlobal() ? QueryGlobal()->FilterCheck() : nullptr;
        TItemPtr<TFilterCheckList> none;
        if (!checks) {
            none.reset(new TFilterCheckList(nullptr));
            checks = none.get();
        }
        m_verdict = CheckFilter(*m_tokens, *checks,
            [this](int i) { return TokenText(m_tokens->Items(i)); }, m_syntax);
        break;
    }
    case ftEntityFilter:
        m_verdict = CheckCriterion(*m_tokens, [this](const TMxFormula* t) { return operandType(t); }, m_syntax);
        break;
    default:
        throw EMxInternal(QStringLiteral("Formula mode not valid"));
    }
    m_error = !m_verdict.ok;
    return m_verdict;
}

bool TFormulaSession::CanConfirm() const
{
    return !m_error && !(m_mode == ftFormula && m_tokens->Count() == 0);
}

void TFormulaSession::fillToken(TMxFormula* token, const TTokenSource& source) const
{
    token->SetLongTypeId(SelectedLetter());
    if (!source.function.isEmpty()) {
        // a function takes its arguments from the tokens after it
        token->SetFunctionName(source.function);
        return;
    }
    token->SetOperator(source.op);
    switch (source.op) {
    case foConst:
        if (m_mode == ftFilter)
            token->SetLongTypeId(m_fieldLetter);
        token->SetFieldName(GetMaskedValue(source.constantKind, source.constant));
        token->CheckConstant();
        CheckConstantSQL(*token, m_syntax);
        break;
    case foVar:
        if (!source.param)
            throw EMxException(Translate(QStringLiteral("Aucun paramètre n'est choisi.")));
        if (m_mode == ftFilter)
            token->SetLongTypeId(m_fieldLetter);
        else if (m_mode == ftEntityFilter)
            token->SetLongTypeId(ParamTypeLetter(source.param->ParamType()));
        token->SetVarId(source.param->Id());
        token->SetDomId(0);
        break;
    case foField: {
        if (!source.field)
            throw EMxException(Translate(QStringLiteral("Aucun champ n'est choisi.")));
        const TMxTable* table = source.field->GetTable();
        token->SetFieldTblId(table ? table->Id() : source.field->GetTableId());
        token->SetFieldName(source.field->Name());
        token->SetFieldFullName(source.field->FullName());
        token->SetFieldStepId(m_stepId);
        break;
    }
    case foSysVar: {
        if (!source.entry)
            throw EMxException(Translate(QStringLiteral("Variable système inconnue")));
        // the stored, untranslated name, as SQL generation knows it
        const QString name = source.entry->Name().toUpper();
        QString value;
        QChar letter;
        if (!GetVarSystemValue(name, value, letter))
            throw EMxException(TranslateFmt(QStringLiteral("Variable système inconnue : %s"), {name}));
        token->SetFieldName(name);
        token->SetLongTypeId(letter);
        break;
    }
    default:
        break;
    }
}

int TFormulaSession::Insert(int row, const TTokenSource& source)
{
    const int i = std::clamp(row, 0, m_tokens->Count());
    TMxFormula* token = m_tokens->AddNew();
    for (int j = m_tokens->Count() - 1; j > i; --j)
        m_tokens->Exchange(j, j - 1);
    try {
        fillToken(token, source);
    } catch (...) {
        TMxItem::Free(token);
        throw;
    }
    return i;
}

void TFormulaSession::Delete(int row)
{
    if (row >= 0 && row < m_tokens->Count())
        TMxItem::Free(m_tokens->Items(row));
}

void TFormulaSession::Clear()
{
    m_tokens->Clear();
}

void TFormulaSession::Commit()
{
    m_target->Assign(m_tokens);
    m_target->SetLine(Line());
    if (m_field && m_field->Calculated())
        m_field->SetFieldType(SelectedLetter());
    if (!m_query)
        return;
    // parameters added through the parameter editor are written back for
    // a step's criterion as well: its tokens may name them
    m_query->Params()->Assign(m_params);
    m_query->ParamControls()->Assign(m_controls);
    if (TMxDomain* domain = m_query->GetDomain()) {
        if (domain->Variables()->Count() != m_variables->Count() && m_query->DataModel())
            m_query->DataModel()->MarkModified();
        domain->Variables()->Assign(m_variables);
    }
    try {
        m_query->Prepare(true);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        // the tokens are written; what the preparation found is shown
        UserService().ShowException(e);
    }
}

} // namespace mx
