#include "bdesession.h"

#include "engine/driver/rootdir.h"
#include "engine/global/datasource.h"
#include "engine/tools/installation.h"

#include "platform/dbengine/dbsession.h"

#include <memory>

namespace mx {
namespace {

std::unique_ptr<platform::DbSession>& session()
{
    static std::unique_ptr<platform::DbSession> s;
    return s;
}

} // namespace

platform::DbSession& BdeSession()
{
    std::unique_ptr<platform::DbSession>& s = session();
    if (!s) {
        auto made = std::make_unique<platform::DbSession>();
        made->setTextFormat(platform::DbTextFormat{DatasourceSyntax(QString::fromLatin1(kStandardDatasource)).SQLDateEditor});
        made->setAliasFolders(DriverRootDir(), GetWindowsDir());
        s = std::move(made);
    }
    return *s;
}

void ResetBdeSession()
{
    session().reset();
}

} // namespace mx
