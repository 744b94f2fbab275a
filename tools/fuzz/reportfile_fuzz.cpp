// Feeds arbitrary bytes to the runtime's report file reader, as a report
// file (up to a first NUL byte) and the initial values a program loads it
// with (after it). Besides crashes, leaks and hangs, a fault is a file read
// without error whose variables cannot each be set by their own name, or
// whose initial values, once accepted, are not what the variables hold.

#include "runtime/reportfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir* g_dir = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_dir = new QTemporaryDir; // for the whole run
    return g_dir->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArray fileBytes = nul < 0 ? bytes : bytes.left(nul);
    const QString initial = nul < 0 ? QString() : QString::fromUtf8(bytes.mid(nul + 1));

    const QString file = g_dir->filePath(QStringLiteral("FUZZ.rpt"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(fileBytes);
    }
    morvrs::ReportFile report;
    QString error;
    if (!report.load(file, &error, g_dir->path()))
        return 0;
    (void)report.expandedTitle();
    for (const QString& field : report.fields)
        (void)report.caption(field);
    for (const auto& [name, value] : QList<QPair<QString, QString>>(report.variables))
        if (!report.setVariable(name, value))
            std::abort(); // a variable of the file that its own name does not find

    QList<QPair<QString, QString>> values;
    qint64 pid = 0;
    if (!initial.isEmpty() && morvrs::parseInitialValues(initial, &values, &pid, &error)) {
        QString unknown;
        if (report.setVariables(values, &unknown)) {
            // The last value given for a name is what its variable holds.
            QHash<QString, QString> given;
            for (const auto& [name, value] : values)
                given.insert(name.toCaseFolded(), value);
            for (const auto& [name, value] : report.variables) {
                const auto it = given.constFind(name.toCaseFolded());
                if (it != given.cend() && *it != value)
                    std::abort();
            }
        }
    }
    return 0;
}
