#include "commandline.h"

#include "platform/core/systempaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <optional>

namespace mx {
namespace {

struct ArgState {
    QMutex mutex;
    std::optional<QStringList> replaced;
};

ArgState& state()
{
    static ArgState s;
    return s;
}

QStringList processArguments()
{
    if (QCoreApplication::instance())
        return QCoreApplication::arguments().mid(1);
    QFile f(QStringLiteral("/proc/self/cmdline"));
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QList<QByteArray> parts = f.readAll().split('\0');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (i == parts.size() - 1 && parts[i].isEmpty())
            break;
        out << QString::fromLocal8Bit(parts[i]);
    }
    return out;
}

} // namespace

QStringList CommandLineArguments()
{
    ArgState& s = state();
    {
        QMutexLocker lock(&s.mutex);
        if (s.replaced)
            return *s.replaced;
    }
    return processArguments();
}

void SetCommandLineArguments(const QStringList& args)
{
    ArgState& s = state();
    QMutexLocker lock(&s.mutex);
    s.replaced = args;
}

void ClearCommandLineArguments()
{
    ArgState& s = state();
    QMutexLocker lock(&s.mutex);
    s.replaced.reset();
}

bool IsSlashSwitch(const QString& arg)
{
    if (arg.size() < 2 || arg[0] != u'/')
        return false;
    for (qsizetype i = 1; i < arg.size(); ++i) {
        const QChar c = arg[i];
        if (!(c.isLetterOrNumber() || c == u'_'))
            return false;
    }
    return true;
}

QString ResolveCommandLineFile(const QString& arg)
{
    if (arg.isEmpty())
        return arg;
    return QDir::cleanPath(QDir(platform::launchDirectory()).absoluteFilePath(arg));
}

void GetCommandParam(bool byExtension, const QString& name, QString& value)
{
    value.clear();
    const QStringList args = CommandLineArguments();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.size() <= 1)
            continue;
        if (byExtension) {
            if (a.size() > name.size() && !name.isEmpty() && a.right(name.size()).compare(name, Qt::CaseInsensitive) == 0
                && !a.startsWith(u'-') && !IsSlashSwitch(a)) {
                value = ResolveCommandLineFile(a);
                return;
            }
        } else {
            const bool isSwitch = a.startsWith(u'-') || IsSlashSwitch(a);
            if (isSwitch && a.mid(1).compare(name, Qt::CaseInsensitive) == 0) {
                if (i + 1 < args.size())
                    value = args[i + 1];
                return;
            }
        }
    }
}

} // namespace mx
