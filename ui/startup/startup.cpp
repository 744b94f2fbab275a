#include "startup.h"

#include "core/exceptions.h"
#include "core/userservice.h"
#include "global/engineshutdown.h"
#include "global/queryglobal.h"
#include "settings/global.h"
#include "settings/startparams.h"

#include "platform/core/systempaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

namespace mx {

THookSlot<void(const QString&)> ShowSplashHook;
THookSlot<bool()> InteractivePlatformOverride;

namespace {

bool envSet(const char* name)
{
    return !qEnvironmentVariableIsEmpty(name);
}

} // namespace

bool ChooseHeadlessPlatform()
{
    if (envSet("QT_QPA_PLATFORM") || envSet("DISPLAY") || envSet("WAYLAND_DISPLAY"))
        return false;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

bool IsInteractivePlatform()
{
    if (InteractivePlatformOverride)
        return InteractivePlatformOverride();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QString name = QGuiApplication::platformName();
    return name != u"offscreen" && name != u"minimal";
}

QString HelpFileName(const QString& programDir, const QString& moduleName, const QString& langCode)
{
    QString dir = programDir;
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir += u'/';
    return dir + moduleName.left(5) + langCode + QStringLiteral(".HLP");
}

bool InitApplication(const QString& moduleName, const QString& /*unused*/)
{
    try {
        // 1. The application object is made by the program's entry; here
        // it gets its names. An error box closed before any window exists
        // must not end the program: the windows decide when it ends.
        if (QCoreApplication::instance()) {
            QCoreApplication::setApplicationName(moduleName);
            if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
                QGuiApplication::setApplicationDisplayName(moduleName);
                gui->setQuitOnLastWindowClosed(false);
            }
        }
        // 2.
        if (!AppGlobal())
            CreateAppGlobal();
        // 3.
        AppGlobal()->SetHelpFile(HelpFileName(platform::programDirectory(), moduleName, AppGlobal()->LangCode()));
        // 4. Nothing is shown on a platform nobody sees.
        if (!IsQuietStart() && IsInteractivePlatform() && ShowSplashHook)
            ShowSplashHook(Translate(QStringLiteral("%1 Module Title").arg(moduleName)));
        // 5.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        // 6. The engine is shut down in order at exit, whatever happens
        // from here on.
        RegisterEngineShutdown();
        if (!QueryGlobal())
            new TMxQueryGlobal(nullptr);
        QueryGlobal()->LoadGlobals();
        // 7.
        QueryGlobal()->SetPrivateQueryPath(AppGlobal()->GetConfigStr(csPrivateQueryPath));
        // 8. No hidden main form: a Qt application needs none.
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
        return false;
    }
}

} // namespace mx
