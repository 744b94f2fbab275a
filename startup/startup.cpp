#include "startup.h"

#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/global.h"
#include "engine/settings/startparams.h"

#include "platform/core/systempaths.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

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

void KeepQtDiagnosticsOff()
{
    if (qEnvironmentVariableIntValue("MORVELIN_QT_MESSAGES") == 1)
        return;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtCriticalMsg && type != QtFatalMsg)
            return;
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    });
}

bool PlatformShowsNothing(const QString& platform)
{
    const QString name = platform.section(u':', 0, 0).trimmed();
    return name == u"offscreen" || name == u"minimal";
}

bool IsInteractivePlatform()
{
    if (InteractivePlatformOverride)
        return InteractivePlatformOverride();
    // Read through the application's properties, so that a program
    // without the GUI libraries can ask too.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || !app->inherits("QGuiApplication"))
        return false;
    return !PlatformShowsNothing(app->property("platformName").toString());
}

QString HelpFileName(const QString& programDir, const QString& moduleName, const QString& langCode)
{
    QString dir = programDir;
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
        dir += u'/';
    return dir + moduleName.left(5) + langCode + QStringLiteral(".HLP");
}

bool InitApplication(const QString& moduleName)
{
    try {
        // The application object is made by the program's entry; here
        // it gets its names. An error box closed before any window exists
        // must not end the program: the windows decide when it ends.
        if (QCoreApplication::instance()) {
            QCoreApplication::setApplicationName(moduleName);
            QCoreApplication* app = QCoreApplication::instance();
            if (app->inherits("QGuiApplication")) {
                app->setProperty("applicationDisplayName", moduleName);
                app->setProperty("quitOnLastWindowClosed", false);
            }
        }
        // The settings object.
        if (!AppGlobal())
            CreateAppGlobal();
        // The help file of the program in the user's language.
        AppGlobal()->SetHelpFile(HelpFileName(platform::programDirectory(), moduleName, AppGlobal()->LangCode()));
        // The splash; nothing is shown on a platform nobody sees.
        if (!IsQuietStart() && IsInteractivePlatform() && ShowSplashHook)
            ShowSplashHook(Translate(QStringLiteral("%1 Module Title").arg(moduleName)));
        // Let the splash paint.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        // The engine is shut down in order at exit, whatever happens
        // from here on.
        RegisterEngineShutdown();
        if (!QueryGlobal())
            new TMxQueryGlobal(nullptr);
        QueryGlobal()->LoadGlobals();
        // The private query folder from the settings.
        QueryGlobal()->SetPrivateQueryPath(AppGlobal()->GetConfigStr(csPrivateQueryPath));
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
        return false;
    }
}

} // namespace mx
