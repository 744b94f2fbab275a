// Morva32, the administration program: the shared start-up, one data
// model window, and the event loop until the last data model window is
// gone. It reads no command line of its own.

#include "admin/window/adminstart.h"

#include "query/commands/designerhelp.h"
#include "engine/core/exitprocs.h"

#include "ui/dialogs/about.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/rundoc.h"
#include "ui/errorwindow/application.h"
#include "ui/errorwindow/uiservice.h"
#include "ui/options/fmoptions.h"
#include "startup/startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    mx::ChooseHeadlessPlatform();
    mx::KeepQtDiagnosticsOff();
    int status = 1;
    {
        mx::ui::TMxApplication app(argc, argv);
        // Dialogs only where someone sees them: offscreen, messages go to
        // standard error and a dialog nobody can answer fails at once.
        if (mx::IsInteractivePlatform())
            mx::ui::InstallUserInterface();
        mx::ui::InstallDialogs();
        mx::AboutBoxHook.set(mx::ui::ShowAboutBox);
        mx::OptionsDialogHook.set([] { mx::ui::ShowOptions(QApplication::activeWindow()); });
        mx::RunDocumentHook.set([](const QString& fileName, const QString& downloadPattern) {
            return mx::ui::RunDocument(fileName, downloadPattern);
        });
        status = mx::admin::RunAdministration();
        // The windows and their models go first, then the settings object
        // saves the recent files and the engine frees its driver, while the
        // application object still exists.
        mx::admin::FreeDataModelWindows();
        mx::RunExitProcs();
    }
    return status;
}
