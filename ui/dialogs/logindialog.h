#pragma once
// The login fmPassword: a user name and a password for a data model with
// users. The last pair accepted is remembered in memory for the life of
// the process (never written anywhere) and proposed at the next login.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mx::ui {

class TfmPassword : public QDialog {
    Q_OBJECT

public:
    explicit TfmPassword(QWidget* parent = nullptr);

    QLabel* laUser;
    QLineEdit* edUser;
    QLabel* laPassword;
    QLineEdit* edPassword;
    QLabel* im;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
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
