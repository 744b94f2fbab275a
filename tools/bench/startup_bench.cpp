// bench_startup T0_NS: the query program's start-up up to its about box,
// shown offscreen. Prints the nanoseconds from T0_NS (the caller's clock,
// CLOCK_REALTIME, read just before it started this program) to the box's
// first paint, then ends. Run by startup.sh.

#include "ui/dialogs/about.h"
#include "ui/dialogs/dialogs.h"
#include "ui/errorwindow/application.h"
#include "startup/startup.h"

#include "engine/core/exitprocs.h"

#include <QEvent>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

class FirstPaint : public QObject {
    Q_OBJECT

public:
    long long at = 0;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !at)
            at = nowNs();
        return QObject::eventFilter(o, e);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const long long t0 = argc > 1 ? std::atoll(argv[1]) : nowNs();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int status = 1;
    {
        mx::ui::TMxApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Morvelin"));
        mx::ui::InstallDialogs();
        if (mx::InitApplication(QStringLiteral("Morvelin"))) {
            mx::ui::TfmAbout about;
            about.Fill(mx::ui::LoadedLibraries());
            FirstPaint paint;
            about.installEventFilter(&paint);
            about.show();
            while (!paint.at)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            std::printf("%lld\n", paint.at - t0);
            status = 0;
        }
        mx::RunExitProcs();
    }
    return status;
}

#include "startup_bench.moc"
