#include "messages.h"

#include "hooks.h"
#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/core/translate.h"

#include "platform/core/systempaths.h"

#include <QFileInfo>

#include <atomic>

namespace mx {
namespace {

std::atomic<int> g_busyDepth{0};

} // namespace

QString ProcErrorText(const QString& procName, const std::exception& e)
{
    const QString module = QFileInfo(platform::programFilePath()).fileName();
    return TranslateFmt(QStringLiteral("Erreur dans la procédure %s dans le module %s"), {procName, module})
        + u'\n'
        + TranslateFmt(QStringLiteral("Message de type %s = %s"), {ExceptionClassName(e), ExceptionMessage(e)});
}

void ShowProcError(const QString& procName, const std::exception& e)
{
    QString text;
    try {
        text = ProcErrorText(procName, e);
    } catch (const std::exception&) {
        text = procName + QStringLiteral(": ") + ExceptionMessage(e);
    }
    UserService().MessageDlg(text, TMsgDlgType::mtError, mbOK);
}

void SetBusyCursor()
{
    ++g_busyDepth;
    UserService().SetBusy(true);
}

void RestoreCursor()
{
    int depth = g_busyDepth.load();
    while (depth > 0 && !g_busyDepth.compare_exchange_weak(depth, depth - 1)) {
    }
    if (depth > 0)
        UserService().SetBusy(false);
}

int BusyCursorDepth()
{
    return g_busyDepth.load();
}

bool CallPromptString(const QString& caption, const QString& prompt, QString& value)
{
    if (!PromptStringSimpleHook)
        return false;
    return PromptStringSimpleHook(caption, prompt, value);
}

bool CallPromptStringEx(const QString& caption, const QString& prompt, TStrings* list, int maxLength,
    QString& value, const QString& unused, const QString& kind)
{
    if (!PromptStringHook)
        return false;
    return PromptStringHook(caption, prompt, list, maxLength, value, unused, kind);
}

} // namespace mx
