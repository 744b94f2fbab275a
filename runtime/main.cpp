// morvrs, the report runtime: it prints the report files the program
// loads into it, reading their data from the program.
//
//   morvrs [-design] [-minimized]
//
// -design plays the full report program (the socket "ReportSmith"),
// otherwise the run-time engine ("RS_RUNTIME"); -minimized keeps its window
// minimised. Without a display it runs on Qt's offscreen platform.

#include "runtimeserver.h"

#include "engine/core/escape.h"
#include "ui/errorwindow/application.h"
#include "ui/errorwindow/uiservice.h"
#include "startup/startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the runtime's own messages, as the program's.
    mx::KeepQtDiagnosticsOff();
    // As in the program: what a request's handling raises reaches the
    // error handler, and the runtime goes on serving.
    mx::ui::TMxApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("morvrs"));
    // Its windows only where someone sees them; otherwise messages go to
    // standard error.
    if (mx::IsInteractivePlatform())
        mx::ui::InstallUserInterface();
    const QStringList args = QApplication::arguments();
    const bool design = args.contains(QStringLiteral("-design"));
    const bool minimized = args.contains(QStringLiteral("-minimized"));
    morvrs::RuntimeServer server(design, design || !minimized);
    QString error;
    switch (server.listen(&error)) {
    case morvrs::RuntimeServer::Listens:
        return app.exec();
    case morvrs::RuntimeServer::Served:
        return 0; // another runtime started with this one serves the user
    case morvrs::RuntimeServer::Failed:
        break;
    }
    std::fprintf(stderr, "morvrs: %s\n", mx::EscapeControls(error).toLocal8Bit().constData());
    return 2;
}
