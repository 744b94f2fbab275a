#include "dbengine.h"

#include "dllloader.h"
#include "driver.h"
#include "driverclasses.h"
#include "rootdir.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/settings/startparams.h"
#include "engine/tools/messages.h"

#include "platform/core/inifile.h"
#include "platform/core/sharedlibrary.h"

namespace mx {
namespace {

TIMxDriver* g_engine = nullptr;
std::shared_ptr<platform::SharedLibrary> g_engineLibrary;

bool isPlainName(const QString& value)
{
    for (QChar c : value)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_')
            return false;
    return true;
}

} // namespace

QString GetEngineName()
{
    const QString param = StartParams().Values(QStringLiteral("dbeng")).trimmed();
    if (!param.isEmpty()) {
        if (!isPlainName(param))
            throw EMxException(Format(QStringLiteral("Invalid database engine name: %s"), {param}));
        return QStringLiteral("MX32") + param;
    }
    const QString root = DriverRootDir();
    if (!root.isEmpty()) {
        const auto ini = platform::IniFile::open(root + QStringLiteral("MORVELIN.INI"));
        const QString value = ini->readString(QStringLiteral("Config"), QStringLiteral("DbEngine32")).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return QString::fromLatin1(kDefaultEngineName);
}

const ClassInfo* FindEngineDriverClass()
{
    return DriverClasses().GetClassByName(GetEngineName());
}

void InitDbEngine()
{
    if (g_engine)
        return;
    TBusyCursor busy;
    const QString name = GetEngineName();
    if (TMxDriverClassItem* entry = DriverClasses().GetByClassName(name)) {
        TIMxDriver* driver = entry->Create ? entry->Create() : nullptr;
        if (!driver)
            throw Exception(Format(QStringLiteral("driver not available : %s"), {name}));
        g_engine = driver;
        return;
    }
    TDllLoaderList& loaders = DllLoaders();
    TDllLoader* loader = loaders.FindLoader(name);
    if (!loader) {
        auto* created = new TMxDBEngDllLoader(&loaders);
        created->SetName(name);
        loader = created;
        loader->Load();
    }
    auto* engineLoader = dynamic_cast<TMxDBEngDllLoader*>(loader);
    if (!engineLoader)
        throw Exception(QStringLiteral("Function not initialized : GetMxDriver"));
    TIMxDriver* driver = engineLoader->GetDriver();
    if (!driver)
        throw Exception(Format(QStringLiteral("driver not available : %s"), {name}));
    g_engine = driver;
    g_engineLibrary = engineLoader->Library();
}

TIMxDriver* DbEngine()
{
    return g_engine;
}

QString GetEngineDatasourceFileName()
{
    if (TMxDriverClassItem* entry = DriverClasses().GetByClassName(GetEngineName()))
        return entry->DatasourceFileName ? entry->DatasourceFileName() : QString();
    InitDbEngine();
    TMxDBEngDllLoader* loader = TMxDBEngDllLoader::Instance();
    if (!loader)
        throw Exception(QStringLiteral("Function not initialized : GetDatasourceFileName"));
    return loader->GetDatasourceFileName();
}

QString GetEngineDestFileName()
{
    if (TMxDriverClassItem* entry = DriverClasses().GetByClassName(GetEngineName()))
        return entry->DestFileName ? entry->DestFileName() : QString();
    InitDbEngine();
    TMxDBEngDllLoader* loader = TMxDBEngDllLoader::Instance();
    if (!loader)
        throw Exception(QStringLiteral("Function not initialized : GetDestFileName"));
    return loader->GetDestFileName();
}

void FreeDbEngine()
{
    TIMxDriver* driver = std::exchange(g_engine, nullptr);
    TMxItem::Free(driver);
    g_engineLibrary.reset();
}

} // namespace mx
