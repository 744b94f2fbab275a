// The query program with its windows: loaded by morv32 (windowsmodule.h).

#include "windowsmodule.h"

#include <type_traits>

#include "query/commands/designerhelp.h"
#include "query/designer/commandlink.h"
#include "query/params/paramhooks.h"
#include "query/reports/queryreports.h"
#include "query/startup/querystart.h"

#include "engine/core/exitprocs.h"

#include "ui/formula/fmformula.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/rundoc.h"
#include "ui/options/fmoptions.h"
#include "ui/errorwindow/application.h"
#include "ui/errorwindow/uiservice.h"
#include "startup/startup.h"

extern "C" __attribute__((visibility("default"))) int MorvelinQueryWindowsMain(int* argc, char** argv)
{
    static_assert(std::is_same_v<decltype(&MorvelinQueryWindowsMain), TQueryWindowsMain>);
    int status = 1;
    {
        mx::ui::TMxApplication app(*argc, argv);
        QApplication::setApplicationName(QStringLiteral("Morvelin"));
        // Dialogs only where someone sees them: offscreen, messages go to
        // standard error and a dialog nobody can answer fails at once.
        if (mx::IsInteractivePlatform())
            mx::ui::InstallUserInterface();
        mx::ui::InstallDialogs();
        // Before any query is loaded: the steps' reports, the report
        // destination and the export filters.
        mx::InstallQueryReports();
        // The engine's formula, filter and criterion editors.
        mx::ui::InstallFormulaEditor();
        // The parameter editor, the prompter and their dialogs.
        mx::RegisterParamHooks();
        // The sort and result options dialogs of the designer's commands.
        mx::InstallDesignerDialogs();
        // No request of another program is served under a modal dialog.
        mx::HoldEngineWhileModal();
        // The help menu's about box and documents.
        mx::AboutBoxHook.set(mx::ui::ShowAboutBox);
        mx::OptionsDialogHook.set([] { mx::ui::ShowOptions(QApplication::activeWindow()); });
        mx::RunDocumentHook.set([](const QString& fileName, const QString& downloadPattern) {
            return mx::ui::RunDocument(fileName, downloadPattern, /*noRun=*/true);
        });
        status = mx::StartQueryProgram();
        // The settings object saves the recent files and the settings,
        // the engine frees its driver and libraries, while the application
        // object still exists.
        mx::RunExitProcs();
    }
    return status;
}
