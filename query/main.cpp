// Morv32, the query program.

#include "designer/commandlink.h"
#include "params/paramhooks.h"
#include "reports/queryreports.h"
#include "startup/querystart.h"

#include "core/exitprocs.h"

#include "ui/formula/fmformula.h"
#include "ui/startup/startup.h"

#include "ui/errorwindow/application.h"

int main(int argc, char** argv)
{
    mx::ChooseHeadlessPlatform();
    int status = 1;
    {
        mx::ui::TMxApplication app(argc, argv);
        mx::ui::TMxApplication::setApplicationName(QStringLiteral("Morvelin"));
        // Before any query is loaded: the steps' reports, the report
        // destination and the export filters.
        mx::InstallQueryReports();
        // The engine's formula, filter and criterion editors.
        mx::ui::InstallFormulaEditor();
        // The parameter editor, the prompter and their dialogs.
        mx::RegisterParamHooks();
        // The sort and result options dialogs of the designer's commands.
        mx::InstallDesignerDialogs();
        status = mx::StartQueryProgram();
        // The settings object saves the recent files and the settings,
        // the engine frees its driver and libraries, while the application
        // object still exists.
        mx::RunExitProcs();
    }
    return status;
}
