#include "scriptedservice.h"

#include "engine/core/exceptions.h"

#include <QUrl>

namespace mx::ui::test {
namespace {

template <class T>
std::optional<T> takeFirst(QList<T>& list)
{
    if (list.isEmpty())
        return std::nullopt;
    return list.takeFirst();
}

} // namespace

QStringList TScriptedUiService::texts(const QString& kind) const
{
    QStringList out;
    for (const TRequest& r : requests)
        if (r.kind == kind)
            out << r.text;
    return out;
}

int TScriptedUiService::MessageDlg(const QString& text, TMsgDlgType type, int buttons)
{
    requests.append({QStringLiteral("message"), text, type, buttons, {}});
    if (type == TMsgDlgType::mtError || type == TMsgDlgType::mtWarning)
        countFailure();
    if (const auto a = takeFirst(messageAnswers))
        return *a;
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    return mrOk;
}

void TScriptedUiService::Warning(const QString& text)
{
    countFailure();
    requests.append({QStringLiteral("warning"), text, TMsgDlgType::mtWarning, 0, {}});
}

void TScriptedUiService::ShowException(const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e))
        return;
    countFailure();
    requests.append({QStringLiteral("exception"), ExceptionMessage(e), TMsgDlgType::mtError, 0, {}});
}

int TScriptedUiService::ErrorWindow(const QString& caption, const QString& details)
{
    countFailure();
    requests.append({QStringLiteral("error window"), caption + QStringLiteral(": ") + details, TMsgDlgType::mtError, 0, {}});
    return errorWindowAnswer;
}

bool TScriptedUiService::ShowHelp(const QString& helpFile, int context)
{
    requests.append({QStringLiteral("help"), helpFile + u'#' + QString::number(context), TMsgDlgType::mtCustom, 0, {}});
    return true;
}

bool TScriptedUiService::ShellOpen(const QString& target)
{
    requests.append({QStringLiteral("shell"), target, TMsgDlgType::mtCustom, 0, {}});
    return true;
}

QStringList TScriptedUiService::nextFiles(const QString& kind, const TFileRequest& request)
{
    requests.append({kind, request.caption, TMsgDlgType::mtCustom, 0, request});
    return takeFirst(fileAnswers).value_or(QStringList());
}

QString TScriptedUiService::OpenFileName(QWidget*, const TFileRequest& request)
{
    return nextFiles(QStringLiteral("open"), request).value(0);
}

QStringList TScriptedUiService::OpenFileNames(QWidget*, const TFileRequest& request)
{
    return nextFiles(QStringLiteral("open files"), request);
}

QString TScriptedUiService::SaveFileName(QWidget*, const TFileRequest& request)
{
    return nextFiles(QStringLiteral("save"), request).value(0);
}

TSaveChoice TScriptedUiService::SaveFileAs(QWidget*, const TFileRequest& request)
{
    TSaveChoice choice{nextFiles(QStringLiteral("save"), request).value(0), -1};
    if (!fileTypeAnswers.isEmpty())
        choice.filterIndex = fileTypeAnswers.takeFirst();
    return choice;
}

QString TScriptedUiService::BrowseDirectory(QWidget*, const QString& caption, const QString& start)
{
    TFileRequest r;
    r.caption = caption;
    r.directory = start;
    requests.append({QStringLiteral("directory"), caption, TMsgDlgType::mtCustom, 0, r});
    return takeFirst(directoryAnswers).value_or(QString());
}

bool TScriptedUiService::PickFont(QWidget*, QFont& font)
{
    requests.append({QStringLiteral("font"), font.family(), TMsgDlgType::mtCustom, 0, {}});
    const auto a = takeFirst(fontAnswers);
    if (!a || !*a)
        return false;
    font = **a;
    return true;
}

bool TScriptedUiService::PrintDialog(QWidget*, QPrinter&)
{
    requests.append({QStringLiteral("print"), QString(), TMsgDlgType::mtCustom, 0, {}});
    return takeFirst(printAnswers).value_or(false);
}

bool TScriptedUiService::PrinterSetup(QWidget*, QPrinter&)
{
    requests.append({QStringLiteral("printer setup"), QString(), TMsgDlgType::mtCustom, 0, {}});
    return takeFirst(printAnswers).value_or(false);
}

bool TScriptedUiService::OpenUrl(const QUrl& url)
{
    requests.append({QStringLiteral("url"), url.toString(), TMsgDlgType::mtCustom, 0, {}});
    return true;
}

} // namespace mx::ui::test
