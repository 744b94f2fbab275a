#pragma once
// A long run without a frozen window. The run stays on the user-interface
// thread (the engine's process-wide state is not made for threads); while
// it runs, the engine's progress hook (called by whichever database the
// run waits on, SQLite or a server) lets pending events through a few
// times per second. Once the run has lasted half a second a modal window
// (fmRunProgress) shows the status text and "Annuler"; from then on only
// that window takes input, and the window the run was started from cannot
// be closed. "Annuler", or closing the progress window, stops the
// statement (SQLite's is interrupted, a server's cancelled): the run ends as cancelled by the user (EMxAbort "Abandon par
// l'utilisateur"), and what it made is freed by the engine as after any
// failed run.

#include "engine/core/hookslot.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace mx {
class TMxQuery;
}

namespace mx::ui {

class TfmRunProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfmRunProgress(QWidget* parent = nullptr);
    ~TfmRunProgress() override;

    // The status text the run reports.
    void SetStatus(const QString& text);

    bool Cancelled() const { return m_cancelled; }
    // What "Annuler" does: the run is asked to end, the button is off.
    void Cancel();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    bool m_cancelled = false;
};

// Runs run (a query run, a step run) from window. The status texts the
// run reports through setStatus show in the progress window. Raises what
// run raises; a cancelled run raises EMxAbort whatever run raised.
void RunWithProgress(QWidget* window, const std::function<void(const std::function<void(const QString&)>& setStatus)>& run);

// The same for a run of query (ExecuteQuery, a step's run...): every step's
// status texts (OnProgress) show in the progress window for the run's
// length. Then the step editors bound to the query call ResultChanged.
void RunQueryWithProgress(QWidget* window, TMxQuery& query, const std::function<void()>& run);

// True while a run of RunWithProgress is under way.
bool RunInProgress();

// The progress window of the run under way (none before it shows).
TfmRunProgress* CurrentRunProgress();

// Called with the progress window of a run once it has shown, before the
// run lets events through again (tests answer the window there).
extern THookSlot<void(TfmRunProgress&)> RunProgressShown;

// How long a run lasts before its window shows (500 ms), and how often
// events are let through (50 ms at most between two).
constexpr int kProgressShowDelayMs = 500;
constexpr int kProgressPumpMs = 50;

} // namespace mx::ui
