#include "runoutcome.h"

#include "engine/core/exceptions.h"
#include "engine/query/querystep.h"
#include "engine/settings/global.h"

namespace mx {

TRunEnd TRunOutcome::End() const
{
    if (m_failed)
        return TRunEnd::Failed;
    for (const TRunMessage& m : m_messages)
        if (m.type == TMsgDlgType::mtError || m.phase == TRunPhase::Load)
            return TRunEnd::Failed;
    for (const TStepOutcome& s : m_steps)
        if (s.result != srDone)
            return TRunEnd::Failed;
    return m_cancelled ? TRunEnd::Cancelled : TRunEnd::Success;
}

void TRunOutcome::Fail(const QString& why)
{
    m_failed = true;
    m_reasons << why;
}

void TRunOutcome::Cancel(const QString& why)
{
    m_cancelled = true;
    m_reasons << why;
}

TStepOutcome& TRunOutcome::Step(const TMxQueryStep& step)
{
    for (TStepOutcome& s : m_steps)
        if (s.stepId == step.Id())
            return s;
    TStepOutcome& s = m_steps.emplace_back();
    s.stepId = step.Id();
    s.stepName = step.GetName();
    return s;
}

void TRunOutcome::AddSend(const TMxQueryStep& step, const TSendOutcome& send)
{
    TStepOutcome& s = Step(step);
    s.sends.push_back(send);
    if (!send.ok && s.result == srDone)
        s.result = srOutputFailed;
}

void TRunOutcome::AddMessage(const TRunMessage& message)
{
    m_messages.push_back(message);
}

QStringList TRunOutcome::StepFailures() const
{
    QStringList failures;
    for (const TStepOutcome& o : m_steps) {
        const QString& name = o.stepName;
        switch (o.result) {
        case srDone:
            break;
        case srNoResult:
            failures << TranslateFmt(QStringLiteral("%s : aucun résultat (la base de données ou la requête a échoué)."), {name});
            break;
        case srInputFailed:
            failures << TranslateFmt(QStringLiteral("%s : non exécutée, car le résultat de %s, qu'elle lit, manque."),
                {name, o.missingInput});
            break;
        case srInputNotWritten:
            failures << TranslateFmt(QStringLiteral("%s : le résultat lu par les étapes suivantes n'a pas été écrit."), {name});
            break;
        case srOutputFailed:
            failures << TranslateFmt(QStringLiteral("%s : une destination n'a pas été servie."), {name});
            break;
        }
    }
    return failures;
}

// ---- the tap ---------------------------------------------------------------

// Passes everything on to the service installed before the tap, and hands
// the errors and warnings to the tap first.
class TRunMessageTap::TService : public TUserService {
public:
    TService(TRunMessageTap& tap, TUserService& next) : m_tap(tap), m_next(next) {}

    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override
    {
        if (type == TMsgDlgType::mtError || type == TMsgDlgType::mtWarning) {
            m_tap.record(type, text);
            countFailure();
        }
        return m_next.MessageDlg(text, type, buttons);
    }
    void Warning(const QString& text) override
    {
        m_tap.record(TMsgDlgType::mtWarning, text);
        countFailure();
        m_next.Warning(text);
    }
    void ShowException(const std::exception& e) override
    {
        if (!dynamic_cast<const EAbort*>(&e)) {
            m_tap.record(TMsgDlgType::mtError, ExceptionMessage(e));
            countFailure();
        }
        m_next.ShowException(e);
    }
    void SetBusy(bool busy) override { m_next.SetBusy(busy); }
    bool ShellOpen(const QString& target) override { return m_next.ShellOpen(target); }
    void ProcessMessages() override { m_next.ProcessMessages(); }
    int ErrorWindow(const QString& caption, const QString& details) override
    {
        m_tap.record(TMsgDlgType::mtError, caption + QStringLiteral(": ") + details);
        countFailure();
        return m_next.ErrorWindow(caption, details);
    }
    bool ShowHelp(const QString& helpFile, int context) override { return m_next.ShowHelp(helpFile, context); }

private:
    TRunMessageTap& m_tap;
    TUserService& m_next;
};

TRunMessageTap::TRunMessageTap(TRunOutcome& outcome, TRunPhase phase)
    : m_outcome(outcome)
    , m_phase(phase)
    , m_service(new TService(*this, UserService()))
{
    m_previous = SetUserService(m_service);
    m_outerTap = std::exchange(m_outcome.m_tap, this);
}

TRunMessageTap::~TRunMessageTap()
{
    m_outcome.m_tap = m_outerTap;
    SetUserService(m_previous);
    delete m_service;
}

void TRunMessageTap::record(TMsgDlgType type, const QString& text)
{
    m_outcome.AddMessage({type, text, m_phase, m_stepId});
}

int TRunMessageTap::Mark() const
{
    return int(m_outcome.Messages().size());
}

QStringList TRunMessageTap::ErrorsSince(int mark) const
{
    QStringList errors;
    const auto& messages = m_outcome.Messages();
    for (size_t i = size_t(std::max(mark, 0)); i < messages.size(); ++i)
        if (messages[i].type == TMsgDlgType::mtError)
            errors << messages[i].text;
    return errors;
}

} // namespace mx
