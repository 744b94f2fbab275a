// Morv32, the query program.

#include "reports/queryreports.h"
#include "startup/querystart.h"

#include "core/exitprocs.h"

#include "ui/dialogs/dialogs.h"
#include "ui/errorwindow/application.h"
#include "ui/errorwindow/uiservice.h"
#include "ui/startup/startup.h"

int main(int argc, char** argv)
{
    mx::ChooseHeadlessPlatform();
    int status = 1;
    {
        mx::ui::TMxApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Morvelin"));
        // Dialogs only where someone sees them: offscreen, messages go to
        // standard error and a dialog nobody can answer fails at once.
        if (mx::IsInteractivePlatform())
            mx::ui::InstallUserInterface();
        mx::ui::InstallDialogs();
        // Before any query is loaded: the steps' reports, the report
        // destination and the export filters.
        mx::InstallQueryReports();
        status = mx::StartQueryProgram();
        // The settings object saves the recent files and the settings,
        // the engine frees its driver and libraries, while the application
        // object still exists.
        mx::RunExitProcs();
    }
    return status;
}
