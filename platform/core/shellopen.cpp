#include "shellopen.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform {

bool shellOpen(const QString& target)
{
    if (target.isEmpty())
        return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    return QProcess::startDetached(opener, {target});
}

} // namespace platform
