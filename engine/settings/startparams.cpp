#include "startparams.h"

#include "engine/core/exitprocs.h"
#include "engine/tools/commandline.h"

#include <QMutex>
#include <QMutexLocker>

#include <memory>

namespace mx {
namespace {

struct Holder {
    QMutex mutex;
    std::unique_ptr<TStartParams> params;
    bool exitSet = false;
};

Holder& holder()
{
    static Holder* h = new Holder;
    return *h;
}

} // namespace

TStartParams::TStartParams(const QStringList& args)
{
    QString pending;
    for (const QString& a : args) {
        if (a.isEmpty())
            continue;
        if (a.startsWith(u'-')) {
            pending = a.mid(1).toUpper();
        } else if (IsSlashSwitch(a)) {
            store(a.mid(1), QStringLiteral("TRUE"));
        } else if (!pending.isEmpty()) {
            store(pending, a);
            pending.clear();
        } else {
            store(QStringLiteral("Param%1").arg(m_paramCount++), ResolveCommandLineFile(a));
        }
    }
}

void TStartParams::store(const QString& name, const QString& value)
{
    for (auto& nv : m_values) {
        if (nv.first.compare(name, Qt::CaseInsensitive) == 0) {
            nv.second = value;
            return;
        }
    }
    m_values.append({name, value});
}

QString TStartParams::Values(const QString& name) const
{
    for (const auto& nv : m_values)
        if (nv.first.compare(name, Qt::CaseInsensitive) == 0)
            return nv.second;
    return {};
}

bool TStartParams::Contains(const QString& name) const
{
    for (const auto& nv : m_values)
        if (nv.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString TStartParams::Param(int i) const
{
    return Values(QStringLiteral("Param%1").arg(i));
}

TStartParams& StartParams()
{
    Holder& h = holder();
    QMutexLocker lock(&h.mutex);
    if (!h.params) {
        h.params = std::make_unique<TStartParams>(CommandLineArguments());
        if (!h.exitSet) {
            h.exitSet = true;
            AddExitProc(erStartParams, QStringLiteral("StartParams"), [] {
                Holder& hh = holder();
                QMutexLocker l(&hh.mutex);
                hh.params.reset();
                hh.exitSet = false;
            });
        }
    }
    return *h.params;
}

void ResetStartParams()
{
    Holder& h = holder();
    QMutexLocker lock(&h.mutex);
    h.params.reset();
}

bool IsQuietStart()
{
    const TStartParams& p = StartParams();
    for (const char* n : {"SRV", "NOSPLASH", "REGSERVER"})
        if (p.Values(QString::fromLatin1(n)).toUpper() == u"TRUE")
            return true;
    return false;
}

} // namespace mx
