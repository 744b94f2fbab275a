#include "drivernames.h"

#include "engine/bde/bdedriver.h"
#include "engine/core/exceptions.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driver.h"
#include "engine/tools/stringbuffer.h"

#include <QByteArray>

#include <functional>

namespace mx {

namespace {

TIMxDriver* driver()
{
    InitDbEngine();
    TIMxDriver* d = DbEngine();
    if (!d)
        throw EMxInternal(QStringLiteral("No database driver"));
    return d;
}

QStringList throughBuffer(const std::function<void(char*, int)>& fill)
{
    QByteArray buffer(kDriverNamesBufferSize, '\0');
    fill(buffer.data(), int(buffer.size()));
    QStringList names;
    BufToStrings(buffer, names);
    return names;
}

} // namespace

QStringList DriverAliasNames()
{
    TIMxDriver* d = driver();
    if (auto* builtIn = dynamic_cast<TMxBdeDriver*>(d))
        return builtIn->AliasNameList();
    return throughBuffer([d](char* b, int n) { d->GetAliasNames(b, n); });
}

QStringList DriverTableNames(const QString& databaseName)
{
    TIMxDriver* d = driver();
    if (auto* builtIn = dynamic_cast<TMxBdeDriver*>(d))
        return builtIn->TableNameList(databaseName);
    return throughBuffer([d, databaseName](char* b, int n) { d->GetTableNames(databaseName, b, n); });
}

QStringList DriverDriverNames()
{
    TIMxDriver* d = driver();
    if (auto* builtIn = dynamic_cast<TMxBdeDriver*>(d))
        return builtIn->DriverNameList();
    return throughBuffer([d](char* b, int n) { d->GetDriverNames(b, n); });
}

} // namespace mx
