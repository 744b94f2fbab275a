#include "userservice.h"

#include "exceptions.h"
#include "escape.h"

#include <cstdio>

namespace mx {
namespace {

TUserService& defaultService()
{
    static TUserService s;
    return s;
}
TUserService* g_service = nullptr;

// Messages may quote names and values from files: no control sequence of
// theirs reaches the terminal.
void toStderr(const QString& text)
{
    const QByteArray b = EscapeControls(text, true).toLocal8Bit();
    std::fprintf(stderr, "%s\n", b.constData());
    std::fflush(stderr);
}

} // namespace

int TUserService::MessageDlg(const QString& text, TMsgDlgType type, int buttons)
{
    if (type == TMsgDlgType::mtError || type == TMsgDlgType::mtWarning)
        countFailure();
    toStderr(text);
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    if (buttons & mbAbort)
        return mrAbort;
    return mrOk;
}

void TUserService::Warning(const QString& text)
{
    countFailure();
    toStderr(text);
}

void TUserService::ShowException(const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e))
        return;
    countFailure();
    toStderr(ExceptionMessage(e));
}

void TUserService::SetBusy(bool) {}

bool TUserService::ShellOpen(const QString&)
{
    return false;
}

void TUserService::ProcessMessages() {}

int TUserService::ErrorWindow(const QString& caption, const QString& details)
{
    countFailure();
    toStderr(caption + QStringLiteral(": ") + details);
    return mrIgnore;
}

bool TUserService::ShowHelp(const QString&, int)
{
    return false;
}

TUserService& UserService()
{
    return g_service ? *g_service : defaultService();
}

TUserService* SetUserService(TUserService* service)
{
    TUserService* old = g_service;
    g_service = service;
    return old;
}

int TRecordingUserService::MessageDlg(const QString& text, TMsgDlgType type, int)
{
    messages << text;
    messageTypes << type;
    return answer;
}

void TRecordingUserService::Warning(const QString& text)
{
    countFailure();
    warnings << text;
}

void TRecordingUserService::ShowException(const std::exception& e)
{
    exceptions << ExceptionClassName(e) + QStringLiteral(": ") + ExceptionMessage(e);
}

bool TRecordingUserService::ShellOpen(const QString& target)
{
    opened << target;
    return true;
}

int TRecordingUserService::ErrorWindow(const QString& caption, const QString& details)
{
    countFailure();
    errorWindows << caption + QStringLiteral(": ") + details;
    return errorAnswer;
}

bool TRecordingUserService::ShowHelp(const QString& helpFile, int context)
{
    help << helpFile + u'#' + QString::number(context);
    return true;
}

void TRecordingUserService::SetBusy(bool busy)
{
    busyDepth += busy ? 1 : -1;
}

} // namespace mx
