#pragma once
// What one run of a query did. The run fills it as it goes: the load of the
// query file and its model, each step's end, each destination and report
// sent with what it gave, and every error and warning told on the way. The
// unattended program takes its exit status and its last word from it, the
// designer shows it after a run, and report printing adds each printed
// report to it (AddSend with skReport).
//
// Which messages fail a run:
//   - any error or warning told while the query file or its model loads:
//     the file was read in part (a damaged value skipped, settings kept
//     unread), so the query may not be what its author saved;
//   - any error told while the steps run (a driver's error, a row that
//     could not be read);
//   - a step without result, a step not run because its input is missing,
//     a destination or report that could not be sent, an empty query.
// Warnings told while the steps run are kept and do not fail the run.
// A failure wins over a cancel: a damaged model whose login nobody can
// give has failed, not been cancelled.
//
// A report printed during a run is added like a destination; an error its
// printer tells while it works is that report's failure:
//
//   TRunMessageTap* tap = outcome.Tap();      // the run's, while it runs
//   const int mark = tap ? tap->Mark() : 0;
//   ... print, telling failures through the user service ...
//   TSendOutcome sent{skReport, reportName, fileName};
//   const QStringList told = tap ? tap->ErrorsSince(mark) : QStringList();
//   sent.ok = told.isEmpty();
//   sent.message = told.join(u'\n');
//   outcome.AddSend(step, sent);

#include "engine/core/userservice.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace mx {

class TMxQueryStep;
class TRunMessageTap;

// How a step's execution ended.
enum TStepRunResult {
    srDone,            // the step has its result, sent
    srNoResult,        // a database or the SQL failed: no result, no output
    srInputFailed,     // not run: a step whose result it reads has none
    srInputNotWritten, // the table file later steps read was not written
    srOutputFailed,    // the result exists, a destination could not be served
};

enum class TRunEnd { Success, Failed, Cancelled };

// What the run was doing when a message was told.
enum class TRunPhase { Load, Steps };

struct TRunMessage {
    TMsgDlgType type = TMsgDlgType::mtError; // mtError or mtWarning
    QString text;
    TRunPhase phase = TRunPhase::Steps;
    int stepId = 0; // the step that was running; 0 outside the steps
};

enum TSendKind { skFile, skReport };

// One destination or report of a step.
struct TSendOutcome {
    TSendKind kind = skFile;
    QString destination; // the destination's name (its type), or the report's
    QString fileName;    // the file the driver received
    bool ok = true;
    QString message;     // why not, in the driver's words or the run's
};

struct TStepOutcome {
    int stepId = 0;
    QString stepName;
    TStepRunResult result = srDone;
    QString missingInput; // srInputFailed: the name of the step whose result is missing
    std::vector<TSendOutcome> sends;
};

class TRunOutcome {
public:
    TRunEnd End() const;
    bool Failed() const { return End() == TRunEnd::Failed; }
    bool Cancelled() const { return End() == TRunEnd::Cancelled; }
    // Whether a cancel was recorded, failed or not.
    bool WasCancelled() const { return m_cancelled; }

    // The run cannot go on or went wrong (an empty query, a load error...).
    void Fail(const QString& why);
    // The user, or a dialog nobody can answer, cancelled the run.
    void Cancel(const QString& why);

    // A step's record, made on first use.
    TStepOutcome& Step(const TMxQueryStep& step);
    // Adds a send to the step's record; a send that is not ok fails the
    // step (srOutputFailed) unless it ended worse already.
    void AddSend(const TMxQueryStep& step, const TSendOutcome& send);

    void AddMessage(const TRunMessage& message);

    const std::vector<TStepOutcome>& Steps() const { return m_steps; }
    const std::vector<TRunMessage>& Messages() const { return m_messages; }
    // The texts of Fail and Cancel, in order.
    const QStringList& Reasons() const { return m_reasons; }
    // One line per step that did not end well, in the system's words.
    QStringList StepFailures() const;

    // The tap recording into this outcome, none when there is none.
    TRunMessageTap* Tap() const { return m_tap; }

private:
    friend class TRunMessageTap;
    TRunMessageTap* m_tap = nullptr;
    std::vector<TStepOutcome> m_steps;
    std::vector<TRunMessage> m_messages;
    QStringList m_reasons;
    bool m_failed = false;
    bool m_cancelled = false;
};

// For its life, the errors and warnings told through the user service are
// recorded in an outcome (with the phase and the step set here) and passed
// on to the service installed before. Sends look at what was told while
// they ran through ErrorsSince.
class TRunMessageTap {
public:
    TRunMessageTap(TRunOutcome& outcome, TRunPhase phase);
    ~TRunMessageTap();
    TRunMessageTap(const TRunMessageTap&) = delete;
    TRunMessageTap& operator=(const TRunMessageTap&) = delete;

    TRunPhase Phase() const { return m_phase; }
    void SetPhase(TRunPhase phase) { m_phase = phase; }
    void SetStep(int stepId) { m_stepId = stepId; }
    // The number of messages recorded so far, and the errors told since.
    int Mark() const;
    QStringList ErrorsSince(int mark) const;

private:
    class TService;
    friend class TService;
    void record(TMsgDlgType type, const QString& text);

    TRunOutcome& m_outcome;
    TRunPhase m_phase;
    int m_stepId = 0;
    TService* m_service;
    TUserService* m_previous;
    TRunMessageTap* m_outerTap;
};

} // namespace mx
