// morvshots OUTDIR: the picture of every window, over the bundled sample.

#include "shots.h"

#include "engine/core/exceptions.h"
#include "engine/errors/errorhandler.h"
#include "engine/core/exitprocs.h"

#include "ui/errorwindow/uiservice.h"
#include "startup/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QThread>
#include <QWidget>

#include <cstdio>

namespace mx::shots {

TShots::TShots(QString outDir, QString sampleDir) : m_outDir(std::move(outDir)), m_sampleDir(std::move(sampleDir)) {}

void TShots::Save(QWidget* window, const QString& name, int width, int height)
{
    if (!window) {
        Fail(name, QStringLiteral("no window"));
        return;
    }
    if (width > 0 && height > 0)
        window->resize(width, height);
    else
        window->adjustSize();
    window->show();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    const QString file = m_outDir + u'/' + name + QStringLiteral(".png");
    if (!window->grab().toImage().save(file)) {
        Fail(name, QStringLiteral("cannot write ") + file);
        return;
    }
    ++m_written;
    std::printf("%s\n", qPrintable(file));
}

void TShots::Fail(const QString& name, const QString& why)
{
    ++m_failed;
    std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(why));
}

} // namespace mx::shots

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int status = 1;
    {
        QApplication app(argc, argv);
        mx::ui::InstallUserInterface();
        const QStringList args = QCoreApplication::arguments();
        // Made absolute now: the start-up changes the working directory.
        const QString outDir = QFileInfo(args.value(1, QStringLiteral("screenshots"))).absoluteFilePath();
        QDir().mkpath(outDir);
        const QString sampleDir = QCoreApplication::applicationDirPath() + QStringLiteral("/sample");
        // The programs' own start-up, without the splash, over the
        // installation folder the build makes of bin/.
        if (mx::InitApplication(QStringLiteral("Morvelin"))) {
            mx::shots::TShots shots(QFileInfo(outDir).absoluteFilePath(), sampleDir);
            const auto area = [&](const char* name, void (*shoot)(mx::shots::TShots&)) {
                if (!mx::Guard(nullptr, [&] { shoot(shots); }))
                    shots.Fail(QString::fromLatin1(name), QStringLiteral("raised"));
            };
            area("foundation", mx::shots::ShootFoundation);
            area("controls", mx::shots::ShootControls);
            area("editor", mx::shots::ShootEditor);
            area("runtime", mx::shots::ShootRuntime);
            area("report", mx::shots::ShootReport);
            area("designer", mx::shots::ShootDesigner);
            area("formula", mx::shots::ShootFormula);
            area("dialogs", mx::shots::ShootDialogs);
            area("params", mx::shots::ShootParams);
            area("admin", mx::shots::ShootAdmin);
            area("diagram", mx::shots::ShootDiagram);
            area("datamodel", mx::shots::ShootDataModel);
            area("admin model", mx::shots::ShootAdminModel);
            std::printf("%d pictures in %s\n", shots.Written(), qPrintable(shots.OutDir()));
            status = shots.Failed() ? 1 : 0;
        }
        mx::RunExitProcs();
    }
    return status;
}
