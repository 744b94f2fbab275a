#include "commandlinerun.h"

#include "engine/core/exceptions.h"
#include "engine/core/file.h"
#include "engine/core/userservice.h"
#include "engine/model/paramcontrol.h"
#include "engine/run/queryrun.h"
#include "engine/settings/global.h"
#include "engine/settings/startparams.h"
#include "engine/tools/hooks.h"

#include "startup/startup.h"

#include <optional>

namespace mx {
namespace {

[[noreturn]] void refuseLogin(TRunOutcome& outcome, const QString& caption)
{
    const QString text = TranslateFmt(QStringLiteral("%s : le modèle demande un nom d'utilisateur et un mot de passe, "
                                                     "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
        {caption});
    outcome.Cancel(text);
    throw EMxAbort(text);
}

// The parameters the dialog asks, each once, in the dialog's order.
QString askedParams(const TMxParamControlList* controls)
{
    QStringList names;
    for (int i = 0; controls && i < controls->Count(); ++i) {
        const TMxParamControl* c = controls->Items(i);
        if (c->Kind() != ckLabel && !c->ParamName().isEmpty() && !names.contains(c->ParamName(), Qt::CaseInsensitive))
            names << c->ParamName();
    }
    return names.join(QStringLiteral(", "));
}

[[noreturn]] void refuseParams(TRunOutcome& outcome, const QString& caption, const TMxParamControlList* controls)
{
    const QString names = askedParams(controls);
    const QString text = names.isEmpty()
        ? TranslateFmt(QStringLiteral("%s : la requête demande des paramètres, "
                                      "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
              {caption})
        : TranslateFmt(QStringLiteral("%s : la requête demande des paramètres (%s), "
                                      "et aucune fenêtre ne peut s'ouvrir pour les saisir."),
              {caption, names});
    outcome.Cancel(text);
    throw EMxAbort(text);
}

[[noreturn]] void refuseValue(const QString& caption)
{
    throw EMxAbort(TranslateFmt(
        QStringLiteral("%s : une valeur est demandée, et aucune fenêtre ne peut s'ouvrir pour la saisir."), {caption}));
}

// For the life of the run: the dialogs nobody can answer refuse at once,
// and a login the user refuses is the run's cancel.
class TUnattendedDialogs {
public:
    explicit TUnattendedDialogs(TRunOutcome& outcome)
    {
        const bool interactive = IsInteractivePlatform();
        if (!interactive || !LoginPromptHook) {
            m_login.emplace(LoginPromptHook,
                [&outcome](const QString& caption, QString&, QString&) -> bool { refuseLogin(outcome, caption); });
        } else {
            auto dialog = LoginPromptHook.get();
            m_login.emplace(LoginPromptHook, [&outcome, dialog](const QString& caption, QString& user, QString& password) {
                if (dialog(caption, user, password))
                    return true;
                outcome.Cancel(Translate(QStringLiteral("Abandon par l'utilisateur")));
                return false;
            });
        }
        if (!interactive || !ParamsPrompterHook)
            m_prompter.emplace(ParamsPrompterHook,
                [&outcome](TMxDataModel*, const QString& caption, bool&, TStrings*, TMxParamControlList* controls, bool) {
                    refuseParams(outcome, caption, controls);
                });
        // A value asked on the way refuses as the prompt's own dialog
        // does without a display, whether or not the program has it.
        if (!interactive) {
            m_prompt.emplace(PromptStringHook,
                [](const QString& caption, const QString&, TStrings*, int, QString&, const QString&, const QString&) -> bool {
                    refuseValue(caption);
                });
            m_promptSimple.emplace(
                PromptStringSimpleHook, [](const QString& caption, const QString&, QString&) -> bool { refuseValue(caption); });
        }
        // A missing file is not looked for: the load fails and says which.
        if (!interactive)
            m_locate.emplace(LocateFileHook, nullptr);
    }

private:
    std::optional<ScopedHook<decltype(LoginPromptHook)>> m_login;
    std::optional<ScopedHook<decltype(ParamsPrompterHook)>> m_prompter;
    std::optional<ScopedHook<decltype(PromptStringHook)>> m_prompt;
    std::optional<ScopedHook<decltype(PromptStringSimpleHook)>> m_promptSimple;
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

bool AsksUnattendedRun(const TStartParams& params)
{
    return params.Values(QStringLiteral("EXE")).toUpper() == u"TRUE";
}

int RunCommandLineQuery(const QString& fileName, const TQueryFileRunner& runner)
{
    if (fileName.trimmed().isEmpty()) {
        showError(Translate(QStringLiteral("Aucun fichier requête à exécuter : donnez le fichier .MQR après /EXE.")));
        return rsFailed;
    }
    TRunOutcome outcome;
    QString error; // what ended the run, told once the tap is gone
    {
        // Until the runner says the steps have started, what is told is the
        // load's.
        TRunMessageTap tap(outcome, TRunPhase::Load);
        try {
            TUnattendedDialogs dialogs(outcome);
            runner(fileName, outcome);
        } catch (const EAbort&) {
            // A cancelled login ends a load with the silent abort, whose text
            // is nobody's; a run nobody watches still says why it stopped.
            if (!outcome.WasCancelled())
                outcome.Cancel(cancelledText());
            error = cancelledText();
        } catch (const std::exception& e) {
            const QString text = ExceptionMessage(e);
            // An abort is a cancel only when the user or a dialog nobody can
            // answer refused; any other ends a run that failed.
            if (!dynamic_cast<const EMxAbort*>(&e) || !outcome.WasCancelled())
                outcome.Fail(text);
            error = text.isEmpty() ? cancelledText() : text;
        }
    }
    if (!error.isEmpty())
        showError(error);
    switch (outcome.End()) {
    case TRunEnd::Success:
        UserService().MessageDlg(Translate(QStringLiteral("Impression terminée.")), TMsgDlgType::mtInformation, mbOK);
        return rsSuccess;
    case TRunEnd::Cancelled:
        return rsCancelled;
    case TRunEnd::Failed:
        break;
    }
    // Errors told on the way, or a file read in part, with no exception to
    // say so at the end.
    if (error.isEmpty())
        showError(Translate(QStringLiteral("Exécution terminée avec des erreurs.")));
    return rsFailed;
}

int RunCommandLineQuery()
{
    return RunCommandLineQuery(StartParams().Values(QStringLiteral("Param0")),
        [](const QString& fileName, TRunOutcome& outcome) { RunQueryFile(fileName, &outcome); });
}

} // namespace mx
