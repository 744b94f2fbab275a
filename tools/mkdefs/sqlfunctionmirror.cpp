#include "sqlfunctionmirror.h"

#include "engine/core/classinfo.h"
#include "engine/core/list.h"

namespace mkdefs {
namespace {

using namespace mx;

const EnumInfo& paramTypeInfo()
{
    static const EnumInfo info{QStringLiteral("TParamType"),
        {QStringLiteral("ptDateTime"), QStringLiteral("ptString"), QStringLiteral("ptDate"), QStringLiteral("ptLogical"),
            QStringLiteral("ptNumeric"), QStringLiteral("ptTime")}};
    return info;
}

#define MIRROR_CLASS()                                                   \
public:                                                                  \
    static const ClassInfo& staticClass();                               \
    const ClassInfo* classInfo() const override { return &staticClass(); }

class FunctionParam : public TMxItem {
    MIRROR_CLASS()
public:
    explicit FunctionParam(TMxItem* owner) : TMxItem(owner) {}
    qint64 paramType = 1;
    bool isStatic = false;
    QString sqlCode;
};

class FunctionParamList : public TMxList {
    MIRROR_CLASS()
public:
    explicit FunctionParamList(TMxItem* owner) : TMxList(owner) {}
};

class Function : public TMxItem {
    MIRROR_CLASS()
public:
    explicit Function(TMxItem* owner) : TMxItem(owner), params(new FunctionParamList(this)) {}
    ~Function() override { TMxItem::Free(std::exchange(params, nullptr)); }
    QString sqlCode;
    QString display;
    qint64 returnType = 1;
    FunctionParamList* params;

protected:
    void BeforeDestruction() override { TMxItem::Free(std::exchange(params, nullptr)); }
};

class FunctionList : public TMxList {
    MIRROR_CLASS()
public:
    explicit FunctionList(TMxItem* owner) : TMxList(owner) {}
};

const ClassInfo& FunctionParam::staticClass()
{
    static const ClassInfo info = MakeClassInfo<FunctionParam>("TMxSQLFunctionParam", &TMxItem::staticClass(),
        [](ClassBuilder<FunctionParam>& c) {
            c.enumeration(QStringLiteral("ParamType"), paramTypeInfo(), &FunctionParam::paramType, &FunctionParam::paramType, std::nullopt);
            c.boolean(QStringLiteral("Static"), &FunctionParam::isStatic, &FunctionParam::isStatic, std::nullopt);
            c.string(QStringLiteral("SQLCode"), &FunctionParam::sqlCode, &FunctionParam::sqlCode);
        });
    return info;
}

const ClassInfo& FunctionParamList::staticClass()
{
    static const ClassInfo info = MakeClassInfo<FunctionParamList>("TMxSQLFunctionParamList", &TMxList::staticClass(),
        [](ClassBuilder<FunctionParamList>& c) { c.items<FunctionParam>(); });
    return info;
}

const ClassInfo& Function::staticClass()
{
    static const ClassInfo info = MakeClassInfo<Function>("TMxSQLFunction", &TMxItem::staticClass(),
        [](ClassBuilder<Function>& c) {
            c.string(QStringLiteral("SQLCode"), &Function::sqlCode, &Function::sqlCode);
            c.string(QStringLiteral("Display"), &Function::display, &Function::display);
            c.enumeration(QStringLiteral("ReturnType"), paramTypeInfo(), &Function::returnType, &Function::returnType, std::nullopt);
            c.object(QStringLiteral("Params"), &Function::params);
        });
    return info;
}

const ClassInfo& FunctionList::staticClass()
{
    static const ClassInfo info = MakeClassInfo<FunctionList>("TMxSQLFunctionList", &TMxList::staticClass(),
        [](ClassBuilder<FunctionList>& c) { c.items<Function>(); });
    return info;
}

} // namespace

void EnsureSqlFunctionClasses()
{
    if (ClassRegistry::find(QStringLiteral("TMxSQLFunctionList")))
        return;
    ClassRegistry::add(&FunctionParam::staticClass());
    ClassRegistry::add(&FunctionParamList::staticClass());
    ClassRegistry::add(&Function::staticClass());
    ClassRegistry::add(&FunctionList::staticClass());
}

} // namespace mkdefs
