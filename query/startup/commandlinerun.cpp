#include "commandlinerun.h"

#include "core/exceptions.h"
#include "core/file.h"
#include "core/userservice.h"
#include "run/queryrun.h"
#include "settings/global.h"
#include "settings/startparams.h"
#include "tools/hooks.h"

#include "ui/startup/startup.h"

#include <optional>

namespace mx {
namespace {

[[noreturn]] void refuseLogin(const QString& caption)
{
    throw EMxAbort(TranslateFmt(QStringLiteral("%s : le modèle demande un nom d'utilisateur et un mot de passe, "
                                               "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
        {caption}));
}

[[noreturn]] void refuseParams(const QString& caption)
{
    throw EMxAbort(TranslateFmt(QStringLiteral("%s : la requête demande des paramètres, "
                                               "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
        {caption}));
}

// For the life of the run: the dialogs nobody can answer refuse at once.
class TUnattendedDialogs {
public:
    TUnattendedDialogs()
    {
        const bool interactive = IsInteractivePlatform();
        if (!interactive || !LoginPromptHook)
            m_login.emplace(LoginPromptHook, [](const QString& caption, QString&, QString&) -> bool { refuseLogin(caption); });
        if (!interactive || !ParamsPrompterHook)
            m_prompter.emplace(ParamsPrompterHook,
                [](TMxDataModel*, const QString& caption, bool&, TStrings*, TMxParamControlList*, bool) { refuseParams(caption); });
        // A missing file is not looked for: the load fails and says which.
        if (!interactive)
            m_locate.emplace(LocateFileHook, nullptr);
    }

private:
    std::optional<ScopedHook<decltype(LoginPromptHook)>> m_login;
    std::optional<ScopedHook<decltype(ParamsPrompterHook)>> m_prompter;
    std::optional<ScopedHook<decltype(LocateFileHook)>> m_locate;
};

void showError(const QString& text)
{
    UserService().MessageDlg(text, TMsgDlgType::mtError, mbOK);
}

QString cancelledText()
{
    return Translate(QStringLiteral("Abandon par l'utilisateur"));
}

} // namespace

int RunCommandLineQuery(const QString& fileName, const TQueryFileRunner& runner)
{
    if (fileName.trimmed().isEmpty()) {
        showError(Translate(QStringLiteral("Aucun fichier requête à exécuter : donnez le fichier .MQR après /EXE.")));
        return rsFailed;
    }
    const int failuresBefore = UserService().FailureCount();
    try {
        TUnattendedDialogs dialogs;
        runner(fileName);
    } catch (const EMxAbort& e) {
        const QString text = ExceptionMessage(e);
        showError(text.isEmpty() ? cancelledText() : text);
        return rsCancelled;
    } catch (const EAbort&) {
        // A cancelled login ends a load with the silent abort, whose text
        // is nobody's; a run nobody watches still says why it stopped.
        showError(cancelledText());
        return rsCancelled;
    } catch (const std::exception& e) {
        showError(ExceptionMessage(e));
        return rsFailed;
    }
    // The drivers report their own failures and go on: an error reported
    // on the way is a failed run, even when the query came to its end.
    if (UserService().FailureCount() != failuresBefore) {
        showError(Translate(QStringLiteral("Exécution terminée avec des erreurs.")));
        return rsFailed;
    }
    UserService().MessageDlg(Translate(QStringLiteral("Impression terminée.")), TMsgDlgType::mtInformation, mbOK);
    return rsSuccess;
}

int RunCommandLineQuery()
{
    return RunCommandLineQuery(StartParams().Values(QStringLiteral("Param0")),
        [](const QString& fileName) { RunQueryFile(fileName); });
}

} // namespace mx
