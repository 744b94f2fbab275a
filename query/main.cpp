// Morv32, the query program. An unattended run that nobody watches and
// that prints no report of ours runs here with a core application; every
// other run loads the program's windows (windowsmodule.h).

#include "query/unattended/windowless.h"
#include "query/windows/windowsmodule.h"

#include "platform/core/systempaths.h"

#include "startup/startup.h"

#include <QString>
#include <QStringList>

#include <dlfcn.h>

#include <cstdio>

namespace {

QStringList arguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int runWithWindows(int argc, char** argv)
{
    const QString file = platform::programDirectory() + u'/' + QString::fromLatin1(kQueryWindowsLibrary);
    void* library = dlopen(file.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    auto entry = library ? reinterpret_cast<TQueryWindowsMain>(dlsym(library, kQueryWindowsEntry)) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "%s\n",
            QStringLiteral("Les fenêtres du programme ne se chargent pas (%1) : %2")
                .arg(file, QString::fromLocal8Bit(dlerror()))
                .toLocal8Bit()
                .constData());
        return 1;
    }
    // The library stays loaded until the process ends: the exit
    // procedures of the engine it filled may still run its code.
    return entry(&argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    mx::ChooseHeadlessPlatform();
    mx::KeepQtDiagnosticsOff();
    if (mx::RunsWithoutWindows(arguments(argc, argv)))
        return mx::RunWithoutWindows(argc, argv);
    return runWithWindows(argc, argv);
}
