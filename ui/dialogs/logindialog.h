#pragma once
// The login fmPassword: a user name and a password for a data model with
// users. The last pair accepted is remembered in memory for the life of
// the process (never written anywhere) and proposed at the next login.

#include <QDialog>

#include <memory>

namespace mx::ui {

class TfmPassword : public QDialog {
    Q_OBJECT

public:
    explicit TfmPassword(QWidget* parent = nullptr);
    ~TfmPassword() override;

    // The pair shown when the dialog opens.
    void Propose(const QString& user, const QString& password);
    // What the edits hold.
    QString User() const;
    QString Password() const;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
};

// True on OK. Whatever the outcome, user and password become what the
// edits hold. Without a display nobody can answer: EMxAbort at once, with
// the text of the unattended run.
bool PromptLogin(const QString& caption, QString& user, QString& password);

// The remembered pair (empty at start); Forget clears it.
QString RememberedUser();
QString RememberedPassword();
void ForgetLogin();

} // namespace mx::ui
