#include "exitprocs.h"

#include "exceptions.h"

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace mx {
namespace {

struct Proc {
    int rank;
    qint64 seq;
    QString name;
    std::function<void()> fn;
};

struct ExitList {
    QMutex mutex;
    std::vector<Proc> procs;
    qint64 seq = 0;
    bool atexitSet = false;
};

// Never destroyed: the list runs from atexit, while statics are going away.
ExitList& list()
{
    static ExitList* l = new ExitList;
    return *l;
}

void runAtExit()
{
    RunExitProcs();
}

void report(const QString& name, const QString& what)
{
    const QByteArray b = QStringLiteral("exit procedure %1 failed: %2").arg(name, what).toLocal8Bit();
    std::fprintf(stderr, "%s\n", b.constData());
}

} // namespace

void AddExitProc(int rank, const QString& name, std::function<void()> proc)
{
    ExitList& l = list();
    QMutexLocker lock(&l.mutex);
    l.procs.push_back({rank, l.seq++, name, std::move(proc)});
    if (!l.atexitSet) {
        l.atexitSet = true;
        std::atexit(runAtExit);
    }
}

void RunExitProcs()
{
    ExitList& l = list();
    for (;;) {
        Proc next;
        {
            QMutexLocker lock(&l.mutex);
            if (l.procs.empty())
                return;
            auto it = std::min_element(l.procs.begin(), l.procs.end(), [](const Proc& a, const Proc& b) {
                return a.rank != b.rank ? a.rank < b.rank : a.seq > b.seq;
            });
            next = std::move(*it);
            l.procs.erase(it);
        }
        try {
            if (next.fn)
                next.fn();
        } catch (const std::exception& e) {
            report(next.name, ExceptionMessage(e));
        } catch (...) {
            report(next.name, QStringLiteral("unknown exception"));
        }
    }
}

void Halt(int exitCode)
{
    RunExitProcs();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace mx
