#pragma once
// One run of the formula editor, without widgets: the working copies the
// dialog edits (the token list, the query's parameters, parameter controls
// and set variables), what each palette offers, the display text of every
// token, the check of the mode, inserting and deleting tokens, and the
// write-back on OK. The caller's objects change only in Commit.

#include "formulacheck.h"

#include "engine/core/sqlsyntax.h"
#include "engine/core/types.h"
#include "engine/tools/fieldmask.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace mx {

class TFormulaOperator;
class TMxDataModel;
class TMxField;
class TMxFormula;
class TMxFormulaList;
class TMxItem;
class TMxParam;
class TMxParamControlList;
class TMxParamList;
class TMxQuery;
class TMxQueryField;
class TMxQueryStep;

// A row of the operators palette: an operator entry, or an SQL function.
struct TOperatorEntry {
    QString text;
    TFormulaOperator* op = nullptr;
    QString function; // the function's Name when op is none
};

// What a new token is made of: the operator or function (from the
// palette), and what the other palettes hold when it is inserted.
struct TTokenSource {
    TOperator op = foConst;
    QString function;
    const TFormulaOperator* entry = nullptr; // a system variable's entry
    QString constant;                        // the constant edit's text
    TMaskKind constantKind = mkText;
    const TMxParam* param = nullptr;
    TMxField* field = nullptr;
};

class TFormulaSession {
public:
    // target is the caller's list (changed only by Commit). With a query,
    // step is the Id of the step whose model the outline shows and whose
    // fields tokens name; without, model is shown.
    TFormulaSession(TFormulaType mode, TMxFormulaList* target, TMxDataModel* model, TMxQueryField* field, int step,
        TMxQuery* query);
    ~TFormulaSession();
    TFormulaSession(const TFormulaSession&) = delete;
    TFormulaSession& operator=(const TFormulaSession&) = delete;

    TFormulaType Mode() const { return m_mode; }
    TMxQuery* Query() const { return m_query; }
    // The step of that Id, none without a query or when it is gone.
    TMxQueryStep* Step() const { return m_step; }
    int StepId() const { return m_stepId; }
    // The model of the step (with a query), else the one given.
    TMxDataModel* Model() const { return m_model; }
    TMxQueryField* Field() const { return m_field; }

    TMxFormulaList* Tokens() const { return m_tokens; }
    TMxParamList* Params() const { return m_params; }
    TMxParamControlList* ParamControls() const { return m_controls; }
    TMxParamList* Variables() const { return m_variables; }

    // The field's type letter as a value letter ("A" without a field).
    QChar FieldLetter() const { return m_fieldLetter; }
    // The type chosen in the type combo (0..5), and its letter.
    int TypeIndex() const { return m_typeIndex; }
    void SetTypeIndex(int index);
    QChar SelectedLetter() const { return TypeLetterAt(m_typeIndex); }

    // Prepares the model's set view for criteria edited without a query
    // (the administration program): the first set open to its user.
    void PrepareModelView();

    // The palettes.
    std::vector<TOperatorEntry> OperatorEntries() const;
    bool AcceptsField(const TMxItem* item) const;
    std::vector<TMxParam*> ParamEntries() const;

    // Display texts, one per token, and the formula as one line.
    QString TokenText(const TMxFormula* token) const;
    QStringList Texts() const;
    QString Line() const;

    // Runs the mode's check and keeps its verdict.
    const TFormulaVerdict& Check();
    const TFormulaVerdict& Verdict() const { return m_verdict; }
    bool Error() const { return m_error; }
    // OK may close: the check passed and, for a formula, there are tokens.
    bool CanConfirm() const;

    // Inserts a token before row (0..Count; past the end means at the end)
    // and returns its index. A value that does not fit raises (the token
    // is not kept): the caller shows "La valeur est incorrecte".
    int Insert(int row, const TTokenSource& source);
    void Delete(int row);
    void Clear();

    // The dialect constants are written in (the step's, else the default).
    const TSQLSyntaxProperties& Syntax() const { return m_syntax; }

    // Writes the working state back to the caller's objects (OK).
    void Commit();

private:
    QChar operandType(const TMxFormula* token) const;
    void fillToken(TMxFormula* token, const TTokenSource& source) const;

    TFormulaType m_mode;
    TMxFormulaList* m_target;
    TMxDataModel* m_model;
    TMxQueryField* m_field;
    int m_stepId;
    TMxQuery* m_query;
    TMxQueryStep* m_step = nullptr;
    TMxFormulaList* m_tokens = nullptr;
    TMxParamList* m_params = nullptr;
    TMxParamControlList* m_controls = nullptr;
    TMxParamList* m_variables = nullptr;
    QChar m_fieldLetter = u'A';
    int m_typeIndex = 1;
    TFormulaVerdict m_verdict;
    bool m_error = false;
    TSQLSyntaxProperties m_syntax;
};

} // namespace mx
