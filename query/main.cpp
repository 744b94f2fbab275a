// Morv32, the query program.

#include "reports/queryreports.h"
#include "startup/querystart.h"

#include "core/exitprocs.h"

#include "ui/startup/startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    mx::ChooseHeadlessPlatform();
    mx::KeepQtDiagnosticsOff();
    int status = 1;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Morvelin"));
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
