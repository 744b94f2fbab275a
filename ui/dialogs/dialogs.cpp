#include "dialogs.h"

#include "logindialog.h"
#include "opendialogs.h"
#include "promptdialog.h"
#include "splash.h"

#include "engine/core/file.h"
#include "engine/settings/global.h"
#include "engine/tools/hooks.h"
#include "engine/driver/rootdir.h"

#include "startup/startup.h"

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
