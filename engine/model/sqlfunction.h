#pragma once
// The catalogue of SQL functions that formulas may call.

#include "modeltypes.h"
#include "ownedchild.h"

#include "engine/core/list.h"

namespace mx {

// One parameter of a function: a value the user gives (the next token of
// the formula), or a fixed text (Static) such as the "," between two
// values.
class TMxSQLFunctionParam : public TMxItem {
    MX_CLASS(TMxSQLFunctionParam)
public:
    explicit TMxSQLFunctionParam(TMxItem* owner);

    TParamType ParamType() const { return m_paramType; }
    void SetParamType(TParamType value);
    bool Static() const { return m_static; }
    void SetStatic(bool value);
    const QString& SQLCode() const { return m_sqlCode; }
    void SetSQLCode(const QString& value);

    void Assign(const TPersistent* source) override;

private:
    TParamType m_paramType = ptDateTime;
    bool m_static = false;
    QString m_sqlCode;
};

class TMxSQLFunctionParamList : public TMxTypedList<TMxSQLFunctionParam> {
    MX_CLASS(TMxSQLFunctionParamList)
public:
    using TMxTypedList::TMxTypedList;
};

// Name is the function's name in formulas; Name + "Hint" is the key of its
// help text in the formula editor.
class TMxSQLFunction : public TMxItem {
    MX_CLASS(TMxSQLFunction)
public:
    explicit TMxSQLFunction(TMxItem* owner);
    ~TMxSQLFunction() override;

    const QString& SQLCode() const { return m_sqlCode; }
    void SetSQLCode(const QString& value);
    const QString& Display() const { return m_display; }
    void SetDisplay(const QString& value);
    TParamType ReturnType() const { return m_returnType; }
    void SetReturnType(TParamType value);
    TMxSQLFunctionParamList* Params() const { return m_params.get(); }

    void Assign(const TPersistent* source) override;

private:
    QString m_sqlCode;
    QString m_display;
    TParamType m_returnType = ptDateTime;
    TOwned<TMxSQLFunctionParamList> m_params;
};

class TMxSQLFunctionList : public TMxTypedList<TMxSQLFunction> {
    MX_CLASS(TMxSQLFunctionList)
public:
    using TMxTypedList::TMxTypedList;
};

// The process-wide catalogue; empty until LoadSQLFunctions fills it.
TMxSQLFunctionList& SQLFunctions();

// The name of the catalogue's definition file in the installation.
inline QString SQLFunctionsFileName() { return QStringLiteral("SQLFUNC.MXF"); }

// Loads the catalogue from a definition file (a TMxSQLFunctionList root).
// A missing file leaves the catalogue empty and returns False; a damaged
// one raises and leaves the catalogue as it was.
bool LoadSQLFunctions(const QString& fileName);

} // namespace mx
