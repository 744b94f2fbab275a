#include "errorhandler.h"

#include "engine/core/exceptions.h"
#include "engine/core/userservice.h"
#include "engine/core/exitprocs.h"
#include "engine/core/translate.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <cstdio>

namespace mx {
namespace {

std::atomic<bool> g_installed{false};

// Stands for an exception that is no std::exception.
class EUnknown : public Exception {
public:
    EUnknown() : Exception(QStringLiteral("Unknown exception")) {}
    QString className() const override { return QStringLiteral("(unknown)"); }
};

void lastResort(const char* what) noexcept
{
    std::fprintf(stderr, "error handler: %s\n", what);
    std::fflush(stderr);
}

void plainErrorBox(const std::exception& e) noexcept
{
    try {
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
    } catch (...) {
        lastResort(e.what());
    }
}

QString translatedOr(const QString& text) noexcept
{
    try {
        return Translate(text);
    } catch (...) {
        return text;
    }
}

} // namespace

void InstallExceptionHandler()
{
    g_installed = true;
}

void RemoveExceptionHandler()
{
    g_installed = false;
}

bool ExceptionHandlerInstalled()
{
    return g_installed;
}

QString ErrorDetails(const QString& senderClass, const std::exception& e) noexcept
{
    try {
        const QString message = ExceptionMessage(e);
        if (senderClass.isEmpty())
            return message;
        try {
            return TranslateFmt(QStringLiteral("Un objet de classe %s a déclenché l'erreur suivante (%s): %s"),
                {senderClass, ExceptionClassName(e), message});
        } catch (...) {
            return message;
        }
    } catch (...) {
        return QString::fromUtf8(e.what());
    }
}

void HandleException(const QObject* sender, const std::exception& e) noexcept
{
    QString senderClass;
    if (sender)
        senderClass = QString::fromLatin1(sender->metaObject()->className());
    HandleException(senderClass, e);
}

void HandleException(const QString& senderClass, const std::exception& e) noexcept
{
    try {
        if (dynamic_cast<const EAbort*>(&e))
            return;
        if (dynamic_cast<const EMxException*>(&e)) {
            UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtWarning, mbOK);
            return;
        }
        // Out of service while its window is open: no re-entry.
        bool expected = true;
        if (!g_installed.compare_exchange_strong(expected, false)) {
            plainErrorBox(e);
            return;
        }
        int result = mrIgnore;
        try {
            const QString details = ErrorDetails(senderClass, e);
            const QString caption = translatedOr(QStringLiteral("Erreur de l'application"));
            result = UserService().ErrorWindow(caption, details);
        } catch (...) {
            plainErrorBox(e);
        }
        if (result == mrAbort)
            Halt(1);
        g_installed = true;
    } catch (...) {
        lastResort(e.what());
    }
}

void HandleCurrentException(const QObject* sender) noexcept
{
    HandleException(sender, std::current_exception());
}

void HandleException(const QObject* sender, std::exception_ptr e) noexcept
{
    if (!e)
        return;
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        HandleException(sender, ex);
    } catch (...) {
        HandleException(sender, EUnknown());
    }
}

} // namespace mx
