#include "sqlfunction.h"

#include "storevalue.h"

#include <QFileInfo>

namespace mx {

static void describeParam(ClassBuilder<TMxSQLFunctionParam>& c)
{
    c.enumeration(QStringLiteral("ParamType"), ParamTypeInfo(), &TMxSQLFunctionParam::ParamType, &TMxSQLFunctionParam::SetParamType);
    c.boolean(QStringLiteral("Static"), &TMxSQLFunctionParam::Static, &TMxSQLFunctionParam::SetStatic);
    c.string(QStringLiteral("SQLCode"), &TMxSQLFunctionParam::SQLCode, &TMxSQLFunctionParam::SetSQLCode);
}
MX_DEFINE_CLASS(TMxSQLFunctionParam, TMxItem, describeParam)

TMxSQLFunctionParam::TMxSQLFunctionParam(TMxItem* owner) : TMxItem(owner) {}

void TMxSQLFunctionParam::SetParamType(TParamType value)
{
    if (StoreIfChanged(m_paramType, value))
        Change();
}

void TMxSQLFunctionParam::SetStatic(bool value)
{
    if (StoreIfChanged(m_static, value))
        Change();
}

void TMxSQLFunctionParam::SetSQLCode(const QString& value)
{
    if (StoreIfChanged(m_sqlCode, value))
        Change();
}

void TMxSQLFunctionParam::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* p = dynamic_cast<const TMxSQLFunctionParam*>(source)) {
        SetParamType(p->m_paramType);
        SetStatic(p->m_static);
        SetSQLCode(p->m_sqlCode);
    }
}

MX_DEFINE_CLASS(TMxSQLFunctionParamList, TMxList, [](ClassBuilder<TMxSQLFunctionParamList>& c) { c.items<TMxSQLFunctionParam>(); })

static void describeFunction(ClassBuilder<TMxSQLFunction>& c)
{
    c.string(QStringLiteral("SQLCode"), &TMxSQLFunction::SQLCode, &TMxSQLFunction::SetSQLCode);
    c.string(QStringLiteral("Display"), &TMxSQLFunction::Display, &TMxSQLFunction::SetDisplay);
    c.enumeration(QStringLiteral("ReturnType"), ParamTypeInfo(), &TMxSQLFunction::ReturnType, &TMxSQLFunction::SetReturnType);
    c.object(QStringLiteral("Params"), &TMxSQLFunction::Params);
}
MX_DEFINE_CLASS(TMxSQLFunction, TMxItem, describeFunction)

TMxSQLFunction::TMxSQLFunction(TMxItem* owner) : TMxItem(owner), m_params(this) {}

TMxSQLFunction::~TMxSQLFunction() = default;

void TMxSQLFunction::SetSQLCode(const QString& value)
{
    if (StoreIfChanged(m_sqlCode, value))
        Change();
}

void TMxSQLFunction::SetDisplay(const QString& value)
{
    if (StoreIfChanged(m_display, value))
        Change();
}

void TMxSQLFunction::SetReturnType(TParamType value)
{
    if (StoreIfChanged(m_returnType, value))
        Change();
}

void TMxSQLFunction::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* f = dynamic_cast<const TMxSQLFunction*>(source)) {
        SetSQLCode(f->m_sqlCode);
        SetDisplay(f->m_display);
        SetReturnType(f->m_returnType);
        m_params->Assign(f->Params());
    }
}

MX_DEFINE_CLASS(TMxSQLFunctionList, TMxList, [](ClassBuilder<TMxSQLFunctionList>& c) { c.items<TMxSQLFunction>(); })

TMxSQLFunctionList& SQLFunctions()
{
    static TItemPtr<TMxSQLFunctionList> list(new TMxSQLFunctionList(nullptr));
    return *list;
}

bool LoadSQLFunctions(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile()) {
        SQLFunctions().Clear();
        return false;
    }
    TItemPtr<TMxSQLFunctionList> loaded(new TMxSQLFunctionList(nullptr));
    loaded->LoadFromFile(fileName);
    SQLFunctions().Assign(loaded.get());
    return true;
}

} // namespace mx
