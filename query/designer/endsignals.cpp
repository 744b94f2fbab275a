// The system asks the program to end (the session closes, kill, Ctrl+C in
// the terminal it was started from): every designer window closes as if
// the user closed it, so the settings and recent lists are saved and the
// program ends with status 0 once the last window is gone. A window whose
// query needs the save question asks it; one that stays open keeps the
// program running.

#include "endsignals.h"

#include "querydesigner.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mx {

namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &byte, 1);
}

void closeDesigners()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TfmQueryDesigner*>(w); d && d->isVisible())
            d->close();
}

} // namespace

void InstallEndSignals()
{
    if (g_pipe[0] >= 0 || !QCoreApplication::instance())
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buffer[16];
        [[maybe_unused]] const auto n = ::read(g_pipe[0], buffer, sizeof buffer);
        closeDesigners();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

} // namespace mx
