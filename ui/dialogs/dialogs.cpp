#include "dialogs.h"

#include "logindialog.h"
#include "opendialogs.h"
#include "promptdialog.h"
#include "splash.h"

#include "core/file.h"
#include "settings/global.h"
#include "tools/hooks.h"
#include "driver/rootdir.h"

#include "ui/startup/startup.h"

namespace mx::ui {

bool CanShowDialogs()
{
    return IsInteractivePlatform();
}

void InstallDialogs()
{
    ShowSplashHook.set([](const QString& title) {
        ShowSplash(DriverRootDir(), AppGlobal() ? AppGlobal()->LangCode() : QString(), title);
    });
    PromptStringHook.set(&PromptString);
    PromptStringSimpleHook.set(&PromptStringSimple);
    LoginPromptHook.set(&PromptLogin);
    LocateFileHook.set(&LocateMissingFile);
}

} // namespace mx::ui
