#include "queryglobal.h"

#include "engineshutdown.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/rootdir.h"
#include "engine/model/modelhooks.h"
#include "engine/model/sqlfunction.h"

namespace mx {
namespace {

TMxQueryGlobal* g_queryGlobal = nullptr;
TDbEngDatasourceList* g_datasources = nullptr;

} // namespace

static void describeQueryGlobal(ClassBuilder<TMxQueryGlobal>& c)
{
    using G = TMxQueryGlobal;
    c.object(QStringLiteral("TotalList"), &G::TotalList);
    c.object(QStringLiteral("FilterCheck"), &G::FilterCheck);
    c.object(QStringLiteral("FormulaCheck"), &G::FormulaCheck);
    c.object(QStringLiteral("FormulaOperator"), &G::FormulaOperator);
    c.object(QStringLiteral("FldTypes"), &G::FldTypes);
    c.string(QStringLiteral("PrivateQueryPath"), &G::PrivateQueryPath, &G::SetPrivateQueryPath);
}

MX_DEFINE_CLASS(TMxQueryGlobal, TMxItem, describeQueryGlobal)

TMxQueryGlobal::TMxQueryGlobal(TMxItem* owner)
    : TMxItem(owner), m_totalList(std::make_unique<TStringList>())
{
    m_filterCheck.reset(new TFilterCheckList(this));
    m_formulaCheck.reset(new TFormulaCheckList(this));
    m_formulaOperator.reset(new TFormulaOperatorList(this));
    m_fldTypes.reset(new TFieldTypeList(this));
    if (!DestinationTypes())
        SetDestinationTypes(new TDestinationList(nullptr));
    if (!g_datasources)
        g_datasources = new TDbEngDatasourceList(nullptr);
    // The destinations find the private query folder through their hook.
    if (!PrivateQueryPathHook)
        PrivateQueryPathHook.set([] {
            TMxQueryGlobal* global = QueryGlobal();
            return global ? global->PrivateQueryPath() : QString();
        });
    // The data model reaches the dialects through its hook.
    if (!ModelDatasourceHook)
        ModelDatasourceHook.set([](const QString& name, TSQLSyntaxProperties& syntax) {
            TDbEngDatasourceList* list = Datasources();
            TDbEngDatasource* datasource = list ? list->FindDatasource(name) : nullptr;
            if (datasource)
                datasource->GetSyntaxProperties(syntax);
            return datasource != nullptr;
        });
    if (!g_queryGlobal)
        g_queryGlobal = this;
    RegisterEngineShutdown();
}

TMxQueryGlobal::~TMxQueryGlobal()
{
    freeLists();
    if (g_queryGlobal == this)
        g_queryGlobal = nullptr;
}

void TMxQueryGlobal::BeforeDestruction()
{
    freeLists();
}

void TMxQueryGlobal::freeLists() noexcept
{
    m_filterCheck.reset();
    m_formulaCheck.reset();
    m_formulaOperator.reset();
    m_fldTypes.reset();
}

void TMxQueryGlobal::SetPrivateQueryPath(const QString& value)
{
    if (value == m_privateQueryPath)
        return;
    m_privateQueryPath = value;
    Change();
}

void LoadDefinitionFile(TMxItem* list, const QString& fileName)
{
    const QString root = DriverRootDir();
    if (fileName.isEmpty())
        throw EMxException(QStringLiteral("Error loading a definition file: the engine names none"));
    if (root.isEmpty())
        throw EMxException(Format(QStringLiteral("Error loading %s: no installation folder"), {fileName}));
    const QString path = root + fileName;
    try {
        list->LoadFromFile(path);
    } catch (const std::exception& e) {
        throw EMxException(Format(QStringLiteral("Error loading %s: %s"), {path, ExceptionMessage(e)}));
    }
}

void TMxQueryGlobal::LoadGlobals()
{
    m_totalList->Clear();
    for (const char* total : {"count", "count all", "average", "sum", "min", "max"})
        m_totalList->Add(QString::fromLatin1(total));
    LoadDefinitionFile(m_filterCheck.get(), QString::fromLatin1(kFilterChecksFile));
    LoadDefinitionFile(m_formulaCheck.get(), QString::fromLatin1(kFormulaChecksFile));
    LoadDefinitionFile(m_formulaOperator.get(), QString::fromLatin1(kOperatorsFile));
    LoadDefinitionFile(m_fldTypes.get(), QString::fromLatin1(kFieldTypesFile));
    LoadDefinitionFile(DestinationTypes(), GetEngineDestFileName());
    LoadDefinitionFile(Datasources(), GetEngineDatasourceFileName());
    // The SQL function catalogue is optional: without its file it stays empty.
    const QString root = DriverRootDir();
    try {
        LoadSQLFunctions(root + SQLFunctionsFileName());
    } catch (const std::exception& e) {
        throw EMxException(Format(QStringLiteral("Error loading %s: %s"), {root + SQLFunctionsFileName(), ExceptionMessage(e)}));
    }
}

TMxQueryGlobal* QueryGlobal()
{
    return g_queryGlobal;
}

TDbEngDatasourceList* Datasources()
{
    return g_datasources;
}

void FreeQueryGlobals() noexcept
{
    TMxItem::Free(std::exchange(g_queryGlobal, nullptr));
    if (TDestinationList* types = DestinationTypes()) {
        types->ReleaseDrivers();
        SetDestinationTypes(nullptr);
        TMxItem::Free(types);
    }
    TMxItem::Free(std::exchange(g_datasources, nullptr));
}

} // namespace mx
