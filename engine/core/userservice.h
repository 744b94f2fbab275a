#pragma once
// The engine shows no window. Everything engine code would show a user
// (message boxes, error reports, the busy cursor, opening a document)
// goes through this one replaceable service: the user interface installs
// real dialogs, the unattended run writes to standard error and records the
// failure, tests install a recorder. Nothing here may block in a test.

#include <QString>
#include <QStringList>

#include <exception>

namespace mx {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : int {
    mbYes = 1 << 0,
    mbNo = 1 << 1,
    mbOK = 1 << 2,
    mbCancel = 1 << 3,
    mbAbort = 1 << 4,
    mbRetry = 1 << 5,
    mbIgnore = 1 << 6,
    mbAll = 1 << 7,
};

enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

class TUserService {
public:
    virtual ~TUserService() = default;

    // A message box; returns the button chosen. The default answers the
    // safe choice without asking: Cancel, else No, else OK.
    virtual int MessageDlg(const QString& text, TMsgDlgType type, int buttons);
    // A warning that needs no answer (a damaged value skipped on load...).
    virtual void Warning(const QString& text);
    // An exception that reached the top of an operation.
    virtual void ShowException(const std::exception& e);
    virtual void SetBusy(bool busy);
    // Opens a document or address with the desktop's program for it.
    virtual bool ShellOpen(const QString& target);
    // Lets pending events other than user input through during long
    // steps (the user cannot start a command inside the running one).
    virtual void ProcessMessages();
    // The error window of an unexpected error: the caption and the details
    // to show; returns mrIgnore (go on) or mrAbort (end the program). The
    // default writes both to standard error and answers mrIgnore.
    virtual int ErrorWindow(const QString& caption, const QString& details);
    // Help at a context of a help file; false when there is no help.
    virtual bool ShowHelp(const QString& helpFile, int context);

    // What went wrong since start (errors and warnings shown).
    int FailureCount() const { return m_failures; }

protected:
    void countFailure() { ++m_failures; }

private:
    int m_failures = 0;
};

TUserService& UserService();
// Installs a service (nullptr: the default one); returns the previous.
TUserService* SetUserService(TUserService* service);

class ScopedUserService {
public:
    explicit ScopedUserService(TUserService* s) : m_old(SetUserService(s)) {}
    ~ScopedUserService() { SetUserService(m_old); }
    ScopedUserService(const ScopedUserService&) = delete;
    ScopedUserService& operator=(const ScopedUserService&) = delete;

private:
    TUserService* m_old;
};

// Records everything; answers with a preset result. For tests.
class TRecordingUserService : public TUserService {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, int buttons) override;
    void Warning(const QString& text) override;
    void ShowException(const std::exception& e) override;
    bool ShellOpen(const QString& target) override;
    int ErrorWindow(const QString& caption, const QString& details) override;
    bool ShowHelp(const QString& helpFile, int context) override;
    void SetBusy(bool busy) override;

    int answer = mrOk;
    int errorAnswer = mrIgnore;
    QStringList errorWindows; // "caption: details"
    QStringList help;         // "file#context"
    int busyDepth = 0;        // SetBusy(true) less SetBusy(false)
    QStringList messages; // texts of message boxes
    QList<TMsgDlgType> messageTypes; // their types, in the same order
    QStringList warnings;
    QStringList exceptions; // "Class: message"
    QStringList opened;
};

} // namespace mx
