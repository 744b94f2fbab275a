#include "adminstart.h"

#include "datamodelwindow.h"

#include "modeleditors.h"

#include "startup/startup.h"

#include <QApplication>
#include <QPointer>

namespace mx::admin {

TAdminProgramParts DefaultAdminProgramParts()
{
    TAdminProgramParts parts;
    parts.InitApplication = [] { return mx::InitApplication(QStringLiteral("MorvAdm")); };
    parts.RegisterDialogs = [] { RegisterDataModelEditors(); };
    parts.OpenWindow = [] { new TfmDataModel; };
    parts.Run = [] {
        // The windows end the program, not the last window Qt sees closed:
        // a dialog closed before any window must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        DataModelWindows().Quit = [] { QCoreApplication::quit(); };
        QApplication::exec();
        DataModelWindows().Quit = nullptr;
        return 0;
    };
    return parts;
}

int RunAdministration(const TAdminProgramParts& parts)
{
    if (!parts.InitApplication || !parts.InitApplication())
        return 1;
    if (parts.RegisterDialogs)
        parts.RegisterDialogs();
    if (parts.OpenWindow)
        parts.OpenWindow();
    return parts.Run ? parts.Run() : 0;
}

int RunAdministration()
{
    return RunAdministration(DefaultAdminProgramParts());
}

void FreeDataModelWindows()
{
    QList<QPointer<TfmDataModel>> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<TfmDataModel*>(w))
            open << window;
    for (const QPointer<TfmDataModel>& window : open)
        delete window.data();
}

} // namespace mx::admin
