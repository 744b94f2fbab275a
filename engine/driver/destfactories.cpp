#include "destfactories.h"

#include "destdriver.h"
#include "dllloader.h"

#include "engine/core/exceptions.h"

#include <QList>
#include <QPair>

namespace mx {
namespace {

QList<QPair<QString, TDestDriverFactory>>& factories()
{
    static QList<QPair<QString, TDestDriverFactory>> list;
    return list;
}

qsizetype indexOf(const QString& moduleName)
{
    const auto& list = factories();
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].first.compare(moduleName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

void RegisterDestDriver(const QString& moduleName, TDestDriverFactory factory)
{
    const qsizetype i = indexOf(moduleName);
    if (i >= 0)
        factories()[i].second = std::move(factory);
    else
        factories().append({moduleName, std::move(factory)});
}

void UnregisterDestDriver(const QString& moduleName)
{
    const qsizetype i = indexOf(moduleName);
    if (i >= 0)
        factories().removeAt(i);
}

bool HasDestDriverFactory(const QString& moduleName)
{
    return indexOf(moduleName) >= 0;
}

std::shared_ptr<TIMxDestDriver> GetDestDriver(const QString& moduleName, const QString& destName)
{
    const qsizetype i = indexOf(moduleName);
    if (i >= 0) {
        const TDestDriverFactory factory = factories()[i].second;
        if (factory) {
            if (TIMxDestDriver* driver = factory(destName))
                return std::shared_ptr<TIMxDestDriver>(driver);
        }
    }
    TDllLoaderList& loaders = DllLoaders();
    TDllLoader* loader = loaders.FindLoader(moduleName);
    if (!loader) {
        auto* created = new TMxDestDllLoader(&loaders);
        created->SetName(moduleName);
        loader = created;
        loader->Load();
    }
    auto* destLoader = dynamic_cast<TMxDestDllLoader*>(loader);
    if (!destLoader)
        throw Exception(QStringLiteral("Function not initialized : MxDestDriver"));
    return destLoader->GetDestDriver(destName);
}

} // namespace mx
