// Runs one piece of the settings machinery in a process of its own and
// prints what came of it, one "name=value" line each.
//
//   probe rootdir          the installation folder, the warnings shown and
//                          the library loads attempted by the settings
//   probe abort FILE       creates the settings, adds FILE to recent-file
//                          list 10, then an unexpected error is answered
//                          with Abort: the process must end with code 1
//                          after the shutdown list saved the list

#include "engine/core/userservice.h"
#include "engine/errors/errorhandler.h"
#include "engine/core/exitprocs.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/tools/commandline.h"
#include "engine/tools/installation.h"

#include "platform/core/sharedlibrary.h"

#include <QDir>

#include <cstdio>
#include <stdexcept>

namespace {

class ProbeService : public mx::TRecordingUserService {
public:
    int ErrorWindow(const QString& caption, const QString& details) override
    {
        std::printf("errorwindow=%s: %s\n", qPrintable(caption), qPrintable(details));
        std::fflush(stdout);
        return mx::mrAbort;
    }
    void Warning(const QString& text) override
    {
        std::printf("warning=%s\n", qPrintable(text));
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    ProbeService service;
    mx::SetUserService(&service);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (what == u"rootdir") {
        mx::SetCommandLineArguments({QStringLiteral("-CurrentDir"), QDir::tempPath()});
        const int before = platform::SharedLibrary::loadAttempts();
        mx::CreateAppGlobal();
        std::printf("root=%s\n", qPrintable(mx::GetRootDir()));
        std::printf("loads=%d\n", platform::SharedLibrary::loadAttempts() - before);
        std::printf("library=%s\n", qPrintable(mx::PluginLibraryPath(QStringLiteral("MXTR32.DLL"))));
        mx::FreeAppGlobal();
        return 0;
    }
    if (what == u"abort" && argc > 2) {
        mx::SetCommandLineArguments({QStringLiteral("-CurrentDir"), QDir::tempPath()});
        mx::CreateAppGlobal();
        mx::AppGlobal()->History(10)->Add(QString::fromLocal8Bit(argv[2]));
        mx::MRUs().SetMaxCount(3);
        mx::AddExitProc(mx::erLast, QStringLiteral("probe"), [] {
            std::printf("exitproc=ran\n");
            std::fflush(stdout);
        });
        mx::InstallExceptionHandler();
        mx::HandleException(QStringLiteral("QPushButton"), std::runtime_error("boom"));
        std::printf("returned\n");
        return 0;
    }
    std::fprintf(stderr, "usage: probe rootdir | abort FILE\n");
    return 2;
}
