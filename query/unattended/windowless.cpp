#include "windowless.h"

#include "commandlinerun.h"
#include "reportneed.h"

#include "engine/core/exitprocs.h"
#include "engine/core/itemptr.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driverclasses.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/startparams.h"

#include "startup/startup.h"

#include <QCoreApplication>

#include <optional>

namespace mx {
namespace {

// The report layer's destination types of the built-in engine, read from
// its destination file; none for an engine from a plug-in (its file is
// known only once its library is loaded) or when the file cannot be read.
std::optional<QStringList> builtInReportTypes()
{
    try {
        const TMxDriverClassItem* engine = DriverClasses().GetByClassName(GetEngineName());
        if (!engine || !engine->DestFileName)
            return std::nullopt;
        TItemPtr<TDestinationList> types(new TDestinationList(nullptr));
        LoadDefinitionFile(types.get(), engine->DestFileName());
        return ReportLayerTypes(types.get());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

bool RunsWithoutWindows(const QStringList& args)
{
    const TStartParams params(args);
    if (!AsksUnattendedRun(params) || !PlatformShowsNothing(qEnvironmentVariable("QT_QPA_PLATFORM")))
        return false;
    const std::optional<QStringList> types = builtInReportTypes();
    // The engine read the command line from the process to find its name;
    // the program reads it again from its application object, which may
    // have taken its own options out.
    ResetStartParams();
    return types && !QueryFileNeedsReportLayer(params.Values(QStringLiteral("Param0")), *types);
}

int RunWithoutWindows(int& argc, char** argv)
{
    int status = rsFailed;
    {
        // A run without windows has no use for GLib's main loop: Qt's own
        // event dispatcher is quicker to set up. It is chosen as the
        // application object is built; the variable is taken back then, so
        // that programs the run starts get the environment it was given.
        const bool dispatcherChosen = qEnvironmentVariableIsSet("QT_NO_GLIB");
        if (!dispatcherChosen)
            qputenv("QT_NO_GLIB", "1");
        QCoreApplication app(argc, argv);
        if (!dispatcherChosen)
            qunsetenv("QT_NO_GLIB");
        // The start-up gives the application its name.
        if (InitApplication(QStringLiteral("Morvelin")))
            status = RunCommandLineQuery();
        // The settings and the engine are freed while the application
        // object still exists, as the windowed program does.
        RunExitProcs();
    }
    return status;
}

} // namespace mx
