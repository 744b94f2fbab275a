#include "querystart.h"

#include "query/unattended/commandlinerun.h"

#include "engine/core/userservice.h"
#include "engine/settings/global.h"
#include "engine/settings/startparams.h"
#include "engine/tools/commandline.h"

#include "startup/startup.h"

#include "query/server/serverglobal.h"

#include "query/designer/querydesigner.h"

#include <cstdio>

namespace mx {

TQueryProgramParts DefaultQueryProgramParts()
{
    TQueryProgramParts parts;
    parts.InitApplication = [] { return InitApplication(QStringLiteral("Morvelin")); };
    parts.CreateServer = [] { CreateDdeServer(); };
    parts.StartServer = [] {
        // A second program of the user runs without serving.
        QString error;
        if (!StartDdeServer(QString(), &error))
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    };
    parts.RunCommandLineQuery = [] { return RunCommandLineQuery(); };
    parts.OpenDesigner = [](const QString& model, const QString& query) { return OpenDesignerAndRun(model, query); };
    return parts;
}

int StartQueryProgram(const TQueryProgramParts& parts)
{
    if (!parts.InitApplication())
        return rsFailed;
    if (parts.CreateServer)
        parts.CreateServer();
    if (AsksUnattendedRun(StartParams()))
        return parts.RunCommandLineQuery();
    if (parts.StartServer)
        parts.StartServer();
    QString model;
    GetCommandParam(true, QStringLiteral("MDD"), model);
    QString query;
    if (model.isEmpty())
        GetCommandParam(true, QStringLiteral("MQR"), query);
    return parts.OpenDesigner(model, query);
}

int StartQueryProgram()
{
    return StartQueryProgram(DefaultQueryProgramParts());
}

} // namespace mx
